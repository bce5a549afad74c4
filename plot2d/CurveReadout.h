// What the readout under the mouse says of a point of a curve: the formula's
// own value, computed anew at the point's X (or t, φ) without any message,
// "нет значения" where it has none, and a mark for a value beyond the band
// the chart draws. X is written to the precision of the range's start and
// step: the X the sampling reached by repeated addition (71427,9999999808)
// is the X the user asked for (71428).
//
//   TCurveReadout readout(source);
//   QString text = readout.Text(index, x, y);   // "X = 90; F(X) = 1"
#pragma once

#include "plot2d/PlotCurves.h"

#include <QString>

#include <cstdint>
#include <memory>

class TCurveReadout {
 public:
  explicit TCurveReadout(TCurveSource source);
  ~TCurveReadout();
  TCurveReadout(const TCurveReadout&) = delete;
  TCurveReadout& operator=(const TCurveReadout&) = delete;

  // The text for point index of the curve, drawn at (x, y). The formulas are
  // compiled at the first call, silently.
  QString Text(int64_t index, double x, double y);

 private:
  void Compile();

  TCurveSource Source;
  int Decimals;  // of X, t or φ; -1: written as they are
  bool Compiled = false;
  std::unique_ptr<TParameterFormula> First, Second;
};

// The decimals of a number as the general format writes it ("0,05": 2,
// "1,5E-6": 7, "1E20": 0); -1 for more than the format holds.
int DecimalsOf(long double v);
// v rounded to that many decimals (-1: v itself).
long double RoundToDecimals(long double v, int decimals);
