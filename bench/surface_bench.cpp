// The user's surface z = F(X;Y): compiling the formula and sampling it on an
// N × N grid into the 3D control's lines, on every processor; nothing drawn.
#include "surface/FormulaSurface.h"

#include <benchmark/benchmark.h>

namespace {

void BM_Surface(benchmark::State& state) {
  const auto n = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    surface::TSurfaceFormula formula(u"sin(x)*cos(y)");
    surface::TSurfaceSamples samples = formula.Sample({-180, 180, -180, 180, n, n});
    benchmark::DoNotOptimize(samples.Lines.data());
  }
  state.SetItemsProcessed(state.iterations() * n * n);
}
// Wall-clock time: the sampling runs on several threads.
BENCHMARK(BM_Surface)->Arg(300)->Arg(3000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
