// Reading back what the exports wrote, for tests: the entries and paragraphs
// of a report document, the pages of a PDF printout, the header of a BMP file.
// The zip, PDF and SVG readers are the command-line tools unzip, pdfinfo,
// pdftoppm, pdftotext and rsvg-convert; a missing tool gives empty results, which the tests report.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <vector>

// The entry of a zip file, empty when there is none.
QByteArray ZipEntry(const QString& zip, const QString& entry);
// The entry names of a zip file in their order.
QStringList ZipNames(const QString& zip);
// Whether every entry of the zip passes unzip's test (CRCs, sizes).
bool ZipIsValid(const QString& zip);

// One paragraph of an ODF text document as a reader shows it: the spaces of
// <text:s> expanded, other white space collapsed, white space that begins or
// ends the paragraph dropped.
struct TOdfParagraph {
  QString Text;
  // The character style of every span with text: bold and size (0 when unset).
  std::vector<std::pair<bool, double>> SpanFonts;
  QStringList Pictures;       // the package entries of the pictures in the paragraph
  QStringList PictureWidths;  // their svg:width
};
std::vector<TOdfParagraph> OdfParagraphs(const QByteArray& contentXml);

// The number of pages of a PDF file (0 when it cannot be read).
int PdfPageCount(const QString& pdf);
// The size of its first page in points (empty when it cannot be read).
QSizeF PdfPageSize(const QString& pdf);
// The first page of a PDF file rendered at the given resolution.
QImage PdfFirstPage(const QString& pdf, int dpi);

// The first page of a PDF file rendered to exactly the given size in pixels.
QImage PdfPageAt(const QString& pdf, QSize size);
// The text of a PDF file as pdftotext reads it.
QString PdfText(const QString& pdf);
// An SVG file rendered by rsvg-convert to exactly the given size in pixels.
QImage SvgPicture(const QString& svg, QSize size);

// The share of pixels (0..1) of a picture another program rendered from a
// vector file that the original picture does not explain: a pixel counts as
// explained when each of its colour channels lies within the range its
// neighbours of the original have (3 × 3 around it), widened by a little, as
// smoothed edges and lines do. Different sizes give 1.
double UnexplainedShare(const QImage& rendered, const QImage& original);

// The smallest rectangle holding every pixel that is not (nearly) white.
QRect InkBounds(const QImage& image);

struct TBmpHeader {
  bool Valid = false;  // "BM", a known info header, no compression or bit fields
  int Width = 0;
  int Height = 0;  // negative for top-down files
  int BitCount = 0;
};
TBmpHeader ReadBmpHeader(const QString& fileName);
