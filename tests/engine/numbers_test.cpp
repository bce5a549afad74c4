// Character tests, number texts, the general format and rounding.
#include "tests/engine/Engine_test_util.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

TEST(CharTest, LettersAndDigits) {
  struct {
    char16_t C;
    bool Letter, Digit;
  } cases[] = {
      {u'x', true, false},  {u'A', true, false},   {u'Z', true, false},  {u'é', true, false},
      {0x00C0, true, false}, {0x00FF, true, false}, {0x00BF, false, false}, {0x0100, false, false},
      {u'у', false, false}, {u'Ж', false, false},  {u'0', false, true},  {u'9', false, true},
      {u'_', false, false}, {u'$', false, false},  {u' ', false, false}, {0x0663, false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsLetter(c.C), c.Letter) << int(c.C);
    EXPECT_EQ(IsDigit(c.C), c.Digit) << int(c.C);
  }
}

TEST(NumberTextTest, IsNumber) {
  struct {
    const char16_t* Text;
    bool Number;
  } cases[] = {
      {u"2,5", true},   {u"2.5", true},   {u"1,2,3", false}, {u"", false},     {u"4;8", false},
      {u"7", true},     {u" 5 ", true},   {u"-4", true},     {u"+4", true},    {u"5,", true},
      {u",5", true},    {u",", false},    {u"1E5", true},    {u"1e-5", true},  {u"2,5E+3", true},
      {u"1E", false},   {u"E5", false},   {u"2 5", false},   {u"0x10", false}, {u"inf", false},
      {u"nan", false},  {u"--1", false},  {u"1-", false},    {u"٣", false},    {u"1E5000", true},
      {u"1E-5000", true},
  };
  for (const auto& c : cases) EXPECT_EQ(IsNumber(c.Text), c.Number) << U8(c.Text);
}

TEST(NumberTextTest, ConversionReadsCommaOnly) {
  long double v = -1;
  EXPECT_TRUE(TryTextToFloat(u"0,5", v));
  EXPECT_EQ(v, 0.5L);
  EXPECT_FALSE(TryTextToFloat(u"0.5", v));  // as typed: a point is malformed here
  EXPECT_TRUE(TryTextToFloat(u"0,1", v));
  EXPECT_EQ(v, 0.1L);  // correctly rounded to 80 bits, not via double
  EXPECT_NE(v, static_cast<long double>(0.1));
  EXPECT_FALSE(TryTextToFloat(u"1E5000", v));  // beyond the range
  EXPECT_TRUE(TryTextToFloat(u"1E-5000", v));  // an underflow is silent
  EXPECT_EQ(v, 0.0L);
  EXPECT_TRUE(TryTextToFloat(u"1E-4940", v));  // subnormal kept
  EXPECT_GT(v, 0.0L);
}

TEST(NumberTextTest, StrToFloatThrowsReadableText) {
  EXPECT_EQ(StrToFloat(DotToComma(u"2.5")), 2.5L);
  EXPECT_EQ(DotToComma(u"1.2.3"), u"1,2,3");
  for (const char16_t* bad : {u"abc", u"", u"1,2,3", u"1E9999"}) {
    try {
      StrToFloat(bad);
      ADD_FAILURE() << U8(bad);
    } catch (const EConvertError& e) {
      EXPECT_NE(std::string(e.what()).find(U8(bad)), std::string::npos) << e.what();
    }
  }
}

TEST(FormatTest, GeneralFormat) {
  struct {
    long double V;
    const char16_t* Text;
  } cases[] = {
      {0, u"0"},
      {-0.0L, u"0"},
      {14, u"14"},
      {2.5L, u"2,5"},
      {-2.345L, u"-2,345"},
      {1e20L, u"1E20"},
      {1.5e-6L, u"1,5E-6"},
      {0.00001L, u"0,00001"},
      {0.000123L, u"0,000123"},
      {123456789012345.0L, u"123456789012345"},
      {1e15L, u"1E15"},
      {999999999999999.5L, u"1E15"},  // rounds up to 16 digits
      {1.0L / 3, u"0,333333333333333"},
      {2.0L / 3, u"0,666666666666667"},
      {std::sqrt(2.0L), u"1,4142135623731"},  // 1,41421356237310: trailing zero dropped
      {1.2345678901234567e-7L, u"1,23456789012346E-7"},
      {-1e-300L, u"-1E-300"},
      {LDBL_MAX, u"1,18973149535723E4932"},
      {std::numeric_limits<long double>::quiet_NaN(), u"NAN"},
      {std::numeric_limits<long double>::infinity(), u"INF"},
      {-std::numeric_limits<long double>::infinity(), u"-INF"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatGeneral(c.V), c.Text) << U8(c.Text);
}

// The fast ASCII form of a double is FormatGeneral's text exactly: on the
// points of plot grids (sums of a decimal step), at the edges of the plain
// form and of a digit more, at ties, and on doubles of any bits.
TEST(FormatTest, AsciiFormOfDoublesIsTheGeneralFormat) {
  const auto same = [](double v) {
    char buf[32];
    const size_t n = FormatGeneralAscii(v, buf);
    const std::u16string slow = FormatGeneral(v);
    if (std::u16string(buf, buf + n) == slow) return true;
    ADD_FAILURE() << std::hexfloat << v << ": " << std::string(buf, n) << " != " << U8(slow);
    return false;
  };
  for (const double v : {0.0, -0.0, 1e-5, 0.99999e-5, 9.999999999999995e-6, 1e15, 999999999999999.5,
                         999999999999999.4, 99999999999999.95, 123456789012345.5, 0.5, 2.5, -1.5, 0.1,
                         std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(), DBL_MIN, DBL_MAX, 1e300})
    same(v);
  int failures = 0;
  for (const long double step : {0.01L, 0.1L, 0.001L, 0.7L, 1e-7L}) {
    long double x = -1000;
    for (int i = 0; i < 40000 && failures < 5; ++i, x += step) failures += !same(static_cast<double>(x));
  }
  std::mt19937_64 bits(20);
  std::uniform_real_distribution<double> exponent(-8, 17);
  for (int i = 0; i < 150000 && failures < 5; ++i) {
    failures += !same(std::pow(10.0, exponent(bits)) * (i % 2 ? -1 : 1));
    uint64_t b = bits();
    double any;
    std::memcpy(&any, &b, sizeof any);
    failures += !same(any);
  }
  // Whole numbers with decimal halves beyond the 15th digit.
  for (int64_t k = 0; k < 20000 && failures < 5; ++k)
    failures += !same(static_cast<double>(100000000000000 + k * 7919) + 0.5);
}

TEST(FormatTest, RoundToDigits) {
  struct {
    int32_t N;
    double X, Expected;
  } cases[] = {
      {2, 2.345, 2.34},  // 4 followed by 5 and a missing 0: the tie goes to the even 4
      {2, 2.355, 2.36},
      {1, 1.23, 1.2},
      {1, 0.96, 1},      // a 9 rounded up carries
      {1, 99.96, 100},
      {2, 9.999, 10},
      {3, 2.5, 2.5},     // fewer decimals than asked
      {2, -2.345, -2.345},  // negative results are never rounded
      {2, 0, 0},
      {2, 7, 7},
      {1, 1.2349, 1.2},  // only two digits after the rounded one count
      {2, 1.23456, 1.23},
      {8, 0.123456789, 0.12345679},
      // n = 0: the units digit rounded by the first two decimals.
      {0, 2.5, 2},
      {0, 3.5, 4},
      {0, 2.51, 3},
      {0, 9.7, 10},
      // Exponent form: rounded by the value's real decimals.
      {2, 1.5e-6, 0},
      {6, 1.5e-6, 2e-6},
      {8, 1.5e-6, 1.5e-6},
      {2, 1e-6, 1e-6},  // no comma in its text: unchanged
      {2, 1.23456789012345e20, 1.23456789012345e20},
  };
  for (const auto& c : cases) EXPECT_EQ(RoundToDigits(c.N, c.X), c.Expected) << c.N << " " << c.X;
  EXPECT_TRUE(std::isnan(RoundToDigits(2, std::nan(""))));
}

TEST(FormatTest, PrecisionOfEvaluate) {
  struct {
    double Precision, Value;
    const char16_t* Text;
  } cases[] = {
      {0.01, 2.345, u"2,34"},  {0.01, 2.355, u"2,36"},   {0.1, 1.23, u"1,2"},
      {0.1, 0.96, u"1"},       {0.001, 2.5, u"2,5"},     {0.01, -2.345, u"-2,345"},
      {10, 1.23, u"1,2"},      {1, 2.5, u"2"},           {1, 2.71, u"3"},
      {0, 1.0 / 3, u"0,333333333333333"},                {-1, 1.0 / 3, u"0,333333333333333"},
      {1e-8, 0.123456789, u"0,12345679"},
      {std::numeric_limits<double>::infinity(), 1.0 / 3, u"0,333333333333333"},
      {std::nan(""), 1.0 / 3, u"0,333333333333333"},
      {1e-320, 1.0 / 3, u"0,333333333333333"},
  };
  for (const auto& c : cases) {
    TOutcome o = Calc(u"x", {{u"x", c.Value}}, c.Precision);
    EXPECT_EQ(o.Text, c.Text) << c.Precision << " " << c.Value;
  }
}

TEST(Utf8Test, RoundTripAndInvalidInput) {
  const std::u16string s = u"Матрикон x€\U0001D11E";
  EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
  EXPECT_EQ(ToUtf8(u"é"), "\xC3\xA9");
  EXPECT_EQ(FromUtf8("a\xFF" "b"), u"a\uFFFDb");
  EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong
  EXPECT_EQ(FromUtf8("\xE2\x82"), u"\uFFFD\uFFFD");  // cut short
  EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

}  // namespace
