// The picture exports on a picture of the test's own: the BMP file, the
// printout (to a PDF file) and the clipboard. Only the clipboard export may
// change what the user has on the clipboard.
#include "tests/support/ExportCheck.h"
#include "export/PictureExport.h"
#include "tests/support/WidgetTest.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

using ::testing::ElementsAre;

namespace {

const QString Sentinel = QStringLiteral("что пользователь скопировал");

// A picture with a frame, a gradient and a mark in one corner, so that a
// shifted, flipped, scaled or recoloured copy differs from it.
QImage TestPicture(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient gradient(0, 0, 0, height);
  gradient.setColorAt(0, QColor(255, 255, 0));
  gradient.setColorAt(1, QColor(0, 64, 255));
  painter.fillRect(image.rect(), gradient);
  painter.fillRect(0, 0, 20, 10, Qt::red);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, width - 1, height - 1);
  return image;
}

class PictureExportTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    QGuiApplication::clipboard()->setText(Sentinel);
  }

  // A picture source that counts how often it was asked.
  TPictureSource Source(const QImage& picture) {
    return {picture.size(), [this, picture](QPainter& painter, QSize) {
              ++Rendered;
              painter.drawImage(QPoint(0, 0), picture);
            }};
  }

  QString Path(const QString& name) const { return Dir.filePath(name); }
  static QString ClipboardText() { return QGuiApplication::clipboard()->text(); }

  QTemporaryDir Dir;
  int Rendered = 0;
};

TEST_F(PictureExportTest, BmpFileNameAlwaysGetsTheExtension) {
  struct Case {
    TPlotKind kind;
    const char* chosen;
    const char* written;
    const char* dialog;
  };
  const Case cases[] = {
      {TPlotKind::Plot2D, "plot", "plot.bmp",
       "save file dialog: " "Сохранение 2D графика в растровый файл" " | " "Файлы BMP (*.bmp)|*.bmp|" " | 1"},
      {TPlotKind::Plot2D, "plot.bmp", "plot.bmp.bmp",
       "save file dialog: " "Сохранение 2D графика в растровый файл" " | " "Файлы BMP (*.bmp)|*.bmp|" " | 1"},
      {TPlotKind::Plot3D, "surface.BMP", "surface.BMP.bmp",
       "save file dialog: " "Сохранение 3D графика в растровый файл" " | " "Файлы BMP (*.bmp)|*.bmp|" " | 1"},
  };
  const QImage picture = TestPicture(321, 123);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    Scripted().Clear();
    const QStringList before = QDir(Dir.path()).entryList(QDir::Files);
    Scripted().SaveFileAnswers.push_back(Path(QString::fromUtf8(c.chosen)));
    SavePictureAsBmp(c.kind, Source(picture));
    EXPECT_THAT(Scripted().Lines(), ElementsAre(c.dialog));
    EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files).size(), before.size() + 1);

    const TBmpHeader header = ReadBmpHeader(Path(QString::fromUtf8(c.written)));
    EXPECT_TRUE(header.Valid);
    EXPECT_TRUE(header.BitCount == 24 || header.BitCount == 32) << header.BitCount;
    EXPECT_EQ(header.Width, 321);
    EXPECT_EQ(std::abs(header.Height), 123);
    const QImage read = QImage(Path(QString::fromUtf8(c.written))).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(read, picture);
  }
  EXPECT_EQ(ClipboardText(), Sentinel);
}

TEST_F(PictureExportTest, BmpFileReplacesAnOldOneOnlyWhenTheUserAgrees) {
  QFile old(Path(QStringLiteral("plot.bmp")));
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old contents");
  old.close();
  Scripted().SaveFileAnswers = {Path(QStringLiteral("plot")), Path(QStringLiteral("plot"))};
  Scripted().QuestionAnswers = {false, true};
  SavePictureAsBmp(TPlotKind::Plot2D, Source(TestPicture(40, 30)));
  EXPECT_EQ(Rendered, 0);  // asked before the picture is made
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), QByteArray("old contents"));
  old.close();
  SavePictureAsBmp(TPlotKind::Plot2D, Source(TestPicture(40, 30)));
  EXPECT_EQ(QImage(Path(QStringLiteral("plot.bmp"))).size(), QSize(40, 30));
  const std::string question =
      "question: Файл " + Path(QStringLiteral("plot.bmp")).toStdString() + " уже существует. Заменить его?";
  EXPECT_THAT(Scripted().MessageLines(), ::testing::ElementsAre(question, question));
}

TEST_F(PictureExportTest, CancelledBmpDialogRendersAndWritesNothing) {
  SavePictureAsBmp(TPlotKind::Plot3D, Source(TestPicture(10, 10)));
  EXPECT_EQ(Rendered, 0);
  EXPECT_TRUE(QDir(Dir.path()).isEmpty());
}

TEST_F(PictureExportTest, UnwritableBmpFileThrowsWithTheReason) {
  Scripted().SaveFileAnswers.push_back(Path(QStringLiteral("no-such-folder/plot")));
  try {
    SavePictureAsBmp(TPlotKind::Plot2D, Source(TestPicture(10, 10)));
    FAIL() << "no error";
  } catch (const EPlatformError& e) {
    const QString text = QString::fromUtf8(e.what());
    EXPECT_TRUE(text.startsWith(QStringLiteral("Не удалось записать файл ") + Path(QStringLiteral("no-such-folder/plot.bmp")) + u':'))
        << e.what();
  }
  EXPECT_EQ(ClipboardText(), Sentinel);
}

TEST(CentredOriginTest, TruncatesTowardZero) {
  struct Case {
    QSize page, picture;
    QPoint expected;
  };
  const Case cases[] = {
      {{800, 1000}, {600, 400}, {100, 300}},
      {{767, 1097}, {600, 400}, {83, 348}},   // odd differences: truncated
      {{500, 700}, {651, 100}, {-75, 300}},   // wider than the page: -151 / 2 = -75, not -76
      {{500, 700}, {500, 703}, {0, -1}},
      {{0, 0}, {0, 0}, {0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(CentredOrigin(c.page, c.picture), c.expected) << c.page.width() << "x" << c.page.height();
}

TEST_F(PictureExportTest, PrintoutIsOnePageWithThePictureCentredPixelForPixel) {
  struct Case {
    TPlotKind kind;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {TPlotKind::Plot2D, {"print dialog", "busy cursor", "normal cursor"}},
      {TPlotKind::Plot3D, {"print dialog"}},
  };
  const QImage picture = TestPicture(301, 200);
  for (const Case& c : cases) {
    Scripted().Clear();
    const QString pdf = Path(c.kind == TPlotKind::Plot2D ? QStringLiteral("2d.pdf") : QStringLiteral("3d.pdf"));
    Scripted().PrintAnswers.push_back(true);
    Scripted().PrintOutputFile = pdf;
    PrintPicture(c.kind, Source(picture));
    EXPECT_EQ(Scripted().Lines(), c.lines);
    EXPECT_FALSE(Scripted().Busy());

    ASSERT_EQ(PdfPageCount(pdf), 1);
    // The printer's page as the print dialog leaves it: its printable area in
    // device pixels at the screen's resolution.
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    const int dpi = printer.resolution();
    const QRect paint = printer.pageLayout().paintRectPixels(dpi);
    const QImage page = PdfFirstPage(pdf, dpi);
    ASSERT_FALSE(page.isNull()) << "pdftoppm missing?";
    const QRect ink = InkBounds(page);
    const QPoint origin = paint.topLeft() + CentredOrigin(paint.size(), picture.size());
    EXPECT_EQ(ink.topLeft(), origin);
    // The rasteriser smears the far edges by one pixel.
    EXPECT_NEAR(ink.width(), picture.width(), 1);
    EXPECT_NEAR(ink.height(), picture.height(), 1);
    // The red mark stays in the top left corner: neither flipped nor shifted.
    const QRgb mark = page.pixel(origin + QPoint(10, 5));
    EXPECT_GT(qRed(mark), 200);
    EXPECT_LT(qGreen(mark), 60);
    // Stored losslessly: no JPEG in the job, and every pixel comes back as it
    // was, but for the rasteriser's colour conversion and its slight blur
    // beside sharp edges (JPEG is off by more than 100 there).
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("/DCTDecode"));
    int worst = 0;
    for (int y = 1; y + 2 < picture.height(); ++y)
      for (int x = 1; x + 2 < picture.width(); ++x) {
        const QRgb printed = page.pixel(origin + QPoint(x, y)), drawn = picture.pixel(x, y);
        worst = std::max({worst, std::abs(qRed(printed) - qRed(drawn)), std::abs(qGreen(printed) - qGreen(drawn)),
                          std::abs(qBlue(printed) - qBlue(drawn))});
      }
    EXPECT_LE(worst, 32);
  }
  EXPECT_EQ(ClipboardText(), Sentinel);
}

TEST_F(PictureExportTest, CancelledPrintDialogPrintsNothing) {
  Scripted().PrintOutputFile = Path(QStringLiteral("p.pdf"));
  PrintPicture(TPlotKind::Plot2D, Source(TestPicture(10, 10)));
  EXPECT_EQ(Rendered, 0);
  EXPECT_THAT(Scripted().Lines(), ElementsAre("print dialog"));
  EXPECT_FALSE(QFile::exists(Path(QStringLiteral("p.pdf"))));
}

TEST_F(PictureExportTest, PrinterThatCannotStartThrowsAndRestoresTheCursor) {
  Scripted().PrintAnswers.push_back(true);
  Scripted().PrintOutputFile = Path(QStringLiteral("no-such-folder/p.pdf"));
  EXPECT_THROW(PrintPicture(TPlotKind::Plot2D, Source(TestPicture(10, 10))), EPlatformError);
  EXPECT_FALSE(Scripted().Busy());
  EXPECT_THAT(Scripted().Lines(), ElementsAre("print dialog", "busy cursor", "normal cursor"));
}

TEST_F(PictureExportTest, ClipboardExportReplacesTheClipboardWithThePicture) {
  const QImage picture = TestPicture(64, 48);
  CopyPictureToClipboard(Source(picture));
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), picture);
  EXPECT_THAT(Scripted().Lines(), ::testing::IsEmpty());
}

}  // namespace
