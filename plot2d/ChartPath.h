// A curve drawn in the order of its points, not of its X (a parametric or a
// polar curve), for the line chart. Its points are kept as the chart keeps a
// graph's (X, Y), 16 bytes each; a NaN coordinate is a gap in the line.
//
// A dense curve is drawn as the pixels it covers: points that stay within a
// pixel of the last point drawn, and lines wholly outside the plot area, are
// left out, so a million points draw as fast as the few thousand lines the
// eye can tell apart.
#pragma once

#include <qcustomplot.h>

// A curve's mark in the legend: a short line of its pen, edged in grey so
// that a light colour shows on the legend's white too.
void DrawLegendLine(QCPPainter* painter, const QRectF& rect, const QPen& pen);

class TChartPath : public QCPAbstractPlottable {
 public:
  TChartPath(QCPAxis* keyAxis, QCPAxis* valueAxis);

  // Takes the points (shared, not copied) and measures their extent.
  void SetPoints(QVector<QCPGraphData> points);
  const QVector<QCPGraphData>& Points() const { return FPoints; }

  // The curve takes no part in finding what is under the pointer: the chart
  // looks for the nearest point itself.
  double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }
  QCPRange getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
  QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                         const QCPRange& inKeyRange = QCPRange()) const override;

 protected:
  void draw(QCPPainter* painter) override;
  void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

 private:
  QCPRange Extent(bool x, bool& found, QCP::SignDomain domain) const;

  QVector<QCPGraphData> FPoints;
  bool FFound = false;
  QCPRange FKeys, FValues;  // the extent of the points with both coordinates
};
