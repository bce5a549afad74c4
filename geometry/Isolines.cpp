#include "geometry/Isolines.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace geometry {

namespace {

// Where the level crosses the edge from point p to point q (their heights on
// either side of it). Every edge is always taken in the same direction,
// along a line or from line j to line j + 1, so the two cells that share it
// find the same point and the pieces join.
inline void Cross(float level, float xp, float yp, float zp, float xq, float yq, float zq, float& x, float& y) {
  const float t = (level - zp) / (zq - zp);
  x = xp + t * (xq - xp);
  y = yp + t * (yq - yp);
}

}  // namespace

std::vector<std::vector<TSegment>> Isolines(const TGridSurface& surface, const std::vector<float>& levels,
                                            uint64_t maxSegments) {
  std::vector<std::vector<TSegment>> result(levels.size());
  const int64_t lines = surface.Lines();
  const int32_t n = surface.Values();
  // The levels from the lowest up; a point's class is how many of them lie
  // at or below it, so a cell crosses exactly the levels between the
  // smallest and the largest class of its corners.
  std::vector<size_t> order;
  for (size_t k = 0; k < levels.size(); ++k)
    if (!std::isnan(levels[k])) order.push_back(k);
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return levels[a] < levels[b]; });
  if (lines < 2 || n < 2 || order.empty()) return result;
  std::vector<float> sorted(order.size());
  for (size_t k = 0; k < order.size(); ++k) sorted[k] = levels[order[k]];
  const int m = int(sorted.size());

  auto classify = [&](const float* z, uint16_t* out) {
    for (int32_t i = 0; i < n; ++i) {
      const float v = z[i];
      int c = 0;
      if (m <= 16) {
        for (int k = 0; k < m; ++k) c += sorted[size_t(k)] <= v;  // a NaN is below all
      } else if (!std::isnan(v)) {
        c = int(std::upper_bound(sorted.begin(), sorted.end(), v) - sorted.begin());
      }
      out[i] = uint16_t(c);
    }
  };

  TRowScratch scratch[2];
  std::vector<uint16_t> classes[2] = {std::vector<uint16_t>(size_t(n)), std::vector<uint16_t>(size_t(n))};
  TGridRow a = surface.Row(0, scratch[0]), b;
  classify(a.Z, classes[0].data());
  uint64_t total = 0;
  for (int64_t j = 0; j + 1 < lines; ++j) {
    const int next = int((j + 1) & 1);
    b = surface.Row(j + 1, scratch[next]);
    classify(b.Z, classes[next].data());
    const uint16_t* ca = classes[j & 1].data();
    const uint16_t* cb = classes[next].data();
    for (int32_t i = 0; i + 1 < n; ++i) {
      const int c0 = ca[i], c1 = ca[i + 1], c2 = cb[i + 1], c3 = cb[i];
      const int lo = std::min(std::min(c0, c1), std::min(c2, c3));
      const int hi = std::max(std::max(c0, c1), std::max(c2, c3));
      if (lo == hi) continue;
      if ((a.Missing && (a.Missing[i] | a.Missing[i + 1])) || (b.Missing && (b.Missing[i] | b.Missing[i + 1])))
        continue;
      // corners in turn: 0 = (j, i), 1 = (j, i + 1), 2 = (j + 1, i + 1), 3 = (j + 1, i)
      const float z0 = a.Z[i], z1 = a.Z[i + 1], z2 = b.Z[i + 1], z3 = b.Z[i];
      for (int k = lo; k < hi; ++k) {
        const float level = sorted[size_t(k)];
        const int above = (c0 > k) | (c1 > k) << 1 | (c2 > k) << 2 | (c3 > k) << 3;
        // The crossing on each edge: 0 = corners 0–1, 1 = 1–2, 2 = 3–2, 3 = 0–3.
        float ex[4], ey[4];
        auto edge = [&](int e) {
          switch (e) {
            case 0: Cross(level, a.X[i], a.Y[i], z0, a.X[i + 1], a.Y[i + 1], z1, ex[0], ey[0]); break;
            case 1: Cross(level, a.X[i + 1], a.Y[i + 1], z1, b.X[i + 1], b.Y[i + 1], z2, ex[1], ey[1]); break;
            case 2: Cross(level, b.X[i], b.Y[i], z3, b.X[i + 1], b.Y[i + 1], z2, ex[2], ey[2]); break;
            default: Cross(level, a.X[i], a.Y[i], z0, b.X[i], b.Y[i], z3, ex[3], ey[3]); break;
          }
        };
        std::vector<TSegment>& out = result[order[size_t(k)]];
        auto add = [&](int e, int f) {
          edge(e);
          edge(f);
          out.push_back({ex[e], ey[e], ex[f], ey[f]});
          if (++total > maxSegments) throw ETooManySegments();
        };
        if (above == 0b0101 || above == 0b1010) {
          // A saddle: the corners on the centre's side stay joined, the
          // other two are cut off one by one.
          const bool centreAbove = (z0 + z1 + z2 + z3) / 4 >= level;
          const bool cutFirstPair = (above == 0b0101) != centreAbove;  // corners 0 and 2 cut off
          if (cutFirstPair) {
            add(3, 0);
            add(1, 2);
          } else {
            add(0, 1);
            add(2, 3);
          }
          continue;
        }
        // Otherwise exactly two edges join corners on either side.
        int crossed[2], count = 0;
        for (int e = 0; e < 4; ++e) {
          const int p = e, q = (e + 1) & 3;
          if (((above >> p) ^ (above >> q)) & 1) crossed[count++] = e;
        }
        add(crossed[0], crossed[1]);
      }
    }
    a = b;
  }
  return result;
}

}  // namespace geometry
