#include "graph3d/Graph3DGrids.h"

#include <algorithm>

namespace graph3d {

geometry::TGridRow TModelGrid::Row(int64_t line, geometry::TRowScratch& scratch) const {
  const int32_t n = Values();
  scratch.X.resize(size_t(n));
  scratch.Y.resize(size_t(n));
  geometry::TGridRow row;
  row.X = FModel.PercentX(line, scratch.X.data());
  row.Y = FModel.PercentY(line, scratch.Y.data());
  row.Z = FModel.PercentHeights() + line * n;
  if (const uint64_t* whole = FModel.WholeCells()) {
    // A point has no value exactly when none of the cells around it is whole.
    auto isWhole = [&](int64_t j, int32_t i) {
      if (j < 0 || j + 1 >= Lines() || i < 0 || i + 1 >= n) return false;
      const uint64_t cell = uint64_t(j) * uint64_t(n - 1) + uint64_t(i);
      return ((whole[cell >> 6] >> (cell & 63)) & 1) != 0;
    };
    scratch.Missing.resize(size_t(n));
    for (int32_t i = 0; i < n; ++i) {
      scratch.Missing[size_t(i)] = !(isWhole(line - 1, i - 1) || isWhole(line - 1, i) || isWhole(line, i - 1) ||
                                     isWhole(line, i));
    }
    row.Missing = scratch.Missing.data();
  }
  return row;
}

geometry::TGridRow TLinesGrid::Row(int64_t line, geometry::TRowScratch& scratch) const {
  const TGraphLine& l = FModel.Line(int32_t(line));
  const int32_t n = l.Count();
  scratch.X.resize(size_t(n));
  scratch.Y.resize(size_t(n));
  // As GetX and GetY: in extended precision, stored as singles.
  auto fill = [n](float from, float to, const TAxisMap& map, float* out) {
    const long double start = from, span = static_cast<long double>(to) - from;
    for (int32_t i = 0; i < n; ++i) {
      const float v = static_cast<float>(span * i / (n - 1) + start);
      out[i] = map.Identity() ? v : static_cast<float>(double(v) * map.Scale + map.Shift);
    }
  };
  fill(l.StartPoint.X, l.EndPoint.X, FMapX, scratch.X.data());
  fill(l.StartPoint.Y, l.EndPoint.Y, FMapY, scratch.Y.data());
  return {scratch.X.data(), scratch.Y.data(), l.Values(), l.MissingFlags()};
}

}  // namespace graph3d
