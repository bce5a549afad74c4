// One compiled formula evaluated over many points (a surface's grid): each
// point is one Evaluate, and what that call did tells whether the point has a
// value, so a fault or a shown error costs only its own point. Meanwhile the
// calls of one argument remember their values (TCallMemo).
#include "engine/Formula_internal.h"

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>
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

// The memories of the formula whose points this thread is making, and the
// position it is at.
struct TPointsContext {
  TCallMemo* Memos = nullptr;
  size_t Point = 0;
};
thread_local TPointsContext* tPoints = nullptr;

// Call h's value: remembered, or made by its function and remembered. A
// refused argument is never remembered; the evaluation deals with it as ever.
long double Remember(size_t h, double x, TDomainError& error) {
  TCallMemo& memo = tPoints->Memos[h];
  const size_t point = tPoints->Point;
  uint64_t key;
  std::memcpy(&key, &x, sizeof key);
  ++memo.Calls;
  if (key == memo.LastKey) return ++memo.Hits, memo.LastValue;
  if (key == memo.Keys[point]) {
    ++memo.Hits;
    memo.LastKey = key;
    return memo.LastValue = memo.Values[point];
  }
  const long double v = memo.Function(x, error);
  if (error == TDomainError::None) {
    memo.LastKey = memo.Keys[point] = key;
    memo.LastValue = memo.Values[point] = v;
  }
  return v;
}

// The function put in the place of call h: a function pointer has no room
// for the call's number, so each number has an entry of its own.
template <size_t H>
long double RememberedCall(double x, TDomainError& error) {
  return Remember(H, x, error);
}
template <size_t... H>
constexpr std::array<TFunction, sizeof...(H)> RememberedCalls(std::index_sequence<H...>) {
  return {&RememberedCall<H>...};
}
// Calls beyond these are made as ever.
constexpr auto kRememberedCalls = RememberedCalls(std::make_index_sequence<64>());

}  // namespace

size_t TFormula::EvaluatePoints(int32_t Mode, const long double* X, const long double* Y, size_t Count,
                                long double* Values, TPointFault* Faults, const std::atomic<bool>* Stop) {
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
  // have left is put back at the end, however the loop ends. So are the
  // calls that remembered their values.
  TPointsContext context;
  struct TRestore {
    TFormula& F;
    uint8_t Flag;
    bool NumericOnly;
    TPointsContext* Points;
    ~TRestore() {
      F.ErrorFlag |= Flag;
      F.NumericOnly = NumericOnly;
      F.ResultText.clear();
      for (size_t h = 1; h < F.FMemos.size() && h < kRememberedCalls.size(); ++h) {
        TCallCode& c = F.FCallCode[h];
        if (c.Function == kRememberedCalls[h]) {
          TCallMemo& memo = F.FMemos[h];
          c.Id = memo.Id;
          c.Function = memo.Function;
          // Judged on points that could find the earlier ones' arguments.
          if (memo.Filled && memo.Hits < memo.Calls / 4) memo.Off = true;
          memo.Filled = true;
          memo.Calls = memo.Hits = 0;
        }
      }
      tPoints = Points;
    }
  } restore{*this, ErrorFlag, NumericOnly, tPoints};
  NumericOnly = true;

  // Not random, whose values are drawn; not abs and sqrt, which are cheaper
  // than remembering and which some steps make in place by their Id. Every
  // other call of one argument goes through its memory: with the Id of no
  // function, the evaluation makes it by its Function.
  FMemos.resize(FCallCode.size());
  for (size_t h = 1; h < FCallCode.size() && h < kRememberedCalls.size(); ++h) {
    TCallCode& c = FCallCode[h];
    if (c.Id == TFuncId::Random || c.Id == TFuncId::Abs || c.Id == TFuncId::Sqrt || !c.Function ||
        (c.ArgKind != TCallCode::Value && c.ArgKind != TCallCode::Slot))
      continue;
    TCallMemo& memo = FMemos[h];
    if (memo.Id != c.Id || memo.Function != c.Function) {
      memo = TCallMemo{};
      memo.Id = c.Id;
      memo.Function = c.Function;
    }
    if (memo.Off) continue;
    if (memo.Keys.size() < Count) {
      memo.Keys.resize(Count, TCallMemo::kEmpty);
      memo.Values.resize(Count);
    }
    c.Id = TFuncId::None;
    c.Function = kRememberedCalls[h];
  }
  context.Memos = FMemos.data();
  tPoints = &context;

  const bool oneEach = xs.size() == 1 && ys.size() <= 1;  // the usual case, without the loops
  constexpr long double kNoValue = std::numeric_limits<long double>::quiet_NaN();
  for (size_t i = 0; i < Count; ++i) {
    if (Stop && Stop->load(std::memory_order_relaxed)) return i;
    context.Point = i;
    if (oneEach) {
      *xs[0] = X[i];
      if (!ys.empty()) *ys[0] = Y[i];
    } else {
      for (long double* x : xs) *x = X[i];
      for (long double* y : ys) *y = Y[i];
    }
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
  return Count;
}
