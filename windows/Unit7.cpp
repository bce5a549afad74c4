#include "windows/Unit7.h"

#include "platform/Application.h"
#include "windows/FormTools.h"
#include "engine/Formula_math.h"
#include "windows/FormulaEdit.h"
#include "plot2d/LineChart.h"
#include "platform/Platform.h"
#include "export/PictureExport.h"
#include "plot2d/PlotSampling.h"
#include "windows/PlotInput.h"
#include "export/Report.h"
#include "windows/WebPage.h"
#include "windows/CurveDialogs.h"
#include "platform/LongWork.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

// A build whose points would not fit in the memory, before any is made.
QString NotEnoughMemory(int64_t points) {
  return QStringLiteral("Недостаточно памяти для графика из %1 точек: увеличьте шаг расчета!")
      .arg(QLocale(QLocale::Russian, QLocale::Russia).toString(qlonglong(points)));
}

using plotinput::GreenLabel;
using plotinput::NumberField;
using plotinput::NoFormula;
using plotinput::ReadRange;
using plotinput::RefuseBuild;

// The curves of the chart together hold at most MaxChartPoints.
const QString TooManyOnChart = QStringLiteral(
    "На графике будет больше 20\u00A0000\u00A0000 точек! Уберите оставленные кривые командой «Стереть» (F6).");
const QString NothingToKeep = QStringLiteral("Сначала постройте график!");

std::u16string U16(const QString& s) { return s.toStdU16String(); }

}  // namespace

TForm7::TForm7(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(QStringLiteral("Построение плоских графиков"));

  // Menu.
  MainMenu1 = new QMenuBar(this);
  N1 = MainMenu1->addMenu(QStringLiteral("График"));
  N6 = N1->addAction(QStringLiteral("Построить"));
  N6->setShortcut(QKeySequence(Qt::Key_F5));
  N7 = N1->addAction(QStringLiteral("Стереть"));
  N7->setShortcut(QKeySequence(Qt::Key_F6));
  N13 = N1->addAction(QStringLiteral("Оставить на графике"));
  N13->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));
  N14 = N1->addAction(QStringLiteral("Параметрическая кривая…"));
  N14->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
  N15 = N1->addAction(QStringLiteral("Кривая в полярных координатах…"));
  N15->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
  N16 = N1->addAction(QStringLiteral("Одинаковый масштаб осей"));
  N16->setCheckable(true);
  N1->addSeparator();
  N8 = N1->addMenu(QStringLiteral("Експортировать"));
  Word1 = N8->addAction(QStringLiteral("В Word"));
  Word1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
  BMP1 = N8->addAction(QStringLiteral("В файл BMP"));
  BMP1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
  N11 = N8->addAction(QStringLiteral("В буфер"));
  N11->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  N12 = N1->addAction(QStringLiteral("Печать"));
  N12->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  N2 = MainMenu1->addAction(QStringLiteral("Закрыть"));
  N2->setShortcut(QKeySequence(Qt::Key_F10));

  // The formula.
  GroupBox1 = new QGroupBox(QStringLiteral("Формула"), this);
  Label1 = new QLabel(QStringLiteral("F(X)="), GroupBox1);
  Edit1 = new QLineEdit(GroupBox1);
  SetTextColour(Edit1, QPalette::Text, QColor(0x80, 0x00, 0x00));
  QFont bold = Edit1->font();
  bold.setBold(true);
  Edit1->setFont(bold);
  FormulaMenu = new TFormulaMenu(Edit1, TFormulaMenu::TTemplates::PlotWindow);
  auto* formulaRow = new QHBoxLayout(GroupBox1);
  formulaRow->addWidget(Label1);
  formulaRow->addWidget(Edit1, 1);

  // The range and the button.
  GroupBox2 = new QGroupBox(QStringLiteral("Диапазон графика (по х)"), this);
  Label2 = GreenLabel(QStringLiteral("от"), GroupBox2);
  Edit2 = NumberField(QStringLiteral("min=1 000 000"), GroupBox2);
  Label3 = GreenLabel(QStringLiteral("до"), GroupBox2);
  Edit3 = NumberField(QStringLiteral("max=1 000 000"), GroupBox2);
  Label4 = GreenLabel(QStringLiteral("dX"), GroupBox2);
  Edit4 = NumberField(QString(), GroupBox2);
  auto* rangeRow = new QHBoxLayout(GroupBox2);
  const std::pair<QLabel*, QLineEdit*> pairs[] = {{Label2, Edit2}, {Label3, Edit3}, {Label4, Edit4}};
  for (auto [label, field] : pairs) {
    rangeRow->addWidget(label);
    rangeRow->addWidget(field);
    rangeRow->addSpacing(12);
  }
  rangeRow->addStretch(1);

  Button1 = new QPushButton(QStringLiteral("Построить график"), this);
  Button1->setAutoDefault(false);
  Button1->setMinimumSize(170, 36);

  // The chart.
  GroupBox3 = new QGroupBox(QStringLiteral("2D график"), this);
  Chart1 = new TLineChart(GroupBox3);
  auto* chartBox = new QVBoxLayout(GroupBox3);
  chartBox->setContentsMargins(4, 4, 4, 4);
  chartBox->addWidget(Chart1);

  Label5 = MakeFooterLabel(this);

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(MainMenu1);
  layout->setContentsMargins(8, 6, 8, 6);
  layout->addWidget(GroupBox1);
  auto* rangeLine = new QHBoxLayout;
  rangeLine->addWidget(GroupBox2, 1);
  rangeLine->addSpacing(8);
  rangeLine->addWidget(Button1, 0, Qt::AlignVCenter);
  layout->addLayout(rangeLine);
  layout->addWidget(GroupBox3, 1);
  layout->addWidget(Label5);
  // The client area below the menu bar is 647 by 670 and does not change.
  setFixedSize(647, 670 + MainMenu1->sizeHint().height());
  FormActivate();  // the initial texts, before any handler listens

  // Handlers.
  connect(N6, &QAction::triggered, this, Guarded([this] { N6Click(); }));
  connect(N7, &QAction::triggered, this, Guarded([this] { N7Click(); }));
  connect(N13, &QAction::triggered, this, Guarded([this] { N13Click(); }));
  connect(N14, &QAction::triggered, this, Guarded([this] { N14Click(); }));
  connect(N15, &QAction::triggered, this, Guarded([this] { N15Click(); }));
  connect(N16, &QAction::triggered, this, Guarded([this] { N16Click(); }));
  // The window's own keys reach its menu from the fields too: a line field
  // would take Ctrl+K as its own (deleting to the end of the line).
  auto* keys = new TWindowKeysFirst(this, {QKeyCombination(Qt::ControlModifier, Qt::Key_K),
                                           QKeyCombination(Qt::ControlModifier, Qt::Key_T),
                                           QKeyCombination(Qt::ControlModifier, Qt::Key_R)});
  for (QLineEdit* field : {Edit1, Edit2, Edit3, Edit4}) field->installEventFilter(keys);
  connect(Word1, &QAction::triggered, this, Guarded([this] { Word1Click(); }));
  connect(BMP1, &QAction::triggered, this, Guarded([this] { BMP1Click(); }));
  connect(N11, &QAction::triggered, this, Guarded([this] { N11Click(); }));
  connect(N12, &QAction::triggered, this, Guarded([this] { N12Click(); }));
  connect(N2, &QAction::triggered, this, Guarded([this] { N2Click(); }));
  connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
  connect(Edit1, &QLineEdit::textChanged, this, Guarded([this] { Edit1Change(); }));
  RangeCheck = new TRangeCheck(this);
  RangeCheck->Watch(Edit2, [this] { Edit2Change(); }, [this] { Edit2Exit(); });
  RangeCheck->Watch(Edit3, [this] { Edit3Change(); }, [this] { Edit3Exit(); });
  connect(Label5, &TClickLabel::clicked, this, Guarded([this] { Label5Click(); }));
}

TForm7::~TForm7() = default;

void TForm7::showEvent(QShowEvent* event) {
  // Every opening starts from the defaults; coming back from a message box or
  // another program is no opening and keeps what the user typed.
  if (!event->spontaneous()) {
    CentreOnScreen(this);
    FormActivate();
    Chart1->RestoreView();  // a curve kept from before, as it was built
  }
  QWidget::showEvent(event);
}

void TForm7::FormActivate() {
  Edit1->setText(QStringLiteral("sin(x)"));
  Edit2->setText(QStringLiteral("-200"));
  Edit3->setText(QStringLiteral("200"));
  Edit4->setText(QStringLiteral("1"));
}

void TForm7::Button1Click() {
  TPlotRange range;
  if (!ReadRange(Edit2, Edit3, Edit4, range))
    return;
  // The kept curves and the new one together; the current curve goes.
  if (Chart1->TotalPointCount() - Chart1->PointCount(0) + range.Count > MaxChartPoints) {
    RefuseBuild(Edit4, TooManyOnChart);
    return;
  }
  if (!TChartPoints::Fits(range.Count)) {
    RefuseBuild(Edit4, NotEnoughMemory(range.Count));
    return;
  }
  if (Edit1->text().isEmpty()) {
    RefuseBuild(Edit1, NoFormula);
    return;
  }
  const long double start = range.Start, end = range.End, step = range.Step;

  const std::u16string text = U16(Edit1->text());
  PlotFormula = std::make_unique<TFormula>(text, -1, 1);
  // A syntax error is shown by the parser; the sampling runs all the same.
  PlotFormula->Parse(text);
  // The old curve goes before the new one is made: never two in memory.
  Chart1->Clear();

  TChartPoints points(range.Count);
  const auto show = [&] {
    Chart1->SetPoints(std::move(points));
    Chart1->SetSource({TCurveKind::Function, text, std::u16string(), start, end, step});
    Chart1->Redraw();
  };
  try {
    SamplePlot(*PlotFormula, text, range, points);
  } catch (...) {
    // An arithmetic fault ends the build; the points made so far stay.
    show();
    throw;
  }
  show();
}

void TForm7::N6Click() { Button1Click(); }

// Every curve goes, the kept ones too.
void TForm7::N7Click() { Chart1->RemoveCurves(); }

void TForm7::N13Click() {
  if (Chart1->PointCount(0) == 0) {
    RefuseBuild(Edit1, NothingToKeep);
    return;
  }
  Chart1->KeepCurve();
}

void TForm7::N14Click() {
  if (!ParametricDialog) ParametricDialog = new TParametricDialog(this);
  if (ParametricDialog->exec() == QDialog::Accepted) AddDialogCurve(*ParametricDialog);
}

void TForm7::N15Click() {
  if (!PolarDialog) PolarDialog = new TPolarDialog(this);
  if (PolarDialog->exec() == QDialog::Accepted) AddDialogCurve(*PolarDialog);
}

void TForm7::N16Click() { Chart1->SetEqualScale(N16->isChecked()); }

void TForm7::AddDialogCurve(TCurveDialog& dialog) {
  const TPlotRange& range = dialog.Range();
  const QString refusal = Chart1->TotalPointCount() + range.Count > MaxChartPoints ? TooManyOnChart
                          : !TChartPoints::Fits(range.Count)                         ? NotEnoughMemory(range.Count)
                                                                                     : QString();
  if (!refusal.isEmpty()) {
    Platform().Error(refusal);
    Platform().Beep();
    return;
  }
  std::vector<std::unique_ptr<TParameterFormula>> formulas = dialog.TakeFormulas();
  const TCurveSource source = dialog.Source();
  TChartPoints points(range.Count);
  const bool done = RunLongWork(this, [&](TWorkControl& control) {
    if (source.Kind == TCurveKind::Parametric)
      SampleParametric(*formulas[0], *formulas[1], range, points, &control);
    else
      SamplePolar(*formulas[0], range, points, &control);
  });
  if (!done) return;
  Chart1->AddCurve(source, std::move(points));
  Chart1->Redraw();
}

// Every export renders the chart as it is on screen, an empty chart included.
// The report names every curve's formulas; with the current curve alone, the
// formula as the field holds it.
void TForm7::Word1Click() {
  QStringList formulas;
  if (Chart1->CurveCount() == 1 || Chart1->PointCount(0) > 0) formulas << QStringLiteral("F(X) = ") + Edit1->text();
  for (int curve = 1; curve < Chart1->CurveCount(); ++curve) formulas << Chart1->CurveName(curve);
  MakePlotReport(formulas, [this] { return Chart1->Render(); });
}
void TForm7::BMP1Click() { SavePictureAsBmp(TPlotKind::Plot2D, [this] { return Chart1->Render(); }); }
void TForm7::N11Click() { CopyPictureToClipboard(Chart1->Render()); }
void TForm7::N12Click() { PrintPicture(TPlotKind::Plot2D, [this] { return Chart1->Render(); }); }

void TForm7::N2Click() {
  Chart1->RemoveCurves();
  close();
}

void TForm7::Edit1Change() { Chart1->Clear(); }

long double TForm7::CheckRangeEdit(QLineEdit* field) { return RangeCheck->Check(field); }

void TForm7::Edit2Change() { CheckRangeEdit(Edit2); }
void TForm7::Edit2Exit() { CheckRangeEdit(Edit2); }
void TForm7::Edit3Change() { CheckRangeEdit(Edit3); }
void TForm7::Edit3Exit() { CheckRangeEdit(Edit3); }

void TForm7::Label5Click() { OpenWebPage(QString::fromLatin1(MakerWebAddress)); }
