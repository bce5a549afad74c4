// The sampling of F(X) for the plane plot, straight on the formula engine.
#include "engine/Formula_math.h"
#include "tests/plot2d/EngineMessages.h"
#include "plot2d/PlotSampling.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

namespace {

using ::testing::HasSubstr;
using ::testing::SizeIs;


// A build's sampling: a fresh formula parsed once, as the window does it.
TPlotPoints Sample(const std::u16string& text, long double start, long double end, long double step) {
  TFormula formula(text, -1, 1);
  formula.Parse(text);
  TPlotPoints points;
  SamplePlot(formula, start, end, step, points);
  return points;
}

TEST(PlotSampling, DefaultsGive401PointsFromMinus200To200) {
  TEngineMessages messages;
  const TPlotPoints p = Sample(u"sin(x)", -200, 200, 1);
  ASSERT_THAT(p.X, SizeIs(401));
  ASSERT_THAT(p.Y, SizeIs(401));
  EXPECT_EQ(p.X.front(), -200);
  EXPECT_EQ(p.X[200], 0);
  EXPECT_EQ(p.X.back(), 200);
  EXPECT_DOUBLE_EQ(p.Y[290], 1);  // sin 90°: the engine works in degrees
  EXPECT_DOUBLE_EQ(p.Y[110], -1);
  EXPECT_TRUE(messages.Texts.empty());
}

TEST(PlotSampling, PointCountFollowsTheRange) {
  struct TCase {
    long double Start, End, Step;
    size_t Points;
  };
  const TCase cases[] = {
      {5, 1, 1, 0},           // start above end: nothing
      {7, 7, 1, 1},           // start equal to end: one point
      {0, 1, 0.25L, 5},       // the end itself when the additions reach it
      {-1, 1, 0.75L, 3},      // the end left out when they pass it
      {0.5L, 3, 1, 3},        // a start with a fraction
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<double>(c.Start) << ".." << static_cast<double>(c.End));
    const TPlotPoints p = Sample(u"x", c.Start, c.End, c.Step);
    EXPECT_THAT(p.X, SizeIs(c.Points));
    EXPECT_EQ(CountPlotPoints(c.Start, c.End, c.Step, MaxPlotPoints), static_cast<int64_t>(c.Points));
  }
}

TEST(PlotSampling, DivisionByZeroIsReportedAndTheCurveGoesOn) {
  TEngineMessages messages;
  const TPlotPoints p = Sample(u"1/x", -200, 200, 1);
  ASSERT_THAT(messages.Texts, SizeIs(1));
  EXPECT_THAT(messages.Texts[0], HasSubstr("Деление на ноль"));
  ASSERT_THAT(p.X, SizeIs(401));
  EXPECT_DOUBLE_EQ(p.Y[201], 1);
  EXPECT_DOUBLE_EQ(p.Y[400], 1.0 / 200);
}

TEST(PlotSampling, RefusedArgumentIsReportedOnceAndLeavesAGap) {
  TEngineMessages messages;
  const TPlotPoints p = Sample(u"sqrt(x)", -200, 200, 1);
  ASSERT_THAT(messages.Texts, SizeIs(1));
  EXPECT_THAT(messages.Texts[0], HasSubstr("Квадратный корень"));
  ASSERT_THAT(p.Y, SizeIs(401));
  EXPECT_EQ(p.Y[0], 0);  // the first point keeps the new formula's value
  for (size_t i = 1; i < 200; ++i)
    ASSERT_TRUE(std::isnan(p.Y[i])) << "X = " << p.X[i];
  EXPECT_EQ(p.Y[200], 0);
  EXPECT_DOUBLE_EQ(p.Y[300], 10);
}

TEST(PlotSampling, ValuesOutsideTheBandAreClampedFirstAndHeldLater) {
  struct TCase {
    const char16_t* Formula;
    long double Start, End;
    size_t Index;
    double Y;
  };
  const TCase cases[] = {
      {u"x^2", -600, 600, 0, 100000},      // 360 000 at the start: the band's edge
      {u"-x^2", -600, 600, 0, -100000},
      {u"x^2", -600, 600, 283, 100000},    // X = -317: still the first point's height
      {u"x^2", -600, 600, 284, 99856},     // X = -316: back in the band
      {u"x^2", -600, 600, 917, 99856},     // X = 317: the height of X = 316
      {u"x*1000", 99, 101, 1, 99000},      // exactly 100 000 counts as outside
      {u"x*1000", 99, 101, 2, 99000},
      {u"250000", 0, 3, 0, 100000},        // a constant beyond the band
      {u"250000", 0, 3, 3, 100000},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << ToUtf8(c.Formula) << " point " << c.Index);
    const TPlotPoints p = Sample(c.Formula, c.Start, c.End, 1);
    ASSERT_LT(c.Index, p.Y.size());
    EXPECT_EQ(p.Y[c.Index], c.Y);
  }
}

TEST(PlotSampling, FirstVariableTakesXWhateverItsName) {
  const TPlotPoints t = Sample(u"t^2", -200, 200, 1);
  const TPlotPoints x = Sample(u"x^2", -200, 200, 1);
  EXPECT_EQ(t.X, x.X);
  EXPECT_EQ(t.Y, x.Y);
  EXPECT_EQ(t.Y[0], 40000);
}

TEST(PlotSampling, FormulaWithoutVariableGivesAConstantLine) {
  const TPlotPoints p = Sample(u"2+3", -200, 200, 1);
  ASSERT_THAT(p.Y, SizeIs(401));
  for (double y : p.Y)
    ASSERT_EQ(y, 5);
}

TEST(PlotSampling, FormulasThatFailToCompileGiveAFlatLineAtZero) {
  // Only the syntax message is shown; no fault follows it («3/10+*5» once
  // raised one from its half-built nodes).
  for (const char16_t* text : {u"3/10+*5", u"sin()", u"1+", u"(((x", u")", u"x^", u"max(;)", u"2**x", u"x+ 1"}) {
    SCOPED_TRACE(ToUtf8(text));
    TEngineMessages messages;
    TFormula formula(text, -1, 1);
    EXPECT_FALSE(formula.Parse(text));
    TPlotPoints points;
    SamplePlot(formula, -2, 2, 1, points);
    EXPECT_EQ(points.X, (std::vector<double>{-2, -1, 0, 1, 2}));
    EXPECT_EQ(points.Y, std::vector<double>(5, 0));
    EXPECT_THAT(messages.Texts, SizeIs(1));
  }
}

TEST(PlotSampling, ArithmeticFaultEndsTheSamplingAndKeepsEarlierPoints) {
  TFormula formula(u"x/x", -1, 1);
  formula.Parse(u"x/x");
  TPlotPoints points;
  EXPECT_THROW(SamplePlot(formula, -2, 2, 1, points), EMathError);  // 0/0 at X = 0
  EXPECT_EQ(points.X, (std::vector<double>{-2, -1}));
  EXPECT_EQ(points.Y, (std::vector<double>{1, 1}));
}

TEST(PlotSampling, XBeyondTheDoubleRangeIsAnOverflow) {
  TFormula formula(u"x", -1, 1);
  formula.Parse(u"x");
  TPlotPoints points;
  try {
    SamplePlot(formula, 1e400L, 1e400L, 1, points);
    FAIL() << "no fault";
  } catch (const EMathError& e) {
    EXPECT_EQ(e.Kind(), EMathError::TKind::Overflow);
  }
  EXPECT_TRUE(points.X.empty());
}

TEST(PlotSampling, EndlessOrOversizedBuildsCountPastTheLimit) {
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  struct TCase {
    long double Start, End, Step;
    int64_t Count;
  };
  const TCase cases[] = {
      {-200, 200, 1, 401},
      {0, 9'999'999, 1, MaxPlotPoints},        // just the limit
      {0, 10'000'000, 1, MaxPlotPoints + 1},   // one point too many
      {-1e6L, 1e6L, 1e-3L, MaxPlotPoints + 1},
      {0, 1, 0, MaxPlotPoints + 1},            // never moves
      {0, 1, -1, MaxPlotPoints + 1},           // moves away from the end
      {0, 1, nan, MaxPlotPoints + 1},
      {1e20L, 1e20L, 1, MaxPlotPoints + 1},    // one point by the range, but 1e20 + 1 is 1e20
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<double>(c.Start) << ".." << static_cast<double>(c.End)
                                    << " by " << static_cast<double>(c.Step));
    EXPECT_EQ(CountPlotPoints(c.Start, c.End, c.Step, MaxPlotPoints), c.Count);
  }
}

// One build sampled on one thread in one block (the plain loop), and on one
// and on two threads in blocks of 64 points, so that block borders and the
// helper's blocks fall everywhere.
struct TSampled {
  TPlotPoints Points;
  std::vector<std::string> Messages;
  std::string Fault;
  uint32_t Seed = 0;
  int64_t HelperPoints = 0;
};

TSampled SampleOn(int threads, int64_t blockPoints, const std::u16string& text, long double start,
                  long double end, long double step, TWorkControl* control = nullptr) {
  // Messages are shown on this thread only (a message box elsewhere would
  // not work).
  TEngineMessages messages;
  const std::thread::id thread = std::this_thread::get_id();
  const TMessageHook recorder = SetMessageHook({});
  SetMessageHook([&](TMessageIcon icon, const std::u16string& text) {
    recorder(icon, std::this_thread::get_id() == thread ? text : u"(on another thread) " + text);
  });
  SetRandomSeed(7);
  TFormula formula(text, -1, 1);
  formula.Parse(text);
  const TPlotRange range = MeasurePlotRange(start, end, step, MaxPlotPoints, blockPoints);
  TSampled s;
  s.Points.X.assign(static_cast<size_t>(range.Count), 0);
  s.Points.Y.assign(static_cast<size_t>(range.Count), 0);
  try {
    s.HelperPoints = SamplePlot(formula, text, range, s.Points, threads, control);
  } catch (const EMathError& e) {
    s.Fault = e.what();
  }
  SetMessageHook(recorder);
  s.Messages = messages.Texts;
  s.Seed = RandomSeed();
  return s;
}

std::vector<uint64_t> Bits(const std::vector<double>& v) {
  std::vector<uint64_t> bits(v.size());
  std::memcpy(bits.data(), v.data(), v.size() * sizeof(double));
  return bits;
}

TEST(PlotSampling, BlocksAndTwoThreadsGiveThePointsAndMessagesOfThePlainLoop) {
  struct TCase {
    const char16_t* Formula;
    long double Start, End;
  };
  // A step of 1/512 reaches every whole X exactly.
  const TCase cases[] = {
      {u"x^3", -200, 200},                       // held heights over many blocks at both ends
      {u"1/(x-10)+100000/(x-190)", -200, 200},   // two divisions by zero, each keeping a node's last value
      {u"sqrt(x)", -200, 200},                   // a message at the first point, gaps after it
      {u"random(1000)+x", -200, 200},            // one generator: sampled in order
      {u"x^1000", 85000, 85600},                 // an overflow ends the build
  };
  const long double step = 1.0L / 512;
  for (const TCase& c : cases) {
    SCOPED_TRACE(ToUtf8(c.Formula));
    const TSampled plain = SampleOn(1, PlotBlockPoints * 64, c.Formula, c.Start, c.End, step);
    for (int threads : {1, 2}) {
      SCOPED_TRACE(threads);
      const TSampled s = SampleOn(threads, 64, c.Formula, c.Start, c.End, step);
      EXPECT_EQ(Bits(s.Points.X), Bits(plain.Points.X));
      EXPECT_EQ(Bits(s.Points.Y), Bits(plain.Points.Y));
      EXPECT_EQ(s.Messages, plain.Messages);
      EXPECT_EQ(s.Fault, plain.Fault);
      EXPECT_EQ(s.Seed, plain.Seed);
      // Followed and never stopped, the same.
      TWorkControl control;
      const TSampled followed = SampleOn(threads, 64, c.Formula, c.Start, c.End, step, &control);
      EXPECT_EQ(Bits(followed.Points.Y), Bits(plain.Points.Y));
      EXPECT_EQ(followed.Messages, plain.Messages);
      if (plain.Fault.empty()) EXPECT_EQ(control.Progress(), 1);
    }
  }
  // Long enough for the second thread to start while the first still works.
  EXPECT_GT(SampleOn(2, 64, u"x^3", -200, 200, step / 8).HelperPoints, 0);
  EXPECT_THAT(SampleOn(2, 64, u"1/(x-10)+100000/(x-190)", -200, 200, step).Messages, SizeIs(2));
  EXPECT_THAT(SampleOn(2, 64, u"x^1000", 85000, 85600, step).Fault, ::testing::Not(::testing::IsEmpty()));
}

TEST(PlotSampling, StopEndsTheSamplingWithNothingMade) {
  for (int threads : {1, 2}) {
    TWorkControl control;
    control.StopAtProgress(0.5);
    const TSampled s = SampleOn(threads, 64, u"sin(x)", -200, 200, 1.0L / 512, &control);
    EXPECT_TRUE(control.Stopped());
    EXPECT_LT(control.Progress(), 0.6);
    EXPECT_TRUE(s.Points.Y.empty());
    EXPECT_TRUE(s.Fault.empty());
  }
}

}  // namespace
