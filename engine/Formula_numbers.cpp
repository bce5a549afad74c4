// Number texts: the character tests, text to number, the general number
// format, rounding to decimals, and UTF-8/UTF-16 conversion.
#include "engine/Formula_math.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

bool IsLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= 0x00C0 && c <= 0x00FF);
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

std::u16string DotToComma(const std::u16string& s) {
  std::u16string r = s;
  for (char16_t& c : r)
    if (c == u'.') c = u',';
  return r;
}

namespace {

enum class TConversion { Ok, Malformed, OutOfRange };

// The C library's conversion reads the decimal point of the current locale,
// and a GUI program runs in the user's locale: always convert in "C".
locale_t CLocale() {
  static locale_t loc = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return loc;
}

// Checks the number syntax and converts. The text handed to the C library
// is rebuilt from the checked characters only, so it never sees hex, "inf"
// or "nan" forms.
TConversion Convert(const std::u16string& s, long double& value) {
  size_t i = 0, n = s.size();
  std::string ascii;
  ascii.reserve(n + 1);
  while (i < n && s[i] == u' ') ++i;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) ascii += static_cast<char>(s[i++]);
  size_t digits = 0;
  while (i < n && IsDigit(s[i])) ascii += static_cast<char>(s[i++]), ++digits;
  if (i < n && s[i] == u',') {
    ascii += '.';
    ++i;
    while (i < n && IsDigit(s[i])) ascii += static_cast<char>(s[i++]), ++digits;
  }
  if (digits == 0) return TConversion::Malformed;
  if (i < n && (s[i] == u'e' || s[i] == u'E')) {
    ascii += 'e';
    ++i;
    if (i < n && (s[i] == u'+' || s[i] == u'-')) ascii += static_cast<char>(s[i++]);
    size_t expDigits = 0;
    while (i < n && IsDigit(s[i])) ascii += static_cast<char>(s[i++]), ++expDigits;
    if (expDigits == 0) return TConversion::Malformed;
  }
  while (i < n && s[i] == u' ') ++i;
  if (i != n) return TConversion::Malformed;

  errno = 0;
  char* end = nullptr;
  long double v = strtold_l(ascii.c_str(), &end, CLocale());
  if (end != ascii.c_str() + ascii.size()) return TConversion::Malformed;
  if (errno == ERANGE && std::isinf(v)) return TConversion::OutOfRange;
  value = v;  // an underflow gives 0 or a subnormal, silently
  return TConversion::Ok;
}

}  // namespace

bool TryTextToFloat(const std::u16string& s, long double& value) {
  return Convert(s, value) == TConversion::Ok;
}

bool IsNumber(const std::u16string& s) {
  long double v;
  return Convert(DotToComma(s), v) != TConversion::Malformed;
}

long double StrToFloat(const std::u16string& s) {
  long double v = 0;
  switch (Convert(s, v)) {
    case TConversion::Ok:
      return v;
    case TConversion::OutOfRange:
      throw EConvertError("«" + ToUtf8(s) + "» — число вне допустимого диапазона");
    case TConversion::Malformed:
      break;
  }
  throw EConvertError("«" + ToUtf8(s) + "» не является правильным числом");
}

namespace {

// v rounded to 15 significant digits: the digits without trailing zeros and
// the decimal exponent of the first one. v is finite and not zero.
void Digits15(long double v, std::string& digits, int& exponent) {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(v), std::chars_format::scientific, 14);
  // d.dddddddddddddde[+-]x
  const char* p = buf;
  digits.clear();
  for (; p < res.ptr && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') digits += *p;
  exponent = 0;
  if (p < res.ptr) std::from_chars(p + 1 + (p[1] == '+'), res.ptr, exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
}

// Lays out the significant digits (no trailing zeros), the first of which
// stands for 10^e: plain from 0,00001 up to 15 whole digits, exponent form
// otherwise. out has room for 32 characters; returns the length.
size_t Layout(bool negative, const char* digits, size_t n, int e, char* out) {
  char* p = out;
  if (negative) *p++ = '-';
  const auto put = [&p](const char* from, size_t count) {
    for (size_t i = 0; i < count; ++i) *p++ = from[i];
  };
  const auto zeros = [&p](size_t count) {
    for (size_t i = 0; i < count; ++i) *p++ = '0';
  };
  if (e >= -5 && e < 15) {
    if (e >= 0) {
      const size_t whole = static_cast<size_t>(e) + 1;
      if (n <= whole) {
        put(digits, n);
        zeros(whole - n);
      } else {
        put(digits, whole);
        *p++ = ',';
        put(digits + whole, n - whole);
      }
    } else {
      put("0,", 2);
      zeros(static_cast<size_t>(-e - 1));
      put(digits, n);
    }
  } else {
    *p++ = digits[0];
    if (n > 1) {
      *p++ = ',';
      put(digits + 1, n - 1);
    }
    *p++ = 'E';
    p = std::to_chars(p, out + 32, e).ptr;
  }
  return static_cast<size_t>(p - out);
}

// The texts of the values that have no digits; 0 when v has digits.
size_t Special(long double v, char* out) {
  const char* text = std::isnan(v) ? "NAN" : std::isinf(v) ? (v > 0 ? "INF" : "-INF") : v == 0 ? "0" : nullptr;
  if (!text) return 0;
  size_t n = 0;
  for (; text[n]; ++n) out[n] = text[n];
  return n;
}

size_t GeneralAscii(long double v, char* out) {
  if (const size_t n = Special(v, out)) return n;
  std::string digits;
  int e;
  Digits15(v, digits, e);
  return Layout(v < 0, digits.data(), digits.size(), e, out);
}

// The 15 significant digits of a double from 0,00001 up to below 10^15 as
// the whole number m (10^14 <= m < 10^15 before its trailing zeros go) and
// the exponent e of the first: |v| times a power of ten that long double
// holds exactly, rounded once, so the product is off by far less than the
// 0,001 from a half that decides the rounding here. False where it does
// not decide it (a tie or near one) or v is out of that range.
bool FastDigits15(double v, uint64_t& m, int& e) {
  static constexpr long double kPow10[] = {1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,
                                           1e7L,  1e8L,  1e9L,  1e10L, 1e11L, 1e12L, 1e13L,
                                           1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L, 1e20L};
  const double a = std::fabs(v);
  if (!(a >= 1e-5 && a < 1e15)) return false;
  int e0 = static_cast<int>(std::floor(std::log10(a)));
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int k = 14 - e0;
    if (k < 0 || k > 20) return false;
    const long double scaled = static_cast<long double>(a) * kPow10[k];
    if (scaled >= 1e15L) {
      ++e0;
      continue;
    }
    if (scaled < 1e14L) {
      --e0;
      continue;
    }
    const long double whole = std::floor(scaled), fraction = scaled - whole;
    if (std::fabs(fraction - 0.5L) < 1e-3L) return false;
    m = static_cast<uint64_t>(whole) + (fraction > 0.5L ? 1 : 0);
    e = e0;
    if (m == 1000000000000000ull) {
      m = 100000000000000ull;
      ++e;
    }
    return true;
  }
  return false;
}

}  // namespace

std::u16string FormatGeneral(long double v) {
  char buf[32];
  const size_t n = GeneralAscii(v, buf);
  return std::u16string(buf, buf + n);
}

size_t FormatGeneralAscii(double v, char* out) {
  uint64_t m;
  int e;
  if (!FastDigits15(v, m, e)) return GeneralAscii(v, out);
  char digits[15];
  for (int i = 14; i >= 0; --i, m /= 10) digits[i] = static_cast<char>('0' + m % 10);
  size_t n = 15;
  while (n > 1 && digits[n - 1] == '0') --n;
  return Layout(v < 0, digits, n, e, out);
}

double RoundToDigits(int32_t n, double x) {
  if (!(x > 0) || std::isinf(x) || n < 0) return x;
  const std::u16string s = FormatGeneral(x);
  if (s.find(u',') == std::u16string::npos) return x;

  // The plain decimal digits of s: whole part, then fraction. A text in
  // exponent form is written out in full, so a tiny value is rounded by its
  // real decimals instead of by the characters of its exponent.
  std::string whole, frac;
  size_t epos = s.find(u'E');
  std::string mant(s.begin(), epos == std::u16string::npos ? s.end() : s.begin() + epos);
  size_t comma = mant.find(',');
  whole = mant.substr(0, comma);
  frac = mant.substr(comma + 1);
  if (epos != std::u16string::npos) {
    int e = std::stoi(std::string(s.begin() + epos + 1, s.end()));
    if (e >= 0) return x;  // from 10^15 on the value is a whole number
    frac = std::string(-e - 1, '0') + whole + frac;
    whole = "0";
  }
  if (frac.size() <= static_cast<size_t>(n)) return x;

  // The kept digits end with the one to round: the n-th decimal, or the
  // units digit when n is 0. The two digits after it decide.
  std::string kept = whole + frac.substr(0, n);
  auto digitAt = [&](size_t i) { return i < frac.size() ? frac[i] - '0' : 0; };
  int d = (kept.back() - '0') * 100 + digitAt(n) * 10 + digitAt(n + 1);
  int r = d / 100, rest = d % 100;
  if (rest > 50 || (rest == 50 && (r % 2) == 1)) ++r;
  if (r < 10) {
    kept.back() = static_cast<char>('0' + r);
  } else {
    // A 9 rounded up: carry one unit of the last kept place.
    size_t i = kept.size();
    while (i > 0 && kept[i - 1] == '9') kept[--i] = '0';
    if (i == 0) {
      kept.insert(kept.begin(), '1');
      whole.insert(whole.begin(), '1');  // the whole part grew by one digit
    } else {
      ++kept[i - 1];
    }
  }
  std::string text = kept.substr(0, whole.size());
  if (n > 0) text += "." + kept.substr(whole.size());
  errno = 0;
  double v = strtod_l(text.c_str(), nullptr, CLocale());
  return v;
}

std::string ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // a lone surrogate
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::u16string FromUtf8(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    uint32_t c;
    size_t len;
    if (b < 0x80) {
      c = b, len = 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
      c = b & 0x1F, len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      c = b & 0x0F, len = 3;
    } else if (b >= 0xF0 && b <= 0xF4) {
      c = b & 0x07, len = 4;
    } else {
      out += u'\uFFFD', ++i;
      continue;
    }
    bool ok = i + len <= s.size();
    for (size_t k = 1; ok && k < len; ++k) {
      unsigned char t = static_cast<unsigned char>(s[i + k]);
      if ((t & 0xC0) != 0x80) ok = false;
      else c = (c << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and values beyond U+10FFFF are refused.
    if (ok && ((len == 3 && c < 0x800) || (len == 4 && (c < 0x10000 || c > 0x10FFFF)) ||
               (c >= 0xD800 && c <= 0xDFFF)))
      ok = false;
    if (!ok) {
      out += u'\uFFFD', ++i;
      continue;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += len;
  }
  return out;
}
