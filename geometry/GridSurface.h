// A surface sampled on a grid of Lines() × Values() points, read one line at
// a time: the ground position (X, Y) and height Z of each point, and which
// points have no value. Line j and line j + 1 make a row of cells: cell
// (j, i) has the corners (j, i), (j, i + 1), (j + 1, i + 1) and (j + 1, i),
// and only a cell whose four corners have a value belongs to the surface.
#pragma once

#include <cstdint>
#include <vector>

namespace geometry {

// One line's numbers, Values() of each. Missing is null when every point of
// the line has a value, else 1 for a point without one.
struct TGridRow {
  const float* X = nullptr;
  const float* Y = nullptr;
  const float* Z = nullptr;
  const uint8_t* Missing = nullptr;
};

// Room a source may fill a line into; a row it gives stays valid while the
// scratch it was given lives and is not given again.
struct TRowScratch {
  std::vector<float> X, Y, Z;
  std::vector<uint8_t> Missing;
};

class TGridSurface {
 public:
  virtual ~TGridSurface() = default;
  virtual int64_t Lines() const = 0;
  virtual int32_t Values() const = 0;
  virtual TGridRow Row(int64_t line, TRowScratch& scratch) const = 0;
};

}  // namespace geometry
