// The function library: values, degree conversions, integer rules, domain
// refusals with their messages, and the arithmetic faults.
#include "tests/engine/Engine_test_util.h"
#include "engine/Formula_functions.h"

#include <cmath>
#include <random>

namespace {

using K = EMathError::TKind;
using namespace FormulaText;

// What one call is expected to give.
struct TExpect {
  enum TKind { Exact, Near, Tiny, Huge, Message, Fault } Kind;
  long double Value = 0;
  std::u16string Text = {};
  K FaultKind = K::InvalidOperation;
};
TExpect Exact(long double v) { return {TExpect::Exact, v}; }
TExpect Near(long double v) { return {TExpect::Near, v}; }  // up to the last bits
TExpect Tiny() { return {TExpect::Tiny}; }                  // not zero, below 1e-18
TExpect Huge() { return {TExpect::Huge}; }                  // finite, beyond 1e18
TExpect Refused(std::u16string_view text) { return {TExpect::Message, 0, std::u16string(text)}; }
TExpect Quoted(std::u16string_view head, const char16_t* x) {
  return {TExpect::Message, 0, std::u16string(head) + x + std::u16string(kMsgNotExist)};
}
TExpect Fault(K kind) { return {TExpect::Fault, 0, {}, kind}; }

// Within 4 units in the last place of the 80-bit format.
bool Close(long double a, long double b) {
  if (a == b) return true;
  long double ulp = std::fabs(nextafterl(b, INFINITY) - b);
  return std::fabs(a - b) <= 4 * ulp;
}

void Check(const std::u16string& text, const std::vector<TVar>& vars, const TExpect& e) {
  SCOPED_TRACE(U8(text));
  TOutcome o = Calc(text, vars);
  switch (e.Kind) {
    case TExpect::Exact:
    case TExpect::Near:
    case TExpect::Tiny:
    case TExpect::Huge:
      ASSERT_FALSE(o.Fault) << *o.Fault;
      ASSERT_TRUE(o.Messages.empty()) << U8(o.Messages[0]);
      if (e.Kind == TExpect::Exact) EXPECT_EQ(o.Value, e.Value);
      if (e.Kind == TExpect::Near) EXPECT_TRUE(Close(o.Value, e.Value)) << double(o.Value);
      if (e.Kind == TExpect::Tiny) EXPECT_TRUE(o.Value != 0 && std::fabs(o.Value) < 1e-18L) << double(o.Value);
      if (e.Kind == TExpect::Huge) EXPECT_TRUE(std::isfinite(o.Value) && std::fabs(o.Value) > 1e18L);
      break;
    case TExpect::Message:
      ASSERT_FALSE(o.Fault);
      ASSERT_EQ(o.Messages.size(), 1u);
      EXPECT_EQ(o.Messages[0], e.Text);
      EXPECT_EQ(o.Error, 1);
      EXPECT_TRUE(o.Text.empty());
      break;
    case TExpect::Fault:
      ASSERT_TRUE(o.Fault.has_value());
      EXPECT_EQ(*o.Fault, e.FaultKind);
      EXPECT_TRUE(o.Messages.empty());
      EXPECT_EQ(o.Error, 0);
      break;
  }
}

constexpr long double kPiL = 3.141592653589793238462643383279502884L;
long double Rad(long double x) { return kPiL * x / 180; }

TEST(FunctionsTest, OneArgument) {
  struct {
    const char16_t* Name;
    long double X;
    TExpect E;
  } cases[] = {
      {u"cos", 90, Exact(0)},
      {u"cos", 60, Near(0.5L)},
      {u"cos", 270, Tiny()},
      {u"cos", -90, Tiny()},
      {u"cos", 0, Exact(1)},
      {u"cos", 180, Near(-1)},
      {u"sin", 30, Near(0.5L)},
      {u"sin", -30, Near(-0.5L)},
      {u"sin", 90, Near(1)},
      {u"sin", 180, Tiny()},
      {u"sin", 0, Exact(0)},
      {u"tan", 90, Refused(kMsgTan90)},
      {u"tan", 270, Huge()},
      {u"tan", -90, Huge()},
      {u"tan", 45, Near(1)},
      {u"ctan", 0, Refused(kMsgCtan0)},
      {u"ctan", 45, Near(1)},
      {u"cosh", 0, Exact(1)},
      {u"cosh", 1e-15L, Exact(1)},  // |rad(x)| <= 1e-16
      {u"cosh", 90, Near(coshl(Rad(90)))},
      {u"cosh", 1e6L, Fault(K::Overflow)},
      {u"sinh", 0, Exact(0)},
      {u"sinh", 90, Near(sinhl(Rad(90)))},
      {u"sinh", -1e6L, Fault(K::Overflow)},
      {u"tanh", 0, Exact(0)},
      {u"tanh", 1e6L, Exact(1)},
      {u"ctanh", 0, Refused(kMsgCtanh90)},
      {u"ctanh", 1e-15L, Refused(kMsgCtanh90)},
      {u"ctanh", 90, Near(1 / tanhl(Rad(90)))},
      {u"arccos", 1, Exact(0)},
      {u"arccos", -1, Near(180)},
      {u"arccos", 0.5L, Near(60)},
      {u"arccos", 1.5L, Quoted(kMsgArccos, u"1,5")},
      {u"arccos", -2, Quoted(kMsgArccos, u"-2")},
      {u"arcsin", 1, Near(90)},
      {u"arcsin", 2, Quoted(kMsgArcsin, u"2")},
      {u"arctan", 1, Near(45)},
      {u"arctan", -1e300L, Near(-90)},
      {u"arcctan", 0, Refused(kMsgArcctan90)},
      {u"arcctan", 45, Near(1 / atanl(Rad(45)) * (180 / kPiL))},
      {u"arccosh", 0, Quoted(kMsgArccosh, u"0")},
      {u"arccosh", 0.5L, Quoted(kMsgArccosh, u"0,5")},
      {u"arccosh", 57.3L, Near(acoshl(Rad(static_cast<double>(57.3L))))},  // argument as double
      {u"arccosh", 2, Fault(K::InvalidOperation)},  // rad(2) < 1
      {u"arcsinh", 30, Near(asinhl(Rad(30)))},
      {u"arcsinh", -30, Near(-asinhl(Rad(30)))},
      {u"arctanh", 0.5L, Near(atanhl(Rad(0.5L)))},
      {u"arctanh", 2, Quoted(kMsgArctanh, u"2")},
      {u"arctanh", -1.25L, Quoted(kMsgArctanh, u"-1,25")},
      {u"arcctanh", 0, Refused(kMsgArcctanh90)},
      {u"arcctanh", 1e-30L, Refused(kMsgArcctanh90)},  // (1+y)/(1-y) rounds to 1
      {u"arcctanh", 30, Near(1 / atanhl(Rad(30)))},
      {u"arcctanh", 100, Fault(K::InvalidOperation)},  // beyond 180/pi
      {u"arcctanh", -100, Fault(K::InvalidOperation)},
      {u"abs", -2.5L, Exact(2.5L)},
      {u"exp", 1, Near(expl(1))},
      {u"exp", -20000, Exact(0)},  // an underflow is silent
      {u"exp", 20000, Fault(K::Overflow)},
      {u"sqrt", 4, Exact(2)},
      {u"sqrt", -1, Refused(kMsgSqrt)},
      {u"ln", 1, Exact(0)},
      {u"ln", 0, Refused(kMsgLn)},
      {u"ln", -1, Refused(kMsgLn)},
      {u"lg", 1000, Near(3)},
      {u"lg", 0, Refused(kMsgLg)},
      {u"lg", -1, Fault(K::InvalidOperation)},
      {u"int", -2.5L, Exact(-2)},
      {u"int", 1e300L, Exact(1e300)},  // no integer range
      {u"trunc", -2.5L, Exact(-2)},
      {u"trunc", 9.2e18L, Exact(9.2e18L)},
      {u"trunc", 9.3e18L, Fault(K::InvalidOperation)},
      {u"frac", -2.5L, Exact(-0.5L)},
      {u"frac", 2.75L, Exact(0.75L)},
      {u"floor", -2.5L, Exact(-3)},
      {u"floor", 2, Exact(2)},
      {u"floor", 3e9L, Exact(3e9L - 4294967296.0L)},  // wrapped to signed 32 bits
      {u"ceil", -2.5L, Exact(-2)},
      {u"ceil", 2, Exact(2)},
      {u"ceil", 2.1L, Exact(3)},
      {u"ceil", 1e19L, Fault(K::InvalidOperation)},
      {u"round", 2.5L, Exact(2)},
      {u"round", 3.5L, Exact(4)},
      {u"round", -2.5L, Exact(-2)},
      {u"round", 2.51L, Exact(3)},
      {u"round", -9223372036854775808.0L, Exact(-9223372036854775808.0L)},
      {u"round", 9.3e18L, Fault(K::InvalidOperation)},
      {u"inc", 2.5L, Exact(3)},
      {u"inc", 2147483647, Exact(-2147483648.0L)},
      {u"dec", 2.5L, Exact(1)},
      {u"dec", -2147483648.0L, Exact(2147483647)},
      {u"inc", 1e19L, Fault(K::InvalidOperation)},
      {u"fact", 4.5L, Exact(24)},
      {u"fact", 5, Exact(120)},
      {u"fact", 0, Exact(1)},
      {u"fact", -3, Exact(1)},
      {u"fact", 1754, Near(tgammal(1755))},
      {u"fact", 1755, Fault(K::Overflow)},
      {u"fact", 3e9L, Exact(1)},  // 3e9 as 32 bits is negative
      {u"fact", 1e19L, Fault(K::InvalidOperation)},
      {u"degtorad", 180, Exact(kPiL)},
      {u"random", 1, Exact(0)},
      {u"random", 1e19L, Fault(K::InvalidOperation)},
  };
  for (const auto& c : cases) Check(std::u16string(c.Name) + u"(x)", {{u"x", c.X}}, c.E);
}

TEST(FunctionsTest, ArgumentListsAndConstant) {
  struct {
    const char16_t* Text;
    std::vector<TVar> Vars;
    TExpect E;
  } cases[] = {
      {u"log(2;8)", {}, Near(3)},
      {u"log(10;0,001)", {}, Near(logl(0.001) / logl(10))},
      {u"log(0;5)", {}, Refused(kMsgLog)},
      {u"log(5;0)", {}, Refused(kMsgLog)},
      {u"log(1;5)", {}, Fault(K::DivisionByZero)},
      {u"log(1;1)", {}, Fault(K::InvalidOperation)},
      {u"log(a;8)", {{u"a", -2}}, Fault(K::InvalidOperation)},
      {u"div(7;2)", {}, Exact(3)},
      {u"mod(7;2)", {}, Exact(1)},
      {u"div(a;2)", {{u"a", -7}}, Exact(-3)},
      {u"mod(a;2)", {{u"a", -7}}, Exact(-1)},
      {u"div(7;b)", {{u"b", -2}}, Exact(-3)},
      {u"mod(7;b)", {{u"b", -2}}, Exact(1)},
      {u"div(7,5;2)", {}, Exact(4)},   // 7,5 rounds to 8
      {u"div(6,5;2)", {}, Exact(3)},   // 6,5 rounds to 6
      {u"div(7;2;100)", {}, Exact(3)}, // further items are ignored
      {u"div(5;0)", {}, Refused(kMsgDivMod)},
      {u"mod(5;0)", {}, Refused(kMsgDivMod)},
      {u"div(5;0,4)", {}, Fault(K::DivisionByZero)},  // the divisor rounds to 0
      {u"mod(5;0,5)", {}, Fault(K::DivisionByZero)},
      {u"div(a;b)", {{u"a", -9223372036854775808.0L}, {u"b", -1}}, Fault(K::InvalidOperation)},
      {u"mod(a;b)", {{u"a", -9223372036854775808.0L}, {u"b", -1}}, Fault(K::InvalidOperation)},
      {u"div(1E19;1)", {}, Fault(K::InvalidOperation)},
      {u"div(9E18;7)", {}, Exact(1285714285714285714.0L)},  // exact in 64 bits
      {u"shl(1;3)", {}, Exact(8)},
      {u"shl(1;63)", {}, Exact(-9223372036854775808.0L)},
      {u"shl(1;64)", {}, Exact(0)},
      {u"shl(1;127)", {}, Exact(0)},
      {u"shl(1;200)", {}, Exact(0)},
      {u"shl(1;b)", {{u"b", -1}}, Exact(0)},
      {u"shr(16;2)", {}, Exact(4)},
      {u"shr(a;1)", {{u"a", -8}}, Exact(9223372036854775804.0L)},  // zeros enter at the top
      {u"shr(1;1E30)", {}, Fault(K::InvalidOperation)},
      {u"max(3;8;2,5)", {}, Exact(8)},
      {u"min(3;8;2,5)", {}, Exact(2.5L)},
      {u"max(5;)", {}, Exact(5)},
      {u"hypot(3;4)", {}, Exact(5)},
      {u"hypot(a;4)", {{u"a", -3}}, Exact(5)},
      {u"hypot(0;0)", {}, Exact(0)},
      {u"hypot(1E300;1E300)", {}, Near(static_cast<long double>(1e300) * std::sqrt(2.0L))},
      {u"Pi", {}, Exact(kPiL)},
      {u"pi", {}, Exact(kPiL)},
      {u"Pi(7)", {}, Exact(kPiL)},
  };
  for (const auto& c : cases) Check(c.Text, c.Vars, c.E);
}

TEST(FunctionsTest, DegreesAndRadians) {
  EXPECT_EQ(Calc(u"degtorad(180)").Value, Calc(u"Pi").Value);
  // Pi reaches radtodeg as a double: 180 up to the last bits of that.
  TOutcome back = Calc(u"radtodeg(Pi)");
  EXPECT_EQ(back.Text, u"180");
  EXPECT_NEAR(static_cast<double>(back.Value), 180.0, 1e-13);
}

TEST(FunctionsTest, ArgumentIsRoundedToDouble) {
  // 0,1 is read in 80 bits; the function sees the double nearest to it.
  TOutcome o = Calc(u"abs(0,1)");
  EXPECT_EQ(o.Value, static_cast<long double>(0.1));
  EXPECT_NE(o.Value, 0.1L);
  // max and min take their items unrounded.
  EXPECT_EQ(Calc(u"max(0,1;0)").Value, 0.1L);
}

TEST(FunctionsTest, MessagesQuoteTheArgumentInTheGeneralFormat) {
  EXPECT_EQ(DomainMessage(TDomainError::Arccos, 1.0 / 3),
            std::u16string(kMsgArccos) + u"0,333333333333333" + std::u16string(kMsgNotExist));
  EXPECT_EQ(DomainMessage(TDomainError::Arcsin, 1e20),
            std::u16string(kMsgArcsin) + u"1E20" + std::u16string(kMsgNotExist));
}

// The x87 sine, cosine and tangent against the C library's 80-bit ones.
TEST(FunctionsTest, TrigonometryToTheLastBits) {
  std::vector<long double> args;
  for (long double deg = -3600; deg <= 3600; deg += 0.37L) args.push_back(Rad(deg));
  for (int k = -40; k <= 40; ++k) args.push_back(Rad(45.0L * k));  // near zeros and poles
  std::mt19937_64 gen(7);
  std::uniform_real_distribution<double> wide(-1e6, 1e6), narrow(-1, 1);
  for (int i = 0; i < 20000; ++i) args.push_back(wide(gen));
  for (int i = 0; i < 5000; ++i) args.push_back(narrow(gen) * 1e-10);
  // Up to the end of the reduction (k below 2^24) and beyond, the library's own.
  std::uniform_real_distribution<double> large(1e7, 3e8);
  for (int i = 0; i < 2000; ++i) args.push_back(large(gen));
  args.push_back(1e9L);
  for (long double y : args) {
    EXPECT_TRUE(Close(Sin80(y), sinl(y))) << double(y);
    EXPECT_TRUE(Close(Cos80(y), cosl(y))) << double(y);
    EXPECT_TRUE(Close(Tan80(y), tanl(y))) << double(y);
  }
}

// sin and cos of a formula, whose quadrant is found from the degrees, against
// the C library's 80-bit functions of rad(x).
TEST(FunctionsTest, SineAndCosineOfDegreesToTheLastBits) {
  std::vector<double> degrees;
  for (double x = -1000; x <= 1000; x += 0.37) degrees.push_back(x);
  for (int k = -40; k <= 40; ++k)  // next to the octant borders, where the quadrant may go either way
    for (double d : {-1e-9, 0.0, 1e-9}) degrees.push_back(45.0 * k + d);
  std::mt19937_64 gen(11);
  std::uniform_real_distribution<double> wide(-2e9, 2e9);
  for (int i = 0; i < 3000; ++i) degrees.push_back(wide(gen));
  degrees.push_back(1e12);
  TFormula f(u"sin(x)", -1, 1), g(u"cos(x)", -1, 1);
  ASSERT_TRUE(f.Parse(u"sin(x)") && g.Parse(u"cos(x)"));
  for (double x : degrees) {
    const long double y = (kPi * static_cast<long double>(x)) / 180;
    f.Vars[1].Value = g.Vars[1].Value = x;
    f.Evaluate(1);
    g.Evaluate(1);
    EXPECT_TRUE(Close(f.Value, sinl(y))) << x;
    if (x != 90) EXPECT_TRUE(Close(g.Value, cosl(y))) << x;
  }
}

TEST(FunctionsTest, ConstantsAreTheNearest80BitValues) {
  EXPECT_EQ(kPi, kPiL);
  // degtorad(180) is Pi; the other two are within half a unit of their value.
  EXPECT_EQ(180 * kDegToRad, kPi);
  EXPECT_TRUE(Close(kRadToDeg, 180 / kPiL));
  EXPECT_TRUE(Close(kDegToRad, kPiL / 180));
}

TEST(FunctionsTest, NamesOfBothTables) {
  EXPECT_EQ(FuncNames.size() + ListFuncNames.size(), 42u);
  for (auto name : FuncNames) EXPECT_NE(FuncIdOf(name), TFuncId::None) << U8(std::u16string(name));
  for (auto name : ListFuncNames) EXPECT_NE(FuncIdOf(name), TFuncId::None) << U8(std::u16string(name));
  EXPECT_EQ(FuncIdOf(u"pi"), TFuncId::Pi);
  EXPECT_EQ(FuncIdOf(u"Sin"), TFuncId::None);
  EXPECT_EQ(FuncIdOf(u"PI"), TFuncId::None);
}

}  // namespace
