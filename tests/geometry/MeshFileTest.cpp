// Mesh files of a grid surface, read back by a small reader of their own.
#include "geometry/MeshFile.h"
#include "tests/geometry/TestGrid.h"
#include "tests/support/MeshReader.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

using mesh_reader::ReadObj;
using mesh_reader::ReadStl;
using mesh_reader::TMesh;
using mesh_reader::TPoint;
using mesh_reader::TTriangle;

std::string Write(bool stl, const geometry::TGridSurface& s, std::string_view text) {
  std::string bytes;
  const auto sink = [&](const char* data, size_t size) {
    bytes.append(data, size);
    return true;
  };
  EXPECT_TRUE(stl ? geometry::WriteStl(s, text, sink) : geometry::WriteObj(s, text, sink));
  return bytes;
}

TEST(MeshFile, APlaneComesBackExactlyInBothFormats) {
  // z = 2x − 3y + 1 over x = −2..5 (8 values), y = 10..13 (4 lines).
  const TTestGrid plane(4, 8, [](float x, float y) { return 2 * x - 3 * y + 1; }, -2, 1, 10, 1);
  const geometry::TMeshCount count = geometry::CountMesh(plane);
  EXPECT_EQ(count.Triangles, 2u * 7 * 3);
  EXPECT_EQ(count.Points, 32u);
  const std::string stl = Write(true, plane, "Матрикон: Z(X;Y) = 2*x-3*y+1");
  EXPECT_EQ(stl.size(), geometry::StlBytes(count));
  const std::string obj = Write(false, plane, "Матрикон\nZ(X;Y) = 2*x-3*y+1");
  EXPECT_LE(obj.size(), geometry::ObjBytesAtMost(count, 30));
  const TMesh fromObj = ReadObj(obj);
  EXPECT_EQ(fromObj.Points, 32u);  // every point once
  EXPECT_EQ(fromObj.Header, "Матрикон\nZ(X;Y) = 2*x-3*y+1\n");
  const TMesh fromStl = ReadStl(stl);
  EXPECT_EQ(fromStl.Header.substr(0, 42), std::string("Матрикон: Z(X;Y) = 2*x-3*y+1") + std::string(6, '\0'));
  for (const TMesh* mesh : {&fromStl, &fromObj}) {
    EXPECT_EQ(mesh->Error, "");
    ASSERT_EQ(mesh->Triangles.size(), count.Triangles);
    for (const TTriangle& t : mesh->Triangles)
      for (const TPoint& p : t) {
        EXPECT_EQ(p[2], 2 * p[0] - 3 * p[1] + 1);  // on the plane, exactly
        EXPECT_EQ(p[0], std::round(p[0]));       // at grid points
      }
    EXPECT_EQ(mesh->Bounds()[0], (TPoint{-2, 10, 2 * -2.0f - 3 * 13 + 1}));
    EXPECT_EQ(mesh->Bounds()[1], (TPoint{5, 13, 2 * 5.0f - 3 * 10 + 1}));
    // the first cell's two triangles, corners (j, i), (j, i + 1), (j + 1, i + 1) and (j + 1, i)
    EXPECT_EQ(mesh->Triangles[0], (TTriangle{TPoint{-2, 10, -33}, TPoint{-1, 10, -31}, TPoint{-1, 11, -34}}));
    EXPECT_EQ(mesh->Triangles[1], (TTriangle{TPoint{-2, 10, -33}, TPoint{-1, 11, -34}, TPoint{-2, 11, -36}}));
  }
  // STL normals: the plane's, of unit length, facing up.
  const double n = std::sqrt(2.0 * 2 + 3 * 3 + 1);
  for (const TPoint& normal : fromStl.Normals) {
    EXPECT_NEAR(normal[0], -2 / n, 1e-6);
    EXPECT_NEAR(normal[1], 3 / n, 1e-6);
    EXPECT_NEAR(normal[2], 1 / n, 1e-6);
  }
}

TEST(MeshFile, CellsWithoutAllCornersAreLeftOutAndNumbersStayRight) {
  TTestGrid bowl(5, 6, [](float x, float y) { return x * x + y; });
  bowl.Missing = {{0, 0}, {2, 3}, {4, 5}};
  // (0, 0) takes one cell, (2, 3) four, (4, 5) one: 20 − 6 cells
  const geometry::TMeshCount count = geometry::CountMesh(bowl);
  EXPECT_EQ(count.Triangles, 2u * 14);
  EXPECT_EQ(count.Points, 27u);
  const TMesh obj = ReadObj(Write(false, bowl, ""));
  EXPECT_EQ(obj.Points, 27u);
  const TMesh stl = ReadStl(Write(true, bowl, ""));
  ASSERT_EQ(obj.Triangles.size(), 28u);
  ASSERT_EQ(stl.Triangles.size(), 28u);
  for (size_t k = 0; k < obj.Triangles.size(); ++k) {
    EXPECT_EQ(obj.Triangles[k], stl.Triangles[k]);
    for (const TPoint& p : obj.Triangles[k]) {
      EXPECT_EQ(p[2], p[0] * p[0] + p[1]);  // every corner is a real point of the surface
      EXPECT_FALSE(bowl.Missing.count({int64_t(p[1]), int32_t(p[0])}));
    }
  }
}

TEST(MeshFile, HeaderIsCutAtAWholeCharacterAndTheSinkCanStop) {
  const TTestGrid plane(300, 300, [](float x, float y) { return x + y; });
  // One byte and 41 two-byte letters: the 40th would take bytes 79 and 80.
  std::string text;
  for (int k = 0; k < 41; ++k) text += "ж";
  const std::string stl = Write(true, plane, "a" + text);
  EXPECT_EQ(stl.substr(0, 80), "a" + text.substr(0, 78) + '\0');
  // A sink that refuses after the first piece, and a stop from the progress.
  for (bool stopBySink : {true, false}) {
    int pieces = 0;
    double last = 0;
    const bool done = geometry::WriteStl(
        plane, "", [&](const char*, size_t) { return ++pieces < 2 || !stopBySink; },
        [&](double fraction) {
          EXPECT_GE(fraction, last);
          last = fraction;
          return stopBySink || fraction < 0.5;
        });
    EXPECT_FALSE(done);
    if (stopBySink) EXPECT_EQ(pieces, 2);
    else EXPECT_LT(last, 0.6);
  }
}

}  // namespace
