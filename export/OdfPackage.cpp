#include "export/OdfPackage.h"

#include <QXmlStreamWriter>

#include <zlib.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

// Zip record signatures and the fixed part of each record.
constexpr uint32_t LocalSignature = 0x04034b50;
constexpr uint32_t CentralSignature = 0x02014b50;
constexpr uint32_t EndSignature = 0x06054b50;
constexpr qsizetype LocalFixed = 30;
constexpr qsizetype CentralFixed = 46;
constexpr qsizetype EndFixed = 22;

const QByteArray ContentName = QByteArrayLiteral("content.xml");
const QByteArray ManifestName = QByteArrayLiteral("META-INF/manifest.xml");
const QByteArray MetaName = QByteArrayLiteral("meta.xml");
const QByteArray MimetypeName = QByteArrayLiteral("mimetype");

uint32_t Crc32(const QByteArray& data) {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (const char byte : data) crc = table[(crc ^ uint8_t(byte)) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

uint32_t Read(const QByteArray& data, qsizetype at, int bytes) {
  uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | uint8_t(data[at + i]);
  return value;
}

void Write(QByteArray& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.append(char((value >> (8 * i)) & 0xFF));
}

void Patch(QByteArray& record, qsizetype at, uint32_t value) {
  for (int i = 0; i < 4; ++i) record[at + i] = char((value >> (8 * i)) & 0xFF);
}

struct TEntry {
  QByteArray Name;
  QByteArray Central;  // the whole central directory record
  qsizetype LocalOffset = 0;
  qsizetype LocalEnd = 0;  // where the next local record (or the directory) starts
};

// An uncompressed entry: its local record and its central directory record.
void AddStored(QByteArray& out, QByteArray& central, const QByteArray& name, const QByteArray& data,
               uint32_t dosTimeDate) {
  const uint32_t crc = Crc32(data);
  const qsizetype offset = out.size();
  Write(out, LocalSignature, 4);
  Write(out, 10, 2);  // version needed: stored data
  Write(out, 0, 2);   // flags
  Write(out, 0, 2);   // method: stored
  Write(out, dosTimeDate, 4);
  Write(out, crc, 4);
  Write(out, uint32_t(data.size()), 4);
  Write(out, uint32_t(data.size()), 4);
  Write(out, uint32_t(name.size()), 2);
  Write(out, 0, 2);
  out += name;
  out += data;

  Write(central, CentralSignature, 4);
  Write(central, 20, 2);  // made by: MS-DOS attributes
  Write(central, 10, 2);
  Write(central, 0, 2);
  Write(central, 0, 2);
  Write(central, dosTimeDate, 4);
  Write(central, crc, 4);
  Write(central, uint32_t(data.size()), 4);
  Write(central, uint32_t(data.size()), 4);
  Write(central, uint32_t(name.size()), 2);
  Write(central, 0, 2);  // extra field
  Write(central, 0, 2);  // comment
  Write(central, 0, 2);  // disk
  Write(central, 0, 2);  // internal attributes
  Write(central, 0, 4);  // external attributes
  Write(central, uint32_t(offset), 4);
  central += name;
}

QByteArray MetaXml(const QString& title) {
  QByteArray xml;
  QXmlStreamWriter writer(&xml);
  writer.writeStartDocument();
  writer.writeNamespace(QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0"), QStringLiteral("office"));
  writer.writeNamespace(QStringLiteral("http://purl.org/dc/elements/1.1/"), QStringLiteral("dc"));
  writer.writeStartElement(QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0"), QStringLiteral("document-meta"));
  writer.writeAttribute(QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0"), QStringLiteral("version"), QStringLiteral("1.2"));
  writer.writeStartElement(QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:office:1.0"), QStringLiteral("meta"));
  writer.writeTextElement(QStringLiteral("http://purl.org/dc/elements/1.1/"), QStringLiteral("title"), title);
  writer.writeEndDocument();
  return xml;
}

// The manifest of the package's entries. Qt's writer stores its pictures as PNG.
QByteArray ManifestXml(const QByteArray& packageType, const std::vector<QByteArray>& names) {
  const QString ns = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");
  QByteArray xml;
  QXmlStreamWriter writer(&xml);
  writer.setAutoFormatting(true);
  writer.writeStartDocument();
  writer.writeNamespace(ns, QStringLiteral("manifest"));
  writer.writeStartElement(ns, QStringLiteral("manifest"));
  writer.writeAttribute(ns, QStringLiteral("version"), QStringLiteral("1.2"));
  auto entry = [&](const QString& type, const QString& path) {
    writer.writeEmptyElement(ns, QStringLiteral("file-entry"));
    writer.writeAttribute(ns, QStringLiteral("media-type"), type);
    writer.writeAttribute(ns, QStringLiteral("full-path"), path);
  };
  entry(QString::fromLatin1(packageType), QStringLiteral("/"));
  for (const QByteArray& name : names) {
    if (name == MimetypeName || name.startsWith("META-INF/")) continue;
    entry(name.endsWith(".xml") ? QStringLiteral("text/xml") : QStringLiteral("image/png"), QString::fromUtf8(name));
  }
  writer.writeEndDocument();
  return xml;
}

// The entries of a zip without zip64 records, in directory order; empty when
// the data is no such zip.
std::vector<TEntry> ReadDirectory(const QByteArray& zip, qsizetype& directoryOffset) {
  qsizetype end = zip.size() - EndFixed;
  while (end >= 0 && Read(zip, end, 4) != EndSignature) --end;
  if (end < 0) return {};
  const uint32_t count = Read(zip, end + 10, 2);
  directoryOffset = Read(zip, end + 16, 4);
  if (directoryOffset > end) return {};

  std::vector<TEntry> entries;
  qsizetype at = directoryOffset;
  for (uint32_t i = 0; i < count; ++i) {
    if (at + CentralFixed > end || Read(zip, at, 4) != CentralSignature) return {};
    const qsizetype length = CentralFixed + Read(zip, at + 28, 2) + Read(zip, at + 30, 2) + Read(zip, at + 32, 2);
    if (at + length > end) return {};
    TEntry entry;
    entry.Name = zip.mid(at + CentralFixed, Read(zip, at + 28, 2));
    entry.Central = zip.mid(at, length);
    entry.LocalOffset = Read(zip, at + 42, 4);
    if (entry.LocalOffset + LocalFixed > directoryOffset || Read(zip, entry.LocalOffset, 4) != LocalSignature) return {};
    entries.push_back(std::move(entry));
    at += length;
  }
  for (TEntry& entry : entries) {
    entry.LocalEnd = directoryOffset;
    for (const TEntry& other : entries)
      if (other.LocalOffset > entry.LocalOffset && other.LocalOffset < entry.LocalEnd) entry.LocalEnd = other.LocalOffset;
  }
  return entries;
}

// The data of a deflated entry; nothing when it does not inflate to its size.
std::optional<QByteArray> Inflate(QByteArrayView deflated, uint32_t size) {
  constexpr uint32_t MaxSize = 64u << 20;  // far beyond any report's text
  if (size > MaxSize) return std::nullopt;
  QByteArray data(qsizetype(size), Qt::Uninitialized);
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return std::nullopt;  // raw deflate, as zip stores it
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(deflated.data()));
  stream.avail_in = uInt(deflated.size());
  stream.next_out = reinterpret_cast<Bytef*>(data.data());
  stream.avail_out = size;
  const bool whole = inflate(&stream, Z_FINISH) == Z_STREAM_END && stream.total_out == size;
  inflateEnd(&stream);
  if (!whole) return std::nullopt;
  return data;
}

// The position after the start tag of the element name that begins at xml[at];
// -1 when none begins there (another element, or an empty one).
qsizetype AfterStartTag(const QByteArray& xml, qsizetype at, QByteArrayView name) {
  if (!QByteArrayView(xml).sliced(at).startsWith(name)) return -1;
  const qsizetype next = at + name.size();
  if (next >= xml.size() || (xml[next] != ' ' && xml[next] != '>')) return -1;
  const qsizetype close = xml.indexOf('>', next);
  if (close < 0 || xml[close - 1] == '/') return -1;
  return close + 1;
}

// Where the end tag that ends at xml[end - 1] begins; -1 when it is another.
qsizetype BeforeEndTag(const QByteArray& xml, qsizetype end, QByteArrayView endTag) {
  return QByteArrayView(xml).first(end).endsWith(endTag) ? end - endTag.size() : -1;
}

// Readers drop a blank that begins or ends a paragraph unless it is written
// as <text:s/>. Qt's writer does so for the second and further blanks of a
// run, but leaves a single one (and the first of a run) as it is, so
// " Результат:" would lose its blank and "F(X) = sin(x) " its last one.
QByteArray KeepEdgeBlanks(const QByteArray& xml) {
  const QByteArrayView paragraph("<text:p"), span("<text:span"), spanEnd("</text:span>");
  std::vector<qsizetype> blanks;  // the plain blanks to write as <text:s/>, in order
  for (qsizetype p = xml.indexOf(paragraph); p >= 0; p = xml.indexOf(paragraph, p + 1)) {
    qsizetype first = AfterStartTag(xml, p, paragraph);
    if (first < 0) continue;
    for (qsizetype next; (next = AfterStartTag(xml, first, span)) >= 0;) first = next;
    const qsizetype close = xml.indexOf("</text:p>", first);
    if (close < 0) break;
    qsizetype last = close;
    for (qsizetype before; (before = BeforeEndTag(xml, last, spanEnd)) >= 0;) last = before;
    if (first < last && xml[first] == ' ') blanks.push_back(first);
    // A blank after text, not the indentation the writer puts after a picture.
    if (last - 2 >= first && xml[last - 1] == ' ' && !QByteArrayView(" \t\r\n>").contains(xml[last - 2]))
      blanks.push_back(last - 1);
  }
  if (blanks.empty()) return xml;
  QByteArray out;
  qsizetype copied = 0;
  for (const qsizetype at : blanks) {
    out += QByteArrayView(xml).sliced(copied, at - copied);
    out += "<text:s/>";
    copied = at + 1;
  }
  out += QByteArrayView(xml).sliced(copied);
  return out;
}

// The bytes an entry holds as stored (compressed or not); empty when its
// record claims more than there is.
QByteArrayView StoredBytes(const QByteArray& zip, const TEntry& entry) {
  const qsizetype size = Read(entry.Central, 20, 4);
  const qsizetype start = entry.LocalOffset + LocalFixed + Read(zip, entry.LocalOffset + 26, 2) +
                          Read(zip, entry.LocalOffset + 28, 2);
  if (start + size > entry.LocalEnd) return {};
  return QByteArrayView(zip).sliced(start, size);
}

// content.xml with the blanks at its paragraphs' edges kept; nothing when it needs no change
// or cannot be read (then it is copied as it is).
std::optional<QByteArray> MendedContent(const QByteArray& zip, const TEntry& entry) {
  const uint32_t method = Read(entry.Central, 10, 2);
  const QByteArrayView data = StoredBytes(zip, entry);
  std::optional<QByteArray> xml;
  if (method == 0) xml = data.toByteArray();
  else if (method == 8) xml = Inflate(data, Read(entry.Central, 24, 4));
  if (!xml) return std::nullopt;
  QByteArray mended = KeepEdgeBlanks(*xml);
  if (mended == *xml) return std::nullopt;
  return mended;
}

}  // namespace

QByteArray FinishOdfPackage(const QByteArray& package, const QString& title) {
  qsizetype directoryOffset = 0;
  const std::vector<TEntry> entries = ReadDirectory(package, directoryOffset);
  if (entries.empty()) return package;

  QByteArray packageType;
  std::vector<QByteArray> names;
  for (const TEntry& entry : entries) {
    if (entry.Name == MetaName) return package;
    // The package type is the first entry, stored, so its bytes are the text.
    if (entry.Name == MimetypeName && Read(entry.Central, 10, 2) == 0)
      packageType = StoredBytes(package, entry).toByteArray();
    if (entry.Name != ManifestName) names.push_back(entry.Name);
  }
  if (packageType.isEmpty()) return package;
  names.push_back(MetaName);

  QByteArray out;
  QByteArray central;
  for (const TEntry& entry : entries) {
    if (entry.Name == ManifestName) continue;
    if (entry.Name == ContentName) {
      if (const std::optional<QByteArray> content = MendedContent(package, entry)) {
        AddStored(out, central, ContentName, *content, Read(entry.Central, 12, 4));
        continue;
      }
    }
    QByteArray record = entry.Central;
    Patch(record, 42, uint32_t(out.size()));
    out += package.mid(entry.LocalOffset, entry.LocalEnd - entry.LocalOffset);
    central += record;
  }
  const uint32_t timeDate = Read(entries.front().Central, 12, 4);
  AddStored(out, central, MetaName, MetaXml(title), timeDate);
  AddStored(out, central, ManifestName, ManifestXml(packageType, names), timeDate);

  const qsizetype count = qsizetype(names.size()) + 1;  // and the manifest
  const qsizetype centralOffset = out.size();
  out += central;
  Write(out, EndSignature, 4);
  Write(out, 0, 2);
  Write(out, 0, 2);
  Write(out, uint32_t(count), 2);
  Write(out, uint32_t(count), 2);
  Write(out, uint32_t(central.size()), 4);
  Write(out, uint32_t(centralOffset), 4);
  Write(out, 0, 2);
  return out;
}
