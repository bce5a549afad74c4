#include "windows/CurveDialogs.h"

#include "platform/Application.h"
#include "windows/FormTools.h"
#include "windows/FormulaEdit.h"
#include "windows/PlotInput.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TCurveDialog::TCurveDialog(QWidget* parent, TCurveKind kind, const QString& title, const QStringList& names,
                           const QStringList& defaults, const QString& parameter)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      Kind(kind),
      Names(names),
      Defaults(defaults) {
  setWindowTitle(title);
  auto* layout = new QGridLayout(this);
  int row = 0;
  // The formulas, as the plane plot shows its own, with the same menu.
  for (const QString& name : names) {
    auto* label = new QLabel(name + QStringLiteral(" ="), this);
    auto* field = new QLineEdit(this);
    field->setMinimumWidth(320);
    SetTextColour(field, QPalette::Text, QColor(0x80, 0x00, 0x00));
    QFont bold = field->font();
    bold.setBold(true);
    field->setFont(bold);
    FormulaLabels.push_back(label);
    FormulaFields.push_back(field);
    FormulaMenus.push_back(new TFormulaMenu(field, TFormulaMenu::TTemplates::PlotWindow));
    layout->addWidget(label, row, 0);
    layout->addWidget(field, row, 1, 1, 6);
    ++row;
  }

  using plotinput::GreenLabel;
  using plotinput::NumberField;
  Label3 = GreenLabel(parameter + QStringLiteral(" от"), this);
  Edit3 = NumberField(QStringLiteral("min=1 000 000"), this);
  Label4 = GreenLabel(parameter + QStringLiteral(" до"), this);
  Edit4 = NumberField(QStringLiteral("max=1 000 000"), this);
  Label5 = GreenLabel(QStringLiteral("d") + parameter, this);
  Edit5 = NumberField(QString(), this);
  const std::pair<QLabel*, QLineEdit*> pairs[] = {{Label3, Edit3}, {Label4, Edit4}, {Label5, Edit5}};
  int column = 0;
  for (auto [label, field] : pairs) {
    layout->addWidget(label, row, column++);
    layout->addWidget(field, row, column++);
  }
  layout->setColumnStretch(6, 1);

  Button1 = new QPushButton(QStringLiteral("Построить"), this);
  Button1->setDefault(true);
  Button2 = new QPushButton(QStringLiteral("Отмена"), this);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  layout->addLayout(buttons, row + 1, 0, 1, 7);
  layout->setSizeConstraint(QLayout::SetFixedSize);
  SetDefaults();  // before the checks listen

  RangeCheck = new TRangeCheck(this);
  for (QLineEdit* field : {Edit3, Edit4}) RangeCheck->Watch(field);
  connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

TCurveDialog::~TCurveDialog() = default;

void TCurveDialog::SetDefaults() {
  for (size_t i = 0; i < FormulaFields.size(); ++i) FormulaFields[i]->setText(Defaults[static_cast<qsizetype>(i)]);
  Edit3->setText(QStringLiteral("0"));
  Edit4->setText(QStringLiteral("360"));
  Edit5->setText(QStringLiteral("1"));
}

void TCurveDialog::Button1Click() {
  using namespace plotinput;
  TPlotRange range;
  if (!ReadRange(Edit3, Edit4, Edit5, range)) return;
  for (QLineEdit* field : FormulaFields)
    if (field->text().isEmpty()) {
      RefuseBuild(field, NoFormula);
      return;
    }
  std::vector<std::unique_ptr<TParameterFormula>> formulas;
  for (size_t i = 0; i < FormulaFields.size(); ++i) {
    QLineEdit* field = FormulaFields[i];
    auto formula = std::make_unique<TParameterFormula>(field->text().toStdU16String());
    if (!formula->Compiled()) {
      field->setFocus();  // the engine has shown what is wrong
      return;
    }
    if (const auto extra = formula->ExtraVariables(); !extra.empty()) {
      RefuseBuild(field, TooManyParametersMessage(Names[static_cast<qsizetype>(i)], extra));
      return;
    }
    formulas.push_back(std::move(formula));
  }
  FRange = std::move(range);
  Formulas = std::move(formulas);
  accept();
}

TCurveSource TCurveDialog::Source() const {
  TCurveSource source;
  source.Kind = Kind;
  source.First = FormulaFields[0]->text().toStdU16String();
  if (FormulaFields.size() > 1) source.Second = FormulaFields[1]->text().toStdU16String();
  source.Start = FRange.Start;
  source.End = FRange.End;
  source.Step = FRange.Step;
  return source;
}

std::vector<std::unique_ptr<TParameterFormula>> TCurveDialog::TakeFormulas() { return std::move(Formulas); }

TParametricDialog::TParametricDialog(QWidget* parent)
    : TCurveDialog(parent, TCurveKind::Parametric, QStringLiteral("Параметрическая кривая"),
                   {QStringLiteral("X(t)"), QStringLiteral("Y(t)")}, {QStringLiteral("cos(t)"), QStringLiteral("sin(t)")},
                   QStringLiteral("t")) {}

TPolarDialog::TPolarDialog(QWidget* parent)
    : TCurveDialog(parent, TCurveKind::Polar, QStringLiteral("Кривая в полярных координатах"), {QStringLiteral("R(φ)")},
                   {QStringLiteral("1")}, QStringLiteral("φ")) {}
