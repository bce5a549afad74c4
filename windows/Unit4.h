// The calculator window "Расчет формул": one formula, its variables in a
// two-column table, a precision, and the result.
#pragma once

#include <QWidget>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QTableWidget;
class TClickLabel;
class TFormula;
class TFormulaMenu;

class TForm4 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm4(QWidget* parent = nullptr);
  ~TForm4() override;

  // Controls.
  QMenuBar* MainMenu1;
  QMenu* N10;     // "Формула"
  QAction* N11;   // Новая
  QAction* N12;   // Открыть из файла
  QMenu* N24;     // Експортировать
  QAction* Word1;
  QAction* N25;   // В текстовый файл
  QAction* N26;   // В буфер
  QAction* N27;   // Рассчитать
  QAction* N2;    // Закрыть
  QLabel* Label1;
  QLineEdit* Edit1;  // the formula; the algorithm uses only text(), setText() and textChanged
  TFormulaMenu* FormulaMenu;  // Edit1's PopupMenu1 and its file and clipboard actions
  QLabel* Label5;
  QLineEdit* Edit2;
  QLabel* Label6;
  QComboBox* ComboBox3;
  QTableWidget* StringGrid1;
  QPushButton* Button2;
  TClickLabel* Label2;

  // Window state, kept for the window's lifetime.
  std::unique_ptr<TFormula> CalcFormula;
  int32_t CalcRunCount = 1;
  bool VarsShown = false;
  bool Computed = false;
  bool ValuesRead = false;
  bool InputsChanged = false;
  std::vector<double> LastVarValues;  // 1-based like the formula's variables

  // Handlers.
  void FormCreate();
  void FormActivate();
  void Edit1Change();
  void ComboBox3Change();
  void StringGrid1Exit();
  void Button2Click();
  void N27Click();
  void N10Click();
  void N11Click();
  void N12Click();
  void Word1Click();
  void N25Click();
  void N26Click();
  void N2Click();
  void Label2Click();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Reset();
  void Compute();
  void HideGrid();
  void GridFocusChanged(QWidget* old, QWidget* now);
  bool InGrid(const QWidget* widget) const;
  std::u16string ValueCell(int row) const;  // the value column's text of a grid row

  QMetaObject::Connection FocusWatch;  // the application's focus changes, watched for the grid
};
