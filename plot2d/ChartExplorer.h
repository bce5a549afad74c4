// Looking closer at the line chart with the mouse, on the chart library's own
// interactions: the wheel zooms about the pointer (with Ctrl only X, with
// Shift only Y), a left drag pans, a double click brings back the view of the
// last fit to the data. While the pointer is over the plot area a readout
// near it gives the curve's point nearest to the pointer's X,
// "X = …; F(X) = …" in the general number format, and a marker sits on that
// point. Zooming and panning only redraw the points there are.
#pragma once

#include <QObject>
#include <QPointF>
#include <QRect>
#include <QString>

class QCPGraph;
class QCPItemText;
class QCPItemTracer;
class QCPLayer;
class QCustomPlot;
class QMouseEvent;
class QWheelEvent;

class TChartExplorer : public QObject {
  Q_OBJECT

 public:
  // Explores graph, drawn on plot's main axes.
  TChartExplorer(QCustomPlot* plot, QCPGraph* graph);

  // Takes the ranges shown now as the view a double click brings back.
  void RememberView();
  // Brings that view back without repainting; false when it was shown.
  bool RestoreView();

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
  // Keeps the value taken by the mouse under the pointer when the numbers
  // of the new ranges make the axes wider or narrower and so move the plot
  // area; the chart library zooms and pans on the area as it was.
  void HoldUnderPointer();

  QCustomPlot* Plot;
  QCPGraph* Graph;
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
};
