// The size check that code making a grid runs before making any value.
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Graph3DCore.h"
#include "memory/SystemMemory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace {

std::string TooLarge(int64_t lines, int64_t values) {
  return "Graph3D.BuildTrapezes: Not enough memory for " + std::to_string(lines) + " lines of " +
         std::to_string(values) + " values";
}

class GridSizeTest : public ::testing::Test {
 protected:
  void TearDown() override { memory::SetMemoryBudget(0); }
};

constexpr uint64_t MiB = uint64_t(1) << 20;

// The budget of a machine with this much memory available.
void AvailableMiB(uint64_t mib) { memory::SetMemoryBudget((mib - 256) * MiB / 3); }

TEST_F(GridSizeTest, WindowsLargestGridDoesNotFitACgroupThatLeavesIt656MiB) {
  AvailableMiB(656);
  EXPECT_THROW(graph3d::CheckGridSize(3000, 3000), EGraph3DError);
  EXPECT_NO_THROW(graph3d::CheckGridSize(1000, 1000));
}

TEST_F(GridSizeTest, OneLongLineIsRefusedBeforeItsValuesAreMade) {
  // What a 30-byte settings file may ask for: 1 line of 2147483647 values
  // (8 GiB of them) on a machine with 4 GiB available.
  AvailableMiB(4096);
  const auto start = std::chrono::steady_clock::now();
  for (auto make : {+[] { graph3d::CheckGridSize(1, 2147483647); },
                    +[] { graph3d::GenerateSurface(1, 2147483647, 8.8L); }}) {
    try {
      make();
      ADD_FAILURE() << "accepted";
    } catch (const EGraph3DError& e) {
      EXPECT_EQ(std::string(e.what()), TooLarge(1, 2147483647));
    }
  }
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST_F(GridSizeTest, GridsBeyondMemoryAreRefusedBeforeAnyValueIsMade) {
  struct TCase {
    int32_t Lines, Values;
  };
  // Absurd grids, and one whose cells alone would fit but whose count does not.
  for (const TCase c : {TCase{2000000000, 2000000000}, TCase{100000, 100000}, TCase{2000000000, 3},
                        TCase{3, 2000000000}}) {
    SCOPED_TRACE(std::to_string(c.Lines) + " x " + std::to_string(c.Values));
    try {
      graph3d::CheckGridSize(c.Lines, c.Values);
      ADD_FAILURE() << "accepted";
    } catch (const EGraph3DError& e) {
      EXPECT_EQ(std::string(e.what()), TooLarge(c.Lines, c.Values));
    }
    // The generator refuses with the same message, at once: these grids
    // would take far more memory and time than a test has.
    try {
      graph3d::GenerateSurface(c.Lines, c.Values, 8.8L);
      ADD_FAILURE() << "generated";
    } catch (const EGraph3DError& e) {
      EXPECT_EQ(std::string(e.what()), TooLarge(c.Lines, c.Values));
    }
  }
}

TEST_F(GridSizeTest, CountsTheLinesAsWellAsTheCells) {
  // The window's largest grid fits this machine.
  EXPECT_NO_THROW(graph3d::CheckGridSize(3000, 3000));
  // A budget that holds the cells but not the lines' values besides them.
  memory::SetMemoryBudget(graph3d::EstimateBuildBytes(100, 100) + 100 * 100 * sizeof(float) / 2);
  EXPECT_THROW(graph3d::CheckGridSize(100, 100), EGraph3DError);
  memory::SetMemoryBudget(graph3d::EstimateBuildBytes(100, 100) + 100 * 1024);
  EXPECT_NO_THROW(graph3d::CheckGridSize(100, 100));
}

TEST_F(GridSizeTest, GridsThatMakeNothingAreLeftToTheLineChecks) {
  memory::SetMemoryBudget(1);
  for (int64_t lines : {-5, 0}) EXPECT_NO_THROW(graph3d::CheckGridSize(lines, 2000000000));
  EXPECT_THROW(graph3d::CheckGridSize(1, 2000000000), EGraph3DError);  // one line is made
  EXPECT_NO_THROW(graph3d::CheckGridSize(2000000000, 1));
  memory::SetMemoryBudget(0);
  // A grid of 1-value lines fails on its first line, without room kept for all.
  try {
    graph3d::GenerateSurface(2000000000, 1, 8.8L);
    ADD_FAILURE() << "generated";
  } catch (const EGraph3DError& e) {
    EXPECT_EQ(std::string(e.what()), "Cannot create a TGraphLine with 1 value(s)");
  }
  EXPECT_TRUE(graph3d::GenerateSurface(-7, 4, 8.8L).empty());
}

}  // namespace
