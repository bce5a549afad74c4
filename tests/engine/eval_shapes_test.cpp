// Shapes of formula the evaluator computes by special codes give what the
// same arithmetic gives by the general ones: values, faults, messages and
// the state left behind. Each special text is compared with a twin whose
// constant is bracketed, which the compiler cannot take the same way.
#include "tests/engine/Engine_test_util.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

using K = EMathError::TKind;
constexpr long double kInf = std::numeric_limits<long double>::infinity();
constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

struct TRun {
  TOutcome Out;
  long double Top = 0;  // the top node's Result afterwards
  int32_t EvalCount = 0;
};

// Evaluates text twice in mode with x (and y) as given: first with x =
// y = 1, then with the values, so that a fault finds a state to keep.
TRun RunTwice(const std::u16string& text, long double x, long double y = 0, int32_t mode = 1) {
  TRun run;
  TMessageRecorder rec;
  TFormula f(text, 0, 1);
  f.Parse(text);
  auto set = [&f](long double vx, long double vy) {
    for (int32_t i = 1; i <= f.VarCount; ++i) f.Vars[i].Value = f.Vars[i].Name == u"x" ? vx : vy;
  };
  set(1, 1);
  f.Evaluate(mode);
  set(x, y);
  try {
    f.Evaluate(mode);
  } catch (const EMathError& e) {
    run.Out.Fault = e.Kind();
  }
  run.Out.Value = f.Value;
  run.Out.Text = f.ResultText;
  run.Out.Messages = rec.Texts;
  run.Out.Error = f.ErrorFlag;
  run.Top = f.Nodes[static_cast<size_t>(f.NodeCount)].Result;
  run.EvalCount = f.EvalCount;
  return run;
}

bool SameBits(long double a, long double b) {
  if (std::isnan(a) && std::isnan(b)) return true;
  return std::memcmp(&a, &b, 10) == 0;
}

void ExpectSame(const std::u16string& special, const std::u16string& twin, long double x,
                long double y = 0, int32_t mode = 1) {
  const TRun a = RunTwice(special, x, y, mode), b = RunTwice(twin, x, y, mode);
  const std::string what = U8(special) + " at x=" + std::to_string(static_cast<double>(x)) +
                           " y=" + std::to_string(static_cast<double>(y)) + " mode " + std::to_string(mode);
  EXPECT_TRUE(SameBits(a.Out.Value, b.Out.Value)) << what;
  EXPECT_EQ(a.Out.Fault, b.Out.Fault) << what;
  EXPECT_EQ(a.Out.Text, b.Out.Text) << what;
  EXPECT_EQ(a.Out.Messages, b.Out.Messages) << what;
  EXPECT_EQ(a.Out.Error, b.Out.Error) << what;
  // After a fault a node keeps what its operands' reading left, which
  // depends on the node's shape.
  if (!a.Out.Fault) EXPECT_TRUE(SameBits(a.Top, b.Top)) << what;
  EXPECT_EQ(a.EvalCount, b.EvalCount) << what;
}

const long double kValues[] = {0,      -0.0L,   1.5L,  -7.25L, 1e-300L, 3e-4950L, 1e4932L,
                               -1e4932L, LDBL_MAX, kInf,  -kInf,   kNaN,    0.1L};

// A product of a variable and a constant, then a constant added or
// subtracted on either side.
TEST(EvalShapesTest, ProductThenSumOfConstants) {
  const std::pair<const char16_t*, const char16_t*> pairs[] = {
      {u"x*2+3", u"x*2+(3)"},   {u"2*x+3", u"2*x+(3)"},   {u"x*2-3", u"x*2-(3)"},
      {u"3-x*2", u"(3)-x*2"},   {u"3+2*x", u"(3)+2*x"},   {u"x*0+3", u"x*0+(3)"},
      {u"x*0-3", u"x*0-(3)"},   {u"x*2+0", u"x*2+(0)"},   {u"x*(-1)+x*2-1", u"x*(-1)+x*2-(1)"},
      {u"x*2+3+x*4-5", u"x*2+(3)+x*4-(5)"},
  };
  for (const auto& [special, twin] : pairs)
    for (long double x : kValues) ExpectSame(special, twin, x);
}

TEST(EvalShapesTest, ProductFaultsAreTheProductsOwn) {
  EXPECT_EQ(RunTwice(u"x*2+3", 1e4932L).Out.Fault, K::Overflow);
  EXPECT_EQ(RunTwice(u"3-2*x", -1e4932L).Out.Fault, K::Overflow);
  EXPECT_EQ(RunTwice(u"x*0+3", kInf).Out.Fault, K::InvalidOperation);
  // An operand that already was infinite or NaN passes on.
  EXPECT_EQ(RunTwice(u"x*2+3", kInf).Out.Value, kInf);
  EXPECT_EQ(RunTwice(u"3-x*2", kInf).Out.Value, -kInf);
  EXPECT_TRUE(std::isnan(RunTwice(u"x*2-3", kNaN).Out.Value));
  // After a fault the last result stays: 1*2+3.
  const TRun r = RunTwice(u"x*2+3", 1e4932L);
  EXPECT_EQ(r.Out.Value, 5);
  EXPECT_EQ(r.Out.Text, u"5");
  EXPECT_EQ(r.EvalCount, 2);
  EXPECT_EQ(r.Out.Error, 0);
}

// Steps with one call, made apart from the general steps. Their twins
// raise the call to the power 1, which gives the same value by the general
// steps.
TEST(EvalShapesTest, StepsWithOneCall) {
  const std::pair<const char16_t*, const char16_t*> pairs[] = {
      {u"sin(x)", u"sin(x)^1"},
      {u"sin(x)*3", u"sin(x)^1*3"},
      {u"3-abs(x)", u"3-abs(x)^1"},
      {u"y-exp(x)", u"y-exp(x)^1"},
      {u"y*2*exp(x)", u"y*2*exp(x)^1"},
      {u"y*2+sin(x)", u"y*2+sin(x)^1"},
      {u"y*2*sin(x)", u"y*2*sin(x)^1"},
      {u"x*3+sqrt(x)", u"x*3+sqrt(x)^1"},
      {u"x^2-sqrt(abs(x))", u"x^2-sqrt(abs(x))^1"},
      {u"sin(x)*x^2+sqrt(abs(x))", u"sin(x)^1*x^2+sqrt(abs(x))^1"},
      {u"cos(x)*y+max(x;y)", u"cos(x)^1*y+max(x;y)^1"},
      {u"sqrt(abs(y*2))", u"sqrt(abs(y*2)^1)^1"},
      {u"y*2-abs(x)", u"y*2-abs(x)^1"},
      {u"x^2*sqrt(y*2)", u"x^2*sqrt(y*2)^1"},
      {u"sqrt(x)-y*2", u"sqrt(x)^1-y*2"},
  };
  const std::pair<long double, long double> values[] = {
      {0.5L, 1},     {-3.25L, 2},   {90, -1e4931L}, {700, 1e4931L}, {700, -1e4931L},
      {-4, 1},       {1e300L, 1},   {1e400L, 1},    {kNaN, 1},      {0, kInf},
      {0, kNaN},     {2, kInf},     {-kInf, 1},     {0.1L, LDBL_MAX},
  };
  for (int32_t mode : {0, 1, 2})
    for (const auto& [special, twin] : pairs)
      for (const auto& [x, y] : values) ExpectSame(special, twin, x, y, mode);
}

TEST(EvalShapesTest, StepsWithOneCallFault) {
  EXPECT_EQ(RunTwice(u"y*2*exp(x)", 700, 1e4931L).Out.Fault, K::Overflow);
  EXPECT_EQ(RunTwice(u"y*2*sin(x)", 0, kInf).Out.Fault, K::InvalidOperation);
  EXPECT_EQ(RunTwice(u"abs(x)", 1e400L).Out.Fault, K::Overflow);
  EXPECT_EQ(RunTwice(u"y*2+sin(x)", 0, kInf).Out.Value, kInf);
  EXPECT_TRUE(std::isnan(RunTwice(u"y*2*sin(x)", 0, kNaN).Out.Value));
  // A refused argument in mode 1: shown, and the evaluation ends there.
  const TRun r = RunTwice(u"x*3+sqrt(x)", -4);
  EXPECT_FALSE(r.Out.Fault);
  EXPECT_EQ(r.Out.Messages.size(), 1u);
  EXPECT_EQ(r.Out.Error, 1);
  EXPECT_EQ(r.Out.Value, 4);  // 1*3+sqrt(1), from before
  // Not shown: the quiet NaN goes on, and the value at hand is kept.
  EXPECT_TRUE(std::isnan(RunTwice(u"x*3+sqrt(x)", -4, 0, 0).Out.Value));
  EXPECT_EQ(RunTwice(u"x*3+sqrt(abs(x))", -4, 0, 0).Out.Value, -10);
  // A value too large for the argument's double.
  EXPECT_EQ(RunTwice(u"y+sqrt(y*2)", 0, 1e4000L, 0).Out.Fault, K::Overflow);
}

}  // namespace
