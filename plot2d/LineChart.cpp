#include "plot2d/LineChart.h"

#include "engine/Formula_math.h"
#include "plot2d/ChartExplorer.h"
#include "memory/SystemMemory.h"
#include "plot2d/ChartPath.h"
#include "plot2d/CurveReadout.h"

#include <qcustomplot.h>

#include <QLinearGradient>
#include <QPaintEngine>
#include <QPainter>
#include <QPicture>
#include <qdrawutil.h>

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <new>
#include <optional>
#include <system_error>
#include <thread>

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

  // Picks the points the coming repaint draws of the view as it is now, ahead
  // of the repaint, which then takes them as they are: the same library code
  // on the same points, so several long curves can be sampled side by side on
  // several threads. Changes nothing the repaint reads meanwhile.
  void Prepare() {
    Prepared = TPrepared{};
    QCPGraphDataContainer::const_iterator begin, end;
    getVisibleDataBounds(begin, end, QCPDataRange(0, dataCount()));
    if (begin == end) return;
    QCPGraph::getOptimizedLineData(&Prepared.Lines, begin, end);
    Prepared.Begin = begin;
    Prepared.End = end;
    Prepared.View = ViewNow();
    Prepared.Valid = true;
  }
  // After the repaint: nothing prepared is left for a later one.
  void Forget() { Prepared = TPrepared{}; }

 protected:
  void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override { DrawLegendLine(painter, rect, pen()); }

  void getOptimizedLineData(QVector<QCPGraphData>* lineData, const QCPGraphDataContainer::const_iterator& begin,
                            const QCPGraphDataContainer::const_iterator& end) const override {
    if (Prepared.Valid && Prepared.Begin == begin && Prepared.End == end && Prepared.View == ViewNow()) {
      *lineData = std::move(Prepared.Lines);
      Prepared.Valid = false;
      return;
    }
    Prepared.Valid = false;
    QCPGraph::getOptimizedLineData(lineData, begin, end);
  }

 private:
  // What the sampling depends on: the ranges and the plot area.
  struct TView {
    double XLower = 0, XUpper = 0, YLower = 0, YUpper = 0;
    QRect Area;
    bool operator==(const TView&) const = default;
  };
  TView ViewNow() const {
    return {keyAxis()->range().lower, keyAxis()->range().upper, valueAxis()->range().lower,
            valueAxis()->range().upper, keyAxis()->axisRect()->rect()};
  }
  struct TPrepared {
    bool Valid = false;
    QCPGraphDataContainer::const_iterator Begin{}, End{};
    TView View;
    QVector<QCPGraphData> Lines;
  };
  mutable TPrepared Prepared;
};

// A line series of the chart's look: a line of width 2 in colour, no markers.
QCPGraph* MakeSeries(QCustomPlot* plot, const QColor& colour) {
  QCPGraph* series = new TSeries(plot->xAxis, plot->yAxis);
  series->setLineStyle(QCPGraph::lsLine);
  series->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssNone));
  series->setPen(QPen(colour, 2));
  // Draws one line per pixel column instead of every point: a curve of
  // millions of points redraws as fast as one of a thousand.
  series->setAdaptiveSampling(true);
  return series;
}

QString General(double v) { return QString::fromStdU16String(FormatGeneral(v)); }

// From this many points of function curves on, the curves in view are
// sampled side by side before a repaint.
constexpr int64_t PreparedPoints = 2'000'000;
bool SampleAhead = true;

// A legend entry of about 40 characters at most.
constexpr int LegendLength = 40;
QString LegendText(const QString& name) {
  return name.size() <= LegendLength ? name : name.left(LegendLength) + QChar(0x2026);
}

// The kept curves' colours: each stands out on the yellow, the grey middle
// and the blue of the background, and none is near the current curve's red.
constexpr std::array<QRgb, 8> Palette = {
    0x000000,  // black
    0xFFFFFF,  // white
    0xFF00FF,  // magenta
    0x00FFFF,  // cyan
    0x006400,  // dark green
    0xFF8C00,  // orange
    0x4B0082,  // indigo
    0x8B4513,  // brown
};

}  // namespace

struct TLineChart::TCurve {
  TCurveKind Kind = TCurveKind::Function;
  QCPGraph* Graph = nullptr;     // a function of X, in ascending X
  TChartPath* Path = nullptr;    // a curve in the order of its parameter
  std::optional<TCurveSource> Source;
  mutable std::unique_ptr<TCurveReadout> Readout;  // made at the first readout

  QCPAbstractPlottable* Plottable() const {
    return Graph ? static_cast<QCPAbstractPlottable*>(Graph) : Path;
  }
  int64_t Count() const { return Graph ? Graph->dataCount() : Path->Points().size(); }
  double X(int64_t i) const {
    return Graph ? Graph->data()->at(static_cast<int>(i))->key : Path->Points()[static_cast<qsizetype>(i)].key;
  }
  double Y(int64_t i) const {
    return Graph ? Graph->data()->at(static_cast<int>(i))->value : Path->Points()[static_cast<qsizetype>(i)].value;
  }
};

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

  auto current = std::make_unique<TCurve>();
  current->Graph = MakeSeries(Plot, Qt::red);
  // On a layer of its own right above the others' (still below the axes):
  // the current curve is drawn over the kept ones.
  Plot->addLayer(QStringLiteral("current"), Plot->layer(QStringLiteral("main")), QCustomPlot::limAbove);
  current->Graph->setLayer(QStringLiteral("current"));
  Curves.push_back(std::move(current));
  // Segment by segment: one wide antialiased polyline of a dense curve, going
  // up and down in every pixel column, takes the painter seconds.
  Plot->setPlottingHint(QCP::phFastPolylines, true);

  // The legend, shown while a kept curve exists: black on white, framed.
  Plot->legend->setBrush(QColor(255, 255, 255, 235));
  Plot->legend->setBorderPen(QPen(Qt::black));

  Explorer = new TChartExplorer(Plot, [this](QPointF pixel) { return Pick(pixel); });
  // After the explorer has set the ranges for the repaint.
  connect(Plot, &QCustomPlot::beforeReplot, this, &TLineChart::PrepareCurves);
  connect(Plot, &QCustomPlot::afterReplot, this, [this] {
    for (const auto& curve : Curves)
      if (curve->Graph) static_cast<TSeries*>(curve->Graph)->Forget();
  });
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
  TCurve& current = *Curves[0];
  // An empty vector in place of the old one, whose memory clear() would keep.
  current.Graph->data()->set(QVector<QCPGraphData>(), /*alreadySorted=*/true);
  current.Source.reset();
  current.Readout.reset();
  // The marks belong to the curve that goes.
  for (QCPGraph* marks : Marks)
    if (marks) marks->data()->clear();
  UpdateLegend();
  // The empty chart keeps the axes of the last build, as they were fitted.
  Explorer->HideReadout();
  Explorer->RestoreView();
  Plot->replot();
  emit PointsChanged();
}

void TLineChart::RemoveCurves() {
  for (size_t i = 1; i < Curves.size(); ++i)
    Plot->removePlottable(Curves[i]->Plottable());
  Curves.resize(1);
  KeptColours = 0;
  Clear();
}

void TLineChart::AppendPoints(std::span<const double> x, std::span<const double> y) {
  assert(x.size() == y.size());
  // One bulk call: on an empty series the library adopts the data as it is.
  const QVector<double> keys(x.begin(), x.end());
  const QVector<double> values(y.begin(), y.end());
  Curves[0]->Graph->addData(keys, values, /*alreadySorted=*/true);
  UpdateLegend();
  emit PointsChanged();
}

void TLineChart::SetPoints(TChartPoints&& points) {
  // The series shares the vector, which is then its own: nothing is copied.
  Curves[0]->Graph->data()->set(points.Data->Points, /*alreadySorted=*/true);
  points.Data->Points = QVector<QCPGraphData>();
  UpdateLegend();
  emit PointsChanged();
}

void TLineChart::SetSource(const TCurveSource& source) {
  Curves[0]->Source = source;
  Curves[0]->Readout.reset();
  UpdateLegend();
}

int TLineChart::KeepCurve() {
  TCurve& current = *Curves[0];
  if (current.Graph->dataCount() == 0)
    return -1;
  auto kept = std::make_unique<TCurve>();
  kept->Graph = MakeSeries(Plot, KeptColour(KeptColours++));
  // The points change hands, not places: the kept series takes the data and
  // the current one starts a new, empty one.
  kept->Graph->setData(current.Graph->data());
  current.Graph->setData(QSharedPointer<QCPGraphDataContainer>::create());
  kept->Source = std::move(current.Source);
  kept->Readout = std::move(current.Readout);
  current.Source.reset();
  Curves.push_back(std::move(kept));
  // The marks told of the current curve, which is now empty.
  for (QCPGraph* marks : Marks)
    if (marks) marks->data()->clear();
  UpdateLegend();
  PlaceLegend();
  Explorer->UpdateReadout();
  Plot->replot();
  emit PointsChanged();
  return CurveCount() - 1;
}

int TLineChart::AddCurve(const TCurveSource& source, TChartPoints&& points) {
  auto curve = std::make_unique<TCurve>();
  curve->Kind = source.Kind;
  const QColor colour = KeptColour(KeptColours++);
  if (source.Kind == TCurveKind::Function) {
    curve->Graph = MakeSeries(Plot, colour);
    curve->Graph->data()->set(points.Data->Points, /*alreadySorted=*/true);
  } else {
    curve->Path = new TChartPath(Plot->xAxis, Plot->yAxis);
    curve->Path->setPen(QPen(colour, 2));
    curve->Path->SetPoints(points.Data->Points);
  }
  points.Data->Points = QVector<QCPGraphData>();
  curve->Source = source;
  Curves.push_back(std::move(curve));
  UpdateLegend();
  return CurveCount() - 1;
}

void TLineChart::PrepareCurves() {
  // Long curves side by side, one a thread; a single one as the repaint
  // would draw it anyway.
  std::vector<TSeries*> series;
  int64_t points = 0;
  for (const auto& curve : Curves)
    if (auto* s = static_cast<TSeries*>(curve->Graph); s && s->dataCount() > 0) {
      series.push_back(s);
      points += s->dataCount();
    }
  if (!SampleAhead || series.size() < 2 || points < PreparedPoints)
    return;
  Explorer->Layout();
  std::vector<std::thread> threads;
  for (size_t i = 1; i < series.size(); ++i) {
    try {
      threads.emplace_back([s = series[i]] { s->Prepare(); });
    } catch (const std::system_error&) {
      break;  // no thread to be had: the repaint samples the rest itself
    }
  }
  series[0]->Prepare();
  for (std::thread& t : threads) t.join();
}

void TLineChart::SetSampledAhead(bool on) { SampleAhead = on; }

void TLineChart::Fit() {
  // The axes follow the curves; marks never widen them.
  for (QCPGraph* marks : Marks)
    if (marks) marks->setVisible(false);
  Plot->rescaleAxes(/*onlyVisiblePlottables=*/true);
  for (QCPGraph* marks : Marks)
    if (marks) marks->setVisible(true);
  if (Explorer->IsEqualScale())
    Explorer->FitEqualScale();
}

void TLineChart::Redraw() {
  Fit();
  Explorer->RememberView();
  PlaceLegend();
  Plot->replot();
}

void TLineChart::RestoreView() {
  if (Explorer->RestoreView())
    Plot->replot();
}

void TLineChart::SetEqualScale(bool on) {
  Explorer->SetEqualScale(on);
  Redraw();
}

bool TLineChart::EqualScale() const { return Explorer->IsEqualScale(); }

int TLineChart::CurveCount() const { return static_cast<int>(Curves.size()); }

TCurveKind TLineChart::CurveKind(int curve) const { return Curves[static_cast<size_t>(curve)]->Kind; }

QColor TLineChart::CurveColour(int curve) const {
  return Curves[static_cast<size_t>(curve)]->Plottable()->pen().color();
}

const TCurveSource* TLineChart::CurveSource(int curve) const {
  const auto& source = Curves[static_cast<size_t>(curve)]->Source;
  return source ? &*source : nullptr;
}

QString TLineChart::CurveName(int curve) const {
  const TCurveSource* source = CurveSource(curve);
  return source ? FormulaLine(*source) : QString();
}

int64_t TLineChart::PointCount(int curve) const { return Curves[static_cast<size_t>(curve)]->Count(); }

double TLineChart::PointX(int64_t index, int curve) const { return Curves[static_cast<size_t>(curve)]->X(index); }

double TLineChart::PointY(int64_t index, int curve) const { return Curves[static_cast<size_t>(curve)]->Y(index); }

int64_t TLineChart::TotalPointCount() const {
  int64_t total = 0;
  for (const auto& curve : Curves)
    total += curve->Count();
  return total;
}

namespace {

// Points first .. first + count - 1 of a curve's data, through the constant
// iterators only: nothing may detach the shared data.
void CopyFrom(const QCPGraphDataContainer& data, int64_t first, int64_t count, double* x, double* y) {
  if (count <= 0) return;
  const QCPGraphData* p = &*(data.constBegin() + first);
  for (int64_t i = 0; i < count; ++i) {
    x[i] = p[i].key;
    y[i] = p[i].value;
  }
}

}  // namespace

std::function<void(int64_t, int64_t, double*, double*)> TLineChart::PointsReader() const {
  // A container of its own sharing the points' vector: a new build or a wipe
  // gives the chart's container other points and leaves these as they are.
  auto points = QSharedPointer<QCPGraphDataContainer>::create(*Curves[0]->Graph->data());
  return [points](int64_t first, int64_t count, double* x, double* y) { CopyFrom(*points, first, count, x, y); };
}

int64_t TLineChart::NearestPoint(double x) const {
  const QCPGraphDataContainer& data = *Curves[0]->Graph->data();
  if (data.isEmpty()) return -1;
  // The first point not left of x, or the one before it if that is nearer.
  auto at = data.findBegin(x, /*expandedRange=*/false);
  if (at == data.constEnd() || (at != data.constBegin() && x - (at - 1)->key < at->key - x)) --at;
  return at - data.constBegin();
}

QCPLayer* TLineChart::MarksLayer() {
  // A layer of their own above the curves, with its own buffer: taking them
  // out of a picture repaints them alone, not the curves.
  static const QString name = QStringLiteral("marks");
  if (QCPLayer* layer = Plot->layer(name)) return layer;
  Plot->addLayer(name, Plot->layer(QStringLiteral("current")), QCustomPlot::limAbove);
  QCPLayer* layer = Plot->layer(name);
  layer->setMode(QCPLayer::lmBuffered);
  return layer;
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
        {QCPScatterStyle::ssCircle, QColor(0, 170, 0)},              // Root
        {QCPScatterStyle::ssTriangle, QColor(255, 140, 0)},          // Maximum
        {QCPScatterStyle::ssTriangleInverted, QColor(255, 140, 0)},  // Minimum
        {QCPScatterStyle::ssDiamond, QColor(0, 200, 255)},           // Intersection
        {QCPScatterStyle::ssCrossSquare, QColor(255, 255, 255)},     // Break
        {QCPScatterStyle::ssSquare, QColor(255, 255, 255)},          // Value
    };
    QCPGraph* graph = new TSeries(Plot->xAxis, Plot->yAxis);
    graph->setLineStyle(QCPGraph::lsNone);
    graph->setScatterStyle(QCPScatterStyle(styles[index].Shape, QPen(Qt::black, 1.5), styles[index].Fill, 10));
    graph->setSelectable(QCP::stNone);
    graph->setLayer(MarksLayer());
    graph->removeFromLegend();
    Marks[index] = graph;
  }
  return Marks[index];
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
  const QCPRange xs = Plot->xAxis->range(), ys = Plot->yAxis->range();
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

QColor TLineChart::KeptColour(int k) {
  return QColor(Palette[static_cast<size_t>(k) % Palette.size()]);
}

void TLineChart::UpdateLegend() {
  QCPLegend* legend = Plot->legend;
  const bool shown = Curves.size() > 1;
  if (!shown && !legend->visible())
    return;
  legend->clearItems();
  for (size_t i = 0; i < Curves.size() && shown; ++i) {
    const TCurve& curve = *Curves[i];
    // The current curve is named only while it has points.
    if (i == 0 && curve.Count() == 0)
      continue;
    curve.Plottable()->setName(LegendText(curve.Source ? FormulaLine(*curve.Source) : QString()));
    curve.Plottable()->addToLegend(legend);
  }
  legend->setVisible(shown);
}

void TLineChart::PlaceLegend() {
  QCPLegend* legend = Plot->legend;
  if (!legend->visible())
    return;
  const QRect area = Explorer->Layout();
  const QSize size = legend->minimumOuterSizeHint();
  const Qt::Alignment corners[] = {Qt::AlignTop | Qt::AlignRight, Qt::AlignTop | Qt::AlignLeft,
                                   Qt::AlignBottom | Qt::AlignRight, Qt::AlignBottom | Qt::AlignLeft};
  QRect rects[4];
  for (int c = 0; c < 4; ++c) {
    const int left = corners[c] & Qt::AlignLeft ? area.left() : area.right() - size.width();
    const int top = corners[c] & Qt::AlignTop ? area.top() : area.bottom() - size.height();
    rects[c] = QRect(QPoint(left, top), size);
  }
  // The points under each corner, of at most some hundred thousand looked at.
  int64_t hidden[4] = {};
  const int64_t stride = std::max<int64_t>(1, TotalPointCount() / 200000);
  for (const auto& curve : Curves) {
    const int64_t n = curve->Count();
    for (int64_t i = 0; i < n; i += stride) {
      const double x = curve->X(i), y = curve->Y(i);
      if (std::isnan(x) || std::isnan(y))
        continue;
      const QPointF p(Plot->xAxis->coordToPixel(x), Plot->yAxis->coordToPixel(y));
      for (int c = 0; c < 4; ++c)
        hidden[c] += rects[c].contains(p.toPoint());
    }
  }
  const int best = static_cast<int>(std::min_element(std::begin(hidden), std::end(hidden)) - std::begin(hidden));
  Plot->axisRect()->insetLayout()->setInsetAlignment(0, corners[best]);
}

QStringList TLineChart::LegendTexts() const {
  QStringList texts;
  if (!Plot->legend->visible())
    return texts;
  for (int i = 0; i < Plot->legend->itemCount(); ++i)
    if (auto* item = qobject_cast<QCPPlottableLegendItem*>(Plot->legend->item(i)))
      texts.append(item->plottable()->name());
  return texts;
}

QRect TLineChart::LegendRect() const { return Plot->legend->visible() ? Plot->legend->outerRect() : QRect(); }

TReadoutPoint TLineChart::Pick(QPointF pixel) const {
  const QCPAxis* xAxis = Plot->xAxis;
  const QCPAxis* yAxis = Plot->yAxis;
  const double penalty = Plot->axisRect()->height();  // for a point without a value
  double nearest = std::numeric_limits<double>::infinity();
  const TCurve* chosen = nullptr;
  int64_t index = -1;
  for (const auto& c : Curves) {
    const TCurve& curve = *c;
    if (curve.Count() == 0)
      continue;
    if (curve.Graph) {
      // A function of X: its point nearest to the pointer's X.
      const QCPGraphDataContainer& data = *curve.Graph->data();
      const double key = xAxis->pixelToCoord(pixel.x());
      auto it = std::upper_bound(data.constBegin(), data.constEnd(), key,
                                 [](double k, const QCPGraphData& d) { return k < d.key; });
      if (it == data.constEnd()) {
        --it;
      } else if (it != data.constBegin() && key < ((it - 1)->key + it->key) * 0.5) {
        --it;
      }
      const double dx = xAxis->coordToPixel(it->key) - pixel.x();
      const double dy = std::isnan(it->value) ? penalty : yAxis->coordToPixel(it->value) - pixel.y();
      const double distance = dx * dx + dy * dy;
      if (distance < nearest) {
        nearest = distance;
        chosen = &curve;
        index = it - data.constBegin();
      }
      continue;
    }
    // A curve in the order of its parameter: its point nearest to the pointer.
    const double x0 = xAxis->range().lower, y0 = yAxis->range().lower;
    const double px0 = xAxis->coordToPixel(x0), py0 = yAxis->coordToPixel(y0);
    const double sx = (xAxis->coordToPixel(xAxis->range().upper) - px0) / xAxis->range().size();
    const double sy = (yAxis->coordToPixel(yAxis->range().upper) - py0) / yAxis->range().size();
    const QVector<QCPGraphData>& points = curve.Path->Points();
    for (qsizetype i = 0; i < points.size(); ++i) {
      const double dx = px0 + (points[i].key - x0) * sx - pixel.x();
      const double dy = py0 + (points[i].value - y0) * sy - pixel.y();
      const double distance = dx * dx + dy * dy;  // NaN for a gap, never nearer
      if (distance < nearest) {
        nearest = distance;
        chosen = &curve;
        index = i;
      }
    }
  }
  TReadoutPoint point;
  if (!chosen)
    return point;
  point.Found = true;
  point.X = chosen->X(index);
  point.Y = chosen->Y(index);
  if (chosen->Source) {
    if (!chosen->Readout)
      chosen->Readout = std::make_unique<TCurveReadout>(*chosen->Source);
    point.Text = chosen->Readout->Text(index, point.X, point.Y);
  } else {
    point.Text = QStringLiteral("X = ") + General(point.X) + QStringLiteral("; F(X) = ") + General(point.Y);
  }
  return point;
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

void TLineChart::RenderTo(QPainter& painter, QSize size) {
  const QPaintEngine* engine = painter.paintEngine();
  if (engine && engine->type() == QPaintEngine::Raster && size == this->size() &&
      painter.deviceTransform().isIdentity()) {
    painter.drawImage(QPoint(0, 0), Render());
    return;
  }
  painter.save();
  PaintFrame(painter, QRect(QPoint(0, 0), size), palette());
  const QSize plotSize = (size - QSize(2 * FrameWidth, 2 * FrameWidth)).expandedTo(QSize(1, 1));
  // The library draws only on a painter of its own type: into a recording
  // that is then played on the given painter, shapes and text as they are.
  QPicture recording;
  const bool readout = Explorer->ReadoutVisible();
  if (readout) Explorer->HideReadout();
  {
    QCPPainter plotPainter(&recording);
    // Vector mode: no pixel-grid corrections, no cached label images, and
    // the curve as one path per run rather than a line per segment.
    plotPainter.setMode(QCPPainter::pmVectorized);
    plotPainter.setMode(QCPPainter::pmNoCaching);
    Plot->toPainter(&plotPainter, plotSize.width(), plotSize.height());
  }
  if (readout) Explorer->UpdateReadout();
  // Drawn at another size, the library keeps that layout until it lays out again.
  if (plotSize != Plot->size()) Plot->replot(QCustomPlot::rpImmediateRefresh);
  painter.drawPicture(QPoint(FrameWidth, FrameWidth), recording);
  painter.restore();
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
