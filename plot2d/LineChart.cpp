#include "plot2d/LineChart.h"

#include "plot2d/ChartExplorer.h"
#include "memory/SystemMemory.h"

#include <qcustomplot.h>

#include <QLinearGradient>
#include <QPainter>
#include <qdrawutil.h>

#include <cassert>
#include <new>

namespace {

constexpr int BevelWidth = 3;
constexpr int BorderWidth = 2;
constexpr int FrameWidth = BevelWidth + BorderWidth;

// The raised bevel and the border inside it, around the plot area.
void PaintFrame(QPainter& painter, const QRect& rect, const QPalette& palette) {
  painter.fillRect(rect, palette.window());
  qDrawShadePanel(&painter, rect, palette, /*sunken=*/false, BevelWidth);
}

// The curve takes no part in finding what is under the pointer: the library
// would measure its distance to every point in view at each wheel step and
// click, which on a long curve costs as much as drawing it.
class TSeries : public QCPGraph {
 public:
  using QCPGraph::QCPGraph;
  double selectTest(const QPointF&, bool, QVariant*) const override { return -1; }
};

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

  QCPGraph* series = new TSeries(Plot->xAxis, Plot->yAxis);
  series->setLineStyle(QCPGraph::lsLine);
  series->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
  series->setPen(QPen(Qt::red, 2));
  // Draws one line per pixel column instead of every point: a curve of
  // millions of points redraws as fast as one of a thousand.
  series->setAdaptiveSampling(true);
  // Segment by segment: one wide antialiased polyline of a dense curve, going
  // up and down in every pixel column, takes the painter seconds.
  Plot->setPlottingHint(QCP::phFastPolylines, true);

  Explorer = new TChartExplorer(Plot, series);
}

TLineChart::~TLineChart() = default;

struct TChartPoints::TData {
  QVector<QCPGraphData> Points;
  QCPGraphData* Begin = nullptr;  // taken once: the threads that write never touch the vector itself
};

TChartPoints::TChartPoints(int64_t count) : Data(std::make_unique<TData>()) {
  // Allocated, not yet written: every point is written by the sampling, and
  // the memory of a long curve is first touched by the threads that sample
  // it rather than filled with zeros beforehand.
  const auto block = QTypedArrayData<QCPGraphData>::allocate(count);
  if (count > 0 && !block.second)
    throw std::bad_alloc();
  Data->Points = QVector<QCPGraphData>(QArrayDataPointer<QCPGraphData>(block, count));
  Data->Begin = Data->Points.data();
}

bool TChartPoints::Fits(int64_t count) {
  return count <= 0 || uint64_t(count) <= memory::MemoryBudget() / sizeof(QCPGraphData);
}

TChartPoints::~TChartPoints() = default;
TChartPoints::TChartPoints(TChartPoints&&) noexcept = default;
TChartPoints& TChartPoints::operator=(TChartPoints&&) noexcept = default;

int64_t TChartPoints::Count() const { return Data->Points.size(); }

void TChartPoints::Write(int64_t first, std::span<const double> x, std::span<const double> y) {
  assert(x.size() == y.size() && first + static_cast<int64_t>(x.size()) <= Count());
  QCPGraphData* p = Data->Begin + first;
  for (size_t i = 0; i < x.size(); ++i) {
    p[i].key = x[i];
    p[i].value = y[i];
  }
}

void TChartPoints::Hold(int64_t first, int64_t count, double y) {
  QCPGraphData* p = Data->Begin + first;
  for (int64_t i = 0; i < count; ++i)
    p[i].value = y;
}

void TChartPoints::Cut(int64_t count) { Data->Points.resize(static_cast<qsizetype>(count)); }

void TLineChart::Clear() {
  // An empty vector in place of the old one, whose memory clear() would keep.
  Plot->graph(0)->data()->set(QVector<QCPGraphData>(), /*alreadySorted=*/true);
  // The empty chart keeps the axes of the last build, as they were fitted.
  Explorer->HideReadout();
  Explorer->RestoreView();
  Plot->replot();
}

void TLineChart::AppendPoints(std::span<const double> x, std::span<const double> y) {
  assert(x.size() == y.size());
  // One bulk call: on an empty series the library adopts the data as it is.
  const QVector<double> keys(x.begin(), x.end());
  const QVector<double> values(y.begin(), y.end());
  Plot->graph(0)->addData(keys, values, /*alreadySorted=*/true);
}

void TLineChart::SetPoints(TChartPoints&& points) {
  // The series shares the vector, which is then its own: nothing is copied.
  Plot->graph(0)->data()->set(points.Data->Points, /*alreadySorted=*/true);
  points.Data->Points = QVector<QCPGraphData>();
}

void TLineChart::Redraw() {
  Plot->rescaleAxes();
  Explorer->RememberView();
  Plot->replot();
}

void TLineChart::RestoreView() {
  if (Explorer->RestoreView())
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
  // The readout belongs to the pointer, not to the picture.
  const bool readout = Explorer->ReadoutVisible();
  if (readout) {
    Explorer->HideReadout();
    Explorer->RepaintReadout();
  }
  render(&image);
  if (readout) {
    Explorer->UpdateReadout();
    Explorer->RepaintReadout();
  }
  if (ratio == 1) return image;
  QImage picture = image.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  picture.setDevicePixelRatio(1);
  return picture;
}

QWidget* TLineChart::MouseArea() const { return Plot; }

QString TLineChart::Readout() const { return Explorer->ReadoutText(); }

TLineChart::TView TLineChart::View() const {
  return {Plot->xAxis->range().lower, Plot->xAxis->range().upper, Plot->yAxis->range().lower,
          Plot->yAxis->range().upper};
}

QPointF TLineChart::ValueAt(QPointF pixel) const {
  return {Plot->xAxis->pixelToCoord(pixel.x()), Plot->yAxis->pixelToCoord(pixel.y())};
}

QPointF TLineChart::PixelOf(QPointF value) const {
  return {Plot->xAxis->coordToPixel(value.x()), Plot->yAxis->coordToPixel(value.y())};
}

void TLineChart::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  PaintFrame(painter, rect(), palette());
}

void TLineChart::resizeEvent(QResizeEvent*) {
  Plot->setGeometry(rect().adjusted(FrameWidth, FrameWidth, -FrameWidth, -FrameWidth));
}
