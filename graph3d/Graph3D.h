// TGraph3D: the self-drawing 3D surface control. It holds TGraphLine objects
// (owned once added), shows them as depth-sorted cells in a parallel
// projection with axes, caption and frame, and turns left-button drags into
// move, rotate and zoom. The geometry lives in TGraph3DModel (Graph3DCore.h).
//
// Drawing: the control keeps a backing image of its own size ("its own
// canvas") at the screen's resolution: the size times the device pixel ratio,
// painted in the control's own coordinates. Setters, the mouse preview and
// ClearPicture draw on it and copy it to the screen; a repaint request
// (update(), resize, first show) runs the full Redraw onto it first.
// Redraw(painter, fire) draws the whole picture on any painter: the backing
// image, an export image or a printer. Lines are one device pixel wide, text
// and frame scale with the screen. Exports (CopyToBitmap) keep one pixel per
// unit of the control's size, whatever the screen.
//
// Errors: operations throw EGraph3DError. A build that fails inside a paint
// is reported once, right after the paint, by throwing it from a queued call
// (the application's general error report catches it); until lines are added
// or cleared, later paints show background, frame and caption only.
#pragma once

#include "graph3d/Graph3DCore.h"
#include "graph3d/Graph3DGrids.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <exception>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QFontMetrics;
class QPainter;
class TWorkControl;

namespace graph3d {
struct TScene;
struct TAxisShape;
}  // namespace graph3d

enum TMouseControl { mcNone = 0, mcMove = 1, mcRotate = 2, mcZoom = 3 };

class TGraph3D;
using TNotifyEvent = std::function<void(TGraph3D* Sender)>;

class TGraph3D : public QWidget {
  Q_OBJECT

 public:
  explicit TGraph3D(QWidget* Owner = nullptr);
  ~TGraph3D() override;

  // ---- lines (the control owns what it is given)
  TGraphLine* AddLine(std::unique_ptr<TGraphLine>&& Line);
  int32_t LineCount() const { return FModel.LineCount(); }
  int32_t ValuesPerLine() const { return FModel.ValuesPerLine(); }
  void ClearLines();
  void ClearTrapezes() { FModel.ClearTrapezes(); }
  void ClearData();
  // The geometry, for reading (cells, centre, eye point, flags).
  const TGraph3DModel& Model() const { return FModel; }
  bool BuildFailed() const { return FModel.BuildFailed(); }

  // ---- view (no redraw)
  int Theta() const { return FModel.Theta(); }
  void SetTheta(int Value) { FModel.SetTheta(Value); }
  int Phi() const { return FModel.Phi(); }
  void SetPhi(int Value) { FModel.SetPhi(Value); }
  float ZoomX() const { return FModel.ZoomX(); }
  void SetZoomX(float Value) { FModel.SetZoomX(Value); }
  float ZoomY() const { return FModel.ZoomY(); }
  void SetZoomY(float Value) { FModel.SetZoomY(Value); }
  int ViewPercentage() const { return FModel.ViewPercentage(); }
  void SetViewPercentage(int Value) { FModel.SetViewPercentage(Value); }
  int32_t FirstLine() const { return FModel.FirstLine(); }
  void SetFirstLine(int32_t Value) { FModel.SetFirstLine(Value); }
  int32_t LastLine() const { return FModel.LastLine(); }
  void SetLastLine(int32_t Value) { FModel.SetLastLine(Value); }
  TPoint Offset() const { return FModel.Offset(); }
  TPoint Origin() const { return FModel.Origin(); }

  // ---- drawing switches and texts
  bool ShowFrame() const { return FShowFrame; }
  void SetShowFrame(bool Value);  // frame drawn or erased at once
  bool DrawAxes() const { return FDrawAxes; }
  void SetDrawAxes(bool Value);  // full redraw
  bool DrawHiddenLines() const { return FDrawHiddenLines; }
  void SetDrawHiddenLines(bool Value);  // on: surface painted over; off: full redraw
  // Cells filled in their colour lit from the viewer's side (Graph3DLook.h);
  // off at start. Full redraw.
  bool Shaded() const { return FModel.Shaded(); }
  void SetShaded(bool Value);

  // ---- the value scale (Graph3DScaleDraw.cpp)
  // Numbers on the three axes, drawn as the axes are drawn (they turn, move
  // and zoom with them, also in the mouse's preview), and with the bands on a
  // bar of the bands and the heights they cover; off at start. Full redraw.
  bool ShowScale() const { return FShowScale; }
  void SetShowScale(bool Value);
  // How the ground positions of the lines (TGraphLine::GetX, GetY) give the
  // values the axes show for X (axis 0) and Y (axis 1): by default the
  // positions themselves; a user whose lines lie at grid indices (the
  // built-in surface, a formula's grid) sets the map to its own values.
  // The scale, the map and the mesh files show the mapped values.
  void SetAxisMap(int Axis, graph3d::TAxisMap Map);
  graph3d::TAxisMap AxisMap(int Axis) const { return Axis >= 0 && Axis <= 1 ? FAxisMap[Axis] : graph3d::TAxisMap(); }
  // The values at percent 0 and 100 of axis 0 (X), 1 (Y) or 2 (heights).
  std::pair<double, double> AxisValues(int Axis) const;
  // The numbers the scale writes for a painter of this font, each with its
  // box, as the next picture would show them (after Prepare).
  std::vector<std::pair<QRect, QString>> ScaleTexts(const QFontMetrics& Metrics) const;

  // ---- the contour map (Graph3DMap.cpp)
  // The surface seen from above as a flat map: isolines at the bounds of the
  // ten bands, the water level as a thick blue line, X to the right and Y up
  // with numbers on both. Moving and zooming by the mouse work on the map,
  // which keeps its own view; rotation does nothing while it shows, and the
  // 3D view is as it was when it is switched off. Full redraw.
  bool ContourMap() const { return FContourMap; }
  void SetContourMap(bool Value);
  QString Caption() const { return FCaption; }
  void SetCaption(const QString& Value);  // trimmed, written at once
  QString LabelX() const { return FLabelX; }
  void SetLabelX(const QString& Value) { FLabelX = Value; }
  QString LabelY() const { return FLabelY; }
  void SetLabelY(const QString& Value) { FLabelY = Value; }
  QString LabelZ() const { return FLabelZ; }
  void SetLabelZ(const QString& Value) { FLabelZ = Value; }
  TColor AxesColor() const { return FModel.AxesColor(); }
  void SetAxesColor(TColor Value) { FModel.SetAxesColor(Value); }
  // The background: the palette's window colour, inherited from the parent
  // until set here. Font: QWidget::setFont, which redraws.
  TColor Color() const;
  void SetColor(TColor Value);

  // ---- colour bands and water level
  TColor DataColor() const { return FModel.DataColor(); }
  void SetDataColor(TColor Value) { FModel.SetDataColor(Value); }
  bool UseColors() const { return FModel.UseColors(); }
  void SetUseColors(bool Value);  // repaints the cells at once
  const TIsodose& Isodose(int Index) const { return FModel.Isodose(Index); }
  void SetIsodose(int Index, TColor Color, float Percentage) { FModel.SetIsodose(Index, Color, Percentage); }
  int WaterMode() const { return FModel.WaterMode(); }
  float WaterLevel() const { return FModel.WaterLevel(); }
  void SetWaterLevel(uint8_t Mode, float Percentage);  // full redraw

  // ---- mouse and line animation
  TMouseControl MouseControl() const { return FMouseControl; }
  void SetMouseControl(TMouseControl Value) { FMouseControl = Value; }
  int32_t ScrollIndex() const { return FScrollIndex; }
  uint8_t ScrollSpeed() const { return FScrollSpeed; }
  void SetScrollSpeed(uint8_t Value) { FScrollSpeed = Value; }
  bool IncrementalScroll() const { return FIncrementalScroll; }
  void SetIncrementalScroll(bool Value) { FIncrementalScroll = Value; }
  bool Scrolling() const { return FScrolling; }
  // Runs the animation; returns when it is stopped.
  void StartScrolling();
  // Ends the animation and restores the full line range; no redraw.
  void StopScrolling();
  // Where the mouse cursor is, in client coordinates (the animation stops when
  // it leaves the control). Replaceable for tests; by default QCursor::pos().
  std::function<QPoint()> CursorPosition;

  // ---- events
  TNotifyEvent AfterDraw;        // after a full redraw of the control itself
  TNotifyEvent OnScroll;         // after each animation step
  TNotifyEvent OnStopScrolling;  // when the animation stops

  // ---- operations
  TPoint Project(const TPoint3D& P) const { return FModel.Project(P); }
  void SetOffset(TPoint P) { FModel.SetOffset(P); }
  void CenterGraph();
  void ClearPicture();
  // The whole picture on any painter, sized as the control.
  void Redraw(QPainter& Canvas, bool FireAfterDraw);
  // The picture for an export, scaled to size: into pixels on an image, as
  // vector shapes on an SVG or PDF painter. AfterDraw is not fired.
  void Render(QPainter& Painter, QSize Size);
  // How many cells a vector picture holds now.
  int64_t VectorCells();
  // A copy of the picture as it is now, drawn later as vector shapes on any
  // painter and any thread without the control: for a long file written off
  // the window's thread. The drawing returns false when the control stops it.
  std::function<bool(QPainter&, TWorkControl&)> DetachPicture();
  // A new image holding the picture, of the control's size in pixels (not the
  // screen's resolution); the caller owns it. Color is accepted
  // for callers that pass one; an image has no lasting brush to give it to.
  QImage CopyToBitmap(TColor Color);
  void Prepare();
  // For a control not shown yet, holding its lines and sized as it will be
  // shown: all that its first redraw would compute, done now, on whatever
  // thread runs it while nothing else touches the control (long work). False
  // when control asked it to stop: the first redraw then does it all.
  bool PrepareBeforeShowing(TWorkControl& control);
  // From how many grid points a build counts as large (about 0.3 s on a
  // small machine), worth long work of its own; tests lower it.
  static int64_t LargeBuildPoints();
  static void SetLargeBuildPoints(int64_t Points);
  // A surface of equal heights is a plane at half height (a formula's
  // surface), instead of the build's "no range".
  void SetFlatAllowed(bool Allowed) { FModel.SetFlatAllowed(Allowed); }
  void PaintAxes(bool Visible);
  // The control's own canvas as last drawn, at the screen's resolution (its
  // devicePixelRatio() tells how many pixels a unit of the control's size has).
  const QImage& Picture() const { return FCanvas; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  QColor Background() const;
  void SyncSize();
  bool CanvasFits() const;
  void EnsureCanvas();
  // Runs draw(painter) on the own canvas, then copies it to the screen.
  // Nested calls share one painter and one copy.
  void OnOwnCanvas(const std::function<void(QPainter&)>& draw);
  void CopyToScreen();
  void RedrawOwn(bool FireAfterDraw);
  void ReportLater(std::exception_ptr Error);

  void ClearBackground(QPainter& Canvas);
  // What a picture shows besides the cells: background, frame, caption, then
  // (once the model is prepared) the axes.
  graph3d::TScene SceneHead() const;
  void SceneBody(graph3d::TScene& scene) const;
  graph3d::TAxisShape AxisShape(int Line) const;
  void DrawFrame(QPainter& Canvas);
  void EraseFrame(QPainter& Canvas);
  void DrawCaption(QPainter& Canvas);
  void DrawSurface(QPainter& Canvas);
  void PaintAxesOn(QPainter& Canvas, bool Visible);
  void DrawAxisLine(QPainter& Canvas, int Line, Qt::PenStyle Style, bool Erase);
  void KeepUnderAxes(QPainter& Canvas);
  // The scale: its layout for the painter's font, and its drawing.
  struct TScaleLayout;
  TScaleLayout LayoutScale(const QFontMetrics& Metrics) const;
  QRect ScaleArea(const QFontMetrics& Metrics) const;  // all the scale covers
  void DrawScale(QPainter& Canvas, bool Erase);
  QRect ScaleBar(const QFontMetrics& Metrics, QRect Within) const;
  void DrawScaleBar(QPainter& Canvas, const QRect& Bar);
  // The map.
  void DrawMap(QPainter& Canvas);
  void MapMouseMove(int64_t Dx, int64_t Dy);
  bool PutBackUnderAxes();  // false when nothing was kept
  void MouseRelease();

  TGraph3DModel FModel;
  QImage FCanvas;
  QPainter* FOwnPainter = nullptr;
  bool FInPaint = false;
  bool FCopyOnly = false;

  bool FShowFrame = true;
  bool FDrawAxes = true;
  bool FDrawHiddenLines = true;
  QString FCaption;
  QString FLabelX, FLabelY, FLabelZ;

  bool FShowScale = false;
  graph3d::TAxisMap FAxisMap[2];

  bool FContourMap = false;
  double FMapZoomX = 1, FMapZoomY = 1;
  QPointF FMapOffset;
  // The isolines last computed for the map, and what they were computed for.
  struct TMapLines;
  std::shared_ptr<TMapLines> FMapLines;

  TMouseControl FMouseControl = mcNone;
  QPoint FLastMouse;
  bool FMouseDown = false;
  bool FPreviewStarted = false;
  QImage FPreviewUnder;  // the own canvas's pixels under the preview's axes
  QPoint FPreviewAt;
  bool FScrolling = false;
  bool FStopRequested = false;
  int32_t FScrollIndex = 0;
  uint8_t FScrollSpeed = 0;
  bool FIncrementalScroll = true;
};
