// SVG and PDF files of the line chart, read by programs of their own: every
// curve and the legend, a long curve kept small, the page in points, and the
// chart on screen left as it was.
#include "export/VectorPicture.h"
#include "plot2d/LineChart.h"
#include "plot2d/PlotCurves.h"
#include "tests/support/ExportCheck.h"
#include "tests/support/WidgetTest.h"

#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>
#include <vector>

namespace {

class VectorPictureTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    Chart.resize(617, 469);
    Chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Chart));
  }
  // count points of f over [from, to).
  static TChartPoints Points(int64_t count, double from, double to, double (*f)(double)) {
    TChartPoints points(count);
    std::vector<double> x(static_cast<size_t>(count)), y(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
      x[size_t(i)] = from + (to - from) * double(i) / double(count);
      y[size_t(i)] = f(x[size_t(i)]);
    }
    points.Write(0, x, y);
    return points;
  }
  TPictureSource Source() {
    return {Chart.size(), [this](QPainter& painter, QSize size) { Chart.RenderTo(painter, size); }};
  }
  QString Write(TVectorFormat format, const QString& name) {
    const QString path = Dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(VectorFile(format, Source(), QStringLiteral("Построение плоских графиков")));
    return path;
  }
  QTemporaryDir Dir;
  TLineChart Chart;
};

TEST_F(VectorPictureTest, EveryCurveAndTheLegendInBothFiles) {
  const auto function = [](const char16_t* text) {
    return TCurveSource{TCurveKind::Function, text, std::u16string(), -360, 360, 1};
  };
  Chart.SetPoints(Points(721, -360, 361, [](double x) { return std::sin(x * M_PI / 180); }));
  Chart.SetSource(function(u"sin(x)"));
  ASSERT_EQ(Chart.KeepCurve(), 1);
  Chart.AddCurve(function(u"cos(x)/2"), Points(721, -360, 361, [](double x) { return std::cos(x * M_PI / 180) / 2; }));
  Chart.AddCurve(TCurveSource{TCurveKind::Parametric, u"cos(t)*200", u"sin(t)*0,8", 0, 360, 1},
                 Points(361, 0, 361, [](double t) { return std::sin(t * M_PI / 180) * 0.8; }));
  Chart.Redraw();
  ASSERT_EQ(Chart.LegendTexts().size(), 3);
  const QImage screen = Chart.Render();

  const QString svg = Write(TVectorFormat::Svg, QStringLiteral("curves.svg"));
  const QImage drawn = SvgPicture(svg, Chart.size());
  ASSERT_FALSE(drawn.isNull()) << "rsvg-convert missing?";
  EXPECT_LT(UnexplainedShare(drawn, screen), 0.02);
  QFile file(svg);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(file.readAll());
  for (const QString& entry : Chart.LegendTexts()) EXPECT_TRUE(text.contains(entry)) << entry.toStdString();

  const QString pdf = Write(TVectorFormat::Pdf, QStringLiteral("curves.pdf"));
  EXPECT_EQ(PdfPageSize(pdf), QSizeF(617, 469));
  EXPECT_LT(UnexplainedShare(PdfPageAt(pdf, Chart.size()), screen), 0.02);
  const QString words = PdfText(pdf).simplified();
  for (const QString& entry : Chart.LegendTexts()) EXPECT_TRUE(words.contains(entry)) << entry.toStdString();
  for (const char* title : {"F(X)", "X"}) EXPECT_TRUE(words.contains(QString::fromLatin1(title)));
}

// A curve of millions of points is drawn as the screen draws it, a few
// points per pixel column: the file stays small.
TEST_F(VectorPictureTest, LongCurveStaysSmall) {
  Chart.SetPoints(Points(2'000'000, -100000, 100000, [](double x) { return std::sin(x) * x; }));
  Chart.Redraw();
  const QString svg = Write(TVectorFormat::Svg, QStringLiteral("long.svg"));
  EXPECT_LT(QFile(svg).size(), 500'000);
  EXPECT_LT(UnexplainedShare(SvgPicture(svg, Chart.size()), Chart.Render()), 0.02);
  EXPECT_LT(QFile(Write(TVectorFormat::Pdf, QStringLiteral("long.pdf"))).size(), 500'000);
}

// Drawn at another size, the chart is laid out for it and then back for the
// screen: the view, the mapping of the mouse and the picture stay.
TEST_F(VectorPictureTest, AnotherSizeLeavesTheScreenAlone) {
  Chart.SetPoints(Points(1000, -50, 50, [](double x) { return x * x; }));
  Chart.Redraw();
  const QImage before = Chart.Render();
  const TLineChart::TView view = Chart.View();
  const QPointF pixel = Chart.PixelOf({10, 100});
  const TVectorPage page{TVectorFormat::Svg, QSize(1200, 800), QStringLiteral("x"), 96};
  const auto file = DrawVectorFile(page, [this](QPainter& painter) {
    Chart.RenderTo(painter, QSize(1200, 800));
    return true;
  });
  ASSERT_TRUE(file);
  EXPECT_TRUE(file->contains("viewBox=\"0 0 1200 800\""));
  EXPECT_EQ(Chart.View(), view);
  EXPECT_EQ(Chart.PixelOf({10, 100}), pixel);
  EXPECT_TRUE(Chart.Render() == before);
}

}  // namespace
