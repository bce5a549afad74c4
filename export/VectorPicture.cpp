#include "export/VectorPicture.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>

namespace {

// Measured on files of the 3D surface (a cell with its outline and fill:
// 97 bytes of SVG text, 6 of compressed PDF at 1000 × 1000 values); the rest
// of a picture (frame, axes, text, a sampled curve) stays below a few
// hundred kilobytes.
constexpr uint64_t kSvgBytesPerShape = 100;
constexpr uint64_t kPdfBytesPerShape = 8;
constexpr uint64_t kBaseBytes = 200'000;

}  // namespace

QString VectorExtension(TVectorFormat format) {
  return format == TVectorFormat::Svg ? QStringLiteral(".svg") : QStringLiteral(".pdf");
}

uint64_t EstimateVectorBytes(TVectorFormat format, const TPictureSource& picture) {
  const int64_t shapes = picture.Shapes ? std::max<int64_t>(picture.Shapes(), 0) : 0;
  return kBaseBytes + uint64_t(shapes) * (format == TVectorFormat::Svg ? kSvgBytesPerShape : kPdfBytesPerShape);
}

QString VectorSizeText(TVectorFormat format, uint64_t bytes) {
  const QString megabytes = QLocale(QLocale::Russian).toString(qulonglong((bytes + 500'000) / 1'000'000));
  return QStringLiteral("Файл %1 этого графика занял бы около %2 МБ.")
      .arg(format == TVectorFormat::Svg ? u"SVG" : u"PDF", megabytes);
}

TVectorPage VectorPage(TVectorFormat format, const TPictureSource& picture, const QString& title) {
  TVectorPage page;
  page.Format = format;
  page.Size = picture.Size;
  page.Title = title;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) page.Dpi = screen->logicalDotsPerInchY();
  if (!(page.Dpi >= 24 && page.Dpi <= 1200)) page.Dpi = 96;
  return page;
}

std::optional<QByteArray> DrawVectorFile(const TVectorPage& page, const std::function<bool(QPainter&)>& draw) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  const QSize size = page.Size.expandedTo(QSize(1, 1));
  // A point is 1/72 inch; the files count in units of 1/Dpi inch.
  const double perPoint = page.Dpi / 72.0;
  bool done = false;
  if (page.Format == TVectorFormat::Svg) {
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setResolution(int(std::lround(page.Dpi)));
    // width and height in points; the picture drawn in the control's pixels
    svg.setSize(QSize(int(std::lround(size.width() * perPoint)), int(std::lround(size.height() * perPoint))));
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(page.Title);
    svg.setDescription(QStringLiteral("Матрикон"));
    QPainter painter(&svg);
    done = draw(painter);
    painter.end();
  } else {
    QPdfWriter pdf(&buffer);
    pdf.setResolution(int(std::lround(page.Dpi)));
    pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch),
                                  QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Point));
    pdf.setTitle(page.Title);
    pdf.setCreator(QStringLiteral("Матрикон"));
    QPainter painter(&pdf);
    painter.scale(perPoint, perPoint);
    done = draw(painter);
    painter.end();
  }
  if (!done) return std::nullopt;
  return buffer.data();
}

QByteArray VectorFile(TVectorFormat format, const TPictureSource& picture, const QString& title) {
  const TVectorPage page = VectorPage(format, picture, title);
  return *DrawVectorFile(page, [&](QPainter& painter) {
    picture.Render(painter, page.Size);
    return true;
  });
}
