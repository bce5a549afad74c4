#include "plot2d/PointsTable.h"

#include "engine/Formula_math.h"
#include "plot2d/LineChart.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>

#include <algorithm>
#include <cmath>

TPointsTableModel::TPointsTableModel(TLineChart* chart, QObject* parent)
    : QAbstractTableModel(parent), Chart(chart), Rows(static_cast<int>(chart->PointCount())) {
  connect(chart, &TLineChart::PointsChanged, this, [this] {
    beginResetModel();
    Rows = static_cast<int>(Chart->PointCount());
    endResetModel();
  });
}

int TPointsTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : Rows; }

int TPointsTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant TPointsTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= Rows) return {};
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  if (role != Qt::DisplayRole) return {};
  const double v = index.column() == 0 ? Chart->PointX(index.row()) : Chart->PointY(index.row());
  return std::isnan(v) ? QString() : QString::fromStdU16String(FormatGeneral(v));
}

QVariant TPointsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  return section == 0 ? QStringLiteral("X") : QStringLiteral("F(X)");
}

TPointsTableView::TPointsTableView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  // The scroll bar counts rows, not pixels: 10 000 000 rows of 20 pixels
  // would pass the range of its numbers.
  verticalScrollBar()->setSingleStep(1);
}

void TPointsTableView::SetModel(QAbstractItemModel* model) {
  if (FModel) disconnect(FModel, nullptr, this, nullptr);
  FModel = model;
  if (model) {
    connect(model, &QAbstractItemModel::modelReset, this, [this] { Reset(); });
    connect(model, &QAbstractItemModel::destroyed, this, [this] {
      FModel = nullptr;
      Reset();
    });
  }
  Reset();
}

void TPointsTableView::Reset() {
  const int rows = FModel ? FModel->rowCount() : 0;
  FCurrent = rows > 0 ? 0 : -1;
  verticalScrollBar()->setValue(0);
  resizeEvent(nullptr);
  viewport()->update();
}

int TPointsTableView::RowHeight() const { return fontMetrics().height() + 6; }
int TPointsTableView::HeaderHeight() const { return fontMetrics().height() + 8; }

int TPointsTableView::NumberWidth() const {
  const int rows = FModel ? FModel->rowCount() : 0;
  return fontMetrics().horizontalAdvance(QString::number(std::max(rows, 1))) + 12;
}

int TPointsTableView::VisibleRows() const {
  return std::max(1, (viewport()->height() - HeaderHeight()) / RowHeight());
}

int TPointsTableView::FirstVisibleRow() const { return verticalScrollBar()->value(); }

void TPointsTableView::SetCurrentRow(int row) {
  const int rows = FModel ? FModel->rowCount() : 0;
  if (rows == 0) return;
  FCurrent = std::clamp(row, 0, rows - 1);
  const int first = FirstVisibleRow(), visible = VisibleRows();
  if (FCurrent < first)
    verticalScrollBar()->setValue(FCurrent);
  else if (FCurrent >= first + visible)
    verticalScrollBar()->setValue(FCurrent - visible + 1);
  viewport()->update();
}

void TPointsTableView::resizeEvent(QResizeEvent*) {
  const int rows = FModel ? FModel->rowCount() : 0;
  const int visible = VisibleRows();
  verticalScrollBar()->setRange(0, std::max(0, rows - visible));
  verticalScrollBar()->setPageStep(visible);
}

void TPointsTableView::scrollContentsBy(int, int) { viewport()->update(); }

void TPointsTableView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const QRect area = viewport()->rect();
  painter.fillRect(area, palette().base());
  const int numbers = NumberWidth(), header = HeaderHeight(), height = RowHeight();
  const int cell = std::max(1, (area.width() - numbers) / 2);
  const int lefts[] = {0, numbers, numbers + cell, area.width()};

  // The header row: the corner, then the model's column titles.
  for (int c = 0; c < 3; ++c) {
    QStyleOptionHeader option;
    option.initFrom(this);
    option.rect = QRect(lefts[c], 0, lefts[c + 1] - lefts[c], header);
    option.text = c == 0 || !FModel ? QString() : FModel->headerData(c - 1, Qt::Horizontal).toString();
    option.textAlignment = Qt::AlignCenter;
    option.section = c;
    painter.save();
    style()->drawControl(QStyle::CE_Header, &option, &painter, this);
    painter.restore();
  }
  if (!FModel) return;

  const int rows = FModel->rowCount(), first = FirstVisibleRow();
  const int last = std::min(rows, first + VisibleRows() + 1);
  painter.setPen(palette().color(QPalette::Mid));
  for (int r = first; r < last; ++r) {
    const int top = header + (r - first) * height;
    const QRect line(0, top, area.width(), height);
    if (r == FCurrent) painter.fillRect(line.adjusted(numbers, 0, 0, 0), palette().highlight());
    painter.fillRect(QRect(0, top, numbers, height), palette().button());
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(QRect(0, top, numbers - 6, height), Qt::AlignRight | Qt::AlignVCenter,
                     FModel->headerData(r, Qt::Vertical).toString());
    painter.setPen(palette().color(r == FCurrent ? QPalette::HighlightedText : QPalette::Text));
    for (int c = 0; c < 2; ++c)
      painter.drawText(QRect(lefts[c + 1], top, lefts[c + 2] - lefts[c + 1] - 6, height),
                       Qt::AlignRight | Qt::AlignVCenter, FModel->index(r, c).data().toString());
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawLine(0, top + height - 1, area.width(), top + height - 1);
  }
  for (int c = 1; c < 3; ++c) painter.drawLine(lefts[c] - 1, header, lefts[c] - 1, header + (last - first) * height);
}

void TPointsTableView::keyPressEvent(QKeyEvent* event) {
  const int page = VisibleRows();
  switch (event->key()) {
    case Qt::Key_Up: SetCurrentRow(FCurrent - 1); break;
    case Qt::Key_Down: SetCurrentRow(FCurrent + 1); break;
    case Qt::Key_PageUp: SetCurrentRow(FCurrent - page); break;
    case Qt::Key_PageDown: SetCurrentRow(FCurrent + page); break;
    case Qt::Key_Home: SetCurrentRow(0); break;
    case Qt::Key_End: SetCurrentRow(FModel ? FModel->rowCount() - 1 : 0); break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
  }
}

void TPointsTableView::mousePressEvent(QMouseEvent* event) {
  const int y = qRound(event->position().y()) - HeaderHeight();
  if (y >= 0) SetCurrentRow(FirstVisibleRow() + y / RowHeight());
  QAbstractScrollArea::mousePressEvent(event);
}
