// The 3D control's vector pictures (SVG and PDF files): the same cells, in
// the same order and colours, as its pixels, and a detached copy that draws
// the picture as it was, whatever the control does meanwhile.
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Graph3D.h"
#include "graph3d/Graph3DRaster.h"
#include "graph3d/Graph3DScene.h"
#include "platform/LongWork.h"
#include "tests/support/WidgetTest.h"

#include <QPainter>
#include <QPicture>

#include <functional>
#include <memory>

namespace {

struct TVectorCase {
  const char* Name;
  std::function<void(TGraph3DModel&)> Arrange;
  bool Hidden = true;
};

// The cells a vector file holds, drawn one by one with the pixel back end's
// own primitive, make exactly the picture the pixel back end draws: the same
// cells in the same order with the same outlines and fills.
TEST(Graph3DVectorCellsTest, HoldTheCellsThePixelsShow) {
  const TVectorCase cases[] = {
      {"default", [](TGraph3DModel&) {}},
      {"no hidden lines", [](TGraph3DModel&) {}, false},
      {"bands and water below",
       [](TGraph3DModel& m) {
         for (int k = 0; k < 10; ++k) m.SetIsodose(k, TColor(0x102030 * (k + 1)), 10.f * k + 5);
         m.SetUseColors(true);
         m.SetWaterLevel(2, 60);
       }},
      {"water above, turned", [](TGraph3DModel& m) {
         m.SetWaterLevel(1, 40);
         m.SetTheta(200);
         m.SetPhi(300);
       }},
      {"view percentage", [](TGraph3DModel& m) { m.SetViewPercentage(70); }},
      {"shaded with bands and water",
       [](TGraph3DModel& m) {
         m.SetShaded(true);
         m.SetUseColors(true);
         m.SetWaterLevel(2, 50);
       },
       false},
      {"line range", [](TGraph3DModel& m) {
         m.SetFirstLine(5);
         m.SetLastLine(9);
       }},
  };
  for (const TVectorCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TGraph3DModel model;
    for (auto& line : graph3d::GenerateSurface(30, 40, 8.8L)) model.AddLine(std::move(line));
    model.Resized(300, 200);
    model.Prepare();
    c.Arrange(model);
    model.Prepare();
    const TColor background = 0x302010;
    const uint32_t pixel = graph3d::PixelOf(background);
    QImage pixels(300, 200, QImage::Format_RGB32), shapes(300, 200, QImage::Format_RGB32);
    pixels.fill(pixel);
    shapes.fill(pixel);
    graph3d::TPixelCanvas canvas(reinterpret_cast<uint32_t*>(pixels.bits()), pixels.bytesPerLine() / 4, 300, 200);
    graph3d::DrawSurfacePixels(model, canvas, pixel, c.Hidden);

    const graph3d::TVectorCells cells = graph3d::CollectCells(model, background, c.Hidden);
    EXPECT_EQ(int64_t(cells.Cells.size()), graph3d::DrawnCells(model));
    EXPECT_EQ(cells.Filled, c.Hidden || model.Shaded());
    graph3d::TPixelCanvas other(reinterpret_cast<uint32_t*>(shapes.bits()), shapes.bytesPerLine() / 4, 300, 200);
    for (const graph3d::TVectorCell& cell : cells.Cells)
      graph3d::DrawCell(other, cell.Corners, graph3d::PixelOf(cell.Pen), graph3d::PixelOf(cell.Fill), cells.Filled);
    EXPECT_TRUE(shapes == pixels);
  }
}

class Graph3DVectorTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    Plot.resize(320, 240);
    for (auto& line : graph3d::GenerateSurface(20, 20, 8.8L)) Plot.AddLine(std::move(line));
    Plot.SetCaption(QStringLiteral("Поверхность"));
  }
  // What a drawing puts on a recording painter: one record per shape, so
  // two drawings of one picture give equal recordings.
  static QByteArray Recorded(const std::function<bool(QPainter&)>& draw, bool* done = nullptr) {
    QPicture picture;
    QPainter painter(&picture);
    const bool finished = draw(painter);
    painter.end();
    if (done) *done = finished;
    return QByteArray(picture.data(), int(picture.size()));
  }
  TGraph3D Plot;
};

TEST_F(Graph3DVectorTest, DetachedCopyDrawsThePictureAsItWasTaken) {
  const auto first = Plot.DetachPicture();
  TWorkControl control;
  const QByteArray before = Recorded([&](QPainter& p) { return first(p, control); });
  EXPECT_EQ(Plot.VectorCells(), 19 * 19);

  // The control moves on: turned, resized, recoloured, its lines replaced.
  Plot.SetTheta(120);
  Plot.resize(200, 150);
  Plot.SetCaption(QStringLiteral("другая"));
  Plot.ClearLines();
  for (auto& line : graph3d::GenerateSurface(5, 5, 8.8L)) Plot.AddLine(std::move(line));
  Plot.Prepare();

  EXPECT_EQ(Recorded([&](QPainter& p) { return first(p, control); }), before);
  const auto second = Plot.DetachPicture();
  EXPECT_NE(Recorded([&](QPainter& p) { return second(p, control); }), before);
  EXPECT_EQ(Plot.VectorCells(), 4 * 4);
}

TEST_F(Graph3DVectorTest, StoppedDrawingEndsEarlyAndSaysSo) {
  const auto detached = Plot.DetachPicture();
  TWorkControl control;
  bool done = true;
  const QByteArray whole = Recorded([&](QPainter& p) { return detached(p, control); }, &done);
  EXPECT_TRUE(done);
  EXPECT_EQ(control.Progress(), 1.0);
  control.RequestStop();
  const QByteArray stopped = Recorded([&](QPainter& p) { return detached(p, control); }, &done);
  EXPECT_FALSE(done);
  EXPECT_LT(stopped.size(), whole.size());
}

// After a failed build a picture holds what the screen shows then:
// background, frame and caption, no cells and no axes.
TEST_F(Graph3DVectorTest, FailedBuildGivesThePictureWithoutCells) {
  Plot.ClearLines();
  auto flat = graph3d::GenerateSurface(3, 3, 8.8L);
  for (auto& line : flat)
    for (int i = 0; i < line->Count(); ++i) line->SetValue(i, std::numeric_limits<float>::infinity());
  for (auto& line : flat) Plot.AddLine(std::move(line));
  EXPECT_THROW(Plot.DetachPicture(), EGraph3DError);
  EXPECT_EQ(Plot.VectorCells(), 0);
  const auto detached = Plot.DetachPicture();
  TWorkControl control;
  bool done = false;
  Recorded([&](QPainter& p) { return detached(p, control); }, &done);
  EXPECT_TRUE(done);
}

}  // namespace
