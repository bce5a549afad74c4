// The built-in test surface of the 3D window: a downward paraboloid with its
// top at grid point (PointTotal div 2, LineTotal div 2) plus a bump of squared
// radius (P/4)² + (N/4)² centred at (P/4, 3N/4). PeakHeight only shifts the
// heights.
#pragma once

#include "graph3d/Graph3DCore.h"
#include "graph3d/Graph3DGrids.h"

#include <memory>
#include <vector>

namespace graph3d {

// LineTotal lines of PointTotal values each, line L running from (0, L) to
// (PointTotal, L) on the ground. Throws EGraph3DError when PointTotal < 2
// and, before making any value, when the grid fails CheckGridSize.
std::vector<std::unique_ptr<TGraphLine>> GenerateSurface(int32_t LineTotal, int32_t PointTotal,
                                                         long double PeakHeight);

// The surface's X as its grid index: value i lies at PointTotal × i / (PointTotal − 1).
inline TAxisMap BuiltinXMap(int32_t PointTotal) {
  return PointTotal >= 2 ? TAxisMap{double(PointTotal - 1) / PointTotal, 0} : TAxisMap{};
}

}  // namespace graph3d
