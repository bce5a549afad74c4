// Looking closer at the line chart with the mouse, on the chart library's own
// interactions: the wheel zooms about the pointer (with Ctrl only X, with
// Shift only Y), a left drag pans under the closed hand, a double click
// brings back the view of the last fit to the data. Zooming out stops at
// ZoomOutLimit times that view. While the pointer is over the plot area a
// readout near it tells of the curve's point nearest to the pointer (for
// F(X), the point nearest to the pointer's X), and a marker sits on that
// point. Zooming and panning only redraw the points there are.
//
// With equal scale, a unit is as long on X as on Y whatever the view: a fit
// widens one axis, zoom and pan keep it, and so does a new size of the plot
// area; the wheel then zooms both axes, with Ctrl or Shift too.
#pragma once

#include <QObject>
#include <QPointF>
#include <QRect>
#include <QString>

#include <functional>

class QCPItemText;
class QCPItemTracer;
class QCPLayer;
class QCustomPlot;
class QMouseEvent;
class QWheelEvent;

// The point the readout tells of, found by the chart for the pointer's place.
struct TReadoutPoint {
  bool Found = false;  // false: no curve has a point
  double X = 0, Y = 0;  // where the marker sits; a NaN: no marker
  QString Text;
};

class TChartExplorer : public QObject {
  Q_OBJECT

 public:
  // How far out the view may be zoomed, against the view of the last fit.
  static constexpr double ZoomOutLimit = 10;

  // Explores the curves drawn on plot's main axes; pick finds the point the
  // readout tells of for a pixel of the plot.
  TChartExplorer(QCustomPlot* plot, std::function<TReadoutPoint(QPointF)> pick);

  // Takes the ranges shown now as the view a double click brings back.
  void RememberView();
  // Brings that view back without repainting; false when it was shown.
  bool RestoreView();

  // Equal scale on both axes; Fit widens the ranges fitted to the data so
  // that it holds (no repaint).
  void SetEqualScale(bool on) { EqualScale = on; }
  bool IsEqualScale() const { return EqualScale; }
  void FitEqualScale();
  // Lays the plot out for the ranges set now, as the coming repaint will,
  // and returns the plot area.
  QRect Layout();

  // Hides the readout and its marker, or shows them again where the pointer
  // is (when it is over the plot area and there is a curve); no repaint.
  void HideReadout();
  void UpdateReadout();
  bool ReadoutVisible() const;
  // The readout's text; empty while it is hidden.
  QString ReadoutText() const;
  // Repaints the readout's layer alone.
  void RepaintReadout();
  // Shows the readout as if the pointer were at this pixel of the plot; no
  // repaint.
  void PointAt(double x, double y);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Wheel(QWheelEvent* event);
  void Press(QMouseEvent* event);
  void Move(QMouseEvent* event);
  void Release(QMouseEvent* event);
  void DoubleClick(QMouseEvent* event);
  // Before each repaint: keeps the value taken by the mouse under the
  // pointer when the numbers of the new ranges make the axes wider or
  // narrower and so move the plot area (the chart library zooms and pans on
  // the area as it was), the zoom within its limit and the scales equal.
  void BeforeReplot();
  // Ranges no wider than the limit, and with equal scale alike in scale.
  // True when a range changed.
  bool Limit(const QRect& area, bool holding);

  QCustomPlot* Plot;
  std::function<TReadoutPoint(QPointF)> Pick;
  QCPLayer* Layer;         // the chart's top layer, repainted on its own
  QCPItemTracer* Marker;
  QCPItemText* Label;
  QPointF Pointer;         // the pointer's last place over the chart
  bool PointerInside = false;
  // The value a wheel step or a drag holds under the pointer, and the plot
  // area the chart library zoomed or panned on.
  bool Holding = false;
  bool Dragging = false;
  double HeldX = 0, HeldY = 0;
  QRect HeldArea;
  double ViewXLower = 0, ViewXUpper = 0, ViewYLower = 0, ViewYUpper = 0;
  bool EqualScale = false;
};
