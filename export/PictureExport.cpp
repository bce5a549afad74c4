#include "export/PictureExport.h"

#include "platform/Files.h"
#include "platform/Platform.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>

#include <optional>

namespace {

const QString BmpFilter = QStringLiteral("Файлы BMP (*.bmp)|*.bmp|");

QString BmpDialogTitle(TPlotKind kind) {
  return kind == TPlotKind::Plot2D ? QStringLiteral("Сохранение 2D графика в растровый файл")
                                   : QStringLiteral("Сохранение 3D графика в растровый файл");
}

// A picture drawn one pixel per device pixel whatever the screen it was made for.
QImage DevicePixels(QImage picture) {
  picture.setDevicePixelRatio(1.0);
  return picture;
}

QString WriteFailed(const QString& fileName, const QString& reason) {
  return QStringLiteral("Не удалось записать файл %1: %2").arg(QDir::toNativeSeparators(fileName), reason);
}

// The picture centred on the page of the painter's device, one picture pixel per device pixel.
void DrawPage(QPainter& painter, QSize page, const QImage& image) {
  // Without the hint the print job stores the picture as JPEG: thin lines
  // darken and the grid's dots fade.
  painter.setRenderHint(QPainter::LosslessImageRendering);
  painter.drawImage(CentredOrigin(page, image.size()), image);
}

// Printing to a PDF file: the print engine writes its file itself and never
// tells of a failed write, so a full disk left a broken file in place of the
// old one. The document is made in memory on the printer's page instead and
// put in place by the save, which keeps the old file on any failure.
void PrintToPdfFile(const QPrinter& printer, const QImage& image) {
  QBuffer document;
  document.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&document);
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    writer.setTitle(printer.docName());
    writer.setCreator(printer.creator());
    QPainter painter;
    if (!painter.begin(&writer)) throw EPlatformError(QStringLiteral("Печать не удалась."));
    DrawPage(painter, QSize(writer.width(), writer.height()),
             printer.colorMode() == QPrinter::GrayScale ? image.convertToFormat(QImage::Format_Grayscale8) : image);
    if (!painter.end()) throw EPlatformError(QStringLiteral("Печать не удалась."));
  }
  if (const TSaveResult saved = SaveFileContents(printer.outputFileName(), document.data()); !saved)
    throw EPlatformError(WriteFailed(printer.outputFileName(), saved.Reason));
}

}  // namespace

void CopyPictureToClipboard(const QImage& picture) { QGuiApplication::clipboard()->setImage(picture); }

void SavePictureAsBmp(TPlotKind kind, const TPictureSource& picture) {
  const std::optional<QString> chosen = ChooseSaveFile({BmpDialogTitle(kind), BmpFilter, 1}, QStringLiteral(".bmp"));
  if (!chosen) return;
  const QString& fileName = *chosen;

  // Opaque 32-bit pixels make a plain 24-bit BMP that every viewer reads.
  const QImage image = picture().convertToFormat(QImage::Format_RGB32);
  // Encoded in memory first, so that a failure of the file has the system's reason.
  QBuffer encoded;
  encoded.open(QIODevice::WriteOnly);
  QImageWriter writer(&encoded, "bmp");
  if (!writer.write(image)) throw EPlatformError(WriteFailed(fileName, writer.errorString()));
  if (const TSaveResult saved = SaveFileContents(fileName, encoded.data()); !saved)
    throw EPlatformError(WriteFailed(fileName, saved.Reason));
}

QPoint CentredOrigin(QSize page, QSize picture) {
  return {(page.width() - picture.width()) / 2, (page.height() - picture.height()) / 2};
}

void PrintPicture(TPlotKind kind, const TPictureSource& picture) {
  // Screen resolution: one picture pixel is one printer pixel, so the
  // printout has the picture's size on screen.
  QPrinter printer(QPrinter::ScreenResolution);
  if (!Platform().PrintDialog(printer)) return;
  std::optional<TBusyCursor> busy;
  if (kind == TPlotKind::Plot2D) busy.emplace();

  // Rendered before the job begins, so a failure leaves no half-made page.
  const QImage image = DevicePixels(picture());
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
    PrintToPdfFile(printer, image);
    return;
  }
  QPainter painter;
  if (!painter.begin(&printer))
    throw EPlatformError(QStringLiteral("Не удалось начать печать на принтере %1.").arg(printer.printerName()));
  DrawPage(painter, QSize(printer.width(), printer.height()), image);
  if (!painter.end()) throw EPlatformError(QStringLiteral("Печать не удалась."));
}
