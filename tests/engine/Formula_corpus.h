// Generated formulas and a full account of what the engine makes of each:
// the guard that a change to the compiler keeps every table, message and
// value. The corpus test hashes the accounts; scripts/engine-diff.sh runs
// far more of them through two builds of the engine and compares the text.
#pragma once

#include "engine/Formula_math.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace FormulaCorpus {

// splitmix64: the same sequence on every machine and compiler.
class TRandom {
public:
  explicit TRandom(uint64_t seed) : FState(seed) {}
  uint64_t Next() {
    uint64_t z = (FState += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Next() % n); }
  bool Chance(uint32_t percent) { return Below(100) < percent; }
  template <class T, size_t N>
  const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

private:
  uint64_t FState;
};

inline const char16_t* const kOneArgNames[] = {
    u"cosh", u"sinh", u"tanh", u"ctanh", u"cos", u"sin", u"tan", u"ctan", u"arccosh",
    u"arcsinh", u"arctanh", u"arcctanh", u"arccos", u"arcsin", u"arctan", u"arcctan", u"abs",
    u"exp", u"Pi", u"sqrt", u"ln", u"lg", u"random", u"int", u"inc", u"dec", u"trunc", u"frac",
    u"round", u"floor", u"ceil", u"degtorad", u"radtodeg", u"fact"};
inline const char16_t* const kListNames[] = {u"log", u"div", u"mod", u"max", u"min", u"shl", u"shr", u"hypot"};
// Names that are variables, near-misses of function names among them.
inline const char16_t* const kVarNames[] = {
    u"x", u"x", u"x", u"y", u"a", u"b", u"ab", u"X", u"é", u"Çz", u"cost", u"sinx", u"PI", u"pI",
    u"integral", u"x1", u"x y", u"Max", u"maxi", u"co", u"lnx", u"x.", u"z,2", u"yE5"};
inline const char16_t* const kNumbers[] = {
    u"0", u"1", u"2", u"3", u"5", u"10", u"90", u"180", u"270", u"0,5", u"2.5", u"1,23",
    u"0,0001", u"007", u"1E5", u"1E300", u"2147483647", u"2147483648", u"9223372036854775807",
    u"1,", u"12345678901234567890", u"0,96", u"2,345", u"57,3", u"64", u"1e2"};
// Number texts that are refused, or nearly so.
inline const char16_t* const kOddNumbers[] = {
    u"1e-5", u"1E-400", u"1E5000", u",5", u"1,2,3", u"1.2.3", u"3E", u"1E+5", u"2 ", u"0x10", u"1e"};
// Characters a mutation puts in: the formula alphabet and a few strangers.
inline const char16_t kAlphabet[] = u"0123456789,.Ee+-*/^();;  xyaPpé#$уs";
// Whole pieces for texts made of random pieces, as the fuzz target uses.
inline const char16_t* const kPieces[] = {
    u"0", u"1", u"2", u"9", u",", u".", u"E", u"x", u"y", u"é", u"у", u"+", u"-", u"*", u"/",
    u"^", u"(", u")", u";", u" ", u"#", u"$", u"Pi", u"pi", u"cos", u"sin", u"cosh", u"tan",
    u"sqrt", u"ln", u"random", u"round", u"fact", u"max", u"min", u"div", u"log", u"shl",
    u"90", u"1E300", u"0,5", u"(x)", u"(-x)"};

inline const long double kValues[] = {
    0, 1, -1, 0.5L, -0.5L, 2, 90, -90, 180, 270, 1e-300L, 1e300L, 1e4000L, -1e4000L,
    2147483647.0L, 3e9L, 9.3e18L, 57.3L, 1e-20L, 2.345L, 0.96L, 3,
    std::numeric_limits<long double>::infinity(), std::numeric_limits<long double>::quiet_NaN()};
inline const double kPrecisions[] = {0, -1, 0.01, 0.1, 1, 10, 1e-8, 0.5, 0.001};

// One case: a text and how it is compiled and evaluated.
struct TCase {
  std::u16string Text;
  int32_t VarMode = 1;
  double Precision = 0;
  uint64_t ValueSeed = 0;  // picks the variables' values
};

class TGenerator {
public:
  explicit TGenerator(uint64_t seed) : R(seed) {}

  TCase Next() {
    TCase c;
    const uint32_t kind = R.Below(100);
    if (kind < 55) {
      c.Text = Expr(3, true);
    } else if (kind < 85) {
      c.Text = Expr(3, true);
      for (uint32_t k = 1 + R.Below(3); k > 0; --k) Mutate(c.Text);
    } else {
      for (uint32_t k = 1 + R.Below(25); k > 0; --k) c.Text += R.Pick(kPieces);
    }
    const uint32_t vm = R.Below(20);
    c.VarMode = vm < 19 ? 1 : R.Chance(50) ? 0 : 2;
    c.Precision = R.Pick(kPrecisions);
    c.ValueSeed = R.Next();
    return c;
  }

  // A sum, product or chain of n random terms, for long texts.
  std::u16string Terms(size_t length) {
    std::u16string s = Term(2);
    while (s.size() < length) {
      s += u"^*/+-"[R.Below(5)];
      s += Term(2);
    }
    return s;
  }

private:
  std::u16string Expr(int depth, bool groupStart) {
    std::u16string s;
    if (groupStart && R.Chance(20)) s += u'-';
    s += Term(depth);
    for (uint32_t k = R.Below(4); k > 0; --k) {
      s += u"^*/+-"[R.Below(5)];
      s += Term(depth);
    }
    return s;
  }

  std::u16string Term(int depth) {
    const uint32_t k = depth > 0 ? R.Below(100) : R.Below(55);
    if (k < 30) return Number();
    if (k < 50) return R.Pick(kVarNames);
    if (k < 55) return R.Chance(50) ? u"Pi" : u"pi";
    if (k < 72) return std::u16string(R.Pick(kOneArgNames)) + u"(" + Expr(depth - 1, true) + u")";
    if (k < 85) return std::u16string(R.Pick(kListNames)) + u"(" + List(depth - 1) + u")";
    return u"(" + Expr(depth - 1, true) + u")";
  }

  std::u16string Number() { return R.Chance(3) ? R.Pick(kOddNumbers) : R.Pick(kNumbers); }

  std::u16string List(int depth) {
    std::u16string s;
    const uint32_t n = 1 + R.Below(5);
    for (uint32_t i = 0; i < n; ++i) {
      if (i > 0) s += u';';
      const uint32_t k = R.Below(100);
      if (k < 40) s += Number();
      else if (k < 70) s += R.Pick(kVarNames);
      else if (k < 85) s += u"(" + Expr(depth, true) + u")";
      else if (k < 93) s += Expr(depth, false);
      else if (k < 96) s += u"-" + Number();
      // else: an empty element
    }
    if (R.Chance(5)) s += u';';
    return s;
  }

  void Mutate(std::u16string& s) {
    const size_t at = s.empty() ? 0 : R.Below(static_cast<uint32_t>(s.size()));
    const char16_t c = kAlphabet[R.Below(sizeof(kAlphabet) / sizeof(kAlphabet[0]) - 1)];
    switch (R.Below(5)) {
      case 0: s.insert(s.begin() + static_cast<ptrdiff_t>(at), c); break;
      case 1: if (!s.empty()) s.erase(at, 1); break;
      case 2: if (!s.empty()) s[at] = c; break;
      case 3: s.insert(at, s.substr(at, R.Below(6))); break;  // a stretch doubled
      default: if (!s.empty()) s.erase(at, R.Below(4)); break;
    }
  }

  TRandom R;
};

// --- The account -----------------------------------------------------------

inline void Hex(std::string& out, long double v) {
  unsigned char b[10];
  std::memcpy(b, &v, 10);  // the 80 bits that carry the value, not the padding
  static const char digits[] = "0123456789abcdef";
  for (int i = 9; i >= 0; --i) {
    out += digits[b[i] >> 4];
    out += digits[b[i] & 15];
  }
}

inline void Text(std::string& out, const std::u16string& s) {
  for (char c : ToUtf8(s)) {
    if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '|' || c == '\\') (out += '\\') += c;
    else out += c;
  }
}

inline void Number(std::string& out, long long n) { out += std::to_string(n); }
inline void Named(std::string& out, const char* name, long long n) {
  out += name;
  Number(out, n);
}

// The fields of one line of the account: texts escaped, numbers in decimal,
// values as bits.
struct TBits {
  long double V;
};
inline void Field(std::string& out, const std::u16string& s) { Text(out, s); }
inline void Field(std::string& out, long long n) { Number(out, n); }
inline void Field(std::string& out, TBits b) { Hex(out, b.V); }
inline void Field(std::string& out, const TSlog& o) {
  Text(out, o.Text);
  (out += '|') += std::to_string(o.IsVar);
  (out += '|') += std::to_string(o.VarIndex);
  out += '|';
  Hex(out, o.Value);
}
// "<tag><index> <field>|<field>...": one table entry.
template <class... Rest>
void Row(std::string& out, char tag, size_t index, const Rest&... fields) {
  out += tag;
  out += std::to_string(index);
  out += ' ';
  bool first = true;
  ((out += first ? "" : "|", first = false, Field(out, fields)), ...);
  out += '\n';
}

// Every table entry that is not as the constructor left it, by index.
inline void Tables(std::string& out, const TFormula& f, bool results) {
  for (size_t k = 1; k < f.Groups.size(); ++k) {
    const TStr& g = f.Groups[k];
    if (!g.Text.empty() || !g.Ref.empty()) Row(out, 'G', k, g.Text, g.Ref);
  }
  auto isSet = [](const TSlog& o) { return !o.Text.empty() || o.IsVar != 0 || o.VarIndex != 0 || o.Value != 0; };
  for (size_t i = 1; i < f.Nodes.size(); ++i) {
    const TDeystv& n = f.Nodes[i];
    const long long op = n.Op;
    if (!n.Text.empty() || op != 0 || (results && n.Result != 0) || isSet(n.Operands[1]) || isSet(n.Operands[2])) {
      if (results) Row(out, 'N', i, n.Text, op, n.Operands[1], n.Operands[2], TBits{n.Result});
      else Row(out, 'N', i, n.Text, op, n.Operands[1], n.Operands[2]);
    }
  }
  for (size_t h = 1; h < f.Calls.size(); ++h) {
    const TFunc& c = f.Calls[h];
    if (!c.Name.empty() || !c.Arg.empty() || c.Value != 0) Row(out, 'C', h, c.Name, c.Arg, TBits{c.Value});
  }
  for (size_t p = 1; p < f.ListItems.size(); ++p) {
    const TMnog& m = f.ListItems[p];
    if (!m.Text.empty() || m.Value != 0) Row(out, 'L', p, m.Text, TBits{m.Value});
  }
  for (size_t v = 1; v < f.Vars.size(); ++v) {
    const TPer& p = f.Vars[v];
    if (!p.Name.empty() || p.Value != 0) Row(out, 'V', v, p.Name);
  }
}

inline void Counts(std::string& out, const TFormula& f) {
  Named(out, "err=", f.ErrorFlag);
  Named(out, " len=", f.TextLength);
  Named(out, " groups=", f.GroupCount());
  Named(out, " nodes=", f.NodeCount);
  Named(out, " calls=", f.CallCount());
  Named(out, " items=", f.ListItemCount);
  Named(out, " vars=", f.VarCount);
  Named(out, " evals=", f.EvalCount);
  out += " room=";
  for (size_t n : {f.Groups.capacity(), f.Nodes.capacity(), f.Calls.capacity(), f.ListItems.capacity(),
                   f.Vars.capacity()}) {
    Number(out, static_cast<long long>(n));
    out += ',';
  }
  out += '\n';
}

// Appends the account of one case: the compile (its result, messages,
// counts and tables), then four evaluations in modes 1, 2, 2 and 3 with
// values picked by the case's seed (the value, the result text, the flag,
// the counter, a fault, the messages, and at the end the nodes' results).
inline void Account(std::string& out, const TCase& c) {
  std::vector<std::pair<TMessageIcon, std::u16string>> messages;
  TMessageHook previous = SetMessageHook([&messages](TMessageIcon icon, const std::u16string& text) {
    messages.emplace_back(icon, text);
  });
  auto flush = [&] {
    for (const auto& [icon, text] : messages) {
      out += "M";
      Number(out, static_cast<int>(icon));
      out += ' ';
      Text(out, text);
      out += '\n';
    }
    messages.clear();
  };

  SetRandomSeed(12345);
  out += "F ";
  Text(out, c.Text);
  Named(out, " vm=", c.VarMode);
  char precision[40];
  std::snprintf(precision, sizeof precision, " p=%a\n", c.Precision);
  out += precision;

  TFormula f(c.Text, c.Precision, c.VarMode);
  out += f.Parse(c.Text) ? "ok\n" : "failed\n";
  flush();
  Counts(out, f);
  Tables(out, f, false);

  TRandom values(c.ValueSeed);
  for (int32_t mode : {1, 2, 2, 3}) {
    for (int32_t v = 1; v <= f.VarCount; ++v) f.Vars[v].Value = values.Pick(kValues);
    out += "E";
    Number(out, mode);
    try {
      f.Evaluate(mode);
    } catch (const EMathError& e) {
      Named(out, " fault=", static_cast<int>(e.Kind()));
    }
    out += " value=";
    Hex(out, f.Value);
    out += " text=";
    Text(out, f.ResultText);
    Named(out, " err=", f.ErrorFlag);
    Named(out, " evals=", f.EvalCount);
    out += '\n';
    flush();
  }
  Tables(out, f, true);
  SetMessageHook(std::move(previous));
}

// Texts of many thousand characters in the shapes long formulas take; n is
// the length aimed at (each text is at most a few characters longer).
inline std::vector<std::u16string> LongTexts(size_t n) {
  std::vector<std::u16string> texts;
  auto repeat = [n](std::u16string_view head, std::u16string_view piece, std::u16string_view tail) {
    std::u16string s(head);
    while (s.size() + piece.size() + tail.size() <= n) s += piece;
    return s += tail;
  };
  texts.push_back(repeat(u"1", u"+1", u""));                 // a sum
  texts.push_back(repeat(u"x", u"*x", u""));                 // a product
  texts.push_back(repeat(u"2", u"^1", u""));                 // powers
  texts.push_back(repeat(u"-x", u"-1,5*x/2", u""));          // mixed levels
  std::u16string nested(n / 2, u'(');                        // brackets in brackets
  nested += u'x';
  nested.append(n / 2, u')');
  texts.push_back(nested);
  texts.push_back(repeat(u"", u"((x+1)*2)+", u"0"));         // many groups side by side
  std::u16string calls;
  size_t depth = n / 8;
  for (size_t i = 0; i < depth; ++i) calls += i % 2 ? u"sin(" : u"cos(";
  calls += u'x';
  calls.append(depth, u')');
  texts.push_back(calls);                                    // calls in calls
  std::u16string names = u"a0";                              // distinct variables
  for (size_t i = 1; names.size() < n; ++i) {
    names += i % 3 ? u'+' : u'*';
    names += u'a';
    for (size_t k = i; k > 0; k /= 52) names += u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"[k % 52];
  }
  texts.push_back(names);
  texts.push_back(repeat(u"max(x", u";1", u")"));            // a long list
  texts.push_back(repeat(u"min(a", u";a", u")+a"));          // a list of one name
  texts.push_back(repeat(u"1", u"+sqrt(x)*(2-x)", u""));     // calls and groups
  texts.push_back(repeat(u"1", u"+1", u"+*2"));              // refused at the end
  texts.push_back(repeat(u"(1", u"+1", u""));                // a bracket left open
  return texts;
}

// FNV-1a of a text: a digest of many accounts.
inline uint64_t Digest(const std::string& s, uint64_t h = 0xcbf29ce484222325ull) {
  for (unsigned char c : s) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

}  // namespace FormulaCorpus
