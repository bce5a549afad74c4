// The function library of formulas: functions of one argument, the constant
// Pi and functions of an argument list, all named in one table (kFunctionTable)
// from which the compiler's name lists and the look-up are made. Trigonometric
// and hyperbolic functions work in degrees.
#pragma once

#include "engine/Formula_math.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

enum class TFuncId : uint8_t {
  None,
  Cos, Sin, Tan, Ctan, Cosh, Sinh, Tanh, Ctanh,
  Arccos, Arcsin, Arctan, Arcctan, Arccosh, Arcsinh, Arctanh, Arcctanh,
  Div, Mod, Shl, Shr, Abs, Exp, Pi, Sqrt, Ln, Log, Lg, Random,
  Int, Inc, Dec, Trunc, Frac, Round, Fact, Floor, Ceil,
  Max, Min, Hypot, Degtorad, Radtodeg,
  Count  // not a function: the number of ids, the size of every table by id
};

// How a function takes its argument.
enum class TFuncKind : uint8_t {
  OneArgument,  // name(x)
  List,         // name(a;b;...), the items separated by semicolons
  Constant,     // the name alone; before a bracket the bracket is not read ("Pi(2)" is pi)
};

// One name of a function.
struct TFuncEntry {
  std::u16string_view Name;  // exact, case-sensitive
  TFuncId Id;
  TFuncKind Kind;
  // How many items of its list a list function reads: 2, or 0 for all of them.
  uint8_t ItemsRead = 0;
  // Another spelling of a function named before it: recognised only standing
  // alone ("pi", while "pi(2)" is a variable), and without a menu template.
  bool Alias = false;
};

// Every function name, in the order the compiler tries them: the names a
// single argument or nothing follows, then the list functions.
inline constexpr TFuncEntry kFunctionTable[] = {
    {u"cosh", TFuncId::Cosh, TFuncKind::OneArgument},
    {u"sinh", TFuncId::Sinh, TFuncKind::OneArgument},
    {u"tanh", TFuncId::Tanh, TFuncKind::OneArgument},
    {u"ctanh", TFuncId::Ctanh, TFuncKind::OneArgument},
    {u"cos", TFuncId::Cos, TFuncKind::OneArgument},
    {u"sin", TFuncId::Sin, TFuncKind::OneArgument},
    {u"tan", TFuncId::Tan, TFuncKind::OneArgument},
    {u"ctan", TFuncId::Ctan, TFuncKind::OneArgument},
    {u"arccosh", TFuncId::Arccosh, TFuncKind::OneArgument},
    {u"arcsinh", TFuncId::Arcsinh, TFuncKind::OneArgument},
    {u"arctanh", TFuncId::Arctanh, TFuncKind::OneArgument},
    {u"arcctanh", TFuncId::Arcctanh, TFuncKind::OneArgument},
    {u"arccos", TFuncId::Arccos, TFuncKind::OneArgument},
    {u"arcsin", TFuncId::Arcsin, TFuncKind::OneArgument},
    {u"arctan", TFuncId::Arctan, TFuncKind::OneArgument},
    {u"arcctan", TFuncId::Arcctan, TFuncKind::OneArgument},
    {u"abs", TFuncId::Abs, TFuncKind::OneArgument},
    {u"exp", TFuncId::Exp, TFuncKind::OneArgument},
    {u"Pi", TFuncId::Pi, TFuncKind::Constant},
    {u"pi", TFuncId::Pi, TFuncKind::Constant, 0, true},
    {u"sqrt", TFuncId::Sqrt, TFuncKind::OneArgument},
    {u"ln", TFuncId::Ln, TFuncKind::OneArgument},
    {u"lg", TFuncId::Lg, TFuncKind::OneArgument},
    {u"random", TFuncId::Random, TFuncKind::OneArgument},
    {u"int", TFuncId::Int, TFuncKind::OneArgument},
    {u"inc", TFuncId::Inc, TFuncKind::OneArgument},
    {u"dec", TFuncId::Dec, TFuncKind::OneArgument},
    {u"trunc", TFuncId::Trunc, TFuncKind::OneArgument},
    {u"frac", TFuncId::Frac, TFuncKind::OneArgument},
    {u"round", TFuncId::Round, TFuncKind::OneArgument},
    {u"floor", TFuncId::Floor, TFuncKind::OneArgument},
    {u"ceil", TFuncId::Ceil, TFuncKind::OneArgument},
    {u"degtorad", TFuncId::Degtorad, TFuncKind::OneArgument},
    {u"radtodeg", TFuncId::Radtodeg, TFuncKind::OneArgument},
    {u"fact", TFuncId::Fact, TFuncKind::OneArgument},
    {u"log", TFuncId::Log, TFuncKind::List, 2},
    {u"div", TFuncId::Div, TFuncKind::List, 2},
    {u"mod", TFuncId::Mod, TFuncKind::List, 2},
    {u"max", TFuncId::Max, TFuncKind::List},
    {u"min", TFuncId::Min, TFuncKind::List},
    {u"shl", TFuncId::Shl, TFuncKind::List, 2},
    {u"shr", TFuncId::Shr, TFuncKind::List, 2},
    {u"hypot", TFuncId::Hypot, TFuncKind::List, 2},
};

namespace FunctionTable {

// Names the compiler takes as a call when a bracket group follows them.
constexpr bool BeforeBracket(const TFuncEntry& f) { return !f.Alias && f.Kind != TFuncKind::List; }
constexpr bool IsList(const TFuncEntry& f) { return !f.Alias && f.Kind == TFuncKind::List; }

template <bool (*Keep)(const TFuncEntry&)>
constexpr size_t CountOf() {
  size_t n = 0;
  for (const TFuncEntry& f : kFunctionTable) n += Keep(f) ? 1 : 0;
  return n;
}

template <bool (*Keep)(const TFuncEntry&)>
constexpr auto NamesOf() {
  std::array<std::u16string_view, CountOf<Keep>()> names{};
  size_t n = 0;
  for (const TFuncEntry& f : kFunctionTable)
    if (Keep(f)) names[n++] = f.Name;
  return names;
}

// Every id has exactly one main name, and an alias follows a main name of
// its id; no name stands twice; the two-item rule is for lists only.
constexpr bool IsWhole() {
  for (size_t id = 1; id < static_cast<size_t>(TFuncId::Count); ++id) {
    int main = 0;
    for (const TFuncEntry& f : kFunctionTable)
      if (static_cast<size_t>(f.Id) == id && !f.Alias) ++main;
    if (main != 1) return false;
  }
  for (size_t i = 0; i < std::size(kFunctionTable); ++i) {
    const TFuncEntry& f = kFunctionTable[i];
    if (f.Id == TFuncId::None || f.Id == TFuncId::Count || f.Name.empty()) return false;
    if (f.ItemsRead != 0 && (f.Kind != TFuncKind::List || f.ItemsRead != 2)) return false;
    for (size_t j = 0; j < i; ++j)
      if (kFunctionTable[j].Name == f.Name) return false;
    if (f.Alias) {
      bool named = false;
      for (size_t j = 0; j < i; ++j)
        named = named || (kFunctionTable[j].Id == f.Id && !kFunctionTable[j].Alias && kFunctionTable[j].Kind == f.Kind);
      if (!named) return false;
    }
  }
  return true;
}

}  // namespace FunctionTable

static_assert(FunctionTable::IsWhole(),
              "kFunctionTable must name every TFuncId once (aliases aside), each name once");

// One-argument names and the constant, in the order the compiler tries them.
inline constexpr auto FuncNames = FunctionTable::NamesOf<FunctionTable::BeforeBracket>();
// Names of the functions of an argument list.
inline constexpr auto ListFuncNames = FunctionTable::NamesOf<FunctionTable::IsList>();

// The entry of a name (exact, case-sensitive; "Pi" and "pi" are one
// constant); nullptr for any other text.
constexpr const TFuncEntry* FuncEntryOf(std::u16string_view name) {
  for (const TFuncEntry& f : kFunctionTable)
    if (f.Name == name) return &f;
  return nullptr;
}
// The function of a name; None for any other text.
constexpr TFuncId FuncIdOf(std::u16string_view name) {
  const TFuncEntry* f = FuncEntryOf(name);
  return f ? f->Id : TFuncId::None;
}
// Functions that read only the first two items of their list.
bool UsesTwoItems(TFuncId id);

// A refused argument. The evaluator decides whether it is shown.
enum class TDomainError : uint8_t {
  None, Tan90, Ctan0, Ctanh90, Arccos, Arcsin, Arcctan90, Arccosh, Arctanh,
  Arcctanh90, Sqrt, Ln, Lg, Log, DivMod,
};
// The message of a refusal; x is the refused argument where the text quotes it.
std::u16string DomainMessage(TDomainError error, double x);

// A function of one argument (x is already rounded to double), or Pi. A
// refused argument sets error and yields a quiet NaN; a NaN argument yields
// NaN. Arithmetic faults throw EMathError.
using TFunction = long double (*)(double x, TDomainError& error);
// A function of the list *items[0] .. *items[count-1].
using TListFunction = long double (*)(const long double* const* items, int32_t count,
                                      TDomainError& error);
// The function of a name, looked up once when a formula is compiled.
TFunction FunctionOf(TFuncId id);
TListFunction ListFunctionOf(TFuncId id);

[[noreturn]] void RaiseMathError(EMathError::TKind kind);

// Converts a computed value to double for a function argument; a finite
// value beyond the double range is an overflow fault.
inline double ToDoubleChecked(long double v) {
  double d = static_cast<double>(v);
  if (__builtin_expect(__builtin_isinf(d), 0) && __builtin_isfinite(v))
    RaiseMathError(EMathError::TKind::Overflow);
  return d;
}

// Sine, cosine and tangent of an argument in radians, to the last bits of
// the 80-bit format.
long double Sin80(long double y);
long double Cos80(long double y);
long double Tan80(long double y);

// Extended constants: pi, 180/pi and pi/180, each the nearest 80-bit value.
inline constexpr long double kPi = 0xc90fdaa22168c235p-62L;        // 3.14159265358979323851
inline constexpr long double kRadToDeg = 0xe52ee0d31e0fbdc3p-58L;  // 57.2957795130823208768
inline constexpr long double kDegToRad = 0x477d1a894a74e457p-68L;  // 0.0174532925199432957692

