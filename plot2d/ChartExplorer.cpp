#include "plot2d/ChartExplorer.h"

#include <qcustomplot.h>

#include <QFontMetrics>

#include <algorithm>
#include <cmath>

namespace {

// The readout's distance from the pointer, in pixels.
constexpr int ReadoutGap = 12;

}  // namespace

TChartExplorer::TChartExplorer(QCustomPlot* plot, std::function<TReadoutPoint(QPointF)> pick)
    : QObject(plot), Plot(plot), Pick(std::move(pick)), Layer(plot->layer(QStringLiteral("overlay"))) {
  Plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
  Plot->setMouseTracking(true);

  // The marker: a white dot ringed in black shows on yellow, blue and the
  // red curve alike. The readout: black on a white box, for the same reason.
  Marker = new QCPItemTracer(Plot);
  Marker->setLayer(Layer);
  Marker->setGraph(nullptr);  // placed on the point the chart finds
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
  connect(Plot, &QCustomPlot::beforeReplot, this, &TChartExplorer::BeforeReplot);
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
  if (!PointerInside || !area.contains(Pointer.toPoint())) {
    HideReadout();
    return;
  }
  const TReadoutPoint point = Pick(Pointer);
  if (!point.Found) {
    HideReadout();
    return;
  }
  Marker->position->setCoords(point.X, point.Y);
  const QString& text = point.Text;
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
  Marker->setVisible(!std::isnan(point.X) && !std::isnan(point.Y));
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
  // under the pointer. With equal scale both axes zoom alike.
  const Qt::KeyboardModifiers keys = event->modifiers();
  Qt::Orientations zoom = EqualScale                  ? Qt::Horizontal | Qt::Vertical
                          : keys & Qt::ControlModifier ? Qt::Orientations(Qt::Horizontal)
                          : keys & Qt::ShiftModifier   ? Qt::Orientations(Qt::Vertical)
                                                       : Qt::Horizontal | Qt::Vertical;
  // Out no further than the limit: an axis there stays as it is.
  if (event->angleDelta().y() < 0) {
    const auto atLimit = [](const QCPRange& range, double lower, double upper) {
      return range.size() >= ZoomOutLimit * (upper - lower) * (1 - 1e-9);
    };
    const bool x = atLimit(Plot->xAxis->range(), ViewXLower, ViewXUpper);
    const bool y = atLimit(Plot->yAxis->range(), ViewYLower, ViewYUpper);
    if (EqualScale ? x || y : false) zoom = {};
    if (x) zoom &= ~Qt::Orientations(Qt::Horizontal);
    if (y) zoom &= ~Qt::Orientations(Qt::Vertical);
  }
  Plot->axisRect()->setRangeZoom(zoom);
  Pointer = event->position();
  HeldX = Plot->xAxis->pixelToCoord(Pointer.x());
  HeldY = Plot->yAxis->pixelToCoord(Pointer.y());
  HeldArea = Plot->axisRect()->rect();
  Holding = zoom != Qt::Orientations();
}

void TChartExplorer::Press(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton)
    return;
  // A drag holds the value it took under the pointer.
  HeldX = Plot->xAxis->pixelToCoord(event->position().x());
  HeldY = Plot->yAxis->pixelToCoord(event->position().y());
  Dragging = true;
  Plot->setCursor(Qt::ClosedHandCursor);
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
  Plot->unsetCursor();
}

QRect TChartExplorer::Layout() {
  QCPLayoutGrid* layout = Plot->plotLayout();
  layout->update(QCPLayoutElement::upPreparation);
  layout->update(QCPLayoutElement::upMargins);
  layout->update(QCPLayoutElement::upLayout);
  return Plot->axisRect()->rect();
}

bool TChartExplorer::Limit(const QRect& area, bool holding) {
  const auto resize = [](QCPAxis* axis, double size) {
    const double centre = axis->range().center();
    axis->setRange(centre - size / 2, centre + size / 2);
  };
  const double viewX = ViewXUpper - ViewXLower, viewY = ViewYUpper - ViewYLower;
  bool changed = false;
  if (EqualScale && area.width() > 0 && area.height() > 0) {
    // Units per pixel, alike on both axes: while the mouse zooms or pans,
    // those of X; otherwise (a new size, a view brought back) the larger
    // ones, so that nothing shown before is cut away.
    const double xUnit = Plot->xAxis->range().size() / area.width();
    const double yUnit = Plot->yAxis->range().size() / area.height();
    double unit = holding ? xUnit : std::max(xUnit, yUnit);
    const double most = ZoomOutLimit * std::max(viewX / area.width(), viewY / area.height());
    unit = std::min(unit, most);
    for (auto [axis, pixels] : {std::pair{Plot->xAxis, area.width()}, std::pair{Plot->yAxis, area.height()}}) {
      const double size = unit * pixels;
      if (std::fabs(axis->range().size() - size) > 1e-9 * size) {
        resize(axis, size);
        changed = true;
      }
    }
    return changed;
  }
  if (Plot->xAxis->range().size() > ZoomOutLimit * viewX * (1 + 1e-12)) {
    resize(Plot->xAxis, ZoomOutLimit * viewX);
    changed = true;
  }
  if (Plot->yAxis->range().size() > ZoomOutLimit * viewY * (1 + 1e-12)) {
    resize(Plot->yAxis, ZoomOutLimit * viewY);
    changed = true;
  }
  return changed;
}

void TChartExplorer::BeforeReplot() {
  const bool holding = Holding;
  if (!holding && !EqualScale)
    return;
  Holding = Dragging;
  // The layout of the coming replot, done beforehand: where the plot area
  // will be with the numbers of the new ranges. Moving the ranges can change
  // their numbers once more, hence a few rounds.
  for (int round = 0; round < 3; ++round) {
    const QRect area = Layout();
    const bool limited = Limit(area, holding);
    if (!limited && (!holding || area == HeldArea))
      return;
    HeldArea = area;
    if (holding) {
      Plot->xAxis->moveRange(HeldX - Plot->xAxis->pixelToCoord(Pointer.x()));
      Plot->yAxis->moveRange(HeldY - Plot->yAxis->pixelToCoord(Pointer.y()));
    }
  }
}

void TChartExplorer::FitEqualScale() {
  const QCPRange x = Plot->xAxis->range(), y = Plot->yAxis->range();
  for (int round = 0; round < 3; ++round) {
    const QRect area = Layout();
    if (area.width() <= 0 || area.height() <= 0)
      return;
    const double unit = std::max(x.size() / area.width(), y.size() / area.height());
    Plot->xAxis->setRange(x.center() - unit * area.width() / 2, x.center() + unit * area.width() / 2);
    Plot->yAxis->setRange(y.center() - unit * area.height() / 2, y.center() + unit * area.height() / 2);
  }
}

void TChartExplorer::DoubleClick(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && RestoreView())
    Plot->replot();
}
