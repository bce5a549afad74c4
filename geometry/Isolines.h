// The isolines of a grid surface (GridSurface.h): where it crosses given
// heights, as straight segments in the ground plane, cell by cell (marching
// squares).
//
//   const auto lines = geometry::Isolines(surface, {0.25f, 0.5f});
//   for (const geometry::TSegment& s : lines[1]) ... a piece of the line at 0.5 ...
#pragma once

#include "geometry/GridSurface.h"

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

namespace geometry {

struct TSegment {
  float X0, Y0, X1, Y1;
};

// More segments than the caller has room for.
class ETooManySegments : public std::length_error {
 public:
  ETooManySegments() : std::length_error("too many isoline segments") {}
};

// For each level, the segments where the surface crosses it: result[k]
// belongs to levels[k]. A point at the level counts as above it. Where
// opposite corners of a cell lie above and the other two below (a saddle),
// the mean of the four corners decides which two are joined. A cell with a
// corner without a value gives none, so the lines stop at holes; a level that
// is not a number gives none. More than maxSegments in all throws
// ETooManySegments.
std::vector<std::vector<TSegment>> Isolines(const TGridSurface& surface, const std::vector<float>& levels,
                                            uint64_t maxSegments = std::numeric_limits<uint64_t>::max());

}  // namespace geometry
