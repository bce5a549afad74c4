// The compiled form of a formula, shared by the compiler and the evaluator.
// Parse decodes every marker of the tables into these records once, so
// Evaluate never reads text.
#pragma once

#include "Formula_functions.h"
#include "Formula_math.h"

struct TFormula::TOperandCode {
  enum TKind : uint8_t { Value, Node, Call };
  TKind Kind = Value;
  bool Plain = false;          // a number or variable: a == b also writes the node's Result
  int32_t CallIndex = 0;       // call number, for Call
  const long double* Src = nullptr;  // the operand's Value or the referenced node's Result
};

struct TFormula::TStepCode {
  char16_t Op = 0;
  TOperandCode A, B;
  long double* Result = nullptr;
};

struct TFormula::TCallCode {
  enum TArg : uint8_t { None, Node, List };
  TFuncId Id = TFuncId::None;
  TArg ArgKind = None;
  bool HasGroupItems = false;  // list items in brackets take their group's value at the call
  const long double* Arg = nullptr;  // the Result of the argument node
  int32_t First = 0, Count = 0;      // list items
};

// Reads the decimal number at s[pos...]; false when there is none or it is
// too large. pos moves past the digits.
bool ReadMarkerNumber(std::u16string_view s, size_t& pos, int32_t& value);
std::u16string MarkerNumber(int32_t n);
