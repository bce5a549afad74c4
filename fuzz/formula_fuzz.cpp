// Fuzz target: random texts over the formula alphabet are compiled and
// evaluated in every mode with random variable values. Any crash, sanitizer
// report or broken invariant (the state after an arithmetic fault) stops it.
#include "engine/Formula_math.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace {

// Pieces a formula is made of: single characters of the alphabet and whole
// function names, so that calls are met often.
const char16_t* const kPieces[] = {
    u"0", u"1", u"2", u"5", u"9", u",", u".", u"E", u"e", u"x", u"y", u"a", u"é", u"у",
    u"+", u"-", u"*", u"/", u"^", u"(", u")", u";", u" ", u"#", u"$", u"Pi", u"pi", u"P",
    u"cos", u"sin", u"tan", u"ctan", u"cosh", u"sinh", u"tanh", u"ctanh", u"arccos", u"arcsin",
    u"arctan", u"arcctan", u"arccosh", u"arcsinh", u"arctanh", u"arcctanh", u"abs", u"exp",
    u"sqrt", u"ln", u"lg", u"random", u"int", u"inc", u"dec", u"trunc", u"frac", u"round",
    u"floor", u"ceil", u"degtorad", u"radtodeg", u"fact", u"log", u"div", u"mod", u"max",
    u"min", u"shl", u"shr", u"hypot", u"90", u"180", u"270", u"1E300", u"1E4000", u"0,5",
    u"2147483647", u"9223372036854775807", u"(x)", u"(-x)",
};
constexpr size_t kPieceCount = sizeof(kPieces) / sizeof(kPieces[0]);

const long double kValues[] = {
    0, 1, -1, 0.5L, -0.5L, 2, 90, -90, 180, 270, 1e-300L, 1e300L, 1e4000L, -1e4000L,
    2147483647.0L, 3e9L, 9.3e18L, -9.3e18L, 57.3L, 1e-20L,
    std::numeric_limits<long double>::infinity(), std::numeric_limits<long double>::quiet_NaN(),
};
constexpr size_t kValueCount = sizeof(kValues) / sizeof(kValues[0]);

bool SameValue(long double a, long double b) {
  return std::memcmp(&a, &b, 10) == 0 || (std::isnan(a) && std::isnan(b));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int messages = 0;
  static const bool counted = (SetMessageHook([](TMessageIcon, const std::u16string&) { ++messages; }), true);
  (void)counted;
  if (size < 3) return 0;
  const double precisions[] = {0, -1, 0.01, 0.1, 1, 10, 1e-8, 0.5};
  const double precision = precisions[data[0] % 8];
  const int32_t varMode = data[1] % 3;
  const uint8_t valueSeed = data[2];
  std::u16string text;
  for (size_t i = 3; i < size && text.size() < 120; ++i) text += kPieces[data[i] % kPieceCount];

  TFormula f(text, precision, varMode);
  f.Parse(text);
  for (int32_t mode : {1, 2, 2, 3}) {
    for (int32_t v = 1; v <= f.VarCount; ++v)
      f.Vars[v].Value = kValues[(valueSeed + v * 7 + mode) % kValueCount];
    const long double value = f.Value;
    const std::u16string result = f.ResultText;
    const int32_t count = f.EvalCount;
    const uint8_t flag = f.ErrorFlag;
    const int shown = messages;
    try {
      f.Evaluate(mode);
      // A completed evaluation of a flagged object has no result text (one
      // stopped by a domain error keeps the previous text).
      if (messages == shown && f.ErrorFlag == 1 && !f.ResultText.empty()) __builtin_trap();
    } catch (const EMathError& e) {
      // The fault itself shows nothing and sets no flag (a division by zero
      // shown earlier in the same evaluation may have).
      if (!SameValue(f.Value, value) || f.ResultText != result || f.EvalCount != count ||
          (messages == shown && f.ErrorFlag != flag) || std::strlen(e.what()) == 0)
        __builtin_trap();
    }
  }

  // The number texts on the same input.
  long double v = 0;
  if (IsNumber(text) && TryTextToFloat(DotToComma(text), v)) {
    std::u16string shown = FormatGeneral(v);
    long double back = 0;
    if (!TryTextToFloat(shown, back) && std::fabs(v) < 1e4900L) __builtin_trap();
    RoundToDigits(data[0] % 12, static_cast<double>(v));
  }
  return 0;
}
