// The picture exports of the plot windows: clipboard, BMP file, printout.
//
// A window hands over a picture source, which renders the picture when the
// export needs it (after its dialog was confirmed). Only CopyPictureToClipboard
// touches the clipboard; the other exports use the picture directly.
//
//   SavePictureAsBmp(TPlotKind::Plot3D, [this] { return Plot->CopyToBitmap(12); });
#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>

#include <functional>

// Which plot window exports: the titles of its dialogs and report depend on it.
enum class TPlotKind { Plot2D, Plot3D };

// Renders the window's picture at the size of the control that shows it.
using TPictureSource = std::function<QImage()>;

// Puts the picture on the system clipboard, replacing what was there.
void CopyPictureToClipboard(const QImage& picture);

// Asks for a file name and writes the picture there in BMP format. ".bmp" is
// appended to the chosen name, always, and an existing file of that name is
// replaced only when the user agrees. A file that cannot be written throws
// EPlatformError and leaves an existing file as it was.
void SavePictureAsBmp(TPlotKind kind, const TPictureSource& picture);

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
