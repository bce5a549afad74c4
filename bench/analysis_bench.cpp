// Roots and extrema of a formula over the grid of a build, as the plane
// plot's "Анализ" menu finds them: the grid sampled, the places found, each
// refined on the formula (on every core when there are many).
#include "analysis/Analysis.h"
#include "analysis/ValuesCsv.h"
#include "engine/Formula_math.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

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

// The CSV text of a table of range(0) points (a build from -500000 with
// step 0,1, as the longest the window allows), made on every core; the
// pieces are only counted, the disk is not timed here.
void BM_ValuesCsv(benchmark::State& state) {
  const int64_t n = state.range(0);
  std::vector<double> xs(static_cast<size_t>(n)), ys(static_cast<size_t>(n));
  long double x = -500000;
  for (int64_t i = 0; i < n; ++i, x += 0.1L) {
    xs[static_cast<size_t>(i)] = static_cast<double>(x);
    ys[static_cast<size_t>(i)] = std::sin(static_cast<double>(x)) * static_cast<double>(x);
  }
  const auto read = [&](int64_t first, int64_t count, double* px, double* py) {
    std::copy_n(xs.begin() + first, count, px);
    std::copy_n(ys.begin() + first, count, py);
  };
  size_t bytes = 0;
  for (auto _ : state) {
    TValuesCsv csv(n, read);
    bytes = 0;
    for (std::string_view piece; !(piece = csv.Next()).empty();) bytes += piece.size();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_ValuesCsv)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
