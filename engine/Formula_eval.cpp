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

inline void Grow(int32_t& count) {
  if (count < INT32_MAX) ++count;
}

}  // namespace

// A result that is NaN or infinite: a fault unless an operand already was.
// Before a fault the node gets what the operand reading had left in it.
void TFormula::OperatorFault(const TStepCode& s, long double a, long double b, long double r) {
  K kind;
  if (std::isnan(r)) {
    if (std::isnan(a) || std::isnan(b)) return;
    kind = K::InvalidOperation;
  } else {
    if (!std::isfinite(a) || !std::isfinite(b)) return;
    kind = s.Op == u'^' && a == 0 ? K::DivisionByZero : K::Overflow;
  }
  if (s.B.Plain && a == b) *s.Result = b;
  RaiseMathError(kind);
}

long double TFormula::CallValue(int32_t h, int32_t mode) {
  const TCallCode& c = FCallCode[h];
  TDomainError error = TDomainError::None;
  double x = 0;
  long double v;
  if (c.ArgKind == TCallCode::List) {
    if (c.HasGroupItems)
      for (int32_t p = c.First; p < c.First + c.Count; ++p)
        if (FItemGroup[p]) ListItems[p].Value = *FItemGroup[p];
    v = ApplyListFunction(c.Id, &ListItems[c.First], c.Count, error);
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
  Calls[h].Value = v;
  return v;
}

void TFormula::Evaluate(int32_t Mode) {
  for (const TCopy& c : FVarCopies) *c.Dst = *c.Src;
  try {
    for (const TStepCode& s : FSteps) {
      long double a, b, r;
      if (s.A.Kind == TOperandCode::Call) {
        a = CallValue(s.A.CallIndex, Mode);
        *s.Result = a;
      } else {
        a = *s.A.Src;
      }
      if (s.B.Kind == TOperandCode::Call) {
        b = CallValue(s.B.CallIndex, Mode);
        *s.Result = b;
      } else {
        b = *s.B.Src;
      }
      switch (s.Op) {
        case u'+': r = a + b; break;
        case u'-': r = a - b; break;
        case u'*': r = a * b; break;
        case u'/':
          if (b == 0 && !std::isnan(a)) {
            if (s.B.Plain && a == b) *s.Result = b;
            if (a == 0) RaiseMathError(K::InvalidOperation);
            // Shown every time; the node keeps its Result and the
            // evaluation goes on.
            ErrorFlag = 1;
            std::u16string text(FormulaText::kEvalPrefix);
            text += u'\r';
            text += FormulaText::kMsgDivisionByZero;
            ShowMessage(TMessageIcon::Error, text);
            continue;
          }
          r = a / b;
          break;
        case u'^': r = Power(a, b); break;
        default: r = b; break;
      }
      if (__builtin_expect(!(std::fabs(r) <= LDBL_MAX), 0)) OperatorFault(s, a, b, r);
      *s.Result = r;
    }
  } catch (const TDomainStop&) {
    return;
  }

  long double v = Nodes[static_cast<size_t>(NodeCount)].Result;  // entry 0 (zero) without nodes
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
