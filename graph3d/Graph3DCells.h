// The cells as the drawing visits them: which ones are drawn, in which order,
// where their corners fall on the screen and which colours they take. Both
// back ends read the cells through here: the pixels (Graph3DRaster) and the
// vector shapes of SVG and PDF files (Graph3DScene). Internal to the control.
#pragma once

#include "graph3d/Graph3DCore.h"

#include <cstdint>

namespace graph3d {

// An opaque pixel of the colour, 0xAARRGGBB.
inline uint32_t PixelOf(TColor c) {
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

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

  TDrawSetup(const TGraph3DModel& model, uint32_t background, bool hidden) {
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
    const TCellPens& pens = model.Pens();
    Bands = pens.Bands ? model.CellBands() : nullptr;
    for (int b = 0; b < 10; ++b) BandPixel[b] = PixelOf(pens.Band[b]);
    DataPixel = PixelOf(pens.Data);
    Background = background;
    Hidden = hidden;
  }

  // The grid point that names the cell at list position k.
  int64_t Point(int64_t k) const { return int64_t(uint32_t(Cells[k])); }
  // Whether the cell of point p is in the line range drawn.
  bool Drawn(int64_t p) const { return AllLines || (p >= LineFrom && p < LineTo); }
  // The outline's pixel of the cell of point p.
  template <bool WithBands>
  uint32_t Pen(int64_t p) const {
    if constexpr (WithBands) return BandPixel[Bands[p]];
    else return DataPixel;
  }
  uint32_t Pen(int64_t p) const { return Bands ? Pen<true>(p) : Pen<false>(p); }
  // The corners 0..3 of the cell of point p on the screen: (j, i), (j, i + 1),
  // (j + 1, i + 1), (j + 1, i).
  void Corners(int64_t p, TPoint (&q)[4]) const {
    const TScreenPair& a = Screen[p];
    const TScreenPair& b = Screen[p + 1];
    q[0] = {OriginX + a.Here.X, OriginY - a.Here.Y};
    q[1] = {OriginX + b.Here.X, OriginY - b.Here.Y};
    q[2] = {OriginX + b.Next.X, OriginY - b.Next.Y};
    q[3] = {OriginX + a.Next.X, OriginY - a.Next.Y};
  }
  // How many cells the loop draws.
  int64_t Count() const;
};

// Every drawn cell, farthest first: f(p, corners, pen).
template <typename F>
void ForEachCell(const TDrawSetup& s, F&& f) {
  for (int64_t k = s.End - 1; k >= s.Start; --k) {
    const int64_t p = s.Point(k);
    if (!s.Drawn(p)) continue;
    TPoint q[4];
    s.Corners(p, q);
    f(p, q, s.Pen(p));
  }
}

inline int64_t TDrawSetup::Count() const {
  if (End <= Start) return 0;
  if (AllLines) return End - Start;
  int64_t n = 0;
  for (int64_t k = Start; k < End; ++k) n += Drawn(Point(k));
  return n;
}

}  // namespace graph3d
