// The curves of the plane plot besides F(X): a parametric curve
// (X(t); Y(t)) and a curve in polar coordinates R(φ), sampled in the order
// of their parameter, and what a curve is made of (its formulas and range),
// which names it in the legend and the report.
//
//   TParameterFormula x(u"sin(3*t)"), y(u"sin(2*t)");   // syntax errors shown here
//   if (x.Compiled() && y.Compiled() && x.ExtraVariables().empty() ...) {
//     TPlotRange range = MeasurePlotRange(0, 360, 1, MaxPlotPoints);
//     TChartPoints points(range.Count);
//     SampleParametric(x, y, range, points);              // gaps are NaN
//   }
#pragma once

#include "plot2d/PlotSampling.h"

#include <QString>

#include <memory>
#include <string>
#include <vector>

class TFormula;
class TWorkControl;

enum class TCurveKind { Function, Parametric, Polar };

// What a curve was made of: F(X), X(t) and Y(t), or R(φ), and the range of
// its X, t or φ.
struct TCurveSource {
  TCurveKind Kind = TCurveKind::Function;
  std::u16string First;   // F(X), X(t) or R(φ)
  std::u16string Second;  // Y(t)
  long double Start = 0, End = 0, Step = 0;
};

// The curve's formulas as the legend and the report name them:
// "F(X) = sin(x)", "X(t) = cos(t); Y(t) = sin(t)", "R(φ) = 1".
QString FormulaLine(const TCurveSource& source);

// One formula of a curve's parameter. Compiled as the plane plot compiles
// F(X): names that are not functions become variables, the result is not
// rounded, a syntax error is shown by the engine. Its first variable,
// whatever its name, takes the parameter: every place the name is written,
// or as F(X) of the plane plot takes X, only the first variable the engine
// found (firstOnly).
class TParameterFormula {
 public:
  explicit TParameterFormula(std::u16string text, bool firstOnly = false);
  ~TParameterFormula();
  TParameterFormula(const TParameterFormula&) = delete;
  TParameterFormula& operator=(const TParameterFormula&) = delete;

  const std::u16string& Text() const { return FText; }
  // False after a syntax error and for an empty text (which shows nothing).
  bool Compiled() const { return FCompiled; }
  // The names after the first, in the order the text first shows them:
  // a curve has one parameter.
  std::vector<std::u16string> ExtraVariables() const;
  // Whether it calls random, whose values cannot be computed again.
  bool CallsRandom() const;

  // The value at t, evaluated in mode 2: only the formula's first
  // evaluation shows a refused argument. False where there is no value: a
  // refused argument, a division by zero (which the engine shows), an
  // arithmetic fault (shown by nobody), a formula that did not compile.
  bool ValueAt(long double t, long double& value);
  // The same in mode 0: no refusal is shown, ever.
  bool QuietValueAt(long double t, long double& value);

 private:
  bool Evaluate(int32_t mode, long double t, long double& value);

  std::u16string FText;
  std::unique_ptr<TFormula> FFormula;
  std::vector<long double*> FParameter;  // every entry of the first name
  bool FCompiled = false;
};

// The message refusing a formula of more than one variable; extra lists the
// names after the first. curve names the formula: "X(t)", "Y(t)", "R(φ)".
QString TooManyParametersMessage(const QString& curve, const std::vector<std::u16string>& extra);

// Samples t over range (start, start + step, ... by repeated addition, as
// the plane plot makes its X) into sink: point i is (X(t), Y(t)), or for a
// polar curve (R(φ)·cos φ, R(φ)·sin φ) with φ in degrees, by the engine's
// cosine and sine. A point where a formula has no value, or with a
// coordinate on or beyond ±PlotBand, is a gap: both coordinates NaN.
// X(t) is evaluated before Y(t) at each point, so their messages come in
// that order. With control, progress is reported and a stop ends the
// sampling early; the function then returns false and the points are
// unfinished. range.Count must be within MaxPlotPoints.
bool SampleParametric(TParameterFormula& x, TParameterFormula& y, const TPlotRange& range, TPlotSink& sink,
                      TWorkControl* control = nullptr);
bool SamplePolar(TParameterFormula& r, const TPlotRange& range, TPlotSink& sink, TWorkControl* control = nullptr);
