#include "tests/support/ExportCheck.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <algorithm>
#include <cstdint>

namespace {

QByteArray Run(const QString& program, const QStringList& arguments, int* exitCode = nullptr) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000)) return {};
  if (exitCode) *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  return process.readAllStandardOutput();
}

uint32_t Little(const QByteArray& data, int at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | uint8_t(data[at + i]);
  return value;
}

bool IsSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

}  // namespace

QByteArray ZipEntry(const QString& zip, const QString& entry) {
  return Run(QStringLiteral("unzip"), {QStringLiteral("-p"), zip, entry});
}

QStringList ZipNames(const QString& zip) {
  return QString::fromUtf8(Run(QStringLiteral("unzip"), {QStringLiteral("-Z1"), zip})).split(u'\n', Qt::SkipEmptyParts);
}

bool ZipIsValid(const QString& zip) {
  int code = -1;
  Run(QStringLiteral("unzip"), {QStringLiteral("-tq"), zip}, &code);
  return code == 0;
}

std::vector<TOdfParagraph> OdfParagraphs(const QByteArray& contentXml) {
  const QString text = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
  const QString style = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:style:1.0");
  const QString fo = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0");
  const QString svg = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0");
  const QString xlink = QStringLiteral("http://www.w3.org/1999/xlink");

  QHash<QString, std::pair<bool, double>> fonts;  // character style -> bold, size
  std::vector<TOdfParagraph> paragraphs;
  QXmlStreamReader xml(contentXml);
  QString currentStyle;
  QStringList spanStyles;
  bool inParagraph = false;
  bool lastWasSpace = true;   // leading white space of a paragraph is dropped,
  bool pendingSpace = false;  // and trailing white space too: it waits for more text
  while (!xml.atEnd()) {
    xml.readNext();
    const QStringView name = xml.name();
    if (xml.isStartElement()) {
      if (xml.namespaceUri() == style && name == u"style") {
        currentStyle = xml.attributes().value(style, QStringLiteral("name")).toString();
      } else if (xml.namespaceUri() == style && name == u"text-properties") {
        const QString weight = xml.attributes().value(fo, QStringLiteral("font-weight")).toString();
        QString size = xml.attributes().value(fo, QStringLiteral("font-size")).toString();
        size.remove(QStringLiteral("pt"));
        fonts[currentStyle] = {weight == u"bold", size.toDouble()};
      } else if (xml.namespaceUri() == text && name == u"p") {
        paragraphs.emplace_back();
        inParagraph = true;
        lastWasSpace = true;
        pendingSpace = false;
      } else if (inParagraph && xml.namespaceUri() == text && name == u"span") {
        spanStyles << xml.attributes().value(text, QStringLiteral("style-name")).toString();
        if (!spanStyles.back().isEmpty()) paragraphs.back().SpanFonts.push_back(fonts.value(spanStyles.back()));
      } else if (inParagraph && xml.namespaceUri() == text && name == u"s") {
        const QStringView count = xml.attributes().value(text, QStringLiteral("c"));
        if (pendingSpace) paragraphs.back().Text += u' ';
        pendingSpace = false;
        paragraphs.back().Text += QString(count.isEmpty() ? 1 : count.toInt(), u' ');
        lastWasSpace = false;  // the spaces of <text:s> are kept as they are
      } else if (inParagraph && name == u"frame") {
        paragraphs.back().PictureWidths << xml.attributes().value(svg, QStringLiteral("width")).toString();
      } else if (inParagraph && name == u"image") {
        paragraphs.back().Pictures << xml.attributes().value(xlink, QStringLiteral("href")).toString();
      }
    } else if (xml.isEndElement()) {
      if (xml.namespaceUri() == text && name == u"p") inParagraph = false;
      if (xml.namespaceUri() == text && name == u"span" && !spanStyles.isEmpty()) spanStyles.removeLast();
    } else if (xml.isCharacters() && inParagraph) {
      for (const QChar c : xml.text()) {
        if (IsSpace(c)) {
          if (!lastWasSpace) pendingSpace = true;
          lastWasSpace = true;
        } else {
          if (pendingSpace) paragraphs.back().Text += u' ';
          pendingSpace = false;
          paragraphs.back().Text += c;
          lastWasSpace = false;
        }
      }
    }
  }
  // Text that is no well-formed XML is no document a reader can open.
  if (xml.hasError()) ADD_FAILURE() << "content.xml: " << xml.errorString().toStdString();
  return paragraphs;
}

int PdfPageCount(const QString& pdf) {
  const QString info = QString::fromUtf8(Run(QStringLiteral("pdfinfo"), {pdf}));
  for (const QString& line : info.split(u'\n'))
    if (line.startsWith(QStringLiteral("Pages:"))) return line.mid(6).trimmed().toInt();
  return 0;
}

QSizeF PdfPageSize(const QString& pdf) {
  const QString info = QString::fromUtf8(Run(QStringLiteral("pdfinfo"), {pdf}));
  for (const QString& line : info.split(u'\n'))
    if (line.startsWith(QStringLiteral("Page size:"))) {
      const QStringList words = line.mid(10).simplified().split(u' ');
      if (words.size() >= 3) return {words[0].toDouble(), words[2].toDouble()};
    }
  return {};
}

QImage PdfFirstPage(const QString& pdf, int dpi) {
  QTemporaryDir dir;
  const QString stem = dir.filePath(QStringLiteral("page"));
  Run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QStringLiteral("1"),
                                   QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
  return QImage(stem + QStringLiteral(".png"));
}

QImage PdfPageAt(const QString& pdf, QSize size) {
  QTemporaryDir dir;
  const QString stem = dir.filePath(QStringLiteral("page"));
  Run(QStringLiteral("pdftoppm"), {QStringLiteral("-scale-to-x"), QString::number(size.width()), QStringLiteral("-scale-to-y"),
                                   QString::number(size.height()), QStringLiteral("-f"), QStringLiteral("1"),
                                   QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf, stem});
  return QImage(stem + QStringLiteral(".png"));
}

QString PdfText(const QString& pdf) {
  return QString::fromUtf8(Run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}));
}

QImage SvgPicture(const QString& svg, QSize size) {
  QTemporaryDir dir;
  const QString png = dir.filePath(QStringLiteral("picture.png"));
  Run(QStringLiteral("rsvg-convert"), {QStringLiteral("-w"), QString::number(size.width()), QStringLiteral("-h"),
                                      QString::number(size.height()), QStringLiteral("-b"), QStringLiteral("white"),
                                      QStringLiteral("-o"), png, svg});
  return QImage(png);
}

double UnexplainedShare(const QImage& rendered, const QImage& original) {
  if (rendered.size() != original.size() || original.isNull()) return 1;
  const QImage a = rendered.convertToFormat(QImage::Format_RGB32), b = original.convertToFormat(QImage::Format_RGB32);
  constexpr int kSlack = 24;
  int64_t unexplained = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          if (!b.valid(x + dx, y + dy)) continue;
          const QRgb p = b.pixel(x + dx, y + dy);
          const int c[3] = {qRed(p), qGreen(p), qBlue(p)};
          for (int i = 0; i < 3; ++i) low[i] = std::min(low[i], c[i]), high[i] = std::max(high[i], c[i]);
        }
      const QRgb p = a.pixel(x, y);
      const int c[3] = {qRed(p), qGreen(p), qBlue(p)};
      for (int i = 0; i < 3; ++i)
        if (c[i] < low[i] - kSlack || c[i] > high[i] + kSlack) {
          ++unexplained;
          break;
        }
    }
  return double(unexplained) / (double(a.width()) * a.height());
}

QRect InkBounds(const QImage& image) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  QRect bounds;
  for (int y = 0; y < rgb.height(); ++y)
    for (int x = 0; x < rgb.width(); ++x) {
      const QRgb p = rgb.pixel(x, y);
      if (qRed(p) < 240 || qGreen(p) < 240 || qBlue(p) < 240) bounds |= QRect(x, y, 1, 1);
    }
  return bounds;
}

TBmpHeader ReadBmpHeader(const QString& fileName) {
  QFile file(fileName);
  TBmpHeader header;
  if (!file.open(QIODevice::ReadOnly)) return header;
  const QByteArray data = file.read(54);
  if (data.size() < 54 || !data.startsWith("BM")) return header;
  const uint32_t infoSize = Little(data, 14, 4);
  const uint32_t compression = Little(data, 30, 4);
  header.Width = int(Little(data, 18, 4));
  header.Height = int(int32_t(Little(data, 22, 4)));
  header.BitCount = int(Little(data, 28, 2));
  header.Valid = infoSize >= 40 && compression == 0 && Little(data, 2, 4) == uint32_t(file.size());
  return header;
}
