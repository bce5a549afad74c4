// The inner loops of the 3D control's recomputation, one grid line at a time:
// depth keys of the cells, projection of the points, colour bands of the
// cells. Each gives exactly the numbers of the plain arithmetic written in
// its comment (the same operations on the same types, in the same order);
// on x86-64 two or four of them are computed at once in vector registers.
#pragma once

#include "graph3d/Graph3DCore.h"

#include <cstdint>

namespace graph3d::kernels {

// Cells i = 0 .. count − 1 between line a and line b (x and y: the ground
// positions of the points in percent space):
//   cx = single((x_a[i+1] + x_b[i+1] + x_b[i] + x_a[i]) / 4), in double, likewise cy
//   d  = single((cx − eyeX)² + (cy − eyeY)²), in double
//   out[i] = bits(d) << 32 | (point + i)
// lo and hi take in the smallest and largest d.
void CellKeys(const float* xa, const float* xb, const float* ya, const float* yb, int32_t count, double eyeX,
              double eyeY, uint32_t point, uint64_t* out, float& lo, float& hi);
// The same when each line keeps one Y (ya and yb).
void CellKeysOneY(const float* xa, const float* xb, float ya, float yb, int32_t count, double eyeX, double eyeY,
                  uint32_t point, uint64_t* out, float& lo, float& hi);

// The view: sines, cosines and scales of TGraph3DModel::Project, as doubles.
struct TProjection {
  double SinT, CosT, SinP, CosP, ScaleX, ScaleY;
};

// Points i = 0 .. count − 1 of one line, heights z after the water rule
// (mode 1: raised to level, mode 2: cut at level, else none):
//   X = RoundCoord((x sinθ − y cosθ) scaleX)
//   Y = RoundCoord((x cosθ sinφ + y sinθ sinφ + z cosφ) scaleY)
// into out[i].Here and, when above is given, above[i].Next. A height that is
// not a number (a point without a value) gives some coordinate, never used.
void ProjectLine(const float* xs, const float* ys, const float* zs, int32_t count, const TProjection& view,
                 int waterMode, float waterLevel, TScreenPair* out, TScreenPair* above);

// Cells i = 0 .. count − 1 between two lines of heights za and zb:
//   v = water rule(single((za[i+1] + zb[i+1] + zb[i] + za[i]) / 4))
//   out[i] = the number of bounds b with not (v ≤ bound[b]), at most 9
// With bound[b] the running maximum of the band percentages this is the
// first band in index order whose percentage is at or above v, or band 9.
void CellBands(const float* za, const float* zb, int32_t count, int waterMode, float waterLevel,
               const float (&bound)[10], uint8_t* out);

// Cells i = 0 .. count − 1 between line a and line b, lit from direction
// light (a unit vector), all in single precision: with h the heights after
// the water rule, the corners c0 = a[i], c1 = a[i+1], c2 = b[i+1], c3 = b[i],
//   d = c2 − c0, e = c3 − c1 (x, y, h),  n = d × e
//   s = |n · light| / sqrt(n · n), NaN taken as 0, at most 1
//   out[i] = int(s × (kShadeLevels − 1) + 0.5), plus kWaterShade when the
//            water rule flattened all four corners (mode 1: all below the
//            level, mode 2: all above it)
void CellShades(const float* xa, const float* xb, const float* ya, const float* yb, const float* za, const float* zb,
                int32_t count, const float (&light)[3], int waterMode, float waterLevel, uint8_t* out);

}  // namespace graph3d::kernels
