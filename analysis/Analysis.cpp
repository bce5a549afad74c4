#include "analysis/Analysis.h"

#include "engine/Formula_math.h"
#include "engine/Formula_messages.h"
#include "parallel/Parts.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>


namespace {

constexpr long double kNoValue = std::numeric_limits<long double>::quiet_NaN();

// F at x with X in the formula's first variable, as the build evaluates it;
// false where F has no value (a refused argument, a shown error, an
// arithmetic fault). ErrorFlag is put back as the evaluation would leave it.
bool EvalAt(TFormula& f, int32_t mode, long double x, long double& y) {
  if (f.VarCount >= 1) std::memcpy(&f.Vars[1].Value, &x, sizeof x);
  const uint8_t flag = f.ErrorFlag;
  f.ErrorFlag = 0;
  bool ok = false;
  try {
    f.Evaluate(mode);
    y = f.Value;
    ok = f.ErrorFlag == 0 && !std::isnan(y);
  } catch (const EMathError&) {
  }
  f.ErrorFlag |= flag;
  return ok;
}

// The function analysed on one thread: F, or F - G for intersections.
struct TFunctionAt {
  TFormula* F = nullptr;
  TFormula* G = nullptr;
  int32_t ModeF = 2, ModeG = 2;

  bool operator()(long double x, long double& y) const {
    if (!EvalAt(*F, ModeF, x, y)) return false;
    if (!G) return true;
    long double g;
    if (!EvalAt(*G, ModeG, x, g)) return false;
    y -= g;
    return !std::isnan(y);
  }
  bool Value(long double x, long double& y) const { return EvalAt(*F, ModeF, x, y); }
};

// The objects of one curve, one per part: the caller's for part 0, copies
// parsed from its text for the others, past their first evaluation as the
// caller's is. Each is left computing numbers only while the work runs.
class TCurveObjects {
 public:
  TCurveObjects(const TAnalysisCurve& curve, int parts) : FCurve(curve) {
    FNumericOnly = curve.Formula->NumericOnly;
    curve.Formula->NumericOnly = true;
    FObjects.push_back(curve.Formula);
    for (int p = 1; p < parts; ++p) {
      auto copy = std::make_unique<TFormula>(curve.Text, curve.Formula->Precision, curve.Formula->VarMode);
      copy->Parse(curve.Text);
      copy->EvalCount = curve.Formula->EvalCount;
      copy->NumericOnly = true;
      FObjects.push_back(copy.get());
      FCopies.push_back(std::move(copy));
    }
  }
  ~TCurveObjects() { FCurve.Formula->NumericOnly = FNumericOnly; }
  TCurveObjects(const TCurveObjects&) = delete;
  TCurveObjects& operator=(const TCurveObjects&) = delete;

  TFormula* operator[](int part) const { return FObjects[static_cast<size_t>(part)]; }
  int32_t Mode() const { return FCurve.Mode; }

 private:
  const TAnalysisCurve& FCurve;
  bool FNumericOnly;
  std::vector<TFormula*> FObjects;
  std::vector<std::unique_ptr<TFormula>> FCopies;
};

// The grid's X values without storing them: the X of every 256th point (an
// anchor) and of the point before each block, by the same additions as the
// build; any other X is a few additions from its anchor.
constexpr int64_t kBlock = 4096;  // points sampled at a time
constexpr int64_t kAnchor = 256;  // points from one anchor to the next

[[gnu::noinline]] long double AddSteps(long double x, long double step, int64_t n) {
  for (int64_t i = 0; i < n; ++i) x += step;
  return x;
}

class TGridWalk {
 public:
  explicit TGridWalk(const TAnalysisGrid& grid) : Grid(grid) {
    const int64_t anchors = (grid.Count + kAnchor - 1) / kAnchor;
    Anchors.reserve(static_cast<size_t>(anchors));
    Before.reserve(static_cast<size_t>(anchors * kAnchor / kBlock + 1));
    long double x = grid.Start, before = grid.Start;
    for (int64_t a = 0; a < anchors; ++a) {
      Anchors.push_back(x);
      if (a % (kBlock / kAnchor) == 0) Before.push_back(before);
      before = AddSteps(x, grid.Step, kAnchor - 1);
      x = before + grid.Step;
    }
  }
  int64_t Blocks() const { return (Grid.Count + kBlock - 1) / kBlock; }
  long double First(int64_t block) const { return Anchors[static_cast<size_t>(block * (kBlock / kAnchor))]; }
  // The X of the point before block's first.
  long double Previous(int64_t block) const { return Before[static_cast<size_t>(block)]; }
  long double X(int64_t i) const {
    const int64_t a = i / kAnchor;
    return AddSteps(Anchors[static_cast<size_t>(a)], Grid.Step, i - a * kAnchor);
  }
  // The X of points i and i + 1, i + 1 by one more addition.
  void Pair(int64_t i, long double& x0, long double& x1) const {
    x0 = X(i);
    x1 = x0 + Grid.Step;
  }

  const TAnalysisGrid& Grid;

 private:
  std::vector<long double> Anchors;  // the X of every kAnchor-th point
  std::vector<long double> Before;   // the X of the point before each block
};

// What the sampling keeps of each point: the sign of its value and how the
// value compares with the one before; one byte a point, so 10 million
// points take 10 MB.
enum : uint8_t { kNone = 0, kNegative = 1, kZero = 2, kPositive = 3 };                  // bits 0-1
enum : uint8_t { kNoStep = 0, kDown = 1 << 2, kFlat = 2 << 2, kUp = 3 << 2 };           // bits 2-3

uint8_t SignOf(long double v) { return v < 0 ? kNegative : v > 0 ? kPositive : kZero; }

// One place to refine: grid points I0 .. I1 and what they show.
struct TCandidate {
  enum TType : uint8_t { Bracket, Zero, Gap, Turn } Type = Bracket;
  bool Maximum = false;
  int64_t I0 = 0, I1 = 0;
};

// A sign change of fn narrowed down: the bracket [A, B] where it no longer
// shrinks, or the place where fn has no value (Gap) or is exactly 0 (A = B).
struct TBracket {
  long double A = 0, B = 0, FA = 0, FB = 0;
  bool Gap = false;
  long double GapX = 0;
};

// Illinois steps (a secant step whose kept end's value is halved when the
// same end is kept twice), with a halving instead whenever a step did not
// halve the bracket: fast on smooth functions, never slower than halving.
template <typename Fn>
TBracket NarrowSignChange(const Fn& fn, long double a, long double b, long double fa, long double fb,
                          long double floor) {
  TBracket r{a, b, fa, fb};
  long double wa = fa, wb = fb;
  int kept = 0;  // -1: A was kept by the last step, +1: B
  bool halve = false;
  for (int iteration = 0; iteration < 512; ++iteration) {
    const long double width = r.B - r.A;
    const long double mid = r.A + width / 2;
    if (!(mid > r.A && mid < r.B) || width <= floor) break;
    long double x = mid;
    if (!halve) {
      const long double s = r.A - wa * width / (wb - wa);
      if (s > r.A && s < r.B) x = s;
    }
    long double fx;
    if (!fn(x, fx)) {
      r.Gap = true;
      r.GapX = x;
      return r;
    }
    if (fx == 0) {
      r.A = r.B = x;
      r.FA = r.FB = 0;
      return r;
    }
    if ((fx < 0) == (r.FA < 0)) {
      r.A = x;
      r.FA = wa = fx;
      if (kept == 1) wb /= 2;
      kept = 1;
    } else {
      r.B = x;
      r.FB = wb = fx;
      if (kept == -1) wa /= 2;
      kept = -1;
    }
    halve = r.B - r.A > width / 2;
  }
  return r;
}

// How far from x the sign of fn is not sure: the scatter of nine values of
// fn about a straight line through them, a few units of the last place of
// the double arguments functions take apart, over the line's slope.
// Infinite when fn is flat there or has no value.
template <typename Fn>
long double NoiseSpan(const Fn& fn, long double x, long double scale) {
  const long double e = std::max(std::fabs(x), scale) * 0x1p-50L;
  long double v[9];
  long double sum = 0, moment = 0, largest = 0;
  for (int k = -4; k <= 4; ++k) {
    if (!fn(x + k * e, v[k + 4])) return std::numeric_limits<long double>::infinity();
    sum += v[k + 4];
    moment += k * v[k + 4];
    largest = std::max(largest, std::fabs(v[k + 4]));
  }
  const long double mean = sum / 9, slope = moment / 60;  // per k: the sum of k^2 is 60
  long double scatter = 0;
  for (int k = -4; k <= 4; ++k) scatter = std::max(scatter, std::fabs(v[k + 4] - mean - slope * k));
  const long double threshold = 4 * scatter + largest * 0x1p-60L;
  if (slope == 0) return std::numeric_limits<long double>::infinity();
  return threshold / std::fabs(slope) * e;
}

// One analysis: sampling the grid into signs and steps, finding the places
// to refine, refining them, each on as many threads as pay.
class TAnalysis {
 public:
  enum class TAim { Roots, Extrema, Intersections };

  TAnalysis(TAim aim, const TAnalysisCurve& f, const TAnalysisCurve* g, const TAnalysisGrid& grid,
            const TAnalysisControl& control)
      : Aim(aim), Walk(grid), Control(control) {
    int threads = control.Threads > 0 ? control.Threads : parallel::Processors();
    threads = std::clamp(threads, 1, 4);
    // random draws from one generator for the whole program, in the order of
    // the evaluations: such a formula is worked on one thread.
    if (f.Formula->CallsRandom() || (g && g->Formula->CallsRandom())) threads = 1;
    // A second object is worth its parse only when there is work to share.
    if (grid.Count <= kBlock) threads = 1;
    Parts = threads;
    F = std::make_unique<TCurveObjects>(f, Parts);
    if (g) G = std::make_unique<TCurveObjects>(*g, Parts);
  }

  TAnalysisResult Run() {
    TAnalysisResult result;
    if (Walk.Grid.Count <= 0) return result;
    if (!Sample()) return result.Stopped = true, result;
    Scan(result.More);
    if (Stopped()) return result.Stopped = true, result;
    result.Stopped = !Refine(result.Findings);
    return result;
  }

 private:
  TFunctionAt FunctionOf(int part) const {
    TFunctionAt fn;
    fn.F = (*F)[part];
    fn.ModeF = F->Mode();
    if (G) {
      fn.G = (*G)[part];
      fn.ModeG = G->Mode();
    }
    return fn;
  }

  bool Stopped() const { return Control.Stopped && Control.Stopped(); }

  // The stop and the progress of one stage, which takes the progress from
  // `from` to `to`.
  parallel::TControl Stage(double from, double to) const {
    parallel::TControl stage;
    stage.Stopped = Control.Stopped;
    if (Control.Progress)
      stage.Progress = [this, from, to](double fraction) { Control.Progress(from + (to - from) * fraction); };
    return stage;
  }

  // The function on each part's objects.
  std::vector<TFunctionAt> Functions() const {
    std::vector<TFunctionAt> fns;
    for (int part = 0; part < Parts; ++part) fns.push_back(FunctionOf(part));
    return fns;
  }

  // False when stopped.
  bool Sample() {
    Codes.assign(static_cast<size_t>(Walk.Grid.Count), 0);
    const std::vector<TFunctionAt> fns = Functions();
    const int parts = static_cast<int>(std::min<int64_t>(Parts, Walk.Blocks()));
    // The first half of the progress; the refining takes the second.
    return parallel::RunEach(0, Walk.Blocks(), parts,
                             [&](int64_t b, int part) { SampleBlock(fns[static_cast<size_t>(part)], b); },
                             Stage(0, 0.5));
  }

  void SampleBlock(const TFunctionAt& fn, int64_t b) {
    const int64_t first = b * kBlock, last = std::min(Walk.Grid.Count, first + kBlock);
    long double previous = 0;
    bool hasPrevious = first > 0 && fn(Walk.Previous(b), previous);
    long double x = Walk.First(b);
    uint8_t* code = Codes.data();
    for (int64_t i = first; i < last; ++i, x += Walk.Grid.Step) {
      long double y;
      uint8_t c = kNone;
      const bool has = fn(x, y);
      if (has) {
        c = SignOf(y);
        if (hasPrevious) c |= y < previous ? kDown : y > previous ? kUp : kFlat;
        previous = y;
      }
      hasPrevious = has;
      code[i] = c;
    }
  }

  bool Add(const TCandidate& c, bool& more) {
    if (Candidates.size() == MaxFindings) {
      more = true;
      return false;
    }
    Candidates.push_back(c);
    return true;
  }

  void Scan(bool& more) {
    const int64_t n = Walk.Grid.Count;
    const uint8_t* code = Codes.data();
    if (Aim == TAim::Extrema) {
      // dir: how the values went before the flat run that began at run.
      int dir = 0;
      int64_t run = 0;
      for (int64_t i = 0; i < n; ++i) {
        const uint8_t sign = code[i] & 3, step = code[i] & 12;
        if (sign == kNone) {
          dir = 0;
          continue;
        }
        if (step == kNoStep) {
          dir = 0;
          run = i;
        } else if (step == kDown || step == kUp) {
          const int now = step == kUp ? 1 : -1;
          if (dir == -now && !Add({TCandidate::Turn, dir > 0, run, i - 1}, more)) return;
          dir = now;
          run = i;
        }
      }
      return;
    }
    uint8_t lastSign = kNone;
    int64_t last = -1;
    for (int64_t i = 0; i < n; ++i) {
      const uint8_t sign = code[i] & 3;
      if (sign == kNone) continue;
      if (sign == kZero) {
        if ((i == 0 || (code[i - 1] & 3) != kZero) && !Add({TCandidate::Zero, false, i, i}, more)) return;
        lastSign = kNone;
        continue;
      }
      if (lastSign != kNone && sign != lastSign &&
          !Add({last == i - 1 ? TCandidate::Bracket : TCandidate::Gap, false, last, i}, more))
        return;
      lastSign = sign;
      last = i;
    }
  }

  // False when stopped.
  bool Refine(std::vector<TFinding>& findings) {
    const int64_t count = static_cast<int64_t>(Candidates.size());
    std::vector<TFinding> made(static_cast<size_t>(count));
    std::vector<uint8_t> kept(static_cast<size_t>(count), 0);
    constexpr int64_t kChunk = 16;
    const int64_t chunks = (count + kChunk - 1) / kChunk;
    const std::vector<TFunctionAt> fns = Functions();
    // Each place is refined on its own, so the findings are the same
    // whichever thread takes it.
    const bool done = parallel::RunEach(
        0, chunks, chunks >= 4 ? Parts : 1,
        [&](int64_t chunk, int part) {
          const TFunctionAt& fn = fns[static_cast<size_t>(part)];
          for (int64_t c = chunk * kChunk; c < std::min(count, (chunk + 1) * kChunk); ++c)
            kept[static_cast<size_t>(c)] = RefineOne(fn, Candidates[static_cast<size_t>(c)], made[static_cast<size_t>(c)]);
        },
        Stage(0.5, 1));
    for (int64_t c = 0; c < count; ++c)
      if (kept[static_cast<size_t>(c)]) findings.push_back(made[static_cast<size_t>(c)]);
    return done;
  }

  bool RefineOne(const TFunctionAt& fn, const TCandidate& c, TFinding& out) const {
    return c.Type == TCandidate::Turn ? RefineTurn(fn, c, out) : RefineCrossing(fn, c, out);
  }

  TFindingKind CrossingKind() const {
    return Aim == TAim::Intersections ? TFindingKind::Intersection : TFindingKind::Root;
  }

  // A break at x; F has no value there or no single one.
  static bool Break(TFinding& out, long double x, long double uncertainty) {
    out = {TFindingKind::Break, x, uncertainty, kNoValue};
    return true;
  }

  // The finding's F(X): for intersections F's own value, not F - G.
  bool Crossing(const TFunctionAt& fn, TFinding& out, long double x, long double uncertainty,
                long double h) const {
    out.Kind = CrossingKind();
    out.X = x;
    out.Uncertainty = uncertainty;
    out.Y = h;
    if (Aim == TAim::Intersections && !fn.Value(x, out.Y)) out.Y = kNoValue;
    return true;
  }

  // The range's own scale, below which no bracket is narrowed.
  long double Scale() const {
    const long double end = Walk.Grid.Start + Walk.Grid.Step * static_cast<long double>(Walk.Grid.Count - 1);
    return std::max({std::fabs(Walk.Grid.Start), std::fabs(end), Walk.Grid.Step});
  }

  bool RefineCrossing(const TFunctionAt& fn, const TCandidate& c, TFinding& out) const {
    const long double scale = Scale();
    if (c.Type == TCandidate::Zero) {
      const long double x = Walk.X(c.I0);
      return Crossing(fn, out, x, 0, 0);
    }
    if (c.Type == TCandidate::Gap) {
      // F has no value between the two points whose signs differ.
      const long double x0 = Walk.X(c.I0 + 1), x1 = Walk.X(c.I1 - 1);
      return Break(out, x0 + (x1 - x0) / 2, (x1 - x0) / 2);
    }
    long double a, b, fa, fb;
    Walk.Pair(c.I0, a, b);  // I1 is I0 + 1
    // A formula calling random need not give the sampled signs again.
    if (!fn(a, fa) || !fn(b, fb) || fa == 0 || fb == 0 || (fa < 0) == (fb < 0)) return false;
    const long double start = std::max(std::fabs(fa), std::fabs(fb));
    // The exact 0 inside is tried first: the repeated additions of the grid
    // seldom hit it, and narrowing toward it would run into the subnormals.
    if (a < 0 && b > 0) {
      long double f0;
      if (!fn(0.0L, f0)) return Break(out, 0, 0);
      if (f0 == 0) return Crossing(fn, out, 0, std::min(NoiseSpan(fn, 0.0L, scale), b - a), 0);
      if ((f0 < 0) == (fa < 0)) a = 0, fa = f0;
      else b = 0, fb = f0;
    }
    const TBracket r = NarrowSignChange(fn, a, b, fa, fb, scale * 0x1p-100L);
    if (r.Gap) return Break(out, r.GapX, 0);
    if (r.A == r.B) return Crossing(fn, out, r.A, std::min(NoiseSpan(fn, r.A, scale), b - a), 0);
    // |F| falls toward 0 on the way into a root; at a pole it grows and
    // across a jump it stays.
    const long double end = std::max(std::fabs(r.FA), std::fabs(r.FB));
    if (!(end <= start * 0x1p-10L)) return Break(out, r.A + (r.B - r.A) / 2, r.B - r.A);
    const bool atA = std::fabs(r.FA) <= std::fabs(r.FB);
    const long double x = atA ? r.A : r.B;
    const long double span = std::min(std::max(NoiseSpan(fn, x, scale), r.B - r.A), b - a);
    return Crossing(fn, out, x, span, atA ? r.FA : r.FB);
  }

  // The slope of s*F by a five-point central difference of step d (exact for
  // polynomials up to the fourth degree), in units that do not matter:
  // positive while s*F rises.
  struct TSlope {
    const TFunctionAt& Fn;
    long double S, D;
    bool operator()(long double x, long double& slope) const {
      long double p1, m1, p2, m2;
      if (!Fn(x + D, p1) || !Fn(x - D, m1) || !Fn(x + 2 * D, p2) || !Fn(x - 2 * D, m2)) return false;
      slope = S * (8 * (p1 - m1) - (p2 - m2));
      return !std::isnan(slope);
    }
  };

  // Where the slope of step d changes from rising to falling among the
  // given points, narrowed; false when it does not or has no value.
  bool SlopeTurn(const TSlope& slope, const long double* at, int n, long double floor, long double& x) const {
    long double prev = 0;
    for (int k = 0; k < n; ++k) {
      long double d;
      if (!slope(at[k], d)) return false;
      if (d == 0 && k > 0 && k < n - 1) {
        x = at[k];
        return true;
      }
      if (k > 0 && prev > 0 && d < 0) {
        const TBracket r = NarrowSignChange(slope, at[k - 1], at[k], prev, d, floor);
        if (r.Gap) return false;
        x = r.A == r.B || std::fabs(r.FA) <= std::fabs(r.FB) ? r.A : r.B;
        return true;
      }
      prev = d;
    }
    return false;
  }

  // Where the slope crosses 0 near x, which a slope of another step crossed:
  // one secant step over a short span about x, where the slope is straight.
  // False when it does not fall through 0 there.
  static bool NearTurn(const TSlope& slope, long double x, long double span, long double& at) {
    long double d0, below, above;
    if (!slope(x, d0) || !slope(x - span, below) || !slope(x + span, above)) return false;
    const long double rate = (above - below) / (2 * span);
    if (!(rate < 0)) return false;
    at = x - d0 / rate;
    return std::fabs(at - x) <= span;
  }

  // The largest s*F on [a, b] by golden sections, for a turn whose slope
  // cannot be taken (a point nearby without a value).
  static bool Golden(const TFunctionAt& fn, long double s, long double a, long double b, long double& x) {
    constexpr long double r = 0.618033988749894848204586834365638118L;
    long double c = b - r * (b - a), d = a + r * (b - a), fc, fd;
    if (!fn(c, fc) || !fn(d, fd)) return false;
    for (int i = 0; i < 200 && b - a > 0; ++i) {
      const long double width = b - a;
      if (s * fc >= s * fd) {
        b = d, d = c, fd = fc, c = b - r * (b - a);
        if (!fn(c, fc)) return false;
      } else {
        a = c, c = d, fc = fd, d = a + r * (b - a);
        if (!fn(d, fd)) return false;
      }
      if (!(b - a < width)) break;
    }
    x = s * fc >= s * fd ? c : d;
    return true;
  }

  bool RefineTurn(const TFunctionAt& fn, const TCandidate& c, TFinding& out) const {
    const long double s = c.Maximum ? 1 : -1, h = Walk.Grid.Step, scale = Scale();
    long double a, x0, x1, b;
    Walk.Pair(c.I0 - 1, a, x0);
    if (c.I1 == c.I0) {
      x1 = x0;
      b = x1 + Walk.Grid.Step;
    } else {
      Walk.Pair(c.I1, x1, b);
    }
    long double fa, fb, f0;
    if (!fn(a, fa) || !fn(b, fb) || !fn(x0, f0)) return false;
    const long double top = s * f0;
    const long double nearDrop = top - std::max(s * fa, s * fb), farDrop = top - std::min(s * fa, s * fb);
    if (!(nearDrop > 0)) return false;  // random gave other values this time

    const long double at[] = {a, x0, x1, b};
    const long double* points = at;
    const int n = c.I1 > c.I0 ? 4 : 3;
    long double grid3[3] = {a, x0, b};
    if (n == 3) points = grid3;
    // Two steps: the difference of their results bounds what the step
    // itself puts into the place (it grows with the step's fourth power).
    const TSlope fine{fn, s, h / 32}, coarse{fn, s, h / 16};
    long double x, xc, u;
    if (SlopeTurn(fine, points, n, scale * 0x1p-100L, x) &&
        (NearTurn(coarse, x, h / 1024, xc) || SlopeTurn(coarse, points, n, scale * 0x1p-100L, xc))) {
      u = std::max(NoiseSpan(fine, x, scale), std::fabs(x - xc));
    } else if (Golden(fn, s, a, b, x)) {
      // F's own values fix the place only to the square root of their
      // precision: about where F differs from its top by its scatter.
      const long double e = h / 64;
      long double fx, fp, fm;
      if (!fn(x, fx) || !fn(x + e, fp) || !fn(x - e, fm)) return Break(out, x, 0);
      const long double curvature = std::fabs(fp + fm - 2 * fx) / (e * e);
      const long double noise = std::max(std::fabs(fx) * 0x1p-52L, std::numeric_limits<long double>::min());
      u = curvature > 0 ? std::sqrt(8 * noise / curvature) : b - a;
    } else {
      return Break(out, x0 + (x1 - x0) / 2, (x1 - x0) / 2 + h);
    }
    u = std::min(u, b - a);

    long double y;
    if (!fn.Value(x, y)) return Break(out, x, u);
    const long double value = s * y;
    // A flat run of the samples that the formula does not beat between them
    // is one extremum: its middle point.
    if (c.I1 > c.I0 && !(value > top)) {
      const int64_t middle = c.I0 + (c.I1 - c.I0) / 2;
      const long double xm = Walk.X(middle);
      long double ym;
      if (!fn.Value(xm, ym)) return false;
      out = {c.Maximum ? TFindingKind::Maximum : TFindingKind::Minimum, xm, std::max(xm - x0, x1 - xm), ym};
      return true;
    }
    // Far above the samples, it is a pole; F's values beside the place far
    // from its own, a jump.
    if (value - top > 4 * farDrop) return Break(out, x, u);
    const long double eta = std::max(4 * u, h * 0x1p-20L);
    long double yl, yr;
    if (!fn.Value(x - eta, yl) || !fn.Value(x + eta, yr)) return Break(out, x, u);
    if (std::max(std::fabs(yl - y), std::fabs(yr - y)) > farDrop * 0x1p-5L) return Break(out, x, u);
    out = {c.Maximum ? TFindingKind::Maximum : TFindingKind::Minimum, x, u, y};
    return true;
  }

  const TAim Aim;
  TGridWalk Walk;
  const TAnalysisControl& Control;
  int Parts = 1;
  std::unique_ptr<TCurveObjects> F, G;
  std::vector<uint8_t> Codes;
  std::vector<TCandidate> Candidates;
};

// A curve's own object, or one compiled from its text into owned.
TAnalysisCurve WithObject(const TAnalysisCurve& curve, std::unique_ptr<TFormula>& owned) {
  if (curve.Formula) return curve;
  owned = std::make_unique<TFormula>(curve.Text, -1, 1);
  owned->Parse(curve.Text);
  owned->EvalCount = 2;
  return {owned.get(), curve.Text, curve.Mode};
}

TAnalysisResult Analyse(TAnalysis::TAim aim, const TAnalysisCurve& f, const TAnalysisCurve* g,
                        const TAnalysisGrid& grid, const TAnalysisControl& control) {
  // The build showed the engine's messages; none is shown again.
  const TMessageGuard quiet(TMessageGuard::TMode::Discard);
  std::unique_ptr<TFormula> ownF, ownG;
  const TAnalysisCurve first = WithObject(f, ownF);
  std::optional<TAnalysisCurve> second;
  if (g) second = WithObject(*g, ownG);
  TAnalysis analysis(aim, first, second ? &*second : nullptr, grid, control);
  return analysis.Run();
}

}  // namespace

TAnalysisResult FindRoots(const TAnalysisCurve& f, const TAnalysisGrid& grid, const TAnalysisControl& control) {
  return Analyse(TAnalysis::TAim::Roots, f, nullptr, grid, control);
}

TAnalysisResult FindExtrema(const TAnalysisCurve& f, const TAnalysisGrid& grid, const TAnalysisControl& control) {
  return Analyse(TAnalysis::TAim::Extrema, f, nullptr, grid, control);
}

TAnalysisResult FindIntersections(const TAnalysisCurve& f, const TAnalysisCurve& g, const TAnalysisGrid& grid,
                                  const TAnalysisControl& control) {
  return Analyse(TAnalysis::TAim::Intersections, f, &g, grid, control);
}

TFinding ValueAt(const std::u16string& text, long double x, int32_t mode) {
  TFormula formula(text, -1, 1);
  {
    const TMessageGuard quiet(TMessageGuard::TMode::Discard);  // the build showed the syntax errors
    formula.Parse(text);
  }
  const bool parsed = formula.ErrorFlag == 0;
  if (formula.VarCount >= 1) formula.Vars[1].Value = x;
  formula.Evaluate(mode);
  TFinding finding{TFindingKind::Value, x, 0, formula.Value};
  if (!parsed || formula.ErrorFlag != 0 || std::isnan(formula.Value)) finding.Y = kNoValue;
  return finding;
}

std::u16string FormatSure(long double x, long double uncertainty) {
  if (!(uncertainty > 0) || !std::isfinite(x) || x == 0) return FormatGeneral(x);
  if (!std::isfinite(uncertainty)) return u"?";
  // The last digit kept is the one of the place above the uncertainty.
  const int place = static_cast<int>(std::floor(std::log10(uncertainty))) + 1;
  const int lead = static_cast<int>(std::floor(std::log10(std::fabs(x))));
  const int digits = lead - place + 1;
  if (digits >= 15) return FormatGeneral(x);
  if (digits < 1) {
    // Not even the first digit is sure: x is 0 or one unit of that place.
    const long double unit = std::pow(10.0L, static_cast<long double>(place));
    return std::fabs(x) < unit / 2 ? u"0" : FormatGeneral(std::copysign(unit, x));
  }
  char buf[64];
  const char* end = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, digits - 1).ptr;
  long double rounded = x;
  std::from_chars(buf, end, rounded, std::chars_format::scientific);
  return FormatGeneral(rounded);
}
