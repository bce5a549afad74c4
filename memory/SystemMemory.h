// How much memory the program can still take, and how much of it one large
// piece of work (a 3D grid, the points of a plane plot) may claim. No Qt:
// the 3D geometry and the plane plot's sampling both ask it before they
// allocate.
//
// Available: the system's available memory (MemAvailable of /proc/meminfo),
// or less when a memory cgroup of the process, or one above it, sets a limit
// (v2: memory.max less memory.current; v1: memory.limit_in_bytes less
// memory.usage_in_bytes), or when the address-space limit of the process
// leaves less room.
//
//   if (bytes > memory::MemoryBudget()) ...refuse before allocating...
#pragma once

#include <cstdint>
#include <string>

namespace memory {

// Bytes available now; 0 when nothing can be read.
uint64_t AvailableMemory();

// What one piece of work may take: a third of the memory available now
// after room for the pictures and the rest of the program, unless a budget
// was set with SetMemoryBudget.
uint64_t MemoryBudget();
// Tests: a fixed budget; 0 goes back to the machine's own figure.
void SetMemoryBudget(uint64_t bytes);

// Tests: the files are read under this folder instead of the root
// ("/proc/meminfo" becomes root + "/proc/meminfo", and so on), and the
// address-space limit is left out; empty goes back to the real ones.
void SetSystemRoot(const std::string& root);

}  // namespace memory
