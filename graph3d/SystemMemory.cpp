#include "graph3d/SystemMemory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

namespace graph3d {

namespace {

std::string GRoot;

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

// MemAvailable in bytes, or 0.
uint64_t MemInfoAvailable() {
  std::ifstream in(Path("/proc/meminfo"));
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name, unit;
    unsigned long long kb = 0;
    if (fields >> name >> kb && name == "MemAvailable:") {
      fields >> unit;
      return unit == "kB" ? uint64_t(kb) * 1024 : uint64_t(kb);
    }
  }
  return 0;
}

// The folder of the process's cgroup v2, from its mount point and the
// process's path in the hierarchy; empty when there is none.
std::string CgroupFolder(std::string& mountPoint) {
  std::string cgroup;
  {
    std::ifstream in(Path("/proc/self/cgroup"));
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind("0::", 0) == 0) cgroup = line.substr(3);
    }
  }
  if (cgroup.empty() || cgroup[0] != '/') return {};
  std::ifstream in(Path("/proc/self/mountinfo"));
  std::string line;
  while (std::getline(in, line)) {
    // ID PARENT MAJ:MIN ROOT MOUNTPOINT OPTIONS ... - TYPE SOURCE OPTIONS
    const size_t dash = line.find(" - ");
    if (dash == std::string::npos) continue;
    std::istringstream tail(line.substr(dash + 3));
    std::string type;
    if (!(tail >> type) || type != "cgroup2") continue;
    std::istringstream head(line.substr(0, dash));
    std::string id, parent, device, root, point;
    if (!(head >> id >> parent >> device >> root >> point)) continue;
    // A cgroup namespace shows paths from its own root.
    std::string inside = cgroup;
    if (root != "/" && inside.rfind(root, 0) == 0) inside = inside.substr(root.size());
    mountPoint = Path(point);
    return mountPoint + (inside == "/" ? "" : inside);
  }
  return {};
}

// The least headroom (memory.max less memory.current) of the cgroup and the
// ones above it, or the largest number when none sets a limit.
uint64_t CgroupHeadroom() {
  uint64_t headroom = std::numeric_limits<uint64_t>::max();
  std::string mountPoint;
  std::string folder = CgroupFolder(mountPoint);
  if (folder.empty()) return headroom;
  while (true) {
    uint64_t limit = 0, used = 0;
    if (ReadNumber(folder + "/memory.max", limit)) {
      if (!ReadNumber(folder + "/memory.current", used)) used = 0;
      headroom = std::min(headroom, limit > used ? limit - used : 0);
    }
    if (folder.size() <= mountPoint.size()) break;
    const size_t slash = folder.find_last_of('/');
    if (slash == std::string::npos || slash < mountPoint.size()) break;
    folder.resize(slash);
  }
  return headroom;
}

}  // namespace

void SetSystemRoot(const std::string& root) { GRoot = root; }

uint64_t AvailableMemory() {
  uint64_t available = MemInfoAvailable();
  if (available == 0 && GRoot.empty()) {
    // A system without MemAvailable: its free pages.
    const long pages = sysconf(_SC_AVPHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) available = uint64_t(pages) * uint64_t(pageSize);
  }
  available = std::min(available, CgroupHeadroom());
  rlimit limit{};
  if (GRoot.empty() && getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    available = std::min<uint64_t>(available, limit.rlim_cur);
  }
  return available;
}

}  // namespace graph3d
