// The line chart of the plane plot window: its points, the gaps in its line,
// zooming, panning and the readout under the mouse. (The gradient and the
// curve of a build are tested with the window.)
#include "tests/plot2d/ChartMouse.h"
#include "plot2d/LineChart.h"
#include "tests/support/WidgetTest.h"

#include <QColor>

#include <algorithm>
#include <set>
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

namespace {

// Several curves on one chart: kept ones, parametric ones, the legend.
class ChartCurvesTest : public LineChartTest {
 protected:
  static TCurveSource Function(const std::u16string& text) {
    return {TCurveKind::Function, text, std::u16string(), -200, 200, 1};
  }
  // Curve 0 as a build leaves it: f over -200..200.
  void Build(const std::u16string& text, double (*f)(double)) {
    std::vector<double> x, y;
    for (int i = -200; i <= 200; ++i) {
      x.push_back(i);
      y.push_back(f(i));
    }
    Chart.Clear();
    Chart.AppendPoints(x, y);
    Chart.SetSource(Function(text));
    Chart.Redraw();
  }
  // A closed path of n points round (cx; cy) with radius r; NaN where gap(angle).
  static TChartPoints Circle(int n, double cx, double cy, double r, bool (*gap)(double) = nullptr) {
    TChartPoints points(n + 1);
    std::vector<double> x, y;
    for (int i = 0; i <= n; ++i) {
      const double a = 360.0 * i / n;
      const bool none = gap && gap(a);
      x.push_back(none ? NAN : cx + r * std::cos(a * M_PI / 180));
      y.push_back(none ? NAN : cy + r * std::sin(a * M_PI / 180));
    }
    points.Write(0, x, y);
    return points;
  }
  static TCurveSource Parametric() { return {TCurveKind::Parametric, u"cos(t)", u"sin(t)", 0, 360, 1}; }

  // Pixels of one colour within the plot area, off the legend, the frame and the ticks.
  std::vector<QPoint> PixelsOf(const QImage& image, QColor colour) const {
    const QPoint origin = Chart.MouseArea()->mapTo(&Chart, QPoint(0, 0));
    const TLineChart::TView v = Chart.View();
    const QRect area = QRect(Chart.PixelOf({v.XLower, v.YUpper}).toPoint(), Chart.PixelOf({v.XUpper, v.YLower}).toPoint())
                           .adjusted(6, 6, -6, -6)
                           .translated(origin);
    const QRect legend = Chart.LegendRect().adjusted(-2, -2, 2, 2).translated(origin);
    std::vector<QPoint> found;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                    std::abs(c.blue() - colour.blue()) < 40 &&
            !legend.contains(x, y))
          found.push_back({x, y});
      }
    return found;
  }
  static QRect Bounds(const std::vector<QPoint>& pixels) {
    QRect r;
    for (const QPoint& p : pixels) r |= QRect(p, QSize(1, 1));
    return r;
  }
  QWidget* Area = Chart.MouseArea();
};

double Sine(double x) { return std::sin(x * M_PI / 180); }
double Cosine(double x) { return std::cos(x * M_PI / 180); }

TEST_F(ChartCurvesTest, KeptCurvesStayWithTheirColoursAndTheLegendNamesEveryCurve) {
  Build(u"sin(x)", Sine);
  EXPECT_EQ(Chart.CurveCount(), 1);
  EXPECT_TRUE(Chart.LegendTexts().isEmpty());  // one curve: no legend
  EXPECT_EQ(Chart.CurveColour(0), QColor(Qt::red));

  ASSERT_EQ(Chart.KeepCurve(), 1);
  EXPECT_EQ(Chart.PointCount(0), 0);
  EXPECT_EQ(Chart.PointCount(1), 401);
  EXPECT_EQ(Chart.CurveColour(1), TLineChart::KeptColour(0));
  EXPECT_EQ(Chart.LegendTexts(), QStringList{"F(X) = sin(x)"});
  EXPECT_EQ(Chart.KeepCurve(), -1);  // nothing built since

  // An edit of the formula wipes the current curve only.
  Build(u"cos(x)", Cosine);
  EXPECT_EQ(Chart.LegendTexts(), (QStringList{"F(X) = cos(x)", "F(X) = sin(x)"}));
  Chart.Clear();
  EXPECT_EQ(Chart.CurveCount(), 2);
  EXPECT_EQ(Chart.LegendTexts(), QStringList{"F(X) = sin(x)"});
  Build(u"cos(x)", Cosine);
  const QImage both = Chart.Render();
  EXPECT_GT(PixelsOf(both, Qt::red).size(), 300u);
  EXPECT_GT(PixelsOf(both, Qt::black).size(), 300u);
  const QRect legend = Chart.LegendRect();
  EXPECT_FALSE(legend.isEmpty());
  EXPECT_TRUE(Chart.MouseArea()->rect().contains(legend));

  // Long formulas are cut; the palette goes on, never red.
  Chart.KeepCurve();
  Build(u"sin(x)+sin(x)+sin(x)+sin(x)+sin(x)+sin(x)+sin(x)+sin(x)", Sine);
  Chart.KeepCurve();
  const QString cut = Chart.LegendTexts().back();
  EXPECT_EQ(cut.size(), 41);
  EXPECT_TRUE(cut.endsWith(QChar(0x2026)));
  EXPECT_EQ(Chart.CurveColour(3), TLineChart::KeptColour(2));
  std::set<QRgb> colours;
  for (int k = 0; k < TLineChart::KeptColourCount; ++k) {
    const QColor c = TLineChart::KeptColour(k);
    colours.insert(c.rgb());
    EXPECT_FALSE(c.red() > 150 && c.green() < 100 && c.blue() < 100) << k;
  }
  EXPECT_EQ(colours.size(), 8u);

  // "Стереть" takes every curve away, and the palette starts again.
  Chart.RemoveCurves();
  EXPECT_EQ(Chart.CurveCount(), 1);
  EXPECT_EQ(Chart.TotalPointCount(), 0);
  EXPECT_TRUE(Chart.LegendTexts().isEmpty());
  Build(u"sin(x)", Sine);
  Chart.KeepCurve();
  EXPECT_EQ(Chart.CurveColour(1), TLineChart::KeptColour(0));
}

TEST_F(ChartCurvesTest, FitPictureAndReadoutTakeEveryCurve) {
  Build(u"sin(x)", Sine);
  Chart.KeepCurve();
  // A circle of radius 3 round (500; 2), beyond the sine's X; the current curve over the kept one.
  ASSERT_EQ(Chart.AddCurve(Parametric(), Circle(3600, 500, 2, 3)), 2);
  Build(u"sin(x)", Sine);
  const TLineChart::TView view = Chart.View();
  EXPECT_EQ(view.XLower, -200);
  EXPECT_EQ(view.XUpper, 503);
  EXPECT_EQ(view.YLower, -1);
  EXPECT_EQ(view.YUpper, 5);
  EXPECT_EQ(Chart.TotalPointCount(), 401 + 401 + 3601);
  EXPECT_EQ(Chart.LegendTexts(), (QStringList{"F(X) = sin(x)", "F(X) = sin(x)", "X(t) = cos(t); Y(t) = sin(t)"}));

  // The same sine twice: the red one lies over the black one.
  const QImage picture = Chart.Render();
  const QPoint origin = Chart.MouseArea()->mapTo(&Chart, QPoint(0, 0));
  const QPoint top = Chart.PixelOf({90, 1}).toPoint() + origin;
  const QColor peak = picture.pixelColor(top);
  EXPECT_TRUE(peak.red() > 200 && peak.green() < 90 && peak.blue() < 90) << peak.name().toStdString();
  EXPECT_LT(PixelsOf(picture, Qt::black).size(), 20u);

  // Pointing: the curve whose point is nearest to the pointer.
  SendMouse(Area, QEvent::MouseMove, Chart.PixelOf({90, 0.9}));
  EXPECT_EQ(Chart.Readout(), QStringLiteral("X = 90; F(X) = 1"));
  SendMouse(Area, QEvent::MouseMove, Chart.PixelOf({501, 2}));
  EXPECT_EQ(Chart.Readout(), QStringLiteral("t = 0; X(t) = 1; Y(t) = 0"));
  // The double click brings back the view of every curve.
  SendWheel(Area, Chart.PixelOf({0, 0}));
  SendMouse(Area, QEvent::MouseButtonDblClick, Chart.PixelOf({0, 0}), Qt::LeftButton, Qt::LeftButton);
  EXPECT_EQ(Chart.View(), view);
}

TEST_F(ChartCurvesTest, APathIsDrawnInTheOrderOfItsPointsWithItsGaps) {
  // (0; 0) → (10; 10) → (0; 10): sorted by X it would run up the left
  // side. Two lone points, drawn as nothing, widen the view.
  TChartPoints corner(7);
  const std::vector<double> x = {0, 10, 0, NAN, -5, NAN, 15}, y = {0, 10, 10, NAN, -5, NAN, 15};
  corner.Write(0, x, y);
  Chart.AddCurve(Parametric(), std::move(corner));
  Chart.Redraw();
  QImage picture = Chart.Render();
  const QPoint origin = Chart.MouseArea()->mapTo(&Chart, QPoint(0, 0));
  const auto black = [&](double vx, double vy) {
    const QPoint p = Chart.PixelOf({vx, vy}).toPoint() + origin;
    return picture.pixelColor(p).lightness() < 60;
  };
  EXPECT_TRUE(black(5, 5));
  EXPECT_TRUE(black(5, 10));
  EXPECT_FALSE(black(0, 5));

  // 100 000 points round, none from 80° to 100°.
  Chart.RemoveCurves();
  Chart.AddCurve(Parametric(), Circle(100000, 0, 0, 10, [](double a) { return a > 80 && a < 100; }));
  Chart.Redraw();
  picture = Chart.Render();
  EXPECT_TRUE(black(10 * std::cos(M_PI / 4), 10 * std::sin(M_PI / 4)));
  EXPECT_TRUE(black(-10, 0));
  EXPECT_FALSE(black(0, 10));
  // Zoomed far in, away from the curve: nothing of it, and no line across.
  for (int step = 0; step < 30; ++step)
    SendWheel(Area, Chart.PixelOf({0, 0}));
  picture = Chart.Render();
  EXPECT_TRUE(PixelsOf(picture, Qt::black).empty());
}

TEST_F(ChartCurvesTest, LongCurvesSampledAheadDrawAsSampledInTurn) {
  // Two curves of 1 500 000 points, one kept: sampled side by side.
  for (int c = 0; c < 2; ++c) {
    if (c > 0) Chart.KeepCurve();
    const int64_t n = 1'500'000;
    std::vector<double> x(n), y(n);
    for (int64_t i = 0; i < n; ++i) {
      x[i] = static_cast<double>(i);
      y[i] = std::sin(i * (c + 1) * 0.001) * std::sqrt(static_cast<double>(i));
    }
    Chart.AppendPoints(x, y);
  }
  Chart.Redraw();
  const auto pictures = [&] {
    std::vector<QImage> shown;
    Chart.RestoreView();
    shown.push_back(Chart.Render());
    SendWheel(Area, Chart.PixelOf({400000, 0}));
    shown.push_back(Chart.Render());
    SendMouse(Area, QEvent::MouseButtonPress, Chart.PixelOf({400000, 0}), Qt::LeftButton, Qt::LeftButton);
    SendMouse(Area, QEvent::MouseMove, Chart.PixelOf({400000, 0}) + QPointF(60, 10), Qt::NoButton, Qt::LeftButton);
    QApplication::processEvents();
    SendMouse(Area, QEvent::MouseButtonRelease, Chart.PixelOf({400000, 0}), Qt::LeftButton);
    shown.push_back(Chart.Render());
    return shown;
  };
  const std::vector<QImage> ahead = pictures();
  TLineChart::SetSampledAhead(false);
  const std::vector<QImage> inTurn = pictures();
  TLineChart::SetSampledAhead(true);
  ASSERT_EQ(ahead.size(), inTurn.size());
  for (size_t i = 0; i < ahead.size(); ++i) EXPECT_TRUE(ahead[i] == inTurn[i]) << i;
  EXPECT_NE(ahead[0], ahead[1]);
}

TEST_F(ChartMouseTest, ZoomOutStopsAtTenTimesTheFittedViewAndDragShowsTheClosedHand) {
  const QPoint at = Chart.PixelOf({50, 0.5}).toPoint();
  const QPointF value = Chart.ValueAt(at);
  for (int step = 0; step < 40; ++step)
    SendWheel(Area, at, Qt::NoModifier, -1);
  EXPECT_NEAR(Width(Chart.View()), 10 * Width(Built), 1e-9 * Width(Built));
  EXPECT_NEAR(Height(Chart.View()), 10 * Height(Built), 1e-9 * Height(Built));
  // The last step was cut to the limit about the pointer.
  EXPECT_NEAR(Chart.ValueAt(at).x(), value.x(), 1e-6);
  EXPECT_NEAR(Chart.ValueAt(at).y(), value.y(), 1e-9);
  // Zooming in is not limited by it.
  SendWheel(Area, at);
  EXPECT_LT(Width(Chart.View()), 10 * Width(Built));

  EXPECT_EQ(Area->cursor().shape(), Qt::ArrowCursor);
  SendMouse(Area, QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
  SendMouse(Area, QEvent::MouseMove, at + QPoint(20, 0), Qt::NoButton, Qt::LeftButton);
  EXPECT_EQ(Area->cursor().shape(), Qt::ClosedHandCursor);
  SendMouse(Area, QEvent::MouseButtonRelease, at + QPoint(20, 0), Qt::LeftButton);
  EXPECT_EQ(Area->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(ChartCurvesTest, EqualScaleKeepsACircleRound) {
  // The unit circle, and a white diagonal from (-2; -1,5) to (2; 1,5) around it.
  Chart.AddCurve(Parametric(), Circle(3600, 0, 0, 1));
  TChartPoints diagonal(2);
  diagonal.Write(0, std::vector<double>{-2, 2}, std::vector<double>{-1.5, 1.5});
  Chart.AddCurve(Parametric(), std::move(diagonal));
  Chart.SetEqualScale(true);
  const auto equal = [&] {
    const QPointF o = Chart.PixelOf({0, 0}), x = Chart.PixelOf({1, 0}), y = Chart.PixelOf({0, 1});
    EXPECT_NEAR(x.x() - o.x(), o.y() - y.y(), 1e-6 * (x.x() - o.x()));
  };
  const auto round = [&] {
    equal();
    const QRect box = Bounds(PixelsOf(Chart.Render(), Qt::black));
    EXPECT_GT(box.width(), 40);
    EXPECT_LE(std::abs(box.width() - box.height()), 2) << box.width() << " x " << box.height();
  };
  round();
  // The whole of both curves is in the fitted view, one of its axes just so.
  const TLineChart::TView fitted = Chart.View();
  EXPECT_TRUE((fitted.XLower == -2 && fitted.XUpper == 2) || (fitted.YLower == -1.5 && fitted.YUpper == 1.5));
  EXPECT_LE(fitted.XLower, -2);
  EXPECT_LE(fitted.YLower, -1.5);
  // Ctrl zooms both axes alike now; a drag and a new size keep the scale.
  SendWheel(Area, Chart.PixelOf({0.5, 0}), Qt::ControlModifier);
  equal();
  SendMouse(Area, QEvent::MouseButtonPress, Chart.PixelOf({0, 0}), Qt::LeftButton, Qt::LeftButton);
  SendMouse(Area, QEvent::MouseMove, Chart.PixelOf({0, 0}) + QPointF(25, 7), Qt::NoButton, Qt::LeftButton);
  QApplication::processEvents();
  SendMouse(Area, QEvent::MouseButtonRelease, Chart.PixelOf({0, 0}), Qt::LeftButton);
  equal();
  Chart.resize(700, 300);
  QApplication::processEvents();
  equal();
  SendMouse(Area, QEvent::MouseButtonDblClick, Chart.PixelOf({0, 0}), Qt::LeftButton, Qt::LeftButton);
  round();
  // Off again: the axes follow the data as before.
  Chart.SetEqualScale(false);
  EXPECT_EQ(Chart.View(), (TLineChart::TView{-2, 2, -1.5, 1.5}));
}

}  // namespace
