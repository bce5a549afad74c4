// The plane plot's pictures, pixel for pixel, against the ones kept in
// plot2d-pictures/ (scripts/plot2d-pictures.sh made them; see
// Plot2DPictureCases.h).
#include "tests/support/WidgetTest.h"
#include "tests/windows/Plot2DPictureCases.h"

#include <QDir>

namespace {

QImage Pinned(const QString& name) {
  return QImage(QDir(QStringLiteral(MATRIKON_PLOT2D_PICTURES_DIR)).filePath(name + ".png"))
      .convertToFormat(QImage::Format_RGB32);
}

// Pixels that differ, and the first of them.
struct TDifference {
  int Count = 0, X = -1, Y = -1;
};
TDifference Compare(const QImage& a, const QImage& b) {
  TDifference d;
  for (int y = 0; y < a.height(); ++y) {
    const auto* p = reinterpret_cast<const QRgb*>(a.constScanLine(y));
    const auto* q = reinterpret_cast<const QRgb*>(b.constScanLine(y));
    for (int x = 0; x < a.width(); ++x)
      if ((p[x] | 0xFF000000u) != (q[x] | 0xFF000000u) && d.Count++ == 0) d.X = x, d.Y = y;
  }
  return d;
}

class Plot2DPictureTest : public TWidgetTest, public ::testing::WithParamInterface<plot2d_pictures::TCase> {};

TEST_P(Plot2DPictureTest, SameAsThePinnedPicture) {
  const plot2d_pictures::TCase& c = GetParam();
  const QImage probe = plot2d_pictures::TextProbe().convertToFormat(QImage::Format_RGB32);
  const QImage pinnedProbe = Pinned(plot2d_pictures::ProbeName);
  ASSERT_FALSE(pinnedProbe.isNull());
  if (probe.size() != pinnedProbe.size() || Compare(probe, pinnedProbe).Count > 0)
    GTEST_SKIP() << "text or the style's colours are drawn differently on this machine than where the "
                    "pictures were pinned";

  const QImage pinned = Pinned(c.Name);
  ASSERT_FALSE(pinned.isNull()) << qPrintable(c.Name);
  const QImage picture = plot2d_pictures::Render(c);
  EXPECT_THAT(Scripted().MessageLines(), ::testing::IsEmpty());
  ASSERT_EQ(picture.size(), pinned.size());
  if (const TDifference d = Compare(picture, pinned); d.Count > 0) {
    const QString saved = QDir::temp().filePath("plot2d-" + c.Name + ".png");
    picture.save(saved);
    ADD_FAILURE() << d.Count << " pixels differ, the first at (" << d.X << ", " << d.Y
                  << "); this picture: " << qPrintable(saved);
  }
}

INSTANTIATE_TEST_SUITE_P(Pinned, Plot2DPictureTest, ::testing::ValuesIn(plot2d_pictures::Cases()),
                         [](const auto& info) { return info.param.Name.toStdString(); });

}  // namespace
