// The non-modal window "Результаты анализа" of the plane plot: what "Корни",
// "Экстремумы" and "Пересечения графиков" found, in a table of "X", "F(X)"
// and "Что", with a line for the value at a point below it ("X =", a field,
// "Вычислить"). Ctrl+C copies the selected rows as tab-separated text;
// choosing a row asks the plot window to show that point on the chart.
#pragma once

#include "analysis/Analysis.h"

#include <QDialog>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TFindingsModel;

class TAnalysisDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TAnalysisDialog(QWidget* parent = nullptr);
  ~TAnalysisDialog() override;

  QLabel* Heading;    // what was looked for, and in which formula
  QTableView* Table;
  QLabel* Note;       // how many were found, or that there were none or more
  QLabel* Label1;     // "X ="
  QLineEdit* Edit1;   // the X of "Значение в точке…"
  QPushButton* Button1;  // "Вычислить"

  // Replaces the rows by findings, under a heading and with a note; kinds,
  // when given, are the "Что" of each row instead of the word for its kind.
  void SetFindings(const QString& heading, const std::vector<TFinding>& findings, const QString& note,
                   const std::vector<QString>& kinds = {});
  // Appends one row (a value at a point) and selects it.
  void AddFinding(const TFinding& finding);
  // No rows, no heading, no note.
  void Clear();
  int RowCount() const;
  // The texts of a row: X, F(X), Что.
  QStringList RowTexts(int row) const;
  // The selected rows as the clipboard gets them: one a line, tab-separated.
  QString SelectedText() const;

  // The word for a finding's kind ("корень", "разрыв"...).
  static QString KindText(TFindingKind kind);

 signals:
  // A row was chosen: the point it stands for.
  void PointChosen(double x);
  // "Вычислить" or Enter in the X field.
  void ValueRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CopySelection();

  TFindingsModel* Model;
};
