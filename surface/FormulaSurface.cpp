#include "surface/FormulaSurface.h"

#include "engine/Formula_math.h"
#include "engine/Formula_messages.h"
#include "parallel/Parts.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

namespace surface {

namespace {

// Position i of count evenly spaced from `from` to `to`, both ends exact.
long double At(long double from, long double to, int32_t i, int32_t count) {
  if (i == 0 || count < 2) return from;
  if (i == count - 1) return to;
  return from + (to - from) * i / (count - 1);
}

// The control stretches each ground axis to fill its cube, so the ground
// positions need only the grid's order: whole steps, exact in single
// precision whatever the range. An empty range gives the control's "no range".
float Direction(long double from, long double to) { return to > from ? 1.0f : to < from ? -1.0f : 0.0f; }

// Puts one line's values in; a point without a value, or with one beyond the
// single range of the heights, is marked missing. Returns how many were.
int64_t Store(TGraphLine& line, const long double* values) {
  float* v = line.Values();
  int64_t missing = 0;
  for (int32_t i = 0; i < line.Count(); ++i) {
    const float h = static_cast<float>(values[i]);
    if (std::isfinite(h)) {
      v[i] = h;
    } else {
      line.SetMissing(i);
      ++missing;
    }
  }
  return missing;
}

}  // namespace

void TSurfaceSamples::ShowMessages() const {
  for (const auto& [icon, text] : Messages) ShowMessage(icon, text);
}

TSurfaceFormula::TSurfaceFormula(std::u16string text) : FText(std::move(text)) {
  // The engine has no rule for an empty text; the windows refuse it before.
  if (FText.empty()) return;
  FFormula = std::make_unique<TFormula>(FText, -1, 1);
  FCompiled = FFormula->Parse(FText);
  if (!FCompiled) return;
  FNames = VariableNames(*FFormula, FText);
}

TSurfaceFormula::~TSurfaceFormula() = default;

std::vector<std::u16string> TSurfaceFormula::ExtraVariables() const {
  return FNames.size() > 2 ? std::vector<std::u16string>(FNames.begin() + 2, FNames.end())
                           : std::vector<std::u16string>();
}

bool TSurfaceFormula::UsesRandom() const { return FFormula && FFormula->CallsRandom(); }

namespace {

// Position p = direction × k of grid point k gives from + k × (to − from) / (count − 1).
graph3d::TAxisMap IndexMap(long double from, long double to, int32_t count) {
  const double last = double(Direction(from, to)) * double(count - 1);
  if (count < 2 || last == 0) return {};
  return {double(to - from) / last, double(from)};
}

}  // namespace

graph3d::TAxisMap XMap(const TSurfaceGrid& grid) { return IndexMap(grid.XFrom, grid.XTo, grid.PointTotal); }
graph3d::TAxisMap YMap(const TSurfaceGrid& grid) { return IndexMap(grid.YFrom, grid.YTo, grid.LineTotal); }

TSurfaceSamples TSurfaceFormula::Sample(const TSurfaceGrid& grid, int threads, TWorkControl* control) {
  graph3d::CheckGridSize(grid.LineTotal, grid.PointTotal);
  const int32_t lines = std::max(grid.LineTotal, 0), points = grid.PointTotal;
  TSurfaceSamples out;
  const float xEnd = Direction(grid.XFrom, grid.XTo) * static_cast<float>(points - 1);
  const float yStep = Direction(grid.YFrom, grid.YTo);
  for (int32_t L = 0; L < lines; ++L) {
    auto line = std::make_unique<TGraphLine>(points);  // refuses fewer than 2 values
    line->StartPoint = {0, yStep * static_cast<float>(L), 0};
    line->EndPoint = {xEnd, yStep * static_cast<float>(L), 0};
    out.Lines.push_back(std::move(line));
  }
  if (!FCompiled) {
    // A formula that did not compile has no value anywhere.
    for (auto& line : out.Lines)
      for (int32_t i = 0; i < points; ++i) line->SetMissing(i);
    out.MissingPoints = int64_t(lines) * points;
    return out;
  }
  if (lines == 0) return out;

  std::vector<long double> xs(static_cast<size_t>(points)), ys(static_cast<size_t>(lines));
  for (int32_t i = 0; i < points; ++i) xs[size_t(i)] = At(grid.XFrom, grid.XTo, i, points);
  for (int32_t L = 0; L < lines; ++L) ys[size_t(L)] = At(grid.YFrom, grid.YTo, L, lines);

  // Nothing is shown while the threads work: each message once, afterwards.
  TMessageGuard messages(TMessageGuard::TMode::Collect);
  // The engine puts its first argument into the variable it lists first:
  // that is Y when the text shows Y first.
  const bool yFirst = FNames.size() >= 2 && FNames[0] != FFormula->Vars[1].Name;
  const std::atomic<bool>* stop = control ? &control->StopFlag() : nullptr;
  auto evaluate = [yFirst, stop](TFormula& f, const long double* x, const long double* y, size_t count,
                                 long double* values, TPointFault* faults) {
    f.EvaluatePoints(2, yFirst ? y : x, yFirst ? x : y, count, values, faults, stop);
  };
  // Line L's heights; returns how many of its points have no value.
  auto makeLine = [&](TFormula& formula, int32_t L) {
    const size_t n = static_cast<size_t>(points);
    std::vector<long double> y(n, ys[size_t(L)]), values(n);
    std::vector<TPointFault> faults(n);
    evaluate(formula, xs.data(), y.data(), n, values.data(), faults.data());
    return Store(*out.Lines[size_t(L)], values.data());
  };
  // The first line, made before any other, begins with the formula's first
  // evaluation: the one whose refusal mode 2 shows. Every later point, on any
  // thread, shows none.
  const int64_t firstMissing = makeLine(*FFormula, 0);

  int workers = 1;
  if (!UsesRandom()) workers = std::clamp(threads > 0 ? threads : parallel::Processors(), 1, lines);
  std::vector<std::unique_ptr<TFormula>> copies;
  for (int w = 1; w < workers; ++w) {
    auto copy = std::make_unique<TFormula>(FText, -1, 1);
    copy->Parse(FText);
    copy->EvalCount = FFormula->EvalCount;  // past its first evaluation, as the original
    copies.push_back(std::move(copy));
  }

  // The other lines go out one at a time, so that a thread whose lines are
  // quick (refused arguments) takes more of them.
  std::vector<int64_t> missing(static_cast<size_t>(workers), 0);
  missing[0] = firstMissing;
  // The share of the lines made, counted on every thread (the control
  // takes it from any).
  parallel::TControl following;
  std::atomic<int32_t> made{1};
  if (control) {
    following.Stopped = [control] { return control->Stopped(); };
    control->SetProgress(1.0 / lines);
  }
  parallel::RunEach(1, lines, workers, [&](int64_t L, int w) {
    TFormula& formula = w == 0 ? *FFormula : *copies[size_t(w - 1)];
    missing[size_t(w)] += makeLine(formula, int32_t(L));
    if (control) control->SetProgress(double(++made) / double(lines));
  }, following);
  if (stop && *stop) return {};  // stopped: nothing made
  out.Messages = messages.Take();
  for (int64_t m : missing) out.MissingPoints += m;
  return out;
}

std::u16string TooManyVariablesMessage(const std::vector<std::u16string>& extra) {
  std::u16string names;
  for (const std::u16string& name : extra) names += (names.empty() ? u"" : u", ") + name;
  return u"Поверхность Z(X;Y) строится по двум переменным, а в формуле есть лишние: " + names + u"!";
}

std::u16string NoValueMessage() { return u"Формула не имеет значения ни в одной точке поверхности!"; }

std::u16string RefusalOf(const TSurfaceSamples& samples) {
  int64_t points = 0;
  for (const auto& line : samples.Lines) points += line->Count();
  const int64_t valued = points - samples.MissingPoints;
  if (valued <= 0) return NoValueMessage();
  if (valued == 1) return u"Формула имеет значение только в одной точке поверхности!";
  // A cell is drawn when all four of its corners have a value.
  for (size_t L = 0; L + 1 < samples.Lines.size(); ++L) {
    const TGraphLine &a = *samples.Lines[L], &b = *samples.Lines[L + 1];
    for (int32_t i = 0; i + 1 < a.Count(); ++i)
      if (!a.IsMissing(i) && !a.IsMissing(i + 1) && !b.IsMissing(i) && !b.IsMissing(i + 1)) return {};
  }
  return u"Точки, в которых формула имеет значение, не образуют ни одной клетки поверхности!";
}

}  // namespace surface
