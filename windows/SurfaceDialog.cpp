#include "windows/SurfaceDialog.h"

#include "platform/Application.h"
#include "windows/FormTools.h"
#include "windows/FormulaEdit.h"
#include "engine/Formula_math.h"
#include "surface/FormulaSurface.h"
#include "windows/PlotInput.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

#include <algorithm>

namespace {

const QString Title = QStringLiteral("Поверхность по формуле");
const QString BadNumber = QStringLiteral("Неправильная запись числа в поле «%1»!");
const QString OutOfRange = QStringLiteral("Значение в поле «%1» вне допустимого диапазона!");
const QString EmptyRange = QStringLiteral("Значения в полях «%1» и «%2» совпадают: диапазон пуст!");

// The fields' limits, as their tool tips say.
constexpr long double RangeLimit = 1000000.0L;

using plotinput::GreenLabel;
using plotinput::NumberField;

}  // namespace

TSurfaceDialog::TSurfaceDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(Title);

  // The formula, as the plane plot shows its own, with the same menu.
  Label1 = new QLabel(QStringLiteral("Z(X;Y)="), this);
  Edit1 = new QLineEdit(this);
  Edit1->setMinimumWidth(320);
  SetTextColour(Edit1, QPalette::Text, QColor(0x80, 0x00, 0x00));
  QFont bold = Edit1->font();
  bold.setBold(true);
  Edit1->setFont(bold);
  FormulaMenu = new TFormulaMenu(Edit1, TFormulaMenu::TTemplates::PlotWindow);

  Label2 = GreenLabel(QStringLiteral("X от"), this);
  Edit2 = NumberField(QStringLiteral("min=1 000 000"), this);
  Label3 = GreenLabel(QStringLiteral("X до"), this);
  Edit3 = NumberField(QStringLiteral("max=1 000 000"), this);
  Label4 = GreenLabel(QStringLiteral("Y от"), this);
  Edit4 = NumberField(QStringLiteral("min=1 000 000"), this);
  Label5 = GreenLabel(QStringLiteral("Y до"), this);
  Edit5 = NumberField(QStringLiteral("max=1 000 000"), this);

  Button1 = new QPushButton(QStringLiteral("Построить"), this);
  Button1->setDefault(true);
  Button2 = new QPushButton(QStringLiteral("Отмена"), this);

  auto* layout = new QGridLayout(this);
  layout->addWidget(Label1, 0, 0);
  layout->addWidget(Edit1, 0, 1, 1, 4);
  layout->addWidget(Label2, 1, 0);
  layout->addWidget(Edit2, 1, 1);
  layout->addWidget(Label3, 1, 2);
  layout->addWidget(Edit3, 1, 3);
  layout->addWidget(Label4, 2, 0);
  layout->addWidget(Edit4, 2, 1);
  layout->addWidget(Label5, 2, 2);
  layout->addWidget(Edit5, 2, 3);
  layout->setColumnStretch(4, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  layout->addLayout(buttons, 3, 0, 1, 5);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  SetDefaults();

  connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TSurfaceDialog::~TSurfaceDialog() = default;

void TSurfaceDialog::SetDefaults() {
  Edit1->setText(QStringLiteral("sin(x)*cos(y)"));
  Edit2->setText(QStringLiteral("-180"));
  Edit3->setText(QStringLiteral("180"));
  Edit4->setText(QStringLiteral("-180"));
  Edit5->setText(QStringLiteral("180"));
}

bool TSurfaceDialog::ReadRange(QLineEdit* field, const QLabel* name, long double& value) {
  const std::u16string text = DotToComma(field->text().trimmed().toStdU16String());
  if (!TryTextToFloat(text, value)) {
    // A well-formed number beyond the long double range is only too large.
    plotinput::RefuseBuild(field, (IsNumber(text) ? OutOfRange : BadNumber).arg(name->text()));
    return false;
  }
  if (!(value >= -RangeLimit && value <= RangeLimit)) {
    plotinput::RefuseBuild(field, OutOfRange.arg(name->text()));
    return false;
  }
  return true;
}

void TSurfaceDialog::Button1Click() {
  using namespace plotinput;
  long double r[4] = {};
  if (!ReadRange(Edit2, Label2, r[0]) || !ReadRange(Edit3, Label3, r[1]) || !ReadRange(Edit4, Label4, r[2]) ||
      !ReadRange(Edit5, Label5, r[3]))
    return;
  if (r[0] == r[1]) {
    RefuseBuild(Edit3, EmptyRange.arg(Label2->text(), Label3->text()));
    return;
  }
  if (r[2] == r[3]) {
    RefuseBuild(Edit5, EmptyRange.arg(Label4->text(), Label5->text()));
    return;
  }
  if (Edit1->text().isEmpty()) {
    RefuseBuild(Edit1, NoFormula);
    return;
  }
  auto formula = std::make_unique<surface::TSurfaceFormula>(Edit1->text().toStdU16String());
  if (!formula->Compiled()) {
    Edit1->setFocus();  // the engine has shown what is wrong
    return;
  }
  if (const auto extra = formula->ExtraVariables(); !extra.empty()) {
    RefuseBuild(Edit1, QString::fromStdU16String(surface::TooManyVariablesMessage(extra)));
    return;
  }
  std::copy(std::begin(r), std::end(r), Ranges);
  Formula = std::move(formula);
  accept();
}

void TSurfaceDialog::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) {
    const QLineEdit* fields[] = {Edit1, Edit2, Edit3, Edit4, Edit5};
    for (int i = 0; i < 5; ++i) Opened[i] = fields[i]->text();
  }
  QDialog::showEvent(event);
}

void TSurfaceDialog::done(int result) {
  if (result == QDialog::Rejected) {
    QLineEdit* fields[] = {Edit1, Edit2, Edit3, Edit4, Edit5};
    for (int i = 0; i < 5; ++i) fields[i]->setText(Opened[i]);
  }
  QDialog::done(result);
}

std::unique_ptr<surface::TSurfaceFormula> TSurfaceDialog::TakeFormula() { return std::move(Formula); }

void TSurfaceDialog::GetRanges(surface::TSurfaceGrid& grid) const {
  grid.XFrom = Ranges[0];
  grid.XTo = Ranges[1];
  grid.YFrom = Ranges[2];
  grid.YTo = Ranges[3];
}
