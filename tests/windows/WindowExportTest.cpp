// The export items of the two plot windows, driven through their menu items:
// each writes what the window shows, and only "В буфер" touches the clipboard.
#include "tests/support/ExportCheck.h"
#include "graph3d/Graph3D.h"
#include "plot2d/LineChart.h"
#include "windows/Unit4_3D.h"
#include "windows/Unit7.h"
#include "tests/support/WidgetTest.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QSpinBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const QString Sentinel = QStringLiteral("что пользователь скопировал");

enum class TWindow { Plot2D, Plot3D };

// What a test needs of either window: its export items and its picture.
struct TExports {
  QWidget* Window;
  QAction* Report;
  QAction* Bmp;
  QAction* Svg;
  QAction* Pdf;
  QAction* Clipboard;
  QAction* Print;
  std::function<QImage()> Picture;  // the picture as the window shows it now
  QSize ControlSize;
};

class WindowExportTest : public TWidgetTest, public ::testing::WithParamInterface<TWindow> {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    Scripted().Home = Dir.path();
    if (GetParam() == TWindow::Plot2D) {
      Plot2D = std::make_unique<TForm7>();
      Plot2D->show();
      Plot2D->Button1Click();  // the default sine
      ASSERT_GT(Plot2D->Chart1->PointCount(), 0);
      Exports = {Plot2D.get(), Plot2D->Word1, Plot2D->BMP1, Plot2D->SVG1, Plot2D->PDF1, Plot2D->N11, Plot2D->N12,
                 [this] { return Plot2D->Chart1->Render(); }, Plot2D->Chart1->size()};
    } else {
      Plot3D = std::make_unique<TForm4_3D>();
      Plot3D->show();
      Exports = {Plot3D.get(), Plot3D->Word1, Plot3D->BMP1, Plot3D->SVG1, Plot3D->PDF1, Plot3D->N40, Plot3D->N32,
                 [this] { return Plot3D->Plot->CopyToBitmap(12); }, Plot3D->Plot->size()};
    }
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Exports.Window));
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    Scripted().Clear();
    Scripted().Home = Dir.path();
    QGuiApplication::clipboard()->setText(Sentinel);
  }
  void TearDown() override {
    Plot2D.reset();
    Plot3D.reset();
    TWidgetTest::TearDown();
  }

  bool Is2D() const { return GetParam() == TWindow::Plot2D; }
  QString Path(const QString& name) const { return Dir.filePath(name); }
  static QString ClipboardText() { return QGuiApplication::clipboard()->text(); }

  QTemporaryDir Dir;
  std::unique_ptr<TForm7> Plot2D;
  std::unique_ptr<TForm4_3D> Plot3D;
  TExports Exports{};
};

INSTANTIATE_TEST_SUITE_P(BothPlots, WindowExportTest, ::testing::Values(TWindow::Plot2D, TWindow::Plot3D),
                         [](const auto& info) { return info.param == TWindow::Plot2D ? "Plot2D" : "Plot3D"; });

TEST_P(WindowExportTest, BmpFileHoldsThePictureAtTheControlsSize) {
  const QImage expected = Exports.Picture().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(expected.size(), Exports.ControlSize);
  for (const auto& [chosen, written] : {std::pair{"plot", "plot.bmp"}, std::pair{"plot.bmp", "plot.bmp.bmp"}}) {
    Scripted().SaveFileAnswers.push_back(Path(QString::fromLatin1(chosen)));
    Exports.Bmp->trigger();
    const TBmpHeader header = ReadBmpHeader(Path(QString::fromLatin1(written)));
    EXPECT_TRUE(header.Valid) << written;
    EXPECT_TRUE(header.BitCount == 24 || header.BitCount == 32);
    EXPECT_EQ(QSize(header.Width, std::abs(header.Height)), Exports.ControlSize);
    EXPECT_EQ(QImage(Path(QString::fromLatin1(written))).convertToFormat(QImage::Format_RGB32), expected) << written;
  }
  const std::string title = Is2D() ? "Сохранение 2D графика в растровый файл" : "Сохранение 3D графика в растровый файл";
  const std::string dialog = "save file dialog: " + title + " | " "Файлы BMP (*.bmp)|*.bmp|" " | 1";
  EXPECT_THAT(Scripted().Lines(), ElementsAre(dialog, dialog));
  EXPECT_EQ(ClipboardText(), Sentinel);
}

// Both vector files show what the BMP shows, read by programs of their own,
// and keep the text as text.
TEST_P(WindowExportTest, SvgAndPdfShowThePictureOfTheBmp) {
  const QImage expected = Exports.Picture().convertToFormat(QImage::Format_RGB32);
  const std::string kind = Is2D() ? "2D" : "3D";
  for (const auto& [chosen, written] : {std::pair{"plot", "plot.svg"}, std::pair{"plot.SVG", "plot.SVG"}}) {
    Scripted().SaveFileAnswers.push_back(Path(QString::fromLatin1(chosen)));
    Exports.Svg->trigger();
    const QImage svg = SvgPicture(Path(QString::fromLatin1(written)), Exports.ControlSize);
    ASSERT_FALSE(svg.isNull()) << written << ": rsvg-convert missing?";
    EXPECT_LT(UnexplainedShare(svg, expected), 0.02) << written;
  }
  QFile svgFile(Path(QStringLiteral("plot.svg")));
  ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
  const QByteArray svgText = svgFile.readAll();
  EXPECT_TRUE(svgText.contains(Is2D() ? ">F(X)</text>" : ">Val</text>"));
  EXPECT_FALSE(svgText.contains("<image"));

  Scripted().SaveFileAnswers.push_back(Path(QStringLiteral("plot.pdf")));
  Exports.Pdf->trigger();
  const QString pdf = Path(QStringLiteral("plot.pdf"));
  ASSERT_EQ(PdfPageCount(pdf), 1);
  const QImage page = PdfPageAt(pdf, Exports.ControlSize);
  ASSERT_FALSE(page.isNull()) << "pdftoppm missing?";
  EXPECT_LT(UnexplainedShare(page, expected), 0.02);
  const QString text = PdfText(pdf);
  for (const char* title : Is2D() ? std::vector<const char*>{"F(X)", "X"} : std::vector<const char*>{"Val", "X", "Y"})
    EXPECT_TRUE(text.contains(QString::fromLatin1(title))) << title << " not in: " << text.toStdString();

  const std::string svgDialog = "save file dialog: Сохранение " + kind + " графика в файл SVG | Рисунок SVG (*.svg)|*.svg| | 1";
  const std::string pdfDialog = "save file dialog: Сохранение " + kind + " графика в файл PDF | Документ PDF (*.pdf)|*.pdf| | 1";
  std::vector<std::string> dialogs;  // a long picture adds the work's cursor and progress
  for (const std::string& line : Scripted().Lines())
    if (line.starts_with("save file dialog")) dialogs.push_back(line);
  EXPECT_THAT(dialogs, ElementsAre(svgDialog, svgDialog, pdfDialog));
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("plot.pdf.pdf"))));
  EXPECT_EQ(ClipboardText(), Sentinel);
}

// Shaded faces, bands, water and the value scale, and the contour map, in
// both vector files as in the BMP.
TEST(Plot3DVectorTest, ShadingScaleAndMapInBothFiles) {
  TScriptedPlatform& platform = TestPlatform();
  platform.Clear();
  QTemporaryDir dir;
  TForm4_3D form;
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  form.SpinEdit1->setValue(30);
  form.SpinEdit2->setValue(40);
  form.Button1Click();
  for (int k = 0; k < 10; ++k) {
    platform.ColorAnswers.push_back(QColor(20 * k, 255 - 20 * k, 90));
    form.PartItems[k]->trigger();
  }
  for (QAction* item : {form.cbUseColours, form.cbShaded, form.cbScale}) item->trigger();
  form.edWater->setValue(40);
  form.N13->trigger();  // "График выше"
  for (const bool map : {false, true}) {
    SCOPED_TRACE(map ? "contour map" : "shaded surface with its scale");
    if (map) form.cbContourMap->trigger();
    const QImage bmp = form.Plot->CopyToBitmap(12);
    platform.SaveFileAnswers = {dir.filePath(QStringLiteral("s")), dir.filePath(QStringLiteral("p"))};
    platform.QuestionAnswers = {true, true};  // the second round replaces the files
    form.SVG1->trigger();
    form.PDF1->trigger();
    EXPECT_LT(UnexplainedShare(SvgPicture(dir.filePath(QStringLiteral("s.svg")), bmp.size()), bmp), 0.02);
    EXPECT_LT(UnexplainedShare(PdfPageAt(dir.filePath(QStringLiteral("p.pdf")), bmp.size()), bmp), 0.02);
    // The scale's numbers, or the map's, as text.
    EXPECT_TRUE(PdfText(dir.filePath(QStringLiteral("p.pdf"))).contains(map ? QStringLiteral("20") : QStringLiteral("от ")));
  }
  EXPECT_THAT(platform.MessageLines(), ::testing::Each(::testing::StartsWith("question: Файл ")));
  platform.Clear();
}

// A surface whose SVG would pass 50 MB: the user is told before anything is
// written and may take a BMP file instead.
TEST(Plot3DVectorTest, TooLargeSvgOffersTheBmpInstead) {
  TScriptedPlatform& platform = TestPlatform();
  platform.Clear();
  QTemporaryDir dir;
  TForm4_3D form;
  form.show();
  form.SpinEdit1->setValue(800);
  form.SpinEdit2->setValue(800);
  form.Button1Click();
  platform.Clear();
  const std::string question = "question: Файл SVG этого графика занял бы около 64 МБ. Сохранить график в файл BMP?";
  platform.SaveFileAnswers = {dir.filePath(QStringLiteral("big")), dir.filePath(QStringLiteral("big"))};
  platform.QuestionAnswers = {true};
  form.SVG1->trigger();
  EXPECT_THAT(platform.Lines(), ElementsAre("save file dialog: Сохранение 3D графика в файл SVG | Рисунок SVG (*.svg)|*.svg| | 1",
                                            question,
                                            "save file dialog: Сохранение 3D графика в растровый файл | Файлы BMP (*.bmp)|*.bmp| | 1"));
  EXPECT_EQ(QImage(dir.filePath(QStringLiteral("big.bmp"))).size(), form.Plot->size());
  platform.Clear();
  platform.SaveFileAnswers = {dir.filePath(QStringLiteral("big"))};
  platform.QuestionAnswers = {false};
  form.SVG1->trigger();
  EXPECT_EQ(platform.Lines().size(), 2u);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("big.bmp")});
  platform.Clear();
}

TEST_P(WindowExportTest, PrintoutIsOnePageWithThePictureInTheMiddle) {
  const QString pdf = Path(QStringLiteral("print.pdf"));
  Scripted().PrintAnswers.push_back(true);
  Scripted().PrintOutputFile = pdf;
  Exports.Print->trigger();
  const std::vector<std::string> expected =
      Is2D() ? std::vector<std::string>{"print dialog", "busy cursor", "normal cursor"} : std::vector<std::string>{"print dialog"};
  EXPECT_EQ(Scripted().Lines(), expected);
  ASSERT_EQ(PdfPageCount(pdf), 1);
  const QImage page = PdfFirstPage(pdf, 96);
  ASSERT_FALSE(page.isNull());
  const QRect ink = InkBounds(page);
  // Centred: as much room to the left as to the right, one pixel either way.
  EXPECT_NEAR(ink.left(), page.width() - 1 - ink.right(), 2);
  EXPECT_NEAR(ink.width(), Exports.ControlSize.width(), 1);
  EXPECT_LE(ink.height(), Exports.ControlSize.height() + 1);
  EXPECT_EQ(ClipboardText(), Sentinel);
}

TEST_P(WindowExportTest, ReportShowsTheWindowsTitleAndPicture) {
  Exports.Report->trigger();
  const QString file = Path(QStringLiteral("ex.odt"));
  EXPECT_THAT(Scripted().Lines(), ElementsAre("document: " + file.toStdString()));
  ASSERT_TRUE(ZipIsValid(file));
  const std::vector<TOdfParagraph> paragraphs = OdfParagraphs(ZipEntry(file, QStringLiteral("content.xml")));
  ASSERT_FALSE(paragraphs.empty());
  if (Is2D()) {
    ASSERT_EQ(paragraphs.size(), 5u);
    EXPECT_EQ(paragraphs[0].Text, QStringLiteral("          Построение плоских графиков\r").chopped(1));
    EXPECT_EQ(paragraphs[3].Text, QStringLiteral("     F(X) = ") + QStringLiteral("sin(x) "));
  } else {
    ASSERT_EQ(paragraphs.size(), 4u);
    EXPECT_EQ(paragraphs[0].Text, QStringLiteral("          Построение 3D графиков\r").chopped(1));
  }
  EXPECT_THAT(paragraphs[0].SpanFonts, ElementsAre(std::pair{true, 16.0}));
  ASSERT_EQ(paragraphs.back().Pictures.size(), 1);
  const QImage stored = QImage::fromData(ZipEntry(file, paragraphs.back().Pictures.front()));
  EXPECT_EQ(stored.convertToFormat(QImage::Format_RGB32), Exports.Picture().convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(ClipboardText(), Sentinel);
}

TEST_P(WindowExportTest, ClipboardItemPutsThePictureThere) {
  Exports.Clipboard->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
            Exports.Picture().convertToFormat(QImage::Format_RGB32));
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
}

TEST_P(WindowExportTest, FailuresReachTheErrorReportAndTheWindowGoesOn) {
  Scripted().SaveFileAnswers.push_back(Path(QStringLiteral("missing/plot")));
  Exports.Bmp->trigger();
  Scripted().Home = Path(QStringLiteral("missing"));
  Exports.Report->trigger();
  Scripted().SaveFileAnswers.push_back(Path(QStringLiteral("missing/plot")));
  Exports.Svg->trigger();
  const std::vector<std::string> messages = Scripted().MessageLines();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(Scripted().Log()[1].Icon, TMessageBoxIcon::Error);
  EXPECT_TRUE(QString::fromStdString(messages[0]).startsWith(QStringLiteral("error: Не удалось записать файл ")));
  EXPECT_TRUE(QString::fromStdString(messages[1]).startsWith(QStringLiteral("error: Не удалось сохранить отчет в файл ")));
  EXPECT_TRUE(QString::fromStdString(messages[2]).startsWith(
      QStringLiteral("error: Не удалось записать файл ") + Path(QStringLiteral("missing/plot.svg")) + u':'))
      << messages[2];
  EXPECT_EQ(ClipboardText(), Sentinel);
}

// Every export shortcut reaches its window even while a field has the focus
// (a spin field's own copy key is Ctrl+Insert, the 3D window's "В буфер").
TEST_P(WindowExportTest, ShortcutsWorkFromTheFocusedField) {
  Exports.Window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Exports.Window));
  int fields = 0;
  for (QWidget* field : Exports.Window->findChildren<QWidget*>()) {
    if (!qobject_cast<QLineEdit*>(field) && !field->inherits("QAbstractSpinBox")) continue;
    if (!field->isVisible() || field->focusPolicy() == Qt::NoFocus || qobject_cast<QLineEdit*>(field->parentWidget())) continue;
    if (field->parentWidget() && field->parentWidget()->inherits("QAbstractSpinBox")) continue;
    ++fields;
    QGuiApplication::clipboard()->setText(Sentinel);
    field->setFocus();
    ASSERT_TRUE(QApplication::focusWidget());
    QTest::keySequence(QApplication::focusWidget(), Exports.Clipboard->shortcut());
    EXPECT_FALSE(QGuiApplication::clipboard()->image().isNull()) << field->objectName().toStdString() << " "
                                                               << field->metaObject()->className();
  }
  EXPECT_EQ(fields, 4);  // the formula and the three range fields, or the four spin fields
}

// The 2D report names whatever the formula field holds, an edited one with an empty chart included.
TEST(Plot2DReportTest, NamesTheFormulaOfTheField) {
  TScriptedPlatform& platform = TestPlatform();
  platform.Clear();
  QTemporaryDir dir;
  platform.Home = dir.path();
  TForm7 form;
  form.show();
  form.Edit1->setText(QStringLiteral("x^2-1"));
  ASSERT_EQ(form.Chart1->PointCount(), 0);
  form.Word1->trigger();
  const auto paragraphs = OdfParagraphs(ZipEntry(dir.filePath(QStringLiteral("ex.odt")), QStringLiteral("content.xml")));
  ASSERT_EQ(paragraphs.size(), 5u);
  EXPECT_EQ(paragraphs[3].Text, QStringLiteral("     F(X) = x^2-1 "));
  platform.Clear();
}

}  // namespace
