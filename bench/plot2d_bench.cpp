// The plane plot without its window: the sampling of F(X), the chart fed in
// bulk and drawn on Qt's offscreen platform at the window's chart size.
#include "Formula_math.h"
#include "LineChart.h"
#include "PlotSampling.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

// One application for every benchmark that needs widgets, on the offscreen
// platform unless the caller chose another.
void EnsureApplication() {
  if (QApplication::instance())
    return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "matrikon-bench";
  static char* argv[] = {name, nullptr};
  static QApplication application(argc, argv);
}

// The chart as the window shows it: 620 by 520 pixels, visible.
std::unique_ptr<TLineChart> MakeChart() {
  EnsureApplication();
  auto chart = std::make_unique<TLineChart>();
  chart->resize(620, 520);
  chart->show();
  return chart;
}

// F(X) = sin(x)*x^2+sqrt(abs(x)) over range(0) points with step 1, centred on
// 0; then the chart is fed, redrawn and rendered to an image.
void BM_Plot2DBuild(benchmark::State& state) {
  const auto chart = MakeChart();
  const int64_t n = state.range(0);
  const long double start = -static_cast<long double>(n / 2);
  const long double end = start + static_cast<long double>(n - 1);
  const std::u16string text = u"sin(x)*x^2+sqrt(abs(x))";
  for (auto _ : state) {
    TFormula formula(text, -1, 1);
    formula.Parse(text);
    chart->Clear();
    TPlotPoints points;
    const int64_t count = CountPlotPoints(start, end, 1, MaxPlotPoints);
    points.X.reserve(static_cast<size_t>(count));
    points.Y.reserve(static_cast<size_t>(count));
    SamplePlot(formula, start, end, 1, points);
    chart->AppendPoints(points.X, points.Y);
    chart->Redraw();
    const QImage image = chart->Render();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_Plot2DBuild)->Arg(1000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A redraw of a long curve, as a resize or an expose brings it: the chart is
// resized by one pixel and drawn again.
void BM_Plot2DRedraw(benchmark::State& state) {
  const auto chart = MakeChart();
  const int64_t n = state.range(0);
  TPlotPoints points;
  points.X.resize(static_cast<size_t>(n));
  points.Y.resize(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    const double x = static_cast<double>(i - n / 2);
    points.X[i] = x;
    points.Y[i] = std::sin(x * M_PI / 180) * x;
  }
  chart->AppendPoints(points.X, points.Y);
  chart->Redraw();
  int width = 620;
  for (auto _ : state) {
    width = width == 620 ? 621 : 620;
    chart->resize(width, 520);
    const QImage image = chart->Render();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_Plot2DRedraw)->Arg(10000000)->Unit(benchmark::kMillisecond);

}  // namespace
