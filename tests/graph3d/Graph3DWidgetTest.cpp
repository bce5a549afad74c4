// The 3D control as a widget: its picture, setters, error report, mouse and
// line animation. Runs on the offscreen platform with the scripted platform
// layer, whose log records what the general error report showed.
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Colors.h"
#include "graph3d/Graph3D.h"
#include "tests/graph3d/Graph3DMessages.h"
#include "graph3d/Graph3DRaster.h"
#include "tests/support/WidgetTest.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QTimer>

#include <random>

using ::testing::ElementsAre;

namespace {

constexpr TColor kBlue = 0xFF0000, kOrange = 0x0080FF, kBlack = 0;

std::unique_ptr<TGraphLine> MakeLine(int count, float y, const std::function<float(int)>& f) {
  auto line = std::make_unique<TGraphLine>(count);
  for (int i = 0; i < count; ++i) line->SetValue(i, f(i));
  line->StartPoint = {0, y, 0};
  line->EndPoint = {float(count - 1), y, 0};
  return line;
}

int CountColor(const QImage& image, TColor color, QRect area = QRect()) {
  if (area.isNull()) area = image.rect();
  const QRgb want = graph3d::PixelOf(color);
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) n += (image.pixel(x, y) | 0xFF000000u) == want;
  return n;
}

// Share of pixels that differ between two pictures of one size.
double Difference(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += (a.pixel(x, y) | 0xFF000000u) != (b.pixel(x, y) | 0xFF000000u);
  return double(n) / (a.width() * a.height());
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
  const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(Qt::LeftButton);
  QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), type == QEvent::MouseMove ? Qt::NoButton : button,
                buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void Drag(QWidget* w, QPoint from, QPoint to) {
  SendMouse(w, QEvent::MouseButtonPress, from);
  SendMouse(w, QEvent::MouseMove, to);
  SendMouse(w, QEvent::MouseButtonRelease, to);
}

class Graph3DWidgetTest : public TWidgetTest {
 protected:
  // A control of the given size on a black background with blue cells and
  // orange axes, holding the built-in surface of n × n values.
  std::unique_ptr<TGraph3D> MakePlot(int w, int h, int n = 12) {
    auto plot = std::make_unique<TGraph3D>();
    plot->resize(w, h);
    plot->SetColor(kBlack);
    plot->SetDataColor(kBlue);
    plot->SetAxesColor(kOrange);
    QPalette palette = plot->palette();
    palette.setColor(QPalette::WindowText, Qt::white);  // the caption
    plot->setPalette(palette);
    plot->AfterDraw = [this](TGraph3D*) { ++AfterDrawCount; };
    if (n > 0)
      for (auto& line : graph3d::GenerateSurface(n, n, 8.8L)) plot->AddLine(std::move(line));
    return plot;
  }
  static QImage Render(TGraph3D& plot) {
    QImage image(plot.size(), QImage::Format_RGB32);
    QPainter p(&image);
    plot.Redraw(p, false);
    return image;
  }
  int AfterDrawCount = 0;
};

// ------------------------------------------------------------- picture

TEST_F(Graph3DWidgetTest, PictureHasFrameAxesAndCellsWhereExpected) {
  auto plot = MakePlot(300, 240);
  const QImage image = Render(*plot);
  EXPECT_EQ(image.pixel(0, 100), plot->palette().color(QPalette::Dark).rgb());
  EXPECT_EQ(image.pixel(299, 100), plot->palette().color(QPalette::Light).rgb());
  EXPECT_GT(CountColor(image, kBlue), 500);
  EXPECT_GT(CountColor(image, kOrange), 100);
  // the far X edge of the ground is in front at the default view: solid, in the axes colour
  const TPoint a = plot->Project({30, 100, 0}), b = plot->Project({70, 100, 0});
  int onEdge = 0;
  for (int k = 0; k <= 20; ++k) {
    const int x = a.X + (b.X - a.X) * k / 20, y = a.Y + (b.Y - a.Y) * k / 20;
    for (int dx = -1; dx <= 1; ++dx)
      for (int dy = -1; dy <= 1; ++dy)
        if ((image.pixel(x + dx, y + dy) | 0xFF000000u) == graph3d::PixelOf(kOrange)) {
          ++onEdge;
          dx = dy = 2;
        }
  }
  EXPECT_GE(onEdge, 20);
  // the cells lie around the centre of the control, not in its corners
  EXPECT_EQ(CountColor(image, kBlue, QRect(2, 200, 40, 38)), 0);
  const TPoint c = plot->Project(plot->Model().Center());
  EXPECT_EQ(c.X, 150);
  EXPECT_EQ(c.Y, 120);
}

TEST_F(Graph3DWidgetTest, HiddenLinesHideWhatLiesBehind) {
  // Seen from +Y and above, a wall rising along the front hides the flat part behind it.
  auto plot = MakePlot(300, 300, 0);
  for (int j = 0; j < 8; ++j) plot->AddLine(MakeLine(5, float(j), [j](int) { return j == 7 ? 100.0f : 0.0f; }));
  plot->SetTheta(90);
  plot->SetUseColors(true);
  plot->SetIsodose(0, 0x00FF00, 10);  // the flat part: green
  for (int b = 1; b < 10; ++b) plot->SetIsodose(b, 0xFFFFFF, 100);  // the wall: white
  const QImage hidden = Render(*plot);
  plot->SetDrawHiddenLines(false);
  const QImage open = Render(*plot);
  const int behindOpen = CountColor(open, 0x00FF00), behindHidden = CountColor(hidden, 0x00FF00);
  EXPECT_GT(behindOpen, 200);
  EXPECT_LT(behindHidden * 10, behindOpen);
  EXPECT_GT(CountColor(hidden, 0xFFFFFF), 100);
}

TEST_F(Graph3DWidgetTest, PixelPathMatchesThePolygonPath) {
  // Each polygon drawn alone by QPainter and by the pixel path: the pixels
  // they set differ at most in a few along the edges.
  std::mt19937 random(5);
  std::uniform_int_distribution<int> coord(-20, 140), small(0, 3);
  QImage viaPainter(120, 120, QImage::Format_RGB32), viaPixels(120, 120, QImage::Format_RGB32);
  graph3d::TPixelCanvas canvas(reinterpret_cast<uint32_t*>(viaPixels.bits()), 120, 120, 120);
  const QRgb fill = 0xFF404040, pen = 0xFFFFFFFF;
  for (bool filled : {true, false}) {
    int painted = 0, differing = 0;
    for (int k = 0; k < 200; ++k) {
      TPoint q[4];
      const bool tiny = k % 2 == 0;
      const int x0 = coord(random), y0 = coord(random);
      for (TPoint& c : q) c = tiny ? TPoint{x0 + small(random), y0 + small(random)} : TPoint{coord(random), coord(random)};
      viaPainter.fill(Qt::black);
      viaPixels.fill(Qt::black);
      {
        QPainter p(&viaPainter);
        p.setPen(QPen(QColor(pen), 1));
        p.setBrush(filled ? QBrush(QColor(fill)) : QBrush(Qt::NoBrush));
        const QPoint qp[4] = {{q[0].X, q[0].Y}, {q[1].X, q[1].Y}, {q[2].X, q[2].Y}, {q[3].X, q[3].Y}};
        p.drawPolygon(qp, 4);
      }
      graph3d::DrawCell(canvas, q, pen, fill, filled);
      // pixels of one colour in one picture with none of it nearby in the other
      auto strays = [](const QImage& a, const QImage& b, QRgb color) {
        int n = 0;
        for (int y = 0; y < a.height(); ++y) {
          for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != color) continue;
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
              for (int dx = -1; dx <= 1 && !near; ++dx)
                near = b.valid(x + dx, y + dy) && b.pixel(x + dx, y + dy) == color;
            n += !near;
          }
        }
        return n;
      };
      painted += CountColor(viaPainter, 0xFFFFFF) + CountColor(viaPainter, 0x404040);
      differing += strays(viaPainter, viaPixels, pen) + strays(viaPixels, viaPainter, pen) +
                   strays(viaPainter, viaPixels, fill) + strays(viaPixels, viaPainter, fill);
    }
    EXPECT_LT(differing, painted / 100) << "filled " << filled;
  }
  // the whole picture on a device without pixel access takes the polygon path
  auto plot = MakePlot(200, 160);
  QPixmap pixmap(plot->size());
  {
    QPainter p(&pixmap);
    plot->Redraw(p, false);
  }
  EXPECT_LT(Difference(pixmap.toImage(), Render(*plot)), 0.03);
}

TEST_F(Graph3DWidgetTest, ShadedFacesLookTheSameOnEveryDevice) {
  auto plot = MakePlot(200, 160);
  const QImage wire = Render(*plot);
  plot->show();
  AfterDrawCount = 0;
  plot->SetShaded(true);  // redrawn at once
  EXPECT_EQ(AfterDrawCount, 1);
  const QImage shaded = Render(*plot);
  EXPECT_GT(Difference(shaded, wire), 0.15);
  EXPECT_EQ(plot->CopyToBitmap(12), shaded);
  // A printer or a vector file gets the cells as polygons in the same colours.
  QPixmap pixmap(plot->size());
  {
    QPainter p(&pixmap);
    plot->Redraw(p, false);
  }
  EXPECT_LT(Difference(pixmap.toImage(), shaded), 0.03);
  plot->SetShaded(false);
  EXPECT_EQ(Render(*plot), wire);
}

TEST_F(Graph3DWidgetTest, SegmentsFarOffTheCanvasAreClippedNotWalked) {
  QImage image(50, 50, QImage::Format_RGB32);
  image.fill(Qt::black);
  graph3d::TPixelCanvas canvas(reinterpret_cast<uint32_t*>(image.bits()), 50, 50, 50);
  const int far = graph3d::kCoordLimit;
  graph3d::DrawSegment(canvas, {-far, 10}, {far, 10}, 0xFFFFFFFF);
  graph3d::DrawSegment(canvas, {25, -far}, {25, far}, 0xFFFFFFFF);
  graph3d::DrawSegment(canvas, {-far, -far + 3}, {far, far + 3}, 0xFFFFFFFF);
  const TPoint big[4] = {{-far, -far}, {far, -far}, {far, far}, {-far, far}};
  graph3d::FillQuad(canvas, big, 0xFF808080);
  EXPECT_EQ(CountColor(image, 0x808080), 2500);
  image.fill(Qt::black);
  graph3d::DrawSegment(canvas, {-far, 10}, {far, 10}, 0xFFFFFFFF);
  EXPECT_EQ(CountColor(image, 0xFFFFFF), 50);
}

// --------------------------------------------------- nothing to show

TEST_F(Graph3DWidgetTest, EmptyAndOneLineControlsShowAxesAndFrameWithoutCells) {
  auto empty = MakePlot(120, 100, 0);
  auto oneLine = MakePlot(120, 100, 0);
  oneLine->AddLine(MakeLine(4, 0, [](int i) { return float(i); }));
  for (TGraph3D* plot : {empty.get(), oneLine.get()}) {
    const QImage image = Render(*plot);
    EXPECT_GT(CountColor(image, kOrange), 50);  // the axes, from the control's middle
    EXPECT_EQ(CountColor(image, kBlue), 0);
    EXPECT_EQ(image.pixel(0, 50), plot->palette().color(QPalette::Dark).rgb());
    const TPoint origin = plot->Project({0, 0, 0});
    EXPECT_EQ(origin.X, 60);
    EXPECT_EQ(origin.Y, 50);
  }
  EXPECT_TRUE(Scripted().Lines().empty());
}

TEST_F(Graph3DWidgetTest, FailedBuildIsReportedOnceAfterThePaint) {
  auto plot = MakePlot(160, 120, 0);
  for (int j = 0; j < 3; ++j) plot->AddLine(MakeLine(4, float(j), [](int) { return 5.0f; }));
  plot->SetCaption(QStringLiteral("Плоско"));
  plot->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(plot.get()));
  plot->repaint();
  plot->update();
  QTest::qWait(20);
  plot->repaint();
  QApplication::processEvents();
  EXPECT_TRUE(plot->BuildFailed());
  EXPECT_THAT(Scripted().Lines(), ElementsAre("error: " + msg::NoRange));
  const QImage picture = plot->grab().toImage();
  EXPECT_EQ(CountColor(picture, kOrange), 0);
  EXPECT_GT(CountColor(picture, kBlack), 150 * 100);
  EXPECT_NE(picture.pixel(0, 50), picture.pixel(80, 50));  // the frame
  // the caption is written (in the text colour, somewhere right of x = 15)
  EXPECT_LT(CountColor(picture, kBlack, QRect(15, 15, 60, 12)), 60 * 12);

  // other lines: drawn again, no report
  plot->ClearData();
  for (int j = 0; j < 3; ++j) plot->AddLine(MakeLine(4, float(j), [j](int i) { return float(i * j); }));
  plot->repaint();
  QApplication::processEvents();
  EXPECT_FALSE(plot->BuildFailed());
  EXPECT_EQ(Scripted().Lines().size(), 1u);
  EXPECT_GT(CountColor(plot->Picture(), kBlue), 10);
}

TEST_F(Graph3DWidgetTest, BuildErrorsOutsideThePaintReachTheCaller) {
  auto plot = MakePlot(100, 100, 0);
  plot->AddLine(MakeLine(3, 0, [](int) { return 1.0f; }));
  plot->AddLine(MakeLine(3, 1, [](int) { return 1.0f; }));
  try {
    plot->CopyToBitmap(12);
    ADD_FAILURE();
  } catch (const EGraph3DError& e) {
    EXPECT_EQ(std::string(e.what()), msg::NoRange);
  }
  EXPECT_NO_THROW(plot->CopyToBitmap(12));  // once only
}

// ------------------------------------------------------------ setters

TEST_F(Graph3DWidgetTest, SettersDrawAtOnceOrRedrawAsTheyShould) {
  auto plot = MakePlot(200, 160);
  plot->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(plot.get()));
  QApplication::processEvents();
  const int afterShow = AfterDrawCount;
  EXPECT_GE(afterShow, 1);
  EXPECT_GT(CountColor(plot->Picture(), kOrange), 50);

  plot->SetDrawAxes(false);  // a full redraw
  EXPECT_EQ(AfterDrawCount, afterShow + 1);
  EXPECT_EQ(CountColor(plot->Picture(), kOrange), 0);
  plot->SetDrawAxes(false);  // the current value: nothing
  EXPECT_EQ(AfterDrawCount, afterShow + 1);

  plot->SetShowFrame(false);  // erased at once, no redraw
  EXPECT_EQ(plot->Picture().pixel(0, 80) | 0xFF000000u, graph3d::PixelOf(kBlack));
  plot->SetShowFrame(true);
  EXPECT_EQ(plot->Picture().pixel(0, 80), plot->palette().color(QPalette::Dark).rgb());
  EXPECT_EQ(AfterDrawCount, afterShow + 1);

  plot->SetCaption(QStringLiteral(" \t "));
  EXPECT_EQ(plot->Caption(), QString());
  plot->SetCaption(QStringLiteral("  Поверхность\n"));
  EXPECT_EQ(plot->Caption(), QStringLiteral("Поверхность"));
  EXPECT_LT(CountColor(plot->Picture(), kBlack, QRect(15, 15, 40, 10)), 400);

  plot->SetUseColors(true);  // the cells are repainted in their bands at once
  EXPECT_GT(CountColor(plot->Picture(), plot->Isodose(0).Color), 20);
  EXPECT_EQ(AfterDrawCount, afterShow + 1);

  plot->SetWaterLevel(2, 5);  // a full redraw, everything cut flat at 5 %
  EXPECT_EQ(AfterDrawCount, afterShow + 2);
  EXPECT_EQ(plot->WaterMode(), 2);
  EXPECT_THROW(plot->SetWaterLevel(1, 101), EGraph3DError);
  EXPECT_EQ(plot->WaterMode(), 2);
  EXPECT_EQ(AfterDrawCount, afterShow + 2);

  QFont font = plot->font();
  font.setPointSize(font.pointSize() + 3);
  plot->setFont(font);  // a full redraw
  EXPECT_EQ(AfterDrawCount, afterShow + 3);
}

TEST_F(Graph3DWidgetTest, CopyToBitmapHoldsThePictureWithoutFiringAfterDraw) {
  auto plot = MakePlot(180, 150);
  const QImage copy = plot->CopyToBitmap(12);
  EXPECT_EQ(copy.size(), QSize(180, 150));
  EXPECT_EQ(AfterDrawCount, 0);
  EXPECT_GT(CountColor(copy, kBlue), 100);
  EXPECT_EQ(Difference(copy, Render(*plot)), 0.0);
}

TEST_F(Graph3DWidgetTest, ResizingRecentresTheSurface) {
  auto plot = MakePlot(200, 160);
  Render(*plot);
  plot->resize(400, 300);
  plot->show();
  QApplication::processEvents();
  const TPoint c = plot->Project(plot->Model().Center());
  EXPECT_EQ(c.X, 200);
  EXPECT_EQ(c.Y, 150);
  EXPECT_FLOAT_EQ(plot->Model().ScaleX(), float(400 * 0.55f / 100));
}

// -------------------------------------------------------------- mouse

TEST_F(Graph3DWidgetTest, DragWithoutModeDoesNothing) {
  auto plot = MakePlot(360, 200);
  plot->show();
  QApplication::processEvents();
  const int draws = AfterDrawCount;
  const QImage before = plot->Picture().copy();
  SendMouse(plot.get(), QEvent::MouseButtonPress, {100, 50});
  SendMouse(plot.get(), QEvent::MouseMove, {150, 90});
  SendMouse(plot.get(), QEvent::MouseButtonRelease, {150, 90});
  EXPECT_EQ(plot->Theta(), 60);
  EXPECT_EQ(AfterDrawCount, draws);
  EXPECT_EQ(Difference(before, plot->Picture()), 0.0);
}

TEST_F(Graph3DWidgetTest, RotationDragTurnsAndPreviewsAxesOnly) {
  auto plot = MakePlot(360, 200);
  plot->show();
  QApplication::processEvents();
  plot->SetOffset({30, 20});
  plot->SetMouseControl(mcRotate);
  const int draws = AfterDrawCount;
  SendMouse(plot.get(), QEvent::MouseButtonPress, {100, 50});
  SendMouse(plot.get(), QEvent::MouseMove, {102, 50});
  EXPECT_EQ(plot->Theta(), 59);  // 60 − 2 × 180 / 360
  EXPECT_EQ(plot->Phi(), 330);
  EXPECT_EQ(plot->Offset(), (TPoint{0, 0}));  // re-centred
  // the preview: background and solid axes only
  EXPECT_EQ(CountColor(plot->Picture(), kBlue), 0);
  EXPECT_GT(CountColor(plot->Picture(), kOrange), 100);
  SendMouse(plot.get(), QEvent::MouseMove, {102, 60});
  EXPECT_EQ(plot->Phi(), 339);  // 10 × 180 / 200 = 9
  EXPECT_EQ(AfterDrawCount, draws);
  SendMouse(plot.get(), QEvent::MouseButtonRelease, {102, 60});
  EXPECT_EQ(AfterDrawCount, draws + 1);  // the full picture again
  EXPECT_GT(CountColor(plot->Picture(), kBlue), 100);
}

TEST_F(Graph3DWidgetTest, ZoomAndMoveDrags) {
  auto plot = MakePlot(200, 100);
  plot->show();
  QApplication::processEvents();
  plot->SetMouseControl(mcZoom);
  SendMouse(plot.get(), QEvent::MouseButtonPress, {100, 50});
  SendMouse(plot.get(), QEvent::MouseMove, {150, 40});  // + 50/200 and + 10/100
  EXPECT_FLOAT_EQ(plot->ZoomX(), 0.8f);
  EXPECT_FLOAT_EQ(plot->ZoomY(), 0.65f);
  EXPECT_FLOAT_EQ(plot->Model().ScaleX(), float(200 * 0.8f / 100));
  QEvent leave(QEvent::Leave);  // leaving the control ends the drag like a release
  const int draws = AfterDrawCount;
  QApplication::sendEvent(plot.get(), &leave);
  EXPECT_EQ(AfterDrawCount, draws + 1);
  // Across the whole width, again and again: the zoom stops at 3, and at 0.1
  // the other way.
  for (int k = 0; k < 4; ++k) Drag(plot.get(), {0, 40}, {199, 40});
  EXPECT_EQ(plot->ZoomX(), 3.0f);
  for (int k = 0; k < 4; ++k) Drag(plot.get(), {199, 40}, {0, 40});
  EXPECT_EQ(plot->ZoomX(), 0.1f);

  plot->SetMouseControl(mcMove);
  const TPoint before = plot->Offset();
  SendMouse(plot.get(), QEvent::MouseButtonPress, {10, 10});
  SendMouse(plot.get(), QEvent::MouseMove, {17, 4});
  SendMouse(plot.get(), QEvent::MouseMove, {20, 5});
  SendMouse(plot.get(), QEvent::MouseButtonRelease, {20, 5});
  EXPECT_EQ(plot->Offset(), (TPoint{before.X + 10, before.Y - 5}));
}

TEST_F(Graph3DWidgetTest, PreviewErasesExactlyWhatItDrew) {
  // Labels included: at the end of each drag the preview holds just the
  // axes and labels of the current view, no trace of the ones before.
  auto plot = MakePlot(360, 240);
  plot->show();
  QApplication::processEvents();
  for (TMouseControl mode : {mcMove, mcRotate, mcZoom}) {
    SCOPED_TRACE(int(mode));
    plot->SetMouseControl(mode);
    SendMouse(plot.get(), QEvent::MouseButtonPress, {100, 100});
    for (int k = 1; k <= 6; ++k) SendMouse(plot.get(), QEvent::MouseMove, {100 + 9 * k, 100 + 4 * k});
    const QImage preview = plot->Picture().copy();
    plot->ClearPicture();
    plot->PaintAxes(true);
    EXPECT_EQ(Difference(preview, plot->Picture()), 0.0);
    SendMouse(plot.get(), QEvent::MouseButtonRelease, {154, 124});
  }
}

TEST_F(Graph3DWidgetTest, DragLeavingTheControlEndsAtItsEdgeWithAFullRedraw) {
  auto plot = MakePlot(200, 100);
  plot->show();
  QApplication::processEvents();
  plot->SetMouseControl(mcMove);
  const TPoint start = plot->Offset();
  SendMouse(plot.get(), QEvent::MouseButtonPress, {10, 10});
  SendMouse(plot.get(), QEvent::MouseMove, {20, 15});
  const int draws = AfterDrawCount;
  SendMouse(plot.get(), QEvent::MouseMove, {250, 15});  // out of the control: the drag ends here
  EXPECT_EQ(AfterDrawCount, draws + 1);
  EXPECT_GT(CountColor(plot->Picture(), kBlue), 100);
  const TPoint atEdge{start.X + 10, start.Y + 5};
  EXPECT_EQ(plot->Offset(), atEdge);
  // what follows outside, the release and the leave notification change nothing
  SendMouse(plot.get(), QEvent::MouseMove, {260, 20});
  SendMouse(plot.get(), QEvent::MouseMove, {150, 20});
  SendMouse(plot.get(), QEvent::MouseButtonRelease, {150, 20});
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(plot.get(), &leave);
  EXPECT_EQ(plot->Offset(), atEdge);
  EXPECT_EQ(AfterDrawCount, draws + 1);
}

// ---------------------------------------------------------- animation

TEST_F(Graph3DWidgetTest, AnimationStepsThroughTheLinesAndStops) {
  auto plot = MakePlot(100, 100, 3);
  plot->CursorPosition = [] { return QPoint(50, 50); };
  std::vector<int> shown;
  int stops = 0;
  plot->OnScroll = [&](TGraph3D* sender) {
    shown.push_back(sender->ScrollIndex());
    if (shown.size() == 5) sender->StopScrolling();
  };
  plot->OnStopScrolling = [&](TGraph3D*) { ++stops; };
  plot->StartScrolling();
  EXPECT_THAT(shown, ElementsAre(0, 1, 2, 0, 1));
  EXPECT_EQ(stops, 1);
  EXPECT_FALSE(plot->Scrolling());
  EXPECT_EQ(plot->FirstLine(), 0);
  EXPECT_EQ(plot->LastLine(), 2);
}

TEST_F(Graph3DWidgetTest, AnimationStopsOnceWhenTheCursorLeaves) {
  auto plot = MakePlot(100, 100, 4);
  int steps = 0, stops = 0;
  plot->CursorPosition = [&] { return steps < 2 ? QPoint(100, 0) : QPoint(101, 50); };  // bounds included
  plot->OnScroll = [&](TGraph3D*) { ++steps; };
  plot->OnStopScrolling = [&](TGraph3D*) { ++stops; };
  plot->SetIncrementalScroll(false);
  plot->StartScrolling();
  EXPECT_EQ(steps, 2);
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(plot->FirstLine(), 0);
  EXPECT_EQ(plot->LastLine(), 3);
}

TEST_F(Graph3DWidgetTest, DragPausesTheAnimationAndReleaseResumesIt) {
  auto plot = MakePlot(100, 100, 3);
  plot->show();
  QApplication::processEvents();
  plot->CursorPosition = [] { return QPoint(50, 50); };
  plot->SetMouseControl(mcMove);
  std::vector<int> shown;
  plot->OnScroll = [&](TGraph3D* sender) {
    shown.push_back(sender->ScrollIndex());
    if (shown.size() == 2) {  // a drag starts: the loop ends after this step
      SendMouse(sender, QEvent::MouseButtonPress, {10, 10});
      SendMouse(sender, QEvent::MouseMove, {12, 10});
    }
    if (shown.size() == 4) sender->StopScrolling();
  };
  plot->StartScrolling();
  EXPECT_THAT(shown, ElementsAre(0, 1));
  EXPECT_TRUE(plot->Scrolling());  // paused, not stopped
  SendMouse(plot.get(), QEvent::MouseButtonRelease, {12, 10});  // resumes inside the release
  EXPECT_THAT(shown, ElementsAre(0, 1, 2, 0));
  EXPECT_FALSE(plot->Scrolling());
}

TEST_F(Graph3DWidgetTest, ControlDestroyedDuringTheAnimationEndsItSafely) {
  auto* plot = MakePlot(100, 100, 3).release();
  plot->CursorPosition = [] { return QPoint(50, 50); };
  int stops = 0;
  plot->OnStopScrolling = [&](TGraph3D*) { ++stops; };
  QTimer::singleShot(0, [plot] { delete plot; });
  plot->StartScrolling();  // returns without touching the freed control
  EXPECT_EQ(stops, 1);
}

}  // namespace
