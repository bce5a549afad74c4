// The memory the program may still take, read from a system of files of the
// test's own: /proc/meminfo, the process's cgroups and their mounts.
#include "memory/SystemMemory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

constexpr uint64_t MiB = uint64_t(1) << 20;
// How cgroup v1 writes "no limit": the largest multiple of the page below 2^63.
const std::string V1NoLimit = "9223372036854771712\n";

class SystemMemoryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    memory::SetMemoryBudget(0);
    memory::SetSystemRoot({});
    if (!Root.empty()) std::filesystem::remove_all(Root);
  }
  // 4 GiB available; the process's groups and the mounts as given.
  void FakeSystem(const std::string& cgroups, const std::string& mounts) {
    Root = std::filesystem::temp_directory_path() / ("matrikon-memory-" + std::to_string(::getpid()));
    std::filesystem::remove_all(Root);
    Write("proc/meminfo", "MemTotal:       24683772 kB\nMemFree:  100 kB\nMemAvailable:   4194304 kB\n");
    Write("proc/self/cgroup", cgroups);
    Write("proc/self/mountinfo", "24 30 0:22 / /proc rw - proc proc rw\n" + mounts);
    memory::SetSystemRoot(Root.string());
  }
  void Write(const std::string& file, const std::string& text) {
    std::filesystem::create_directories((Root / file).parent_path());
    std::ofstream(Root / file) << text;
  }
  std::filesystem::path Root;
};

TEST_F(SystemMemoryTest, BudgetFollowsTheMemoryAvailableAndTheCgroupV2Limits) {
  FakeSystem("0::/app.slice/plot\n", "31 30 0:26 / /sys/fs/cgroup rw,nosuid - cgroup2 cgroup2 rw,nsdelegate\n");
  EXPECT_EQ(memory::AvailableMemory(), 4096 * MiB);
  // a limit above the process's own cgroup, with part of it in use
  Write("sys/fs/cgroup/app.slice/memory.max", "1073741824\n");
  Write("sys/fs/cgroup/app.slice/memory.current", "268435456\n");
  Write("sys/fs/cgroup/app.slice/plot/memory.max", "max\n");
  EXPECT_EQ(memory::AvailableMemory(), 768 * MiB);
  // the pictures and the rest of the program first, then a third of what is left
  EXPECT_EQ(memory::MemoryBudget(), (768 - 256) * MiB / 3);
  // a lower one on the process's own
  Write("sys/fs/cgroup/app.slice/plot/memory.max", "536870912\n");
  Write("sys/fs/cgroup/app.slice/plot/memory.current", "436207616\n");
  EXPECT_EQ(memory::AvailableMemory(), 96 * MiB);
  EXPECT_EQ(memory::MemoryBudget(), 0u);
}

// A hybrid host: the memory controller on a v1 hierarchy, an empty v2 one
// beside it, and other v1 controllers whose files do not count.
TEST_F(SystemMemoryTest, CgroupV1MemoryLimitsCountWalkingUpAndNearTwoToTheSixtyThreeIsNone) {
  FakeSystem("12:cpu,cpuacct:/user.slice/plot\n4:memory:/user.slice/plot\n1:name=systemd:/user.slice/plot\n0::/\n",
             "32 31 0:29 / /sys/fs/cgroup/cpu,cpuacct rw - cgroup cgroup rw,cpu,cpuacct\n"
             "35 31 0:32 / /sys/fs/cgroup/memory rw,nosuid - cgroup cgroup rw,memory\n"
             "41 31 0:38 / /sys/fs/cgroup/unified rw - cgroup2 cgroup2 rw\n");
  const std::string v1 = "sys/fs/cgroup/memory/";
  Write(v1 + "memory.limit_in_bytes", V1NoLimit);
  Write(v1 + "user.slice/plot/memory.limit_in_bytes", V1NoLimit);
  Write(v1 + "user.slice/plot/memory.usage_in_bytes", "4395008\n");
  Write("sys/fs/cgroup/cpu,cpuacct/user.slice/memory.limit_in_bytes", "1048576\n");
  EXPECT_EQ(memory::AvailableMemory(), 4096 * MiB);

  // a limit above the process's own group, with part of it in use
  Write(v1 + "user.slice/memory.limit_in_bytes", "1073741824\n");
  Write(v1 + "user.slice/memory.usage_in_bytes", "268435456\n");
  EXPECT_EQ(memory::AvailableMemory(), 768 * MiB);
  EXPECT_EQ(memory::MemoryBudget(), (768 - 256) * MiB / 3);
  // a lower one on the process's own
  Write(v1 + "user.slice/plot/memory.limit_in_bytes", "536870912\n");
  Write(v1 + "user.slice/plot/memory.usage_in_bytes", "436207616\n");
  EXPECT_EQ(memory::AvailableMemory(), 96 * MiB);

  // In a cgroup namespace the mount shows the hierarchy from the group's parent.
  std::filesystem::remove_all(Root / "sys");
  FakeSystem("4:memory:/user.slice/plot\n",
             "35 31 0:32 /user.slice /sys/fs/cgroup/memory rw - cgroup cgroup rw,memory\n");
  Write(v1 + "plot/memory.limit_in_bytes", "805306368\n");
  Write(v1 + "plot/memory.usage_in_bytes", "0\n");
  EXPECT_EQ(memory::AvailableMemory(), 768 * MiB);
}

}  // namespace
