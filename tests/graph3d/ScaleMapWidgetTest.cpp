// The value scale and the contour map of the 3D control, on the offscreen
// platform: where the numbers go at any view, that they move with the axes
// (also in the mouse's preview) and reach the exports, and that the map
// keeps a view of its own.
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Colors.h"
#include "graph3d/Graph3D.h"
#include "graph3d/Graph3DRaster.h"
#include "tests/support/WidgetTest.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace {

constexpr TColor kBlue = 0xFF0000, kOrange = 0x0080FF, kGreen = 0x00FF00;

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos) {
  const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
  QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

int CountColor(const QImage& image, TColor color, QRect area = QRect()) {
  if (area.isNull()) area = image.rect();
  area &= image.rect();
  const QRgb want = graph3d::PixelOf(color);
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += (image.pixel(x, y) | 0xFF000000u) == want;
  return n;
}

// Pixels of orange text over black or blue: the letters' smoothed edges too.
int CountOrangeish(const QImage& image, QRect area = QRect()) {
  if (area.isNull()) area = image.rect();
  area &= image.rect();
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb p = image.pixel(x, y);
      n += qRed(p) > 60 && qGreen(p) > 30 && qRed(p) > qBlue(p);
    }
  return n;
}

QImage Render(TGraph3D& plot) {
  QImage image(plot.size(), QImage::Format_RGB32);
  QPainter p(&image);
  plot.Redraw(p, false);
  return image;
}

class Graph3DScaleMapTest : public TWidgetTest {
 protected:
  // The formula-like surface z = sin(x)·cos(y) on -180..180 in both, as a
  // window hands it over: lines at grid indices, the axes mapped to X and Y.
  std::unique_ptr<TGraph3D> MakePlot(int n = 40) {
    auto plot = std::make_unique<TGraph3D>();
    plot->resize(523, 400);
    plot->SetColor(0);
    plot->SetDataColor(kBlue);
    plot->SetAxesColor(kOrange);
    for (int j = 0; j < n; ++j) {
      auto line = std::make_unique<TGraphLine>(n);
      for (int i = 0; i < n; ++i) {
        const double x = -180 + 360.0 * i / (n - 1), y = -180 + 360.0 * j / (n - 1);
        line->SetValue(i, float(std::sin(x * M_PI / 180) * std::cos(y * M_PI / 180)));
      }
      line->StartPoint = {0, float(j), 0};
      line->EndPoint = {float(n - 1), float(j), 0};
      plot->AddLine(std::move(line));
    }
    plot->SetAxisMap(0, {360.0 / (n - 1), -180});
    plot->SetAxisMap(1, {360.0 / (n - 1), -180});
    return plot;
  }
};

TEST_F(Graph3DScaleMapTest, NumbersSitOnTheirAxesApartFromEachOtherAtEveryView) {
  auto plot = MakePlot();
  plot->SetShowScale(true);
  const QFontMetrics metrics(plot->font());
  EXPECT_NEAR(plot->AxisValues(0).first, -180, 1e-9);
  EXPECT_NEAR(plot->AxisValues(1).second, 180, 1e-9);
  int views = 0, shown = 0;
  for (int theta = 0; theta < 360; theta += 30) {
    for (int phi : {275, 300, 330, 355, 5, 30, 60, 85}) {
      plot->SetTheta(theta);
      plot->SetPhi(phi);
      plot->CenterGraph();
      plot->Prepare();
      const auto texts = plot->ScaleTexts(metrics);
      ++views;
      shown += int(texts.size());
      for (size_t a = 0; a < texts.size(); ++a) {
        const auto& [box, text] = texts[a];
        EXPECT_TRUE(plot->rect().contains(box)) << theta << "/" << phi << " " << text.toStdString();
        for (size_t b = a + 1; b < texts.size(); ++b)
          EXPECT_FALSE(box.intersects(texts[b].first)) << theta << "/" << phi << " " << text.toStdString() << " "
                                                      << texts[b].second.toStdString();
        // Each number lies next to the point of its value on one of the axes.
        bool ok = true;
        const double value = text == QStringLiteral("0") ? 0 : QString(text).replace(u',', u'.').toDouble(&ok);
        EXPECT_TRUE(ok) << text.toStdString();
        double nearest = 1e9;
        for (int axis = 0; axis < 3; ++axis) {
          const auto [from, to] = plot->AxisValues(axis);
          const double share = (value - from) / (to - from);
          if (share < -1e-9 || share > 1 + 1e-9) continue;
          const float p = float(share * 100);
          const TPoint at = plot->Project(axis == 0 ? TPoint3D{p, 0, 0} : axis == 1 ? TPoint3D{0, p, 0} : TPoint3D{0, 0, p});
          const QPoint c = box.center();
          nearest = std::min(nearest, std::hypot(c.x() - at.X, c.y() - at.Y));
        }
        EXPECT_LT(nearest, 8 + std::hypot(box.width(), box.height()) / 2) << theta << "/" << phi << " " << text.toStdString();
      }
    }
  }
  EXPECT_GT(shown, views * 4);  // a few on most axes, not one here and there
}

TEST_F(Graph3DScaleMapTest, NumbersTurnWithThePreviewAndReachTheExports) {
  auto plot = MakePlot();
  plot->show();
  const QImage without = plot->CopyToBitmap(12);
  plot->SetShowScale(true);
  const QImage with = plot->CopyToBitmap(12);
  EXPECT_GT(CountOrangeish(with), CountOrangeish(without) + 100);
  // While the mouse turns the view only the axes and their numbers show, at
  // the new view.
  plot->SetMouseControl(mcRotate);
  SendMouse(plot.get(), QEvent::MouseButtonPress, {200, 200});
  SendMouse(plot.get(), QEvent::MouseMove, {260, 215});
  plot->Prepare();
  const QImage preview = plot->Picture().convertToFormat(QImage::Format_RGB32);
  const auto texts = plot->ScaleTexts(QFontMetrics(plot->font()));
  ASSERT_GE(texts.size(), 6u);
  for (const auto& [box, text] : texts) EXPECT_GT(CountOrangeish(preview, box), 3) << text.toStdString();
  EXPECT_EQ(CountColor(preview, kBlue), 0);
  SendMouse(plot.get(), QEvent::MouseMove, {300, 240});
  SendMouse(plot.get(), QEvent::MouseButtonRelease, {300, 240});
  EXPECT_GT(CountColor(plot->Picture().convertToFormat(QImage::Format_RGB32), kBlue), 1000);
  // Off, the picture is the plain one again.
  plot->SetTheta(60);
  plot->SetPhi(330);
  plot->CenterGraph();
  plot->SetShowScale(false);
  EXPECT_EQ(plot->CopyToBitmap(12), without);
}

TEST_F(Graph3DScaleMapTest, TheBarListsTheBandsWithTheHeightsTheyCover) {
  auto plot = MakePlot();
  plot->SetShowScale(true);
  plot->SetUseColors(true);
  for (int b = 0; b < 10; ++b) plot->SetIsodose(b, b == 4 ? kGreen : 0x202020, float(10 * b + 5));
  const QImage image = Render(*plot);
  // The green swatch (12 × 11 inside its outline) in the upper right corner.
  const QRect corner(image.width() - 220, 0, 220, 220);
  plot->SetShowScale(false);
  const int cells = CountColor(Render(*plot), kGreen, corner);
  plot->SetShowScale(true);
  EXPECT_GE(CountColor(image, kGreen, corner) - cells, 100);
  // No number of the axes under the bar.
  plot->Prepare();
  for (const auto& [box, text] : plot->ScaleTexts(QFontMetrics(QFont()))) {
    EXPECT_FALSE(box.intersects(corner.adjusted(120, 0, 0, -60))) << text.toStdString();
  }
}

TEST_F(Graph3DScaleMapTest, TheMapHasItsOwnViewAndShowsTheLevels) {
  // z = x: every isoline is straight up the map, at its share of the width.
  auto plot = std::make_unique<TGraph3D>();
  plot->resize(400, 400);
  plot->SetColor(0);
  plot->SetAxesColor(kOrange);
  for (int j = 0; j < 11; ++j) {
    auto line = std::make_unique<TGraphLine>(11);
    for (int i = 0; i < 11; ++i) line->SetValue(i, float(i));
    line->StartPoint = {0, float(j), 0};
    line->EndPoint = {10, float(j), 0};
    plot->AddLine(std::move(line));
  }
  plot->show();
  plot->SetUseColors(true);
  for (int b = 0; b < 10; ++b) plot->SetIsodose(b, b == 2 ? kGreen : 0x404040, float(10 * b + 5));  // green at 25 %
  const QImage view3d = Render(*plot);
  const int theta = plot->Theta(), phi = plot->Phi();
  const TPoint offset = plot->Offset();
  plot->SetContourMap(true);
  const QImage map = Render(*plot);
  // The green line: one column, from the map's bottom to its top.
  int left = map.width(), right = -1, rows = 0;
  for (int y = 0; y < map.height(); ++y) {
    bool any = false;
    for (int x = 0; x < map.width(); ++x) {
      if ((map.pixel(x, y) | 0xFF000000u) != graph3d::PixelOf(kGreen)) continue;
      left = std::min(left, x), right = std::max(right, x), any = true;
    }
    rows += any;
  }
  EXPECT_LE(right - left, 1);
  EXPECT_GT(rows, 150);
  // Turning does nothing to a map; moving and zooming move its picture only.
  plot->SetMouseControl(mcRotate);
  SendMouse(plot.get(), QEvent::MouseButtonPress, {100, 100});
  SendMouse(plot.get(), QEvent::MouseMove, {200, 150});
  SendMouse(plot.get(), QEvent::MouseButtonRelease, {200, 150});
  EXPECT_EQ(Render(*plot), map);
  for (TMouseControl mode : {mcMove, mcZoom}) {
    plot->SetMouseControl(mode);
    SendMouse(plot.get(), QEvent::MouseButtonPress, {100, 100});
    SendMouse(plot.get(), QEvent::MouseMove, {140, 90});
    SendMouse(plot.get(), QEvent::MouseButtonRelease, {140, 90});
    EXPECT_NE(Render(*plot), map) << mode;
  }
  EXPECT_EQ(plot->Theta(), theta);
  EXPECT_EQ(plot->Phi(), phi);
  EXPECT_EQ(plot->Offset(), offset);
  // Off again: the 3D view as it was; on again: the map as it was left.
  const QImage moved = Render(*plot);
  plot->SetContourMap(false);
  EXPECT_EQ(Render(*plot), view3d);
  plot->SetContourMap(true);
  EXPECT_EQ(Render(*plot), moved);
}

}  // namespace
