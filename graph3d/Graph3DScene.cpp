#include "graph3d/Graph3DScene.h"

#include "graph3d/Colors.h"
#include "graph3d/Graph3DLook.h"
#include "platform/LongWork.h"

#include <QPainter>

namespace graph3d {

QPen LinePen(const QColor& color, Qt::PenStyle style) {
  QPen pen(color, 1, style);
  pen.setCosmetic(true);
  return pen;
}

void ClearBackground(QPainter& painter, QSize size, const QColor& background) {
  painter.setPen(LinePen(background));
  painter.setBrush(QBrush(background, Qt::SolidPattern));
  painter.fillRect(QRect(QPoint(0, 0), size), background);
}

void FramePath(QPainter& painter, QSize size, const QColor& topLeft, const QColor& bottomRight) {
  const int w = size.width(), h = size.height();
  painter.fillRect(QRect(0, 0, 1, h), topLeft);
  painter.fillRect(QRect(0, 0, w, 1), topLeft);
  painter.fillRect(QRect(w - 1, 0, 1, h), bottomRight);
  painter.fillRect(QRect(0, h - 1, w, 1), bottomRight);
}

void DrawCaption(QPainter& painter, const QString& caption, const QColor& color) {
  if (caption.isEmpty()) return;
  painter.setPen(color);
  painter.setBrush(Qt::NoBrush);
  painter.drawText(QPoint(15, 15 + painter.fontMetrics().ascent()), caption);
}

void DrawAxisLine(QPainter& painter, const TAxisShape& axis, const QColor& color, Qt::PenStyle style,
                  bool pixelCentres) {
  painter.setPen(LinePen(color, style));
  painter.setBrush(Qt::NoBrush);
  if (pixelCentres) painter.drawLine(QPointF(axis.From) + QPointF(0.5, 0.5), QPointF(axis.To) + QPointF(0.5, 0.5));
  else painter.drawLine(axis.From, axis.To);
  if (!axis.Label.isEmpty())
    painter.drawText(QPoint(axis.To.x() + axis.LabelDx, axis.To.y() + painter.fontMetrics().ascent()), axis.Label);
  painter.setPen(LinePen(color));
}

void DrawHead(QPainter& painter, const TScene& scene) {
  ClearBackground(painter, scene.Size, scene.Background);
  if (scene.ShowFrame) FramePath(painter, scene.Size, scene.FrameDark, scene.FrameLight);
  DrawCaption(painter, scene.Caption, scene.TextColor);
}

void DrawBody(QPainter& painter, const TScene& scene, const std::function<void(QPainter&)>& surface) {
  if (!scene.Surface) return;
  if (scene.DrawAxes) {
    for (const TAxisShape& axis : scene.Axes)
      if (axis.Behind) DrawAxisLine(painter, axis, scene.AxesColor, Qt::DashLine, scene.PixelCentres);
  }
  surface(painter);
  if (scene.DrawAxes) {
    for (const TAxisShape& axis : scene.Axes)
      if (!axis.Behind) DrawAxisLine(painter, axis, scene.AxesColor, Qt::SolidLine, scene.PixelCentres);
  }
}

namespace {

// Every drawn cell, farthest first: f(point, corners). The order, the share
// drawn (ViewPercentage) and the line range are those of the pixel loop.
template <typename F>
void ForEachDrawnCell(const TGraph3DModel& model, F&& f) {
  const int64_t vpl = model.BuiltValues();
  if (vpl <= 0) return;
  const int64_t from = int64_t(model.FirstLine()) * vpl, to = (int64_t(model.LastLine()) + 1) * vpl;
  const TScreenPair* screen = model.ScreenOffsets();
  const TPoint origin = model.ProjectedOrigin();
  for (int64_t k = model.TrapezeCount() - 1; k >= model.DrawStart(); --k) {
    const uint32_t p = model.CellPoint(k);
    if (int64_t(p) < from || int64_t(p) >= to) continue;
    const TScreenPair &a = screen[p], &b = screen[p + 1];
    const TPoint q[4] = {{origin.X + a.Here.X, origin.Y - a.Here.Y},
                         {origin.X + b.Here.X, origin.Y - b.Here.Y},
                         {origin.X + b.Next.X, origin.Y - b.Next.Y},
                         {origin.X + a.Next.X, origin.Y - a.Next.Y}};
    f(p, q);
  }
}

}  // namespace

TVectorCells CollectCells(const TGraph3DModel& model, TColor background, bool hidden) {
  const TCellLook look(model, background, hidden);
  TVectorCells out;
  out.Filled = look.Filled();
  out.Cells.reserve(size_t(DrawnCells(model)));
  ForEachDrawnCell(model, [&](uint32_t p, const TPoint (&q)[4]) {
    out.Cells.push_back({{q[0], q[1], q[2], q[3]}, look.Pen(p), look.Fill(p)});
  });
  return out;
}

int64_t DrawnCells(const TGraph3DModel& model) {
  int64_t n = 0;
  ForEachDrawnCell(model, [&](uint32_t, const TPoint (&)[4]) { ++n; });
  return n;
}

bool DrawVectorCells(QPainter& painter, const TVectorCells& cells, bool pixelCentres, TWorkControl* control) {
  painter.save();
  painter.setBrush(Qt::NoBrush);
  const double shift = pixelCentres ? 0.5 : 0;
  TColor pen = 0, fill = 0;
  bool penSet = false, fillSet = false;
  const size_t n = cells.Cells.size();
  for (size_t k = 0; k < n; ++k) {
    if (control && (k & 4095) == 0) {
      if (control->Stopped()) {
        painter.restore();
        return false;
      }
      control->SetProgress(double(k) / double(n));
    }
    const TVectorCell& c = cells.Cells[k];
    // Neighbouring cells mostly share their colours: pen and brush change
    // only with them, which keeps the file from repeating every cell's style.
    if (!penSet || c.Pen != pen) {
      painter.setPen(LinePen(ToQColor(c.Pen)));
      pen = c.Pen;
      penSet = true;
    }
    if (cells.Filled && (!fillSet || c.Fill != fill)) {
      painter.setBrush(QBrush(ToQColor(c.Fill), Qt::SolidPattern));
      fill = c.Fill;
      fillSet = true;
    }
    if (pixelCentres) {
      const QPointF q[4] = {{c.Corners[0].X + shift, c.Corners[0].Y + shift},
                            {c.Corners[1].X + shift, c.Corners[1].Y + shift},
                            {c.Corners[2].X + shift, c.Corners[2].Y + shift},
                            {c.Corners[3].X + shift, c.Corners[3].Y + shift}};
      painter.drawPolygon(q, 4);
    } else {
      const QPoint q[4] = {{c.Corners[0].X, c.Corners[0].Y},
                           {c.Corners[1].X, c.Corners[1].Y},
                           {c.Corners[2].X, c.Corners[2].Y},
                           {c.Corners[3].X, c.Corners[3].Y}};
      painter.drawPolygon(q, 4);
    }
  }
  if (control) control->SetProgress(1);
  painter.restore();
  return true;
}

}  // namespace graph3d
