// The plane plot window "Построение плоских графиков".
#include "windows/Unit7.h"

#include "platform/Application.h"
#include "platform/LongWork.h"
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
#include "windows/AnalysisResults.h"
#include "windows/ValueTable.h"
#include "platform/LongWork.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QHideEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

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

using plotinput::ReadNumber;
using plotinput::StepError;
const QString NoCurve = QStringLiteral("Сначала постройте график!");
const QString NoSecondCurve = QStringLiteral("Для поиска пересечений нужен второй график!");
const QString XError = QStringLiteral("Неправильная запись значения X!");

// The mark of a finding on the chart.
TLineChart::TMarkShape ShapeOf(TFindingKind kind) {
  switch (kind) {
    case TFindingKind::Root: return TLineChart::TMarkShape::Root;
    case TFindingKind::Minimum: return TLineChart::TMarkShape::Minimum;
    case TFindingKind::Maximum: return TLineChart::TMarkShape::Maximum;
    case TFindingKind::Intersection: return TLineChart::TMarkShape::Intersection;
    case TFindingKind::Break: return TLineChart::TMarkShape::Break;
    case TFindingKind::Value: break;
  }
  return TLineChart::TMarkShape::Value;
}
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
  SVG1 = N8->addAction(QStringLiteral("В файл SVG"));
  PDF1 = N8->addAction(QStringLiteral("В файл PDF"));
  N11 = N8->addAction(QStringLiteral("В буфер"));
  N11->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  N12 = N1->addAction(QStringLiteral("Печать"));
  N12->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  Analysis1 = MainMenu1->addMenu(QStringLiteral("Анализ"));
  Roots1 = Analysis1->addAction(QStringLiteral("Корни"));
  Roots1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_1));
  Extrema1 = Analysis1->addAction(QStringLiteral("Экстремумы"));
  Extrema1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_2));
  Crossings1 = Analysis1->addAction(QStringLiteral("Пересечения графиков"));
  Crossings1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_3));
  PointValue1 = Analysis1->addAction(QStringLiteral("Значение в точке…"));
  PointValue1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_4));
  ValueTable1 = Analysis1->addAction(QStringLiteral("Таблица значений…"));
  ValueTable1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_5));
  Analysis1->addSeparator();
  MarksInExport1 = Analysis1->addAction(QStringLiteral("Показывать отметки в экспорте"));
  MarksInExport1->setCheckable(true);
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
  connect(SVG1, &QAction::triggered, this, Guarded([this] { SVG1Click(); }));
  connect(PDF1, &QAction::triggered, this, Guarded([this] { PDF1Click(); }));
  connect(N11, &QAction::triggered, this, Guarded([this] { N11Click(); }));
  connect(N12, &QAction::triggered, this, Guarded([this] { N12Click(); }));
  connect(N2, &QAction::triggered, this, Guarded([this] { N2Click(); }));
  connect(Roots1, &QAction::triggered, this, Guarded([this] { Roots1Click(); }));
  connect(Extrema1, &QAction::triggered, this, Guarded([this] { Extrema1Click(); }));
  connect(Crossings1, &QAction::triggered, this, Guarded([this] { Crossings1Click(); }));
  connect(PointValue1, &QAction::triggered, this, Guarded([this] { PointValue1Click(); }));
  connect(ValueTable1, &QAction::triggered, this, Guarded([this] { ValueTable1Click(); }));
  connect(MarksInExport1, &QAction::triggered, this, Guarded([this] { MarksInExport1Click(); }));
  // The findings belong to the curve: a new build, "Стереть" and an edit of
  // the formula take them away with it.
  connect(Chart1, &TLineChart::PointsChanged, this, [this] { ForgetAnalysis(); });
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

void TForm7::hideEvent(QHideEvent* event) {
  // The analysis windows go with the plot window.
  if (!event->spontaneous()) {
    if (AnalysisResults) AnalysisResults->hide();
    if (ValueTable) ValueTable->hide();
  }
  QWidget::hideEvent(event);
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
  auto formula = std::make_unique<TFormula>(text, -1, 1);
  // A syntax error is shown by the parser; the sampling runs all the same.
  formula->Parse(text);

  // The points go into storage of their own; the chart and the formula of
  // the last build stay as they are until the new curve is whole, so that
  // "Прервать" changes nothing.
  std::optional<TChartPoints> points;
  const auto show = [&] {
    PlotFormula = std::move(formula);
    Chart1->SetPoints(std::move(*points));
    Chart1->SetSource({TCurveKind::Function, text, std::u16string(), start, end, step});
    Chart1->Redraw();
  };
  try {
    if (!RunLongWork(this, [&](TWorkControl& control) {
          points.emplace(range.Count);
          SamplePlot(*formula, text, range, *points, 2, &control);
        }))
      return;
  } catch (...) {
    // An arithmetic fault ends the build; the points made so far are shown.
    if (points) show();
    throw;
  }
  show();
}

void TForm7::N6Click() { Button1Click(); }

// Every curve goes, the kept ones too.
void TForm7::N7Click() { Chart1->RemoveCurves(); }

void TForm7::N13Click() {
  if (Chart1->PointCount(0) == 0) {
    RefuseBuild(Edit1, NoCurve);
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
TPictureSource TForm7::Picture() const {
  return {Chart1->size(), [chart = Chart1](QPainter& painter, QSize size) { chart->RenderTo(painter, size); }};
}

// The report names every curve's formulas; with the current curve alone, the
// formula as the field holds it.
void TForm7::Word1Click() {
  QStringList formulas;
  if (Chart1->CurveCount() == 1 || Chart1->PointCount(0) > 0) formulas << QStringLiteral("F(X) = ") + Edit1->text();
  for (int curve = 1; curve < Chart1->CurveCount(); ++curve) formulas << Chart1->CurveName(curve);
  MakePlotReport(formulas, Picture());
}
void TForm7::BMP1Click() { SavePictureAsBmp(TPlotKind::Plot2D, Picture()); }
void TForm7::SVG1Click() { SavePictureAsSvg(TPlotKind::Plot2D, Picture(), this); }
void TForm7::PDF1Click() { SavePictureAsPdf(TPlotKind::Plot2D, Picture(), this); }
void TForm7::N11Click() { CopyPictureToClipboard(Picture()); }
void TForm7::N12Click() { PrintPicture(TPlotKind::Plot2D, Picture()); }

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

void TForm7::PlaceBeside(QWidget* window) {
  // Beside the plot window, where it hides the least of the chart: on the
  // side with more room, against the screen's edge when it does not fit.
  const QRect frame = frameGeometry();
  const QRect screen = this->screen()->availableGeometry();
  const int width = window->frameGeometry().width();
  const int roomRight = screen.right() - frame.right(), roomLeft = frame.left() - screen.left();
  const int left = roomRight >= roomLeft ? std::min(frame.right() + 1, screen.right() + 1 - width)
                                         : std::max(frame.left() - width, screen.left());
  window->move(left, std::max(screen.top(), frame.top()));
}

bool TForm7::HasCurve() {
  const TCurveSource* source = Chart1->CurveSource(0);
  if (PlotFormula && source && source->Kind == TCurveKind::Function && Chart1->PointCount(0) > 0) return true;
  Platform().Error(NoCurve);
  Platform().Beep();
  return false;
}

TAnalysisCurve TForm7::CurrentCurve() const { return {PlotFormula.get(), Chart1->CurveSource(0)->First, 2}; }

TAnalysisGrid TForm7::CurrentGrid() const {
  // The points the build made: all of its range, or those before a fault.
  const TCurveSource& source = *Chart1->CurveSource(0);
  return {source.Start, source.Step, Chart1->PointCount(0)};
}

TAnalysisDialog* TForm7::Results() {
  if (!AnalysisResults) {
    AnalysisResults = new TAnalysisDialog(this);
    connect(AnalysisResults, &TAnalysisDialog::PointChosen, this, [this](double x) { Chart1->ShowReadoutAt(x); });
    connect(AnalysisResults, &TAnalysisDialog::ValueRequested, this, Guarded([this] { PointValueCompute(); }));
    PlaceBeside(AnalysisResults);
  }
  return AnalysisResults;
}

void TForm7::ForgetAnalysis() {
  if (AnalysisResults) AnalysisResults->Clear();
}

void TForm7::ShowFindings(const QString& heading, const TAnalysisResult& result, const QString& none,
                          const std::vector<QString>& kinds, const QString& remark) {
  QString note = result.More               ? QStringLiteral("Показаны первые 10\u00A0000; на графике их больше.")
                 : result.Findings.empty() ? none
                                           : QStringLiteral("Найдено: %1.").arg(result.Findings.size());
  if (!remark.isEmpty()) note += QLatin1Char(' ') + remark;

  std::vector<TLineChart::TMark> marks;
  marks.reserve(result.Findings.size());
  const TLineChart::TView view = Chart1->View();
  for (const TFinding& f : result.Findings) {
    const double x = static_cast<double>(f.X);
    double y = static_cast<double>(f.Y);
    // A break has no value of its own: its mark sits on the curve as drawn,
    // or on the line F(X) = 0 where the curve has a gap.
    if (std::isnan(y)) {
      const int64_t i = Chart1->NearestPoint(x);
      y = i >= 0 ? Chart1->PointY(i) : 0;
      if (std::isnan(y)) y = std::clamp(0.0, view.YLower, view.YUpper);
    }
    marks.push_back({x, y, ShapeOf(f.Kind)});
  }
  Results()->SetFindings(heading, result.Findings, note, kinds);
  Chart1->SetMarks(marks);
  Results()->show();
  Results()->raise();
}

void TForm7::Analyse(bool extrema) {
  if (!HasCurve()) return;
  const TAnalysisCurve curve = CurrentCurve();
  const TAnalysisGrid grid = CurrentGrid();
  TAnalysisResult result;
  const bool done = RunLongWork(this, [&](TWorkControl& control) {
    const TAnalysisControl c = ControlOf(control, 0, 1);
    result = extrema ? FindExtrema(curve, grid, c) : FindRoots(curve, grid, c);
  });
  if (!done || result.Stopped) return;  // stopped: everything as it was
  const QString formula = QStringLiteral(" F(X) = ") + QString::fromStdU16String(curve.Text);
  if (extrema)
    ShowFindings(QStringLiteral("Экстремумы") + formula, result, QStringLiteral("Экстремумов на графике нет."));
  else
    ShowFindings(QStringLiteral("Корни") + formula, result, QStringLiteral("Корней на графике нет."));
}

TAnalysisControl TForm7::ControlOf(TWorkControl& control, int part, int parts) {
  TAnalysisControl c;
  c.Stopped = [&control] { return control.Stopped(); };
  c.Progress = [&control, part, parts](double fraction) { control.SetProgress((part + fraction) / parts); };
  return c;
}

void TForm7::Roots1Click() { Analyse(false); }
void TForm7::Extrema1Click() { Analyse(true); }

void TForm7::Crossings1Click() {
  if (!HasCurve()) return;
  // The current curve meets the kept curves of X; a parametric or polar
  // curve is no function of X and is left out.
  std::vector<int> others;
  bool leftOut = false;
  for (int c = 1; c < Chart1->CurveCount(); ++c) {
    if (Chart1->CurveKind(c) == TCurveKind::Function && Chart1->CurveSource(c))
      others.push_back(c);
    else
      leftOut = true;
  }
  const QString remark =
      leftOut ? QStringLiteral("Параметрические и полярные кривые не рассматриваются.") : QString();
  if (others.empty()) {
    Platform().Error(leftOut ? NoSecondCurve + QLatin1Char(' ') + remark : NoSecondCurve);
    Platform().Beep();
    return;
  }

  const TAnalysisCurve curve = CurrentCurve();
  const TAnalysisGrid grid = CurrentGrid();
  // Each kept curve's formula is compiled anew by the work: its build showed
  // its messages.
  std::vector<TAnalysisCurve> kept;
  for (int c : others) kept.push_back({nullptr, Chart1->CurveSource(c)->First, 2});
  std::vector<TAnalysisResult> results(others.size());
  const bool done = RunLongWork(this, [&](TWorkControl& control) {
    for (size_t k = 0; k < kept.size() && !control.Stopped(); ++k)
      results[k] = FindIntersections(curve, kept[k], grid, ControlOf(control, static_cast<int>(k), static_cast<int>(kept.size())));
  });
  if (!done) return;

  // All of them by X, each named by the curve it meets when there are several.
  struct TMeeting {
    TFinding Finding;
    int Curve;
  };
  std::vector<TMeeting> meetings;
  TAnalysisResult all;
  for (size_t k = 0; k < others.size(); ++k) {
    if (results[k].Stopped) return;
    all.More = all.More || results[k].More;
    for (const TFinding& f : results[k].Findings) meetings.push_back({f, others[k]});
  }
  std::stable_sort(meetings.begin(), meetings.end(),
                   [](const TMeeting& a, const TMeeting& b) { return a.Finding.X < b.Finding.X; });
  if (meetings.size() > MaxFindings) {
    meetings.resize(MaxFindings);
    all.More = true;
  }
  std::vector<QString> kinds;
  for (const TMeeting& m : meetings) {
    all.Findings.push_back(m.Finding);
    if (others.size() > 1)
      kinds.push_back(TAnalysisDialog::KindText(m.Finding.Kind) + QStringLiteral(" с ") +
                      Chart1->CurveName(m.Curve));
  }
  ShowFindings(QStringLiteral("Пересечения графиков: F(X) = ") + QString::fromStdU16String(curve.Text), all,
               QStringLiteral("Пересечений на графике нет."), kinds, remark);
}

void TForm7::PointValue1Click() {
  if (!HasCurve()) return;
  TAnalysisDialog* results = Results();
  results->show();
  results->raise();
  results->activateWindow();
  results->Edit1->setFocus();
  results->Edit1->selectAll();
}

void TForm7::PointValueCompute() {
  if (!HasCurve()) return;
  long double x = 0;
  if (!ReadNumber(Results()->Edit1, XError, x)) return;
  // The engine shows its own message where F has no value.
  const TFinding value = ValueAt(CurrentCurve().Text, x, 2);
  Results()->AddFinding(value);
  if (!std::isnan(value.Y))
    Chart1->AddMark({static_cast<double>(value.X), static_cast<double>(value.Y), TLineChart::TMarkShape::Value});
}

void TForm7::ValueTable1Click() {
  if (!HasCurve()) return;
  if (!ValueTable) {
    ValueTable = new TValueTableDialog(Chart1, this);
    PlaceBeside(ValueTable);
  }
  ValueTable->show();
  ValueTable->raise();
}

void TForm7::MarksInExport1Click() { Chart1->SetMarksInExport(MarksInExport1->isChecked()); }
