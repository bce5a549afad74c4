// The line chart of the plane plot window: one line series F(X) over two axes
// that follow the data, on a yellow-to-blue gradient inside a raised bevel.
//
// The window and the exports talk to this class only; the plotting library
// behind it stays out of their headers.
//
//   Chart1->Clear();                      // no points; the chart repaints
//   Chart1->AppendPoints(xs, ys);         // in bulk, xs ascending
//   Chart1->Redraw();                     // axes to the data, then repaint
//   QImage picture = Chart1->Render();    // the whole chart area as on screen
//
// A long curve is better written in place and handed over whole:
//   TChartPoints points(count);           // written by the sampling
//   Chart1->SetPoints(std::move(points));
//
// Marks at points over the curve (what an analysis found) stay until Clear
// or ClearMarks, and are left out of Render unless SetMarksInExport(true):
//   Chart1->SetMarks({{x, y, TLineChart::TMarkShape::Root}});
#pragma once

#include "plot2d/PlotSampling.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

class QCPGraph;
class QCPLayer;
class QCustomPlot;
class TChartExplorer;

// Storage for the points of the chart, written where the chart keeps them:
// handing them over copies nothing, so a long curve is held once. Different
// points may be written from different threads at once.
class TChartPoints final : public TPlotSink {
 public:
  explicit TChartPoints(int64_t count);
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

  // Removes every point of the series and repaints the chart.
  void Clear();
  // Appends the points (x[i], y[i]) after the ones already there; x ascending
  // and not below the last x present. A NaN y leaves a gap in the line.
  // Both spans must have the same length. Does not repaint: call Redraw.
  void AppendPoints(std::span<const double> x, std::span<const double> y);
  // Replaces every point of the series by points, x ascending; does not
  // repaint: call Redraw.
  void SetPoints(TChartPoints&& points);
  // Fits both axes to the data and repaints. That view is the one a double
  // click brings back after zooming and panning.
  void Redraw();
  // Back to the view of the last Redraw, as a double click does it.
  void RestoreView();

  int64_t PointCount() const;
  double PointX(int64_t index) const;
  double PointY(int64_t index) const;
  // Copies points first .. first + count - 1 into x and y; may be called
  // from other threads at once while the points do not change.
  void CopyPoints(int64_t first, int64_t count, double* x, double* y) const;
  // The index of the point whose X is nearest to x; -1 without points.
  int64_t NearestPoint(double x) const;

  // Marks over the curve, drawn above it: one symbol each.
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

  // Puts the readout on the curve's point nearest to x, as if the pointer
  // were there, moving the view to it when it is out of sight.
  void ShowReadoutAt(double x);

  // The whole chart area (bevel, border, gradient, axes and curve) as drawn on
  // screen, zoomed or not, at the widget's size (one pixel per unit, whatever
  // the screen); without the readout and its marker.
  QImage Render();

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

 signals:
  // The points were replaced or removed (Clear, SetPoints, AppendPoints).
  void PointsChanged();

 private:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

  QCPGraph* MarkGraph(TMarkShape shape);
  QCPLayer* MarksLayer();

  QCustomPlot* Plot;  // a child widget inside the bevel and border
  TChartExplorer* Explorer;
  std::vector<QCPGraph*> Marks;  // by shape, made when first used
  bool MarksInExport = false;
};
