// The plane plot window "Построение плоских графиков": the curve of one
// formula F(X) over a range of X with a fixed step, in a line chart; curves
// kept on the chart beside it, parametric and polar curves.
#pragma once

#include "analysis/Analysis.h"
#include "export/PictureExport.h"

#include <QWidget>

#include <memory>
#include <string>
#include <vector>

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
class TAnalysisDialog;
class TValueTableDialog;
class TWorkControl;

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
  QAction* SVG1;    // В файл SVG
  QAction* PDF1;    // В файл PDF
  QAction* N11;     // В буфер
  QAction* N12;     // Печать
  QMenu* Analysis1;          // "Анализ"
  QAction* Roots1;           // Корни
  QAction* Extrema1;         // Экстремумы
  QAction* Crossings1;       // Пересечения графиков
  QAction* PointValue1;      // Значение в точке…
  QAction* ValueTable1;      // Таблица значений…
  QAction* MarksInExport1;   // Показывать отметки в экспорте (checkable, off)
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

  // The chart as shown, for every export.
  TPictureSource Picture() const;

  // The formula of the last build; each build replaces it.
  std::unique_ptr<TFormula> PlotFormula;
  // The dialogs of the parametric and polar curves, made when first opened.
  TParametricDialog* ParametricDialog = nullptr;
  TPolarDialog* PolarDialog = nullptr;

  // The windows of the analysis, made when first needed; children of this
  // window, so that they can be used while it is shown modally.
  TAnalysisDialog* AnalysisResults = nullptr;
  TValueTableDialog* ValueTable = nullptr;

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
  void SVG1Click();
  void PDF1Click();
  void N11Click();
  void N12Click();
  void N2Click();
  void Edit1Change();
  void Edit2Change();
  void Edit2Exit();
  void Edit3Change();
  void Edit3Exit();
  void Label5Click();
  void Roots1Click();
  void Extrema1Click();
  void Crossings1Click();
  void PointValue1Click();
  void ValueTable1Click();
  void MarksInExport1Click();
  // "Вычислить" of the results window: F at its X.
  void PointValueCompute();

  // The results window, made on first use.
  TAnalysisDialog* Results();

  // Checks a range field as typed (a decimal point is malformed here) and
  // against ±1 000 000: beep, message, focus back. Returns the value read
  // (0 when the text does not convert).
  long double CheckRangeEdit(QLineEdit* field);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // Samples the curve the dialog accepted and adds it as a kept curve.
  void AddDialogCurve(TCurveDialog& dialog);
  // False (with the window's message) when no curve is built.
  bool HasCurve();
  // Runs the search for roots or for extrema of the built curve as long work
  // and shows what it found.
  void Analyse(bool extrema);
  // The built curve as the analysis takes it: its formula object, text and mode,
  // and the X of its points.
  TAnalysisCurve CurrentCurve() const;
  TAnalysisGrid CurrentGrid() const;
  // The analysis's stop and progress for part of parts of the long work.
  static TAnalysisControl ControlOf(TWorkControl& control, int part, int parts);
  // Findings into the results window (under heading; none is the note when
  // there are none; kinds, when given, name each row's kind; remark ends the
  // note) and as marks on the chart.
  void ShowFindings(const QString& heading, const TAnalysisResult& result, const QString& none,
                    const std::vector<QString>& kinds = {}, const QString& remark = QString());
  // Moves an analysis window beside this one.
  void PlaceBeside(QWidget* window);
  // The results go: the marks with the curve they belong to.
  void ForgetAnalysis();

  TRangeCheck* RangeCheck;  // the checks of Edit2 and Edit3 while typing and on leaving
};
