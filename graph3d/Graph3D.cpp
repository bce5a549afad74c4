#include "graph3d/Graph3D.h"

#include "platform/Application.h"
#include "graph3d/Colors.h"
#include "graph3d/Graph3DLook.h"
#include "graph3d/Graph3DRaster.h"
#include "graph3d/Graph3DScene.h"

#include <QCoreApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPicture>
#include <QPointer>
#include <QThread>

#include <cmath>
#include <cstring>

namespace {

QPoint ToQPoint(TPoint p) { return {p.X, p.Y}; }

// Leading and trailing blanks and control characters go.
QString TrimCaption(const QString& s) {
  qsizetype from = 0, to = s.size();
  while (from < to && s.at(from).unicode() <= 0x20) ++from;
  while (to > from && s.at(to - 1).unicode() <= 0x20) --to;
  return s.mid(from, to - from);
}

// Whether the painter draws into pixels of its own (an image, the screen),
// where the cells go straight into the pixels and lines cover the pixels
// right of and below their points; other devices take vector shapes.
bool RasterPainter(QPainter& painter) {
  const QPaintEngine* engine = painter.paintEngine();
  return engine && engine->type() == QPaintEngine::Raster;
}

}  // namespace

TGraph3D::TGraph3D(QWidget* Owner) : QWidget(Owner) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  FLabelX = QStringLiteral("X");
  FLabelY = QStringLiteral("Y");
  FLabelZ = QStringLiteral("Val");
  resize(100, 100);
  FModel.SetClientSize(100, 100);
  CursorPosition = [this] { return mapFromGlobal(QCursor::pos()); };
}

TGraph3D::~TGraph3D() {
  if (FScrolling) StopScrolling();
}

// ------------------------------------------------------------------ lines

TGraphLine* TGraph3D::AddLine(std::unique_ptr<TGraphLine>&& Line) { return FModel.AddLine(std::move(Line)); }

void TGraph3D::ClearLines() { FModel.ClearLines(); }

void TGraph3D::ClearData() { FModel.ClearData(); }

// ---------------------------------------------------------- own canvas

QColor TGraph3D::Background() const { return palette().color(QPalette::Window); }

TColor TGraph3D::Color() const { return graph3d::FromQColor(Background()); }

void TGraph3D::SetColor(TColor Value) {
  QPalette p = palette();
  p.setColor(QPalette::Window, graph3d::ToQColor(Value));
  setPalette(p);
}

void TGraph3D::SyncSize() {
  if (FModel.ClientWidth() != width() || FModel.ClientHeight() != height()) FModel.Resized(width(), height());
}

// The own canvas has the screen's resolution: the control's size times the
// device pixel ratio, painted in the control's own coordinates.
bool TGraph3D::CanvasFits() const {
  const qreal ratio = devicePixelRatioF();
  return FCanvas.devicePixelRatio() == ratio && FCanvas.size() == (QSizeF(size()) * ratio).toSize();
}

void TGraph3D::EnsureCanvas() {
  if (CanvasFits()) return;
  const qreal ratio = devicePixelRatioF();
  FCanvas = QImage((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
  if (FCanvas.isNull()) return;
  FCanvas.setDevicePixelRatio(ratio);
  FCanvas.fill(Background());
}

void TGraph3D::OnOwnCanvas(const std::function<void(QPainter&)>& draw) {
  if (FOwnPainter) {
    draw(*FOwnPainter);
    return;
  }
  EnsureCanvas();
  if (FCanvas.isNull()) return;
  struct TSession {
    TGraph3D* Self;
    QPainter Painter;
    explicit TSession(TGraph3D* self) : Self(self), Painter(&self->FCanvas) {
      Painter.setFont(self->font());
      Self->FOwnPainter = &Painter;
    }
    ~TSession() {
      Self->FOwnPainter = nullptr;
      Painter.end();
      Self->CopyToScreen();  // also when drawing stopped on an error
    }
  } session(this);
  draw(session.Painter);
}

void TGraph3D::CopyToScreen() {
  if (FInPaint || !isVisible()) return;
  FCopyOnly = true;
  repaint();
  FCopyOnly = false;
}

void TGraph3D::RedrawOwn(bool FireAfterDraw) {
  OnOwnCanvas([&](QPainter& p) { Redraw(p, FireAfterDraw); });
}

namespace {

// Errors of the control's own event handlers go to the general error report
// right here, so that none unwinds through Qt's event dispatch.
template <typename F>
void Reported(F&& f) {
  try {
    f();
  } catch (...) {
    ReportCurrentException();
  }
}

}  // namespace

void TGraph3D::ReportLater(std::exception_ptr Error) {
  QMetaObject::invokeMethod(this, [Error] { Reported([&] { std::rethrow_exception(Error); }); }, Qt::QueuedConnection);
}

void TGraph3D::paintEvent(QPaintEvent*) {
  FInPaint = true;
  if (!FCopyOnly || !CanvasFits()) {
    try {
      RedrawOwn(true);
    } catch (...) {
      // Never from inside the paint: the report comes right after it.
      ReportLater(std::current_exception());
    }
  }
  FInPaint = false;
  // Pixel for pixel: the painter is clipped to the region to update.
  QPainter p(this);
  p.drawImage(QPoint(0, 0), FCanvas);
}

void TGraph3D::resizeEvent(QResizeEvent* event) {
  FModel.Resized(width(), height());
  EnsureCanvas();
  QWidget::resizeEvent(event);
}

void TGraph3D::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange) {
    Reported([this] { RedrawOwn(true); });
  } else if (event->type() == QEvent::PaletteChange) {
    update();
  }
}

// ------------------------------------------------------------ drawing

void TGraph3D::ClearBackground(QPainter& Canvas) { graph3d::ClearBackground(Canvas, size(), Background()); }

void TGraph3D::DrawFrame(QPainter& Canvas) {
  graph3d::FramePath(Canvas, size(), palette().color(QPalette::Dark), palette().color(QPalette::Light));
}

void TGraph3D::EraseFrame(QPainter& Canvas) { graph3d::FramePath(Canvas, size(), Background(), Background()); }

void TGraph3D::DrawCaption(QPainter& Canvas) {
  graph3d::DrawCaption(Canvas, FCaption, palette().color(QPalette::WindowText));
}

graph3d::TScene TGraph3D::SceneHead() const {
  graph3d::TScene scene;
  scene.Size = size();
  scene.Background = Background();
  scene.FrameDark = palette().color(QPalette::Dark);
  scene.FrameLight = palette().color(QPalette::Light);
  scene.TextColor = palette().color(QPalette::WindowText);
  scene.ShowFrame = FShowFrame;
  scene.Caption = FCaption;
  return scene;
}

void TGraph3D::SceneBody(graph3d::TScene& scene) const {
  // Without cells (no lines, one line) the axes still show around the data
  // centre; after a failed build only background, frame and caption do.
  scene.Surface = !FModel.BuildFailed();
  scene.DrawAxes = FDrawAxes;
  scene.AxesColor = graph3d::ToQColor(FModel.AxesColor());
  for (int i = 0; i < 5; ++i) {
    scene.Axes[i] = AxisShape(i);
    scene.Axes[i].Behind = FModel.AxisBehind(i);
  }
}

graph3d::TAxisShape TGraph3D::AxisShape(int Line) const {
  const graph3d::TAxisLine& a = graph3d::kAxisLines[Line];
  graph3d::TAxisShape shape;
  shape.From = ToQPoint(FModel.Project(a.From));
  shape.To = ToQPoint(FModel.Project(a.To));
  const QString* label = a.Label == 1 ? &FLabelX : a.Label == 2 ? &FLabelY : a.Label == 3 ? &FLabelZ : nullptr;
  if (label) shape.Label = *label;
  shape.LabelDx = a.Label == 3 ? 5 : 0;
  return shape;
}

void TGraph3D::DrawSurface(QPainter& Canvas) {
  const QColor bg = Background();
  QPaintDevice* device = Canvas.device();
  if (device && device->devType() == QInternal::Image) {
    auto* image = static_cast<QImage*>(device);
    const QImage::Format f = image->format();
    // The painter's own coordinates are the image's pixels times a scale: the
    // device pixel ratio of a high-density canvas, else 1.
    const QTransform& toDevice = Canvas.deviceTransform();
    const double scale = toDevice.m11();
    const bool pixels = (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
                         f == QImage::Format_ARGB32_Premultiplied) &&
                        image->isDetached() && toDevice.type() <= QTransform::TxScale && toDevice.dx() == 0 &&
                        toDevice.dy() == 0 && scale > 0 && toDevice.m22() == scale &&
                        (!Canvas.hasClipping() || Canvas.clipRegion().rectCount() == 1);
    if (pixels) {
      graph3d::TPixelCanvas pc(reinterpret_cast<uint32_t*>(image->bits()), image->bytesPerLine() / 4,
                               image->width(), image->height());
      auto clip = [&](const QRect& r) {
        pc.Clip(int(std::floor(r.left() * scale)), int(std::floor(r.top() * scale)),
                int(std::ceil((r.right() + 1) * scale)), int(std::ceil((r.bottom() + 1) * scale)));
      };
      clip(rect());
      if (Canvas.hasClipping()) clip(Canvas.clipRegion().boundingRect());
      graph3d::DrawSurfacePixels(FModel, pc, bg.rgb() | 0xFF000000u, FDrawHiddenLines, scale);
      return;
    }
  }
  // Any other device (an SVG or PDF file): the cells as vector shapes.
  graph3d::DrawVectorCells(Canvas, graph3d::CollectCells(FModel, graph3d::FromQColor(bg), FDrawHiddenLines),
                           /*pixelCentres=*/true);
}

void TGraph3D::DrawAxisLine(QPainter& Canvas, int Line, Qt::PenStyle Style, bool Erase) {
  graph3d::DrawAxisLine(Canvas, AxisShape(Line), Erase ? Background() : graph3d::ToQColor(FModel.AxesColor()), Style,
                        !RasterPainter(Canvas));
}

void TGraph3D::PaintAxesOn(QPainter& Canvas, bool Visible) {
  for (int i = 0; i < 5; ++i) DrawAxisLine(Canvas, i, Qt::SolidLine, !Visible);
  // The numbers go with their axes, also while the mouse turns them.
  if (FShowScale) DrawScale(Canvas, !Visible);
}

// The preview erases its axes by putting back the pixels they covered: drawn
// again in the background colour, the edges of smoothed label text would
// stay behind.
void TGraph3D::KeepUnderAxes(QPainter& Canvas) {
  FPreviewUnder = QImage();
  if (!FCanvas.isDetached()) return;
  QRect area;
  const QFontMetrics metrics = Canvas.fontMetrics();
  for (const graph3d::TAxisLine& a : graph3d::kAxisLines) {
    const QPoint from = ToQPoint(FModel.Project(a.From)), to = ToQPoint(FModel.Project(a.To));
    area |= QRect(from, to).normalized().adjusted(-1, -1, 1, 1) & rect();
    const QString* label = a.Label == 1 ? &FLabelX : a.Label == 2 ? &FLabelY : a.Label == 3 ? &FLabelZ : nullptr;
    if (label && !label->isEmpty()) {
      const int dx = a.Label == 3 ? 5 : 0;
      area |= metrics.boundingRect(*label).translated(to.x() + dx, to.y() + metrics.ascent()).adjusted(-2, -2, 2, 2) &
              rect();
    }
  }
  if (FShowScale) area |= ScaleArea(metrics).adjusted(-2, -2, 2, 2) & rect();
  const qreal ratio = FCanvas.devicePixelRatio();
  const QRect pixels = QRect(QPoint(int(std::floor(area.left() * ratio)), int(std::floor(area.top() * ratio))),
                             QPoint(int(std::ceil((area.right() + 1) * ratio)) - 1,
                                    int(std::ceil((area.bottom() + 1) * ratio)) - 1)) &
                       FCanvas.rect();
  if (area.isEmpty() || pixels.isEmpty()) return;
  FPreviewUnder = FCanvas.copy(pixels);
  FPreviewAt = pixels.topLeft();
}

bool TGraph3D::PutBackUnderAxes() {
  if (FPreviewUnder.isNull() || !FCanvas.isDetached() || FPreviewUnder.format() != FCanvas.format() ||
      !FCanvas.rect().contains(QRect(FPreviewAt, FPreviewUnder.size())))
    return false;
  const size_t bytes = size_t(FPreviewUnder.width()) * 4;
  for (int y = 0; y < FPreviewUnder.height(); ++y) {
    std::memcpy(FCanvas.scanLine(FPreviewAt.y() + y) + size_t(FPreviewAt.x()) * 4, FPreviewUnder.constScanLine(y),
                bytes);
  }
  FPreviewUnder = QImage();
  return true;
}

void TGraph3D::PaintAxes(bool Visible) {
  OnOwnCanvas([&](QPainter& p) { PaintAxesOn(p, Visible); });
}

void TGraph3D::Redraw(QPainter& Canvas, bool FireAfterDraw) {
  SyncSize();
  Canvas.setRenderHint(QPainter::Antialiasing, false);
  graph3d::TScene scene = SceneHead();
  scene.PixelCentres = !RasterPainter(Canvas);
  graph3d::DrawHead(Canvas, scene);
  FModel.Prepare();
  SceneBody(scene);
  if (FContourMap && !FModel.BuildFailed()) {
    DrawMap(Canvas);
  } else {
    graph3d::DrawBody(Canvas, scene, [this](QPainter& p) { DrawSurface(p); });
    if (FShowScale && scene.Surface) DrawScale(Canvas, false);
  }
  // The closing frame always goes to the control itself.
  if (FShowFrame) OnOwnCanvas([&](QPainter& p) { DrawFrame(p); });
  if (FireAfterDraw && AfterDraw) AfterDraw(this);
}

void TGraph3D::Render(QPainter& Painter, QSize Size) {
  Painter.save();
  if (Size != size() && !size().isEmpty())
    Painter.scale(double(Size.width()) / width(), double(Size.height()) / height());
  Redraw(Painter, false);
  Painter.restore();
}

QImage TGraph3D::CopyToBitmap(TColor /*Color*/) {
  QImage image(size(), QImage::Format_RGB32);
  if (image.isNull()) return image;
  QPainter p(&image);  // keeps the image's default font
  Render(p, size());
  return image;
}

int64_t TGraph3D::VectorCells() {
  Prepare();
  if (FModel.BuildFailed() || FContourMap) return 0;
  return graph3d::DrawnCells(FModel);
}

std::function<bool(QPainter&, TWorkControl&)> TGraph3D::DetachPicture() {
  SyncSize();
  graph3d::TScene scene = SceneHead();
  // What a fresh image's painter writes with, as in CopyToBitmap.
  scene.Font = QFont();
  scene.PixelCentres = true;
  FModel.Prepare();
  SceneBody(scene);
  // The contour map, or the scale over the surface: few shapes, taken now as
  // a recording that is played back with the rest.
  const bool map = FContourMap && scene.Surface;
  auto overlay = std::make_shared<QPicture>();
  if (map || (FShowScale && scene.Surface)) {
    QPainter recording(overlay.get());
    recording.setFont(scene.Font);
    recording.setRenderHint(QPainter::Antialiasing, false);
    if (map) DrawMap(recording);
    else DrawScale(recording, false);
  }
  auto cells = std::make_shared<const graph3d::TVectorCells>(
      scene.Surface && !map ? graph3d::CollectCells(FModel, graph3d::FromQColor(Background()), FDrawHiddenLines)
                            : graph3d::TVectorCells{});
  return [scene, cells, overlay, map](QPainter& painter, TWorkControl& control) {
    painter.setFont(scene.Font);
    painter.setRenderHint(QPainter::Antialiasing, false);
    graph3d::DrawHead(painter, scene);
    bool done = true;
    if (!map) {
      graph3d::DrawBody(painter, scene,
                        [&](QPainter& p) { done = graph3d::DrawVectorCells(p, *cells, scene.PixelCentres, &control); });
    }
    if (!overlay->isNull()) painter.drawPicture(QPoint(0, 0), *overlay);
    return done;
  };
}

void TGraph3D::Prepare() {
  SyncSize();
  FModel.Prepare();
}

bool TGraph3D::PrepareBeforeShowing(TWorkControl& control) {
  SyncSize();
  FModel.Prepare(&control);
  return !control.Stopped();
}

namespace {
int64_t GLargeBuildPoints = 3000000;
}

int64_t TGraph3D::LargeBuildPoints() { return GLargeBuildPoints; }
void TGraph3D::SetLargeBuildPoints(int64_t Points) { GLargeBuildPoints = Points; }

void TGraph3D::CenterGraph() {
  SyncSize();
  FModel.CenterGraph();
  FMapOffset = QPointF();
}

void TGraph3D::ClearPicture() {
  OnOwnCanvas([&](QPainter& p) { ClearBackground(p); });
}

// ------------------------------------------------------------ setters

void TGraph3D::SetShowFrame(bool Value) {
  if (Value == FShowFrame) return;
  FShowFrame = Value;
  OnOwnCanvas([&](QPainter& p) {
    if (Value) DrawFrame(p);
    else EraseFrame(p);
  });
}

void TGraph3D::SetDrawAxes(bool Value) {
  if (Value == FDrawAxes) return;
  FDrawAxes = Value;
  RedrawOwn(true);
}

void TGraph3D::SetDrawHiddenLines(bool Value) {
  if (Value == FDrawHiddenLines) return;
  FDrawHiddenLines = Value;
  if (Value && !FContourMap) OnOwnCanvas([&](QPainter& p) { DrawSurface(p); });
  else RedrawOwn(true);
}

void TGraph3D::SetShaded(bool Value) {
  if (Value == FModel.Shaded()) return;
  FModel.SetShaded(Value);
  RedrawOwn(true);
}

void TGraph3D::SetCaption(const QString& Value) {
  const QString trimmed = TrimCaption(Value);
  if (trimmed == FCaption) return;
  FCaption = trimmed;
  OnOwnCanvas([&](QPainter& p) { DrawCaption(p); });
}

void TGraph3D::SetUseColors(bool Value) {
  if (!FModel.SetUseColors(Value)) return;
  Prepare();
  // The map and the scale's bar show the bands otherwise.
  if (FContourMap || FShowScale) RedrawOwn(true);
  else OnOwnCanvas([&](QPainter& p) { DrawSurface(p); });
}

void TGraph3D::SetWaterLevel(uint8_t Mode, float Percentage) {
  FModel.SetWaterLevel(Mode, Percentage);
  RedrawOwn(true);
}

// --------------------------------------------------------------- mouse

void TGraph3D::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  event->accept();
  if (FMouseControl == mcNone) return;
  FLastMouse = event->position().toPoint();
  FMouseDown = true;
  FPreviewStarted = false;
}

void TGraph3D::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  if (FMouseControl == mcNone || !FMouseDown) return;
  const QPoint pos = event->position().toPoint();
  if (!rect().contains(pos)) {
    // Leaving the control ends the drag at its edge, as a release does.
    MouseRelease();
    return;
  }
  FStopRequested = true;
  const int64_t dx = int64_t(pos.x()) - FLastMouse.x(), dy = int64_t(pos.y()) - FLastMouse.y();
  FLastMouse = pos;
  if (FContourMap) {
    Reported([&] { MapMouseMove(dx, dy); });
    return;
  }
  const int w = width(), h = height();
  Reported([&] { OnOwnCanvas([&](QPainter& p) {
    if (!FPreviewStarted) {
      ClearBackground(p);
      FPreviewStarted = true;
    } else if (!PutBackUnderAxes()) {
      PaintAxesOn(p, false);
    }
    switch (FMouseControl) {
      case mcMove: {
        const TPoint o = FModel.Offset();
        SetOffset({static_cast<int32_t>(std::clamp<int64_t>(o.X + dx, INT32_MIN, INT32_MAX)),
                   static_cast<int32_t>(std::clamp<int64_t>(o.Y + dy, INT32_MIN, INT32_MAX))});
        break;
      }
      case mcRotate:
        if (w > 0 && h > 0) {
          SetTheta(graph3d::RoundCoord(Theta() - double(dx * 180) / w));
          SetPhi(graph3d::RoundCoord(double(dy * 180) / h + Phi()));
          CenterGraph();
        }
        break;
      case mcZoom:
        if (w > 0 && h > 0) {
          const float oldX = ZoomX(), oldY = ZoomY();
          SetZoomX(static_cast<float>(double(dx) / w + oldX));
          SetZoomY(static_cast<float>(oldY - double(dy) / h));
          SyncSize();
          FModel.CalcScale();
          CenterGraph();
        }
        break;
      case mcNone: break;
    }
    KeepUnderAxes(p);
    PaintAxesOn(p, true);
  }); });
}

void TGraph3D::MouseRelease() {
  if (FMouseControl == mcNone || !FMouseDown) return;
  FMouseDown = false;
  FStopRequested = false;
  Reported([this] {
    if (FScrolling) StartScrolling();
    else RedrawOwn(true);
  });
}

void TGraph3D::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  event->accept();
  MouseRelease();
}

void TGraph3D::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  MouseRelease();
}

// ----------------------------------------------------------- animation

void TGraph3D::StartScrolling() {
  const QPointer<TGraph3D> alive(this);
  FScrolling = true;
  FStopRequested = false;
  while (FScrolling && !FStopRequested) {
    SetFirstLine(FScrollIndex);
    SetLastLine(FScrollIndex);
    const QPoint c = CursorPosition ? CursorPosition() : QPoint(0, 0);
    if (c.x() < 0 || c.x() > width() || c.y() < 0 || c.y() > height()) {
      StopScrolling();
      continue;
    }
    QCoreApplication::processEvents();
    if (!alive) return;  // destroyed by a handler run in the pump
    if (FScrollSpeed > 0) QThread::msleep(FScrollSpeed);
    if (FIncrementalScroll) {
      Prepare();
      OnOwnCanvas([&](QPainter& p) {
        if (FirstLine() == 0) {
          ClearBackground(p);
          PaintAxesOn(p, true);
          DrawCaption(p);
        }
        DrawSurface(p);
        DrawFrame(p);
      });
    } else {
      RedrawOwn(false);
    }
    if (OnScroll) OnScroll(this);
    if (!alive) return;
    ++FScrollIndex;
    if (FScrollIndex >= LineCount()) FScrollIndex = 0;  // also when lines went away meanwhile
  }
}

void TGraph3D::StopScrolling() {
  FScrolling = false;
  FStopRequested = false;
  SetFirstLine(0);
  SetLastLine(LineCount() - 1);
  if (OnStopScrolling) OnStopScrolling(this);
}
