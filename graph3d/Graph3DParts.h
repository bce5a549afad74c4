// Work on large grids split between the processor's cores with std::thread:
// f(begin, end, part) over contiguous parts of [0, n), the first part on the
// calling thread. An exception in any part reaches the caller once all parts
// have ended. Internal to the 3D control.
#pragma once

#include <algorithm>
#include <cstdint>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace graph3d {

inline constexpr int kMaxParts = 4;

// Parts for n items when a part should have at least `grain` of them.
inline int PartsFor(int64_t n, int64_t grain) {
  static const int cores = std::clamp(int(std::thread::hardware_concurrency()), 1, kMaxParts);
  return int(std::clamp<int64_t>(n / std::max<int64_t>(grain, 1), 1, cores));
}

template <typename F>
void RunInParts(int64_t n, int parts, F&& f) {
  parts = std::min(parts, kMaxParts);
  if (parts <= 1 || n <= 1) {
    f(int64_t(0), n, 0);
    return;
  }
  auto from = [n, parts](int part) { return n * part / parts; };
  std::exception_ptr errors[kMaxParts];
  auto run = [&](int part) {
    try {
      f(from(part), from(part + 1), part);
    } catch (...) {
      errors[part] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  std::vector<int> here;
  for (int part = 1; part < parts; ++part) {
    try {
      threads.emplace_back(run, part);
    } catch (...) {
      here.push_back(part);  // no thread to be had: done on this one
    }
  }
  run(0);
  for (int part : here) run(part);
  for (std::thread& t : threads) t.join();
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
}

template <typename F>
void InParts(int64_t n, int64_t grain, F&& f) {
  RunInParts(n, PartsFor(n, grain), std::forward<F>(f));
}

}  // namespace graph3d
