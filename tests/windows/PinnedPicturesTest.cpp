// The BMP file and the clipboard picture of both plot windows, pinned: the
// default pictures, a zoomed plane plot and a 3D surface with colour bands and
// water, byte for byte against the pictures kept in pictures/. The pins were
// made on one Qt version; text is drawn a little differently by others, so
// there only the share of differing pixels is bounded.
//
// MATRIKON_WRITE_PINS=DIR writes this build's pictures into DIR instead of
// comparing (for a picture that is meant to change; look at it first).
#include "graph3d/Graph3D.h"
#include "plot2d/LineChart.h"
#include "tests/plot2d/ChartMouse.h"
#include "tests/support/WidgetTest.h"
#include "windows/Unit4_3D.h"
#include "windows/Unit7.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

namespace {

struct TPinCase {
  const char* Name;
  bool Plot2D;
  // Brings the freshly shown window to the picture to pin.
  std::function<void(TForm7*, TForm4_3D*)> Arrange;
};

const TPinCase kCases[] = {
    {"plot2d-default", true, [](TForm7* w, TForm4_3D*) { w->Button1Click(); }},
    {"plot2d-zoomed", true,
     [](TForm7* w, TForm4_3D*) {
       w->Button1Click();
       QWidget* area = w->Chart1->MouseArea();
       SendWheel(area, QPointF(area->width() * 0.3, area->height() * 0.4), Qt::NoModifier, 3);
       SendWheel(area, QPointF(area->width() * 0.5, area->height() * 0.5), Qt::ShiftModifier, -1);
     }},
    {"plot3d-default", false, [](TForm7*, TForm4_3D*) {}},
    {"plot3d-bands-water", false,
     [](TForm7*, TForm4_3D* w) {
       w->SpinEdit1->setValue(40);
       w->SpinEdit2->setValue(50);
       w->Button1Click();
       for (int k = 0; k < 10; ++k) {
         TestPlatform().ColorAnswers.push_back(QColor(25 * k, 255 - 20 * k, (k % 3) * 120));
         w->PartItems[k]->trigger();
       }
       w->cbUseColours->trigger();
       w->edWater->setValue(60);
       w->N11->trigger();  // "График ниже"
     }},
};

QString PinDir() { return QStringLiteral(MATRIKON_WINDOW_PICTURES_DIR); }
QString QtMinor() { return QString::fromLatin1(qVersion()).section(u'.', 0, 1); }

QByteArray BmpBytes(const QImage& image) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "bmp");
  writer.write(image.convertToFormat(QImage::Format_RGB32));
  return buffer.data();
}

class PinnedPicturesTest : public TWidgetTest, public ::testing::WithParamInterface<TPinCase> {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
  }
  QTemporaryDir Dir;
};

TEST_P(PinnedPicturesTest, BmpAndClipboardAsPinned) {
  const TPinCase& c = GetParam();
  std::unique_ptr<TForm7> plot2d;
  std::unique_ptr<TForm4_3D> plot3d;
  QWidget* window;
  QAction *bmp, *clipboard;
  if (c.Plot2D) {
    plot2d = std::make_unique<TForm7>();
    window = plot2d.get();
    bmp = plot2d->BMP1;
    clipboard = plot2d->N11;
  } else {
    plot3d = std::make_unique<TForm4_3D>();
    window = plot3d.get();
    bmp = plot3d->BMP1;
    clipboard = plot3d->N40;
  }
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
  c.Arrange(plot2d.get(), plot3d.get());
  for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
  Scripted().Clear();

  Scripted().SaveFileAnswers.push_back(Dir.filePath(QStringLiteral("pin")));
  bmp->trigger();
  QFile written(Dir.filePath(QStringLiteral("pin.bmp")));
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  const QByteArray bytes = written.readAll();
  clipboard->trigger();
  const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(QImage::fromData(bytes).convertToFormat(QImage::Format_RGB32), copied);

  const QString name = QString::fromLatin1(c.Name) + QStringLiteral(".png");
  if (const QString out = qEnvironmentVariable("MATRIKON_WRITE_PINS"); !out.isEmpty()) {
    QImage pin = copied;
    pin.setText(QStringLiteral("Qt"), QtMinor());
    ASSERT_TRUE(pin.save(QDir(out).filePath(name)));
    GTEST_SKIP() << "written to " << out.toStdString();
  }

  QImageReader reader(QDir(PinDir()).filePath(name));
  const QImage pin = reader.read().convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(pin.isNull()) << reader.fileName().toStdString();
  if (reader.text(QStringLiteral("Qt")) == QtMinor()) {
    EXPECT_TRUE(bytes == BmpBytes(pin)) << "BMP bytes differ; this picture: "
                                       << (copied.save(QDir::temp().filePath(name)), QDir::temp().filePath(name)).toStdString();
    EXPECT_TRUE(copied == pin);
    return;
  }
  // Another Qt: fonts and the style's frame colours may differ a little.
  ASSERT_EQ(copied.size(), pin.size());
  int differing = 0;
  for (int y = 0; y < pin.height(); ++y)
    for (int x = 0; x < pin.width(); ++x) differing += copied.pixel(x, y) != pin.pixel(x, y);
  EXPECT_LT(differing, pin.width() * pin.height() / 50);
}

INSTANTIATE_TEST_SUITE_P(BothPlots, PinnedPicturesTest, ::testing::ValuesIn(kCases), [](const auto& info) {
  return QString::fromLatin1(info.param.Name).replace(u'-', u'_').toStdString();
});

}  // namespace
