// The sampling of F(X) for the plane plot window, apart from any window:
// X runs from start to end by repeated addition of the step, the formula is
// evaluated at every X and its values are filtered into the plotted band.
#pragma once

#include <cstdint>
#include <vector>

class TFormula;

// Values on or beyond ±PlotBand are not drawn as they are: the first point is
// clamped to the band's edge, every later one keeps the previous height.
inline constexpr long double PlotBand = 100000.0L;

// The most points one build may make; a build that would make more is refused.
inline constexpr int64_t MaxPlotPoints = 10'000'000;

// The points of one build, as the chart takes them. A NaN in Y is a point
// where the formula has no value: a gap in the line.
struct TPlotPoints {
  std::vector<double> X;
  std::vector<double> Y;
};

// How many points the loop from start to end by step makes, counting no
// further than limit + 1. A step that is not above 0, or one too small to move
// X somewhere in the range, makes endless points and gives limit + 1.
int64_t CountPlotPoints(long double start, long double end, long double step, int64_t limit);

// Appends to points the samples X = start, start + step, ... while X <= end
// (X advanced by long double addition, so the X values carry the step's
// accumulated rounding). At every X the formula's first variable, whatever its
// name, is set to X and the formula is evaluated in mode 2 (only the first
// evaluation of the object shows domain errors). At most MaxPlotPoints points
// are made; check CountPlotPoints first.
//
// An arithmetic fault of the evaluation (EMathError) ends the sampling and
// leaves the points made so far in points. So does an X beyond the double
// range, which cannot be plotted: it raises the overflow fault.
void SamplePlot(TFormula& formula, long double start, long double end, long double step,
                TPlotPoints& points);
