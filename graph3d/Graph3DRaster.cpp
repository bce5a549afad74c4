#include "Graph3DRaster.h"

#include <algorithm>
#include <cmath>

namespace graph3d {

void TPixelCanvas::Clip(int left, int top, int right, int bottom) {
  ClipLeft = std::clamp(std::max(ClipLeft, left), 0, Width);
  ClipTop = std::clamp(std::max(ClipTop, top), 0, Height);
  ClipRight = std::clamp(std::min(ClipRight, right), ClipLeft, Width);
  ClipBottom = std::clamp(std::min(ClipBottom, bottom), ClipTop, Height);
}

namespace {

// Pixels k = 0..major of a run from (x0, y0), the minor coordinate moving by
// round(k × minor / major), halves towards the start. Only the part whose
// major coordinate lies inside the clip rectangle is walked.
template <bool XMajor>
void WalkRun(TPixelCanvas& c, int64_t x0, int64_t y0, int64_t dx, int64_t dy, uint32_t pixel) {
  const int64_t major = XMajor ? std::abs(dx) : std::abs(dy);
  const int64_t minor = XMajor ? std::abs(dy) : std::abs(dx);
  const int64_t sMajor = (XMajor ? dx : dy) < 0 ? -1 : 1;
  const int64_t sMinor = (XMajor ? dy : dx) < 0 ? -1 : 1;
  const int64_t start = XMajor ? x0 : y0;
  const int64_t lo = XMajor ? c.ClipLeft : c.ClipTop, hi = XMajor ? c.ClipRight : c.ClipBottom;
  // k range whose major coordinate start + sMajor × k lies in [lo, hi)
  int64_t k0, k1;
  if (sMajor > 0) {
    k0 = lo - start;
    k1 = hi - 1 - start;
  } else {
    k0 = start - (hi - 1);
    k1 = start - lo;
  }
  k0 = std::max<int64_t>(k0, 0);
  k1 = std::min<int64_t>(k1, major);
  if (k0 > k1) return;
  const int64_t den = 2 * major;
  // minor offset = round(k × minor / major), halves towards the start:
  // num / den; the product may pass 2^63 on far-off corners
  const __int128 num = __int128(2) * k0 * minor + major - 1;
  int64_t m = (XMajor ? y0 : x0) + sMinor * int64_t(num / den);
  int64_t rem = int64_t(num % den);
  int64_t p = start + sMajor * k0;
  const int64_t mlo = XMajor ? c.ClipTop : c.ClipLeft, mhi = XMajor ? c.ClipBottom : c.ClipRight;
  for (int64_t k = k0; k <= k1; ++k) {
    if (m >= mlo && m < mhi) {
      if constexpr (XMajor) c.At(int(p), int(m)) = pixel;
      else c.At(int(m), int(p)) = pixel;
    }
    p += sMajor;
    rem += 2 * minor;
    if (rem >= den) {
      rem -= den;
      m += sMinor;
    }
  }
}

}  // namespace

void DrawSegment(TPixelCanvas& c, TPoint a, TPoint b, uint32_t pixel) {
  const int64_t dx = int64_t(b.X) - a.X, dy = int64_t(b.Y) - a.Y;
  if (dx == 0 && dy == 0) {
    if (a.X >= c.ClipLeft && a.X < c.ClipRight && a.Y >= c.ClipTop && a.Y < c.ClipBottom) c.At(a.X, a.Y) = pixel;
    return;
  }
  if (std::abs(dx) >= std::abs(dy)) WalkRun<true>(c, a.X, a.Y, dx, dy, pixel);
  else WalkRun<false>(c, a.X, a.Y, dx, dy, pixel);
}

void FillQuad(TPixelCanvas& c, const TPoint (&q)[4], uint32_t pixel) {
  int minY = q[0].Y, maxY = q[0].Y;
  for (int i = 1; i < 4; ++i) minY = std::min(minY, q[i].Y), maxY = std::max(maxY, q[i].Y);
  // rows whose centre y + 0.5 lies in [minY, maxY)
  const int y0 = std::max(minY, c.ClipTop), y1 = std::min(maxY - 1, c.ClipBottom - 1);
  for (int y = y0; y <= y1; ++y) {
    const double yc = y + 0.5;
    double xs[4];
    int n = 0;
    for (int i = 0; i < 4; ++i) {
      const TPoint& a = q[i];
      const TPoint& b = q[(i + 1) & 3];
      if ((a.Y < yc) != (b.Y < yc)) xs[n++] = a.X + (yc - a.Y) * (double(b.X) - a.X) / (double(b.Y) - a.Y);
    }
    for (int i = 1; i < n; ++i)  // at most four crossings
      for (int j = i; j > 0 && xs[j] < xs[j - 1]; --j) std::swap(xs[j], xs[j - 1]);
    for (int i = 0; i + 1 < n; i += 2) {
      // pixels whose centre x + 0.5 lies in [xs[i], xs[i + 1])
      const double from = std::ceil(xs[i] - 0.5), to = std::ceil(xs[i + 1] - 0.5);
      const int x0 = int(std::max<double>(from, c.ClipLeft)), x1 = int(std::min<double>(to, c.ClipRight));
      if (x0 < x1) std::fill(&c.At(x0, y), &c.At(x0, y) + (x1 - x0), pixel);
    }
  }
}

namespace {

void DrawLargeCell(TPixelCanvas& c, const TPoint (&q)[4], uint32_t pen, uint32_t fill, bool filled) {
  if (filled) FillQuad(c, q, fill);
  for (int i = 0; i < 4; ++i) DrawSegment(c, q[i], q[(i + 1) & 3], pen);
}

// Inlined into the surface loop: most cells of a dense grid end in the small-cell branch.
inline void DrawCellInline(TPixelCanvas& c, const TPoint (&q)[4], uint32_t pen, uint32_t fill, bool filled) {
  int minX = q[0].X, maxX = q[0].X, minY = q[0].Y, maxY = q[0].Y;
  for (int i = 1; i < 4; ++i) {
    minX = std::min(minX, q[i].X), maxX = std::max(maxX, q[i].X);
    minY = std::min(minY, q[i].Y), maxY = std::max(maxY, q[i].Y);
  }
  if (maxX < c.ClipLeft || minX >= c.ClipRight || maxY < c.ClipTop || minY >= c.ClipBottom) return;
  if (maxX - minX <= 1 && maxY - minY <= 1) {
    // Corners within a 2 × 2 block, the common case of a dense grid: each
    // edge covers just its two end pixels, and the only pixel whose centre
    // may lie inside is the top-left one. Same result as the general path.
    const bool inside = c.ClipLeft <= minX && maxX < c.ClipRight && c.ClipTop <= minY && maxY < c.ClipBottom;
    if (filled && !(q[0].X == minX && q[0].Y == minY) && !(q[1].X == minX && q[1].Y == minY) &&
        !(q[2].X == minX && q[2].Y == minY) && !(q[3].X == minX && q[3].Y == minY)) {
      if (inside) {
        // even-odd: an odd number of edge crossings at or left of the centre
        const double xc = minX + 0.5, yc = minY + 0.5;
        int crossings = 0;
        for (int i = 0; i < 4; ++i) {
          const TPoint& a = q[i];
          const TPoint& b = q[(i + 1) & 3];
          if ((a.Y < yc) != (b.Y < yc) && a.X + (yc - a.Y) * (double(b.X) - a.X) / (double(b.Y) - a.Y) <= xc)
            ++crossings;
        }
        if (crossings & 1) c.At(minX, minY) = fill;
      } else {
        FillQuad(c, q, fill);
      }
    }
    for (int i = 0; i < 4; ++i) {
      if (inside || (q[i].X >= c.ClipLeft && q[i].X < c.ClipRight && q[i].Y >= c.ClipTop && q[i].Y < c.ClipBottom))
        c.At(q[i].X, q[i].Y) = pen;
    }
    return;
  }
  DrawLargeCell(c, q, pen, fill, filled);
}

}  // namespace

void DrawCell(TPixelCanvas& c, const TPoint (&q)[4], uint32_t pen, uint32_t fill, bool filled) {
  DrawCellInline(c, q, pen, fill, filled);
}

namespace {

template <bool Scaled>
void DrawCells(const TGraph3DModel& model, TPixelCanvas& canvas, uint32_t background, bool hidden, double scale) {
  const int64_t n = model.TrapezeCount();
  const int64_t start = model.DrawStart();
  const TTrapeze* store = model.TrapezeStore();
  const uint32_t* order = model.Order();
  const int32_t first = model.FirstLine(), last = model.LastLine();
  // Cells are visited in depth order, all over memory: fetch the ones to come
  // early (the fields drawn span up to two cache lines).
  constexpr int64_t kAhead = 48;
  for (int64_t k = n - 1; k >= start; --k) {
    if (k >= kAhead) {
      const TTrapeze& ahead = store[order[k - kAhead]];
      __builtin_prefetch(&ahead.ScreenCorners[0]);
      __builtin_prefetch(&ahead.PenColor);
    }
    const TTrapeze& t = store[order[k]];
    if (t.LineIndex < first || t.LineIndex > last) continue;
    if constexpr (Scaled) {
      // Far-off corners stay within the range the drawing handles.
      TPoint q[4];
      for (int i = 0; i < 4; ++i)
        q[i] = {RoundCoord(t.ScreenCorners[i].X * scale), RoundCoord(t.ScreenCorners[i].Y * scale)};
      DrawCellInline(canvas, q, PixelOf(t.PenColor), background, hidden);
    } else {
      DrawCellInline(canvas, t.ScreenCorners, PixelOf(t.PenColor), background, hidden);
    }
  }
}

}  // namespace

void DrawSurfacePixels(const TGraph3DModel& model, TPixelCanvas& canvas, uint32_t background, bool hidden,
                       double scale) {
  if (scale == 1) DrawCells<false>(model, canvas, background, hidden, 1);
  else DrawCells<true>(model, canvas, background, hidden, scale);
}

}  // namespace graph3d
