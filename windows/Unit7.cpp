// The plane plot window "Построение плоских графиков".
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

// Refuses a build that would never end or would make more points than the
// chart can take; worded like the window's other messages. No-break spaces
// keep the number on one line.
const QString TooManyPoints =
    QStringLiteral("Слишком мелкий шаг расчета: в графике будет больше 10\u00A0000\u00A0000 точек!");

// A build whose points would not fit in the memory, before any is made.
QString NotEnoughMemory(int64_t points) {
  return QStringLiteral("Недостаточно памяти для графика из %1 точек: увеличьте шаг расчета!")
      .arg(QLocale(QLocale::Russian, QLocale::Russia).toString(qlonglong(points)));
}

using plotinput::EndError;
using plotinput::GreenLabel;
using plotinput::NumberField;
using plotinput::NoFormula;
using plotinput::ReadNumber;
using plotinput::RefuseBuild;
using plotinput::StartError;

const QString StepError = QStringLiteral("Неправильная запись шага расчета!");
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
  long double start = 0, end = 0, step = 0;
  if (!ReadNumber(Edit2, StartError, start) ||
      !ReadNumber(Edit3, EndError, end) ||
      !ReadNumber(Edit4, StepError, step))
    return;
  // A step that is not above 0 never reaches the end; one too small for the
  // range would make more points than the chart can take.
  if (!(step > 0)) {
    RefuseBuild(Edit4, StepError);
    return;
  }
  const TPlotRange range = MeasurePlotRange(start, end, step, MaxPlotPoints);
  if (range.Count > MaxPlotPoints) {
    RefuseBuild(Edit4, TooManyPoints);
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

void TForm7::N7Click() { Chart1->Clear(); }

// Every export renders the chart as it is on screen, an empty chart included.
void TForm7::Word1Click() { MakePlotReport(TPlotKind::Plot2D, Edit1->text(), [this] { return Chart1->Render(); }); }
void TForm7::BMP1Click() { SavePictureAsBmp(TPlotKind::Plot2D, [this] { return Chart1->Render(); }); }
void TForm7::N11Click() { CopyPictureToClipboard(Chart1->Render()); }
void TForm7::N12Click() { PrintPicture(TPlotKind::Plot2D, [this] { return Chart1->Render(); }); }

void TForm7::N2Click() {
  Chart1->Clear();
  close();
}

void TForm7::Edit1Change() { Chart1->Clear(); }

long double TForm7::CheckRangeEdit(QLineEdit* field) { return RangeCheck->Check(field); }

void TForm7::Edit2Change() { CheckRangeEdit(Edit2); }
void TForm7::Edit2Exit() { CheckRangeEdit(Edit2); }
void TForm7::Edit3Change() { CheckRangeEdit(Edit3); }
void TForm7::Edit3Exit() { CheckRangeEdit(Edit3); }

void TForm7::Label5Click() { OpenWebPage(QString::fromLatin1(MakerWebAddress)); }
