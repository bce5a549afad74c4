// The plane plot window "Построение плоских графиков": the curve of one
// formula F(X) over a range of X with a fixed step, in a line chart; curves
// kept on the chart beside it, parametric and polar curves.
#pragma once

#include <QWidget>

#include <memory>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class TClickLabel;
class TCurveDialog;
class TFormula;
class TFormulaMenu;
class TLineChart;
class TParametricDialog;
class TPolarDialog;
class TRangeCheck;

class TForm7 : public QWidget {
  Q_OBJECT

 public:
  explicit TForm7(QWidget* parent = nullptr);
  ~TForm7() override;

  // Controls.
  QMenuBar* MainMenu1;
  QMenu* N1;        // "График"
  QAction* N6;      // Построить
  QAction* N7;      // Стереть
  QAction* N13;     // Оставить на графике
  QAction* N14;     // Параметрическая кривая…
  QAction* N15;     // Кривая в полярных координатах…
  QAction* N16;     // Одинаковый масштаб осей (checkable)
  QMenu* N8;        // Експортировать
  QAction* Word1;   // В Word
  QAction* BMP1;    // В файл BMP
  QAction* N11;     // В буфер
  QAction* N12;     // Печать
  QAction* N2;      // Закрыть
  QGroupBox* GroupBox1;  // the formula
  QLabel* Label1;
  QLineEdit* Edit1;      // F(X); the window uses only text(), setText(), setFocus() and textChanged
  TFormulaMenu* FormulaMenu;  // Edit1's PopupMenu1 and its file and clipboard actions
  QGroupBox* GroupBox2;  // the range
  QLabel* Label2;
  QLineEdit* Edit2;      // start
  QLabel* Label3;
  QLineEdit* Edit3;      // end
  QLabel* Label4;
  QLineEdit* Edit4;      // step
  QPushButton* Button1;
  QGroupBox* GroupBox3;  // the chart
  TLineChart* Chart1;
  TClickLabel* Label5;

  // The formula of the last build; each build replaces it.
  std::unique_ptr<TFormula> PlotFormula;
  // The dialogs of the parametric and polar curves, made when first opened.
  TParametricDialog* ParametricDialog = nullptr;
  TPolarDialog* PolarDialog = nullptr;

  // Handlers.
  void FormActivate();
  void Button1Click();
  void N6Click();
  void N7Click();
  void N13Click();
  void N14Click();
  void N15Click();
  void N16Click();
  void Word1Click();
  void BMP1Click();
  void N11Click();
  void N12Click();
  void N2Click();
  void Edit1Change();
  void Edit2Change();
  void Edit2Exit();
  void Edit3Change();
  void Edit3Exit();
  void Label5Click();

  // Checks a range field as typed (a decimal point is malformed here) and
  // against ±1 000 000: beep, message, focus back. Returns the value read
  // (0 when the text does not convert).
  long double CheckRangeEdit(QLineEdit* field);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  // Samples the curve the dialog accepted and adds it as a kept curve.
  void AddDialogCurve(TCurveDialog& dialog);

  TRangeCheck* RangeCheck;  // the checks of Edit2 and Edit3 while typing and on leaving
};
