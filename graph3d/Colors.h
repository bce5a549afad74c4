// Colour values of the control ($00BBGGRR, red in the low byte) to and from
// Qt's colours (only the low 24 bits carry colour), and the numbers it writes.
#pragma once

#include "graph3d/Graph3DCore.h"

#include <QColor>
#include <QString>

namespace graph3d {

inline QColor ToQColor(TColor c) { return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF)); }

inline TColor FromQColor(const QColor& color) {
  const QColor c = color.toRgb();
  return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}

// A number of the scale or the map, as the calculator writes numbers.
QString ScaleNumber(double value);

}  // namespace graph3d
