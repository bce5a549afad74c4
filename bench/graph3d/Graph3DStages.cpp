// Stages of a redraw of the built-in surface, each timed on its own:
// build, sort (with the depth keys), projection, colour bands, the light of
// shaded faces and drawing of the cells into pixels.
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Graph3DCore.h"
#include "graph3d/Graph3DRaster.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kWidth = 523, kHeight = 400;

void Fill(TGraph3DModel& model, int n) {
  for (auto& line : graph3d::GenerateSurface(n, n, 8.8L)) model.AddLine(std::move(line));
  model.Resized(kWidth, kHeight);
}

void BM_Graph3DBuild(benchmark::State& state) {
  TGraph3DModel model;
  Fill(model, int(state.range(0)));
  for (auto _ : state) model.BuildTrapezes();
  state.SetItemsProcessed(state.iterations() * model.TrapezeCount());
}

void BM_Graph3DSort(benchmark::State& state) {
  TGraph3DModel model;
  Fill(model, int(state.range(0)));
  model.Prepare();
  int theta = 0;
  for (auto _ : state) {
    model.SetTheta(theta += 10);
    model.CalcEyePoint();
    model.SortTrapezes();
  }
  state.SetItemsProcessed(state.iterations() * model.TrapezeCount());
}

void BM_Graph3DProject(benchmark::State& state) {
  TGraph3DModel model;
  Fill(model, int(state.range(0)));
  model.Prepare();
  for (auto _ : state) model.ProjectTrapezes();
  state.SetItemsProcessed(state.iterations() * model.TrapezeCount());
}

void BM_Graph3DColor(benchmark::State& state) {
  TGraph3DModel model;
  Fill(model, int(state.range(0)));
  model.Prepare();
  model.SetUseColors(true);
  for (auto _ : state) model.ColorTrapezes();
  state.SetItemsProcessed(state.iterations() * model.TrapezeCount());
}

void BM_Graph3DShade(benchmark::State& state) {
  TGraph3DModel model;
  Fill(model, int(state.range(0)));
  model.SetShaded(true);
  model.Prepare();
  for (auto _ : state) model.ShadeCells();
  state.SetItemsProcessed(state.iterations() * model.TrapezeCount());
}

// Args: N, hidden lines, shaded faces.
void BM_Graph3DDraw(benchmark::State& state) {
  TGraph3DModel model;
  Fill(model, int(state.range(0)));
  model.SetShaded(state.range(2) != 0);
  model.Prepare();
  std::vector<uint32_t> pixels(size_t(kWidth) * kHeight);
  graph3d::TPixelCanvas canvas(pixels.data(), kWidth, kWidth, kHeight);
  for (auto _ : state) {
    graph3d::DrawSurfacePixels(model, canvas, 0xFF000000u, state.range(1) != 0);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * model.TrapezeCount());
}

}  // namespace

BENCHMARK(BM_Graph3DBuild)->Arg(200)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Graph3DSort)->Arg(200)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Graph3DProject)->Arg(200)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Graph3DColor)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Graph3DShade)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Graph3DDraw)
    ->Args({200, 1, 0})
    ->Args({1000, 1, 0})
    ->Args({1000, 0, 0})
    ->Args({3000, 1, 0})
    ->Args({3000, 1, 1})
    ->Unit(benchmark::kMillisecond);
