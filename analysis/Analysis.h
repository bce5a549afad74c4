// What a plotted function of X does over the range of its build: its roots,
// its turns, where it meets another curve, its value at a point. Found on the
// build's own grid of X (start, start + step, ... by repeated addition, the
// same values the sampling made) and refined on the formula itself in long
// double, with the compiled object the window built and in its evaluation
// mode, so every value is the one the calculator gives for that X.
//
//   TAnalysisCurve curve{formula, text, 2};
//   TAnalysisGrid grid{start, step, count};
//   TAnalysisResult roots = FindRoots(curve, grid, control);
//   for (const TFinding& f : roots.Findings) ... FormatSure(f.X, f.Uncertainty) ...
//
// The engine's messages during the work are not shown: the build showed them.
// No Qt here: the window runs the work through its long-work runner and hands
// its stop and progress in as plain functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

class TFormula;

enum class TFindingKind : uint8_t {
  Root,          // F(X) = 0
  Minimum,       // F turns from falling to rising
  Maximum,       // F turns from rising to falling
  Intersection,  // F(X) = G(X)
  Break,         // a pole or a jump where F changes sign or turns: no root, no extremum
  Value,         // F at an X the user gave
};

struct TFinding {
  TFindingKind Kind = TFindingKind::Root;
  long double X = 0;
  // The true place is within this distance of X; 0 when X is exact (a grid
  // point where F is exactly 0, an X the user typed).
  long double Uncertainty = 0;
  // F(X); NaN where F has no value (at a break).
  long double Y = std::numeric_limits<long double>::quiet_NaN();
};

// The X values of a build: Start, Start + Step, ... Count of them, each made
// by adding Step to the one before in long double.
struct TAnalysisGrid {
  long double Start = 0, Step = 0;
  int64_t Count = 0;
};

// A formula as a window evaluates it: its compiled object (parsed; used by
// the work and left with the changes evaluations make), its text (a second
// object is parsed from it, silently, for a second core) and the mode.
// Without an object, one is compiled from the text here, silently, and taken
// as past its first evaluation, as a built curve's is.
struct TAnalysisCurve {
  TFormula* Formula = nullptr;
  std::u16string Text;
  int32_t Mode = 2;
};

struct TAnalysisControl {
  // Polled from every thread of the work; true: give up soon.
  std::function<bool()> Stopped;
  // 0..1, from the caller's thread only.
  std::function<void(double)> Progress;
  // Threads to use; 0: as many as the machine has cores (at most 2 are used
  // for a few hundred brackets or less).
  int Threads = 0;
};

// More findings than this are not refined: the result says more exist.
inline constexpr size_t MaxFindings = 10000;

struct TAnalysisResult {
  std::vector<TFinding> Findings;  // by ascending X
  bool More = false;     // MaxFindings were found and there are more
  bool Stopped = false;  // the control stopped the work: Findings are incomplete
};

// Every sign change and every exact zero between consecutive grid points:
// roots refined to where the bracket no longer shrinks, or breaks where |F|
// does not fall toward 0 on the way (a pole, a jump) or F has no value. A run
// of exact zeros is one root, at its first point.
TAnalysisResult FindRoots(const TAnalysisCurve& f, const TAnalysisGrid& grid, const TAnalysisControl& control = {});

// Every turn of the sampled values (a flat run reported once): minima and
// maxima refined where a central-difference slope changes sign; X carries
// the uncertainty the slope's noise and its step leave. A turn at a pole or
// a jump is a break.
TAnalysisResult FindExtrema(const TAnalysisCurve& f, const TAnalysisGrid& grid,
                            const TAnalysisControl& control = {});

// The roots of F - G on F's grid, as intersections (Y is F(X)), with breaks
// as for roots.
TAnalysisResult FindIntersections(const TAnalysisCurve& f, const TAnalysisCurve& g, const TAnalysisGrid& grid,
                                  const TAnalysisControl& control = {});

// F at x as the calculator computes it: a new object parsed from text (its
// syntax errors are not shown again) in its first evaluation in mode, which
// shows the engine's own message when F has no value there (Y is then NaN).
// An arithmetic fault is thrown on (EMathError).
TFinding ValueAt(const std::u16string& text, long double x, int32_t mode);

// x with the digits that are sure when the true value is within uncertainty
// of it: rounded at the decimal place above the uncertainty, in the general
// number format (decimal comma, at most 15 significant digits).
std::u16string FormatSure(long double x, long double uncertainty);
