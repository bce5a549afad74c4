#include "graph3d/Graph3DRaster.h"

#include "graph3d/Graph3DLook.h"
#include "graph3d/Graph3DParts.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <smmintrin.h>
#endif

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

// Whether the centre of pixel (x, y) lies inside the polygon: an odd number
// of edge crossings at or left of it (even-odd rule).
inline bool CentreInside(const TPoint (&q)[4], int x, int y) {
  const double xc = x + 0.5, yc = y + 0.5;
  int crossings = 0;
  for (int i = 0; i < 4; ++i) {
    const TPoint& a = q[i];
    const TPoint& b = q[(i + 1) & 3];
    if ((a.Y < yc) != (b.Y < yc) && a.X + (yc - a.Y) * (double(b.X) - a.X) / (double(b.Y) - a.Y) <= xc) ++crossings;
  }
  return crossings & 1;
}

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
        if (CentreInside(q, minX, minY)) c.At(minX, minY) = fill;
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

// A cell that is not within a 2 × 2 block, or not wholly inside the clip
// rectangle (kept out of the loop, so that the loop stays small).
__attribute__((noinline)) void DrawOtherCell(TPixelCanvas& c, int x0, int y0, int x1, int y1, int x2, int y2, int x3,
                                             int y3, uint32_t pen, uint32_t fill, bool filled) {
  const TPoint q[4] = {{x0, y0}, {x1, y1}, {x2, y2}, {x3, y3}};
  DrawCellInline(c, q, pen, fill, filled);
}

bool GPlainDrawing = false;

// What the loop over the cells reads, taken from the model once.
struct TDrawSetup {
  // The list positions drawn: End − 1 (the farthest) down to Start.
  int64_t Start = 0, End = 0;
  const uint64_t* Cells = nullptr;
  const TScreenPair* Screen = nullptr;
  int OriginX = 0, OriginY = 0;
  // Cells of lines first..last are those named by points first × vpl up to
  // (last + 1) × vpl.
  int64_t LineFrom = 0, LineTo = 0;
  bool AllLines = true;
  const uint8_t* Bands = nullptr;
  uint32_t BandPixel[10] = {};
  uint32_t DataPixel = 0;
  uint32_t Background = 0;
  bool Hidden = false;
  // Shaded faces: per cell its shade (in the list entry when the model packs
  // it there), and fill and outline by (band << 8 | shade) from the tables
  // of TCellLook.
  const uint8_t* Shades = nullptr;
  bool PackedShades = false;
  const uint32_t* FillPixel = nullptr;
  const uint32_t* PenPixel = nullptr;

  TDrawSetup(const TGraph3DModel& model, const TCellLook& look, uint32_t background, bool hidden) {
    End = model.TrapezeCount();
    Start = model.DrawStart();
    Cells = model.SortedCells();
    Screen = model.ScreenOffsets();
    OriginX = model.ProjectedOrigin().X;
    OriginY = model.ProjectedOrigin().Y;
    const int64_t vpl = model.BuiltValues();
    LineFrom = int64_t(model.FirstLine()) * vpl;
    LineTo = (int64_t(model.LastLine()) + 1) * vpl;
    AllLines = LineFrom <= 0 && LineTo >= (model.BuiltLines() - 1) * vpl;
    Bands = look.Bands();
    for (int b = 0; b < 10; ++b) BandPixel[b] = PixelOf(look.PenFor(b, 0));
    DataPixel = PixelOf(look.PenFor(0, 0));
    Background = background;
    Hidden = hidden || look.Filled();
    Shades = look.Shades();
    PackedShades = Shades && model.ShadesPacked();
  }
};

// Fill and outline pixels of every (band, shade) a shaded picture may show.
struct TShadeTables {
  std::vector<uint32_t> Fill, Pen;
  explicit TShadeTables(const TCellLook& look) {
    const int bands = look.Bands() ? 10 : 1;
    Fill.resize(size_t(bands) << 8);
    Pen.resize(size_t(bands) << 8);
    for (int b = 0; b < bands; ++b)
      for (int shade = 0; shade < 256; ++shade) {
        Fill[size_t(b << 8 | shade)] = PixelOf(look.FillFor(b, shade));
        Pen[size_t(b << 8 | shade)] = PixelOf(look.PenFor(b, shade));
      }
  }
};

// Cells are visited in depth order, all over the grid: the corners of the
// ones to come are fetched early.
constexpr int64_t kAhead = 32;

// What the cell of grid point p will need, fetched ahead.
template <bool Bands, bool Shaded>
inline void FetchAhead(const TDrawSetup& s, uint64_t p) {
  __builtin_prefetch(s.Screen + p);
  if constexpr (Bands) __builtin_prefetch(s.Bands + p);
  if constexpr (Shaded) {
    if (!s.PackedShades) __builtin_prefetch(s.Shades + p);
  }
}

// The outline and fill pixels of the cell of grid point p (list entry entry).
template <bool Bands, bool Shaded>
inline void CellPixels(const TDrawSetup& s, uint64_t entry, int64_t p, uint32_t& pen, uint32_t& fill) {
  if constexpr (Shaded) {
    const uint8_t shade = s.PackedShades ? uint8_t(entry >> 24) : s.Shades[p];
    const size_t look = (Bands ? size_t(s.Bands[p]) << 8 : 0) | shade;
    pen = s.PenPixel[look];
    fill = s.FillPixel[look];
  } else {
    pen = Bands ? s.BandPixel[s.Bands[p]] : s.DataPixel;
    fill = s.Background;
  }
}

// The cells of a dense grid mostly lie within a 2 × 2 block of pixels (many
// within one): each edge then covers just its two end pixels, and the only
// pixel whose centre may lie inside is the top-left one of the block, when no
// corner is there. The loops take that case without branches the processor
// would have to guess; other cells, and blocks reaching out of the clip
// rectangle, take the general path.

template <bool Scaled, bool Bands, bool Shaded = false>
void DrawCells(const TDrawSetup& s, TPixelCanvas& canvas, double scale) {
  const unsigned left = unsigned(canvas.ClipLeft), width = unsigned(canvas.ClipRight - canvas.ClipLeft);
  const unsigned top = unsigned(canvas.ClipTop), height = unsigned(canvas.ClipBottom - canvas.ClipTop);
  uint32_t* const bits = canvas.Bits;
  const ptrdiff_t stride = canvas.Stride;
  const int ox = s.OriginX, oy = s.OriginY;
  const uint64_t pointBits = Shaded && s.PackedShades ? kPointBits : 0xFFFFFFFFu;
  for (int64_t k = s.End - 1; k >= s.Start; --k) {
    if (k - kAhead >= s.Start) FetchAhead<Bands, Shaded>(s, s.Cells[k - kAhead] & pointBits);
    const uint64_t entry = s.Cells[k];
    const int64_t p = int64_t(entry & pointBits);
    if (!s.AllLines && (p < s.LineFrom || p >= s.LineTo)) continue;
    uint32_t pen, fill;
    CellPixels<Bands, Shaded>(s, entry, p, pen, fill);
    // corners 0..3: (j, i), (j, i + 1), (j + 1, i + 1), (j + 1, i)
    const TScreenPair& a = s.Screen[p];
    const TScreenPair& b = s.Screen[p + 1];
    int x0 = ox + a.Here.X, y0 = oy - a.Here.Y, x1 = ox + b.Here.X, y1 = oy - b.Here.Y;
    int x2 = ox + b.Next.X, y2 = oy - b.Next.Y, x3 = ox + a.Next.X, y3 = oy - a.Next.Y;
    if constexpr (Scaled) {
      // Far-off corners stay within the range the drawing handles.
      x0 = RoundCoord(x0 * scale), y0 = RoundCoord(y0 * scale), x1 = RoundCoord(x1 * scale);
      y1 = RoundCoord(y1 * scale), x2 = RoundCoord(x2 * scale), y2 = RoundCoord(y2 * scale);
      x3 = RoundCoord(x3 * scale), y3 = RoundCoord(y3 * scale);
    }
    const int minX = std::min(std::min(x0, x1), std::min(x2, x3)), maxX = std::max(std::max(x0, x1), std::max(x2, x3));
    const int minY = std::min(std::min(y0, y1), std::min(y2, y3)), maxY = std::max(std::max(y0, y1), std::max(y2, y3));
    if (((unsigned(maxX - minX) <= 1) & (unsigned(maxY - minY) <= 1) & (unsigned(minX) - left < width - 1) &
         (unsigned(minY) - top < height - 1)) != 0) {
      if (s.Hidden) {
        const bool cornerThere = ((x0 == minX) & (y0 == minY)) | ((x1 == minX) & (y1 == minY)) |
                                 ((x2 == minX) & (y2 == minY)) | ((x3 == minX) & (y3 == minY));
        if (!cornerThere) {
          const TPoint q[4] = {{x0, y0}, {x1, y1}, {x2, y2}, {x3, y3}};
          if (CentreInside(q, minX, minY)) bits[minY * stride + minX] = fill;
        }
      }
      bits[y0 * stride + x0] = pen;
      bits[y1 * stride + x1] = pen;
      bits[y2 * stride + x2] = pen;
      bits[y3 * stride + x3] = pen;
      continue;
    }
    DrawOtherCell(canvas, x0, y0, x1, y1, x2, y2, x3, y3, pen, fill, s.Hidden);
  }
}

#if defined(__x86_64__) || defined(__i386__)
#define GRAPH3D_DRAW_SSE41 1

// The same loop with the four corners in vector registers (SSE4.1, which
// every x86-64 processor of the last fifteen years has; checked at run time).
template <bool Bands, bool Shaded = false>
__attribute__((target("sse4.1"))) void DrawCellsSse41(const TDrawSetup& s, TPixelCanvas& canvas) {
  const unsigned left = unsigned(canvas.ClipLeft), width = unsigned(canvas.ClipRight - canvas.ClipLeft);
  const unsigned top = unsigned(canvas.ClipTop), height = unsigned(canvas.ClipBottom - canvas.ClipTop);
  uint32_t* const bits = canvas.Bits;
  const __m128i originX = _mm_set1_epi32(s.OriginX), originY = _mm_set1_epi32(s.OriginY);
  const __m128i strideV = _mm_set1_epi32(int(canvas.Stride));
  const uint64_t pointBits = Shaded && s.PackedShades ? kPointBits : 0xFFFFFFFFu;
  for (int64_t k = s.End - 1; k >= s.Start; --k) {
    if (k - kAhead >= s.Start) FetchAhead<Bands, Shaded>(s, s.Cells[k - kAhead] & pointBits);
    const uint64_t entry = s.Cells[k];
    const int64_t p = int64_t(entry & pointBits);
    if (!s.AllLines && (p < s.LineFrom || p >= s.LineTo)) continue;
    uint32_t pen, fill;
    CellPixels<Bands, Shaded>(s, entry, p, pen, fill);
    // The two records (Here, Next) of points p and p + 1; lanes of X and Y:
    // corners 0, 3, 1, 2.
    const __m128 a = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s.Screen + p)));
    const __m128 b = _mm_castsi128_ps(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s.Screen + p + 1)));
    const __m128i x = _mm_add_epi32(originX, _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0))));
    const __m128i y = _mm_sub_epi32(originY, _mm_castps_si128(_mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1))));
    // X and Y side by side: (x0, x3, y0, y3) against (x1, x2, y1, y2), then
    // the two pairs; lanes 0 and 2 end with the X and Y extremes.
    const __m128i first = _mm_unpacklo_epi64(x, y), second = _mm_unpackhi_epi64(x, y);
    __m128i least = _mm_min_epi32(first, second), most = _mm_max_epi32(first, second);
    least = _mm_min_epi32(least, _mm_shuffle_epi32(least, _MM_SHUFFLE(2, 3, 0, 1)));
    most = _mm_max_epi32(most, _mm_shuffle_epi32(most, _MM_SHUFFLE(2, 3, 0, 1)));
    const int minX = _mm_cvtsi128_si32(least), maxX = _mm_cvtsi128_si32(most);
    const int minY = _mm_extract_epi32(least, 2), maxY = _mm_extract_epi32(most, 2);
    const __m128i minXv = _mm_shuffle_epi32(least, _MM_SHUFFLE(0, 0, 0, 0));
    const __m128i minYv = _mm_shuffle_epi32(least, _MM_SHUFFLE(2, 2, 2, 2));
    if (((unsigned(maxX - minX) <= 1) & (unsigned(maxY - minY) <= 1) & (unsigned(minX) - left < width - 1) &
         (unsigned(minY) - top < height - 1)) != 0) {
      if (s.Hidden) {
        const __m128i there = _mm_and_si128(_mm_cmpeq_epi32(x, minXv), _mm_cmpeq_epi32(y, minYv));
        if (_mm_movemask_ps(_mm_castsi128_ps(there)) == 0) {
          const TPoint q[4] = {{_mm_extract_epi32(x, 0), _mm_extract_epi32(y, 0)},
                               {_mm_extract_epi32(x, 2), _mm_extract_epi32(y, 2)},
                               {_mm_extract_epi32(x, 3), _mm_extract_epi32(y, 3)},
                               {_mm_extract_epi32(x, 1), _mm_extract_epi32(y, 1)}};
          if (CentreInside(q, minX, minY)) bits[ptrdiff_t(minY) * canvas.Stride + minX] = fill;
        }
      }
      // inside the canvas, so within 32 bits
      const __m128i at = _mm_add_epi32(_mm_mullo_epi32(y, strideV), x);
      bits[_mm_cvtsi128_si32(at)] = pen;
      bits[_mm_extract_epi32(at, 2)] = pen;
      bits[_mm_extract_epi32(at, 3)] = pen;
      bits[_mm_extract_epi32(at, 1)] = pen;
      continue;
    }
    DrawOtherCell(canvas, _mm_extract_epi32(x, 0), _mm_extract_epi32(y, 0), _mm_extract_epi32(x, 2),
                  _mm_extract_epi32(y, 2), _mm_extract_epi32(x, 3), _mm_extract_epi32(y, 3), _mm_extract_epi32(x, 1),
                  _mm_extract_epi32(y, 1), pen, fill, s.Hidden);
  }
}

bool HasSse41() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse4.1");
}
#endif

}  // namespace

void SetPlainDrawing(bool plain) { GPlainDrawing = plain; }

namespace {

template <bool Shaded>
void DrawRangeOf(const TDrawSetup& s, TPixelCanvas& canvas, double scale) {
  const bool bands = s.Bands != nullptr;
  if (scale != 1) {
    if (bands) DrawCells<true, true, Shaded>(s, canvas, scale);
    else DrawCells<true, false, Shaded>(s, canvas, scale);
    return;
  }
#ifdef GRAPH3D_DRAW_SSE41
  static const bool sse41 = HasSse41();
  if (sse41 && !GPlainDrawing) {
    if (bands) DrawCellsSse41<true, Shaded>(s, canvas);
    else DrawCellsSse41<false, Shaded>(s, canvas);
    return;
  }
#endif
  if (bands) DrawCells<false, true, Shaded>(s, canvas, 1);
  else DrawCells<false, false, Shaded>(s, canvas, 1);
}

void DrawRange(const TDrawSetup& s, TPixelCanvas& canvas, double scale) {
  if (s.Shades) DrawRangeOf<true>(s, canvas, scale);
  else DrawRangeOf<false>(s, canvas, scale);
}

}  // namespace

void DrawSurfacePixels(const TGraph3DModel& model, TPixelCanvas& canvas, uint32_t background, bool hidden,
                       double scale) {
  const TCellLook look(model, FromPixel(background), hidden);
  TDrawSetup whole(model, look, background | 0xFF000000u, hidden);
  const int64_t count = whole.End - whole.Start;
  if (count <= 0) return;
  std::optional<TShadeTables> tables;
  if (whole.Shades) {
    tables.emplace(look);
    whole.FillPixel = tables->Fill.data();
    whole.PenPixel = tables->Pen.data();
  }
  // On a large grid the list is cut into runs, one a core: the farthest run
  // is drawn on the canvas, each nearer one on a clear layer of its own, and
  // the layers are then laid over the canvas, nearer over farther. A pixel
  // ends in the last colour written to it, as when one thread draws all.
  const int parts = PartsFor(count, int64_t(1) << 18);
  if (parts <= 1) {
    DrawRange(whole, canvas, scale);
    return;
  }
  const size_t pixels = size_t(canvas.Stride) * size_t(canvas.Height);
  std::vector<std::vector<uint32_t>> layers(size_t(parts - 1));
  RunInParts(count, parts, [&](int64_t from, int64_t to, int part) {
    // part 0: the farthest cells, the top of the list
    TDrawSetup run = whole;
    run.Start = whole.End - to;
    run.End = whole.End - from;
    if (part == 0) {
      DrawRange(run, canvas, scale);
      return;
    }
    std::vector<uint32_t>& layer = layers[size_t(part - 1)];
    layer.assign(pixels, 0);  // alpha 0: not drawn; every colour drawn is opaque
    TPixelCanvas own(layer.data(), canvas.Stride, canvas.Width, canvas.Height);
    own.Clip(canvas.ClipLeft, canvas.ClipTop, canvas.ClipRight, canvas.ClipBottom);
    DrawRange(run, own, scale);
  });
  for (const std::vector<uint32_t>& layer : layers) {
    for (int y = canvas.ClipTop; y < canvas.ClipBottom; ++y) {
      const uint32_t* from = layer.data() + ptrdiff_t(y) * canvas.Stride;
      uint32_t* to = &canvas.At(0, y);
      for (int x = canvas.ClipLeft; x < canvas.ClipRight; ++x) {
        if (from[x] >> 24) to[x] = from[x];
      }
    }
  }
}

}  // namespace graph3d
