#include "graph3d/Graph3DScale.h"

#include <algorithm>
#include <cmath>

namespace graph3d {

std::vector<double> NiceTicks(double from, double to, int most) {
  std::vector<double> ticks;
  const double lo = std::min(from, to), hi = std::max(from, to), range = hi - lo;
  if (most < 1 || !(range > 0) || !std::isfinite(range)) return ticks;
  // Start a little below the step that would give `most` ticks and go up.
  double unit = std::pow(10.0, std::floor(std::log10(range / most)) - 1);
  for (int tries = 0; tries < 60; ++tries) {
    for (const double m : {1.0, 2.0, 5.0}) {
      const double step = m * unit;
      // Multiples k × step within the range, allowing for rounding at its ends.
      const double slack = range * 1e-9;
      const double first = std::ceil((lo - slack) / step), last = std::floor((hi + slack) / step);
      if (last - first + 1 > most) continue;
      for (double k = first; k <= last; ++k) ticks.push_back(k * step);
      return ticks;
    }
    unit *= 10;
  }
  return ticks;
}

double TickStep(const std::vector<double>& ticks) { return ticks.size() < 2 ? 0 : ticks[1] - ticks[0]; }

void BandSpans(const TGraph3DModel& model, TBandSpan (&spans)[10]) {
  // The first band in index order whose bound is at or above a height takes
  // it; a height above every bound goes to band 9.
  float covered = 0;  // heights up to here went to earlier bands
  for (int b = 0; b < 10; ++b) {
    const float bound = b == 9 ? 100.0f : std::min(model.Isodose(b).Percentage, 100.0f);
    spans[b] = {};
    if (b == 0 || bound > covered) {
      spans[b] = {false, b == 0 ? 0.0f : covered, bound};
      covered = bound;
    }
  }
}

double RoundForRange(double value, double range) {
  if (!(range > 0) || !std::isfinite(range) || !std::isfinite(value)) return value;
  const double step = std::pow(10.0, std::floor(std::log10(range)) - 3);
  return std::round(value / step) * step;
}

}  // namespace graph3d
