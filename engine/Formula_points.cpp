// One compiled formula evaluated over many points (a surface's grid): each
// point is one Evaluate, and what that call did tells whether the point has a
// value, so a fault or a shown error costs only its own point.
#include "Formula_math.h"

#include <cmath>
#include <limits>
#include <vector>

namespace {

TPointFault FaultOf(EMathError::TKind kind) {
  switch (kind) {
    case EMathError::TKind::InvalidOperation: return TPointFault::InvalidOperation;
    case EMathError::TKind::DivisionByZero: return TPointFault::DivisionByZero;
    case EMathError::TKind::Overflow: return TPointFault::Overflow;
  }
  return TPointFault::InvalidOperation;
}

}  // namespace

void TFormula::EvaluatePoints(int32_t Mode, const long double* X, const long double* Y, size_t Count,
                              long double* Values, TPointFault* Faults) {
  // Every entry of a name takes the value: a list element has an entry of
  // its own («max(x;x)» makes two entries named x).
  std::vector<long double*> xs, ys;
  const std::u16string* second = nullptr;
  for (int32_t v = 1; v <= VarCount; ++v) {
    const std::u16string& name = Vars[v].Name;
    if (name == Vars[1].Name) {
      xs.push_back(&Vars[v].Value);
    } else if (Y) {
      if (!second) second = &name;
      if (name == *second) ys.push_back(&Vars[v].Value);
    }
  }

  // ErrorFlag is cleared before each point, so that the flag an evaluation
  // sets shows that it reported an error; the flag the single calls would
  // have left is put back at the end, however the loop ends.
  struct TRestore {
    TFormula& F;
    uint8_t Flag;
    bool NumericOnly;
    ~TRestore() {
      F.ErrorFlag |= Flag;
      F.NumericOnly = NumericOnly;
      F.ResultText.clear();
    }
  } restore{*this, ErrorFlag, NumericOnly};
  NumericOnly = true;

  constexpr long double kNoValue = std::numeric_limits<long double>::quiet_NaN();
  for (size_t i = 0; i < Count; ++i) {
    for (long double* x : xs) *x = X[i];
    for (long double* y : ys) *y = Y[i];
    restore.Flag |= ErrorFlag;
    ErrorFlag = 0;
    TPointFault fault = TPointFault::None;
    try {
      Evaluate(Mode);
      // A refused argument that is not shown yields NaN: a NaN result is
      // no value.
      if (ErrorFlag != 0)
        fault = TPointFault::Reported;
      else if (std::isnan(Value))
        fault = TPointFault::Refused;
    } catch (const EMathError& error) {
      fault = FaultOf(error.Kind());
    }
    Values[i] = fault == TPointFault::None ? Value : kNoValue;
    Faults[i] = fault;
  }
}
