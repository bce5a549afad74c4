// The points of the chart as a table of two columns, "X" and "F(X)", read
// from the chart's own storage when a row is shown: a curve of 10 000 000
// points is not copied. The texts are the general number format; a point
// without a value has an empty F(X). The table follows the chart: a new
// build or a wiped curve resets it.
#pragma once

#include <QAbstractTableModel>

class TLineChart;

class TPointsTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TPointsTableModel(TLineChart* chart, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  TLineChart* Chart;
  int Rows = 0;  // the chart's points when the table last followed it
};
