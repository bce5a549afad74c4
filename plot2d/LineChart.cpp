#include "plot2d/LineChart.h"

#include "plot2d/ChartExplorer.h"

#include <qcustomplot.h>

#include <QLinearGradient>
#include <QPainter>
#include <qdrawutil.h>

#include <cassert>
#include <cmath>
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
  for (QCPGraph* marks : Marks)
    if (marks) marks->data()->clear();
  // The empty chart keeps the axes of the last build, as they were fitted.
  Explorer->HideReadout();
  Explorer->RestoreView();
  Plot->replot();
  emit PointsChanged();
}

void TLineChart::AppendPoints(std::span<const double> x, std::span<const double> y) {
  assert(x.size() == y.size());
  // One bulk call: on an empty series the library adopts the data as it is.
  const QVector<double> keys(x.begin(), x.end());
  const QVector<double> values(y.begin(), y.end());
  Plot->graph(0)->addData(keys, values, /*alreadySorted=*/true);
  emit PointsChanged();
}

void TLineChart::SetPoints(TChartPoints&& points) {
  // The series shares the vector, which is then its own: nothing is copied.
  Plot->graph(0)->data()->set(points.Data->Points, /*alreadySorted=*/true);
  points.Data->Points = QVector<QCPGraphData>();
  emit PointsChanged();
}

void TLineChart::Redraw() {
  // The axes follow the curve; marks never widen them.
  for (QCPGraph* marks : Marks)
    if (marks) marks->setVisible(false);
  Plot->rescaleAxes(/*onlyVisiblePlottables=*/true);
  for (QCPGraph* marks : Marks)
    if (marks) marks->setVisible(true);
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

void TLineChart::CopyPoints(int64_t first, int64_t count, double* x, double* y) const {
  // Through the constant iterators only: nothing may detach the shared data.
  const QCPGraphDataContainer& data = *Plot->graph(0)->data();
  if (count <= 0) return;
  const QCPGraphData* p = &*(data.constBegin() + first);
  for (int64_t i = 0; i < count; ++i) {
    x[i] = p[i].key;
    y[i] = p[i].value;
  }
}

int64_t TLineChart::NearestPoint(double x) const {
  const QCPGraphDataContainer& data = *Plot->graph(0)->data();
  if (data.isEmpty()) return -1;
  // The first point not left of x, or the one before it if that is nearer.
  auto at = data.findBegin(x, /*expandedRange=*/false);
  if (at == data.constEnd() || (at != data.constBegin() && x - (at - 1)->key < at->key - x)) --at;
  return at - data.constBegin();
}

QCPGraph* TLineChart::MarkGraph(TMarkShape shape) {
  const size_t index = static_cast<size_t>(shape);
  if (Marks.size() <= index) Marks.resize(index + 1, nullptr);
  if (!Marks[index]) {
    // Symbols alone, black-ringed over a fill of their own, which shows on
    // yellow, blue and the red curve alike.
    static const struct {
      QCPScatterStyle::ScatterShape Shape;
      QColor Fill;
    } styles[] = {
        {QCPScatterStyle::ssCircle, QColor(0, 170, 0)},        // Root
        {QCPScatterStyle::ssTriangle, QColor(255, 140, 0)},    // Maximum
        {QCPScatterStyle::ssTriangleInverted, QColor(255, 140, 0)},  // Minimum
        {QCPScatterStyle::ssDiamond, QColor(0, 200, 255)},     // Intersection
        {QCPScatterStyle::ssCrossSquare, QColor(255, 255, 255)},  // Break
        {QCPScatterStyle::ssSquare, QColor(255, 255, 255)},    // Value
    };
    QCPGraph* graph = new TSeries(Plot->xAxis, Plot->yAxis);
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setScatterStyle(QCPScatterStyle(styles[index].Shape, QPen(Qt::black, 1.5), styles[index].Fill, 10));
    graph->setSelectable(QCP::stNone);
    graph->setLayer(MarksLayer());
    Marks[index] = graph;
  }
  return Marks[index];
}

QCPLayer* TLineChart::MarksLayer() {
  // A layer of their own above the curve, with its own buffer: taking them
  // out of a picture repaints them alone, not the curve.
  static const QString name = QStringLiteral("marks");
  if (QCPLayer* layer = Plot->layer(name)) return layer;
  Plot->addLayer(name, Plot->layer(QStringLiteral("main")), QCustomPlot::limAbove);
  QCPLayer* layer = Plot->layer(name);
  layer->setMode(QCPLayer::lmBuffered);
  return layer;
}

void TLineChart::SetMarks(std::span<const TMark> marks) {
  for (QCPGraph* graph : Marks)
    if (graph) graph->data()->clear();
  for (const TMark& mark : marks) MarkGraph(mark.Shape)->addData(mark.X, mark.Y);
  Plot->replot();
}

void TLineChart::AddMark(const TMark& mark) {
  MarkGraph(mark.Shape)->addData(mark.X, mark.Y);
  Plot->replot();
}

void TLineChart::ClearMarks() { SetMarks({}); }

int64_t TLineChart::MarkCount() const {
  int64_t count = 0;
  for (const QCPGraph* graph : Marks)
    if (graph) count += graph->dataCount();
  return count;
}

void TLineChart::SetMarksInExport(bool on) { MarksInExport = on; }

void TLineChart::ShowReadoutAt(double x) {
  const int64_t i = NearestPoint(x);
  if (i < 0) return;
  const double px = PointX(i), py = PointY(i);
  // Out of sight, the view is moved to the point, keeping its size.
  QCPRange xs = Plot->xAxis->range(), ys = Plot->yAxis->range();
  bool moved = false;
  if (!xs.contains(px)) {
    Plot->xAxis->setRange(px, xs.size(), Qt::AlignCenter);
    moved = true;
  }
  if (std::isfinite(py) && !ys.contains(py)) {
    Plot->yAxis->setRange(py, ys.size(), Qt::AlignCenter);
    moved = true;
  }
  if (moved) Plot->replot();
  Explorer->PointAt(Plot->xAxis->coordToPixel(px),
                    std::isfinite(py) ? Plot->yAxis->coordToPixel(py) : Plot->axisRect()->center().y());
  Explorer->RepaintReadout();
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
  // The readout belongs to the pointer, not to the picture; the marks too,
  // unless the user wants them there.
  const bool readout = Explorer->ReadoutVisible();
  if (readout) {
    Explorer->HideReadout();
    Explorer->RepaintReadout();
  }
  const bool hideMarks = !MarksInExport && MarkCount() > 0;
  if (hideMarks) {
    MarksLayer()->setVisible(false);
    MarksLayer()->replot();
  }
  render(&image);
  if (hideMarks) {
    MarksLayer()->setVisible(true);
    MarksLayer()->replot();
  }
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
