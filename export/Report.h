// The report document: a new text document typed paragraph by paragraph,
// saved as ex.odt in the user's home folder and opened in the desktop's
// program for documents.
//
//   TReportDocument report;
//   report.SetFontSize(16);
//   report.SetBold(true);
//   report.TypeText(title + u'\r');        // '\r' ends a paragraph
//   report.PastePicture(picture);          // scaled to the text width
//   report.SetCaption(caption);            // the document's title
//   report.SaveAs(ReportFileName());
#pragma once

#include "export/PictureExport.h"

#include <QImage>
#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

class TReportDocument {
 public:
  TReportDocument();
  TReportDocument(const TReportDocument&) = delete;
  TReportDocument& operator=(const TReportDocument&) = delete;

  // The font of the text typed from now on.
  void SetFontSize(int points);
  void SetBold(bool bold);
  // Types the text at the end of the document; each '\r' ends the paragraph.
  void TypeText(const QString& text);
  // Puts the picture into the current paragraph, as wide as the text.
  void PastePicture(const QImage& picture);
  // The document's title.
  void SetCaption(const QString& caption);
  // Writes the document as an ODF text document, replacing the file if it
  // exists. Throws EPlatformError when it cannot be written; an existing file
  // is then left as it was.
  void SaveAs(const QString& fileName) const;

  const QTextDocument& Document() const { return Doc; }

  // The width of the text on the word processors' usual page (A4 with 2 cm
  // margins), in pixels at 96 per inch: the width every picture gets.
  static constexpr int TextWidthPixels = 642;

 private:
  QTextDocument Doc;
  QTextCursor Cursor;
  QTextCharFormat Format;
  int Pictures = 0;
};

// ex.odt in the user's home folder: every report is saved there, replacing the last one.
QString ReportFileName();

// The report of the plot windows: title, blank lines (and for 2D the formula
// line "     F(X) = " + formula + " "; for 3D, when formula is not empty, the
// line "     Z(X;Y) = " + formula + " " of a surface made from it), then the
// picture. Saved and opened.
void MakePlotReport(TPlotKind kind, const QString& formula, const TPictureSource& picture);
// The plane plot's report of several curves: the formula line of each
// ("F(X) = sin(x)", "X(t) = cos(t); Y(t) = sin(t)"), one a line, each
// written as the single formula's line is ("     " + formula + " ").
void MakePlotReport(const QStringList& formulas, const TPictureSource& picture);

// The calculator's report: title, the formula and the result as the result field shows it.
void MakeCalculationReport(const QString& formula, const QString& result);
