// The plane plot without its window: the sampling of F(X), the chart fed in
// bulk and drawn on Qt's offscreen platform at the window's chart size.
#include "bench/BenchApplication.h"
#include "engine/Formula_math.h"
#include "plot2d/LineChart.h"
#include "plot2d/PlotCurves.h"
#include "plot2d/PlotSampling.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

// The chart as the window shows it: 620 by 520 pixels, visible.
std::unique_ptr<TLineChart> MakeChart() {
  EnsureApplication();
  auto chart = std::make_unique<TLineChart>();
  chart->resize(620, 520);
  chart->show();
  return chart;
}

// F(X) = sin(x)*x^2+sqrt(abs(x)) with step 0,1 from -N/20 to N/20 - 1, about
// N = range(0) points (for 10 000 000: from -500000 to 499999, the longest
// build the window allows); then the chart is fed, redrawn and rendered to an
// image, as the window does it.
void BM_Plot2DBuild(benchmark::State& state) {
  const auto chart = MakeChart();
  const int64_t n = state.range(0);
  const long double start = -static_cast<long double>(n / 20);
  const long double end = static_cast<long double>(n / 20 - 1);
  const long double step = 0.1L;
  const std::u16string text = u"sin(x)*x^2+sqrt(abs(x))";
  int64_t count = 0;
  for (auto _ : state) {
    TFormula formula(text, -1, 1);
    formula.Parse(text);
    const TPlotRange range = MeasurePlotRange(start, end, step, MaxPlotPoints);
    count = range.Count;
    chart->Clear();
    TChartPoints points(range.Count);
    SamplePlot(formula, text, range, points);
    chart->SetPoints(std::move(points));
    chart->Redraw();
    const QImage image = chart->Render();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_Plot2DBuild)->Arg(1000)->Arg(1000000)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// A parametric curve as the window builds it from its dialog: the Lissajous
// figure X(t) = sin(3*t), Y(t) = sin(2*t) over 0..360 in range(0) steps,
// sampled, added to the chart, fitted, drawn and rendered to an image.
void BM_Plot2DParametric(benchmark::State& state) {
  const auto chart = MakeChart();
  const int64_t n = state.range(0);
  const long double step = 360.0L / static_cast<long double>(n);
  const TCurveSource source{TCurveKind::Parametric, u"sin(3*t)", u"sin(2*t)", 0, 360, step};
  int64_t count = 0;
  for (auto _ : state) {
    TParameterFormula x(source.First), y(source.Second);
    const TPlotRange range = MeasurePlotRange(0, 360, step, MaxPlotPoints);
    count = range.Count;
    chart->RemoveCurves();
    TChartPoints points(range.Count);
    SampleParametric(x, y, range, points);
    chart->AddCurve(source, std::move(points));
    chart->Redraw();
    const QImage image = chart->Render();
    benchmark::DoNotOptimize(image.constBits());
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_Plot2DParametric)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The chart with `curves` long curves of n points each, fitted: the first
// kept (as "Оставить на графике" keeps it), the last the current one.
std::unique_ptr<TLineChart> MakeLongCurve(int64_t n, int curves = 1) {
  auto chart = MakeChart();
  for (int c = 0; c < curves; ++c) {
    if (c > 0)
      chart->KeepCurve();
    TChartPoints points(n);
    std::vector<double> xs(4096), ys(4096);
    for (int64_t first = 0; first < n; first += 4096) {
      const int64_t m = std::min<int64_t>(4096, n - first);
      for (int64_t i = 0; i < m; ++i) {
        const double x = static_cast<double>(first + i - n / 2);
        xs[i] = x;
        ys[i] = (c == 0 ? std::sin(x * M_PI / 180) : std::cos(x * M_PI / 180)) * x;
      }
      points.Write(first, {xs.data(), static_cast<size_t>(m)}, {ys.data(), static_cast<size_t>(m)});
    }
    chart->SetPoints(std::move(points));
  }
  chart->Redraw();
  return chart;
}

// A redraw of a long curve, as a resize or an expose brings it: the chart is
// resized by one pixel and drawn again.
void BM_Plot2DRedraw(benchmark::State& state) {
  const auto chart = MakeLongCurve(state.range(0));
  int width = 620;
  for (auto _ : state) {
    width = width == 620 ? 621 : 620;
    chart->resize(width, 520);
    const QImage image = chart->Render();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_Plot2DRedraw)->Arg(10000000)->Unit(benchmark::kMillisecond);

// One wheel step over a long curve, in and out by turns about a point left of
// the middle, with the whole curve or most of it in view; the chart draws
// itself anew at every step. range(1) = 1: a drag step instead, 40 pixels to
// the right and back. range(2): how many such curves the chart holds (one
// kept and the current one for 2).
void BM_Plot2DZoom(benchmark::State& state) {
  const auto chart = MakeLongCurve(state.range(0), static_cast<int>(state.range(2)));
  QWidget* area = chart->MouseArea();
  const QPointF at(area->width() * 0.4, area->height() * 0.5);
  const auto send = [area](QEvent* event) { QApplication::sendEvent(area, event); };
  bool in = true;
  if (state.range(1) == 1) {
    QMouseEvent press(QEvent::MouseButtonPress, at, area->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    send(&press);
  }
  for (auto _ : state) {
    if (state.range(1) == 1) {
      const QPointF to = at + QPointF(in ? 40 : 0, 0);
      QMouseEvent move(QEvent::MouseMove, to, area->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                       Qt::NoModifier);
      send(&move);
      QCoreApplication::processEvents();  // the chart library redraws a drag from the event loop
    } else {
      QWheelEvent wheel(at, area->mapToGlobal(at), QPoint(), QPoint(0, in ? 120 : -120), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      send(&wheel);
    }
    in = !in;
  }
}
BENCHMARK(BM_Plot2DZoom)
    ->Args({10000000, 0, 1})
    ->Args({10000000, 1, 1})
    ->Args({10000000, 0, 2})
    ->Args({10000000, 1, 2})
    ->Unit(benchmark::kMillisecond);

}  // namespace
