// Helpers shared by the engine tests: a message recorder and a one-call
// compile-and-evaluate.
#pragma once

#include "engine/Formula_math.h"
#include "engine/Formula_texts.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Records every message the engine shows while it lives.
class TMessageRecorder {
public:
  TMessageRecorder() {
    FPrevious = SetMessageHook([this](TMessageIcon icon, const std::u16string& text) {
      Icons.push_back(icon);
      Texts.push_back(text);
    });
  }
  ~TMessageRecorder() { SetMessageHook(std::move(FPrevious)); }
  std::vector<TMessageIcon> Icons;
  std::vector<std::u16string> Texts;

private:
  TMessageHook FPrevious;
};

inline std::u16string CompileMessage(std::u16string_view detail) {
  std::u16string s(FormulaText::kCompilePrefix);
  if (!detail.empty()) s += u"\r" + std::u16string(detail);
  return s;
}

inline std::u16string EvalMessage(std::u16string_view detail) {
  return std::u16string(FormulaText::kEvalPrefix) + u"\r" + std::u16string(detail);
}

struct TVar {
  std::u16string Name;
  long double Value;
};

// The outcome of compiling a text and evaluating it once.
struct TOutcome {
  long double Value = 0;
  std::u16string Text;
  std::vector<std::u16string> Messages;
  uint8_t Error = 0;
  std::optional<EMathError::TKind> Fault;
};

// Compiles text (VarMode 1), writes the values into every variable of each
// name, evaluates once in mode and records what happened.
inline TOutcome Calc(const std::u16string& text, std::vector<TVar> vars = {}, double precision = 0,
                     int32_t mode = 1) {
  TOutcome out;
  TMessageRecorder rec;
  TFormula f(text, precision, 1);
  f.Parse(text);
  for (const TVar& v : vars)
    for (int32_t i = 1; i <= f.VarCount; ++i)
      if (f.Vars[i].Name == v.Name) f.Vars[i].Value = v.Value;
  try {
    f.Evaluate(mode);
  } catch (const EMathError& e) {
    out.Fault = e.Kind();
  }
  out.Value = f.Value;
  out.Text = f.ResultText;
  out.Messages = rec.Texts;
  out.Error = f.ErrorFlag;
  return out;
}

// Readable names in test output.
inline std::ostream& operator<<(std::ostream& os, EMathError::TKind k) {
  switch (k) {
    case EMathError::TKind::InvalidOperation: return os << "InvalidOperation";
    case EMathError::TKind::DivisionByZero: return os << "DivisionByZero";
    case EMathError::TKind::Overflow: return os << "Overflow";
  }
  return os;
}

inline std::string U8(const std::u16string& s) { return ToUtf8(s); }
