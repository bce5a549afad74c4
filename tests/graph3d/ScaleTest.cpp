// The numbers of the value scale without a display: round ticks and what
// each colour band covers.
#include "graph3d/Graph3DScale.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using ::testing::ElementsAre;

namespace {

TEST(Graph3DScale, TicksAreRoundAndAsManyAsAllowed) {
  EXPECT_THAT(graph3d::NiceTicks(-180, 180, 7), ElementsAre(-150, -100, -50, 0, 50, 100, 150));
  EXPECT_THAT(graph3d::NiceTicks(-180, 180, 4), ElementsAre(-100, 0, 100));
  EXPECT_THAT(graph3d::NiceTicks(180, -180, 4), ElementsAre(-100, 0, 100));  // either way round
  EXPECT_THAT(graph3d::NiceTicks(0, 119, 7), ElementsAre(0, 20, 40, 60, 80, 100));
  // Ends that are round themselves are kept despite rounding in the division.
  const auto tenths = graph3d::NiceTicks(0.1, 0.7, 7);
  ASSERT_EQ(tenths.size(), 7u);
  EXPECT_DOUBLE_EQ(tenths.front(), 0.1);
  EXPECT_DOUBLE_EQ(tenths.back(), 0.7);
  EXPECT_DOUBLE_EQ(graph3d::TickStep(tenths), 0.1);
  // Far from zero and tiny or huge ranges still give a few.
  for (const auto& [lo, hi] : {std::pair{1e6 + 0.001, 1e6 + 0.009}, std::pair{-3e30, 7e30}, std::pair{5e-9, 6e-9}}) {
    const auto t = graph3d::NiceTicks(lo, hi, 6);
    EXPECT_GE(t.size(), 2u) << lo;
    EXPECT_LE(t.size(), 6u) << lo;
    for (double v : t) EXPECT_TRUE(v >= lo - (hi - lo) * 1e-6 && v <= hi + (hi - lo) * 1e-6) << v;
  }
  // Nothing for nothing.
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(graph3d::NiceTicks(3, 3, 5).empty());
  EXPECT_TRUE(graph3d::NiceTicks(0, nan, 5).empty());
  EXPECT_TRUE(graph3d::NiceTicks(-inf, inf, 5).empty());
  EXPECT_TRUE(graph3d::NiceTicks(0, 1, 0).empty());
}

TEST(Graph3DScale, BandsCoverWhatTheColouringGivesThem) {
  TGraph3DModel m;
  graph3d::TBandSpan s[10];
  graph3d::BandSpans(m, s);  // the defaults: 70, 73, … 97
  EXPECT_FALSE(s[0].Empty);
  EXPECT_EQ(s[0].From, 0);
  EXPECT_EQ(s[0].To, 70);
  EXPECT_EQ(s[1].From, 70);
  EXPECT_EQ(s[1].To, 73);
  EXPECT_EQ(s[9].From, 94);
  EXPECT_EQ(s[9].To, 100);  // and all above the last bound
  // A band whose bound an earlier one passed takes nothing; the heights
  // above every bound go to band 9 even when its own bound is low.
  m.SetIsodose(3, KeepColor, 90);
  m.SetIsodose(9, KeepColor, 10);
  graph3d::BandSpans(m, s);
  for (int b : {4, 5, 6}) EXPECT_TRUE(s[b].Empty) << b;
  EXPECT_EQ(s[7].From, 90);
  EXPECT_EQ(s[9].From, 94);
  // Each span agrees with the band the model gives a height.
  for (float h = 0; h <= 100; h += 0.5f) {
    const int band = m.BandFor(h);
    EXPECT_TRUE(!s[band].Empty && (h > s[band].From || (band == 0 && h == 0)) && h <= s[band].To) << h;
  }
  m.SetIsodose(0, KeepColor, 100);
  graph3d::BandSpans(m, s);
  for (int b = 1; b < 10; ++b) EXPECT_TRUE(s[b].Empty);
}

TEST(Graph3DScale, LegendNumbersAreRoundedToTheRange) {
  EXPECT_DOUBLE_EQ(graph3d::RoundForRange(-0.99984, 2), -1);
  EXPECT_DOUBLE_EQ(graph3d::RoundForRange(0.40012, 2), 0.4);
  EXPECT_DOUBLE_EQ(graph3d::RoundForRange(123456.7, 1e6), 123000);
  EXPECT_EQ(graph3d::RoundForRange(5, 0), 5);
}

}  // namespace
