#include "export/PictureExport.h"

#include "platform/Files.h"
#include "platform/Platform.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPainter>
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

}  // namespace

void CopyPictureToClipboard(const QImage& picture) { QGuiApplication::clipboard()->setImage(picture); }

void SavePictureAsBmp(TPlotKind kind, const TPictureSource& picture) {
  const std::optional<QString> chosen = Platform().SaveFileDialog({BmpDialogTitle(kind), BmpFilter, 1});
  if (!chosen) return;
  const QString fileName = *chosen + QStringLiteral(".bmp");

  // Opaque 32-bit pixels make a plain 24-bit BMP that every viewer reads.
  const QImage image = picture().convertToFormat(QImage::Format_RGB32);
  // Encoded in memory first, so that a failure of the file has the system's reason.
  QBuffer encoded;
  encoded.open(QIODevice::WriteOnly);
  QImageWriter writer(&encoded, "bmp");
  if (!writer.write(image))
    throw EPlatformError(QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, writer.errorString()));
  if (const TSaveResult saved = SaveFileContents(fileName, encoded.data()); !saved)
    throw EPlatformError(QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, saved.Reason));
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
  QPainter painter;
  if (!painter.begin(&printer))
    throw EPlatformError(QStringLiteral("Не удалось начать печать на принтере %1.").arg(printer.printerName()));
  // Without the hint the print job stores the picture as JPEG: thin lines
  // darken and the grid's dots fade.
  painter.setRenderHint(QPainter::LosslessImageRendering);
  painter.drawImage(CentredOrigin(QSize(printer.width(), printer.height()), image.size()), image);
  if (!painter.end()) throw EPlatformError(QStringLiteral("Печать не удалась."));
}
