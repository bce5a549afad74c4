// What each cell of the surface looks like in one picture: its outline colour
// and, when cells are filled, its fill. Every such decision is taken here, so
// that the pixel loop (Graph3DRaster) and any painter that draws the cells as
// polygons (printer, vector files) show the same surface:
//
//   const graph3d::TCellLook look(model, background, hidden);
//   for (k = count − 1 down to model.DrawStart()) {
//     const uint32_t p = model.CellPoint(k);
//     ... polygon of cell p, filled with look.Fill(p) when look.Filled(),
//         outlined in look.Pen(p) ...
//   }
//
// Without shading a cell is outlined in its band colour (bands on) or the
// data colour, and filled with the background when hidden lines are on. With
// shaded faces every cell is filled with its colour lit by the model's light
// (a share of ambient light plus Lambert's cosine law), its outline a darker
// tone of the same, and a cell the water level flattens whole in a blue of
// water.
#pragma once

#include "graph3d/Graph3DCore.h"

#include <cstdint>

namespace graph3d {

// The water's own colour, before the light falls on it.
inline constexpr TColor kWaterColor = 0xC07830;

class TCellLook {
 public:
  TCellLook(const TGraph3DModel& model, TColor background, bool hidden);

  bool Filled() const { return FFilled; }
  bool Shaded() const { return FShades != nullptr; }

  // A cell's look by the two numbers kept per grid point: its band (0 while
  // bands are off) and its shade (0 while the faces are not shaded).
  uint8_t BandOf(uint32_t point) const { return FBands ? FBands[point] : 0; }
  uint8_t ShadeOf(uint32_t point) const { return FShades ? FShades[point] : 0; }
  TColor PenFor(int band, int shade) const;
  TColor FillFor(int band, int shade) const;

  // The cell named by grid point p.
  TColor Pen(uint32_t point) const { return PenFor(BandOf(point), ShadeOf(point)); }
  TColor Fill(uint32_t point) const { return FillFor(BandOf(point), ShadeOf(point)); }

  // For loops that read the per-point numbers themselves: null when not used.
  const uint8_t* Bands() const { return FBands; }
  const uint8_t* Shades() const { return FShades; }

 private:
  const uint8_t* FBands = nullptr;
  const uint8_t* FShades = nullptr;
  TColor FBand[10] = {};
  TColor FData = 0, FBackground = 0;
  bool FFilled = false;
};

// The colour c in a light of the given strength, 0..1 (each channel rounded).
TColor Lit(TColor c, double strength);

}  // namespace graph3d
