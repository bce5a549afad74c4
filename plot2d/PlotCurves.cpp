#include "plot2d/PlotCurves.h"

#include "engine/Formula_functions.h"
#include "engine/Formula_math.h"
#include "platform/LongWork.h"

#include <cmath>
#include <limits>

namespace {

// Points are handed to the sink in runs of this many; a stop is looked for
// after each run.
constexpr int64_t RunPoints = 4096;

QString Q(const std::u16string& s) { return QString::fromStdU16String(s); }

bool InBand(long double v) { return v > -PlotBand && v < PlotBand; }

// The sampling shared by both kinds: point(t, x, y) gives a point's
// coordinates, or false for a gap.
template <class TPoint>
bool Sample(const TPlotRange& range, TPlotSink& sink, TWorkControl* control, TPoint point) {
  constexpr double gap = std::numeric_limits<double>::quiet_NaN();
  double xs[RunPoints], ys[RunPoints];
  long double t = range.Start;
  for (int64_t first = 0; first < range.Count; first += RunPoints) {
    if (control && control->Stopped())
      return false;
    const int64_t n = std::min(RunPoints, range.Count - first);
    for (int64_t i = 0; i < n; ++i, t += range.Step) {
      long double x = 0, y = 0;
      if (point(t, x, y) && InBand(x) && InBand(y)) {
        xs[i] = static_cast<double>(x);
        ys[i] = static_cast<double>(y);
      } else {
        xs[i] = ys[i] = gap;
      }
    }
    sink.Write(first, {xs, static_cast<size_t>(n)}, {ys, static_cast<size_t>(n)});
    if (control)
      control->SetProgress(static_cast<double>(first + n) / static_cast<double>(range.Count));
  }
  return true;
}

}  // namespace

QString FormulaLine(const TCurveSource& source) {
  switch (source.Kind) {
    case TCurveKind::Function:
      return QStringLiteral("F(X) = ") + Q(source.First);
    case TCurveKind::Parametric:
      return QStringLiteral("X(t) = ") + Q(source.First) + QStringLiteral("; Y(t) = ") + Q(source.Second);
    case TCurveKind::Polar:
      return QStringLiteral("R(φ) = ") + Q(source.First);
  }
  return {};
}

TParameterFormula::TParameterFormula(std::u16string text, bool firstOnly) : FText(std::move(text)) {
  // The engine has no rule for an empty text; the windows refuse it before.
  if (FText.empty())
    return;
  FFormula = std::make_unique<TFormula>(FText, -1, 1);
  FCompiled = FFormula->Parse(FText);
  FFormula->NumericOnly = true;
  if (!FCompiled || FFormula->VarCount < 1)
    return;
  for (int32_t v = 1; v <= (firstOnly ? 1 : FFormula->VarCount); ++v)
    if (FFormula->Vars[static_cast<size_t>(v)].Name == FFormula->Vars[1].Name)
      FParameter.push_back(&FFormula->Vars[static_cast<size_t>(v)].Value);
}

TParameterFormula::~TParameterFormula() = default;

std::vector<std::u16string> TParameterFormula::ExtraVariables() const {
  if (!FCompiled)
    return {};
  std::vector<std::u16string> names = VariableNames(*FFormula, FText);
  return names.size() > 1 ? std::vector<std::u16string>(names.begin() + 1, names.end())
                          : std::vector<std::u16string>();
}

bool TParameterFormula::CallsRandom() const { return FFormula && FFormula->CallsRandom(); }

bool TParameterFormula::ValueAt(long double t, long double& value) { return Evaluate(2, t, value); }

bool TParameterFormula::QuietValueAt(long double t, long double& value) {
  const TQuietMessages quiet;
  return Evaluate(0, t, value) && quiet.Count() == 0;
}

bool TParameterFormula::Evaluate(int32_t mode, long double t, long double& value) {
  if (!FCompiled)
    return false;
  for (long double* p : FParameter)
    *p = t;
  // The flag is never cleared by the engine: cleared here, it tells whether
  // this evaluation showed an error, and is put back afterwards.
  const uint8_t flag = FFormula->ErrorFlag;
  FFormula->ErrorFlag = 0;
  bool valued = true;
  try {
    FFormula->Evaluate(mode);
  } catch (const EMathError&) {
    valued = false;
  }
  valued = valued && FFormula->ErrorFlag == 0 && !std::isnan(FFormula->Value);
  FFormula->ErrorFlag |= flag;
  value = FFormula->Value;
  return valued;
}

QString TooManyParametersMessage(const QString& curve, const std::vector<std::u16string>& extra) {
  QString names;
  for (const std::u16string& name : extra)
    names += (names.isEmpty() ? QString() : QStringLiteral(", ")) + Q(name);
  return QStringLiteral("Кривая %1 строится по одной переменной, а в формуле есть лишние: %2!").arg(curve, names);
}

bool SampleParametric(TParameterFormula& x, TParameterFormula& y, const TPlotRange& range, TPlotSink& sink,
                      TWorkControl* control) {
  return Sample(range, sink, control, [&](long double t, long double& px, long double& py) {
    // Both are evaluated, so that Y(t) shows its first point's refusal too.
    const bool hasX = x.ValueAt(t, px);
    const bool hasY = y.ValueAt(t, py);
    return hasX && hasY;
  });
}

bool SamplePolar(TParameterFormula& r, const TPlotRange& range, TPlotSink& sink, TWorkControl* control) {
  const TFunction cosine = FunctionOf(TFuncId::Cos), sine = FunctionOf(TFuncId::Sin);
  return Sample(range, sink, control, [&](long double phi, long double& px, long double& py) {
    long double radius = 0;
    if (!r.ValueAt(phi, radius))
      return false;
    TDomainError error = TDomainError::None;
    const double angle = static_cast<double>(phi);
    try {
      px = radius * cosine(angle, error);
      py = radius * sine(angle, error);
    } catch (const EMathError&) {
      return false;  // an angle too large to be reduced
    }
    return true;
  });
}
