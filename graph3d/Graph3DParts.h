// How the 3D control splits its stages over the cores (parallel/Parts.h): at
// most kMaxParts contiguous parts, which the stages that keep something per
// part size their arrays by. Internal to the 3D control.
#pragma once

#include "parallel/Parts.h"

#include <cstdint>
#include <utility>

namespace graph3d {

inline constexpr int kMaxParts = 4;

// Parts for n items when a part should have at least `grain` of them.
inline int PartsFor(int64_t n, int64_t grain) { return parallel::PartsFor(n, grain, kMaxParts); }

using parallel::RunInParts;

template <typename F>
void InParts(int64_t n, int64_t grain, F&& f) {
  RunInParts(n, PartsFor(n, grain), std::forward<F>(f));
}

}  // namespace graph3d
