// The function library of formulas: 33 functions of one argument, the
// constant Pi and 8 functions of an argument list. Trigonometric and
// hyperbolic functions work in degrees.
#pragma once

#include "engine/Formula_math.h"

#include <array>
#include <cstdint>
#include <string_view>

enum class TFuncId : uint8_t {
  None,
  Cos, Sin, Tan, Ctan, Cosh, Sinh, Tanh, Ctanh,
  Arccos, Arcsin, Arctan, Arcctan, Arccosh, Arcsinh, Arctanh, Arcctanh,
  Div, Mod, Shl, Shr, Abs, Exp, Pi, Sqrt, Ln, Log, Lg, Random,
  Int, Inc, Dec, Trunc, Frac, Round, Fact, Floor, Ceil,
  Max, Min, Hypot, Degtorad, Radtodeg,
};

// One-argument names and the constant, in the order the compiler tries them.
extern const std::array<std::u16string_view, 34> FuncNames;
// Names of the functions of an argument list.
extern const std::array<std::u16string_view, 8> ListFuncNames;

// The function of a name (exact, case-sensitive; "Pi" and "pi" are one
// constant); None for any other text.
TFuncId FuncIdOf(std::u16string_view name);
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

