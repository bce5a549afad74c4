#include "export/PictureExport.h"

#include "export/VectorPicture.h"
#include "platform/Files.h"
#include "platform/LongWork.h"
#include "platform/Platform.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImageWriter>
#include <QLocale>
#include <QPainter>
#include <QPrinter>

#include <optional>

namespace {

const QString BmpFilter = QStringLiteral("Файлы BMP (*.bmp)|*.bmp|");

QString BmpDialogTitle(TPlotKind kind) {
  return kind == TPlotKind::Plot2D ? QStringLiteral("Сохранение 2D графика в растровый файл")
                                   : QStringLiteral("Сохранение 3D графика в растровый файл");
}

QString VectorFilter(TVectorFormat format) {
  return format == TVectorFormat::Svg ? QStringLiteral("Рисунок SVG (*.svg)|*.svg|")
                                      : QStringLiteral("Документ PDF (*.pdf)|*.pdf|");
}

QString VectorDialogTitle(TPlotKind kind, TVectorFormat format) {
  return QStringLiteral("Сохранение %1 графика в файл %2")
      .arg(kind == TPlotKind::Plot2D ? u"2D" : u"3D", format == TVectorFormat::Svg ? u"SVG" : u"PDF");
}

// The title a vector file carries: the window's, as the report's.
QString PictureTitle(TPlotKind kind) {
  return kind == TPlotKind::Plot2D ? QStringLiteral("Построение плоских графиков")
                                   : QStringLiteral("Построение 3D графиков");
}

void WriteFile(const QString& fileName, const QByteArray& data) {
  if (const TSaveResult saved = SaveFileContents(fileName, data); !saved)
    throw EPlatformError(QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, saved.Reason));
}

void SaveVectorPicture(TPlotKind kind, TVectorFormat format, const TPictureSource& picture, QWidget* window) {
  if (!picture.Render) return;
  const std::optional<QString> chosen =
      Platform().SaveFileDialog({VectorDialogTitle(kind, format), VectorFilter(format), 1});
  if (!chosen) return;
  const QString extension = VectorExtension(format);
  const QString fileName = chosen->endsWith(extension, Qt::CaseInsensitive) ? *chosen : *chosen + extension;

  const uint64_t bytes = EstimateVectorBytes(format, picture);
  if (bytes > kLargeVectorFile) {
    const QString megabytes = QLocale(QLocale::Russian).toString(qulonglong((bytes + 500'000) / 1'000'000));
    if (Platform().Question(QStringLiteral("Файл %1 этого графика занял бы около %2 МБ. Сохранить график в файл BMP?")
                                .arg(format == TVectorFormat::Svg ? u"SVG" : u"PDF", megabytes)))
      SavePictureAsBmp(kind, picture);
    return;
  }

  const TVectorPage page = VectorPage(format, picture, PictureTitle(kind));
  QByteArray data;
  if (picture.Detach) {
    // Many shapes: a copy of the picture is written off the window's thread.
    const TDetachedPicture detached = picture.Detach();
    std::optional<QByteArray> made;
    const bool done = RunLongWork(window, [&](TWorkControl& control) {
      made = DrawVectorFile(page, [&](QPainter& painter) { return detached(painter, control); });
    });
    if (!done || !made) return;
    data = std::move(*made);
  } else {
    data = VectorFile(format, picture, PictureTitle(kind));
  }
  WriteFile(fileName, data);
}

}  // namespace

QImage TPictureSource::Image() const {
  QImage image(Size, QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.fill(Qt::white);
  QPainter painter(&image);
  Render(painter, Size);
  return image;
}

void CopyPictureToClipboard(const TPictureSource& picture) { QGuiApplication::clipboard()->setImage(picture.Image()); }

void SavePictureAsSvg(TPlotKind kind, const TPictureSource& picture, QWidget* window) {
  SaveVectorPicture(kind, TVectorFormat::Svg, picture, window);
}

void SavePictureAsPdf(TPlotKind kind, const TPictureSource& picture, QWidget* window) {
  SaveVectorPicture(kind, TVectorFormat::Pdf, picture, window);
}

void SavePictureAsBmp(TPlotKind kind, const TPictureSource& picture) {
  const std::optional<QString> chosen = Platform().SaveFileDialog({BmpDialogTitle(kind), BmpFilter, 1});
  if (!chosen) return;
  const QString fileName = *chosen + QStringLiteral(".bmp");

  // Opaque 32-bit pixels make a plain 24-bit BMP that every viewer reads.
  const QImage image = picture.Image();
  // Encoded in memory first, so that a failure of the file has the system's reason.
  QBuffer encoded;
  encoded.open(QIODevice::WriteOnly);
  QImageWriter writer(&encoded, "bmp");
  if (!writer.write(image))
    throw EPlatformError(QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, writer.errorString()));
  WriteFile(fileName, encoded.data());
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
  const QImage image = picture.Image();
  QPainter painter;
  if (!painter.begin(&printer))
    throw EPlatformError(QStringLiteral("Не удалось начать печать на принтере %1.").arg(printer.printerName()));
  // Without the hint the print job stores the picture as JPEG: thin lines
  // darken and the grid's dots fade.
  painter.setRenderHint(QPainter::LosslessImageRendering);
  painter.drawImage(CentredOrigin(QSize(printer.width(), printer.height()), image.size()), image);
  if (!painter.end()) throw EPlatformError(QStringLiteral("Печать не удалась."));
}
