#include "memory/SystemMemory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

namespace memory {

namespace {

std::string GRoot;
uint64_t GMemoryBudget = 0;

constexpr uint64_t kNoLimit = std::numeric_limits<uint64_t>::max();

std::string Path(const std::string& path) { return GRoot + path; }

// The first whitespace-separated number in a file, or nothing ("max" and
// unreadable files alike).
bool ReadNumber(const std::string& file, uint64_t& value) {
  std::ifstream in(file);
  std::string word;
  if (!(in >> word) || word.empty() || word.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  const unsigned long long v = std::strtoull(word.c_str(), nullptr, 10);
  if (errno != 0) return false;
  value = v;
  return true;
}

// The value of a "Name:   123 kB" line of a /proc file in bytes, or 0.
uint64_t ProcKilobytes(const std::string& file, const std::string& name) {
  std::ifstream in(Path(file));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string field, unit;
    unsigned long long kb = 0;
    if (fields >> field >> kb && field == name) {
      fields >> unit;
      return unit == "kB" ? uint64_t(kb) * 1024 : uint64_t(kb);
    }
  }
  return 0;
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::istringstream in(text);
  std::string part;
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

bool HasMemoryController(const std::string& list) {
  const std::vector<std::string> names = Split(list, ',');
  return std::find(names.begin(), names.end(), "memory") != names.end();
}

// The memory files of one cgroup version.
struct TCgroupKind {
  const char* Limit;
  const char* Usage;
};
constexpr TCgroupKind kV2{"/memory.max", "/memory.current"};
constexpr TCgroupKind kV1{"/memory.limit_in_bytes", "/memory.usage_in_bytes"};

// A group of the process: its folder, and the mount point where the walk up stops.
struct TCgroup {
  TCgroupKind Kind;
  std::string Folder, MountPoint;
};

// The process's memory cgroups: the v2 group, and on hosts with v1 (or
// both, "hybrid") the group of the v1 memory controller.
std::vector<TCgroup> Cgroups() {
  // ID:CONTROLLERS:PATH; v2 is "0::PATH".
  std::string v2Path, v1Path;
  {
    std::ifstream in(Path("/proc/self/cgroup"));
    std::string line;
    while (std::getline(in, line)) {
      const size_t first = line.find(':'), second = first == std::string::npos ? first : line.find(':', first + 1);
      if (second == std::string::npos) continue;
      const std::string id = line.substr(0, first), controllers = line.substr(first + 1, second - first - 1);
      const std::string path = line.substr(second + 1);
      if (id == "0" && controllers.empty()) v2Path = path;
      else if (HasMemoryController(controllers)) v1Path = path;
    }
  }
  std::vector<TCgroup> groups;
  std::ifstream in(Path("/proc/self/mountinfo"));
  std::string line;
  while (std::getline(in, line)) {
    // ID PARENT MAJ:MIN ROOT MOUNTPOINT OPTIONS ... - TYPE SOURCE SUPEROPTIONS
    const size_t dash = line.find(" - ");
    if (dash == std::string::npos) continue;
    std::istringstream tail(line.substr(dash + 3));
    std::string type, source, superOptions;
    if (!(tail >> type >> source)) continue;
    tail >> superOptions;
    const bool v2 = type == "cgroup2" && !v2Path.empty();
    const bool v1 = type == "cgroup" && !v1Path.empty() && HasMemoryController(superOptions);
    if (!v2 && !v1) continue;
    std::istringstream head(line.substr(0, dash));
    std::string id, parent, device, root, point;
    if (!(head >> id >> parent >> device >> root >> point)) continue;
    std::string inside = v2 ? v2Path : v1Path;
    if (inside.empty() || inside[0] != '/') continue;
    // A cgroup namespace shows paths from its own root.
    if (root != "/" && inside.rfind(root, 0) == 0) inside = inside.substr(root.size());
    const std::string mountPoint = Path(point);
    groups.push_back({v2 ? kV2 : kV1, mountPoint + (inside == "/" ? "" : inside), mountPoint});
    (v2 ? v2Path : v1Path).clear();  // the first mount of each is the one
  }
  return groups;
}

// The least headroom (limit less usage) of the group and the ones above it,
// or kNoLimit when none sets a limit. v1 writes "no limit" as the largest
// multiple of the page size below 2^63.
uint64_t Headroom(TCgroup group) {
  constexpr uint64_t kUnlimited = uint64_t(1) << 62;
  uint64_t headroom = kNoLimit;
  std::string& folder = group.Folder;
  while (true) {
    uint64_t limit = 0, used = 0;
    if (ReadNumber(folder + group.Kind.Limit, limit) && limit < kUnlimited) {
      if (!ReadNumber(folder + group.Kind.Usage, used)) used = 0;
      headroom = std::min(headroom, limit > used ? limit - used : 0);
    }
    if (folder.size() <= group.MountPoint.size()) break;
    const size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos || slash < group.MountPoint.size()) break;
    folder.resize(slash);
  }
  return headroom;
}

}  // namespace

void SetSystemRoot(const std::string& root) { GRoot = root; }

uint64_t AvailableMemory() {
  uint64_t available = ProcKilobytes("/proc/meminfo", "MemAvailable:");
  if (available == 0 && GRoot.empty()) {
    // A system without MemAvailable: its free pages.
    const long pages = sysconf(_SC_AVPHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) available = uint64_t(pages) * uint64_t(pageSize);
  }
  for (const TCgroup& group : Cgroups()) available = std::min(available, Headroom(group));
  rlimit limit{};
  if (GRoot.empty() && getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    // What the address space has left: the libraries, stacks and heaps of
    // the running program already take their share of the limit.
    const uint64_t used = ProcKilobytes("/proc/self/status", "VmSize:");
    available = std::min<uint64_t>(available, limit.rlim_cur > used ? limit.rlim_cur - used : 0);
  }
  return available;
}

uint64_t MemoryBudget() {
  if (GMemoryBudget != 0) return GMemoryBudget;
  // Room for the pictures, the toolkit and the rest of the program first;
  // of what is left one piece of work takes at most a third, as estimates
  // leave out what the system and the other programs need meanwhile.
  constexpr uint64_t kReserve = uint64_t(256) << 20;
  const uint64_t available = AvailableMemory();
  return available > kReserve ? (available - kReserve) / 3 : 0;
}

void SetMemoryBudget(uint64_t bytes) { GMemoryBudget = bytes; }

}  // namespace memory
