// How much memory the program can still take: the system's available memory
// (MemAvailable of /proc/meminfo), or less when the process's cgroup (v2)
// or one above it sets a limit (memory.max less memory.current), or the
// address-space limit of the process is lower.
#pragma once

#include <cstdint>
#include <string>

namespace graph3d {

// Bytes available now; 0 when nothing can be read.
uint64_t AvailableMemory();

// Tests: the files are read under this folder instead of the root
// ("/proc/meminfo" becomes root + "/proc/meminfo", and so on); empty goes
// back to the real ones.
void SetSystemRoot(const std::string& root);

}  // namespace graph3d
