// Drawing of the surface cells straight into 32-bit pixels (0xAARRGGBB, the
// layout of QImage's RGB32 and ARGB32 formats). Most cells of a large grid
// are smaller than a pixel; a general polygon path spends microseconds on
// each, this one a few nanoseconds. The picture is the same: each cell is a
// closed polygon outlined in its pen colour, filled with the background
// colour first when hidden lines are on.
#pragma once

#include "graph3d/Graph3DCore.h"

#include <cstddef>
#include <cstdint>

namespace graph3d {

struct TPixelCanvas {
  uint32_t* Bits = nullptr;
  ptrdiff_t Stride = 0;  // in pixels
  int Width = 0, Height = 0;
  // Drawing is limited to [ClipLeft, ClipRight) × [ClipTop, ClipBottom),
  // which the constructor sets to the whole canvas.
  int ClipLeft = 0, ClipTop = 0, ClipRight = 0, ClipBottom = 0;

  TPixelCanvas() = default;
  TPixelCanvas(uint32_t* bits, ptrdiff_t stride, int width, int height)
      : Bits(bits), Stride(stride), Width(width), Height(height), ClipRight(width), ClipBottom(height) {}
  // Narrows the clip rectangle to the given one (right and bottom exclusive).
  void Clip(int left, int top, int right, int bottom);
  uint32_t& At(int x, int y) { return Bits[y * Stride + x]; }
};

// An opaque pixel of the colour.
inline uint32_t PixelOf(TColor c) {
  return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
// The colour of a pixel (its alpha dropped).
inline TColor FromPixel(uint32_t pixel) {
  return ((pixel >> 16) & 0xFFu) | (pixel & 0xFF00u) | ((pixel & 0xFFu) << 16);
}

// A straight line, both end pixels included.
void DrawSegment(TPixelCanvas& canvas, TPoint a, TPoint b, uint32_t pixel);
// The inside of a polygon of four corners (even-odd rule, pixel centres).
void FillQuad(TPixelCanvas& canvas, const TPoint (&corners)[4], uint32_t pixel);
// One cell: filled with `fill` when `filled`, then outlined in `pen`.
void DrawCell(TPixelCanvas& canvas, const TPoint (&corners)[4], uint32_t pen, uint32_t fill, bool filled);
// The surface: cells from the farthest to the nearest drawn one, only those
// of the model's line range, each in the colours TCellLook gives it (shaded
// faces when the model's are). `scale` is the canvas's pixels per unit of the
// model's screen coordinates (the device pixel ratio of a high-density
// canvas): corners are scaled, lines stay one canvas pixel wide. Pixels are
// written opaque.
void DrawSurfacePixels(const TGraph3DModel& model, TPixelCanvas& canvas, uint32_t background, bool hidden,
                       double scale = 1);
// Tests: true draws with the plain loop even where the processor has the
// vector instructions of the faster one (both give the same pixels).
void SetPlainDrawing(bool plain);

}  // namespace graph3d
