// Parametric and polar curves sampled in the order of their parameter, and
// what the readout says of a curve's point.
#include "engine/Formula_math.h"
#include "tests/plot2d/EngineMessages.h"
#include "plot2d/CurveReadout.h"
#include "plot2d/PlotCurves.h"
#include "platform/LongWork.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using ::testing::ElementsAre;
using ::testing::SizeIs;


TPlotPoints Points(const TPlotRange& range) {
  TPlotPoints points;
  points.X.assign(static_cast<size_t>(range.Count), 0);
  points.Y.assign(static_cast<size_t>(range.Count), 0);
  return points;
}

TPlotPoints Parametric(const std::u16string& x, const std::u16string& y, long double from, long double to,
                       long double step) {
  TParameterFormula fx(x), fy(y);
  const TPlotRange range = MeasurePlotRange(from, to, step, MaxPlotPoints);
  TPlotPoints points = Points(range);
  EXPECT_TRUE(SampleParametric(fx, fy, range, points));
  return points;
}

TEST(CurveSampling, ParametricPointsFollowTheParameterNotX) {
  TEngineMessages messages;
  // A circle from (1; 0) round through (0; 1), (-1; 0) and (0; -1) back to the start.
  const TPlotPoints circle = Parametric(u"cos(t)", u"sin(t)", 0, 360, 90);
  ASSERT_THAT(circle.X, SizeIs(5));
  const double x[] = {1, 0, -1, 0, 1}, y[] = {0, 1, 0, -1, 0};
  for (int i = 0; i < 5; ++i) {
    EXPECT_NEAR(circle.X[i], x[i], 1e-15) << i;
    EXPECT_NEAR(circle.Y[i], y[i], 1e-15) << i;
  }
  // Whatever the name of the one variable, in every place it is written.
  const TPlotPoints named = Parametric(u"max(u;(u*2))", u"u", 1, 3, 1);
  EXPECT_THAT(named.X, ElementsAre(2, 4, 6));
  EXPECT_THAT(named.Y, ElementsAre(1, 2, 3));
  // A formula without a variable is a constant.
  EXPECT_THAT(Parametric(u"5", u"t", 0, 2, 1).X, ElementsAre(5, 5, 5));
  EXPECT_TRUE(messages.Texts.empty());
}

TEST(CurveSampling, PointsWithoutAValueOrBeyondTheBandAreGaps) {
  TEngineMessages messages;
  // sqrt(t-180) has no value before 180: the refusal is shown once, at the first point.
  const TPlotPoints root = Parametric(u"t", u"sqrt(t-180)", 0, 360, 1);
  ASSERT_THAT(root.X, SizeIs(361));
  ASSERT_THAT(messages.Texts, SizeIs(1));
  for (int i : {0, 1, 179}) {
    EXPECT_TRUE(std::isnan(root.X[i]) && std::isnan(root.Y[i])) << i;
  }
  EXPECT_EQ(root.X[180], 180);
  EXPECT_EQ(root.Y[180], 0);
  EXPECT_DOUBLE_EQ(root.Y[361 - 1], std::sqrt(180.0));

  // ±100 000 and beyond on either coordinate; an arithmetic fault (0/0).
  messages.Texts.clear();
  const TPlotPoints band = Parametric(u"t*1000", u"t/t", -1, 101, 1);
  EXPECT_TRUE(std::isnan(band.Y[1]));  // t = 0: 0/0, no value and no message
  EXPECT_EQ(band.X[100], 99000);
  EXPECT_TRUE(std::isnan(band.X[101]));  // 100 000: on the band's edge
  EXPECT_TRUE(messages.Texts.empty());
  // A division by zero is shown where it happens, as the plane plot shows it.
  const TPlotPoints pole = Parametric(u"t", u"1/t", -2, 2, 1);
  EXPECT_THAT(messages.Texts, SizeIs(1));
  EXPECT_TRUE(std::isnan(pole.Y[2]));
  EXPECT_EQ(pole.Y[3], 1);
}

TEST(CurveSampling, PolarRoseHasItsNegativeRadiiOnTheOppositeSide) {
  TParameterFormula r(u"cos(4*t)");
  const TPlotRange range = MeasurePlotRange(0, 360, 22.5L, MaxPlotPoints);
  TPlotPoints rose = Points(range);
  ASSERT_TRUE(SamplePolar(r, range, rose));
  ASSERT_THAT(rose.X, SizeIs(17));
  // φ = 0: R = 1 to the right; φ = 45: R = cos 180 = -1, drawn at 225°.
  EXPECT_NEAR(rose.X[0], 1, 1e-15);
  EXPECT_NEAR(rose.Y[0], 0, 1e-15);
  EXPECT_NEAR(rose.X[2], -std::sqrt(0.5), 1e-15);
  EXPECT_NEAR(rose.Y[2], -std::sqrt(0.5), 1e-15);
  // φ = 22,5: R = cos 90 = 0, the centre.
  EXPECT_NEAR(std::hypot(rose.X[1], rose.Y[1]), 0, 1e-15);
}

TEST(CurveSampling, OneParameterPerFormulaAndAStopChangesNothingLater) {
  TEngineMessages messages;
  TParameterFormula two(u"a*t+b");
  ASSERT_TRUE(two.Compiled());
  EXPECT_THAT(two.ExtraVariables(), ElementsAre(u"t", u"b"));
  EXPECT_EQ(TooManyParametersMessage(QStringLiteral("X(t)"), two.ExtraVariables()),
            QStringLiteral("Кривая X(t) строится по одной переменной, а в формуле есть лишние: t, b!"));
  EXPECT_TRUE(TParameterFormula(u"t*t").ExtraVariables().empty());
  EXPECT_FALSE(TParameterFormula(u"").Compiled());
  EXPECT_TRUE(messages.Texts.empty());
  EXPECT_FALSE(TParameterFormula(u"sin(t").Compiled());
  EXPECT_THAT(messages.Texts, SizeIs(1));  // the syntax error, shown by the engine

  TParameterFormula x(u"t"), y(u"t");
  const TPlotRange range = MeasurePlotRange(0, 99999, 1, MaxPlotPoints);
  TPlotPoints points = Points(range);
  TWorkControl control;
  control.RequestStop();
  EXPECT_FALSE(SampleParametric(x, y, range, points, &control));
}

TEST(CurveReadout, TheFormulasOwnValueAtTheXAskedFor) {
  TEngineMessages messages;
  const auto function = [](const std::u16string& text, long double start, long double step) {
    return TCurveSource{TCurveKind::Function, text, std::u16string(), start, 1000000, step};
  };
  struct TCase {
    TCurveSource Source;
    double X, Y;  // the point as the chart holds it
    const char* Text;
  };
  const TCase cases[] = {
      // No held height: 1/0 and sqrt of a negative number have no value.
      {function(u"1/x", -200, 1), 0, -1, "X = 0; F(X): нет значения"},
      {function(u"sqrt(x)", -200, 1), -10, 0, "X = -10; F(X): нет значения"},
      {function(u"sqrt(x)", -200, 1), -5, NAN, "X = -5; F(X): нет значения"},
      // A value the chart cannot draw is marked.
      {function(u"x^3", -100, 0.5L), 100, 99999, "X = 100; F(X) = 1000000 (вне графика)"},
      {function(u"-x^3", -100, 0.5L), 100, 99999, "X = 100; F(X) = -1000000 (вне графика)"},
      // X to the precision of the start and the step, F(X) at that X.
      {function(u"x/2", 0, 0.1L), 71427.9999999808, 0, "X = 71428; F(X) = 35714"},
      {function(u"x", 0.05L, 1), 3.0500000001, 0, "X = 3,05; F(X) = 3,05"},
      // A syntax error has no value anywhere.
      {function(u"sin(x", 0, 1), 5, 0, "X = 5; F(X): нет значения"},
      // random is not drawn anew: the value the curve got.
      {function(u"random(10)+x", 0, 1), 2, 9, "X = 2; F(X) = 9"},
      {{TCurveKind::Parametric, u"cos(t)", u"sqrt(t)", 0, 360, 0.5L}, 0, 0, "t = 30; X(t) = 0,866025403784439; Y(t) = 5,47722557505166"},
      {{TCurveKind::Polar, u"2", u"", 0, 360, 1}, 0, 2, "φ = 90; R(φ) = 2"},
  };
  const int64_t index[] = {0, 0, 0, 0, 0, 0, 3, 0, 0, 60, 90};
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].Text);
    TCurveReadout readout(cases[i].Source);
    EXPECT_EQ(readout.Text(index[i], cases[i].X, cases[i].Y).toStdString(), cases[i].Text);
  }
  // Nothing is shown: neither the division by zero nor the refusals nor the syntax error.
  EXPECT_TRUE(messages.Texts.empty());

  // The value the plot computes: X goes into the first variable only, as the
  // sampling puts it there.
  TFormula formula(u"max(x;x)+x", -1, 1);
  formula.Parse(u"max(x;x)+x");
  TPlotPoints plotted;
  SamplePlot(formula, 5, 5, 1, plotted);
  TCurveReadout readout(function(u"max(x;x)+x", 0, 1));
  EXPECT_EQ(readout.Text(0, 5, plotted.Y[0]), QStringLiteral("X = 5; F(X) = ") + QString::number(plotted.Y[0]));
}

TEST(CurveReadout, DecimalsOfTheGeneralFormat) {
  EXPECT_EQ(DecimalsOf(1), 0);
  EXPECT_EQ(DecimalsOf(-200), 0);
  EXPECT_EQ(DecimalsOf(0.1L), 1);
  EXPECT_EQ(DecimalsOf(0.05L), 2);
  EXPECT_EQ(DecimalsOf(1.5e-6L), 7);
  EXPECT_EQ(DecimalsOf(1e20L), 0);
  EXPECT_EQ(DecimalsOf(1e-30L), -1);
  EXPECT_EQ(RoundToDecimals(71427.9999999808L, 1), 71428);
  EXPECT_EQ(RoundToDecimals(-0.30000000000000004L, 1), -0.3L);
  EXPECT_EQ(RoundToDecimals(1e300L, 3), 1e300L);
  EXPECT_EQ(RoundToDecimals(2.5L, -1), 2.5L);
}

}  // namespace
