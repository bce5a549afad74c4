// Evaluation of a compiled formula: the nodes in table order, the five
// operators, the function calls, the rounding and the result text.
#include "engine/Formula_internal.h"
#include "engine/Formula_kernels.h"
#include "engine/Formula_texts.h"

#include <cfloat>
#include <cmath>
#include <limits>

using K = EMathError::TKind;

namespace {

// A domain error that was shown ends the evaluation at once.
struct TDomainStop {};

// x^y. A whole exponent within 32 bits is done by repeated squaring (so
// negative bases work and 0^0 = 1); otherwise 0 for a zero base, and the
// exponential form for the rest, which has no value for a negative base.
// Faults are left in the result (NaN, infinity) for the caller to classify.
long double Power(long double x, long double y) {
  if (std::isnan(x) || std::isnan(y)) return x + y;
  if (y == truncl(y) && std::fabs(y) <= 2147483647.0L) {
    uint32_t e = static_cast<uint32_t>(std::fabs(y));
    long double r = 1, base = x;
    while (e != 0) {
      if (e & 1u) r *= base;
      e >>= 1;
      if (e != 0) base *= base;
    }
    return y < 0 ? 1 / r : r;
  }
  if (x == 0) return 0;
  if (x < 0) return std::numeric_limits<long double>::quiet_NaN();
  return powl(x, y);
}

// r - r is NaN exactly for an infinite or NaN r; unlike a comparison with
// the largest value it needs no 80-bit constant loaded from memory.
inline bool Finite(long double r) {
  long double z = r - r;
  return z == z;
}

inline void Grow(int32_t& count) {
  if (count < INT32_MAX) ++count;
}

// The value of operator op; a zero divisor is dealt with before.
inline long double Arith(char16_t op, long double a, long double b) {
  switch (op) {
    case u'+': return a + b;
    case u'-': return a - b;
    case u'*': return a * b;
    case u'/': return a / b;
    case u'^': return b == 2 ? a * a : Power(a, b);
    default: return b;  // a pass-through node
  }
}

}  // namespace

// A node's value converted for the calls that take it. A finite value too
// large for a double is a fault only when a call reads it.
#define WRITE_SLOT(slot, v)                                                          \
  do {                                                                               \
    (slot).D = static_cast<double>(v);                                               \
    if (__builtin_expect(__builtin_isinf((slot).D), 0)) (slot).TooLarge = !__builtin_isinf(v); \
  } while (false)

void TFormula::SetResult(const TStepCode& s, long double v) {
  *s.Result = v;
  if (s.Slot) WRITE_SLOT(*s.Slot, v);
}

// A result that is NaN or infinite: a fault unless an operand already was.
// Before a fault the node gets what the operand reading had left in it.
// Returns r when it is no fault.
long double TFormula::OperatorFault(const TStepCode& s, long double a, long double b, long double r) {
  K kind;
  if (std::isnan(r)) {
    if (std::isnan(a) || std::isnan(b)) return r;
    kind = K::InvalidOperation;
  } else {
    if (!std::isfinite(a) || !std::isfinite(b)) return r;
    kind = s.Op == u'^' && a == 0 ? K::DivisionByZero : K::Overflow;
  }
  if (s.B.Kind == TOperandCode::Call) SetResult(s, b);
  else if (s.A.Kind == TOperandCode::Call) SetResult(s, a);
  if (s.B.Plain && a == b) SetResult(s, b);
  RaiseMathError(kind);
}

// '/' with a zero divisor and a number to divide: 0/0 is a fault, anything
// else is shown (every time) and the node keeps its Result.
long double TFormula::ZeroDivisor(const TStepCode& s, long double a) {
  if (s.B.Plain && a == 0) SetResult(s, 0);
  if (a == 0) RaiseMathError(K::InvalidOperation);
  ErrorFlag = 1;
  std::u16string text(FormulaText::kEvalPrefix);
  text += u'\r';
  text += FormulaText::kMsgDivisionByZero;
  ShowMessage(TMessageIcon::Error, text);
  SetResult(s, *s.Result);
  return *s.Result;
}

// A refused argument: shown (and the evaluation ended) by the mode's rule;
// otherwise the call yields the function's quiet NaN, a gap in a plot.
void TFormula::DomainError(TDomainError error, double x, int32_t mode) {
  if (mode == 1 || (mode == 2 && EvalCount == 1)) {
    ShowMessage(TMessageIcon::Error, DomainMessage(error, x));
    ErrorFlag = 1;
    Grow(EvalCount);
    throw TDomainStop{};
  }
}

// The value of call h. The functions met most are computed in place, so
// that the values the evaluation holds stay in registers across them.
[[gnu::always_inline]] inline long double TFormula::CallValue(int32_t h, int32_t mode) {
  const TCallCode& c = FCallCode[h];
  TDomainError error = TDomainError::None;
  double x = 0;
  long double v;
  if (c.ArgKind == TCallCode::List) [[unlikely]] {
    v = c.ListFunction(&FItemSrc[c.First], c.Count, error);
  } else {
    if (c.ArgKind != TCallCode::None) x = c.Argument();
    switch (c.Id) {
      case TFuncId::Sin: v = FormulaKernel::Sin(x); break;
      case TFuncId::Cos: v = FormulaKernel::Cos(x); break;
      case TFuncId::Abs: v = FormulaKernel::Abs(x); break;
      case TFuncId::Sqrt: v = FormulaKernel::Sqrt(x, error); break;
      default: [[unlikely]] v = c.Function(x, error); break;
    }
  }
  if (__builtin_expect(error != TDomainError::None, 0)) DomainError(error, x, mode);
  return v;
}

// The same, out of line, for the evaluation loop: with the kernels inline
// there, too many values would compete for the registers.
long double TFormula::CallValueOf(int32_t h, int32_t mode) { return CallValue(h, mode); }

// Any step without a code of its own: '/' by what may be zero, '^', and
// calls in shapes other than kCallStep's.
// prev points to the value of the step before when the step reads it. A
// call's value goes into the node's Result as it is made; only a '/' node
// can keep that value, so only there is it written.
long double TFormula::OtherStep(const TStepCode& s, int32_t mode, const long double* prev) {
  auto read = [prev](const TOperandCode& o) -> long double {
    return o.Kind == TOperandCode::Prev ? *prev : o.Kind == TOperandCode::Const ? o.D : *o.Src;
  };
  long double a, b;
  if (s.A.Kind == TOperandCode::Call) {
    a = CallValue(s.A.CallIndex, mode);
    if (s.Op == u'/') SetResult(s, a);
    if (s.SameCall) {
      b = a;
    } else if (s.B.Kind == TOperandCode::Call) {
      b = CallValue(s.B.CallIndex, mode);
      if (s.Op == u'/') SetResult(s, b);
    } else {
      b = read(s.B);
    }
  } else {
    // Reading an operand has no effect, so a is read after the call, which
    // then need not keep it.
    if (s.B.Kind == TOperandCode::Call) {
      b = CallValue(s.B.CallIndex, mode);
      if (s.Op == u'/') SetResult(s, b);
    } else {
      b = read(s.B);
    }
    a = read(s.A);
  }
  if (__builtin_expect(s.Op == u'/' && b == 0, 0) && !std::isnan(a)) return ZeroDivisor(s, a);
  long double r = Arith(s.Op, a, b);
  if (__builtin_expect(!Finite(r), 0)) r = OperatorFault(s, a, b, r);
  if (s.Store) *s.Result = r;
  if (s.Slot) WRITE_SLOT(*s.Slot, r);
  return r;
}

// '+', '-' or '*' on the call's value c and the step's other operand, which
// is prev when it is Prev. A pass-through node of a call is c itself: the
// call's value is never a new fault.
[[gnu::always_inline]] inline long double TFormula::WithCall(const TStepCode& s, long double c,
                                                             long double prev) {
  const bool callA = s.A.Kind == TOperandCode::Call;
  const TOperandCode& o = callA ? s.B : s.A;
  const long double other = o.Kind == TOperandCode::Prev    ? prev
                            : o.Kind == TOperandCode::Const ? static_cast<long double>(o.D)
                                                            : *o.Src;
  const long double a = callA ? c : other, b = callA ? other : c;
  long double r = s.Op == u'+' ? a + b : s.Op == u'-' ? a - b : a * b;
  if (__builtin_expect(!Finite(r), 0)) r = OperatorFault(s, a, b, r);
  return r;
}

// The product of a fused pair's first step is not finite: a fault unless an
// operand already was, as for the step alone.
long double TFormula::FusedProductFault(const TStepCode& s, long double r) {
  auto read = [](const TOperandCode& o) -> long double {
    return o.Kind == TOperandCode::Const ? o.D : *o.Src;
  };
  return OperatorFault(s, read(s.A), read(s.B), r);
}

// An operand of a step by its kind, which is a constant in every fast case.
#define OPERAND(kind, o)                                                    \
  ((kind) == TOperandCode::Prev    ? last                                   \
   : (kind) == TOperandCode::Const ? static_cast<long double>((o).D)       \
                                   : *(o).Src)
#define BINARY_CASE(op, expr, ka, kb)                                       \
  case FastCode(TFastOp::op, ka, kb): {                                     \
    const long double a = OPERAND(ka, s.A), b = OPERAND(kb, s.B);           \
    r = expr;                                                               \
    if (__builtin_expect(!Finite(r), 0)) r = OperatorFault(s, a, b, r);     \
    break;                                                                  \
  }
#define BINARY_CASES_OF(op, expr, ka)                                       \
  BINARY_CASE(op, expr, ka, TOperandCode::Const)                            \
  BINARY_CASE(op, expr, ka, TOperandCode::Value)                            \
  BINARY_CASE(op, expr, ka, TOperandCode::Prev)
#define BINARY_CASES(op, expr)                                              \
  BINARY_CASES_OF(op, expr, TOperandCode::Const)                            \
  BINARY_CASES_OF(op, expr, TOperandCode::Value)                            \
  BINARY_CASES_OF(op, expr, TOperandCode::Prev)
#define UNARY_CASE(op, kind, read, b, expr)                                 \
  case FastCode(TFastOp::op, kind, kind): {                                 \
    const long double v = OPERAND(kind, read);                              \
    r = expr;                                                               \
    if (__builtin_expect(!Finite(r), 0)) r = OperatorFault(s, v, b, r);     \
    break;                                                                  \
  }
// A fused pair (see FusedCode): p moves on to the second step, whose
// record the rest of the loop uses.
#define FUSED_CASE(valueFirst, op, expr, prevFirst)                         \
  case FusedCode(valueFirst, TFastOp::op, prevFirst): {                     \
    const TStepCode& t = p[1];                                              \
    const long double x = *(valueFirst ? s.A : s.B).Src,                    \
                      k = (valueFirst ? s.B : s.A).D;                       \
    long double m = valueFirst ? x * k : k * x;                             \
    if (__builtin_expect(!Finite(m), 0)) m = FusedProductFault(s, m);       \
    const long double c = (prevFirst ? t.B : t.A).D;                        \
    const long double a = prevFirst ? m : c, b = prevFirst ? c : m;         \
    r = expr;                                                               \
    if (__builtin_expect(!Finite(r), 0)) r = OperatorFault(t, a, b, r);     \
    ++p;                                                                    \
    break;                                                                  \
  }
#define FUSED_CASES(valueFirst)                                             \
  FUSED_CASE(valueFirst, Add, a + b, true)                                  \
  FUSED_CASE(valueFirst, Add, a + b, false)                                 \
  FUSED_CASE(valueFirst, Sub, a - b, true)                                  \
  FUSED_CASE(valueFirst, Sub, a - b, false)
#define UNARY_CASES(op, read, b, expr)                                      \
  UNARY_CASE(op, TOperandCode::Const, read, b, expr)                        \
  UNARY_CASE(op, TOperandCode::Value, read, b, expr)                        \
  UNARY_CASE(op, TOperandCode::Prev, read, b, expr)

// A formula whose compile failed has no steps (see Parse): its evaluation
// computes nothing and ends with the top node's Result, which no step
// writes, 0, and the empty text of a flagged formula. No test for it here:
// one in front of the loop costs every evaluation a register.
void TFormula::Evaluate(int32_t Mode) {
  // The value of the step just made stays at hand in `last` for the next.
  long double last = 0;
  try {
    for (const TStepCode *p = FSteps.data(), *end = p + FSteps.size(); p != end; ++p) {
      const TStepCode& s = *p;
      long double r;
      switch (s.Code) {
        BINARY_CASES(Add, a + b)
        BINARY_CASES(Sub, a - b)
        BINARY_CASES(Mul, a * b)
        UNARY_CASES(DivByConst, s.A, static_cast<long double>(s.B.D), v / s.B.D)
        UNARY_CASES(Square, s.A, 2.0L, v * v)
        FUSED_CASES(true)
        FUSED_CASES(false)
        // A pass-through node: an operand's value is never a new fault.
        case FastCode(TFastOp::Pass, 0, TOperandCode::Const): r = s.B.D; break;
        case FastCode(TFastOp::Pass, 0, TOperandCode::Value): r = *s.B.Src; break;
        case FastCode(TFastOp::Pass, 0, TOperandCode::Prev): r = last; break;
        case kSmallCallStep: {
          // Kernels this small are made here, and the value at hand stays in
          // a register; only a refused argument puts it in memory.
          const TCallCode& cc = FCallCode[s.OneCall()];
          const double x = cc.Argument();
          TDomainError error = TDomainError::None;
          const long double c = cc.Id == TFuncId::Abs ? FormulaKernel::Abs(x) : FormulaKernel::Sqrt(x, error);
          if (__builtin_expect(error != TDomainError::None, 0)) {
            FPrev = last;
            DomainError(error, x, Mode);
            last = FPrev;
          }
          r = s.Op == 0 ? c : WithCall(s, c, last);
          break;
        }
        case kCallPrevStep: {
          // The value at hand goes through memory, as the call would not
          // keep it in a register.
          FPrev = last;
          const long double c = CallValueOf(s.OneCall(), Mode);
          r = WithCall(s, c, FPrev);
          break;
        }
        case kCallStep: {
          const long double c = CallValueOf(s.OneCall(), Mode);
          r = s.Op == 0 ? c : WithCall(s, c, 0);
          break;
        }
        case kGeneralStep:
          last = OtherStep(s, Mode, nullptr);
          continue;
        default:
          // A general step that reads the value at hand: it goes through
          // memory, as the step makes calls that would not keep it anyway.
          FPrev = last;
          last = OtherStep(s, Mode, &FPrev);
          continue;
      }
      if (p->Store) *p->Result = r;
      if (p->Slot) WRITE_SLOT(*p->Slot, r);
      last = r;
    }
  } catch (const TDomainStop&) {
    return;
  }

  // The top node, entry 0 (zero) when there are no nodes.
  long double v = FTopIsLastStep ? last : Nodes[static_cast<size_t>(NodeCount)].Result;
  if (Precision > 0) {
    long double digits = std::fabs(log10l(Precision));
    int32_t n = 1000;  // beyond every digit a double has
    if (digits < 1000) {
      long double f = floorl(digits), rest = digits - f;
      n = static_cast<int32_t>(f);
      if (rest > 0.5L || (rest == 0.5L && (n % 2) == 1)) ++n;
    }
    v = RoundToDigits(n, ToDoubleChecked(v));
  }
  Value = v;
  if (NumericOnly || ErrorFlag == 1)
    ResultText.clear();
  else
    ResultText = FormatGeneral(v);
  Grow(EvalCount);
}

#undef FUSED_CASES
#undef FUSED_CASE
#undef UNARY_CASES
#undef UNARY_CASE
#undef BINARY_CASES
#undef BINARY_CASES_OF
#undef BINARY_CASE
#undef OPERAND
#undef WRITE_SLOT
