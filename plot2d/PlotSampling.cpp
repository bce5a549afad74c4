#include "plot2d/PlotSampling.h"

#include "engine/Formula_math.h"
#include "engine/Formula_messages.h"
#include "parallel/Parts.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <stdexcept>

namespace {

// The X of n points from x on, for the formula (xl) and as the chart's
// double (xs); leaves x at the one after the last. Returns n, or the first
// point whose X is beyond the double range, which cannot be plotted (the
// overflow fault there). Apart from its caller, so that x stays in a
// register (see Advance).
[[gnu::noinline]] int64_t MakeX(long double& x, long double step, int64_t n, long double* xl, double* xs) {
  long double v = x;
  for (int64_t i = 0; i < n; ++i, v += step) {
    xl[i] = v;
    if (!(std::fabs(v) <= DBL_MAX))
      return i;
    xs[i] = static_cast<double>(v);
  }
  x = v;
  return n;
}

// Counts the points from x on, x itself within end: at most n of them, and
// only while they stay within end; leaves x at the one after the last. Apart from its
// caller, so that x stays in a register: a long double written back to
// memory at every addition takes several times as long.
[[gnu::noinline]] int64_t Advance(long double& x, long double end, long double step, int64_t n) {
  long double y = x;
  int64_t count = 0;
  do {
    y += step;
    ++count;
  } while (count < n && y <= end);
  x = y;
  return count;
}

// Points are handed to the sink in runs of this many.
constexpr int64_t RunPoints = 1024;

// Ends the helper's block when the caller's object has failed.
struct TStopped {};
// The user asked the sampling to stop.
struct TSamplingStopped {};

// The blocks of one sampling, taken by the caller's object from the start and
// by the helper's from the end. The caller's object thereby evaluates an
// unbroken run of points from the first one, as if it sampled alone; a block
// the helper cannot finish without a message or a fault goes back to it.
// Every block begins as if nothing were before it, and the pass that joins
// the blocks gives the points at its start that keep the previous height the
// height of the block before.
//
// This is the one place that does not hand out work as parallel::RunEach
// does: the messages must come one by one, in the order of the points, while
// they are made, so the caller's object has to meet every point that shows
// one in order. (The formula surface collects its messages and shows each
// once afterwards, so its lines may go to any thread.) The threads themselves
// are parallel::RunParts'.
class TSampler {
 public:
  TSampler(const TPlotRange& range, TPlotSink& sink, const parallel::TParts& parts, TWorkControl* control)
      : Range(range),
        Sink(sink),
        Parts(parts),
        Control(control),
        Blocks((range.Count + range.BlockPoints - 1) / range.BlockPoints),
        Back(Blocks),
        Ends(static_cast<size_t>(Blocks)) {}

  // The caller's object: blocks from the front while any are left. Throws
  // the evaluation's fault after recording where it came (Made).
  void RunCaller(TFormula& formula) {
    for (int64_t b; TakeFront(b);)
      SampleBlock(formula, b, false);
  }

  // The helper's object: blocks from the end until they meet the caller's,
  // the caller fails, or a block needs the caller (a message, which the
  // guard of the sampling throws EMessageElsewhere for, or a fault).
  void RunHelper(TFormula& formula) {
    for (int64_t b; !Parts.Stopped() && TakeBack(b);) {
      try {
        SampleBlock(formula, b, true);
      } catch (...) {
        const std::lock_guard lock(Mutex);
        Back = b + 1;
        return;
      }
      HelperEvaluations += std::min(Range.Count, (b + 1) * Range.BlockPoints) - b * Range.BlockPoints;
    }
  }

  // After both have stopped: the held heights across blocks, for the first
  // made points.
  void Join(int64_t made) {
    double before = 0;  // the height of the point before the block
    for (int64_t b = 0; b < Blocks && b * Range.BlockPoints < made; ++b) {
      const int64_t first = b * Range.BlockPoints;
      const TBlockEnd& end = Ends[static_cast<size_t>(b)];
      const int64_t held = std::min(end.Held, made - first);
      if (held > 0)
        Sink.Hold(first, held, before);
      if (end.Own)
        before = end.Last;
    }
  }

  int64_t Made = 0;                     // where a fault of the caller's object came
  int64_t HelperEvaluations = 0;
  long double LastValue = 0;            // the formula's value at the last point
  long double LastX = 0;                // and the X it was evaluated at

 private:
  // What a block leaves for the joining pass: how many of its first points
  // keep the height of the point before the block, and whether it has a
  // height of its own after them (Last, that of its last point).
  struct TBlockEnd {
    int64_t Held = 0;
    bool Own = false;
    double Last = 0;
  };

  bool TakeFront(int64_t& b) {
    const std::lock_guard lock(Mutex);
    if (Front >= Back)
      return false;
    b = Front++;
    return true;
  }

  // Never the first block, even when the helper starts before the caller:
  // the first evaluation, with its messages, is the caller's object's.
  bool TakeBack(int64_t& b) {
    const std::lock_guard lock(Mutex);
    if (Back - 1 < std::max<int64_t>(Front, 1))
      return false;
    b = --Back;
    return true;
  }

  void SampleBlock(TFormula& formula, int64_t b, bool helper) {
    const int64_t first = b * Range.BlockPoints;
    const int64_t last = std::min(Range.Count, first + Range.BlockPoints);
    long double* const variable = formula.VarCount >= 1 ? &formula.Vars[1].Value : nullptr;
    TBlockEnd end;
    double previous = 0;
    long double x = Range.BlockStart[static_cast<size_t>(b)];
    long double xl[RunPoints];
    double xs[RunPoints], ys[RunPoints];
    int64_t runFirst = first, i = 0;
    try {
      for (; runFirst < last; runFirst += RunPoints) {
        const int64_t n = std::min(RunPoints, last - runFirst);
        const int64_t plottable = MakeX(x, Range.Step, n, xl, xs);
        for (i = 0; i < n; ++i) {
          if (Control && Control->Stopped())
            throw TSamplingStopped{};
          // A plain copy of the 80 bits: the x87 unit would take far longer.
          if (variable)
            std::memcpy(variable, &xl[i], sizeof(long double));
          formula.Evaluate(2);
          if (i == plottable)
            throw EMathError(EMathError::TKind::Overflow);
          const long double r = formula.Value;
          // The first point is clamped to the band, later ones keep the
          // height before them. NaN (a refused argument) fails both tests: a gap.
          double y;
          if (r <= -PlotBand || r >= PlotBand) {
            if (runFirst + i == 0) {
              y = r <= -PlotBand ? -static_cast<double>(PlotBand) : static_cast<double>(PlotBand);
              end.Own = true;
            } else if (end.Own) {
              y = previous;
            } else {
              y = std::numeric_limits<double>::quiet_NaN();  // the joining pass knows it
              ++end.Held;
            }
          } else {
            y = static_cast<double>(r);
            end.Own = true;
          }
          ys[i] = y;
          previous = y;
        }
        Sink.Write(runFirst, {xs, static_cast<size_t>(n)}, {ys, static_cast<size_t>(n)});
        if (Control)
          Control->SetProgress(double(Done += n) / double(Range.Count));
        i = 0;
        if (helper && Parts.Stopped())
          throw TStopped{};  // the caller failed: the block is not needed
      }
    } catch (...) {
      if (!helper)
        Made = runFirst + i;
      Sink.Write(runFirst, {xs, static_cast<size_t>(i)}, {ys, static_cast<size_t>(i)});
      end.Last = previous;
      Ends[static_cast<size_t>(b)] = end;
      throw;
    }
    end.Last = previous;
    Ends[static_cast<size_t>(b)] = end;
    if (last == Range.Count) {
      LastValue = formula.Value;
      LastX = variable ? *variable : 0;
    }
  }

  const TPlotRange& Range;
  TPlotSink& Sink;
  const parallel::TParts& Parts;
  TWorkControl* const Control;
  std::atomic<int64_t> Done = 0;  // points made by both objects, for the progress
  const int64_t Blocks;
  std::mutex Mutex;
  int64_t Front = 0;  // the next block of the caller's object
  int64_t Back;       // the helper has taken the blocks from here on
  std::vector<TBlockEnd> Ends;
};

}  // namespace

TPlotRange MeasurePlotRange(long double start, long double end, long double step, int64_t limit,
                            int64_t blockPoints) {
  TPlotRange range;
  range.Start = start;
  range.End = end;
  range.Step = step;
  range.BlockPoints = blockPoints;
  if (!(step > 0)) {
    range.Count = limit + 1;
    return range;
  }
  // The same additions as the sampling itself.
  long double x = start;
  int64_t count = 0;
  while (x <= end && count <= limit) {
    range.BlockStart.push_back(x);
    count += Advance(x, end, step, blockPoints < limit + 1 - count ? blockPoints : limit + 1 - count);
  }
  range.Count = count;
  return range;
}

int64_t CountPlotPoints(long double start, long double end, long double step, int64_t limit) {
  return MeasurePlotRange(start, end, step, limit, limit + 1).Count;
}

int64_t SamplePlot(TFormula& formula, const std::u16string& text, const TPlotRange& range, TPlotSink& sink,
                   int threads, TWorkControl* control) {
  // Only the number is read: skip making the result text at every point.
  formula.NumericOnly = true;
  parallel::TControl stopping;
  if (control) stopping.Stopped = [control] { return control->Stopped(); };
  parallel::TParts parts(stopping);
  TSampler sampler(range, sink, parts, control);

  std::unique_ptr<TFormula> helper;
  if (threads > 1 && range.Count > range.BlockPoints && !text.empty() && formula.ErrorFlag == 0 &&
      !formula.CallsRandom()) {
    // The text parsed without an error once, so it does again, silently.
    helper = std::make_unique<TFormula>(text, formula.Precision, formula.VarMode);
    helper->Parse(text);
    helper->NumericOnly = true;
    // Past its first evaluation, as the caller's object is at every point
    // the helper takes: a refused argument shows nothing and leaves a gap.
    helper->EvalCount = 2;
  }

  try {
    if (helper) {
      // Part 0 is the caller's object on this thread. Without a thread of
      // its own the helper runs after it here and finds no block left.
      const TMessageGuard messages(TMessageGuard::TMode::Forward);
      parallel::RunParts(2, parts, [&](int part) {
        if (part == 0)
          sampler.RunCaller(formula);
        else
          sampler.RunHelper(*helper);
      });
    }
    // The blocks the helper gave back, or all of them without a helper.
    sampler.RunCaller(formula);
  } catch (const TSamplingStopped&) {
    sink.Cut(0);
    return 0;
  } catch (...) {
    sampler.Join(sampler.Made);
    sink.Cut(sampler.Made);
    throw;
  }
  sampler.Join(range.Count);

  // The caller's object as one that made every evaluation itself.
  if (helper && range.Count > 0) {
    const int64_t evaluations = std::min<int64_t>(INT32_MAX, formula.EvalCount + sampler.HelperEvaluations);
    formula.EvalCount = static_cast<int32_t>(evaluations);
    formula.Value = sampler.LastValue;
    if (formula.VarCount >= 1)
      formula.Vars[1].Value = sampler.LastX;
  }
  return sampler.HelperEvaluations;
}

void TPlotPoints::Write(int64_t first, std::span<const double> x, std::span<const double> y) {
  std::copy(x.begin(), x.end(), X.begin() + first);
  std::copy(y.begin(), y.end(), Y.begin() + first);
}

void TPlotPoints::Hold(int64_t first, int64_t count, double y) {
  std::fill_n(Y.begin() + first, count, y);
}

void TPlotPoints::Cut(int64_t count) {
  X.resize(static_cast<size_t>(count));
  Y.resize(static_cast<size_t>(count));
}

void SamplePlot(TFormula& formula, long double start, long double end, long double step,
                TPlotPoints& points) {
  TPlotRange range = MeasurePlotRange(start, end, step, MaxPlotPoints);
  // The points up to the limit, then the refusal.
  const bool tooMany = range.Count > MaxPlotPoints;
  range.Count = std::min(range.Count, MaxPlotPoints);
  points.X.assign(static_cast<size_t>(range.Count), 0);
  points.Y.assign(static_cast<size_t>(range.Count), 0);
  SamplePlot(formula, std::u16string(), range, points, 1);
  if (tooMany)
    throw std::length_error("too many points for one plot");
}
