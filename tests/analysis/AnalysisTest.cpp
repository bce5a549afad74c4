// The analysis of a plotted function without a window: roots apart from
// poles and jumps, extrema with the digits that are sure, intersections,
// the value at a point, the cap, the threads and the engine's messages.
#include "analysis/Analysis.h"
#include "tests/engine/Engine_test_util.h"

#include <gmock/gmock.h>

#include <cmath>
#include <cstring>
#include <memory>

namespace {

// A formula as the plane plot builds it: parsed once, past its first
// evaluation (the build made it), evaluated in mode 2.
struct TBuilt {
  explicit TBuilt(const std::u16string& text) : Text(text), Formula(std::make_unique<TFormula>(text, -1, 1)) {
    Formula->Parse(text);
    Formula->EvalCount = 2;
  }
  TAnalysisCurve Curve() const { return {Formula.get(), Text, 2}; }
  std::u16string Text;
  std::unique_ptr<TFormula> Formula;
};

// The grid of a build from start to end (both within it) by step.
TAnalysisGrid Grid(long double start, long double end, long double step) {
  int64_t count = 0;
  for (long double x = start; x <= end; x += step) ++count;
  return {start, step, count};
}

TAnalysisControl Threads(int n) {
  TAnalysisControl c;
  c.Threads = n;
  return c;
}

std::vector<TFindingKind> Kinds(const TAnalysisResult& r) {
  std::vector<TFindingKind> kinds;
  for (const TFinding& f : r.Findings) kinds.push_back(f.Kind);
  return kinds;
}

using K = TFindingKind;
using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::IsEmpty;

TEST(AnalysisRootsTest, RootsAreRefinedOnTheFormulaBeyondTheGrid) {
  // sin in degrees: a root at every multiple of 180; the grid's step of 7
  // lands on none of them but 0.
  TBuilt sine(u"sin(x)");
  const TAnalysisResult r = FindRoots(sine.Curve(), Grid(-1000, 1000, 7));
  ASSERT_EQ(r.Findings.size(), 11u);
  for (size_t k = 0; k < r.Findings.size(); ++k) {
    const TFinding& f = r.Findings[k];
    EXPECT_EQ(f.Kind, K::Root);
    EXPECT_NEAR(static_cast<double>(f.X), 180.0 * (static_cast<double>(k) - 5), 1e-12) << k;
    EXPECT_LE(f.Uncertainty, 1e-12L);
    EXPECT_LE(std::fabs(f.Y), 1e-15L);
  }

  // The square root of 2 to the last digit the format shows, and 0 exactly
  // although the repeated additions of 0,01 never reach it.
  TBuilt square(u"x^2-2");
  const TAnalysisResult s = FindRoots(square.Curve(), Grid(0, 3, 0.01L));
  ASSERT_EQ(s.Findings.size(), 1u);
  EXPECT_NEAR(static_cast<double>(s.Findings[0].X / std::sqrt(2.0L) - 1), 0, 1e-15);
  EXPECT_EQ(FormatSure(s.Findings[0].X, s.Findings[0].Uncertainty), u"1,4142135623731");

  TBuilt cubic(u"x^3-2*x");
  const TAnalysisResult c = FindRoots(cubic.Curve(), Grid(-3, 3, 0.01L));
  std::vector<std::u16string> shown;
  for (const TFinding& f : c.Findings) shown.push_back(FormatSure(f.X, f.Uncertainty));
  EXPECT_THAT(shown, ElementsAre(u"-1,4142135623731", u"0", u"1,4142135623731"));
  EXPECT_THAT(Kinds(c), Each(K::Root));
}

TEST(AnalysisRootsTest, PolesAndJumpsAreBreaksNotRoots) {
  // 1/x changes sign at 0, off the grid and on it (where the grid's point
  // has no value); tan at 90 and 270, off the grid.
  TBuilt reciprocal(u"1/x");
  EXPECT_THAT(Kinds(FindRoots(reciprocal.Curve(), Grid(-1, 1, 0.3L))), ElementsAre(K::Break));
  EXPECT_THAT(Kinds(FindRoots(reciprocal.Curve(), Grid(-1, 1, 0.25L))), ElementsAre(K::Break));
  TBuilt tangent(u"tan(x)");
  const TAnalysisResult t = FindRoots(tangent.Curve(), Grid(1, 359, 7));
  ASSERT_THAT(Kinds(t), ElementsAre(K::Break, K::Root, K::Break));
  EXPECT_NEAR(static_cast<double>(t.Findings[0].X), 90, 1e-9);
  EXPECT_NEAR(static_cast<double>(t.Findings[1].X), 180, 1e-12);
  EXPECT_NEAR(static_cast<double>(t.Findings[2].X), 270, 1e-9);
  EXPECT_TRUE(std::isnan(t.Findings[0].Y));

  // A jump across 0 (int and frac step at whole numbers) is a break; the
  // steep but continuous cube root is a root.
  TBuilt step(u"int(x)-0,5");
  const TAnalysisResult j = FindRoots(step.Curve(), Grid(0.05L, 2.95L, 0.1L));
  ASSERT_THAT(Kinds(j), ElementsAre(K::Break));
  EXPECT_NEAR(static_cast<double>(j.Findings[0].X), 1, 1e-12);
  TBuilt saw(u"frac(x)-0,5");
  EXPECT_THAT(Kinds(FindRoots(saw.Curve(), Grid(0.03L, 1.97L, 0.1L))), ElementsAre(K::Root, K::Break, K::Root));
  TBuilt fifth(u"(x-0,3)*abs(x-0,3)^(-0,8)");
  const TAnalysisResult k = FindRoots(fifth.Curve(), Grid(-1.05L, 1, 0.1L));
  ASSERT_THAT(Kinds(k), ElementsAre(K::Root));
}

TEST(AnalysisExtremaTest, TurnsAreRefinedWithTheDigitsThatAreSure) {
  TBuilt cubic(u"x^3-2*x");
  const TAnalysisResult r = FindExtrema(cubic.Curve(), Grid(-3, 3, 0.01L));
  ASSERT_THAT(Kinds(r), ElementsAre(K::Maximum, K::Minimum));
  const long double turn = std::sqrt(2.0L / 3);
  for (int k = 0; k < 2; ++k) {
    const TFinding& f = r.Findings[k];
    const long double sign = k == 0 ? -1 : 1;
    EXPECT_LE(std::fabs(f.X - sign * turn), f.Uncertainty) << k;
    EXPECT_LE(f.Uncertainty, 1e-10L);
    EXPECT_EQ(FormatGeneral(f.Y), k == 0 ? u"1,08866210790363" : u"-1,08866210790363");
    EXPECT_EQ(FormatSure(f.X, f.Uncertainty).substr(0, k == 0 ? 13 : 12),
              k == 0 ? u"-0,8164965809" : u"0,8164965809");
  }

  // x^2 touches 0 without a sign change: no root, a minimum.
  TBuilt square(u"x^2");
  const TAnalysisGrid grid = Grid(-1.005L, 1, 0.01L);
  EXPECT_THAT(FindRoots(square.Curve(), grid).Findings, IsEmpty());
  const TAnalysisResult m = FindExtrema(square.Curve(), grid);
  ASSERT_THAT(Kinds(m), ElementsAre(K::Minimum));
  EXPECT_LE(std::fabs(m.Findings[0].X), m.Findings[0].Uncertainty);
  EXPECT_EQ(FormatSure(m.Findings[0].X, m.Findings[0].Uncertainty), u"0");

  // A kink is a turn too; a pole between samples is a break.
  TBuilt kink(u"abs(x-0,3)");
  const TAnalysisResult a = FindExtrema(kink.Curve(), Grid(-1.05L, 1, 0.1L));
  ASSERT_THAT(Kinds(a), ElementsAre(K::Minimum));
  EXPECT_NEAR(static_cast<double>(a.Findings[0].X), 0.3, 1e-12);
  TBuilt pole(u"1/(x-0,3)^2");
  EXPECT_THAT(Kinds(FindExtrema(pole.Curve(), Grid(-1.05L, 1, 0.1L))), ElementsAre(K::Break));
}

TEST(AnalysisExtremaTest, AFlatRunIsOneExtremumAndStepsAreNone) {
  // int(x) only climbs: its flat steps are no turns.
  TBuilt whole(u"int(x)");
  EXPECT_THAT(FindExtrema(whole.Curve(), Grid(-3, 3, 0.01L)).Findings, IsEmpty());
  // Its top between -1 and 1, flat over 200 samples, is one maximum.
  TBuilt top(u"0-abs(int(x))");
  const TAnalysisResult r = FindExtrema(top.Curve(), Grid(-3, 3, 0.01L));
  ASSERT_THAT(Kinds(r), ElementsAre(K::Maximum));
  EXPECT_NEAR(static_cast<double>(r.Findings[0].X), 0, 0.02);
  EXPECT_EQ(r.Findings[0].Y, 0);
  EXPECT_GE(r.Findings[0].Uncertainty, 0.98L);
}

TEST(AnalysisIntersectionsTest, SineMeetsCosineAt45Plus180k) {
  TBuilt sine(u"sin(x)"), cosine(u"cos(x)");
  const TAnalysisResult r = FindIntersections(sine.Curve(), cosine.Curve(), Grid(-400, 600, 1.3L));
  ASSERT_EQ(r.Findings.size(), 6u);
  for (size_t k = 0; k < r.Findings.size(); ++k) {
    const TFinding& f = r.Findings[k];
    EXPECT_EQ(f.Kind, K::Intersection);
    EXPECT_NEAR(static_cast<double>(f.X), -315 + 180.0 * static_cast<double>(k), 1e-12) << k;
    EXPECT_NEAR(static_cast<double>(f.Y), (k % 2 ? 1 : -1) * -std::sqrt(0.5), 1e-15);
  }
  // A pole of one curve is a break, not a meeting.
  TBuilt reciprocal(u"1/x"), zero(u"x-x");
  EXPECT_THAT(Kinds(FindIntersections(reciprocal.Curve(), zero.Curve(), Grid(-1, 1, 0.3L))),
              ElementsAre(K::Break));
}

TEST(AnalysisWorkTest, CappedAtTenThousandWithTheFirstOnesKept) {
  TBuilt sine(u"sin(x)");
  // 11 111 roots from -999 999 to 999 999.
  const TAnalysisResult r = FindRoots(sine.Curve(), Grid(-999999.5L, 999999.5L, 1));
  ASSERT_EQ(r.Findings.size(), MaxFindings);
  EXPECT_TRUE(r.More);
  EXPECT_NEAR(static_cast<double>(r.Findings.front().X), -999900, 1e-9);
  EXPECT_NEAR(static_cast<double>(r.Findings.back().X), -999900 + 180.0 * 9999, 1e-9);
  EXPECT_FALSE(FindRoots(sine.Curve(), Grid(-1000, 1000, 1)).More);
}

TEST(AnalysisWorkTest, ThreadsChangeNothingAndTheEngineStaysSilent) {
  // 1/x hits 0 on the grid: a division by zero at every evaluation there,
  // which the build showed and the analysis must not show again.
  TBuilt f(u"sin(x*70)+1/(x-10)");
  const TAnalysisGrid grid = Grid(-2000, 2000, 0.1L);
  TMessageRecorder messages;
  const TAnalysisResult one = FindRoots(f.Curve(), grid, Threads(1));
  const TAnalysisResult two = FindRoots(f.Curve(), grid, Threads(2));
  const TAnalysisResult extremaOne = FindExtrema(f.Curve(), grid, Threads(1));
  const TAnalysisResult extremaTwo = FindExtrema(f.Curve(), grid, Threads(2));
  EXPECT_THAT(messages.Texts, IsEmpty());
  ASSERT_GT(one.Findings.size(), 1000u);
  ASSERT_EQ(one.Findings.size(), two.Findings.size());
  for (size_t i = 0; i < one.Findings.size(); ++i) {
    EXPECT_EQ(std::memcmp(&one.Findings[i].X, &two.Findings[i].X, 10), 0) << i;
    EXPECT_EQ(one.Findings[i].Kind, two.Findings[i].Kind) << i;
  }
  ASSERT_EQ(extremaOne.Findings.size(), extremaTwo.Findings.size());
  for (size_t i = 0; i < extremaOne.Findings.size(); ++i)
    EXPECT_EQ(std::memcmp(&extremaOne.Findings[i].X, &extremaTwo.Findings[i].X, 10), 0) << i;
  // The break at 10 is among them, once.
  int breaks = 0;
  for (const TFinding& x : one.Findings) breaks += x.Kind == K::Break;
  EXPECT_EQ(breaks, 1);
  // The window's object is left computing its result text again.
  EXPECT_FALSE(f.Formula->NumericOnly);
}

TEST(AnalysisWorkTest, AStoppedAnalysisSaysSo) {
  TBuilt sine(u"sin(x)");
  TAnalysisControl control;
  int polls = 0;
  control.Stopped = [&] { return ++polls > 3; };
  const TAnalysisResult r = FindRoots(sine.Curve(), Grid(-999999.5L, 999999.5L, 1), control);
  EXPECT_TRUE(r.Stopped);
}

TEST(AnalysisValueTest, TheValueAtAPointIsTheCalculatorsWithItsMessage) {
  TMessageRecorder messages;
  const TFinding v = ValueAt(u"x^3-2*x", 2, 2);
  EXPECT_EQ(v.Y, 4);
  EXPECT_EQ(v.Kind, K::Value);
  const TFinding none = ValueAt(u"sqrt(x)", -1, 2);
  EXPECT_TRUE(std::isnan(none.Y));
  EXPECT_THAT(messages.Texts, ElementsAre(u"Квадратный корень отрицательного числа не существует"));
  const TFinding zero = ValueAt(u"1/x", 0, 2);
  EXPECT_TRUE(std::isnan(zero.Y));
  EXPECT_EQ(messages.Texts.size(), 2u);
  EXPECT_THROW(ValueAt(u"0/x", 0, 2), EMathError);
}

TEST(AnalysisFormatTest, OnlyTheSureDigitsAreShown) {
  // Rounded at the place above the uncertainty: its last digit is off by one at most.
  EXPECT_EQ(FormatSure(0.816496580927726L, 3e-11L), u"0,8164965809");
  EXPECT_EQ(FormatSure(-0.816496580927726L, 9e-12L), u"-0,81649658093");
  EXPECT_EQ(FormatSure(1234.5678L, 0.02L), u"1234,6");
  EXPECT_EQ(FormatSure(99.96L, 0.02L), u"100");
  EXPECT_EQ(FormatSure(1e-20L, 1e-12L), u"0");
  EXPECT_EQ(FormatSure(7, 1), u"10");
  EXPECT_EQ(FormatSure(4, 1), u"0");
  EXPECT_EQ(FormatSure(std::sqrt(2.0L), 1e-19L), u"1,4142135623731");
  EXPECT_EQ(FormatSure(2.5L, 0), u"2,5");
}

}  // namespace
