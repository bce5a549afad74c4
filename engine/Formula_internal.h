// The compiled form of a formula, shared by the compiler and the evaluator.
// Parse decodes every marker of the tables into these records once, so
// Evaluate never reads text.
#pragma once

#include "Formula_functions.h"
#include "Formula_math.h"

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

// One node to compute. Its Result is written only where it is read back:
// by a later reader that takes it from memory, or by the node itself ('/'
// keeps its Result across a zero divisor). Values passed straight to the
// next step, and calls' values, stay in registers.
struct TFormula::TStepCode {
  char16_t Op = 0;
  bool HasCall = false;  // an operand is a function call
  bool Store = false;    // write the value into Result
  bool SameCall = false; // both operands call the same function on the same argument
  int32_t Node = 0;
  TOperandCode A, B;
  long double* Result = nullptr;
};

struct TFormula::TCallCode {
  enum TArg : uint8_t { None, Node, List };
  TFuncId Id = TFuncId::None;
  TArg ArgKind = None;
  const long double* Arg = nullptr;  // the Result of the argument node
  int32_t First = 0, Count = 0;      // list items, read through FItemSrc
};

// Reads the decimal number at s[pos...]; false when there is none or it is
// too large. pos moves past the digits.
bool ReadMarkerNumber(std::u16string_view s, size_t& pos, int32_t& value);
std::u16string MarkerNumber(int32_t n);
