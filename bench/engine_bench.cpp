// Time per evaluation of one compiled formula with a changing x, ours and
// muParser's, for the same three expressions (index 0..2).
#include "engine/Formula_math.h"

#include <benchmark/benchmark.h>

#ifdef MATRIKON_HAVE_MUPARSER
#include <muParser.h>
#endif

namespace {

const char16_t* const kOurs[] = {u"sin(x)*x^2+sqrt(abs(x))", u"x*2+3", u"max(4;8;x)"};
const char* const kTheirs[] = {"sin(x)*x^2+sqrt(abs(x))", "x*2+3", "max(4,8,x)"};

// x walks over a plot's range, -100 to 100 in steps of 0.01.
struct TSweep {
  double X = -100;
  double Next() {
    X += 0.01;
    if (X > 100) X = -100;
    return X;
  }
};

void BM_Evaluate(benchmark::State& state) {
  TFormula f(kOurs[state.range(0)], -1, 1);
  f.Parse(kOurs[state.range(0)]);
  f.NumericOnly = true;  // as the plot does: only the number is read
  TSweep sweep;
  for (auto _ : state) {
    f.Vars[f.VarCount].Value = sweep.Next();
    f.Evaluate(2);
    benchmark::DoNotOptimize(f.Value);
  }
}
BENCHMARK(BM_Evaluate)->DenseRange(0, 2);

// The same with the result text made at every evaluation, as the calculator does.
void BM_EvaluateWithText(benchmark::State& state) {
  TFormula f(kOurs[state.range(0)], -1, 1);
  f.Parse(kOurs[state.range(0)]);
  TSweep sweep;
  for (auto _ : state) {
    f.Vars[f.VarCount].Value = sweep.Next();
    f.Evaluate(2);
    benchmark::DoNotOptimize(f.ResultText.data());
  }
}
BENCHMARK(BM_EvaluateWithText)->DenseRange(0, 2);

// Compiling a formula of n characters, as a window does it: the object
// made and parsed. The text mixes the shapes formulas take: calls, powers,
// lists, brackets, numbers and a new variable every few terms.
std::u16string LongFormula(size_t n) {
  const char16_t* const terms[] = {u"sin(x)*x^2", u"sqrt(abs(x))", u"max(4;8;x)", u"(x+1,5)/2", u"2,5*y"};
  std::u16string s = u"1";
  for (size_t i = 0; s.size() < n; ++i) {
    std::u16string term = i % 6 == 5 ? u"v" + std::u16string(1, u'a' + i % 26) + std::u16string(1, u'A' + i / 26 % 26) +
                                           std::u16string(1, u'a' + i / 676 % 26)
                                     : terms[i % 5];
    term.insert(0, i % 2 ? u"-" : u"+");
    if (s.size() + term.size() > n) break;
    s += term;
  }
  return s;
}

void BM_Parse(benchmark::State& state) {
  const std::u16string text = LongFormula(static_cast<size_t>(state.range(0)));
  for (auto _ : state) {
    TFormula f(text, -1, 1);
    benchmark::DoNotOptimize(f.Parse(text));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
// 1 KB, 16 KB, and the longest text a formula file holds (4 x 32767).
BENCHMARK(BM_Parse)->Arg(1024)->Arg(16 * 1024)->Arg(4 * 32767)->Unit(benchmark::kMillisecond);

#ifdef MATRIKON_HAVE_MUPARSER
void BM_MuParser(benchmark::State& state) {
  mu::Parser p;
  double x = 0;
  p.DefineVar("x", &x);
  p.SetExpr(kTheirs[state.range(0)]);
  p.Eval();
  TSweep sweep;
  for (auto _ : state) {
    x = sweep.Next();
    benchmark::DoNotOptimize(p.Eval());
  }
}
BENCHMARK(BM_MuParser)->DenseRange(0, 2);
#endif

}  // namespace
