// The control's pictures, pixel for pixel, against the ones kept in pictures/
// (scripts/graph3d-pictures.sh made them; see PictureCases.h).
#include "graph3d/Graph3DRaster.h"
#include "tests/graph3d/PictureCases.h"
#include "tests/support/WidgetTest.h"

#include <QDir>

namespace {

class Graph3DPictureTest : public TWidgetTest, public ::testing::WithParamInterface<graph3d_pictures::TCase> {};

void Compare(const graph3d_pictures::TCase& c, const QImage& pinned);

TEST_P(Graph3DPictureTest, SameAsThePinnedPicture) {
  const graph3d_pictures::TCase& c = GetParam();
  const QString file = QDir(QStringLiteral(MATRIKON_PICTURES_DIR)).filePath(c.Name + ".png");
  const QImage pinned = QImage(file).convertToFormat(QImage::Format_RGB32);
  ASSERT_FALSE(pinned.isNull()) << qPrintable(file);
  // the vector loop where the processor has it, and the plain one
  for (bool plain : {false, true}) {
    SCOPED_TRACE(plain ? "plain loop" : "vector loop");
    graph3d::SetPlainDrawing(plain);
    Compare(c, pinned);
  }
  graph3d::SetPlainDrawing(false);
}

void Compare(const graph3d_pictures::TCase& c, const QImage& pinned) {
  const QImage picture = graph3d_pictures::Render(c);
  ASSERT_EQ(picture.size(), pinned.size());
  int differing = 0, firstX = -1, firstY = -1;
  for (int y = 0; y < picture.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(pinned.constScanLine(y));
    for (int x = 0; x < picture.width(); ++x) {
      if ((a[x] | 0xFF000000u) == (b[x] | 0xFF000000u)) continue;
      if (differing++ == 0) firstX = x, firstY = y;
    }
  }
  if (differing > 0) {
    const QString saved = QDir::temp().filePath("graph3d-" + c.Name + ".png");
    picture.save(saved);
    ADD_FAILURE() << differing << " pixels differ, the first at (" << firstX << ", " << firstY
                  << "); this picture: " << qPrintable(saved);
  }
}

INSTANTIATE_TEST_SUITE_P(Pinned, Graph3DPictureTest, ::testing::ValuesIn(graph3d_pictures::Cases()),
                         [](const auto& info) {
                           QString name = info.param.Name;
                           return name.replace('-', '_').toStdString();
                         });

}  // namespace
