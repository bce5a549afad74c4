// The pinned pictures of the plane plot: charts whose pictures are kept as PNG
// files in plot2d-pictures/ and compared pixel for pixel by
// Plot2DPictureTest.cpp. scripts/plot2d-pictures.sh writes the files
// (plot2d-pictures DIR) from the same list.
//
// The chart draws text (tick labels, axis titles) and the window's frame in
// the style's colours, so a picture depends on how this machine rasterises
// text and on the style. The probe holds both: sample texts in the chart's
// and the window's fonts and the palette's colours. Where the probe differs
// from the pinned one the pictures cannot be compared and the test says so.
#pragma once

#include <QImage>
#include <QString>

#include <vector>

namespace plot2d_pictures {

struct TCase {
  QString Name;
  // Built in the plane plot window, as a user builds: the fields, then
  // "Построить". Without a formula: the 10 000 000-point curve sampled into
  // a chart of its own of Width × Height.
  QString Formula = {}, Start = {}, End = {}, Step = {};
  int Width = 0, Height = 0;
};

std::vector<TCase> Cases();
QImage Render(const TCase& c);

// The text and colours the pictures depend on, drawn as this machine draws them.
QImage TextProbe();
inline const QString ProbeName = QStringLiteral("text-probe");

}  // namespace plot2d_pictures
