// The size check that code making a grid runs before making any value.
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Graph3DCore.h"
#include "graph3d/SystemMemory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

std::string TooLarge(int64_t lines, int64_t values) {
  return "Graph3D.BuildTrapezes: Not enough memory for " + std::to_string(lines) + " lines of " +
         std::to_string(values) + " values";
}

class GridSizeTest : public ::testing::Test {
 protected:
  void TearDown() override {
    graph3d::SetMemoryBudget(0);
    graph3d::SetSystemRoot({});
    if (!Root.empty()) std::filesystem::remove_all(Root);
  }
  // A system of files of its own: /proc/meminfo with this much available,
  // the process in cgroup /app.slice/plot of a cgroup2 mount.
  void FakeSystem(uint64_t availableKb) {
    Root = std::filesystem::temp_directory_path() / ("graph3d-memory-" + std::to_string(::getpid()));
    std::filesystem::remove_all(Root);
    Write("proc/meminfo", "MemTotal:       24683772 kB\nMemFree:  100 kB\nMemAvailable:   " +
                              std::to_string(availableKb) + " kB\n");
    Write("proc/self/cgroup", "0::/app.slice/plot\n");
    Write("proc/self/mountinfo", "24 30 0:22 / /proc rw - proc proc rw\n"
                                 "31 30 0:26 / /sys/fs/cgroup rw,nosuid - cgroup2 cgroup2 rw,nsdelegate\n");
    std::filesystem::create_directories(Root / "sys/fs/cgroup/app.slice/plot");
    graph3d::SetSystemRoot(Root.string());
  }
  void Write(const std::string& file, const std::string& text) {
    std::filesystem::create_directories((Root / file).parent_path());
    std::ofstream(Root / file) << text;
  }
  std::filesystem::path Root;
};

constexpr uint64_t MiB = uint64_t(1) << 20;

TEST_F(GridSizeTest, BudgetFollowsTheMemoryAvailableAndTheCgroupLimits) {
  FakeSystem(4 * 1024 * 1024);  // 4 GiB
  EXPECT_EQ(graph3d::AvailableMemory(), 4096 * MiB);
  // a limit above the process's own cgroup, with part of it in use
  Write("sys/fs/cgroup/app.slice/memory.max", "1073741824\n");
  Write("sys/fs/cgroup/app.slice/memory.current", "268435456\n");
  Write("sys/fs/cgroup/app.slice/plot/memory.max", "max\n");
  EXPECT_EQ(graph3d::AvailableMemory(), 768 * MiB);
  // the picture and the rest of the program first, then a third of what is left
  EXPECT_EQ(graph3d::MemoryBudget(), (768 - 256) * MiB / 3);
  // a lower one on the process's own
  Write("sys/fs/cgroup/app.slice/plot/memory.max", "536870912\n");
  Write("sys/fs/cgroup/app.slice/plot/memory.current", "436207616\n");
  EXPECT_EQ(graph3d::AvailableMemory(), 96 * MiB);
  EXPECT_EQ(graph3d::MemoryBudget(), 0u);

  // The window's largest grid does not fit a cgroup that leaves it 400 MiB,
  // though the machine has plenty.
  std::filesystem::remove(Root / "sys/fs/cgroup/app.slice/plot/memory.max");
  Write("sys/fs/cgroup/app.slice/memory.max", std::to_string(656 * MiB) + "\n");
  Write("sys/fs/cgroup/app.slice/memory.current", "0\n");
  EXPECT_EQ(graph3d::AvailableMemory(), 656 * MiB);
  EXPECT_THROW(graph3d::CheckGridSize(3000, 3000), EGraph3DError);
  EXPECT_NO_THROW(graph3d::CheckGridSize(1000, 1000));
}

TEST_F(GridSizeTest, OneLongLineIsRefusedBeforeItsValuesAreMade) {
  // What a 30-byte settings file may ask for: 1 line of 2147483647 values
  // (8 GiB of them) on a machine with 4 GiB available.
  FakeSystem(4 * 1024 * 1024);
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
  graph3d::SetMemoryBudget(graph3d::EstimateBuildBytes(100, 100) + 100 * 100 * sizeof(float) / 2);
  EXPECT_THROW(graph3d::CheckGridSize(100, 100), EGraph3DError);
  graph3d::SetMemoryBudget(graph3d::EstimateBuildBytes(100, 100) + 100 * 1024);
  EXPECT_NO_THROW(graph3d::CheckGridSize(100, 100));
}

TEST_F(GridSizeTest, GridsThatMakeNothingAreLeftToTheLineChecks) {
  graph3d::SetMemoryBudget(1);
  for (int64_t lines : {-5, 0}) EXPECT_NO_THROW(graph3d::CheckGridSize(lines, 2000000000));
  EXPECT_THROW(graph3d::CheckGridSize(1, 2000000000), EGraph3DError);  // one line is made
  EXPECT_NO_THROW(graph3d::CheckGridSize(2000000000, 1));
  graph3d::SetMemoryBudget(0);
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
