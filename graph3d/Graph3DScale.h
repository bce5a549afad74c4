// The numbers of the 3D control's value scale, without a display: round
// tick values for an axis, and the heights each colour band covers.
#pragma once

#include "graph3d/Graph3DCore.h"

#include <vector>

namespace graph3d {

// Round values between from and to (either way round), all multiples of one
// step of 1, 2 or 5 × 10^k: the smallest such step that gives at most `most`
// of them. Empty when most < 1 or the range is empty or not finite.
std::vector<double> NiceTicks(double from, double to, int most);

// The step NiceTicks chose for these ticks (0 for fewer than two).
double TickStep(const std::vector<double>& ticks);

// The heights in per cent a band's cells take: those above From up to To
// (band 0 from 0 on, band 9 up to 100). A band whose bound an earlier band
// already passed takes none (Empty).
struct TBandSpan {
  bool Empty = true;
  float From = 0, To = 0;
};
void BandSpans(const TGraph3DModel& model, TBandSpan (&spans)[10]);

// A value of a range of the given size, rounded to four significant digits
// of that size (a legend's numbers need no more).
double RoundForRange(double value, double range);

}  // namespace graph3d
