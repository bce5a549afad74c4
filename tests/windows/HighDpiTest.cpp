// The 3D control and the line chart on a screen of two device pixels per
// unit: drawn at the screen's resolution (not a doubled low-resolution
// picture), with the same geometry as at one pixel per unit, while exports
// keep one pixel per unit of the control's size.
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Colors.h"
#include "graph3d/Graph3D.h"
#include "graph3d/Graph3DRaster.h"
#include "plot2d/LineChart.h"
#include "tests/support/WidgetTest.h"

#include <QPainter>
#include <QTest>

#include <cmath>
#include <vector>

namespace {

// Runs before main() creates the application, which reads it.
const bool kScaled = qputenv("QT_SCALE_FACTOR", "2");

constexpr TColor kBlue = 0xFF0000, kOrange = 0x0080FF;

bool Is(const QImage& image, int x, int y, TColor color) {
  return image.valid(x, y) && (image.pixel(x, y) | 0xFF000000u) == graph3d::PixelOf(color);
}

// Aligned 2 × 2 blocks of device pixels that are not all one colour: none in
// a picture drawn at half the resolution and doubled.
int MixedBlocks(const QImage& image, const QRect& area) {
  int n = 0;
  for (int y = area.top() & ~1; y + 1 <= area.bottom(); y += 2)
    for (int x = area.left() & ~1; x + 1 <= area.right(); x += 2) {
      const QRgb c = image.pixel(x, y);
      n += image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c || image.pixel(x + 1, y + 1) != c;
    }
  return n;
}

class HighDpiTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(kScaled);
  }

  // A shown control on black with blue cells, orange axes and a white caption.
  std::unique_ptr<TGraph3D> ShownPlot(int w, int h, int n) {
    auto plot = std::make_unique<TGraph3D>();
    plot->resize(w, h);
    plot->SetColor(0);
    plot->SetDataColor(kBlue);
    plot->SetAxesColor(kOrange);
    QPalette palette = plot->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    plot->setPalette(palette);
    for (auto& line : graph3d::GenerateSurface(n, n, 8.8L)) plot->AddLine(std::move(line));
    plot->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(plot.get()));
    QApplication::processEvents();
    return plot;
  }
};

TEST_F(HighDpiTest, BackingImageHasTheScreensResolutionAndExportsTheControlsSize) {
  auto plot = ShownPlot(200, 160, 6);
  ASSERT_EQ(plot->devicePixelRatioF(), 2.0);
  EXPECT_EQ(plot->Picture().size(), QSize(400, 320));
  EXPECT_EQ(plot->Picture().devicePixelRatio(), 2.0);
  EXPECT_EQ(plot->CopyToBitmap(12).size(), QSize(200, 160));
  // the screen shows the canvas pixel for pixel
  const QImage onScreen = plot->grab().toImage().convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(onScreen.size(), QSize(400, 320));
  EXPECT_TRUE(onScreen == plot->Picture().convertToFormat(QImage::Format_RGB32));
}

TEST_F(HighDpiTest, LinesAreOneDevicePixelWideAndWhereTheyAreAtOnePixelPerUnit) {
  auto plot = ShownPlot(300, 240, 6);
  for (auto set : {&TGraph3D::SetLabelX, &TGraph3D::SetLabelY, &TGraph3D::SetLabelZ}) (plot.get()->*set)(QString());
  plot->update();
  QApplication::processEvents();
  const QImage fine = plot->Picture();
  const QImage coarse = plot->CopyToBitmap(12);
  for (TColor color : {kBlue, kOrange}) {
    int pixels = 0, solidBlocks = 0, strays = 0;
    for (int y = 0; y < fine.height(); ++y) {
      for (int x = 0; x < fine.width(); ++x) {
        if (!Is(fine, x, y, color)) continue;
        ++pixels;
        solidBlocks += Is(fine, x + 1, y, color) && Is(fine, x, y + 1, color) && Is(fine, x + 1, y + 1, color);
        // the same line one pixel per unit passes within a unit of here (but
        // for a few pixels of dashed axes that the thicker lines cover there)
        bool near = false;
        for (int dy = -1; dy <= 1 && !near; ++dy)
          for (int dx = -1; dx <= 1 && !near; ++dx) near = Is(coarse, x / 2 + dx, y / 2 + dy, color);
        strays += !near;
      }
    }
    EXPECT_GT(pixels, 300) << color;
    // a doubled picture would be made of solid blocks only; lines one device
    // pixel wide have them only where two lines meet
    EXPECT_LT(solidBlocks * 20, pixels) << color;
    EXPECT_LT(strays * 100, pixels) << color;
  }
}

TEST_F(HighDpiTest, PixelPathMatchesThePainterAtTheScreensResolution) {
  // An image format without direct pixel access takes the general polygon path.
  auto plot = ShownPlot(300, 240, 12);
  auto render = [&](QImage::Format format) {
    QImage image(600, 480, format);
    image.setDevicePixelRatio(2);
    QPainter p(&image);
    plot->Redraw(p, false);
    p.end();
    return image.convertToFormat(QImage::Format_RGB32);
  };
  const QImage pixels = render(QImage::Format_RGB32), polygons = render(QImage::Format_RGB888);
  int differing = 0;
  for (int y = 0; y < pixels.height(); ++y)
    for (int x = 0; x < pixels.width(); ++x) differing += pixels.pixel(x, y) != polygons.pixel(x, y);
  EXPECT_LT(differing, pixels.width() * pixels.height() / 50);
  // the own canvas holds the same picture (its frame is drawn once more, last)
  const QRect inside(2, 2, 596, 476);
  EXPECT_TRUE(pixels.copy(inside) == plot->Picture().convertToFormat(QImage::Format_RGB32).copy(inside));
}

TEST_F(HighDpiTest, FrameFillsTheLastDevicePixelsAndTextIsDrawnAtTheScreensResolution) {
  auto plot = ShownPlot(200, 160, 6);
  plot->SetCaption(QStringLiteral("Поверхность"));
  const QImage& picture = plot->Picture();
  const QRgb dark = plot->palette().color(QPalette::Dark).rgb(), light = plot->palette().color(QPalette::Light).rgb();
  for (int y : {2, 100, 317}) {
    EXPECT_EQ(picture.pixel(0, y), dark);
    EXPECT_EQ(picture.pixel(1, y), dark);
    EXPECT_EQ(picture.pixel(398, y), y < 2 ? dark : light);
    EXPECT_EQ(picture.pixel(399, y), y < 2 ? dark : light);
  }
  EXPECT_EQ(picture.pixel(100, 318), light);
  EXPECT_EQ(picture.pixel(100, 319), light);
  // the caption's glyph edges fall between device pixels of one unit
  EXPECT_GT(MixedBlocks(picture, QRect(30, 30, 200, 40)), 20);
  plot->SetShowFrame(false);  // erased at once, both device pixels of each edge
  EXPECT_TRUE(Is(picture, 0, 100, 0) && Is(picture, 1, 100, 0) && Is(picture, 399, 100, 0));
}

TEST_F(HighDpiTest, ChartIsDrawnAtTheScreensResolutionAndRendersAtItsOwnSize) {
  TLineChart chart;
  chart.resize(400, 300);
  chart.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
  std::vector<double> x, y;
  for (int i = 0; i <= 200; ++i) {
    x.push_back(i);
    y.push_back(std::sin(i / 20.0));
  }
  chart.AppendPoints(x, y);
  chart.Redraw();
  const QImage onScreen = chart.grab().toImage();
  EXPECT_EQ(onScreen.size(), QSize(800, 600));
  // axis numbers and the curve's edges are not doubled pixels
  EXPECT_GT(MixedBlocks(onScreen, onScreen.rect().adjusted(12, 12, -12, -12)), 1000);
  const QImage exported = chart.Render();
  EXPECT_EQ(exported.size(), QSize(400, 300));
  EXPECT_EQ(exported.devicePixelRatio(), 1.0);
  int curve = 0;
  for (int py = 0; py < exported.height(); ++py)
    for (int px = 0; px < exported.width(); ++px) {
      const QRgb c = exported.pixel(px, py);
      curve += qRed(c) > 200 && qGreen(c) < 90 && qBlue(c) < 90;
    }
  EXPECT_GT(curve, 300);
}

}  // namespace
