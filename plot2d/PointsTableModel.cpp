#include "plot2d/PointsTableModel.h"

#include "engine/Formula_math.h"
#include "plot2d/LineChart.h"

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
