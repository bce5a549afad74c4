// The line chart of the plane plot window: curves over two axes that follow
// the data, on a yellow-to-blue gradient inside a raised bevel.
//
// Curve 0 is the current curve, red and 2 pixels wide, which each build
// replaces. The others are kept curves, each in the next colour of
// KeptColour: the current curve kept (KeepCurve) or a curve added whole
// (AddCurve: parametric and polar ones too). As soon as a kept curve exists a
// legend names every curve. The fit of the axes, the double-click view, the
// readout and the pictures take every curve.
//
// The window and the exports talk to this class only; the plotting library
// behind it stays out of their headers.
//
//   Chart1->Clear();                      // curve 0 without points; the chart repaints
//   Chart1->AppendPoints(xs, ys);         // in bulk, xs ascending
//   Chart1->Redraw();                     // axes to the data, then repaint
//   QImage picture = Chart1->Render();    // the whole chart area as on screen
//   Chart1->RenderTo(painter, size);      // the same on any painter (SVG, PDF)
//
// A long curve is better written in place and handed over whole:
//   TChartPoints points(count);           // written by the sampling
//   Chart1->SetPoints(std::move(points));
//   Chart1->SetSource({TCurveKind::Function, u"sin(x)", u"", -200, 200, 1});
//
// Marks at points over the curves (what an analysis found) stay until curve
// 0 changes or ClearMarks, and are left out of Render unless
// SetMarksInExport(true):
//   Chart1->SetMarks({{x, y, TLineChart::TMarkShape::Root}});
#pragma once

#include "plot2d/PlotCurves.h"
#include "plot2d/PlotSampling.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

class QCPGraph;
class QCPLayer;
class QCustomPlot;
class TChartExplorer;
struct TReadoutPoint;

// The most points all the curves of the chart hold together.
inline constexpr int64_t MaxChartPoints = 20'000'000;

// Storage for the points of the chart, written where the chart keeps them:
// handing them over copies nothing, so a long curve is held once. Different
// points may be written from different threads at once.
class TChartPoints final : public TPlotSink {
 public:
  explicit TChartPoints(int64_t count);
  // Whether the storage of count points fits in the memory budget
  // (memory/SystemMemory.h): asked before a build makes it, so that a curve
  // too long for the memory is refused instead of ending the program.
  static bool Fits(int64_t count);
  ~TChartPoints();
  TChartPoints(TChartPoints&&) noexcept;
  TChartPoints& operator=(TChartPoints&&) noexcept;

  int64_t Count() const;
  void Write(int64_t first, std::span<const double> x, std::span<const double> y) override;
  void Hold(int64_t first, int64_t count, double y) override;
  void Cut(int64_t count) override;

 private:
  friend class TLineChart;
  struct TData;
  std::unique_ptr<TData> Data;
};

class TLineChart : public QWidget {
  Q_OBJECT

 public:
  explicit TLineChart(QWidget* parent = nullptr);
  ~TLineChart() override;

  // Removes every point of curve 0, which then has no source, and repaints
  // the chart. Kept curves stay.
  void Clear();
  // Removes every kept curve and every point of curve 0 and repaints.
  void RemoveCurves();
  // Appends the points (x[i], y[i]) to curve 0 after the ones already there;
  // x ascending and not below the last x present. A NaN y leaves a gap in
  // the line. Both spans must have the same length. Does not repaint: call
  // Redraw.
  void AppendPoints(std::span<const double> x, std::span<const double> y);
  // Replaces every point of curve 0 by points, x ascending; does not
  // repaint: call Redraw.
  void SetPoints(TChartPoints&& points);
  // What curve 0 was made of: its name in the legend and its readout.
  void SetSource(const TCurveSource& source);
  // Curve 0 with its points and source becomes a kept curve, drawn in the
  // next kept colour; curve 0 is then empty. Returns the kept curve's index,
  // or -1 when curve 0 has no points (nothing changes). Repaints.
  int KeepCurve();
  // A new kept curve of points made of source: for a function of X the
  // points are in ascending X, otherwise in the order of the parameter
  // (a NaN coordinate: a gap). Returns its index. Does not repaint: call
  // Redraw.
  int AddCurve(const TCurveSource& source, TChartPoints&& points);
  // Fits both axes to the data and repaints. That view is the one a double
  // click brings back after zooming and panning.
  void Redraw();
  // Back to the view of the last Redraw, as a double click does it.
  void RestoreView();
  // One unit as long on X as on Y, through zoom, pan and resizing (off at
  // first). Switching fits the axes to the data anew and repaints.
  void SetEqualScale(bool on);
  bool EqualScale() const;

  // The curves: 0 is the current one. Every index must be below CurveCount.
  int CurveCount() const;
  TCurveKind CurveKind(int curve) const;
  QColor CurveColour(int curve) const;
  // The curve's source, or nullptr when it was given none; and its formulas
  // as the legend names them (FormulaLine; empty without a source).
  const TCurveSource* CurveSource(int curve) const;
  QString CurveName(int curve) const;
  int64_t PointCount(int curve = 0) const;
  double PointX(int64_t index, int curve = 0) const;
  double PointY(int64_t index, int curve = 0) const;
  // The points of every curve together.
  int64_t TotalPointCount() const;
  // A reader of curve 0's points as they are now, for work off the window's
  // thread: reader(first, count, x, y) copies points first .. first + count - 1
  // into x and y. It keeps the points, whatever the chart does meanwhile, and
  // may be called from several threads at once.
  std::function<void(int64_t first, int64_t count, double* x, double* y)> PointsReader() const;
  // The index of curve 0's point whose X is nearest to x; -1 without points.
  int64_t NearestPoint(double x) const;

  // Marks over the curves, drawn above them: one symbol each.
  enum class TMarkShape { Root, Maximum, Minimum, Intersection, Break, Value };
  struct TMark {
    double X, Y;
    TMarkShape Shape;
  };
  // Replaces the marks and repaints.
  void SetMarks(std::span<const TMark> marks);
  // Adds one mark to them and repaints.
  void AddMark(const TMark& mark);
  void ClearMarks();
  int64_t MarkCount() const;
  // Whether Render draws the marks (off at first: a mark belongs to the
  // screen, not to the picture).
  void SetMarksInExport(bool on);

  // Puts the readout on curve 0's point nearest to x, as if the pointer were
  // there, moving the view to it when it is out of sight.
  void ShowReadoutAt(double x);
  // The colours kept curves take in turn; none is red.
  static constexpr int KeptColourCount = 8;
  static QColor KeptColour(int k);
  // The legend's text of each curve shown in it, in its order, and where it
  // sits (an empty rectangle when there is no legend), in the mouse
  // widget's pixels.
  QStringList LegendTexts() const;
  QRect LegendRect() const;

  // The whole chart area (bevel, border, gradient, axes and curve) as drawn on
  // screen, zoomed or not, at the widget's size (one pixel per unit, whatever
  // the screen); without the readout and its marker.
  QImage Render();
  // The same chart drawn with any painter over (0, 0) to size: on an image of
  // the widget's size the picture above, pixel for pixel; on any other device
  // (an SVG or PDF file) or at another size the plotting library draws it
  // anew as lines, fills and text, the curve sampled per pixel column as on
  // screen (a curve of millions of points stays a few thousand).
  void RenderTo(QPainter& painter, QSize size);

  // What the mouse works on, for tests: the widget that takes its events,
  // the readout's text (empty while hidden), the ranges shown, and the
  // mapping between the mouse widget's pixels and the axes' values.
  QWidget* MouseArea() const;
  QString Readout() const;
  struct TView {
    double XLower, XUpper, YLower, YUpper;
    bool operator==(const TView&) const = default;
  };
  TView View() const;
  QPointF ValueAt(QPointF pixel) const;
  QPointF PixelOf(QPointF value) const;
  // Long curves of X are sampled for a repaint side by side, on threads of
  // their own, before it; off, the repaint samples each in turn (for tests:
  // the pictures are the same).
  static void SetSampledAhead(bool on);

 signals:
  // The points of curve 0 were replaced, kept or removed.
  void PointsChanged();

 private:
  struct TCurve;

  QCPGraph* MarkGraph(TMarkShape shape);
  QCPLayer* MarksLayer();

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

  // The readout's point for a pixel of the plot: over every curve, the one
  // nearest to the pointer.
  TReadoutPoint Pick(QPointF pixel) const;
  // The legend's entries and its corner, where it hides the fewest points.
  void UpdateLegend();
  void PlaceLegend();
  // The axes to the data, with equal scale when it is on.
  void Fit();
  // Before a repaint: the long curves in view sampled side by side.
  void PrepareCurves();

  QCustomPlot* Plot;  // a child widget inside the bevel and border
  TChartExplorer* Explorer;
  std::vector<std::unique_ptr<TCurve>> Curves;
  int KeptColours = 0;  // how many kept colours were given since the last wipe
  std::vector<QCPGraph*> Marks;  // by shape, made when first used
  bool MarksInExport = false;
};
