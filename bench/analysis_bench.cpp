// Roots and extrema of a formula over the grid of a build, as the plane
// plot's "Анализ" menu finds them: the grid sampled, the places found, each
// refined on the formula (on every core when there are many).
#include "analysis/Analysis.h"
#include "engine/Formula_math.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// text from -100000 to 100000 step 1 (200 001 points; sin(x) has 1 111
// roots and as many extrema there), after a build's first evaluation.
template <typename Find>
void Run(benchmark::State& state, const std::u16string& text, Find find) {
  TFormula formula(text, -1, 1);
  formula.Parse(text);
  formula.EvalCount = 2;
  const TAnalysisCurve curve{&formula, text, 2};
  const TAnalysisGrid grid{-100000, 1, 200001};
  size_t found = 0;
  for (auto _ : state) {
    const TAnalysisResult r = find(curve, grid);
    found = r.Findings.size();
    benchmark::DoNotOptimize(r.Findings.data());
  }
  state.counters["found"] = static_cast<double>(found);
}

void BM_Roots(benchmark::State& state, const char16_t* text) {
  Run(state, text, [](const TAnalysisCurve& c, const TAnalysisGrid& g) { return FindRoots(c, g); });
}
void BM_Extrema(benchmark::State& state, const char16_t* text) {
  Run(state, text, [](const TAnalysisCurve& c, const TAnalysisGrid& g) { return FindExtrema(c, g); });
}
BENCHMARK_CAPTURE(BM_Roots, sin, u"sin(x)")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Extrema, sin, u"sin(x)")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
