// The input checks of the plane plot window (the formula surface's dialog
// shares the look, the refusal and the formula's absence). The range fields
// are checked
//  - while typing and on leaving a field: the text as typed (a decimal point
//    is malformed here) must convert and lie within ±1 000 000; otherwise a
//    beep, a plain message box, and the focus back to the field;
//  - when a build starts: the number test of formulas (a point counts as a
//    comma); otherwise an error box, a beep, the focus to the field.
#pragma once

#include <QObject>
#include <QString>

#include "plot2d/PlotSampling.h"

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QWidget;

namespace plotinput {

extern const QString StartError;  // "Неправильная запись начала диапазона!"
extern const QString EndError;    // "Неправильная запись конца диапазона!"
extern const QString NoFormula;   // "Введите формулу, по которой будет строиться график!"
extern const QString StepError;   // "Неправильная запись шага расчета!"
// A step that is not above 0 never reaches the end; one too small for the
// range would make more points than a curve may have.
extern const QString TooManyPoints;

// The look of the range fields: a green label, a number field 100 wide.
QLabel* GreenLabel(const QString& text, QWidget* parent);
QLineEdit* NumberField(const QString& toolTip, QWidget* parent);

// Refuses a build: error box, beep, focus to the field.
void RefuseBuild(QLineEdit* field, const QString& message);

// The value of a field for a build. False (refused with message) when the
// text fails the number test. A number beyond the long double range passes
// the test but not the conversion, which throws to the general error report.
bool ReadNumber(QLineEdit* field, const QString& message, long double& value);

// The range of a curve from its start, end and step fields, checked in that
// order as the plane plot checks its own: each field's number, then a step
// above 0, then at most MaxPlotPoints points. False (refused with message,
// focus to the field) otherwise.
bool ReadRange(QLineEdit* start, QLineEdit* end, QLineEdit* step, TPlotRange& range);

}  // namespace plotinput

// Watches range fields: the check runs on every change of a field and when the
// user leaves it for another control of the window (the focus going to a
// message box, a menu or another window is no leaving).
class TRangeCheck : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // onChange and onExit run the window's handlers; left empty, they run Check.
  void Watch(QLineEdit* field, std::function<void()> onChange = {}, std::function<void()> onExit = {});

  // The check itself. Returns the value read (0 when the text does not
  // convert). One message at a time: the focus going back to a field does
  // not start the check of the field it came from.
  long double Check(QLineEdit* field);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TWatched {
    QLineEdit* Field;
    std::function<void()> OnExit;
  };
  std::vector<TWatched> Fields;
  bool Checking = false;
};
