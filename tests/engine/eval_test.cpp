// Evaluation: values, division by zero, arithmetic faults, domain errors by
// mode, quiet NaN, the error flag and the evaluation counter.
#include "tests/engine/Engine_test_util.h"

#include <cmath>
#include <limits>

namespace {

using K = EMathError::TKind;
using namespace FormulaText;
constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

TEST(EvaluateTest, Values) {
  struct {
    const char16_t* Text;
    long double Value;
    std::vector<TVar> Vars = {};
  } cases[] = {
      {u"2+3*4", 14},
      {u"2^3^2", 64},
      {u"-2^2", -4},
      {u"(-2)^3", -8},
      {u"2^0,5", std::sqrt(2.0L)},
      {u"0^0", 1},
      {u"0^(-0,5)", 0},
      {u"0^2,5", 0},
      {u"(2+3)", 5},
      {u"((7))", 7},
      {u"8/2/2", 2},
      {u"2-3+4", 3},
      {u"2*(-3)", -6},
      {u"2^(-1)", 0.5L},
      {u"(-2)^(-3)", -0.125L},
      {u"(-1)^2147483647", -1},
      {u"2^(0-2147483648)", 0},     // beyond 32 bits: the exponential form
      {u"10^(-5000)", 0},           // an underflow is silent
      {u"0,1*3", 0.1L * 3},         // numbers are read into 80 bits
      {u"2.5+x", 3.5L, {{u"x", 1}}},
      {u"x*2+3", 13, {{u"x", 5}}},
      {u"a-b", -1, {{u"a", 1}, {u"b", 2}}},
      {u"max((x+1);2)", 6, {{u"x", 5}}},  // a bracketed list element has its group's value
      {u"max((x+1);2)", 2, {{u"x", -5}}},
      {u"min((2*3);x;(1+1))", 2, {{u"x", 9}}},
  };
  for (const auto& c : cases) {
    TOutcome o = Calc(c.Text, c.Vars);
    EXPECT_FALSE(o.Fault) << U8(c.Text);
    EXPECT_TRUE(o.Messages.empty()) << U8(c.Text);
    EXPECT_EQ(o.Value, c.Value) << U8(c.Text);
    EXPECT_EQ(o.Text, FormatGeneral(c.Value)) << U8(c.Text);
  }
}

TEST(EvaluateTest, ListItemsTakeTheLastVariableOfTheirName) {
  TFormula f(u"max(x;x)+x", 0, 1);
  ASSERT_TRUE(f.Parse(u"max(x;x)+x"));
  ASSERT_EQ(f.VarCount, 3);
  f.Vars[1].Value = 100;  // the operand x
  f.Vars[2].Value = 1;
  f.Vars[3].Value = 5;
  f.Evaluate(1);
  EXPECT_EQ(f.Value, 105);
  f.Vars[3].Value = -1;  // now the first list variable's value no longer counts at all
  f.Vars[2].Value = 50;
  f.Evaluate(1);
  EXPECT_EQ(f.Value, 99);
}

TEST(EvaluateTest, DivisionByZeroIsShownEveryTime) {
  TMessageRecorder rec;
  TFormula f(u"8/x", 0, 1);
  f.Parse(u"8/x");
  f.Vars[1].Value = 2;
  f.Evaluate(1);
  EXPECT_EQ(f.ResultText, u"4");
  f.Vars[1].Value = 0;
  for (int32_t mode : {1, 2, 3}) {
    f.Evaluate(mode);
    EXPECT_EQ(f.Value, 4);  // the node keeps the Result it had
    EXPECT_TRUE(f.ResultText.empty());
  }
  EXPECT_EQ(rec.Texts, std::vector<std::u16string>(3, EvalMessage(kMsgDivisionByZero)));
  EXPECT_EQ(f.ErrorFlag, 1);
  EXPECT_EQ(f.EvalCount, 5);
  // After an error every result text is empty, while Value is computed.
  f.Vars[1].Value = 4;
  f.Evaluate(1);
  EXPECT_EQ(f.Value, 2);
  EXPECT_TRUE(f.ResultText.empty());
}

TEST(EvaluateTest, DivisionByZeroKeepsWhatTheOperandsLeft) {
  TOutcome call = Calc(u"sin(30)/0");  // the call's value was written into the node
  EXPECT_EQ(call.Messages.size(), 1u);
  EXPECT_EQ(FormatGeneral(call.Value), u"0,5");
  TOutcome fresh = Calc(u"8/0");
  EXPECT_EQ(fresh.Value, 0);
  EXPECT_EQ(fresh.Error, 1);
  EXPECT_TRUE(fresh.Text.empty());
}

TEST(EvaluateTest, ArithmeticFaults) {
  struct {
    const char16_t* Text;
    K Kind;
    std::vector<TVar> Vars = {};
  } cases[] = {
      {u"0/0", K::InvalidOperation},
      {u"(-8)^(1/3)", K::InvalidOperation},
      {u"(-2)^(0-3000000000)", K::InvalidOperation},
      {u"0^(-1)", K::DivisionByZero},
      {u"0^(-2)", K::DivisionByZero},
      {u"10^5000", K::Overflow},
      {u"0,1^(-5000)", K::Overflow},
      {u"x*x", K::Overflow, {{u"x", 1e3000L}}},
      {u"x+x", K::Overflow, {{u"x", 1e4932L}}},
      {u"x-y", K::Overflow, {{u"x", 1e4932L}, {u"y", -1e4932L}}},
      {u"x/y", K::Overflow, {{u"x", 1e4000L}, {u"y", 1e-4000L}}},
      {u"x-x", K::InvalidOperation, {{u"x", std::numeric_limits<long double>::infinity()}}},
      {u"x*0", K::InvalidOperation, {{u"x", std::numeric_limits<long double>::infinity()}}},
      {u"abs(x)", K::Overflow, {{u"x", 1e400L}}},  // too large for the argument's double
      {u"x", K::Overflow, {{u"x", 1e400L}}},       // nor for the rounding's: see below
  };
  for (const auto& c : cases) {
    TOutcome o = Calc(c.Text, c.Vars, std::string(U8(c.Text)) == "x" ? 0.01 : 0);
    ASSERT_TRUE(o.Fault.has_value()) << U8(c.Text);
    EXPECT_EQ(*o.Fault, c.Kind) << U8(c.Text);
    EXPECT_TRUE(o.Messages.empty()) << U8(c.Text);
    EXPECT_EQ(o.Error, 0) << U8(c.Text);
  }
}

TEST(EvaluateTest, FaultLeavesTheStateAsItWas) {
  TMessageRecorder rec;
  TFormula f(u"1/x+0/y", 0, 1);
  f.Parse(u"1/x+0/y");
  f.Vars[1].Value = 4;
  f.Vars[2].Value = 1;
  f.Evaluate(1);
  ASSERT_EQ(f.ResultText, u"0,25");
  f.Vars[2].Value = 0;
  EXPECT_THROW(f.Evaluate(1), EMathError);
  EXPECT_EQ(f.Value, 0.25L);
  EXPECT_EQ(f.ResultText, u"0,25");
  EXPECT_EQ(f.ErrorFlag, 0);
  EXPECT_EQ(f.EvalCount, 2);
  EXPECT_TRUE(rec.Texts.empty());
  // Values that can be computed again give results again.
  f.Vars[2].Value = 2;
  f.Evaluate(1);
  EXPECT_EQ(f.ResultText, u"0,25");
  EXPECT_EQ(f.EvalCount, 3);
}

TEST(EvaluateTest, DomainErrorsByMode) {
  // Mode 2 shows only what happens during the first evaluation.
  {
    TMessageRecorder rec;
    TFormula f(u"tan(x)", -1, 1);
    f.Parse(u"tan(x)");
    f.Vars[1].Value = 90;
    f.Evaluate(2);
    EXPECT_EQ(rec.Texts, std::vector<std::u16string>{std::u16string(kMsgTan90)});
    EXPECT_EQ(f.ErrorFlag, 1);
    EXPECT_EQ(f.EvalCount, 2);
    EXPECT_EQ(f.Value, 0);
    f.Evaluate(2);
    EXPECT_EQ(rec.Texts.size(), 1u);
    EXPECT_TRUE(std::isnan(f.Value));  // a gap in the plot
    EXPECT_EQ(f.EvalCount, 3);
  }
  {
    TMessageRecorder rec;
    TFormula f(u"sqrt(x)", 0, 1);
    f.Parse(u"sqrt(x)");
    f.Vars[1].Value = 4;
    f.Evaluate(2);  // first evaluation fine
    f.Vars[1].Value = -1;
    f.Evaluate(2);  // later ones are not shown
    EXPECT_TRUE(rec.Texts.empty());
    EXPECT_EQ(f.ErrorFlag, 0);
    EXPECT_TRUE(std::isnan(f.Value));
    EXPECT_EQ(f.ResultText, u"NAN");
  }
  // Mode 1 shows every one; the evaluation stops and keeps the old result.
  {
    TMessageRecorder rec;
    TFormula f(u"sqrt(x)+1", 0, 1);
    f.Parse(u"sqrt(x)+1");
    f.Vars[1].Value = 9;
    f.Evaluate(1);
    for (int i = 0; i < 2; ++i) {
      f.Vars[1].Value = -1;
      f.Evaluate(1);
      EXPECT_EQ(f.Value, 4);
      EXPECT_EQ(f.ResultText, u"4");
    }
    EXPECT_EQ(rec.Texts, std::vector<std::u16string>(2, std::u16string(kMsgSqrt)));
    EXPECT_EQ(f.EvalCount, 4);
    EXPECT_EQ(f.ErrorFlag, 1);
  }
  // Other modes never show them.
  TOutcome quiet = Calc(u"ln(0)+1", {}, 0, 3);
  EXPECT_TRUE(quiet.Messages.empty());
  EXPECT_TRUE(std::isnan(quiet.Value));
}

TEST(EvaluateTest, NaNPassesQuietlyThroughEverything) {
  const char16_t* texts[] = {
      u"y+1",        u"y*0",        u"y/0",         u"0/y",         u"y^2",
      u"2^y",        u"0^y",        u"y^0,5",       u"sin(y)",      u"round(y)",
      u"trunc(y)",   u"inc(y)",     u"floor(y)",    u"fact(y)",     u"random(y)",
      u"div(y;2)",   u"mod(2;y)",   u"shl(y;1)",    u"shr(1;y)",    u"log(y;2)",
      u"hypot(y;1)", u"max(1;y)",   u"min(y;1)",    u"lg(y)",       u"exp(y)",
      u"arccosh(y)", u"arcctanh(y)", u"frac(y)",    u"int(y)",      u"ceil(y)",
  };
  for (const char16_t* t : texts) {
    TOutcome o = Calc(t, {{u"y", kNaN}}, 0.01);
    EXPECT_FALSE(o.Fault) << U8(t);
    EXPECT_TRUE(o.Messages.empty()) << U8(t);
    EXPECT_TRUE(std::isnan(o.Value)) << U8(t);
  }
}

TEST(EvaluateTest, FailedParseComputesNothing) {
  // Half-built nodes once ran here: «3/10+*5» left 3 and 10 unclassified,
  // and 0/0 raised a fault after the syntax message.
  struct {
    const char16_t* Text;
    int32_t VarMode = 1;
  } cases[] = {{u"3/10+*5"}, {u"x+ 2"}, {u"a+b", 0}, {u""}, {u"1/0+*2"}, {u"sqrt(x)+ 1"}};
  for (const auto& c : cases) {
    for (int32_t mode : {1, 2}) {
      TMessageRecorder rec;
      TFormula f(c.Text, 0.01, c.VarMode);
      EXPECT_FALSE(f.Parse(c.Text));
      for (int32_t v = 1; v <= f.VarCount; ++v) f.Vars[v].Value = -1;
      EXPECT_NO_THROW(f.Evaluate(mode)) << U8(c.Text);
      EXPECT_NO_THROW(f.Evaluate(mode)) << U8(c.Text);
      ASSERT_EQ(rec.Texts.size(), 1u) << U8(c.Text);  // the syntax message alone
      EXPECT_EQ(rec.Texts[0].substr(0, FormulaText::kCompilePrefix.size()), FormulaText::kCompilePrefix);
      EXPECT_EQ(f.Value, 0) << U8(c.Text);
      EXPECT_TRUE(f.ResultText.empty()) << U8(c.Text);
      EXPECT_EQ(f.ErrorFlag, 1);
      EXPECT_EQ(f.EvalCount, 3);
    }
  }
}

TEST(EvaluateTest, CountersAndOptions) {
  TFormula f(u"x", 0, 1);
  f.Parse(u"x");
  f.EvalCount = INT32_MAX - 1;
  f.Evaluate(1);
  f.Evaluate(1);
  EXPECT_EQ(f.EvalCount, INT32_MAX);  // it stops growing instead of overflowing
  f.Vars[1].Value = 7;
  f.NumericOnly = true;
  f.Evaluate(1);
  EXPECT_EQ(f.Value, 7);
  EXPECT_TRUE(f.ResultText.empty());
}

TEST(EvaluateTest, RandomSharesOneGenerator) {
  SetRandomSeed(0);
  TOutcome a = Calc(u"random(1000)");  // a pass-through node draws once per operand
  EXPECT_EQ(a.Value, 31);
  EXPECT_EQ(RandomSeed(), 134775814u);
  SetRandomSeed(12345);
  for (int i = 0; i < 200; ++i) {
    TOutcome r = Calc(u"random(10)");
    EXPECT_GE(r.Value, 0);
    EXPECT_LE(r.Value, 9);
    EXPECT_EQ(Calc(u"random(1)").Value, 0);
  }
  uint32_t seed = RandomSeed();
  EXPECT_EQ(Calc(u"random(0)+random(-5)").Value, 0);  // n <= 0: no draw, 0
  EXPECT_EQ(RandomSeed(), seed);
}

}  // namespace
