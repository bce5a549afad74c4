// The geometry of the 3D control, without any display.
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Graph3DCore.h"
#include "tests/graph3d/Graph3DMessages.h"
#include "graph3d/Graph3DRaster.h"
#include "memory/SystemMemory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

void PrintTo(const TPoint& p, std::ostream* os) { *os << "(" << p.X << ", " << p.Y << ")"; }

namespace {

// Expects `f` to throw EGraph3DError with exactly `message`.
template <typename F>
void ExpectError(F&& f, const std::string& message) {
  try {
    f();
    ADD_FAILURE() << "no exception, expected: " << message;
  } catch (const EGraph3DError& e) {
    EXPECT_EQ(std::string(e.what()), message);
  }
}

std::unique_ptr<TGraphLine> MakeLine(std::vector<float> values, float y = 0, float x0 = 0, float x1 = -1) {
  auto line = std::make_unique<TGraphLine>(static_cast<int32_t>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) line->SetValue(static_cast<int32_t>(i), values[i]);
  line->StartPoint = {x0, y, 0};
  line->EndPoint = {x1 < 0 ? float(values.size() - 1) : x1, y, 0};
  return line;
}

// A model of `lines` lines of `values` values with heights from f(j, i).
template <typename F>
void Fill(TGraph3DModel& m, int lines, int values, F f, float x0 = 0, float x1 = -1) {
  for (int j = 0; j < lines; ++j) {
    std::vector<float> v(static_cast<size_t>(values));
    for (int i = 0; i < values; ++i) v[size_t(i)] = f(j, i);
    m.AddLine(MakeLine(v, float(j), x0, x1));
  }
}

float Bowl(int j, int i) { return float((i - 3) * (i - 3) + (j - 2) * (j - 2)); }

// ---------------------------------------------------------------- lines

TEST(Graph3DLine, CreationRefusesFewerThanTwoValues) {
  for (int count : {1, 0, -5, std::numeric_limits<int32_t>::min()}) {
    ExpectError([&] { TGraphLine line(count); }, msg::CreateLinePrefix + std::to_string(count) + msg::CreateLineSuffix);
  }
  TGraphLine two(2);
  EXPECT_EQ(two.Count(), 2);
}

TEST(Graph3DLine, DefaultPositionsAndBounds) {
  TGraphLine line(5);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(line.GetX(i), float(i));
    EXPECT_EQ(line.GetY(i), 0.0f);
    EXPECT_EQ(line.GetValue(i), 0.0f);
  }
  line.StartPoint = {10, 4, 0};
  line.EndPoint = {20, -4, 0};
  EXPECT_EQ(line.GetX(2), 15.0f);
  EXPECT_EQ(line.GetY(1), 2.0f);
  line.SetValue(4, 7.5f);
  for (int bad : {-1, 5}) {
    const std::string m = msg::IndexOutOfBounds + std::to_string(bad);
    ExpectError([&] { line.GetValue(bad); }, m);
    ExpectError([&] { line.SetValue(bad, 1); }, m);
    ExpectError([&] { line.GetX(bad); }, m);
    ExpectError([&] { line.GetY(bad); }, m);
  }
  EXPECT_EQ(line.GetValue(4), 7.5f);
}

TEST(Graph3DLine, AddLineChecksLength) {
  TGraph3DModel m;
  EXPECT_EQ(m.ValuesPerLine(), 50);
  m.AddLine(MakeLine({1, 2, 3}));  // the first line sets the length
  EXPECT_EQ(m.ValuesPerLine(), 3);
  auto other = MakeLine({1, 2, 3, 4});
  ExpectError([&] { m.AddLine(std::move(other)); }, msg::WrongLength);
  ASSERT_NE(other, nullptr);  // still the caller's
  EXPECT_EQ(m.LineCount(), 1);
  EXPECT_EQ(m.ValuesPerLine(), 3);
}

// ---------------------------------------------------------------- build

TEST(Graph3DBuild, OneLineGivesNoCellsAndNoError) {
  TGraph3DModel m;
  m.AddLine(MakeLine({1, 2, 3}));
  m.BuildTrapezes();
  EXPECT_EQ(m.TrapezeCount(), 0);
  EXPECT_FALSE(m.TrapezesBuilt());
  EXPECT_FALSE(m.BuildFailed());
}

TEST(Graph3DBuild, CellsComeInLineThenValueOrderWithTheirCorners) {
  TGraph3DModel m;
  m.AddLine(MakeLine({0, 10, 20, 30}, 0));
  m.AddLine(MakeLine({40, 50, 60, 70}, 1));
  m.AddLine(MakeLine({80, 90, 100, 110}, 2));
  m.BuildTrapezes();
  ASSERT_EQ(m.TrapezeCount(), 6);
  EXPECT_TRUE(m.TrapezesBuilt());
  EXPECT_EQ(m.LastLine(), 2);
  EXPECT_EQ(m.FirstLine(), -10);  // untouched by the build
  // heights run 0..110, so a percent is value / 1.1
  const TTrapeze& t = m.Trapeze(4);  // line 1, values 1..2
  EXPECT_EQ(t.LineIndex, 1);
  const float expected[4][3] = {{100.0f / 3, 50, 50 / 1.1f}, {200.0f / 3, 50, 60 / 1.1f},
                                {200.0f / 3, 100, 100 / 1.1f}, {100.0f / 3, 100, 90 / 1.1f}};
  for (int c = 0; c < 4; ++c) {
    EXPECT_NEAR(t.Corners[c].X, expected[c][0], 1e-4) << c;
    EXPECT_NEAR(t.Corners[c].Y, expected[c][1], 1e-4) << c;
    EXPECT_NEAR(t.Corners[c].Z, expected[c][2], 1e-4) << c;
  }
  EXPECT_NEAR(t.Centroid.X, 50, 1e-4);
  EXPECT_NEAR(t.Centroid.Y, 75, 1e-4);
  EXPECT_NEAR(t.Centroid.Z, 75 / 1.1f, 1e-4);
  for (int k = 0; k < 6; ++k) EXPECT_EQ(m.Trapeze(k).LineIndex, k / 3);
  EXPECT_NEAR(m.Center().X, 50, 1e-4);
  EXPECT_NEAR(m.Center().Y, 50, 1e-4);
  EXPECT_NEAR(m.Center().Z, 50, 1e-4);
}

TEST(Graph3DBuild, TwoLinesOfTwoValuesGiveOneCell) {
  TGraph3DModel m;
  m.AddLine(MakeLine({0, 1}, 0));
  m.AddLine(MakeLine({2, 3}, 1));
  m.BuildTrapezes();
  ASSERT_EQ(m.TrapezeCount(), 1);
  EXPECT_EQ(m.Trapeze(0).LineIndex, 0);
}

TEST(Graph3DBuild, NormalisationIgnoresScaleAndOffset) {
  TGraph3DModel a, b;
  Fill(a, 4, 6, Bowl, 10, 20);
  Fill(b, 4, 6, [](int j, int i) { return 1000 + 7 * Bowl(j, i); }, 0, 1000);
  a.BuildTrapezes();
  b.BuildTrapezes();
  ASSERT_EQ(a.TrapezeCount(), b.TrapezeCount());
  for (int64_t k = 0; k < a.TrapezeCount(); ++k) {
    for (int c = 0; c < 4; ++c) {
      EXPECT_NEAR(a.Trapeze(k).Corners[c].X, b.Trapeze(k).Corners[c].X, 1e-3);
      EXPECT_NEAR(a.Trapeze(k).Corners[c].Y, b.Trapeze(k).Corners[c].Y, 1e-3);
      EXPECT_NEAR(a.Trapeze(k).Corners[c].Z, b.Trapeze(k).Corners[c].Z, 1e-3);
    }
  }
}

TEST(Graph3DBuild, RefusesDataWithoutRange) {
  struct TCase {
    const char* Name;
    float Y1;    // Y of the second line
    float X1;    // end X of every line
    float Step;  // height step between values
  };
  for (const TCase& c : {TCase{"flat heights", 1, 3, 0}, TCase{"one Y", 0, 3, 1}, TCase{"one X", 1, 0, 1}}) {
    TGraph3DModel m;
    m.AddLine(MakeLine({0, c.Step, 2 * c.Step, 3 * c.Step}, 0, 0, c.X1));
    m.AddLine(MakeLine({0, c.Step, 2 * c.Step, 3 * c.Step}, c.Y1, 0, c.X1));
    ExpectError([&] { m.Prepare(); }, msg::NoRange);
    EXPECT_EQ(m.TrapezeCount(), 0) << c.Name;
    EXPECT_FALSE(m.TrapezesBuilt()) << c.Name;
    EXPECT_TRUE(m.BuildFailed()) << c.Name;
    EXPECT_NO_THROW(m.Prepare()) << c.Name;  // reported once; no retry until the lines change
    m.AddLine(MakeLine({0, 1, 2, 5}, 7, 0, 3));
    EXPECT_FALSE(m.BuildFailed()) << c.Name;
  }
}

TEST(Graph3DBuild, RefusesValuesThatAreNotFinite) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  for (float bad : {nan, inf, -inf}) {
    TGraph3DModel m;
    m.AddLine(MakeLine({0, 1, 2}, 0));
    m.AddLine(MakeLine({0, bad, 2}, 1));
    EXPECT_THROW(m.BuildTrapezes(), EGraph3DError);
    EXPECT_EQ(m.TrapezeCount(), 0);
    EXPECT_TRUE(m.BuildFailed());
  }
  TGraph3DModel m;  // end points too
  m.AddLine(MakeLine({0, 1, 2}, 0, 0, inf));
  m.AddLine(MakeLine({0, 1, 2}, 1));
  try {
    m.BuildTrapezes();
    ADD_FAILURE();
  } catch (const EGraph3DError& e) {
    EXPECT_THAT(e.what(), ::testing::StartsWith("Graph3D.BuildTrapezes: Bad values:"));
  }
}

TEST(Graph3DBuild, MissingPointsLeaveHolesAndTakeNoPartInTheRanges) {
  // 3 lines of 4 values; the middle point of line 1 has no value (its stored
  // height is absurd, NaN even, and must not matter).
  TGraph3DModel m;
  m.AddLine(MakeLine({0, 10, 20, 30}, 0));
  auto middle = MakeLine({40, std::numeric_limits<float>::quiet_NaN(), 60, 70}, 1);
  middle->SetMissing(1);
  EXPECT_TRUE(middle->IsMissing(1));
  EXPECT_FALSE(middle->IsMissing(2));
  m.AddLine(std::move(middle));
  m.AddLine(MakeLine({80, 90, 100, 110}, 2));
  m.BuildTrapezes();
  // The four cells around the missing point are gone, in every other way the build is as before.
  ASSERT_EQ(m.TrapezeCount(), 2);
  EXPECT_EQ(m.Trapeze(0).LineIndex, 0);
  EXPECT_NEAR(m.Trapeze(0).Corners[0].X, 200.0f / 3, 1e-4);  // line 0, values 2..3
  EXPECT_EQ(m.Trapeze(1).LineIndex, 1);
  EXPECT_NEAR(m.Trapeze(1).Corners[2].Z, 100, 1e-4);  // heights still run 0..110
  EXPECT_EQ(m.LastLine(), 2);
  // the centre is the mean of the 11 points that have a value
  EXPECT_NEAR(m.Center().Z, (660.0f - 50) / 11 / 1.1f, 1e-3);

  // Nothing left but missing points and lone points: no cells, no range.
  TGraph3DModel sparse;
  for (int j = 0; j < 2; ++j) {
    auto line = MakeLine({float(j), 5, float(7 * j)}, float(j));
    line->SetMissing(1);
    sparse.AddLine(std::move(line));
  }
  sparse.Prepare();
  EXPECT_EQ(sparse.TrapezeCount(), 0);
  EXPECT_FALSE(sparse.BuildFailed());
  TGraph3DModel none;
  for (int j = 0; j < 2; ++j) {
    auto line = MakeLine({1, 2}, float(j));
    line->SetMissing(0);
    line->SetMissing(1);
    none.AddLine(std::move(line));
  }
  ExpectError([&] { none.Prepare(); }, msg::NoRange);
}

TEST(Graph3DBuild, RefusesBuildsBeyondTheMemoryBudget) {
  // absurd sizes saturate instead of overflowing
  EXPECT_GT(graph3d::EstimateBuildBytes(int64_t(1) << 40, int64_t(1) << 40), uint64_t(1) << 60);
  EXPECT_EQ(graph3d::EstimateBuildBytes(1, 1000), 0u);
  // the window's largest grid fits this machine
  EXPECT_LT(graph3d::EstimateBuildBytes(3000, 3000), memory::MemoryBudget());

  TGraph3DModel m;
  Fill(m, 50, 50, Bowl);
  memory::SetMemoryBudget(graph3d::EstimateBuildBytes(50, 50) - 1);
  try {
    m.BuildTrapezes();
    ADD_FAILURE() << "built beyond the budget";
  } catch (const EGraph3DError& e) {
    EXPECT_THAT(e.what(), ::testing::HasSubstr("Not enough memory"));
  }
  EXPECT_EQ(m.TrapezeCount(), 0);
  EXPECT_TRUE(m.BuildFailed());
  ExpectError([] { TGraphLine huge(std::numeric_limits<int32_t>::max()); },
              msg::CreateLinePrefix + std::to_string(std::numeric_limits<int32_t>::max()) + msg::CreateLineSuffix +
                  ": not enough memory");
  memory::SetMemoryBudget(0);
  m.ClearData();
  Fill(m, 50, 50, Bowl);
  m.BuildTrapezes();
  EXPECT_EQ(m.TrapezeCount(), 49 * 49);
}

TEST(Graph3DBuild, BuiltinSurfaceHasItsPeakAndBump) {
  auto lines = graph3d::GenerateSurface(4, 6, 8.8L);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1]->StartPoint.Y, 1.0f);
  EXPECT_EQ(lines[1]->EndPoint.X, 6.0f);
  // peak at (P div 2, N div 2) = (3, 2): K; R2 = 1.5² + 1² = 3.25, bump at (1.5, 3)
  EXPECT_FLOAT_EQ(lines[2]->GetValue(3), 8.8f);
  EXPECT_FLOAT_EQ(lines[0]->GetValue(0), 8.8f - 9 - 4);
  // (1, 3): d = 0.25 ≤ 3.25 → v = 8.8 − 4 − 1 + 3 × 5
  EXPECT_FLOAT_EQ(lines[3]->GetValue(1), 8.8f - 4 - 1 + 15);
  EXPECT_THROW(graph3d::GenerateSurface(3, 1, 1), EGraph3DError);
}

// ---------------------------------------------------------------- view

TEST(Graph3DView, AnglesNormaliseAndRoundTrip) {
  struct TCase {
    int Set, Read;
  };
  for (const TCase& c : {TCase{370, 10}, TCase{-30, 330}, TCase{360, 360}, TCase{720, 360}, TCase{-360, 0},
                         TCase{0, 0}, TCase{std::numeric_limits<int>::min(), 232}}) {
    TGraph3DModel m;
    m.SetTheta(c.Set);
    m.SetPhi(c.Set);
    EXPECT_EQ(m.Theta(), c.Read) << c.Set;
    EXPECT_EQ(m.Phi(), c.Read) << c.Set;
  }
  TGraph3DModel m;
  EXPECT_EQ(m.Theta(), 60);
  EXPECT_EQ(m.Phi(), 330);
  for (int d = 0; d <= 360; ++d) {
    m.SetTheta(d);
    ASSERT_EQ(m.Theta(), d);
  }
  EXPECT_FLOAT_EQ(m.ThetaRadians(), float(360 * 0.017453L));
}

TEST(Graph3DView, ClampsZoomPercentageAndLineRange) {
  TGraph3DModel m;
  m.SetZoomX(0.05f);
  EXPECT_EQ(m.ZoomX(), 0.1f);
  m.SetZoomX(5);
  EXPECT_EQ(m.ZoomX(), 3.0f);
  m.SetZoomY(std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(m.ZoomY(), 0.55f);
  m.SetViewPercentage(0);
  EXPECT_EQ(m.ViewPercentage(), 1);
  m.SetViewPercentage(120);
  EXPECT_EQ(m.ViewPercentage(), 100);
  m.SetFirstLine(5);
  EXPECT_EQ(m.FirstLine(), -1);  // no lines
  Fill(m, 4, 3, Bowl);
  m.SetFirstLine(-3);
  EXPECT_EQ(m.FirstLine(), 0);
  m.SetLastLine(9);
  EXPECT_EQ(m.LastLine(), 3);
}

TEST(Graph3DView, ProjectsTopAndSideViews) {
  TGraph3DModel m;
  m.Resized(200, 200);
  m.SetTheta(90);
  m.SetPhi(0);
  m.CalcScale();
  m.CenterGraph();  // centre (0, 0, 0) goes to the middle
  EXPECT_EQ(m.Origin(), (TPoint{100, 100}));
  EXPECT_EQ(m.Project({100, 0, 0}), (TPoint{210, 100}));
  EXPECT_EQ(m.Project({0, 0, 100}), (TPoint{100, -10}));
  m.SetOffset({5, -7});
  EXPECT_EQ(m.Project({0, 0, 0}), (TPoint{105, 93}));
  EXPECT_TRUE(m.Moved());
}

TEST(Graph3DView, DefaultsPutTheOriginAboveTheMiddle) {
  TGraph3DModel m;
  EXPECT_EQ(m.Origin(), (TPoint{50, 40}));
  EXPECT_EQ(m.Offset(), (TPoint{0, -10}));
  EXPECT_EQ(m.FirstLine(), -10);
  EXPECT_EQ(m.LastLine(), -9);
  EXPECT_EQ(m.ViewPercentage(), 100);
}

TEST(Graph3DView, RoundingIsToEvenAndNeverUndefined) {
  struct TCase {
    double In;
    int32_t Out;
  };
  const double inf = std::numeric_limits<double>::infinity();
  for (const TCase& c : {TCase{0.5, 0}, TCase{1.5, 2}, TCase{2.5, 2}, TCase{-0.5, 0}, TCase{-1.5, -2}, TCase{2.4, 2},
                         TCase{-2.6, -3}, TCase{std::nan(""), 0}, TCase{1e300, graph3d::kCoordLimit},
                         TCase{-inf, -graph3d::kCoordLimit}}) {
    EXPECT_EQ(graph3d::RoundCoord(c.In), c.Out) << c.In;
  }
  // far-off offsets and zooms stay defined
  TGraph3DModel m;
  m.SetOffset({std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::min()});
  m.SetOffset({std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()});
  const TPoint p = m.Project({1e30f, -1e30f, 1e30f});
  EXPECT_LE(std::abs(int64_t(p.X)), int64_t(2) * graph3d::kCoordLimit);
}

TEST(Graph3DView, ViewPercentageSkipsTheNearestCells) {
  TGraph3DModel m;
  Fill(m, 2, 11, Bowl);
  m.BuildTrapezes();
  ASSERT_EQ(m.TrapezeCount(), 10);
  struct TCase {
    int Percentage;
    int64_t Start;
  };
  for (const TCase& c : {TCase{100, 0}, TCase{95, 0}, TCase{90, 1}, TCase{85, 2}, TCase{75, 2}, TCase{1, 10}}) {
    m.SetViewPercentage(c.Percentage);
    EXPECT_EQ(m.DrawStart(), c.Start) << c.Percentage;
  }
}

TEST(Graph3DView, SortPutsTheFarthestCellsLast) {
  TGraph3DModel m;
  Fill(m, 6, 8, Bowl);
  m.SetTheta(0);  // the eye far out along +X
  m.Prepare();
  const int64_t n = m.TrapezeCount();
  for (int64_t k = 0; k + 1 < n; ++k) EXPECT_LE(m.Trapeze(k).Distance, m.Trapeze(k + 1).Distance);
  EXPECT_FLOAT_EQ(m.Trapeze(0).Centroid.X, 100 * 6.5f / 7);   // nearest: largest X
  EXPECT_FLOAT_EQ(m.Trapeze(n - 1).Centroid.X, 100 * 0.5f / 7);  // farthest: smallest X
  const TPoint3D eye = m.EyePoint(), c = m.Trapeze(3).Centroid;
  EXPECT_EQ(m.Trapeze(3).Distance,
            double(float((double(c.X) - eye.X) * (double(c.X) - eye.X) + (double(c.Y) - eye.Y) * (double(c.Y) - eye.Y))));
  m.SetTheta(180);  // the other side: the order turns round
  m.Prepare();
  EXPECT_FLOAT_EQ(m.Trapeze(0).Centroid.X, 100 * 0.5f / 7);
}

TEST(Graph3DView, ListIsInOrderOfDistanceThenBuildOrderFromAnySide) {
  // A grid large enough to be sorted by several threads, with holes; from
  // above (keys differing in all their bits), the side and obliquely.
  TGraph3DModel m;
  for (int j = 0; j < 400; ++j) {
    std::vector<float> v(500);
    for (int i = 0; i < 500; ++i) v[size_t(i)] = std::sin(i * 0.05f) * std::cos(j * 0.03f);
    auto line = MakeLine(v, float(j));
    if (j % 2) line->EndPoint.Y += 0.25f;  // slanted lines too: Y varies along them
    for (int i = (j * 7) % 13; i < 500; i += 37) line->SetMissing(i);
    m.AddLine(std::move(line));
  }
  m.Prepare();
  const int64_t whole = m.TrapezeCount();
  for (const auto& [theta, phi] : {std::pair{60, 330}, {0, 270}, {90, 0}, {200, 300}, {45, 90}}) {
    SCOPED_TRACE(std::to_string(theta) + "/" + std::to_string(phi));
    m.SetTheta(theta);
    m.SetPhi(phi);
    m.Prepare();
    ASSERT_EQ(m.TrapezeCount(), whole);
    for (int64_t k = 0; k < whole; ++k) {
      const TTrapeze t = m.Trapeze(k);
      ASSERT_EQ(float(t.Distance), graph3d::GroundDistance2(t.Centroid, m.EyePoint())) << k;
      if (k == 0) continue;
      const double before = m.Trapeze(k - 1).Distance;
      ASSERT_TRUE(before < t.Distance || (before == t.Distance && m.CellPoint(k - 1) < m.CellPoint(k))) << k;
    }
  }
}

TEST(Graph3DView, CellsOutliveTheirLinesUntilTheNextBuild) {
  // Lines cleared, or new ones of another length added, leave the cells as
  // built: turned and drawn as before until the next build.
  TGraph3DModel m;
  for (int j = 0; j < 6; ++j) {
    auto line = MakeLine({1, 4, 2, 8, 5}, float(j));
    if (j == 2) line->SetMissing(3);
    m.AddLine(std::move(line));
  }
  m.Resized(120, 100);
  m.Prepare();
  const int64_t cells = m.TrapezeCount();
  m.ClearLines();
  m.AddLine(MakeLine({1, 2, 3, 4, 5, 6, 7}, 0));
  m.SetTheta(150);
  m.CalcEyePoint();
  m.SortTrapezes();
  m.ProjectTrapezes();
  ASSERT_EQ(m.TrapezeCount(), cells);
  for (int64_t k = 0; k < cells; ++k) EXPECT_LT(m.Trapeze(k).LineIndex, 5);
  std::vector<uint32_t> pixels(120 * 100);
  graph3d::TPixelCanvas canvas(pixels.data(), 120, 120, 100);
  graph3d::DrawSurfacePixels(m, canvas, 0xFF000000u, true);
  EXPECT_GT(std::count(pixels.begin(), pixels.end(), graph3d::PixelOf(0)), 0);
  m.Prepare();  // the next build: one line, no cells
  EXPECT_EQ(m.TrapezeCount(), 0);
}

TEST(Graph3DView, AxesBehindTheSurfaceDependOnTheEye) {
  TGraph3DModel m;
  Fill(m, 5, 5, Bowl);
  m.Prepare();  // the default view looks from +X, +Y: the axes at the origin are behind
  EXPECT_TRUE(m.AxisBehind(0));
  EXPECT_TRUE(m.AxisBehind(1));
  EXPECT_TRUE(m.AxisBehind(2));
  EXPECT_FALSE(m.AxisBehind(3));
  EXPECT_FALSE(m.AxisBehind(4));
  m.SetTheta(240);  // from the other side
  m.Prepare();
  EXPECT_FALSE(m.AxisBehind(0));
  EXPECT_FALSE(m.AxisBehind(1));
  EXPECT_FALSE(m.AxisBehind(2));
  EXPECT_TRUE(m.AxisBehind(3));
  EXPECT_TRUE(m.AxisBehind(4));
}

TEST(Graph3DView, PrepareRecomputesOnlyWhatChanged) {
  TGraph3DModel m;
  Fill(m, 5, 5, Bowl);
  m.Resized(300, 200);
  m.Prepare();
  EXPECT_EQ(m.ScaleX(), float(300.0 * 0.55f / 100));
  const TTrapeze before = m.Trapeze(0);
  auto order = [&m] {
    std::vector<uint32_t> cells;
    for (int64_t k = 0; k < m.TrapezeCount(); ++k) cells.push_back(m.CellPoint(k));
    return cells;
  };
  const std::vector<uint32_t> sorted = order();
  m.SetOffset({m.Offset().X + 3, m.Offset().Y - 2});
  m.Prepare();
  EXPECT_FALSE(m.Moved());
  EXPECT_EQ(order(), sorted);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(m.Trapeze(0).ScreenCorners[c].X, before.ScreenCorners[c].X + 3);
    EXPECT_EQ(m.Trapeze(0).ScreenCorners[c].Y, before.ScreenCorners[c].Y - 2);
  }
  // a resize with no cells only marks the size
  TGraph3DModel empty;
  empty.Resized(400, 300);
  EXPECT_TRUE(empty.SizeChanged());
  EXPECT_EQ(empty.ScaleX(), 0.5f);
}

// ---------------------------------------------------------- colours, water

TEST(Graph3DColors, DefaultBandsAndSelection) {
  TGraph3DModel m;
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(m.Isodose(i).Percentage, float(70 + 3 * i));
    EXPECT_EQ(m.Isodose(i).Color, TColor(25 * (i + 1)));
  }
  EXPECT_EQ(m.Isodose(9).Color, 0x00FFFFu);
  struct TCase {
    float Height;
    int Band;
  };
  for (const TCase& c : {TCase{0, 0}, TCase{70, 0}, TCase{70.5f, 1}, TCase{97, 9}, TCase{99, 9}}) {
    EXPECT_EQ(m.BandFor(c.Height), c.Band) << c.Height;
  }
  m.SetIsodose(0, 0x123456, 100);  // an early wide band shadows the rest
  EXPECT_EQ(m.BandFor(99), 0);
}

TEST(Graph3DColors, CellsTakeDataColourOrTheirBand) {
  TGraph3DModel m;
  m.AddLine(MakeLine({0, 0, 100}, 0));
  m.AddLine(MakeLine({0, 0, 100}, 1));
  m.SetDataColor(0xABCDEF);
  m.Prepare();
  EXPECT_EQ(m.Trapeze(0).PenColor, 0xABCDEFu);
  EXPECT_EQ(m.Trapeze(1).PenColor, 0xABCDEFu);
  m.SetUseColors(true);
  m.Prepare();
  // build order: cell 0 has height 0 (band 0), cell 1 height 50 (band 0 too)
  for (int64_t k = 0; k < m.TrapezeCount(); ++k) EXPECT_EQ(m.Trapeze(k).PenColor, m.Isodose(0).Color);
  m.SetWaterLevel(1, 95);  // everything raised to 95: band 9
  m.Prepare();
  for (int64_t k = 0; k < m.TrapezeCount(); ++k) EXPECT_EQ(m.Trapeze(k).PenColor, 0x00FFFFu);
  for (int c = 0; c < 10; ++c) m.SetIsodose(c, 0x777777, 50);
  m.SetWaterLevel(0, 95);
  m.Prepare();
  for (int64_t k = 0; k < m.TrapezeCount(); ++k) EXPECT_EQ(m.Trapeze(k).PenColor, 0x777777u);
}

TEST(Graph3DColors, WaterRuleFlattensProjectionButKeepsHeights) {
  TGraph3DModel m;
  Fill(m, 3, 3, [](int j, int i) { return float(i + j); });  // heights 0..4 → 0..100 %
  m.SetWaterLevel(1, 95);
  EXPECT_EQ(m.ApplyWater(10), 95.0f);
  EXPECT_EQ(m.ApplyWater(96), 96.0f);
  m.Prepare();
  for (int64_t k = 0; k < m.TrapezeCount(); ++k) {
    const TTrapeze t = m.Trapeze(k);
    if (m.CellPoint(k) != 0) continue;  // the first cell built: all below 95
    for (int c = 0; c < 4; ++c) {
      EXPECT_LT(t.Corners[c].Z, 95);  // data kept
      EXPECT_EQ(t.ScreenCorners[c], m.Project({t.Corners[c].X, t.Corners[c].Y, 95}));
    }
  }
  m.SetWaterLevel(2, 5);
  EXPECT_EQ(m.ApplyWater(10), 5.0f);
  EXPECT_EQ(m.ApplyWater(3), 3.0f);
  m.Prepare();
  for (int64_t k = 0; k < m.TrapezeCount(); ++k) {
    for (int c = 0; c < 4; ++c) {
      const TPoint3D& p = m.Trapeze(k).Corners[c];
      EXPECT_EQ(m.Trapeze(k).ScreenCorners[c], m.Project({p.X, p.Y, std::min(p.Z, 5.0f)}));
    }
  }
  m.SetWaterLevel(7, 5);  // unknown modes leave heights alone
  EXPECT_EQ(m.ApplyWater(10), 10.0f);
}

TEST(Graph3DColors, RefusedSettingsChangeNothing) {
  TGraph3DModel m;
  const TIsodose before = m.Isodose(3);
  ExpectError([&] { m.SetIsodose(10, 0x111111, 500); }, msg::IsodoseIndexPrefix + std::string("9"));
  ExpectError([&] { m.SetIsodose(-1, 0x111111, 50); }, msg::IsodoseIndexPrefix + std::string("9"));
  for (float bad : {-0.5f, 100.5f, std::numeric_limits<float>::quiet_NaN()}) {
    ExpectError([&] { m.SetIsodose(3, 0x111111, bad); }, msg::IsodosePercentage);
  }
  EXPECT_EQ(m.Isodose(3).Percentage, before.Percentage);
  EXPECT_EQ(m.Isodose(3).Color, before.Color);
  EXPECT_FALSE(m.ColorsChanged());
  m.SetIsodose(0, 0x222222, 0);
  m.SetIsodose(1, 0x333333, 100);
  m.SetIsodose(3, KeepColor, 50);
  EXPECT_EQ(m.Isodose(3).Color, before.Color);
  EXPECT_EQ(m.Isodose(3).Percentage, 50.0f);
  EXPECT_TRUE(m.ColorsChanged());

  m.SetWaterLevel(2, 40);
  for (float bad : {101.0f, -1.0f, std::numeric_limits<float>::infinity()}) {
    ExpectError([&] { m.SetWaterLevel(1, bad); }, msg::WaterPercentage);
  }
  EXPECT_EQ(m.WaterMode(), 2);
  EXPECT_EQ(m.WaterLevel(), 40.0f);
}

}  // namespace
