// The report document: what a reader of ex.odt sees (paragraphs, fonts, the
// picture, the title), where it is saved, how it is opened, and the package
// rewriting that gives it its title.
#include "tests/support/ExportCheck.h"
#include "export/OdfPackage.h"
#include "export/Report.h"
#include "tests/support/WidgetTest.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextDocumentWriter>
#include <QXmlStreamReader>

#include <map>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const QString Sentinel = QStringLiteral("что пользователь скопировал");
const std::pair<bool, double> Title{true, 16};
const std::pair<bool, double> Body{false, 14};

QImage TestPicture() {
  QImage image(600, 300, QImage::Format_RGB32);
  image.fill(QColor(30, 90, 200));
  for (int x = 0; x < 600; ++x) image.setPixel(x, 150, qRgb(255, 255, 0));
  return image;
}

TPictureSource TestSource() {
  return {QSize(600, 300), [](QPainter& painter, QSize) { painter.drawImage(QPoint(0, 0), TestPicture()); }};
}

// (full-path, media-type) of every entry of a manifest.
std::map<QString, QString> ManifestEntries(const QByteArray& manifest) {
  const QString ns = QStringLiteral("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");
  std::map<QString, QString> entries;
  QXmlStreamReader xml(manifest);
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"file-entry")
      entries[xml.attributes().value(ns, QStringLiteral("full-path")).toString()] =
          xml.attributes().value(ns, QStringLiteral("media-type")).toString();
  }
  return entries;
}

class ReportTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Home.isValid());
    Scripted().Home = Home.path();
    QGuiApplication::clipboard()->setText(Sentinel);
  }

  QString File() const { return Home.filePath(QStringLiteral("ex.odt")); }
  std::vector<TOdfParagraph> Paragraphs() const { return OdfParagraphs(ZipEntry(File(), QStringLiteral("content.xml"))); }
  static std::vector<QString> Texts(const std::vector<TOdfParagraph>& paragraphs) {
    std::vector<QString> texts;
    for (const TOdfParagraph& p : paragraphs) texts.push_back(p.Text);
    return texts;
  }
  // Every span of the paragraph has this font.
  static void ExpectFont(const TOdfParagraph& paragraph, std::pair<bool, double> font) {
    EXPECT_THAT(paragraph.SpanFonts, ::testing::Not(IsEmpty())) << paragraph.Text.toStdString();
    for (const auto& f : paragraph.SpanFonts) EXPECT_EQ(f, font) << paragraph.Text.toStdString();
  }
  // The report's one picture: in the last paragraph, as wide as the text, the picture itself.
  void ExpectPicture(const std::vector<TOdfParagraph>& paragraphs) {
    int count = 0;
    for (const TOdfParagraph& p : paragraphs) count += int(p.Pictures.size());
    EXPECT_EQ(count, 1);
    ASSERT_EQ(paragraphs.back().Pictures.size(), 1);
    EXPECT_EQ(paragraphs.back().PictureWidths, QStringList{QStringLiteral("481.5pt")});  // 642 px
    const QImage stored = QImage::fromData(ZipEntry(File(), paragraphs.back().Pictures.front()));
    EXPECT_EQ(stored.convertToFormat(QImage::Format_RGB32), TestPicture());
  }
  void ExpectPackage(const QString& title) {
    EXPECT_TRUE(ZipIsValid(File()));
    const QStringList names = ZipNames(File());
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.front(), QStringLiteral("mimetype"));
    EXPECT_EQ(ZipEntry(File(), QStringLiteral("mimetype")), QByteArray("application/vnd.oasis.opendocument.text"));
    EXPECT_TRUE(ZipEntry(File(), QStringLiteral("meta.xml")).contains("<dc:title>" + title.toUtf8() + "</dc:title>"));
  }

  QTemporaryDir Home;
};

TEST_F(ReportTest, PlotReport2DHasTitleFormulaLineAndPicture) {
  MakePlotReport(TPlotKind::Plot2D, QStringLiteral("sin(x)"), TestSource());
  EXPECT_THAT(Scripted().Lines(), ElementsAre("document: " + File().toStdString()));
  ExpectPackage(QStringLiteral("Построение плоских графиков"));

  const std::vector<TOdfParagraph> paragraphs = Paragraphs();
  // Every blank a paragraph begins with is kept, the single ones too.
  EXPECT_THAT(Texts(paragraphs), ElementsAre(QStringLiteral("          Построение плоских графиков\r").chopped(1), QStringLiteral(" "),
                                             QStringLiteral(" График построен по формуле:\r").chopped(1),
                                             QStringLiteral("     F(X) = ") + QStringLiteral("sin(x) "), QString()));
  ExpectFont(paragraphs[0], Title);
  for (int i : {1, 2, 3}) ExpectFont(paragraphs[i], Body);
  ExpectPicture(paragraphs);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), Sentinel);
}

TEST_F(ReportTest, PlotReport3DHasTitleTwoBlankParagraphsAndPicture) {
  MakePlotReport(TPlotKind::Plot3D, QString(), TestSource());
  ExpectPackage(QStringLiteral("Построение 3D графиков"));
  const std::vector<TOdfParagraph> paragraphs = Paragraphs();
  EXPECT_THAT(Texts(paragraphs), ElementsAre(QStringLiteral("          Построение 3D графиков\r").chopped(1), QStringLiteral(" "),
                                             QStringLiteral(" "), QString()));
  ExpectFont(paragraphs[0], Title);
  ExpectFont(paragraphs[1], Body);
  ExpectFont(paragraphs[2], Body);
  ExpectPicture(paragraphs);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), Sentinel);
}

TEST_F(ReportTest, FormulaLineKeepsAnyFormulaAsTyped) {
  for (const QString& formula : {QStringLiteral("x<1&x>0"), QString(), QStringLiteral("a  b")}) {
    MakePlotReport(TPlotKind::Plot2D, formula, TestSource());
    EXPECT_EQ(Paragraphs().at(3).Text, QStringLiteral("     F(X) = ") + formula + u' ');
  }
}

TEST_F(ReportTest, CalculationReportHasTitleFormulaAndResult) {
  QGuiApplication::clipboard()->setText(Sentinel);
  MakeCalculationReport(QStringLiteral("cos(a)+1"), QStringLiteral("1,707"));
  ExpectPackage(QStringLiteral("Расчет формул"));
  std::vector<TOdfParagraph> paragraphs = Paragraphs();
  EXPECT_THAT(Texts(paragraphs),
              ElementsAre(QStringLiteral("          Расчет формул"), QStringLiteral(" "), QStringLiteral(" Расчет выполнен по формуле:"),
                          QStringLiteral("     cos(a)+1 "), QStringLiteral(" Результат:"), QStringLiteral("     = 1,707 ")));
  ExpectFont(paragraphs[0], Title);
  for (size_t i = 1; i < paragraphs.size(); ++i) ExpectFont(paragraphs[i], Body);

  MakeCalculationReport(QStringLiteral("2+"), QString());
  paragraphs = Paragraphs();
  ASSERT_EQ(paragraphs.size(), 5);
  EXPECT_EQ(paragraphs[4].Text, QStringLiteral(" Результат не рассчитан."));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), Sentinel);
}

TEST_F(ReportTest, ReportReplacesTheLastOne) {
  MakePlotReport(TPlotKind::Plot2D, QStringLiteral("first"), TestSource());
  MakePlotReport(TPlotKind::Plot2D, QStringLiteral("second"), TestSource());
  EXPECT_EQ(Paragraphs().at(3).Text, QStringLiteral("     F(X) = second "));
  EXPECT_EQ(QDir(Home.path()).entryList(QDir::Files), QStringList{QStringLiteral("ex.odt")});
}

TEST_F(ReportTest, WithoutAProgramForDocumentsTheUserLearnsWhereTheReportIs) {
  Scripted().FailOpenDocument = true;
  MakePlotReport(TPlotKind::Plot3D, QString(), TestSource());
  EXPECT_THAT(Scripted().Lines(),
              ElementsAre("document: " + File().toStdString(),
                          "information: Отчет сохранен в файл " + File().toStdString() +
                              ", но программы для его просмотра не нашлось."));
  EXPECT_TRUE(ZipIsValid(File()));
}

TEST_F(ReportTest, UnwritableFolderThrowsAndOpensNothing) {
  Scripted().Home = Home.filePath(QStringLiteral("missing"));
  try {
    MakeCalculationReport(QStringLiteral("1"), QStringLiteral("1"));
    FAIL() << "no error";
  } catch (const EPlatformError& e) {
    EXPECT_TRUE(QString::fromUtf8(e.what()).startsWith(QStringLiteral("Не удалось сохранить отчет в файл ") +
                                                       Home.filePath(QStringLiteral("missing/ex.odt")) + u':'))
        << e.what();
  }
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
}

TEST_F(ReportTest, TitleIsAddedToQtsPackageWithoutLosingAnEntry) {
  TReportDocument report;
  report.TypeText(QStringLiteral("текст\r"));
  report.PastePicture(TestPicture());
  QFile plain(Home.filePath(QStringLiteral("plain.odt")));
  {
    QTextDocumentWriter writer(&plain, "odf");
    ASSERT_TRUE(writer.write(&report.Document()));
  }
  plain.close();
  ASSERT_TRUE(plain.open(QIODevice::ReadOnly));
  const QByteArray original = plain.readAll();
  const QByteArray titled = FinishOdfPackage(original, QStringLiteral("Заголовок <&>"));
  QFile out(Home.filePath(QStringLiteral("titled.odt")));
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(titled);
  out.close();

  ASSERT_TRUE(ZipIsValid(out.fileName()));
  QStringList expectedNames = ZipNames(plain.fileName());
  expectedNames << QStringLiteral("meta.xml");
  QStringList names = ZipNames(out.fileName());
  expectedNames.sort();
  names.sort();
  EXPECT_EQ(names, expectedNames);
  for (const QString& name : ZipNames(plain.fileName())) {
    if (name != QStringLiteral("META-INF/manifest.xml")) {
      EXPECT_EQ(ZipEntry(out.fileName(), name), ZipEntry(plain.fileName(), name)) << name.toStdString();
    }
  }

  std::map<QString, QString> manifest = ManifestEntries(ZipEntry(plain.fileName(), QStringLiteral("META-INF/manifest.xml")));
  ASSERT_EQ(manifest.size(), 3);  // the package, content.xml, the picture
  manifest[QStringLiteral("meta.xml")] = QStringLiteral("text/xml");
  EXPECT_EQ(ManifestEntries(ZipEntry(out.fileName(), QStringLiteral("META-INF/manifest.xml"))), manifest);
  EXPECT_TRUE(ZipEntry(out.fileName(), QStringLiteral("meta.xml")).contains("<dc:title>Заголовок &lt;&amp;&gt;</dc:title>"));

  // A package that has its title, or that is no zip, is left alone.
  EXPECT_EQ(FinishOdfPackage(titled, QStringLiteral("другой")), titled);
  EXPECT_EQ(FinishOdfPackage(QByteArray("not a zip at all, and longer than a zip end record"), QStringLiteral("т")),
            QByteArray("not a zip at all, and longer than a zip end record"));
  EXPECT_EQ(FinishOdfPackage(QByteArray(), QStringLiteral("т")), QByteArray());
}

TEST_F(ReportTest, BlanksAtTheEdgesOfQtsParagraphsAreWrittenSoThatReadersKeepThem) {
  TReportDocument report;
  report.TypeText(QStringLiteral(" один\r  два\r \rтри \rи  \r"));
  report.SetBold(true);
  report.TypeText(QStringLiteral(" жирный <&> x\r"));
  report.PastePicture(TestPicture());
  QBuffer plain;
  plain.open(QIODevice::WriteOnly);
  ASSERT_TRUE(QTextDocumentWriter(&plain, "odf").write(&report.Document()));
  const QByteArray finished = FinishOdfPackage(plain.data(), QStringLiteral("т"));
  QFile out(Home.filePath(QStringLiteral("finished.odt")));
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(finished);
  out.close();

  ASSERT_TRUE(ZipIsValid(out.fileName()));
  EXPECT_THAT(Texts(OdfParagraphs(ZipEntry(out.fileName(), QStringLiteral("content.xml")))),
              ElementsAre(QStringLiteral(" один"), QStringLiteral("  два"), QStringLiteral(" "), QStringLiteral("три "),
                          QStringLiteral("и  "), QStringLiteral(" жирный <&> x"), QString()));
  // Only the text changed: the picture is the same bytes.
  const QString picture = QStringLiteral("Pictures/Picture1");
  QFile plainFile(Home.filePath(QStringLiteral("plain.odt")));
  ASSERT_TRUE(plainFile.open(QIODevice::WriteOnly));
  plainFile.write(plain.data());
  plainFile.close();
  EXPECT_EQ(ZipEntry(out.fileName(), picture), ZipEntry(plainFile.fileName(), picture));
  EXPECT_FALSE(ZipEntry(out.fileName(), picture).isEmpty());
}

}  // namespace
