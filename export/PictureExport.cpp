#include "export/PictureExport.h"

#include "export/VectorPicture.h"
#include "platform/Files.h"
#include "platform/LongWork.h"
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

QString VectorFilter(TVectorFormat format) {
  return format == TVectorFormat::Svg ? QStringLiteral("Рисунок SVG (*.svg)|*.svg|")
                                      : QStringLiteral("Документ PDF (*.pdf)|*.pdf|");
}

QString VectorDialogTitle(TPlotKind kind, TVectorFormat format) {
  return QStringLiteral("Сохранение %1 графика в файл %2")
      .arg(kind == TPlotKind::Plot2D ? u"2D" : u"3D", format == TVectorFormat::Svg ? u"SVG" : u"PDF");
}

QString WriteFailed(const QString& fileName, const QString& reason) {
  return QStringLiteral("Не удалось записать файл %1: %2").arg(QDir::toNativeSeparators(fileName), reason);
}

void SaveVectorPicture(TPlotKind kind, TVectorFormat format, const TPictureSource& picture, QWidget* window) {
  if (!picture.Render) return;
  const std::optional<QString> chosen = ChooseSaveFile({VectorDialogTitle(kind, format), VectorFilter(format), 1},
                                                      VectorExtension(format), TAppendExtension::WhenMissing);
  if (!chosen) return;
  const QString& fileName = *chosen;

  const uint64_t bytes = EstimateVectorBytes(format, picture);
  if (bytes > kLargeVectorFile) {
    if (Platform().Question(VectorSizeText(format, bytes) + QStringLiteral(" Сохранить график в файл BMP?")))
      SavePictureAsBmp(kind, picture);
    return;
  }

  const TVectorPage page = VectorPage(format, picture, PlotTitle(kind));
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
    data = VectorFile(format, picture, PlotTitle(kind));
  }
  if (const TSaveResult saved = SaveFileContents(fileName, data); !saved)
    throw EPlatformError(WriteFailed(fileName, saved.Reason));
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

QString PlotTitle(TPlotKind kind) {
  return kind == TPlotKind::Plot2D ? QStringLiteral("Построение плоских графиков")
                                   : QStringLiteral("Построение 3D графиков");
}

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
  const std::optional<QString> chosen = ChooseSaveFile({BmpDialogTitle(kind), BmpFilter, 1}, QStringLiteral(".bmp"));
  if (!chosen) return;
  const QString& fileName = *chosen;

  // Opaque 32-bit pixels make a plain 24-bit BMP that every viewer reads.
  const QImage image = picture.Image();
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
  const QImage image = picture.Image();
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
