#include "graph3d/Graph3DLook.h"

#include <algorithm>
#include <cmath>

namespace graph3d {

namespace {

// Light that reaches every face, so that the ones turned away still show.
constexpr double kAmbient = 0.25;
// Outlines of shaded cells: a darker tone of the fill, so that the mesh shows
// without drowning the shading.
constexpr double kOutline = 0.62;

double Strength(int shade) {
  return kAmbient + (1 - kAmbient) * double(shade & (kShadeLevels - 1)) / (kShadeLevels - 1);
}

}  // namespace

TColor Lit(TColor c, double strength) {
  TColor out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    const double v = std::clamp(double((c >> shift) & 0xFF) * strength, 0.0, 255.0);
    out |= TColor(std::lround(v)) << shift;
  }
  return out;
}

TCellLook::TCellLook(const TGraph3DModel& model, TColor background, bool hidden) {
  const TCellPens& pens = model.Pens();
  FBands = pens.Bands ? model.CellBands() : nullptr;
  FShades = model.Shaded() ? model.CellShades() : nullptr;
  for (int b = 0; b < 10; ++b) FBand[b] = pens.Band[b];
  FData = pens.Data;
  FBackground = background & 0xFFFFFF;
  FFilled = hidden || FShades != nullptr;
}

TColor TCellLook::FillFor(int band, int shade) const {
  if (!FShades) return FBackground;
  const TColor base = (shade & kWaterShade) ? kWaterColor : FBands ? FBand[band] : FData;
  return Lit(base, Strength(shade));
}

TColor TCellLook::PenFor(int band, int shade) const {
  if (!FShades) return FBands ? FBand[band] : FData;
  const TColor base = (shade & kWaterShade) ? kWaterColor : FBands ? FBand[band] : FData;
  return Lit(base, Strength(shade) * kOutline);
}

}  // namespace graph3d
