// The user's own surface z = F(X;Y): one formula compiled by the formula
// engine and sampled on the 3D window's grid, handed to the 3D control as its
// lines. Needs no window; the engine shows its own errors through its hook.
//
//   TSurfaceFormula formula(u"sin(x)*cos(y)");   // a syntax error is shown here
//   if (formula.Compiled() && formula.ExtraVariables().empty()) {
//     TSurfaceSamples s = formula.Sample({-180, 180, -180, 180, 60, 60});
//     s.ShowMessages();                           // a refusal at the first point, ...
//     for (auto& line : s.Lines) plot->AddLine(std::move(line));
//   }
#pragma once

#include "engine/Formula_math.h"
#include "graph3d/Graph3DCore.h"
#include "platform/WorkControl.h"
#include "graph3d/Graph3DGrids.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace surface {

// The grid: LineTotal lines along Y, from YFrom to YTo, each of PointTotal
// values along X, from XFrom to XTo (the orientation of the built-in surface).
struct TSurfaceGrid {
  long double XFrom = -180, XTo = 180, YFrom = -180, YTo = 180;
  int32_t LineTotal = 4, PointTotal = 4;
};

struct TSurfaceSamples {
  std::vector<std::unique_ptr<TGraphLine>> Lines;
  // Points where the formula has no value (marked missing in their lines):
  // a refused argument, a division by zero, an arithmetic fault, or a value
  // beyond the range of the control's heights.
  int64_t MissingPoints = 0;
  // The engine's messages of the sampling, each text once, in the order of
  // their first showing; ShowMessages shows them through the engine's hook.
  std::vector<std::pair<TMessageIcon, std::u16string>> Messages;
  void ShowMessages() const;
};

class TSurfaceFormula {
 public:
  // Compiles text as the plane plot does: unknown names become variables, the
  // result is not rounded. A syntax error is shown by the engine.
  explicit TSurfaceFormula(std::u16string text);
  ~TSurfaceFormula();
  TSurfaceFormula(const TSurfaceFormula&) = delete;
  TSurfaceFormula& operator=(const TSurfaceFormula&) = delete;

  const std::u16string& Text() const { return FText; }
  // False after a syntax error, and for an empty text (which shows nothing).
  bool Compiled() const { return FCompiled; }
  // The variables' names in the order the text first shows them: X first,
  // then Y.
  const std::vector<std::u16string>& Variables() const { return FNames; }
  // The names after the second, which a surface has no axis for.
  std::vector<std::u16string> ExtraVariables() const;
  // `random` draws from one process-wide sequence: such a formula is sampled
  // on one thread, in grid order.
  bool UsesRandom() const;

  // The heights at every grid point: X into the first variable, Y into the
  // second, evaluated in mode 2, so that only the first point has the
  // refusals of functions shown, as a plot shows them. Nothing is shown while
  // the points are made: the messages are collected, each once (a division
  // by zero along a grid line is one message), for ShowMessages. The grid
  // is split over `threads` threads (0: one per processor), each with a
  // formula of its own. Throws EGraph3DError for a grid the control cannot
  // take (fewer than 2 values a line, too large for memory). Call it once per
  // object: its first point is the formula's first evaluation. A formula that
  // did not compile has no value at any point. With a control, the share of
  // the lines made is reported, and once it says stop no further point is
  // made and nothing is returned (no lines).
  TSurfaceSamples Sample(const TSurfaceGrid& grid, int threads = 0, TWorkControl* control = nullptr);

 private:
  std::u16string FText;
  std::unique_ptr<TFormula> FFormula;
  std::vector<std::u16string> FNames;
  bool FCompiled = false;
};

// How the ground positions of the lines Sample makes (grid indices) give the
// grid's own X and Y, for what the 3D control shows of them.
graph3d::TAxisMap XMap(const TSurfaceGrid& grid);
graph3d::TAxisMap YMap(const TSurfaceGrid& grid);

// The refusal of a formula with more than two variables, naming the extra ones.
std::u16string TooManyVariablesMessage(const std::vector<std::u16string>& extra);
// The refusal of a surface none of whose points has a value.
std::u16string NoValueMessage();
// Why sampled points make no surface to draw: no point with a value
// (NoValueMessage), one point only, or no cell with a value at all four
// corners. Empty when they make one.
std::u16string RefusalOf(const TSurfaceSamples& samples);

}  // namespace surface
