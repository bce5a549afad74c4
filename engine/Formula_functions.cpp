// The function library: values, conversions, integer rules, the shared
// random generator, and the domain checks with their messages.
#include "engine/Formula_functions.h"

#include "engine/Formula_kernels.h"

#include "engine/Formula_texts.h"

#include <cfloat>
#include <chrono>
#include <cmath>
#include <limits>
#include <utility>

using K = EMathError::TKind;
using namespace FormulaText;

namespace {

constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();


// A result computed from the argument x: NaN out of a number is an invalid
// operation, an infinity out of a finite value an overflow.
inline long double Checked(long double r, long double x) {
  if (__builtin_expect(!(std::fabs(r) <= LDBL_MAX), 0)) {
    if (std::isnan(r) && !std::isnan(x)) RaiseMathError(K::InvalidOperation);
    if (std::isinf(r) && std::isfinite(x)) RaiseMathError(K::Overflow);
  }
  return r;
}

// Whole-number conversions. Values beyond the signed 64-bit range (infinities
// included) are an invalid operation; NaN never gets here.
constexpr double kTwo63 = 9223372036854775808.0;

int64_t Round64(double v) {
  if (!(v >= -kTwo63 && v < kTwo63)) RaiseMathError(K::InvalidOperation);
  double f = std::floor(v);
  double diff = v - f;  // exact: below 2^52 v has a fraction, above it is whole
  if (diff > 0.5 || (diff == 0.5 && std::fmod(f, 2.0) != 0)) f += 1;
  return static_cast<int64_t>(f);
}

int64_t Trunc64(double v) {
  if (!(v >= -kTwo63 && v < kTwo63)) RaiseMathError(K::InvalidOperation);
  return static_cast<int64_t>(v);
}

// The low 32 bits of a 64-bit integer, read as signed.
inline int32_t Low32(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v)); }
inline int32_t Add32(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

uint32_t InitialSeed() {
  auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
  return static_cast<uint32_t>(ticks) ^ static_cast<uint32_t>(static_cast<uint64_t>(ticks) >> 32);
}

uint32_t gSeed = InitialSeed();

long double Refuse(TDomainError& error, TDomainError what) {
  error = what;
  return kNaN;
}

}  // namespace

void SetRandomSeed(uint32_t seed) { gSeed = seed; }
uint32_t RandomSeed() { return gSeed; }

void RaiseMathError(EMathError::TKind kind) { throw EMathError(kind); }

bool UsesTwoItems(TFuncId id) {
  for (const TFuncEntry& f : kFunctionTable)
    if (f.Id == id) return f.ItemsRead == 2;
  return false;
}

std::u16string DomainMessage(TDomainError error, double x) {
  auto quoted = [x](std::u16string_view head) {
    return std::u16string(head) + FormatGeneral(x) + std::u16string(kMsgNotExist);
  };
  switch (error) {
    case TDomainError::Tan90: return std::u16string(kMsgTan90);
    case TDomainError::Ctan0: return std::u16string(kMsgCtan0);
    case TDomainError::Ctanh90: return std::u16string(kMsgCtanh90);
    case TDomainError::Arccos: return quoted(kMsgArccos);
    case TDomainError::Arcsin: return quoted(kMsgArcsin);
    case TDomainError::Arcctan90: return std::u16string(kMsgArcctan90);
    case TDomainError::Arccosh: return quoted(kMsgArccosh);
    case TDomainError::Arctanh: return quoted(kMsgArctanh);
    case TDomainError::Arcctanh90: return std::u16string(kMsgArcctanh90);
    case TDomainError::Sqrt: return std::u16string(kMsgSqrt);
    case TDomainError::Ln: return std::u16string(kMsgLn);
    case TDomainError::Lg: return std::u16string(kMsgLg);
    case TDomainError::Log: return std::u16string(kMsgLog);
    case TDomainError::DivMod: return std::u16string(kMsgDivMod);
    case TDomainError::None: break;
  }
  return {};
}


using namespace FormulaKernel;

// Sine, cosine and tangent in radians, to the last bits of the 80-bit
// format, several times faster than the C library's 80-bit functions: the
// argument is reduced by k * pi/2 to |r| <= pi/4, where the kernels work.
long double Sin80(long double y) {
  if (std::fabs(y) <= kPiOver4) return SinPoly(y);
  if (!(std::fabs(y) <= kReduceLimit)) return sinl(y);
  int q;
  const long double k = QuarterTurns(y, q);
  return SinInQuadrant(ReduceBy(y, k), q);
}

long double Cos80(long double y) {
  if (std::fabs(y) <= kPiOver4) return CosPoly(y);
  if (!(std::fabs(y) <= kReduceLimit)) return cosl(y);
  int q;
  const long double k = QuarterTurns(y, q);
  return CosInQuadrant(ReduceBy(y, k), q);
}

long double Tan80(long double y) {
  if (std::fabs(y) <= kPiOver4) return TanOfReduced(y);
  if (!(std::fabs(y) <= kReduceLimit)) return tanl(y);
  int q;
  const long double r = ReduceBy(y, QuarterTurns(y, q));
  return (q & 1) == 0 ? TanOfReduced(r) : -1 / TanOfReduced(r);
}

long double FormulaKernel::NotFinite(double x) {
  if (std::isnan(x)) return x;
  RaiseMathError(K::InvalidOperation);
}

namespace {

// The functions of one argument by name. Inlined into one entry per name
// (see kFunctions), where the switch folds away.
[[gnu::always_inline]] inline long double OneArgument(TFuncId id, double x, TDomainError& error) {
  const long double lx = x;
  switch (id) {
    case TFuncId::Cos:
      return FormulaKernel::Cos(x);
    case TFuncId::Sin:
      return FormulaKernel::Sin(x);
    case TFuncId::Tan:
      if (x == 90) return Refuse(error, TDomainError::Tan90);
      return Checked(Tan80(Rad(x)), lx);
    case TFuncId::Ctan: {
      long double y = Rad(x);
      if (y == 0) return Refuse(error, TDomainError::Ctan0);
      return Checked(1.0L / Tan80(y), lx);
    }
    case TFuncId::Cosh: {
      long double y = Rad(x);
      if (std::fabs(y) <= 1e-16L) return 1;
      return Checked(coshl(y), lx);
    }
    case TFuncId::Sinh: {
      long double y = Rad(x);
      if (std::fabs(y) <= 1e-16L) return 0;
      return Checked(sinhl(y), lx);
    }
    case TFuncId::Tanh: {
      long double y = Rad(x);
      if (std::fabs(y) <= 1e-16L) return 0;
      return Checked(tanhl(y), lx);
    }
    case TFuncId::Ctanh: {
      long double y = Rad(x);
      if (std::fabs(y) <= 1e-16L) return Refuse(error, TDomainError::Ctanh90);
      return Checked(1.0L / tanhl(y), lx);
    }
    case TFuncId::Arccos:
      if (x < -1 || x > 1) return Refuse(error, TDomainError::Arccos);
      return Checked(acosl(lx) * kRadToDeg, lx);
    case TFuncId::Arcsin:
      if (x < -1 || x > 1) return Refuse(error, TDomainError::Arcsin);
      return Checked(asinl(lx) * kRadToDeg, lx);
    case TFuncId::Arctan:
      return Checked(atanl(lx) * kRadToDeg, lx);
    case TFuncId::Arcctan: {
      long double t = atanl(Rad(x));
      if (t == 0) return Refuse(error, TDomainError::Arcctan90);
      return Checked((1.0L / t) * kRadToDeg, lx);
    }
    case TFuncId::Arccosh:
      if (x < 1) return Refuse(error, TDomainError::Arccosh);
      return Checked(acoshl(Rad(x)), lx);  // below 1 radian: NaN, an invalid operation
    case TFuncId::Arcsinh:
      return Checked(asinhl(Rad(x)), lx);
    case TFuncId::Arctanh:
      if (x < -1 || x > 1) return Refuse(error, TDomainError::Arctanh);
      return Checked(atanhl(Rad(x)), lx);
    case TFuncId::Arcctanh: {
      long double y = Rad(x);
      if (std::isnan(y)) return kNaN;
      // Beyond one radian the logarithm's argument is negative; at exactly
      // one it divides by zero.
      if (std::fabs(y) > 1) RaiseMathError(K::InvalidOperation);
      if (std::fabs(y) == 1) RaiseMathError(K::DivisionByZero);
      // Refused where (1 + y)/(1 - y) rounds to 1, so the logarithm is 0.
      volatile long double q = (1 + y) / (1 - y);
      if (q == 1) return Refuse(error, TDomainError::Arcctanh90);
      return Checked(1.0L / atanhl(y), lx);
    }
    case TFuncId::Abs:
      return FormulaKernel::Abs(x);
    case TFuncId::Exp:
      return Checked(expl(lx), lx);
    case TFuncId::Pi:
      return kPi;
    case TFuncId::Sqrt:
      return FormulaKernel::Sqrt(x, error);
    case TFuncId::Ln:
      if (x <= 0) return Refuse(error, TDomainError::Ln);
      return logl(lx);
    case TFuncId::Lg:
      if (x == 0) return Refuse(error, TDomainError::Lg);
      return Checked(log10l(lx), lx);
    case TFuncId::Int:
      return truncl(lx);
    case TFuncId::Frac:
      return Checked(lx - truncl(lx), lx);
    case TFuncId::Degtorad:
      return lx * kDegToRad;
    case TFuncId::Radtodeg:
      return Checked(lx * kRadToDeg, lx);
    default:
      break;
  }

  // The integer functions: a NaN passes through untouched.
  if (std::isnan(x)) return kNaN;
  switch (id) {
    case TFuncId::Random: {
      int32_t n = Low32(Round64(x));
      if (n <= 0) return 0;
      gSeed = gSeed * 134775813u + 1u;
      return static_cast<long double>((static_cast<uint64_t>(gSeed) * static_cast<uint32_t>(n)) >> 32);
    }
    case TFuncId::Inc:
      return Add32(Low32(Round64(x)), 1);
    case TFuncId::Dec:
      return Add32(Low32(Round64(x)), -1);
    case TFuncId::Trunc:
      return static_cast<long double>(Trunc64(x));
    case TFuncId::Round:
      return static_cast<long double>(Round64(x));
    case TFuncId::Fact: {
      int32_t n = Low32(Round64(x));
      long double p = 1;
      for (int32_t i = 2; i <= n; ++i) {
        p *= i;
        if (std::isinf(p)) RaiseMathError(K::Overflow);
      }
      return p;
    }
    case TFuncId::Floor: {
      int32_t t = Low32(Trunc64(x));
      return x - std::trunc(x) < 0 ? Add32(t, -1) : t;
    }
    case TFuncId::Ceil: {
      int32_t t = Low32(Trunc64(x));
      return x - std::trunc(x) > 0 ? Add32(t, 1) : t;
    }
    default:
      break;
  }
  return kNaN;
}

[[gnu::always_inline]] inline long double ListArgument(TFuncId id, const long double* const* items,
                                                     int32_t count, TDomainError& error) {
  if (id == TFuncId::Max || id == TFuncId::Min) {
    long double r = *items[0];
    for (int32_t i = 0; i < count; ++i) {
      long double v = *items[i];
      if (std::isnan(v)) return kNaN;
      if (id == TFuncId::Max ? v > r : v < r) r = v;
    }
    return r;
  }
  if (count < 2) return kNaN;  // the compiler refuses such lists
  const double a = ToDoubleChecked(*items[0]);
  const double b = ToDoubleChecked(*items[1]);
  switch (id) {
    case TFuncId::Log: {
      if (a == 0 || b == 0) return Refuse(error, TDomainError::Log);
      if (std::isnan(a) || std::isnan(b)) return kNaN;
      if (a < 0 || b < 0) RaiseMathError(K::InvalidOperation);
      long double la = logl(a), lb = logl(b);
      if (la == 0) RaiseMathError(lb == 0 ? K::InvalidOperation : K::DivisionByZero);
      long double r = lb / la;
      if (std::isnan(r)) RaiseMathError(K::InvalidOperation);  // infinity over infinity
      return r;
    }
    case TFuncId::Div:
    case TFuncId::Mod: {
      if (b == 0) return Refuse(error, TDomainError::DivMod);
      if (std::isnan(a) || std::isnan(b)) return kNaN;
      int64_t ra = Round64(a), rb = Round64(b);
      if (rb == 0) RaiseMathError(K::DivisionByZero);
      if (ra == std::numeric_limits<int64_t>::min() && rb == -1) RaiseMathError(K::InvalidOperation);
      return static_cast<long double>(id == TFuncId::Div ? ra / rb : ra % rb);
    }
    case TFuncId::Shl:
    case TFuncId::Shr: {
      if (std::isnan(a) || std::isnan(b)) return kNaN;
      int64_t ra = Round64(a), rb = Round64(b);
      if (rb < 0 || rb > 63) return 0;
      uint64_t bits = static_cast<uint64_t>(ra);
      bits = id == TFuncId::Shl ? bits << rb : bits >> rb;
      return static_cast<long double>(static_cast<int64_t>(bits));
    }
    case TFuncId::Hypot: {
      if (std::isnan(a) || std::isnan(b)) return kNaN;
      long double m = std::fabs(static_cast<long double>(a)), s = std::fabs(static_cast<long double>(b));
      if (m < s) std::swap(m, s);
      if (m == 0) return 0;
      long double q = s / m;
      return Checked(m * sqrtl(1 + q * q), m);
    }
    default:
      break;
  }
  return kNaN;
}

constexpr size_t kFuncIdCount = static_cast<size_t>(TFuncId::Count);

template <size_t... I>
constexpr std::array<TFunction, kFuncIdCount> OneArgumentTable(std::index_sequence<I...>) {
  return {{+[](double x, TDomainError& error) {
    return OneArgument(static_cast<TFuncId>(I), x, error);
  }...}};
}
template <size_t... I>
constexpr std::array<TListFunction, kFuncIdCount> ListTable(std::index_sequence<I...>) {
  return {{+[](const long double* const* items, int32_t count, TDomainError& error) {
    return ListArgument(static_cast<TFuncId>(I), items, count, error);
  }...}};
}

constexpr auto kFunctions = OneArgumentTable(std::make_index_sequence<kFuncIdCount>());
constexpr auto kListFunctions = ListTable(std::make_index_sequence<kFuncIdCount>());

}  // namespace

TFunction FunctionOf(TFuncId id) { return kFunctions[static_cast<size_t>(id)]; }
TListFunction ListFunctionOf(TFuncId id) { return kListFunctions[static_cast<size_t>(id)]; }
