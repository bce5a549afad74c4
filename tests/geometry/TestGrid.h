// A grid surface for the tests: X = x0 + i·dx along a line, Y = y0 + j·dy
// from line to line, Z = f(X, Y); points listed in Missing have no value.
#pragma once

#include "geometry/GridSurface.h"

#include <functional>
#include <set>
#include <utility>

class TTestGrid : public geometry::TGridSurface {
 public:
  TTestGrid(int64_t lines, int32_t values, std::function<float(float, float)> f, float x0 = 0, float dx = 1,
            float y0 = 0, float dy = 1)
      : FLines(lines), FValues(values), F(std::move(f)), X0(x0), DX(dx), Y0(y0), DY(dy) {}
  int64_t Lines() const override { return FLines; }
  int32_t Values() const override { return FValues; }
  geometry::TGridRow Row(int64_t j, geometry::TRowScratch& s) const override {
    s.X.resize(size_t(FValues));
    s.Y.resize(size_t(FValues));
    s.Z.resize(size_t(FValues));
    s.Missing.assign(size_t(FValues), 0);
    bool any = false;
    for (int32_t i = 0; i < FValues; ++i) {
      s.X[size_t(i)] = X0 + float(i) * DX;
      s.Y[size_t(i)] = Y0 + float(j) * DY;
      s.Z[size_t(i)] = F(s.X[size_t(i)], s.Y[size_t(i)]);
      if (Missing.count({j, i})) s.Missing[size_t(i)] = 1, any = true;
    }
    return {s.X.data(), s.Y.data(), s.Z.data(), any ? s.Missing.data() : nullptr};
  }
  std::set<std::pair<int64_t, int32_t>> Missing;

 private:
  int64_t FLines;
  int32_t FValues;
  std::function<float(float, float)> F;
  float X0, DX, Y0, DY;
};
