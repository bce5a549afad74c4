#include "PlotSampling.h"

#include "Formula_math.h"

#include <cfloat>
#include <cmath>
#include <stdexcept>

namespace {

// X as the chart's double. Converting a long double beyond the double range
// would give an infinity no axis can show.
double PlotX(long double x) {
  if (!(std::fabs(x) <= DBL_MAX))
    throw EMathError(EMathError::TKind::Overflow);
  return static_cast<double>(x);
}

}  // namespace

int64_t CountPlotPoints(long double start, long double end, long double step, int64_t limit) {
  if (!(step > 0))
    return limit + 1;
  // The same additions as the sampling itself: the count is exact, rounding
  // included, and a step lost in X's rounding runs into the limit.
  int64_t count = 0;
  for (long double x = start; x <= end && count <= limit; x += step)
    ++count;
  return count;
}

void SamplePlot(TFormula& formula, long double start, long double end, long double step,
                TPlotPoints& points) {
  // Only the number is read: skip making the result text at every point.
  formula.NumericOnly = true;
  long double* const variable = formula.VarCount >= 1 ? &formula.Vars[1].Value : nullptr;
  // The held height is only ever drawn, so a double keeps it exactly.
  double previous = 0;
  int64_t count = 0;
  for (long double x = start; x <= end; x += step, ++count) {
    if (count == MaxPlotPoints)
      throw std::length_error("too many points for one plot");
    if (variable)
      *variable = x;
    formula.Evaluate(2);
    const long double r = formula.Value;
    // The first point is clamped to the band, later ones keep the height
    // before them. NaN (a refused argument) fails both tests: a gap.
    double y;
    if (r <= -PlotBand)
      y = count == 0 ? -static_cast<double>(PlotBand) : previous;
    else if (r >= PlotBand)
      y = count == 0 ? static_cast<double>(PlotBand) : previous;
    else
      y = static_cast<double>(r);
    points.X.push_back(PlotX(x));
    points.Y.push_back(y);
    previous = y;
  }
}
