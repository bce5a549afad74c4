// Plot pictures as vector files: SVG and PDF, with lines and fills as paths
// and text as text. The picture keeps the control's size: one pixel of the
// control is one point of the file, and text keeps its size against the
// picture as on screen.
//
//   QByteArray svg = VectorFile(TVectorFormat::Svg, source, title);  // drawn on this thread
#pragma once

#include "export/PictureExport.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

class QPainter;
class TWorkControl;

enum class TVectorFormat { Svg, Pdf };

// Its extension with the dot (".svg", ".pdf").
QString VectorExtension(TVectorFormat format);

// About how many bytes a file of the picture takes: a few for the picture's
// frame, axes and text, and more for each of its shapes.
uint64_t EstimateVectorBytes(TVectorFormat format, const TPictureSource& picture);
// "Файл SVG этого графика занял бы около 64 МБ."
QString VectorSizeText(TVectorFormat format, uint64_t bytes);
// Beyond this a file is no use to anybody: the program says so before it
// writes one and offers a BMP file instead.
inline constexpr uint64_t kLargeVectorFile = 50'000'000;

// How a vector file is drawn: fonts are taken at the screen's resolution
// (dots per inch), so that text has its size on screen against the picture.
struct TVectorPage {
  TVectorFormat Format = TVectorFormat::Svg;
  QSize Size;  // the picture's, in the control's pixels
  QString Title;
  double Dpi = 96;
};
// The page for the picture, on the window's thread.
TVectorPage VectorPage(TVectorFormat format, const TPictureSource& picture, const QString& title);

// The file drawn by `draw` (in the control's pixels), or nothing when the
// drawing returned false (stopped). Runs on any thread when `draw` does.
std::optional<QByteArray> DrawVectorFile(const TVectorPage& page, const std::function<bool(QPainter&)>& draw);

// The file of the picture drawn on this thread with its Render.
QByteArray VectorFile(TVectorFormat format, const TPictureSource& picture, const QString& title);
