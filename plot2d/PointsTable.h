// The points of the chart's current curve as a table of two columns, "X"
// and "F(X)", read from the chart's own storage when a row is shown: a curve
// of 10 000 000 points is not copied. The texts are the general number
// format; a point without a value has an empty F(X). The table follows the
// chart: a new build or a wiped curve resets it.
//
// TPointsTableView shows such a table of any length at once: it keeps
// nothing per row (an item view's header keeps a record for each, 80 MB and
// a tenth of a second for 10 000 000 rows) and asks the model only for the
// rows in sight.
#pragma once

#include <QAbstractScrollArea>
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

class TPointsTableView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TPointsTableView(QWidget* parent = nullptr);

  // The table shown: row numbers from its vertical header data, columns
  // with its horizontal header data, cells with its display texts.
  void SetModel(QAbstractItemModel* model);
  QAbstractItemModel* Model() const { return FModel; }

  // The row with the focus (-1 without rows) and the first row in sight.
  int CurrentRow() const { return FCurrent; }
  void SetCurrentRow(int row);
  int FirstVisibleRow() const;
  // Rows that fit in the view.
  int VisibleRows() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  void Reset();
  int RowHeight() const;
  int HeaderHeight() const;
  int NumberWidth() const;

  QAbstractItemModel* FModel = nullptr;
  int FCurrent = -1;
};
