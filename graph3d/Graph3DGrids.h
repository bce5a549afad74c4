// The 3D control's surface as a grid for the geometry of geometry/: the
// cells of the last build in percent space (what the picture shows, for its
// isolines), or the lines as they were given (for mesh files), X and Y
// optionally taken to the values the axes show.
#pragma once

#include "geometry/GridSurface.h"
#include "graph3d/Graph3DCore.h"

namespace graph3d {

// The built grid in percent space. Points without a value are those of the
// lines the cells were built from; once those lines are gone (ClearLines
// before a new build) every cell built counts, by its own record.
class TModelGrid : public geometry::TGridSurface {
 public:
  explicit TModelGrid(const TGraph3DModel& model) : FModel(model) {}
  int64_t Lines() const override { return FModel.BuiltLines(); }
  int32_t Values() const override { return FModel.BuiltValues(); }
  geometry::TGridRow Row(int64_t line, geometry::TRowScratch& scratch) const override;

 private:
  const TGraph3DModel& FModel;
};

// A linear map of the data's values to the ones shown: value × Scale + Shift.
struct TAxisMap {
  double Scale = 1, Shift = 0;
  bool Identity() const { return Scale == 1 && Shift == 0; }
};

// The lines the control holds, their X and Y as TGraphLine::GetX and GetY
// give them (then mapped), Z their values.
class TLinesGrid : public geometry::TGridSurface {
 public:
  TLinesGrid(const TGraph3DModel& model, TAxisMap x = {}, TAxisMap y = {}) : FModel(model), FMapX(x), FMapY(y) {}
  int64_t Lines() const override { return FModel.LineCount(); }
  int32_t Values() const override { return FModel.LineCount() > 0 ? FModel.ValuesPerLine() : 0; }
  geometry::TGridRow Row(int64_t line, geometry::TRowScratch& scratch) const override;

 private:
  const TGraph3DModel& FModel;
  TAxisMap FMapX, FMapY;
};

}  // namespace graph3d
