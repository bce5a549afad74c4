// The 3D control's contour map: the surface from above, its isolines at the
// bounds of the colour bands and at the water level, in a frame with the
// values of X along the bottom and of Y up the left side.
#include "graph3d/Graph3D.h"

#include "geometry/Isolines.h"
#include "graph3d/Colors.h"
#include "graph3d/Graph3DGrids.h"
#include "graph3d/Graph3DLook.h"
#include "graph3d/Graph3DScale.h"
#include "memory/SystemMemory.h"

#include <QPainter>

#include <cmath>

struct TGraph3D::TMapLines {
  uint64_t Build = 0;
  std::vector<float> Levels;
  std::vector<std::vector<geometry::TSegment>> Lines;
};

namespace {

// The map's lines take at most this share of what a grid may take.
constexpr uint64_t kSegmentBytesShare = 4;
// The water's line: thick, and bluer than the water's faces.
constexpr int kWaterWidth = 3;
const QColor kWaterLine(40, 110, 255);

QPen MapPen(const QColor& color, int width = 1) {
  QPen pen(color, width);
  pen.setCosmetic(true);
  return pen;
}

// The largest rectangle of the given width : height inside the area, centred.
QRect Fit(const QRect& area, double aspect) {
  if (!(aspect >= 0.25 && aspect <= 4)) return area;  // unlike axes: use the room
  int w = area.width(), h = int(std::lround(w / aspect));
  if (h > area.height()) h = area.height(), w = int(std::lround(h * aspect));
  return QRect(area.left() + (area.width() - w) / 2, area.top() + (area.height() - h) / 2, w, h);
}

}  // namespace

void TGraph3D::SetContourMap(bool Value) {
  if (Value == FContourMap) return;
  FContourMap = Value;
  RedrawOwn(true);
}

void TGraph3D::MapMouseMove(int64_t Dx, int64_t Dy) {
  const int w = width(), h = height();
  switch (FMouseControl) {
    case mcMove:
      FMapOffset += QPointF(double(Dx), double(Dy));
      break;
    case mcZoom: {
      if (w <= 0 || h <= 0) return;
      // Across the whole width (or up the whole height) about twelve times as
      // large; about the middle of the map.
      const double zoomX = std::clamp(FMapZoomX * std::exp(2.5 * double(Dx) / w), 0.2, 50.0);
      const double zoomY = std::clamp(FMapZoomY * std::exp(-2.5 * double(Dy) / h), 0.2, 50.0);
      FMapOffset = QPointF(FMapOffset.x() * zoomX / FMapZoomX, FMapOffset.y() * zoomY / FMapZoomY);
      FMapZoomX = zoomX;
      FMapZoomY = zoomY;
      break;
    }
    default:
      return;  // no turning a map
  }
  RedrawOwn(false);
}

void TGraph3D::DrawMap(QPainter& Canvas) {
  const QFontMetrics metrics = Canvas.fontMetrics();
  const QColor axes = graph3d::ToQColor(FModel.AxesColor());
  const auto [x0, x1] = AxisValues(0);
  const auto [y0, y1] = AxisValues(1);
  const bool cells = FModel.TrapezeCount() > 0;

  // Room for the numbers on the left and below, the names, the caption and the bar.
  int yText = metrics.horizontalAdvance(QStringLiteral("-0,000"));
  for (double t : graph3d::NiceTicks(y0, y1, 8)) yText = std::max(yText, metrics.horizontalAdvance(graph3d::ScaleNumber(t)));
  const QRect bar = ScaleBar(metrics, rect());
  const int top = 10 + metrics.height() + (FCaption.isEmpty() ? 0 : metrics.height() + 6);
  QRect area = rect().adjusted(yText + 14, top, -(14 + (bar.isEmpty() ? 0 : bar.width() + 8)),
                               -(2 * metrics.height() + 14));
  if (area.width() < 20 || area.height() < 20) area = rect().adjusted(4, 4, -4, -4);
  const QRect box = Fit(area, std::abs(x1 - x0) / std::abs(y1 - y0));
  // The data's rectangle: the box zoomed about its middle, then moved.
  const QSizeF size(box.width() * FMapZoomX, box.height() * FMapZoomY);
  const QPointF middle = QRectF(box).center() + FMapOffset;
  const QRectF data(middle - QPointF(size.width() / 2, size.height() / 2), size);

  if (cells) {
    // The isolines at the bounds of the bands in index order, each height
    // once (in the colour of its first band), then at the water level.
    std::vector<float> levels;
    std::vector<QColor> colours;
    for (int b = 0; b < 10; ++b) {
      const float level = FModel.Isodose(b).Percentage;
      if (std::find(levels.begin(), levels.end(), level) != levels.end()) continue;
      levels.push_back(level);
      colours.push_back(graph3d::ToQColor(FModel.UseColors() ? FModel.Isodose(b).Color : FModel.DataColor()));
    }
    const bool water = FModel.WaterMode() == 1 || FModel.WaterMode() == 2;
    if (water) levels.push_back(FModel.WaterLevel());
    if (!FMapLines || FMapLines->Build != FModel.BuildCount() || FMapLines->Levels != levels) {
      auto lines = std::make_shared<TMapLines>();
      lines->Build = FModel.BuildCount();
      lines->Levels = levels;
      try {
        lines->Lines = geometry::Isolines(graph3d::TModelGrid(FModel), levels,
                                          memory::MemoryBudget() / kSegmentBytesShare / sizeof(geometry::TSegment));
      } catch (const geometry::ETooManySegments&) {
        throw EGraph3DError("Карта изолиний: не хватает памяти для изолиний этой поверхности");
      } catch (const std::bad_alloc&) {
        throw EGraph3DError("Карта изолиний: не хватает памяти для изолиний этой поверхности");
      }
      FMapLines = std::move(lines);
    }
    Canvas.save();
    Canvas.setClipRect(box, Qt::IntersectClip);
    Canvas.setRenderHint(QPainter::Antialiasing, false);
    auto toScreen = [&](float x, float y) {
      return QPointF(data.left() + x / 100.0 * data.width(), data.bottom() - y / 100.0 * data.height());
    };
    std::vector<QLineF> piece;
    for (size_t k = 0; k < FMapLines->Lines.size(); ++k) {
      const bool waterLine = water && k + 1 == FMapLines->Lines.size();
      Canvas.setPen(waterLine ? MapPen(kWaterLine, kWaterWidth) : MapPen(colours[k]));
      piece.clear();
      for (const geometry::TSegment& s : FMapLines->Lines[k]) {
        piece.emplace_back(toScreen(s.X0, s.Y0), toScreen(s.X1, s.Y1));
        if (piece.size() == 4096) {
          Canvas.drawLines(piece.data(), int(piece.size()));
          piece.clear();
        }
      }
      if (!piece.empty()) Canvas.drawLines(piece.data(), int(piece.size()));
    }
    Canvas.restore();
  }

  // The frame, the numbers of what the box shows, and the axis names.
  Canvas.setPen(MapPen(axes));
  Canvas.setBrush(Qt::NoBrush);
  Canvas.drawRect(box.adjusted(0, 0, -1, -1));
  auto numbers = [&](bool alongX) {
    const double from = alongX ? x0 : y0, to = alongX ? x1 : y1;
    if (!(std::abs(to - from) > 0)) return;
    // The values at the box's two edges.
    const double lo = alongX ? (box.left() - data.left()) / data.width() : (data.bottom() - box.bottom() - 1) / data.height();
    const double hi = alongX ? (box.right() + 1 - data.left()) / data.width() : (data.bottom() - box.top()) / data.height();
    const double v0 = from + (to - from) * lo, v1 = from + (to - from) * hi;
    const int length = alongX ? box.width() : box.height();
    std::vector<double> ticks;
    for (int most = 9; most >= 2; --most) {
      ticks = graph3d::NiceTicks(v0, v1, most);
      int room = 0;
      for (double t : ticks)
        room = std::max(room, alongX ? metrics.horizontalAdvance(graph3d::ScaleNumber(t)) : metrics.height());
      if (ticks.size() < 2 || length * graph3d::TickStep(ticks) / std::abs(v1 - v0) >= room + 10) break;
    }
    int last = alongX ? INT32_MIN : INT32_MAX;  // the edge of the number before
    for (double t : ticks) {
      const double share = (t - from) / (to - from);
      const QString text = graph3d::ScaleNumber(t);
      if (alongX) {
        const int x = int(std::lround(data.left() + share * data.width()));
        if (x < box.left() || x > box.right()) continue;
        Canvas.drawLine(x, box.bottom(), x, box.bottom() + 4);
        const QRect r(x - metrics.horizontalAdvance(text) / 2, box.bottom() + 6, metrics.horizontalAdvance(text),
                      metrics.height());
        if (r.left() <= last + 4) continue;
        Canvas.drawText(r, Qt::AlignCenter, text);
        last = r.right();
      } else {
        const int y = int(std::lround(data.bottom() - share * data.height()));
        if (y < box.top() || y > box.bottom()) continue;
        Canvas.drawLine(box.left() - 4, y, box.left(), y);
        const QRect r(box.left() - 6 - metrics.horizontalAdvance(text), y - metrics.height() / 2,
                      metrics.horizontalAdvance(text), metrics.height());
        if (r.bottom() >= last - 2) continue;
        Canvas.drawText(r, Qt::AlignCenter, text);
        last = r.top();
      }
    }
  };
  numbers(true);
  numbers(false);
  if (!FLabelX.isEmpty())
    Canvas.drawText(QRect(box.right() - 200, box.bottom() + 6 + metrics.height(), 200, metrics.height()),
                    Qt::AlignRight | Qt::AlignVCenter, FLabelX);
  if (!FLabelY.isEmpty())
    Canvas.drawText(QRect(box.left() - 100, box.top() - 4 - metrics.height(), 200, metrics.height()), Qt::AlignCenter,
                    FLabelY);
  DrawScaleBar(Canvas, bar);
}
