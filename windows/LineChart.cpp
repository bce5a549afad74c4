#include "LineChart.h"

#include <qcustomplot.h>

#include <QLinearGradient>
#include <QPainter>
#include <qdrawutil.h>

#include <cassert>

namespace {

constexpr int BevelWidth = 3;
constexpr int BorderWidth = 2;
constexpr int FrameWidth = BevelWidth + BorderWidth;

// The raised bevel and the border inside it, around the plot area.
void PaintFrame(QPainter& painter, const QRect& rect, const QPalette& palette) {
  painter.fillRect(rect, palette.window());
  qDrawShadePanel(&painter, rect, palette, /*sunken=*/false, BevelWidth);
}

}  // namespace

TLineChart::TLineChart(QWidget* parent) : QWidget(parent), Plot(new QCustomPlot(this)) {
  // Without the bounding-box mode the gradient would be one colour over the
  // whole plot: its stops are relative to the area it fills.
  QLinearGradient gradient(0, 0, 0, 1);
  gradient.setCoordinateMode(QGradient::ObjectBoundingMode);
  gradient.setColorAt(0, Qt::yellow);
  gradient.setColorAt(1, Qt::blue);
  Plot->setBackground(QBrush(gradient));
  // The back wall is transparent: the gradient shows behind the curve.
  Plot->axisRect()->setBackground(Qt::NoBrush);
  Plot->legend->setVisible(false);
  Plot->setLocale(QLocale(QLocale::Russian, QLocale::Russia));

  QFont titleFont = font();
  titleFont.setBold(true);
  titleFont.setPixelSize(13);
  Plot->xAxis->setLabel(QStringLiteral("X"));
  Plot->yAxis->setLabel(QStringLiteral("F(X)"));
  for (QCPAxis* axis : {Plot->xAxis, Plot->yAxis}) {
    axis->setLabelFont(titleFont);
    // Whole numbers up to the range limit of 1 000 000 in full, not as powers.
    axis->setNumberFormat(QStringLiteral("g"));
    axis->setNumberPrecision(7);
  }
  // The top and right axes only close the frame of the back wall.
  for (QCPAxis* axis : {Plot->xAxis2, Plot->yAxis2}) {
    axis->setVisible(true);
    axis->setTicks(false);
    axis->setTickLabels(false);
  }

  QCPGraph* series = Plot->addGraph();
  series->setLineStyle(QCPGraph::lsLine);
  series->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
  series->setPen(QPen(Qt::red, 2));
  // Draws one line per pixel column instead of every point: a curve of
  // millions of points redraws as fast as one of a thousand.
  series->setAdaptiveSampling(true);
  // Segment by segment: one wide antialiased polyline of a dense curve, going
  // up and down in every pixel column, takes the painter seconds.
  Plot->setPlottingHint(QCP::phFastPolylines, true);
}

TLineChart::~TLineChart() = default;

void TLineChart::Clear() {
  Plot->graph(0)->data()->clear();
  Plot->replot();
}

void TLineChart::AppendPoints(std::span<const double> x, std::span<const double> y) {
  assert(x.size() == y.size());
  // One bulk call: on an empty series the library adopts the data as it is.
  const QVector<double> keys(x.begin(), x.end());
  const QVector<double> values(y.begin(), y.end());
  Plot->graph(0)->addData(keys, values, /*alreadySorted=*/true);
}

void TLineChart::Redraw() {
  Plot->rescaleAxes();
  Plot->replot();
}

int64_t TLineChart::PointCount() const { return Plot->graph(0)->dataCount(); }

double TLineChart::PointX(int64_t index) const {
  return Plot->graph(0)->data()->at(static_cast<int>(index))->key;
}

double TLineChart::PointY(int64_t index) const {
  return Plot->graph(0)->data()->at(static_cast<int>(index))->value;
}

QImage TLineChart::Render() {
  // The picture the screen shows, from the plot's own buffers: the library's
  // export drawing would paint the curve again without its fast line mode.
  // The buffers have the screen's resolution (the library keeps them so); on
  // a high-density screen the picture is taken at it and then averaged down,
  // so that an export has the chart's size whatever the screen.
  const qreal ratio = devicePixelRatioF();
  QImage image((QSizeF(size()) * ratio).toSize(), QImage::Format_RGB32);
  if (image.isNull()) return image;
  image.setDevicePixelRatio(ratio);
  image.fill(palette().window().color());
  render(&image);
  if (ratio == 1) return image;
  QImage picture = image.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  picture.setDevicePixelRatio(1);
  return picture;
}

void TLineChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintFrame(painter, rect(), palette());
}

void TLineChart::resizeEvent(QResizeEvent*) {
  Plot->setGeometry(rect().adjusted(FrameWidth, FrameWidth, -FrameWidth, -FrameWidth));
}
