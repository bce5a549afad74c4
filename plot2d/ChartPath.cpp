#include "plot2d/ChartPath.h"

#include <cmath>

namespace {

// Where a point lies against the clip rectangle: one bit per side beyond.
int Outcode(const QPointF& p, const QRectF& r) {
  return (p.x() < r.left() ? 1 : 0) | (p.x() > r.right() ? 2 : 0) | (p.y() < r.top() ? 4 : 0) |
         (p.y() > r.bottom() ? 8 : 0);
}

// Cuts the line a-b to the rectangle (Liang and Barsky); false when nothing
// of it is inside. Far-away ends would overflow the painter's coordinates.
bool ClipLine(QPointF& a, QPointF& b, const QRectF& r) {
  const double dx = b.x() - a.x(), dy = b.y() - a.y();
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) {
      if (t > t1) return false;
      if (t > t0) t0 = t;
    } else {
      if (t < t0) return false;
      if (t < t1) t1 = t;
    }
  }
  const QPointF from = a;
  if (t1 < 1) b = QPointF(from.x() + t1 * dx, from.y() + t1 * dy);
  if (t0 > 0) a = QPointF(from.x() + t0 * dx, from.y() + t0 * dy);
  return true;
}

}  // namespace

TChartPath::TChartPath(QCPAxis* keyAxis, QCPAxis* valueAxis) : QCPAbstractPlottable(keyAxis, valueAxis) {}

void TChartPath::SetPoints(QVector<QCPGraphData> points) {
  FPoints = std::move(points);
  FFound = false;
  double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  for (const QCPGraphData& p : std::as_const(FPoints)) {
    if (std::isnan(p.key) || std::isnan(p.value)) continue;
    if (!FFound) {
      x0 = x1 = p.key;
      y0 = y1 = p.value;
      FFound = true;
      continue;
    }
    x0 = std::min(x0, p.key);
    x1 = std::max(x1, p.key);
    y0 = std::min(y0, p.value);
    y1 = std::max(y1, p.value);
  }
  FKeys = QCPRange(x0, x1);
  FValues = QCPRange(y0, y1);
}

QCPRange TChartPath::Extent(bool x, bool& found, QCP::SignDomain domain) const {
  if (domain == QCP::sdBoth) {
    found = FFound;
    return x ? FKeys : FValues;
  }
  // Only the points on one side of zero (a logarithmic axis asks so).
  found = false;
  QCPRange range;
  for (const QCPGraphData& p : FPoints) {
    const double v = x ? p.key : p.value;
    if (std::isnan(p.key) || std::isnan(p.value) || (domain == QCP::sdPositive ? v <= 0 : v >= 0)) continue;
    if (!found) range = QCPRange(v, v);
    range.expand(v);
    found = true;
  }
  return range;
}

QCPRange TChartPath::getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain) const {
  return Extent(true, foundRange, inSignDomain);
}

QCPRange TChartPath::getValueRange(bool& foundRange, QCP::SignDomain inSignDomain, const QCPRange&) const {
  return Extent(false, foundRange, inSignDomain);
}

void TChartPath::draw(QCPPainter* painter) {
  QCPAxis* const xAxis = keyAxis();
  QCPAxis* const yAxis = valueAxis();
  if (!xAxis || !yAxis || FPoints.isEmpty()) return;
  // The axes are linear: each maps a value by one product and one sum, taken
  // about the range shown so that far-away values keep their precision.
  const double x0 = xAxis->range().lower, y0 = yAxis->range().lower;
  const double px0 = xAxis->coordToPixel(x0), py0 = yAxis->coordToPixel(y0);
  const double sx = (xAxis->coordToPixel(xAxis->range().upper) - px0) / xAxis->range().size();
  const double sy = (yAxis->coordToPixel(yAxis->range().upper) - py0) / yAxis->range().size();
  // The plot area and the width of the pen around it.
  const double margin = std::max(2.0, pen().widthF() * 2);
  const QRectF clip = QRectF(clipRect()).adjusted(-margin, -margin, margin, margin);

  painter->setPen(pen());
  painter->setBrush(Qt::NoBrush);
  QVector<QLineF> lines;
  lines.reserve(4096);
  const auto flush = [&] {
    if (!lines.isEmpty()) painter->drawLines(lines);
    lines.clear();
  };
  bool have = false;  // a point before this one, with no gap between
  QPointF from;       // where the next line starts: the last point drawn to, or skipped beyond the area
  QPointF last;       // the point before this one
  int fromCode = 0;
  for (const QCPGraphData& d : FPoints) {
    if (std::isnan(d.key) || std::isnan(d.value)) {
      if (have && last != from) {
        QPointF a = from, b = last;
        if (ClipLine(a, b, clip)) lines.append(QLineF(a, b));
      }
      have = false;
      continue;
    }
    const QPointF p(px0 + (d.key - x0) * sx, py0 + (d.value - y0) * sy);
    const int code = Outcode(p, clip);
    if (!have) {
      from = last = p;
      fromCode = code;
      have = true;
      continue;
    }
    last = p;
    if (code & fromCode) {
      // The line from `from` lies wholly beyond one side: nothing to draw,
      // the next one starts here.
      from = p;
      fromCode = code;
      continue;
    }
    if (std::fabs(p.x() - from.x()) < 0.75 && std::fabs(p.y() - from.y()) < 0.75) continue;
    QPointF a = from, b = p;
    if (fromCode == 0 && code == 0) {
      lines.append(QLineF(a, b));
    } else if (ClipLine(a, b, clip)) {
      lines.append(QLineF(a, b));
    }
    from = p;
    fromCode = code;
    if (lines.size() >= 4096) flush();
  }
  if (have && last != from) {
    QPointF a = from, b = last;
    if (ClipLine(a, b, clip)) lines.append(QLineF(a, b));
  }
  flush();
}

void DrawLegendLine(QCPPainter* painter, const QRectF& rect, const QPen& pen) {
  const QLineF line(rect.left(), rect.center().y(), rect.right(), rect.center().y());
  QPen edge(QColor(0x80, 0x80, 0x80), pen.widthF() + 2);
  edge.setCapStyle(Qt::FlatCap);
  painter->setPen(edge);
  painter->drawLine(line);
  QPen inner = pen;
  inner.setCapStyle(Qt::FlatCap);
  painter->setPen(inner);
  painter->drawLine(line.p1() + QPointF(1, 0), line.p2() - QPointF(1, 0));
}

void TChartPath::drawLegendIcon(QCPPainter* painter, const QRectF& rect) const { DrawLegendLine(painter, rect, pen()); }
