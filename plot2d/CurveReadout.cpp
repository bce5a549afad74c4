#include "plot2d/CurveReadout.h"

#include "engine/Formula_functions.h"
#include "engine/Formula_math.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

QString General(long double v) { return QString::fromStdU16String(FormatGeneral(v)); }

// "name = value", "name = value (вне графика)" or "name: нет значения".
QString Part(const QString& name, bool valued, long double v) {
  if (!valued)
    return name + QStringLiteral(": нет значения");
  QString text = name + QStringLiteral(" = ") + General(v);
  if (!(v > -PlotBand && v < PlotBand))
    text += QStringLiteral(" (вне графика)");
  return text;
}

}  // namespace

int DecimalsOf(long double v) {
  const std::u16string text = FormatGeneral(v);
  const size_t e = text.find(u'E');
  const std::u16string mantissa = text.substr(0, e);
  const size_t comma = mantissa.find(u',');
  int decimals = comma == std::u16string::npos ? 0 : static_cast<int>(mantissa.size() - comma - 1);
  if (e != std::u16string::npos)
    decimals -= std::stoi(std::string(text.begin() + static_cast<std::ptrdiff_t>(e) + 1, text.end()));
  if (decimals > 18)
    return -1;
  return std::max(decimals, 0);
}

long double RoundToDecimals(long double v, int decimals) {
  if (decimals < 0 || !std::isfinite(v))
    return v;
  const long double scale = std::pow(10.0L, decimals);
  const long double scaled = v * scale;
  // Beyond 2^63 a long double has no fraction left to round.
  if (!(std::fabs(scaled) < 9.2e18L))
    return v;
  return std::round(scaled) / scale;
}

TCurveReadout::TCurveReadout(TCurveSource source)
    : Source(std::move(source)),
      Decimals(std::max(DecimalsOf(Source.Start), DecimalsOf(Source.Step))) {
  if (DecimalsOf(Source.Start) < 0 || DecimalsOf(Source.Step) < 0)
    Decimals = -1;
}

TCurveReadout::~TCurveReadout() = default;

void TCurveReadout::Compile() {
  Compiled = true;
  // The curve's build showed whatever was wrong with the text.
  const TQuietMessages quiet;
  if (Source.Kind == TCurveKind::Function) {
    // As the plane plot puts X into its formula: the first variable alone.
    First = std::make_unique<TParameterFormula>(Source.First, /*firstOnly=*/true);
  } else {
    First = std::make_unique<TParameterFormula>(Source.First);
    if (Source.Kind == TCurveKind::Parametric)
      Second = std::make_unique<TParameterFormula>(Source.Second);
  }
}

QString TCurveReadout::Text(int64_t index, double x, double y) {
  if (!Compiled)
    Compile();
  // random draws anew at every call: the value the curve got is the one shown.
  const bool drawn = First->CallsRandom() || (Second && Second->CallsRandom());
  long double v = 0, w = 0;
  bool hasV = false, hasW = false;
  switch (Source.Kind) {
    case TCurveKind::Function: {
      const long double at = RoundToDecimals(x, Decimals);
      if (drawn) {
        v = y;
        hasV = !std::isnan(y);
      } else {
        hasV = First->QuietValueAt(at, v);
      }
      return QStringLiteral("X = ") + General(at) + QStringLiteral("; ") + Part(QStringLiteral("F(X)"), hasV, v);
    }
    case TCurveKind::Parametric: {
      const long double t = RoundToDecimals(Source.Start + index * Source.Step, Decimals);
      if (drawn) {
        v = x, w = y;
        hasV = hasW = !std::isnan(x);
      } else {
        hasV = First->QuietValueAt(t, v);
        hasW = Second->QuietValueAt(t, w);
      }
      return QStringLiteral("t = ") + General(t) + QStringLiteral("; ") + Part(QStringLiteral("X(t)"), hasV, v) +
             QStringLiteral("; ") + Part(QStringLiteral("Y(t)"), hasW, w);
    }
    case TCurveKind::Polar: {
      const long double phi = RoundToDecimals(Source.Start + index * Source.Step, Decimals);
      if (drawn) {
        // R cos φ and R sin φ give R back, sign included, by the larger of the two.
        const long double c = std::cos(phi * kDegToRad), s = std::sin(phi * kDegToRad);
        v = std::fabs(c) >= std::fabs(s) ? x / c : y / s;
        hasV = !std::isnan(x);
      } else {
        hasV = First->QuietValueAt(phi, v);
      }
      return QStringLiteral("φ = ") + General(phi) + QStringLiteral("; ") + Part(QStringLiteral("R(φ)"), hasV, v);
    }
  }
  return {};
}
