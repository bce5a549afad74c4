#include "plot2d/ChartExplorer.h"

#include "engine/Formula_math.h"

#include <qcustomplot.h>

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace {

// The readout's distance from the pointer, in pixels.
constexpr int ReadoutGap = 12;

QString General(double v) { return QString::fromStdU16String(FormatGeneral(v)); }

}  // namespace

TChartExplorer::TChartExplorer(QCustomPlot* plot, QCPGraph* graph)
    : QObject(plot), Plot(plot), Graph(graph), Layer(plot->layer(QStringLiteral("overlay"))) {
  Plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  Plot->setMouseTracking(true);

  // The marker: a white dot ringed in black shows on yellow, blue and the
  // red curve alike. The readout: black on a white box, for the same reason.
  Marker = new QCPItemTracer(Plot);
  Marker->setLayer(Layer);
  Marker->setInterpolating(false);  // the point the build made, not one between
  Marker->setStyle(QCPItemTracer::tsCircle);
  Marker->setSize(9);
  Marker->setPen(QPen(Qt::black, 1.5));
  Marker->setBrush(Qt::white);
  Marker->setSelectable(false);
  Label = new QCPItemText(Plot);
  Label->setLayer(Layer);
  Label->position->setType(QCPItemPosition::ptAbsolute);
  Label->setClipToAxisRect(false);
  Label->setColor(Qt::black);
  Label->setBrush(QColor(255, 255, 255, 235));
  Label->setPen(QPen(Qt::black));
  Label->setPadding(QMargins(4, 2, 4, 2));
  Label->setSelectable(false);
  HideReadout();

  // These come before the chart library's own handling of the event.
  connect(Plot, &QCustomPlot::mouseWheel, this, &TChartExplorer::Wheel);
  connect(Plot, &QCustomPlot::mousePress, this, &TChartExplorer::Press);
  connect(Plot, &QCustomPlot::mouseMove, this, &TChartExplorer::Move);
  connect(Plot, &QCustomPlot::mouseRelease, this, &TChartExplorer::Release);
  connect(Plot, &QCustomPlot::mouseDoubleClick, this, &TChartExplorer::DoubleClick);
  connect(Plot, &QCustomPlot::beforeReplot, this, &TChartExplorer::HoldUnderPointer);
  // After a zoom, a pan or a new view the pointer is over another point; the
  // plot area is where it will be drawn once the layout is done.
  connect(Plot, &QCustomPlot::afterLayout, this, [this] {
    if (ReadoutVisible())
      UpdateReadout();
  });
  Plot->installEventFilter(this);
  RememberView();
}

void TChartExplorer::RememberView() {
  // A view fitted to the data is kept as it is, whatever the mouse held.
  Holding = Dragging = false;
  ViewXLower = Plot->xAxis->range().lower;
  ViewXUpper = Plot->xAxis->range().upper;
  ViewYLower = Plot->yAxis->range().lower;
  ViewYUpper = Plot->yAxis->range().upper;
}

bool TChartExplorer::RestoreView() {
  const QCPRange x(ViewXLower, ViewXUpper), y(ViewYLower, ViewYUpper);
  Holding = Dragging = false;
  if (Plot->xAxis->range() == x && Plot->yAxis->range() == y)
    return false;
  Plot->xAxis->setRange(x);
  Plot->yAxis->setRange(y);
  return true;
}

void TChartExplorer::HideReadout() {
  Marker->setVisible(false);
  Label->setVisible(false);
}

bool TChartExplorer::ReadoutVisible() const { return Label->visible(); }

QString TChartExplorer::ReadoutText() const { return ReadoutVisible() ? Label->text() : QString(); }

void TChartExplorer::RepaintReadout() { Layer->replot(); }

void TChartExplorer::PointAt(double x, double y) {
  Pointer = QPointF(x, y);
  PointerInside = true;
  UpdateReadout();
}

void TChartExplorer::UpdateReadout() {
  const QRect area = Plot->axisRect()->rect();
  if (!PointerInside || Graph->data()->isEmpty() || !area.contains(Pointer.toPoint())) {
    HideReadout();
    return;
  }
  // Giving the graph places the marker on its point nearest to the key.
  Marker->setGraphKey(Plot->xAxis->pixelToCoord(Pointer.x()));
  Marker->setGraph(Graph);
  const double x = Marker->position->key(), y = Marker->position->value();
  const QString text = QStringLiteral("X = ") + General(x) + QStringLiteral("; F(X) = ") + General(y);
  Label->setText(text);

  // Above and to the right of the pointer, or where else it stays within the
  // plot area: a readout wider than the room on either side is moved in.
  const QMargins padding = Label->padding();
  const QSize size = QFontMetrics(Label->font()).size(0, text) +
                     QSize(padding.left() + padding.right(), padding.top() + padding.bottom());
  const int px = qRound(Pointer.x()), py = qRound(Pointer.y());
  int left = px + ReadoutGap + size.width() <= area.right() ? px + ReadoutGap : px - ReadoutGap - size.width();
  int top = py - ReadoutGap - size.height() >= area.top() ? py - ReadoutGap - size.height() : py + ReadoutGap;
  left = std::max(area.left(), std::min(left, area.right() - size.width()));
  top = std::max(area.top(), std::min(top, area.bottom() - size.height()));
  Label->setPositionAlignment(Qt::AlignLeft | Qt::AlignTop);
  Label->position->setCoords(left, top);
  Label->setVisible(true);
  // A point without a value is a gap in the line: nothing to mark.
  Marker->setVisible(!std::isnan(y));
}

bool TChartExplorer::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Plot && event->type() == QEvent::Leave) {
    PointerInside = false;
    if (ReadoutVisible()) {
      HideReadout();
      RepaintReadout();
    }
  }
  return QObject::eventFilter(watched, event);
}

void TChartExplorer::Wheel(QWheelEvent* event) {
  // The chart library zooms next, along the axes set here, about the value
  // under the pointer.
  const Qt::KeyboardModifiers keys = event->modifiers();
  Plot->axisRect()->setRangeZoom(keys & Qt::ControlModifier ? Qt::Horizontal
                                 : keys & Qt::ShiftModifier ? Qt::Vertical
                                                            : Qt::Horizontal | Qt::Vertical);
  Pointer = event->position();
  HeldX = Plot->xAxis->pixelToCoord(Pointer.x());
  HeldY = Plot->yAxis->pixelToCoord(Pointer.y());
  HeldArea = Plot->axisRect()->rect();
  Holding = true;
}

void TChartExplorer::Press(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton)
    return;
  // A drag holds the value it took under the pointer.
  HeldX = Plot->xAxis->pixelToCoord(event->position().x());
  HeldY = Plot->yAxis->pixelToCoord(event->position().y());
  Dragging = true;
}

void TChartExplorer::Move(QMouseEvent* event) {
  Pointer = event->position();
  PointerInside = true;
  if (Dragging && (event->buttons() & Qt::LeftButton)) {
    HeldArea = Plot->axisRect()->rect();
    Holding = true;
  }
  const bool shown = ReadoutVisible();
  UpdateReadout();
  if (shown || ReadoutVisible())
    RepaintReadout();
}

void TChartExplorer::Release(QMouseEvent*) {
  Dragging = false;
  Holding = false;
}

void TChartExplorer::HoldUnderPointer() {
  if (!Holding)
    return;
  Holding = Dragging;
  // The layout of the coming replot, done beforehand: where the plot area
  // will be with the numbers of the new ranges. Moving the ranges can change
  // their numbers once more, hence a few rounds.
  QCPLayoutGrid* layout = Plot->plotLayout();
  for (int round = 0; round < 3; ++round) {
    layout->update(QCPLayoutElement::upPreparation);
    layout->update(QCPLayoutElement::upMargins);
    layout->update(QCPLayoutElement::upLayout);
    const QRect area = Plot->axisRect()->rect();
    if (area == HeldArea)
      return;
    HeldArea = area;
    Plot->xAxis->moveRange(HeldX - Plot->xAxis->pixelToCoord(Pointer.x()));
    Plot->yAxis->moveRange(HeldY - Plot->yAxis->pixelToCoord(Pointer.y()));
  }
}

void TChartExplorer::DoubleClick(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && RestoreView())
    Plot->replot();
}
