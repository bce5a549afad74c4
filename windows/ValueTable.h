// The non-modal window "Таблица значений" of the plane plot: the build's
// points (X, F(X)) as the chart holds them, and "Сохранить в CSV…", which
// writes them for a spreadsheet (see analysis/ValuesCsv.h) through the
// atomic save, as long work that can be stopped.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class TLineChart;
class TPointsTableModel;
class TPointsTableView;

class TValueTableDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TValueTableDialog(TLineChart* chart, QWidget* parent = nullptr);

  TPointsTableView* Table;
  QLabel* Count;         // how many points
  QPushButton* Button1;  // "Сохранить в CSV…"

  // "Сохранить в CSV…": asks for the file and writes the table into it.
  void Button1Click();

 private:
  void ShowCount();

  TLineChart* Chart;
  TPointsTableModel* Model;
};
