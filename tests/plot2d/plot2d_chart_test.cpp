// The line chart of the plane plot window: its points, the gaps in its line,
// zooming, panning and the readout under the mouse. (The gradient and the
// curve of a build are tested with the window.)
#include "tests/plot2d/ChartMouse.h"
#include "plot2d/LineChart.h"
#include "tests/support/WidgetTest.h"

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

TEST_F(LineChartTest, PointsWrittenInPlaceDrawAsAppendedOnes) {
  std::vector<double> x, y;
  for (int i = 0; i <= 3000; ++i) {
    x.push_back(i * 0.25);
    y.push_back(i % 700 < 20 ? std::numeric_limits<double>::quiet_NaN() : std::sin(i / 30.0) * i);
  }
  Feed(x, y);
  const QImage appended = Chart.Render();
  Chart.Clear();
  TChartPoints points(static_cast<int64_t>(x.size()));
  points.Write(0, x, y);
  Chart.SetPoints(std::move(points));
  Chart.Redraw();
  EXPECT_EQ(Chart.Render(), appended);
  EXPECT_EQ(Chart.PointCount(), 3001);
}

// A curve on the chart as a build leaves it, and the mouse over it.
class ChartMouseTest : public LineChartTest {
 protected:
  void SetUp() override {
    LineChartTest::SetUp();
    std::vector<double> x, y;
    for (int i = -200; i <= 200; ++i) {
      x.push_back(i);
      y.push_back(std::sin(i * M_PI / 180));
    }
    Feed(x, y);
    Built = Chart.View();
    Area = Chart.MouseArea();
  }
  static double Width(const TLineChart::TView& v) { return v.XUpper - v.XLower; }
  static double Height(const TLineChart::TView& v) { return v.YUpper - v.YLower; }

  TLineChart::TView Built{};
  QWidget* Area = nullptr;
};

TEST_F(ChartMouseTest, WheelZoomsAboutThePointerCtrlOnlyXShiftOnlyY) {
  const QPoint at = Chart.PixelOf({50, 0.5}).toPoint();
  const QPointF value = Chart.ValueAt(at);
  SendWheel(Area, at);
  SendWheel(Area, at);
  const TLineChart::TView zoomed = Chart.View();
  EXPECT_NEAR(Width(zoomed), Width(Built) * 0.85 * 0.85, 1e-9);
  EXPECT_NEAR(Height(zoomed), Height(Built) * 0.85 * 0.85, 1e-12);
  // the value under the pointer stays there
  EXPECT_NEAR(Chart.ValueAt(at).x(), value.x(), 1e-9);
  EXPECT_NEAR(Chart.ValueAt(at).y(), value.y(), 1e-12);

  SendWheel(Area, at, Qt::ControlModifier);
  EXPECT_LT(Width(Chart.View()), Width(zoomed));
  EXPECT_EQ(Height(Chart.View()), Height(zoomed));
  const TLineChart::TView onlyX = Chart.View();
  SendWheel(Area, at, Qt::ShiftModifier, -1);  // towards the user: out
  EXPECT_EQ(Width(Chart.View()), Width(onlyX));
  EXPECT_GT(Height(Chart.View()), Height(onlyX));
}

TEST_F(ChartMouseTest, DragPansByTheDraggedDistanceAndDoubleClickRestores) {
  SendWheel(Area, Chart.PixelOf({0, 0}));
  const TLineChart::TView before = Chart.View();
  const QPoint from = Chart.PixelOf({-20, 0.2}).toPoint(), to = from + QPoint(90, -40);
  const QPointF value = Chart.ValueAt(from);
  SendMouse(Area, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  SendMouse(Area, QEvent::MouseMove, from + QPoint(30, -10), Qt::NoButton, Qt::LeftButton);
  SendMouse(Area, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  QApplication::processEvents();  // the drag is drawn from the event loop
  SendMouse(Area, QEvent::MouseButtonRelease, to, Qt::LeftButton);
  // the point taken moved with the pointer; the ranges kept their size
  EXPECT_NEAR(Chart.ValueAt(to).x(), value.x(), 1e-9);
  EXPECT_NEAR(Chart.ValueAt(to).y(), value.y(), 1e-12);
  EXPECT_NEAR(Width(Chart.View()), Width(before), 1e-9);
  EXPECT_NEAR(Height(Chart.View()), Height(before), 1e-12);

  SendMouse(Area, QEvent::MouseButtonPress, to, Qt::LeftButton, Qt::LeftButton);
  SendMouse(Area, QEvent::MouseButtonRelease, to, Qt::LeftButton);
  SendMouse(Area, QEvent::MouseButtonDblClick, to, Qt::LeftButton, Qt::LeftButton);
  SendMouse(Area, QEvent::MouseButtonRelease, to, Qt::LeftButton);
  EXPECT_EQ(Chart.View(), Built);

  // so do a wipe and a new fit to the data
  SendWheel(Area, to);
  Chart.Clear();
  EXPECT_EQ(Chart.View(), Built);
  Feed({1, 2}, {10, 20});
  EXPECT_EQ(Chart.View(), (TLineChart::TView{1, 2, 10, 20}));
}

TEST_F(ChartMouseTest, ReadoutNamesTheNearestPointUntilThePointerLeaves) {
  SendMouse(Area, QEvent::MouseMove, Chart.PixelOf({29.6, -0.7}));
  EXPECT_EQ(Chart.Readout(), QStringLiteral("X = 30; F(X) = 0,5"));
  const QImage withReadout = Area->grab().toImage();
  SendLeave(Area);
  EXPECT_EQ(Chart.Readout(), QString());
  const QImage without = Area->grab().toImage();
  // the marker sits on the curve's point
  const QPoint point = Chart.PixelOf({30, 0.5}).toPoint();
  EXPECT_NE(withReadout.pixel(point), without.pixel(point));

  // after a zoom and back, the point under the pointer in the view shown
  const QPoint at = Chart.PixelOf({70, 0}).toPoint();
  for (int step = 0; step < 3; ++step)
    SendWheel(Area, at);
  SendMouse(Area, QEvent::MouseMove, at);
  SendMouse(Area, QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
  const QString nearest = QString::number(std::lround(Chart.ValueAt(at).x()));
  EXPECT_TRUE(Chart.Readout().startsWith(QStringLiteral("X = ") + nearest + u';')) << Chart.Readout().toStdString();

  // over the axes, not the plot area: none
  SendMouse(Area, QEvent::MouseMove, QPointF(2, 2));
  EXPECT_EQ(Chart.Readout(), QString());
  // a wipe takes it away
  SendMouse(Area, QEvent::MouseMove, Chart.PixelOf({-0.4, 0}));
  EXPECT_EQ(Chart.Readout(), QStringLiteral("X = 0; F(X) = 0"));
  Chart.Clear();
  EXPECT_EQ(Chart.Readout(), QString());
  SendMouse(Area, QEvent::MouseMove, Chart.PixelOf({-0.4, 0}));
  EXPECT_EQ(Chart.Readout(), QString());
}

TEST_F(ChartMouseTest, PictureShowsTheZoomWithoutTheReadout) {
  const QImage built = Chart.Render();
  SendWheel(Area, Chart.PixelOf({100, 0.5}));
  SendMouse(Area, QEvent::MouseMove, Chart.PixelOf({100, 0.5}));
  ASSERT_FALSE(Chart.Readout().isEmpty());
  const QImage zoomed = Chart.Render();
  EXPECT_NE(zoomed, built);
  EXPECT_FALSE(Chart.Readout().isEmpty());  // still shown on screen
  SendLeave(Area);
  EXPECT_EQ(Chart.Render(), zoomed);
  Chart.RestoreView();
  EXPECT_EQ(Chart.Render(), built);
}

}  // namespace
