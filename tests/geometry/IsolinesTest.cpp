// Isolines by marching squares over a grid surface.
#include "geometry/Isolines.h"
#include "tests/geometry/TestGrid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace {

using geometry::Isolines;
using geometry::TSegment;

// How many segment ends meet at each point: 2 everywhere on a closed line.
std::map<std::pair<float, float>, int> Ends(const std::vector<TSegment>& segments) {
  std::map<std::pair<float, float>, int> ends;
  for (const TSegment& s : segments) {
    ++ends[{s.X0, s.Y0}];
    ++ends[{s.X1, s.Y1}];
  }
  return ends;
}

TEST(Isolines, APlaneGivesStraightLinesWhereItCrossesTheLevel) {
  // z = x on x = 0..8, y = 0..5: the level 2,5 is the line x = 2,5, one
  // segment a row of cells; the level 4 passes through grid points and counts
  // them as above.
  const TTestGrid plane(6, 9, [](float x, float) { return x; });
  const auto lines = Isolines(plane, {2.5f, 4, 100, -1});
  ASSERT_EQ(lines.size(), 4u);
  ASSERT_EQ(lines[0].size(), 5u);
  for (size_t j = 0; j < 5; ++j) {
    const TSegment& s = lines[0][j];
    EXPECT_EQ(s.X0, 2.5f);
    EXPECT_EQ(s.X1, 2.5f);
    EXPECT_EQ(std::min(s.Y0, s.Y1), float(j));
    EXPECT_EQ(std::max(s.Y0, s.Y1), float(j + 1));
  }
  ASSERT_EQ(lines[1].size(), 5u);
  for (const TSegment& s : lines[1]) EXPECT_EQ(s.X0, 4);
  EXPECT_TRUE(lines[2].empty());  // above everything
  EXPECT_TRUE(lines[3].empty());  // below everything
}

TEST(Isolines, ABowlGivesOneClosedRingOnTheCircle) {
  const TTestGrid bowl(41, 41, [](float x, float y) { return x * x + y * y; }, -10, 0.5f, -10, 0.5f);
  const auto lines = Isolines(bowl, {47.75f});
  ASSERT_GT(lines[0].size(), 40u);
  for (const auto& [point, count] : Ends(lines[0])) {
    EXPECT_EQ(count, 2) << point.first << " " << point.second;  // the pieces join, the ring is closed
    const double r = std::hypot(point.first, point.second);
    EXPECT_NEAR(r, std::sqrt(47.75), 0.02);
  }
}

TEST(Isolines, HolesStopTheLinesAndSaddlesFollowTheirMean) {
  TTestGrid bowl(41, 41, [](float x, float y) { return x * x + y * y; }, -10, 0.5f, -10, 0.5f);
  const size_t whole = Isolines(bowl, {47.75f})[0].size();
  bowl.Missing.insert({20, 34});  // the point (7, 0) by the ring: its four cells give nothing
  const auto holed = Isolines(bowl, {47.75f})[0];
  EXPECT_EQ(holed.size(), whole - 2);
  int open = 0;
  for (const auto& [point, count] : Ends(holed)) open += count == 1;
  EXPECT_EQ(open, 2);

  // One cell, corners 0 and 2 high: the mean decides whether the high
  // corners are joined (each low corner cut off) or apart.
  for (const auto& [high, joined] : {std::pair{10.0f, true}, std::pair{4.0f, false}}) {
    const TTestGrid saddle(2, 2, [high](float x, float y) { return (x == y) ? high : 0.0f; });
    const auto cut = Isolines(saddle, {3})[0];
    ASSERT_EQ(cut.size(), 2u);
    for (const TSegment& s : cut) {
      // each piece cuts off the corner it goes around
      const float cx = (s.X0 + s.X1) / 2, cy = (s.Y0 + s.Y1) / 2;
      const bool nearHighCorner = (cx < 0.5f && cy < 0.5f) || (cx > 0.5f && cy > 0.5f);
      EXPECT_EQ(nearHighCorner, !joined) << high;
    }
  }
}

TEST(Isolines, LevelsInAnyOrderAndNotNumbersAndTooManySegments) {
  const TTestGrid plane(6, 9, [](float x, float y) { return x + y; });
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const auto lines = Isolines(plane, {6.5f, nan, 1.5f});
  EXPECT_EQ(lines[0].size(), Isolines(plane, {6.5f})[0].size());
  EXPECT_EQ(lines[2].size(), Isolines(plane, {1.5f})[0].size());
  EXPECT_TRUE(lines[1].empty());
  EXPECT_THROW(Isolines(plane, {1.5f, 6.5f}, 5), geometry::ETooManySegments);
  EXPECT_TRUE(Isolines(TTestGrid(1, 9, [](float x, float) { return x; }), {2})[0].empty());
}

}  // namespace
