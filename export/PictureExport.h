// The picture exports of the plot windows: clipboard, BMP, SVG and PDF
// files, printout.
//
// A window hands over a picture source, which draws the picture with a
// painter when the export needs it (after its dialog was confirmed): into an
// image for the BMP file, the clipboard, the printout and the report, as
// vector shapes and text for SVG and PDF files. Only CopyPictureToClipboard
// touches the clipboard; the other exports use the picture directly.
//
//   SavePictureAsBmp(TPlotKind::Plot3D, {Plot->size(), [this](QPainter& p, QSize s) { Plot->Render(p, s); }});
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>

class QPainter;
class QWidget;
class TWorkControl;

// Which plot window exports: the titles of its dialogs and report depend on it.
enum class TPlotKind { Plot2D, Plot3D };
// The window's title, which a report or a vector file of its picture carries.
QString PlotTitle(TPlotKind kind);

// A copy of a picture that draws without its window, on any thread, as
// vector shapes; false when the control stopped it.
using TDetachedPicture = std::function<bool(QPainter& painter, TWorkControl& control)>;

struct TPictureSource {
  // The size of the control that shows the picture, in its pixels.
  QSize Size = {};
  // Draws the picture over (0, 0) to size with the painter, on the window's thread.
  std::function<void(QPainter& painter, QSize size)> Render = {};
  // A picture of many shapes (the cells of a surface) sets both: how many
  // shapes a vector file of it holds, and a copy of it for a long file
  // written off the window's thread.
  std::function<int64_t()> Shapes = {};
  std::function<TDetachedPicture()> Detach = {};

  // The picture in an opaque image of Size, one pixel per unit.
  QImage Image() const;
};

// Puts the picture on the system clipboard, replacing what was there.
void CopyPictureToClipboard(const TPictureSource& picture);

// Asks for a file name and writes the picture there in BMP format. ".bmp" is
// appended to the chosen name, always, and an existing file of that name is
// replaced only when the user agrees. A file that cannot be written throws
// EPlatformError and leaves an existing file as it was.
void SavePictureAsBmp(TPlotKind kind, const TPictureSource& picture);

// Asks for a file name and writes the picture there as an SVG picture or a
// PDF document of the control's size in points. The extension is appended
// when the chosen name lacks it. A file that would pass about 50 MB is not
// written: the user is told its size and offered a BMP file instead. A long
// file is drawn off the window's thread of `window`; stopping it writes
// nothing. A file that cannot be written throws EPlatformError and leaves an
// existing file as it was.
void SavePictureAsSvg(TPlotKind kind, const TPictureSource& picture, QWidget* window);
void SavePictureAsPdf(TPlotKind kind, const TPictureSource& picture, QWidget* window);

// Asks for a printer and prints the picture on one page, centred in the
// printable area at one picture pixel per printer pixel (a picture wider than
// the page is cut at its edges, not scaled down). The 2D printout runs under
// the busy cursor. A printer that cannot start the job throws EPlatformError;
// so does a PDF file that cannot be written, which leaves an existing file
// as it was.
void PrintPicture(TPlotKind kind, const TPictureSource& picture);

// Where a picture of the given size starts when centred on a page of the
// given size; each offset is truncated toward zero, so it is negative when
// the picture is the larger.
QPoint CentredOrigin(QSize page, QSize picture);
