// The sampling of F(X) for the plane plot window, apart from any window:
// X runs from start to end by repeated addition of the step, the formula is
// evaluated at every X and its values are filtered into the plotted band.
//
//   TPlotRange range = MeasurePlotRange(start, end, step, MaxPlotPoints);
//   if (range.Count > MaxPlotPoints) ...refuse...
//   SamplePlot(formula, text, range, sink);   // on two cores when it pays
#pragma once

#include "platform/WorkControl.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class TFormula;

// Values on or beyond ±PlotBand are not drawn as they are: the first point is
// clamped to the band's edge, every later one keeps the previous height.
inline constexpr long double PlotBand = 100000.0L;

// The most points one build may make; a build that would make more is refused.
inline constexpr int64_t MaxPlotPoints = 10'000'000;

// The points of a build are made in blocks of this many; each block starts
// from the X that the additions before it reached.
inline constexpr int64_t PlotBlockPoints = 65536;

// The X values of a build: start, start + step, ... while X <= end.
struct TPlotRange {
  long double Start = 0, End = 0, Step = 0;
  // How many points the loop makes, counting no further than limit + 1.
  int64_t Count = 0;
  // The points of one block, and the X each block starts from.
  int64_t BlockPoints = PlotBlockPoints;
  std::vector<long double> BlockStart;
};

// The additions of the sampling itself, so the count is exact, rounding
// included. A step that is not above 0, or one too small to move X somewhere
// in the range, makes endless points and gives limit + 1.
TPlotRange MeasurePlotRange(long double start, long double end, long double step, int64_t limit,
                            int64_t blockPoints = PlotBlockPoints);
int64_t CountPlotPoints(long double start, long double end, long double step, int64_t limit);

// Where the sampling puts its points: point i at index i of storage for
// range.Count points, which the receiver has before the sampling starts. Two
// threads may write at once, never to the same points.
class TPlotSink {
 public:
  // Points first, first + 1, ...: (x[i], y[i]). A y may be NaN: no value.
  virtual void Write(int64_t first, std::span<const double> x, std::span<const double> y) = 0;
  // Points first .. first + count - 1 keep their X and take the height y.
  virtual void Hold(int64_t first, int64_t count, double y) = 0;
  // A fault ended the sampling: only the first count points were made.
  virtual void Cut(int64_t count) = 0;

 protected:
  ~TPlotSink() = default;
};

// Samples the range into sink. At every X the formula's first variable,
// whatever its name, is set to X and the formula is evaluated in mode 2
// (only the first evaluation of the object shows domain errors). The
// formula is the caller's, parsed from text.
//
// With threads above 1 and more than one block, a second object parsed from
// the same text samples blocks from the far end while the caller's object
// samples from the start; the points, the messages and their order are those
// of one object sampling everything in turn. A formula that failed to parse
// or that calls random (one generator for the whole program) is sampled on
// one thread.
//
// An arithmetic fault of the evaluation (EMathError) ends the sampling after
// the points made before it (sink.Cut) and is thrown on. So does an X beyond
// the double range, which cannot be plotted: it raises the overflow fault.
// range.Count must be within MaxPlotPoints. Returns how many points the
// second thread made (0 when it did not help).
//
// With a control, both objects report the share of the points made and stop
// before their next point once it says so; the sink is then cut to nothing.
int64_t SamplePlot(TFormula& formula, const std::u16string& text, const TPlotRange& range, TPlotSink& sink,
                int threads = 2, TWorkControl* control = nullptr);

// The points of one build in two vectors.
struct TPlotPoints final : TPlotSink {
  std::vector<double> X;
  std::vector<double> Y;

  void Write(int64_t first, std::span<const double> x, std::span<const double> y) override;
  void Hold(int64_t first, int64_t count, double y) override;
  void Cut(int64_t count) override;
};

// Fills points with the samples from start to end on one thread, as above.
// At most MaxPlotPoints points are made: a range with more throws
// std::length_error after making them.
void SamplePlot(TFormula& formula, long double start, long double end, long double step,
                TPlotPoints& points);
