// The dialogs of the plane plot's curves besides F(X): "Параметрическая
// кривая" (X(t), Y(t)) and "Кривая в полярных координатах" (R(φ), φ in
// degrees). Each has its formulas, with the shared formula menu, and the
// range of its parameter with the range checks of the plot window's own
// fields. "Построить" (Enter) checks the fields as the window checks its own
// and compiles the formulas; the dialog closes only for formulas of one
// variable each. Esc closes it.
#pragma once

#include "plot2d/PlotCurves.h"
#include "plot2d/PlotSampling.h"

#include <QDialog>

#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class TFormulaMenu;
class TRangeCheck;

class TCurveDialog : public QDialog {
  Q_OBJECT

 public:
  ~TCurveDialog() override;

  // The formula fields (X(t) and Y(t), or R(φ)) with their labels and menus.
  std::vector<QLabel*> FormulaLabels;
  std::vector<QLineEdit*> FormulaFields;
  std::vector<TFormulaMenu*> FormulaMenus;
  QLabel* Label3;
  QLineEdit* Edit3;  // from
  QLabel* Label4;
  QLineEdit* Edit4;  // to
  QLabel* Label5;
  QLineEdit* Edit5;  // step
  QPushButton* Button1;  // Построить
  QPushButton* Button2;  // Отмена

  // The default formulas and range.
  void SetDefaults();
  // "Построить": accepts the dialog when every field passes.
  void Button1Click();

  // After acceptance: what the curve is made of, its range, and the compiled
  // formulas in the order of the fields (taken once).
  TCurveSource Source() const;
  const TPlotRange& Range() const { return FRange; }
  std::vector<std::unique_ptr<TParameterFormula>> TakeFormulas();

 protected:
  // names: the formulas' names ("X(t)", "Y(t)"), defaults: their texts;
  // parameter: the name of the range ("t", "φ").
  TCurveDialog(QWidget* parent, TCurveKind kind, const QString& title, const QStringList& names,
               const QStringList& defaults, const QString& parameter);

 private:
  TCurveKind Kind;
  QStringList Names, Defaults;
  TRangeCheck* RangeCheck;
  TPlotRange FRange;
  std::vector<std::unique_ptr<TParameterFormula>> Formulas;
};

// X(t) = cos(t), Y(t) = sin(t), t from 0 to 360 by 1 at first.
class TParametricDialog : public TCurveDialog {
  Q_OBJECT

 public:
  explicit TParametricDialog(QWidget* parent = nullptr);
};

// R(φ) = 1, φ from 0 to 360 by 1 at first.
class TPolarDialog : public TCurveDialog {
  Q_OBJECT

 public:
  explicit TPolarDialog(QWidget* parent = nullptr);
};
