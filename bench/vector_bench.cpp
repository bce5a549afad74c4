// Vector files of the plots: the time to draw and encode one (in memory; the
// atomic save adds the disk's own time) and its size in bytes ("bytes").
#include "bench/BenchApplication.h"
#include "export/VectorPicture.h"
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Graph3D.h"
#include "platform/LongWork.h"
#include "plot2d/LineChart.h"

#include <QApplication>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

TVectorFormat FormatOf(int64_t arg) { return arg == 0 ? TVectorFormat::Svg : TVectorFormat::Pdf; }

// A curve of range(0) points on the window's chart (617 × 469), fitted, as
// an SVG (range(1) = 0) or PDF file.
void BM_VectorPlot2D(benchmark::State& state) {
  EnsureApplication();
  TLineChart chart;
  chart.resize(617, 469);
  chart.show();
  const int64_t n = state.range(0);
  TChartPoints points(n);
  std::vector<double> x(static_cast<size_t>(n)), y(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    x[size_t(i)] = double(i - n / 2) / 10;
    y[size_t(i)] = std::sin(x[size_t(i)] * M_PI / 180) * x[size_t(i)];
  }
  points.Write(0, x, y);
  chart.SetPoints(std::move(points));
  chart.Redraw();
  const TPictureSource source{chart.size(), [&chart](QPainter& p, QSize s) { chart.RenderTo(p, s); }};
  size_t bytes = 0;
  for (auto _ : state) bytes = size_t(VectorFile(FormatOf(state.range(1)), source, QStringLiteral("bench")).size());
  state.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_VectorPlot2D)->Args({10000000, 0})->Args({10000000, 1})->Unit(benchmark::kMillisecond)->Iterations(3);

// The built-in surface on range(0)² values on the window's 523 × 400
// control: the copy taken on the window's thread and the file drawn from it.
void BM_VectorPlot3D(benchmark::State& state) {
  EnsureApplication();
  TGraph3D plot;
  plot.resize(523, 400);
  const int n = int(state.range(0));
  for (auto& line : graph3d::GenerateSurface(n, n, 8.8L)) plot.AddLine(std::move(line));
  plot.Prepare();
  const TPictureSource source{plot.size(), [&plot](QPainter& p, QSize s) { plot.Render(p, s); }};
  const TVectorPage page = VectorPage(FormatOf(state.range(1)), source, QStringLiteral("bench"));
  size_t bytes = 0;
  for (auto _ : state) {
    const auto detached = plot.DetachPicture();
    TWorkControl control;
    bytes = size_t(DrawVectorFile(page, [&](QPainter& p) { return detached(p, control); })->size());
  }
  state.counters["bytes"] = double(bytes);
  state.counters["cells"] = double(plot.VectorCells());
}
BENCHMARK(BM_VectorPlot3D)
    ->ArgsProduct({{100, 300, 1000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
