// Shaded faces without a display: the light of each cell, the water's cells,
// and the colours TCellLook gives cells with and without shading.
#include "graph3d/Graph3DCore.h"
#include "graph3d/Graph3DKernels.h"
#include "graph3d/Graph3DLook.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// A plane z = a·i + b·j on `lines` lines of `values` values at x = i, y = j.
void FillPlane(TGraph3DModel& m, int lines, int values, float a, float b) {
  for (int j = 0; j < lines; ++j) {
    auto line = std::make_unique<TGraphLine>(values);
    for (int i = 0; i < values; ++i) line->SetValue(i, a * float(i) + b * float(j));
    line->StartPoint = {0, float(j), 0};
    line->EndPoint = {float(values - 1), float(j), 0};
    m.AddLine(std::move(line));
  }
}

// The shade a plane of this percent-space normal should have, by the law itself.
int ExpectedShade(const TGraph3DModel& m, double nx, double ny, double nz) {
  const TPoint3D l = m.LightDirection();
  const double cosine = std::abs(nx * l.X + ny * l.Y + nz * l.Z) / std::sqrt(nx * nx + ny * ny + nz * nz);
  return int(std::lround(cosine * (graph3d::kShadeLevels - 1)));
}

TEST(Graph3DShading, EveryCellOfAPlaneTakesTheLightOfItsNormalFromAnyView) {
  // 11 values a line: cells 0..3 and 4..7 in vector registers, 8 and 9 one by one.
  TGraph3DModel m;
  FillPlane(m, 4, 11, 1, 2);  // x 0..10, y 0..3, z 0..16: percent slopes 10·(10/16)/10 …
  m.SetShaded(true);
  for (const auto& [theta, phi] : {std::pair{60, 330}, std::pair{200, 300}, std::pair{10, 350}, std::pair{90, 90}}) {
    m.SetTheta(theta);
    m.SetPhi(phi);
    m.Prepare();
    const TPoint3D l = m.LightDirection();
    EXPECT_NEAR(double(l.X) * l.X + double(l.Y) * l.Y + double(l.Z) * l.Z, 1, 1e-6);
    // percent space: x = 10·i, y = 100/3·j, z = 100/16·(i + 2j); the plane's
    // normal is (−dz/dx, −dz/dy, 1)
    const int want = ExpectedShade(m, -(100.0 / 16) / 10, -(200.0 / 16) / (100.0 / 3), 1);
    const uint8_t* shades = m.CellShades();
    ASSERT_NE(shades, nullptr);
    for (int j = 0; j < 3; ++j)
      for (int i = 0; i < 10; ++i) EXPECT_NEAR(shades[j * 11 + i], want, 1) << theta << " " << phi << " " << i;
  }
  // Turned so that the light grazes or faces the plane, the shade follows.
  m.SetTheta(60);
  m.SetPhi(330);
  m.Prepare();
  const uint8_t before = m.CellShades()[0];
  m.SetPhi(300);
  m.Prepare();
  EXPECT_NE(m.CellShades()[0], before);
  // Off: the light is forgotten and not worked out again.
  m.SetShaded(false);
  m.Prepare();
  EXPECT_EQ(m.CellShades(), nullptr);
}

TEST(Graph3DShading, CellsTheWaterFlattensWholeAreWater) {
  TGraph3DModel m;
  FillPlane(m, 3, 11, 1, 0);  // heights 0..10 → 0, 10, …, 100 %
  m.SetShaded(true);
  for (const auto& [mode, level] : {std::pair{1, 45.0f}, std::pair{2, 45.0f}, std::pair{0, 45.0f}}) {
    m.SetWaterLevel(uint8_t(mode), level);
    m.Prepare();
    for (int i = 0; i < 10; ++i) {
      // cell i spans 10·i .. 10·(i + 1) %
      const bool water = (mode == 1 && 10 * (i + 1) < level) || (mode == 2 && 10 * i > level);
      const uint8_t shade = m.CellShades()[11 + i];
      EXPECT_EQ((shade & graph3d::kWaterShade) != 0, water) << mode << " " << i;
      // A flattened cell lies flat at the level.
      if (water) {
        EXPECT_NEAR(shade & ~graph3d::kWaterShade, ExpectedShade(m, 0, 0, 1), 1);
      }
    }
  }
}

TEST(Graph3DShading, VectorAndOneByOneGiveTheSameBytesEvenForHolesAndFlatCells) {
  // Rows of 4k + 3 cells with every awkward case in each lane: the vector
  // part's lanes and the tail must give the same byte for the same cell.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::vector<float> heights = {0, 5, nan, 20, 20, 20, 3, 60, 90, 40, 40, 100};
  for (int offset = 0; offset < 4; ++offset) {
    std::vector<float> za, zb, xa, xb, ya, yb;
    for (int i = 0; i < 16; ++i) {
      const float h = heights[size_t(i + offset) % heights.size()];
      za.push_back(h);
      zb.push_back(h * 0.5f + 7);
      xa.push_back(float(i) * 3);
      xb.push_back(float(i) * 3 + 1);
      ya.push_back(0);
      yb.push_back(float(i % 3) + 2);
    }
    const float light[3] = {0.48f, -0.6f, 0.64f};
    for (int mode : {0, 1, 2}) {
      std::vector<uint8_t> all(15), one(15);
      graph3d::kernels::CellShades(xa.data(), xb.data(), ya.data(), yb.data(), za.data(), zb.data(), 15, light, mode,
                                   30, all.data());
      for (int i = 0; i < 15; ++i)  // each cell alone takes the one-by-one path
        graph3d::kernels::CellShades(xa.data() + i, xb.data() + i, ya.data() + i, yb.data() + i, za.data() + i,
                                     zb.data() + i, 1, light, mode, 30, one.data() + i);
      EXPECT_EQ(all, one) << "offset " << offset << " mode " << mode;
    }
  }
}

TEST(Graph3DLook, WithoutShadingCellsKeepTheirOutlinesAndTheBackground) {
  TGraph3DModel m;
  FillPlane(m, 3, 4, 1, 1);
  m.SetDataColor(0x112233);
  m.Prepare();
  const graph3d::TCellLook wire(m, 0x445566, false), hidden(m, 0x445566, true);
  EXPECT_FALSE(wire.Filled());
  EXPECT_TRUE(hidden.Filled());
  EXPECT_EQ(hidden.Pen(0), 0x112233u);
  EXPECT_EQ(hidden.Fill(0), 0x445566u);
  m.SetUseColors(true);
  m.SetIsodose(0, 0x0000AA, 100);
  m.Prepare();
  EXPECT_EQ(graph3d::TCellLook(m, 0, true).Pen(5), 0x0000AAu);
}

TEST(Graph3DLook, ShadedCellsAreFilledLitAndOutlinedDarker) {
  TGraph3DModel m;
  FillPlane(m, 3, 4, 1, 1);
  m.SetDataColor(0xFF0000);
  m.SetShaded(true);
  m.Prepare();
  const graph3d::TCellLook look(m, 0, false);  // filled even without hidden lines
  EXPECT_TRUE(look.Filled());
  EXPECT_TRUE(look.Shaded());
  // Brighter light, brighter fill; the outline darker than its fill; nothing
  // in the light falls to black.
  int last = -1;
  for (int shade = 0; shade < graph3d::kShadeLevels; shade += 9) {
    const TColor fill = look.FillFor(0, shade), pen = look.PenFor(0, shade);
    EXPECT_EQ(fill & 0x00FFFF, 0u);  // still the surface's blue
    EXPECT_GT(int(fill >> 16), last);
    EXPECT_LT(pen >> 16, fill >> 16);
    EXPECT_GT(pen >> 16, 0u);
    last = int(fill >> 16);
  }
  EXPECT_EQ(look.FillFor(0, graph3d::kShadeLevels - 1), 0xFF0000u);
  // Water is water whatever the surface's colour or band.
  m.SetUseColors(true);
  m.Prepare();
  const graph3d::TCellLook bands(m, 0, false);
  const TColor water = bands.FillFor(3, graph3d::kWaterShade | (graph3d::kShadeLevels - 1));
  EXPECT_EQ(water, graph3d::kWaterColor);
  EXPECT_EQ(bands.FillFor(3, graph3d::kShadeLevels - 1), m.Isodose(3).Color);
}

}  // namespace
