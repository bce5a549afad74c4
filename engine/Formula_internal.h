// The compiled form of a formula, shared by the compiler and the evaluator.
// Parse decodes every marker of the tables into these records once, so
// Evaluate never reads text.
#pragma once

#include "engine/Formula_functions.h"
#include "engine/Formula_math.h"

// A node's value as function calls take it: converted to double when the
// node is computed, which is far cheaper than keeping the 80-bit value in
// memory for the call to convert.
struct TFormula::TArgSlot {
  double D = 0;
  bool TooLarge = false;  // D is an infinity made from a finite value: a fault when read
};

struct TFormula::TOperandCode {
  // Const: a number that is a double exactly, held in D. Value: a number, a
  // variable or an earlier node, read through Src. Prev: the node of the
  // step just before, whose value is still at hand. Call: a function call,
  // made when the operand is read.
  enum TKind : uint8_t { Const, Value, Prev, Call };
  TKind Kind = Value;
  bool Plain = false;     // a number or variable: a == b also writes the node's Result
  int32_t CallIndex = 0;  // for Call
  int32_t Node = 0;       // the node read, for Value and Prev of a node
  double D = 0;
  const long double* Src = nullptr;
};

// Steps without calls in a common shape have a code of their own: '+', '-'
// or '*' on two operands that are each a Const, a Value or Prev; a division
// by a constant that is not zero; a square («x^2»); a pass-through node.
// So do the common steps with one call (kCallStep). Every other step is
// General, or GeneralPrev when it reads the step before's value.
enum class TFastOp : uint8_t { Add, Sub, Mul, DivByConst, Square, Pass };
inline constexpr uint8_t kGeneralStep = 0, kGeneralPrevStep = 1, kFirstFastStep = 2;
constexpr uint8_t FastCode(TFastOp op, uint8_t a, uint8_t b) {
  const uint8_t first = kFirstFastStep, o = static_cast<uint8_t>(op);
  switch (op) {
    case TFastOp::DivByConst: return first + 27 + a;
    case TFastOp::Square: return first + 30 + a;
    case TFastOp::Pass: return first + 33 + b;
    default: return first + (o * 3 + a) * 3 + b;
  }
}
// A step with one call: the pass-through node of a call («sin$1»), or '+',
// '-' or '*' on a call and an operand that is no call; kCallPrevStep when
// that operand is Prev; kSmallCallStep for abs and sqrt of one argument,
// whose kernels are made in the loop.
inline constexpr uint8_t kCallStep = kFirstFastStep + 44, kCallPrevStep = kCallStep + 1,
                         kSmallCallStep = kCallStep + 2;
// Two steps made as one («x*2+3»): a Value times a Const (in either order)
// whose product only the next step reads, and that step adding or
// subtracting a Const and the product (in either order). The code is the
// first step's; the second keeps its own record, for a fault.
constexpr uint8_t FusedCode(bool valueFirst, TFastOp second, bool prevFirst) {
  return kFirstFastStep + 36 + (valueFirst ? 0 : 4) + (second == TFastOp::Add ? 0 : 2) +
         (prevFirst ? 0 : 1);
}

// One node to compute. Its Result is written only where it is read back:
// by a later reader that takes it from memory, or by the node itself ('/'
// keeps its Result across a zero divisor). Values passed straight to the
// next step stay in registers, and calls take theirs from Slot.
struct TFormula::TStepCode {
  uint8_t Code = kGeneralStep;
  char16_t Op = 0;
  bool Store = false;    // write the value into Result
  bool SameCall = false; // both operands call the same function on the same argument
  int32_t Node = 0;
  TOperandCode A, B;
  long double* Result = nullptr;
  TArgSlot* Slot = nullptr;  // the value for calls, when they take it
  // The call of a step with one call (see kCallStep).
  int32_t OneCall() const { return A.Kind == TOperandCode::Call ? A.CallIndex : B.CallIndex; }
};

struct TFormula::TCallCode {
  // Value: the argument is read and converted from Arg (a variable, a
  // number, or the Result of a node that is not computed as a step);
  // Slot: from a node's Slot.
  enum TArg : uint8_t { None, Value, Slot, List };
  TFuncId Id = TFuncId::None;
  TArg ArgKind = None;
  TFunction Function = nullptr;
  TListFunction ListFunction = nullptr;
  const long double* Arg = nullptr;
  const TArgSlot* ArgSlot = nullptr;
  int32_t First = 0, Count = 0;  // list items, read through FItemSrc

  // The argument of a call of kind Value or Slot, as the function takes it.
  double Argument() const {
    if (ArgKind == Value) return ToDoubleChecked(*Arg);
    const double x = ArgSlot->D;
    if (__builtin_expect(__builtin_isinf(x), 0) && ArgSlot->TooLarge)
      RaiseMathError(EMathError::TKind::Overflow);
    return x;
  }
};

// What a call of one argument made at the points of EvaluatePoints (which
// puts a function of its own in the call's place): its last argument and
// value, and those at each position of the points the time before. On a grid
// the argument of a function of X alone repeats at each position from line to
// line, that of a function of Y alone from point to point. The functions are
// pure (random is never remembered), so a value found here is the one the
// call would make. Keys are the argument's bits; a signalling NaN, which no
// conversion to double makes, marks an empty key. A call whose argument
// hardly repeats (sin(x+y)) is no longer remembered once a set of points
// after the first shows it.
struct TCallMemo {
  static constexpr uint64_t kEmpty = 0x7FF0000000000001ull;
  TFuncId Id = TFuncId::None;    // the call's function (a new Parse may change it)
  TFunction Function = nullptr;  // and its entry
  uint64_t LastKey = kEmpty;
  long double LastValue = 0;
  std::vector<uint64_t> Keys;
  std::vector<long double> Values;
  uint32_t Calls = 0, Hits = 0;  // of the present points
  bool Filled = false;           // Keys hold the arguments of earlier points
  bool Off = false;              // not worth remembering
};

// Reads the decimal number at s[pos...]; false when there is none or it is
// too large. pos moves past the digits.
bool ReadMarkerNumber(std::u16string_view s, size_t& pos, int32_t& value);
std::u16string MarkerNumber(int32_t n);
// Appends the decimal digits of n >= 0.
void AppendNumber(std::u16string& s, int32_t n);
