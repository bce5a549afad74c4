#include "windows/PlotInput.h"

#include "platform/Application.h"
#include "windows/FormTools.h"
#include "engine/Formula_math.h"
#include "platform/Platform.h"

#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScopedValueRollback>

namespace {

const QString InputError = QStringLiteral("Ошибка ввода данных!");
const QString OutOfRange = QStringLiteral("Введенное значение вне допустимого диапазона!");

constexpr long double RangeLimit = 1000000.0L;

}  // namespace

namespace plotinput {

QLabel* GreenLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  SetTextColour(label, QPalette::WindowText, QColor(0x00, 0x80, 0x00));
  return label;
}

QLineEdit* NumberField(const QString& toolTip, QWidget* parent) {
  auto* field = new QLineEdit(parent);
  field->setFixedWidth(100);
  field->setToolTip(toolTip);
  return field;
}


const QString StartError = QStringLiteral("Неправильная запись начала диапазона!");
const QString EndError = QStringLiteral("Неправильная запись конца диапазона!");
const QString NoFormula = QStringLiteral("Введите формулу, по которой будет строиться график!");
const QString StepError = QStringLiteral("Неправильная запись шага расчета!");
// Worded like the window's other messages; no-break spaces keep the number on one line.
const QString TooManyPoints =
    QStringLiteral("Слишком мелкий шаг расчета: в графике будет больше 10\u00A0000\u00A0000 точек!");

void RefuseBuild(QLineEdit* field, const QString& message) {
  Platform().Error(message);
  Platform().Beep();
  field->setFocus();
}

bool ReadNumber(QLineEdit* field, const QString& message, long double& value) {
  const std::u16string text = field->text().toStdU16String();
  if (!IsNumber(text)) {
    RefuseBuild(field, message);
    return false;
  }
  value = StrToFloat(DotToComma(text));
  return true;
}

bool ReadRange(QLineEdit* start, QLineEdit* end, QLineEdit* step, TPlotRange& range) {
  long double from = 0, to = 0, by = 0;
  if (!ReadNumber(start, StartError, from) || !ReadNumber(end, EndError, to) || !ReadNumber(step, StepError, by))
    return false;
  if (!(by > 0)) {
    RefuseBuild(step, StepError);
    return false;
  }
  range = MeasurePlotRange(from, to, by, MaxPlotPoints);
  if (range.Count > MaxPlotPoints) {
    RefuseBuild(step, TooManyPoints);
    return false;
  }
  return true;
}

}  // namespace plotinput

void TRangeCheck::Watch(QLineEdit* field, std::function<void()> onChange, std::function<void()> onExit) {
  if (!onChange) onChange = [this, field] { Check(field); };
  if (!onExit) onExit = [this, field] { Check(field); };
  connect(field, &QLineEdit::textChanged, this, Guarded(std::move(onChange)));
  Fields.push_back({field, std::move(onExit)});
  field->installEventFilter(this);
}

bool TRangeCheck::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) {
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        reason != Qt::MenuBarFocusReason) {
      for (const TWatched& w : Fields)
        if (w.Field == watched) Guarded(w.OnExit)();
    }
  }
  return QObject::eventFilter(watched, event);
}

long double TRangeCheck::Check(QLineEdit* field) {
  if (Checking) return 0;
  const QScopedValueRollback<bool> checking(Checking, true);

  long double value = 0;
  if (!TryTextToFloat(field->text().toStdU16String(), value)) {
    Platform().Beep();
    Platform().Message(InputError);
    field->setFocus();
    return 0;
  }
  if (value < -RangeLimit || value > RangeLimit) {
    Platform().Beep();
    Platform().Message(OutOfRange);
    field->setFocus();
  }
  return value;
}
