// Evaluation of a compiled formula: the nodes in table order, the five
// operators, the function calls, the rounding and the result text.
#include "Formula_internal.h"
#include "Formula_texts.h"

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
  if (s.B.Kind == TOperandCode::Call) *s.Result = b;
  else if (s.A.Kind == TOperandCode::Call) *s.Result = a;
  if (s.B.Plain && a == b) *s.Result = b;
  RaiseMathError(kind);
}

// '/' with a zero divisor and a number to divide: 0/0 is a fault, anything
// else is shown (every time) and the node keeps its Result.
long double TFormula::ZeroDivisor(const TStepCode& s, long double a) {
  if (s.B.Plain && a == 0) *s.Result = 0;
  if (a == 0) RaiseMathError(K::InvalidOperation);
  ErrorFlag = 1;
  std::u16string text(FormulaText::kEvalPrefix);
  text += u'\r';
  text += FormulaText::kMsgDivisionByZero;
  ShowMessage(TMessageIcon::Error, text);
  return *s.Result;
}

// A step with a function call among its operands. A call's value goes into
// the node's Result as it is made; only a '/' node can keep that value, so
// only there is it written.
long double TFormula::CallStep(const TStepCode& s, int32_t mode) {
  long double a, b;
  if (s.A.Kind == TOperandCode::Call) {
    a = CallValue(s.A.CallIndex, mode);
    if (s.Op == u'/') *s.Result = a;
  } else {
    a = s.A.Kind == TOperandCode::Const ? s.A.D : *s.A.Src;
  }
  if (s.SameCall) {
    b = a;
  } else if (s.B.Kind == TOperandCode::Call) {
    b = CallValue(s.B.CallIndex, mode);
    if (s.Op == u'/') *s.Result = b;
  } else {
    b = s.B.Kind == TOperandCode::Const ? s.B.D : *s.B.Src;
  }
  if (s.Op == u'/' && b == 0 && !std::isnan(a)) return ZeroDivisor(s, a);
  long double r = Arith(s.Op, a, b);
  if (!Finite(r)) r = OperatorFault(s, a, b, r);
  if (s.Store) *s.Result = r;
  return r;
}

long double TFormula::CallValue(int32_t h, int32_t mode) {
  const TCallCode& c = FCallCode[h];
  TDomainError error = TDomainError::None;
  double x = 0;
  long double v;
  if (c.ArgKind == TCallCode::List) {
    v = ApplyListFunction(c.Id, &FItemSrc[c.First], c.Count, error);
  } else {
    if (c.ArgKind == TCallCode::Node) x = ToDoubleChecked(*c.Arg);
    v = ApplyFunction(c.Id, x, error);
  }
  if (__builtin_expect(error != TDomainError::None, 0)) {
    if (mode == 1 || (mode == 2 && EvalCount == 1)) {
      ShowMessage(TMessageIcon::Error, DomainMessage(error, x));
      ErrorFlag = 1;
      Grow(EvalCount);
      throw TDomainStop{};
    }
    // Not shown: the call yields the quiet NaN, a gap in a plot.
  }
  return v;
}

void TFormula::Evaluate(int32_t Mode) {
  // The value of the step just made stays at hand in `last` for the next.
  long double last = 0;
  try {
    for (const TStepCode& s : FSteps) {
      if (s.HasCall) {
        last = CallStep(s, Mode);
        continue;
      }
      const long double a = s.A.Kind == TOperandCode::Prev    ? last
                            : s.A.Kind == TOperandCode::Const ? static_cast<long double>(s.A.D)
                                                              : *s.A.Src;
      const long double b = s.B.Kind == TOperandCode::Prev    ? last
                            : s.B.Kind == TOperandCode::Const ? static_cast<long double>(s.B.D)
                                                              : *s.B.Src;
      if (__builtin_expect(s.Op == u'/' && b == 0, 0) && !std::isnan(a)) {
        last = ZeroDivisor(s, a);
        continue;
      }
      long double r = Arith(s.Op, a, b);
      // (The fault check returns r, so that r is not held across a call.)
      if (__builtin_expect(!Finite(r), 0)) r = OperatorFault(s, a, b, r);
      if (s.Store) *s.Result = r;
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
