// The dialog "Поверхность по формуле" of the 3D window: the formula Z(X;Y)
// with the shared formula menu, and the ranges of X and Y. Nothing is checked
// while the user types; "Построить" (Enter) checks the fields, each refusal
// naming its field, and compiles the formula; the dialog closes only for a
// formula and ranges the surface can take. "Отмена" (Esc) puts back the texts
// the dialog opened with.
#pragma once

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class TFormulaMenu;

namespace surface {
class TSurfaceFormula;
struct TSurfaceGrid;
}  // namespace surface

class TSurfaceDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TSurfaceDialog(QWidget* parent = nullptr);
  ~TSurfaceDialog() override;

  QLabel* Label1;
  QLineEdit* Edit1;  // Z(X;Y)
  TFormulaMenu* FormulaMenu;
  QLabel* Label2;
  QLineEdit* Edit2;  // X от
  QLabel* Label3;
  QLineEdit* Edit3;  // X до
  QLabel* Label4;
  QLineEdit* Edit4;  // Y от
  QLabel* Label5;
  QLineEdit* Edit5;  // Y до
  QPushButton* Button1;  // Построить
  QPushButton* Button2;  // Отмена

  // The default formula and ranges.
  void SetDefaults();
  // "Построить": accepts the dialog when every field passes.
  void Button1Click();

  // After acceptance: the compiled formula (taken once) and the ranges.
  std::unique_ptr<surface::TSurfaceFormula> TakeFormula();
  // Fills the ranges of grid from the fields as the last "Построить" read them.
  void GetRanges(surface::TSurfaceGrid& grid) const;

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  // A range field's number: a point counts as the comma; a text that is no
  // number, or one beyond ±1 000 000, is refused naming the field.
  bool ReadRange(QLineEdit* field, const QLabel* name, long double& value);
  QString Opened[5];  // the fields' texts when the dialog opened
  std::unique_ptr<surface::TSurfaceFormula> Formula;
  long double Ranges[4] = {};  // X от, X до, Y от, Y до
};
