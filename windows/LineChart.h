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
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <span>

class QCustomPlot;

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
  // Fits both axes to the data and repaints.
  void Redraw();

  int64_t PointCount() const;
  double PointX(int64_t index) const;
  double PointY(int64_t index) const;

  // The whole chart area (bevel, border, gradient, axes and curve) as drawn on
  // screen, at the widget's size (one pixel per unit, whatever the screen).
  QImage Render();

 private:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

  QCustomPlot* Plot;  // a child widget inside the bevel and border
};
