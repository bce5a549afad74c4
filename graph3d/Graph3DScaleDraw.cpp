// The 3D control's value scale: numbers along the three axes, placed beside
// each axis on the side away from the surface, as many as fit without
// touching each other, the axis names or the bar; and the bar of the colour
// bands with the heights each covers.
#include "graph3d/Graph3D.h"

#include "engine/Formula_math.h"
#include "graph3d/Colors.h"
#include "graph3d/Graph3DScale.h"

#include <QPainter>

#include <cmath>

struct TGraph3D::TScaleLayout {
  std::vector<QLine> Ticks;
  std::vector<std::pair<QRect, QString>> Texts;
  QRect Bar;  // empty without the bands
  QRect Area() const {
    QRect area = Bar;
    for (const QLine& t : Ticks) area |= QRect(t.p1(), t.p2()).normalized();
    for (const auto& [box, text] : Texts) area |= box;
    return area;
  }
};

namespace {

// The heights a band covers, in the values of the heights from..to.
QString BandText(const graph3d::TBandSpan& s, double from, double to) {
  if (s.Empty) return QStringLiteral("—");
  auto value = [&](float percent) {
    return graph3d::ScaleNumber(graph3d::RoundForRange(from + (to - from) * percent / 100, to - from));
  };
  return QStringLiteral("от %1 до %2").arg(value(s.From), value(s.To));
}

QPen ScalePen(const QColor& color) {
  QPen pen(color, 1);
  pen.setCosmetic(true);
  return pen;
}

// The point at `percent` along axis 0 (X), 1 (Y) or 2 (heights).
TPoint3D OnAxis(int axis, double percent) {
  const float p = static_cast<float>(percent);
  return axis == 0 ? TPoint3D{p, 0, 0} : axis == 1 ? TPoint3D{0, p, 0} : TPoint3D{0, 0, p};
}

}  // namespace

void TGraph3D::SetShowScale(bool Value) {
  if (Value == FShowScale) return;
  FShowScale = Value;
  RedrawOwn(true);
}

void TGraph3D::SetAxisMap(int Axis, graph3d::TAxisMap Map) {
  if (Axis >= 0 && Axis <= 1) FAxisMap[Axis] = Map;
}

std::pair<double, double> TGraph3D::AxisValues(int Axis) const {
  const TGraph3DModel::TDataRange& r = FModel.DataRange();
  if (Axis == 2) return {r.ZMin, r.ZMax};
  const graph3d::TAxisMap& m = FAxisMap[Axis == 0 ? 0 : 1];
  const double lo = Axis == 0 ? r.XMin : r.YMin, hi = Axis == 0 ? r.XMax : r.YMax;
  return {lo * m.Scale + m.Shift, hi * m.Scale + m.Shift};
}

QRect TGraph3D::ScaleBar(const QFontMetrics& Metrics, QRect Within) const {
  if (!FShowScale || !FModel.UseColors() || FModel.TrapezeCount() == 0) return {};
  const auto [from, to] = AxisValues(2);
  graph3d::TBandSpan spans[10];
  graph3d::BandSpans(FModel, spans);
  int widest = 0;
  for (const graph3d::TBandSpan& s : spans) {
    widest = std::max(widest, Metrics.horizontalAdvance(BandText(s, from, to)));
  }
  const int row = Metrics.height() + 2;
  const QSize size(4 + 14 + 6 + widest + 6, 10 * row + 6);
  return QRect(QPoint(Within.right() - 6 - size.width(), Within.top() + 6), size);
}

void TGraph3D::DrawScaleBar(QPainter& Canvas, const QRect& Bar) {
  if (Bar.isEmpty()) return;
  const QFontMetrics metrics = Canvas.fontMetrics();
  const QColor axes = graph3d::ToQColor(FModel.AxesColor());
  const auto [from, to] = AxisValues(2);
  graph3d::TBandSpan spans[10];
  graph3d::BandSpans(FModel, spans);
  Canvas.fillRect(Bar, Background());
  const int row = metrics.height() + 2;
  // The highest heights on top.
  for (int k = 0; k < 10; ++k) {
    const int b = 9 - k;
    const QRect line(Bar.left() + 4, Bar.top() + 3 + k * row, Bar.width() - 8, row);
    const QRect swatch(line.left(), line.top() + 2, 14, row - 4);
    Canvas.fillRect(swatch, graph3d::ToQColor(FModel.Isodose(b).Color));
    Canvas.setPen(ScalePen(axes));
    Canvas.setBrush(Qt::NoBrush);
    Canvas.drawRect(swatch.adjusted(0, 0, -1, -1));  // a band of the background's colour shows too
    Canvas.drawText(line.adjusted(20, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, BandText(spans[b], from, to));
  }
}

TGraph3D::TScaleLayout TGraph3D::LayoutScale(const QFontMetrics& Metrics) const {
  TScaleLayout layout;
  if (FModel.TrapezeCount() == 0) return layout;
  layout.Bar = ScaleBar(Metrics, rect());
  std::vector<QRect> taken;
  if (!layout.Bar.isEmpty()) taken.push_back(layout.Bar);
  // The axis names, where DrawAxisLine writes them.
  if (FDrawAxes) {
    for (const graph3d::TAxisLine& a : graph3d::kAxisLines) {
      const QString* label = a.Label == 1 ? &FLabelX : a.Label == 2 ? &FLabelY : a.Label == 3 ? &FLabelZ : nullptr;
      if (!label || label->isEmpty()) continue;
      const TPoint to = FModel.Project(a.To);
      const int dx = a.Label == 3 ? 5 : 0;
      taken.push_back(Metrics.boundingRect(*label).translated(to.X + dx, to.Y + Metrics.ascent()).adjusted(-2, -2, 2, 2));
    }
  }
  const TPoint centre = FModel.Project(FModel.Center());
  const QRect client = rect();
  for (const int axis : {2, 0, 1}) {
    const auto [from, to] = AxisValues(axis);
    const TPoint p0 = FModel.Project(OnAxis(axis, 0)), p1 = FModel.Project(OnAxis(axis, 100));
    const double ax = double(p1.X) - p0.X, ay = double(p1.Y) - p0.Y, length = std::hypot(ax, ay);
    if (!(length >= 8) || !(std::abs(to - from) > 0)) continue;
    const double dx = ax / length, dy = ay / length;
    // Across the axis, away from the surface's middle; when the axis runs
    // through it, below (or, upright, to the left).
    double nx = -dy, ny = dx;
    const double away = nx * ((p0.X + p1.X) / 2.0 - centre.X) + ny * ((p0.Y + p1.Y) / 2.0 - centre.Y);
    if (std::abs(away) >= 1 ? away < 0 : (std::abs(ny) > 0.3 ? ny < 0 : nx > 0)) nx = -nx, ny = -ny;
    // As many round numbers as fit along the axis, each with room to spare.
    std::vector<double> ticks;
    std::vector<QString> texts;
    for (int most = 7; most >= 2; --most) {
      ticks = graph3d::NiceTicks(from, to, most);
      texts.clear();
      int w = 0;
      for (double t : ticks) {
        texts.push_back(graph3d::ScaleNumber(t));
        w = std::max(w, Metrics.horizontalAdvance(texts.back()));
      }
      const double along = std::abs(dx) * w + std::abs(dy) * Metrics.height() + 8;
      const double apart = ticks.size() < 2 ? length : length * graph3d::TickStep(ticks) / std::abs(to - from);
      if (apart >= along) break;
      ticks.clear();
    }
    for (size_t k = 0; k < ticks.size(); ++k) {
      const TPoint at = FModel.Project(OnAxis(axis, (ticks[k] - from) / (to - from) * 100));
      const QSize size(Metrics.horizontalAdvance(texts[k]), Metrics.height());
      const double reach = 6 + (std::abs(nx) * size.width() + std::abs(ny) * size.height()) / 2;
      const QPoint middle(int(std::lround(at.X + nx * reach)), int(std::lround(at.Y + ny * reach)));
      const QRect box(middle - QPoint(size.width() / 2, size.height() / 2), size);
      if (!client.contains(box)) continue;
      bool free = true;
      for (const QRect& r : taken) free = free && !r.intersects(box);
      if (!free) continue;
      taken.push_back(box);
      layout.Texts.emplace_back(box, texts[k]);
      layout.Ticks.emplace_back(QPoint(at.X, at.Y), QPoint(int(std::lround(at.X + nx * 4)), int(std::lround(at.Y + ny * 4))));
    }
  }
  return layout;
}

QString graph3d::ScaleNumber(double value) {
  if (value == 0) value = 0;  // no "-0"
  return QString::fromStdU16String(FormatGeneral(static_cast<long double>(value)));
}

QRect TGraph3D::ScaleArea(const QFontMetrics& Metrics) const { return LayoutScale(Metrics).Area(); }

std::vector<std::pair<QRect, QString>> TGraph3D::ScaleTexts(const QFontMetrics& Metrics) const {
  return LayoutScale(Metrics).Texts;
}

void TGraph3D::DrawScale(QPainter& Canvas, bool Erase) {
  const TScaleLayout layout = LayoutScale(Canvas.fontMetrics());
  const QColor color = Erase ? Background() : graph3d::ToQColor(FModel.AxesColor());
  Canvas.setPen(ScalePen(color));
  Canvas.setBrush(Qt::NoBrush);
  for (const QLine& t : layout.Ticks) Canvas.drawLine(t);
  for (const auto& [box, text] : layout.Texts) {
    // On the background's colour, so that a number over the surface reads
    // whatever colour the surface has there.
    Canvas.fillRect(box.adjusted(-1, 0, 1, 0), Background());
    Canvas.drawText(box, Qt::AlignCenter, text);
  }
  if (Erase) Canvas.fillRect(layout.Bar, color);
  else DrawScaleBar(Canvas, layout.Bar);
}
