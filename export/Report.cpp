#include "export/Report.h"

#include "platform/Files.h"
#include "export/OdfPackage.h"
#include "platform/Platform.h"

#include <QBuffer>
#include <QDir>
#include <QTextDocumentWriter>
#include <QTextImageFormat>
#include <QUrl>

namespace {

// The opening of every report: the bold 16-point title, then 14-point text.
void TypeTitle(TReportDocument& report, const QString& title) {
  report.SetFontSize(16);
  report.SetBold(true);
  report.TypeText(title);
  report.SetFontSize(14);
  report.SetBold(false);
}

// Saves the report and opens it. The document is made even where no program
// can show it; the user is then told where it is.
void Publish(TReportDocument& report, const QString& caption) {
  report.SetCaption(caption);
  const QString fileName = ReportFileName();
  report.SaveAs(fileName);
  Platform().OpenDocument(fileName, [fileName] {
    Platform().Information(QStringLiteral("Отчет сохранен в файл %1, но программы для его просмотра не нашлось.")
                               .arg(QDir::toNativeSeparators(fileName)));
  });
}

}  // namespace

TReportDocument::TReportDocument() : Cursor(&Doc) {}

void TReportDocument::SetFontSize(int points) { Format.setFontPointSize(points); }

void TReportDocument::SetBold(bool bold) { Format.setFontWeight(bold ? QFont::Bold : QFont::Normal); }

void TReportDocument::TypeText(const QString& text) {
  const QStringList paragraphs = text.split(u'\r');
  for (qsizetype i = 0; i < paragraphs.size(); ++i) {
    if (i > 0) Cursor.insertBlock(QTextBlockFormat(), Format);
    // An empty paragraph takes its height from its own character format.
    Cursor.setBlockCharFormat(Format);
    Cursor.insertText(paragraphs[i], Format);
  }
}

void TReportDocument::PastePicture(const QImage& picture) {
  if (picture.isNull()) return;
  const QUrl name(QStringLiteral("matrikon-picture:%1").arg(++Pictures));
  Doc.addResource(QTextDocument::ImageResource, name, picture);
  QTextImageFormat image;
  image.setName(name.toString());
  image.setWidth(TextWidthPixels);
  image.setHeight(qreal(TextWidthPixels) * picture.height() / picture.width());
  Cursor.insertImage(image);
}

void TReportDocument::SetCaption(const QString& caption) { Doc.setMetaInformation(QTextDocument::DocumentTitle, caption); }

void TReportDocument::SaveAs(const QString& fileName) const {
  QBuffer package;
  package.open(QIODevice::WriteOnly);
  QTextDocumentWriter writer(&package, "odf");
  if (!writer.write(&Doc)) throw EPlatformError(QStringLiteral("Не удалось составить отчет."));
  const QByteArray data = FinishOdfPackage(package.data(), Doc.metaInformation(QTextDocument::DocumentTitle));

  if (const TSaveResult saved = SaveFileContents(fileName, data); !saved)
    throw EPlatformError(QStringLiteral("Не удалось сохранить отчет в файл %1: %2")
                             .arg(QDir::toNativeSeparators(fileName), saved.Reason));
}

QString ReportFileName() { return QDir(Platform().HomeFolder()).filePath(QStringLiteral("ex.odt")); }

void MakePlotReport(TPlotKind kind, const QString& formula, const TPictureSource& picture) {
  if (kind == TPlotKind::Plot2D) {
    MakePlotReport(QStringList{QStringLiteral("F(X) = ") + formula}, picture);
    return;
  }
  TReportDocument report;
  TypeTitle(report, QStringLiteral("          Построение 3D графиков\r"));
  report.TypeText(QStringLiteral(" \r"));
  if (formula.isEmpty()) {
    report.TypeText(QStringLiteral(" \r"));
  } else {
    // A surface of the user's formula is named as the plane plot's curve is.
    report.TypeText(QStringLiteral(" Поверхность построена по формуле:\r"));
    report.TypeText(QStringLiteral("     Z(X;Y) = ") + formula);
    report.TypeText(QStringLiteral(" \r"));
  }
  report.PastePicture(picture.Image());
  Publish(report, PlotTitle(TPlotKind::Plot3D));
}

void MakePlotReport(const QStringList& formulas, const TPictureSource& picture) {
  TReportDocument report;
  TypeTitle(report, QStringLiteral("          Построение плоских графиков\r"));
  report.TypeText(QStringLiteral(" \r"));
  report.TypeText(formulas.size() == 1 ? QStringLiteral(" График построен по формуле:\r")
                                       : QStringLiteral(" Графики построены по формулам:\r"));
  for (const QString& formula : formulas) {
    report.TypeText(QStringLiteral("     ") + formula);
    report.TypeText(QStringLiteral(" \r"));
  }
  report.PastePicture(picture.Image());
  Publish(report, PlotTitle(TPlotKind::Plot2D));
}

void MakeCalculationReport(const QString& formula, const QString& result) {
  // Titled like the plot reports: ten blanks before the window's caption.
  const QString caption = QStringLiteral("Расчет формул");
  TReportDocument report;
  TypeTitle(report, QString(10, u' ') + caption + u'\r');
  report.TypeText(QStringLiteral(" \r"));
  report.TypeText(QStringLiteral(" Расчет выполнен по формуле:\r"));
  report.TypeText(QStringLiteral("     ") + formula + QStringLiteral(" \r"));
  report.TypeText(result.isEmpty() ? QStringLiteral(" Результат не рассчитан.")
                                   : QStringLiteral(" Результат:\r     = ") + result + u' ');
  Publish(report, caption);
}
