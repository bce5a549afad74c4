// The line chart of the plane plot window: its points and the gaps in its line.
// (The gradient and the curve of a build are tested with the window.)
#include "LineChart.h"
#include "WidgetTest.h"

#include <QColor>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

class LineChartTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    Chart.resize(620, 520);
    Chart.show();
  }

  void Feed(const std::vector<double>& x, const std::vector<double>& y) {
    Chart.AppendPoints(x, y);
    Chart.Redraw();
  }

  TLineChart Chart;
};

bool IsCurve(QRgb c) { return qRed(c) > 200 && qGreen(c) < 90 && qBlue(c) < 90; }

// Columns of the picture that hold a pixel of the curve.
std::vector<bool> CurveColumns(const QImage& image) {
  std::vector<bool> columns(image.width(), false);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (IsCurve(image.pixel(x, y)))
        columns[x] = true;
  return columns;
}

TEST_F(LineChartTest, NaNLeavesAGapInTheLine) {
  std::vector<double> x, y;
  for (int i = 0; i <= 100; ++i) {
    x.push_back(i);
    y.push_back(i >= 40 && i <= 60 ? std::numeric_limits<double>::quiet_NaN() : i);
  }
  Feed(x, y);
  const std::vector<bool> columns = CurveColumns(Chart.Render());
  const auto first = std::find(columns.begin(), columns.end(), true) - columns.begin();
  const auto last = columns.rend() - std::find(columns.rbegin(), columns.rend(), true) - 1;
  ASSERT_GT(last - first, 300);
  const auto at = [&](double share) { return columns[first + static_cast<long>((last - first) * share)]; };
  EXPECT_TRUE(at(0.25));
  EXPECT_FALSE(at(0.5));
  EXPECT_TRUE(at(0.75));
}

TEST_F(LineChartTest, ClearEmptiesAndAppendAddsBehind) {
  Feed({1, 2}, {10, 20});
  Feed({3}, {30});
  ASSERT_EQ(Chart.PointCount(), 3);
  EXPECT_EQ(Chart.PointX(2), 3);
  EXPECT_EQ(Chart.PointY(2), 30);
  Chart.Clear();
  EXPECT_EQ(Chart.PointCount(), 0);
  const std::vector<bool> columns = CurveColumns(Chart.Render());
  EXPECT_EQ(std::count(columns.begin(), columns.end(), true), 0);
}

}  // namespace
