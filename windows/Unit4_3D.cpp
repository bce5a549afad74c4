// The 3D plot window "Построение 3D графиков".
#include "windows/Unit4_3D.h"

#include "platform/Application.h"
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Colors.h"
#include "platform/Files.h"
#include "windows/FormTools.h"
#include "graph3d/Graph3D.h"
#include "export/MeshExport.h"
#include "export/PictureExport.h"
#include "platform/Platform.h"
#include "export/Report.h"
#include "platform/LongWork.h"
#include "windows/SurfaceDialog.h"
#include "windows/WebPage.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShowEvent>
#include <QSpinBox>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// The window's own texts.
namespace texts {
const QString Title = QStringLiteral("Построение 3D графиков");
const QString SettingsBox = QStringLiteral("Пареметры задания графика");
const QString LabelX = QStringLiteral("число образующих линий вдоль оси X");
const QString LabelY = QStringLiteral("число образующих линий вдоль оси Y");
const QString Refresh = QStringLiteral("Обновить");
const QString ViewBox = QStringLiteral("Установки графика");
const QString WaterLabel = QStringLiteral("Высота уровня");
const QString PercentLabel = QStringLiteral("Процент видимости");
const QString ViewPercentLabel = QStringLiteral("View-%");
const QString Graph = QStringLiteral("График");
const QString New = QStringLiteral("Создать");
const QString Open = QStringLiteral("Открыть");
const QString Save = QStringLiteral("Сохранить");
const QString Export = QStringLiteral("Експортировать");
const QString ToWord = QStringLiteral("В Word");
const QString ToBmp = QStringLiteral("В файл BMP");
const QString ToSvg = QStringLiteral("В файл SVG");
const QString ToPdf = QStringLiteral("В файл PDF");
const QString ToClipboard = QStringLiteral("В буфер");
const QString Centre = QStringLiteral("Центрировать");
const QString Hide = QStringLiteral("Спрятать");
const QString Show = QStringLiteral("Показать");
const QString Print = QStringLiteral("Печать");
const QString Picture = QStringLiteral("Изображение графика");
const QString ReadSettings = QStringLiteral("Считать установки");
const QString OldSettings = QStringLiteral("Установки старые");
const QString UserColours = QStringLiteral("Пользовательские цвета");
const QString HiddenLines = QStringLiteral("Скрытые линии");
const QString Axes = QStringLiteral("Ниличие осей");
const QString Incremental = QStringLiteral("Степень изображения");
const QString Level = QStringLiteral("Уровень");
const QString LevelNone = QStringLiteral("Нет");
const QString LevelBelow = QStringLiteral("График ниже");
const QString LevelAbove = QStringLiteral("График выше");
const QString Manipulation = QStringLiteral("Манипуляция графиком");
const QString MouseNone = QStringLiteral("Нельзя");
const QString MouseMove = QStringLiteral("Перемещение");
const QString MouseRotate = QStringLiteral("Вращение");
const QString MouseZoom = QStringLiteral("Масштабирование");
const QString Colour = QStringLiteral("Цвет");
const QString Background = QStringLiteral("Фона");
const QString WholeGraph = QStringLiteral("Всего графика");
const QString Parts = QStringLiteral("Его частей");
const QString Part0 = QStringLiteral("часть 0");
const QString AxesColour = QStringLiteral("Осей");
const QString View = QStringLiteral("Вид");
const QString SettingsPanel = QStringLiteral("Панель задания");
const QString ViewPanel = QStringLiteral("Панель установок");
const QString Close = QStringLiteral("Закрыть");
const QString FileFilter = QStringLiteral("Формат 3D графиков (*.3dgr)|*.3dgr");
const QString TooFewLines = QStringLiteral("Число образующих не может быть меньше 2");
const QString AfterScrolling = QStringLiteral("После перемещения");
const QString AfterDrawing = QStringLiteral("После рисования");
const QString Scrolling = QStringLiteral("Перемещение линии");
const QString SaveTitle = QStringLiteral("Сохранение графиков");
const QString Extension = QStringLiteral(".3dgr");
const QString OpenTitle = QStringLiteral("Открыть график");
const QString FormulaSurface = QStringLiteral("Поверхность по формуле…");
const QString MissingPoints = QStringLiteral(" (точек без значения: %1)");
const QString Shaded = QStringLiteral("Закрашенная поверхность");
const QString Scale = QStringLiteral("Шкала значений");
const QString ContourMap = QStringLiteral("Карта изолиний");
const QString ToStl = QStringLiteral("В файл STL");
const QString ToObj = QStringLiteral("В файл OBJ");
const QString BuiltinSurface = QStringLiteral("встроенная поверхность, %1 × %2 точек");
const QString NoSurfaceGrid = QStringLiteral("Сетка %1 × %2 не задает поверхности!");
const QString GridTooLarge = QStringLiteral("Сетка %1 × %2 слишком велика для памяти компьютера!");
const QString BadPeak = QStringLiteral("Высота вершины поверхности не годится для построения графика!");
}  // namespace texts

constexpr int kClientWidth = 523;
constexpr int kClientHeight = 491;
constexpr int kMinGrid = 2;
constexpr int kMaxGrid = 3000;
constexpr TColor kDefaultSurfaceColor = 0xFF0000;  // blue
constexpr TColor kDefaultAxisColor = 0x0080FF;     // orange

// The surface's peak constant: integer squares, the product in extended precision.
long double PeakFor(int32_t pointTotal, int32_t lineTotal) {
  const int64_t x = pointTotal / 2, y = lineTotal / 2;
  return static_cast<long double>(x * x + y * y) * 1.1L;
}

void MakeBold(QWidget* widget) {
  QFont font = widget->font();
  font.setBold(true);
  widget->setFont(font);
}

QSpinBox* MakeSpin(QWidget* parent, int minimum, int maximum, int value) {
  auto* spin = new QSpinBox(parent);
  // Ctrl+Insert is the window's "В буфер"; a spin field would otherwise claim
  // it as its own copy key and the picture would never reach the clipboard.
  spin->installEventFilter(new TWindowKeysFirst(spin, {QKeyCombination(Qt::ControlModifier, Qt::Key_Insert)}));
  spin->setRange(minimum, maximum);
  spin->setValue(value);
  // A typed value out of range becomes the nearest one in range when the field is left.
  spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  spin->setMinimumWidth(70);
  return spin;
}

// The band percentage that the part colours and "часть k" use.
float PartPercentage(int index) { return static_cast<float>(10 * index + 5); }

}  // namespace

TForm4_3D::TForm4_3D(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(texts::Title);

  // ---- menu
  MainMenu1 = new QMenuBar(this);
  auto item = [](QMenu* menu, const QString& text, QKeySequence shortcut = {}, bool checkable = false) {
    QAction* action = menu->addAction(text);
    action->setShortcut(shortcut);
    action->setCheckable(checkable);
    return action;
  };
  N1 = MainMenu1->addMenu(texts::Graph);
  N3 = item(N1, texts::New, QKeySequence(Qt::CTRL | Qt::Key_N));
  N4 = item(N1, texts::Open, QKeySequence(Qt::CTRL | Qt::Key_O));
  N5 = item(N1, texts::Save, QKeySequence(Qt::CTRL | Qt::Key_S));
  N2 = N1->addMenu(texts::Export);
  Word1 = item(N2, texts::ToWord, QKeySequence(Qt::CTRL | Qt::Key_W));
  BMP1 = item(N2, texts::ToBmp, QKeySequence(Qt::CTRL | Qt::Key_B));
  SVG1 = item(N2, texts::ToSvg);
  PDF1 = item(N2, texts::ToPdf);
  N40 = item(N2, texts::ToClipboard, QKeySequence(Qt::CTRL | Qt::Key_Insert));
  STL1 = item(N2, texts::ToStl);
  OBJ1 = item(N2, texts::ToObj);
  N6 = item(N1, texts::Centre);
  N9 = item(N1, texts::Hide);
  N8 = item(N1, texts::Show);
  N32 = item(N1, texts::Print, QKeySequence(Qt::CTRL | Qt::Key_P));
  N1->addSeparator();
  N41 = item(N1, texts::FormulaSurface, QKeySequence(Qt::CTRL | Qt::Key_F));

  N7 = MainMenu1->addMenu(texts::Picture);
  N22 = item(N7, texts::ReadSettings);
  N24 = item(N7, texts::OldSettings);
  cbUseColours = item(N7, texts::UserColours, {}, true);
  cbHiddenLines = item(N7, texts::HiddenLines, {}, true);
  cbAxes = item(N7, texts::Axes, {}, true);
  cbIncScroll = item(N7, texts::Incremental, {}, true);
  N12 = N7->addMenu(texts::Level);
  N10 = item(N12, texts::LevelNone, {}, true);
  N10->setChecked(true);
  N11 = item(N12, texts::LevelBelow, {}, true);
  N13 = item(N12, texts::LevelAbove, {}, true);
  N7->addSeparator();
  cbShaded = item(N7, texts::Shaded, {}, true);
  cbScale = item(N7, texts::Scale, {}, true);

  N17 = MainMenu1->addMenu(texts::Manipulation);
  N14 = item(N17, texts::MouseNone);
  N15 = item(N17, texts::MouseMove, QKeySequence(Qt::Key_F3));
  N16 = item(N17, texts::MouseRotate, QKeySequence(Qt::Key_F4));
  N18 = item(N17, texts::MouseZoom, QKeySequence(Qt::Key_F5));

  N19 = MainMenu1->addMenu(texts::Colour);
  N20 = item(N19, texts::Background);
  cmdDcolor = item(N19, texts::WholeGraph);
  N23 = N19->addMenu(texts::Parts);
  const QString partPrefix = texts::Part0.chopped(1);
  for (int k = 0; k < 10; ++k) PartItems[k] = item(N23, partPrefix + QString::number(k));
  cmdAxescolor = item(N19, texts::AxesColour);

  N25 = MainMenu1->addMenu(texts::View);
  N21 = item(N25, texts::SettingsPanel, {}, true);
  N28 = item(N25, texts::ViewPanel, {}, true);
  N25->addSeparator();
  cbContourMap = item(N25, texts::ContourMap, {}, true);

  N38 = MainMenu1->addAction(texts::Close);
  N38->setShortcut(QKeySequence(Qt::Key_F10));

  // ---- "Пареметры задания графика": the grid size
  GroupBox1 = new QGroupBox(texts::SettingsBox, this);
  Label1 = new QLabel(texts::LabelX, GroupBox1);
  MakeBold(Label1);
  SpinEdit2 = MakeSpin(GroupBox1, kMinGrid, kMaxGrid, 4);
  Label2 = new QLabel(texts::LabelY, GroupBox1);
  MakeBold(Label2);
  SpinEdit1 = MakeSpin(GroupBox1, kMinGrid, kMaxGrid, 4);
  Button1 = new QPushButton(texts::Refresh, GroupBox1);
  Button1->setCursor(Qt::PointingHandCursor);
  Button1->setAutoDefault(false);
  // A click leaves the focus in the grid field: were the button to take it,
  // the field would correct a typed 1 to 2 before Button1Click could check
  // what was typed.
  Button1->setFocusPolicy(Qt::TabFocus);
  auto* grid = new QGridLayout(GroupBox1);
  grid->setContentsMargins(8, 2, 8, 4);
  grid->setVerticalSpacing(2);
  grid->addWidget(Label1, 0, 0);
  grid->addWidget(SpinEdit2, 0, 1);
  grid->addWidget(Label2, 1, 0);
  grid->addWidget(SpinEdit1, 1, 1);
  grid->setColumnStretch(2, 1);
  grid->addWidget(Button1, 0, 3, 2, 1, Qt::AlignVCenter);

  // ---- "Установки графика": water level and visible share
  GroupBox2 = new QGroupBox(texts::ViewBox, this);
  Label3 = new QLabel(texts::WaterLabel, GroupBox2);
  MakeBold(Label3);
  edWater = MakeSpin(GroupBox2, 0, 100, 95);
  Label4 = new QLabel(texts::PercentLabel, GroupBox2);
  MakeBold(Label4);
  Label5 = new QLabel(texts::ViewPercentLabel, GroupBox2);
  edPercent = MakeSpin(GroupBox2, 0, 100, 95);
  auto* row = new QHBoxLayout(GroupBox2);
  row->setContentsMargins(8, 2, 8, 4);
  row->addWidget(Label3);
  row->addWidget(edWater);
  row->addSpacing(16);
  row->addWidget(Label4);
  row->addStretch(1);
  row->addWidget(Label5);
  row->addWidget(edPercent);

  // ---- "График": the plot fills Panel1
  GroupBox3 = new QGroupBox(texts::Graph, this);
  Panel1 = new QFrame(GroupBox3);
  Panel1->setAutoFillBackground(true);
  auto* panelLayout = new QVBoxLayout(Panel1);
  panelLayout->setContentsMargins(0, 0, 0, 0);
  auto* boxLayout = new QVBoxLayout(GroupBox3);
  boxLayout->setContentsMargins(4, 2, 4, 4);
  boxLayout->addWidget(Panel1);

  // ---- bottom panel and status bar
  Panel2 = new QFrame(this);
  Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Label7 = MakeFooterLabel(Panel2);
  QFont footerFont = Label7->font();
  footerFont.setPixelSize(16);
  Label7->setFont(footerFont);
  auto* footerLayout = new QHBoxLayout(Panel2);
  footerLayout->setContentsMargins(2, 0, 2, 0);
  footerLayout->addWidget(Label7);
  footerLayout->addStretch(1);
  StatusBar1 = new QStatusBar(this);

  auto fixHeight = [](QWidget* widget, int height) {
    widget->setFixedHeight(std::max(height, widget->sizeHint().height()));
  };
  fixHeight(GroupBox1, 65);
  fixHeight(GroupBox2, 48);
  fixHeight(Panel2, 30);
  fixHeight(StatusBar1, 19);

  auto* layout = new QVBoxLayout(this);
  layout->setMenuBar(MainMenu1);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(GroupBox1);
  layout->addWidget(GroupBox2);
  layout->addWidget(GroupBox3, 1);
  layout->addWidget(Panel2);
  layout->addWidget(StatusBar1);
  // Wider only where this font needs it to show every menu ("Закрыть" last)
  // and the whole footer.
  resize(std::max({kClientWidth, MainMenu1->sizeHint().width(), minimumSizeHint().width()}),
         kClientHeight + MainMenu1->sizeHint().height());

  // ---- handlers
  auto on = [this](QAction* action, void (TForm4_3D::*handler)()) {
    connect(action, &QAction::triggered, this, Guarded([this, action, handler] {
              // A click has already toggled a checkable item; its handler
              // toggles it itself, as it does when it is called directly.
              if (action->isCheckable()) action->setChecked(!action->isChecked());
              (this->*handler)();
            }));
  };
  on(N3, &TForm4_3D::N3Click);
  on(N4, &TForm4_3D::N4Click);
  on(N5, &TForm4_3D::N5Click);
  on(Word1, &TForm4_3D::Word1Click);
  on(BMP1, &TForm4_3D::BMP1Click);
  on(SVG1, &TForm4_3D::SVG1Click);
  on(PDF1, &TForm4_3D::PDF1Click);
  on(N40, &TForm4_3D::N40Click);
  on(N6, &TForm4_3D::N6Click);
  on(N9, &TForm4_3D::N9Click);
  on(N32, &TForm4_3D::N32Click);
  on(N41, &TForm4_3D::N41Click);
  on(N22, &TForm4_3D::N22Click);
  on(N24, &TForm4_3D::N24Click);
  on(cbUseColours, &TForm4_3D::cbUseColoursClick);
  on(cbHiddenLines, &TForm4_3D::cbHiddenLinesClick);
  on(cbAxes, &TForm4_3D::cbAxesClick);
  on(cbIncScroll, &TForm4_3D::cbIncScrollClick);
  on(cbShaded, &TForm4_3D::cbShadedClick);
  on(cbScale, &TForm4_3D::cbScaleClick);
  on(cbContourMap, &TForm4_3D::cbContourMapClick);
  on(STL1, &TForm4_3D::STL1Click);
  on(OBJ1, &TForm4_3D::OBJ1Click);
  on(N10, &TForm4_3D::N10Click);
  on(N11, &TForm4_3D::N11Click);
  on(N13, &TForm4_3D::N13Click);
  on(N14, &TForm4_3D::N14Click);
  on(N15, &TForm4_3D::N15Click);
  on(N16, &TForm4_3D::N16Click);
  on(N18, &TForm4_3D::N18Click);
  on(N20, &TForm4_3D::N20Click);
  on(cmdDcolor, &TForm4_3D::cmdDcolorClick);
  static constexpr void (TForm4_3D::*kPartHandlers[10])() = {
      &TForm4_3D::p0Click, &TForm4_3D::p1Click, &TForm4_3D::N27Click, &TForm4_3D::p3Click, &TForm4_3D::p4Click,
      &TForm4_3D::p5Click, &TForm4_3D::p6Click, &TForm4_3D::p7Click, &TForm4_3D::p8Click, &TForm4_3D::p9Click};
  for (int k = 0; k < 10; ++k) on(PartItems[k], kPartHandlers[k]);
  on(cmdAxescolor, &TForm4_3D::cmdAxescolorClick);
  on(N21, &TForm4_3D::N21Click);
  on(N28, &TForm4_3D::N28Click);
  on(N38, &TForm4_3D::N38Click);
  connect(Button1, &QPushButton::clicked, this, Guarded([this] { Button1Click(); }));
  connect(Label7, &TClickLabel::clicked, this, Guarded([this] { Label7Click(); }));

  FormCreate();
}

TForm4_3D::~TForm4_3D() { FormDestroy(); }

void TForm4_3D::showEvent(QShowEvent* event) {
  if (!event->spontaneous()) CentreOnScreen(this);
  QWidget::showEvent(event);
}

// ------------------------------------------------------------ life cycle

void TForm4_3D::FormCreate() {
  N21->setChecked(true);
  N28->setChecked(true);
  SetDefault();
  Rebuild(PlotSettings);
}

void TForm4_3D::FormDestroy() { PlotDestroy(); }

void TForm4_3D::SetDefault() {
  SpinEdit1->setValue(4);
  SpinEdit2->setValue(4);
  SetValues(PlotSettings);
  PlotSettings.BackColor = 0;
  PlotSettings.SurfaceColor = kDefaultSurfaceColor;
  PlotSettings.AxisColor = kDefaultAxisColor;
}

void TForm4_3D::SetValues(TPlotSettings& Settings) {
  Settings.LineTotal = SpinEdit1->value();
  Settings.PointTotal = SpinEdit2->value();
  Settings.PeakHeight = PeakFor(Settings.PointTotal, Settings.LineTotal);
}

bool TForm4_3D::Rebuild(const TPlotSettings& Settings, std::unique_ptr<surface::TSurfaceFormula> Formula,
                        const surface::TSurfaceGrid& Range) {
  const int64_t lineTotal = Settings.LineTotal, pointTotal = Settings.PointTotal;
  // Grids a file may hold that make no surface; a peak that makes no number.
  if (lineTotal < 1 || pointTotal < 2) {
    Platform().Error(texts::NoSurfaceGrid.arg(lineTotal).arg(pointTotal));
    return false;
  }
  if (!Formula && !(std::fabs(Settings.PeakHeight) <= 1e30L)) {
    Platform().Error(texts::BadPeak);
    return false;
  }
  surface::TSurfaceGrid grid = Range;
  grid.LineTotal = Settings.LineTotal;
  grid.PointTotal = Settings.PointTotal;

  // The new control, not shown yet, sized as the old one it will replace.
  auto plot = std::make_unique<TGraph3D>(Panel1);
  plot->resize(Plot ? Plot->size() : Panel1->contentsRect().size());
  plot->SetDataColor(Settings.SurfaceColor);
  plot->SetAxesColor(Settings.AxisColor);
  plot->SetFlatAllowed(Formula != nullptr);
  plot->SetShaded(cbShaded->isChecked());  // shaded cells are made with the others
  std::vector<TGraphLine*> lines;
  int64_t missing = 0;
  std::u16string refusal;
  auto work = [&](TWorkControl& control) {
    std::vector<std::unique_ptr<TGraphLine>> made;
    const double sampled = Formula ? 0.9 : 0.1;  // of the whole, roughly
    control.SetProgressRange(0, sampled);
    if (Formula) {
      surface::TSurfaceSamples samples = Formula->Sample(grid, 0, &control);
      if (control.Stopped()) return;
      refusal = surface::RefusalOf(samples);
      if (!refusal.empty()) return;
      missing = samples.MissingPoints;
      made = std::move(samples.Lines);
    } else {
      made = graph3d::GenerateSurface(Settings.LineTotal, Settings.PointTotal, Settings.PeakHeight);
    }
    lines.reserve(made.size());
    for (auto& line : made) lines.push_back(plot->AddLine(std::move(line)));
    made.clear();
    control.SetProgressRange(sampled, 1);
    plot->PrepareBeforeShowing(control);
  };
  try {
    // A small built-in surface is made at once; anything else may take long.
    if (Formula || lineTotal * pointTotal >= TGraph3D::LargeBuildPoints()) {
      if (!RunLongWork(this, work)) return false;
    } else {
      TWorkControl control;
      work(control);
    }
  } catch (const EGraph3DTooLarge&) {
    Platform().Error(texts::GridTooLarge.arg(lineTotal).arg(pointTotal));
    return false;
  }
  if (!refusal.empty()) {
    Platform().Error(QString::fromStdU16String(refusal));
    return false;
  }

  PlotDestroy();
  PlotSettings = Settings;
  SurfaceFormula = Formula ? QString::fromStdU16String(Formula->Text()) : QString();
  SurfaceRange = grid;
  MissingPoints = missing;
  PlotCreate(std::move(plot), std::move(lines));
  return true;
}

void TForm4_3D::PlotCreate(std::unique_ptr<TGraph3D> NewPlot, std::vector<TGraphLine*> Lines) {
  Plot = NewPlot.release();
  Panel1->layout()->addWidget(Plot);
  Plot->show();
  SetPanelColor(PlotSettings.BackColor);
  Plot->AfterDraw = [this](TGraph3D* sender) { PlotAfterDraw(sender); };
  Plot->OnScroll = [this](TGraph3D* sender) { PlotScroll(sender); };
  Plot->OnStopScrolling = [this](TGraph3D* sender) { PlotStopScrolling(sender); };
  ApplyViewSwitches();
  N22Click();
  PlotLines = std::move(Lines);
  Plot->update();
}

void TForm4_3D::ApplyViewSwitches() {
  Plot->SetShaded(cbShaded->isChecked());
  Plot->SetShowScale(cbScale->isChecked());
  Plot->SetContourMap(cbContourMap->isChecked());
  N16->setEnabled(!cbContourMap->isChecked());  // a map is not turned
  // The axes show the formula's own X and Y, or the built-in surface's grid indices.
  if (SurfaceFormula.isEmpty()) {
    Plot->SetAxisMap(0, graph3d::BuiltinXMap(PlotSettings.PointTotal));
  } else {
    Plot->SetAxisMap(0, surface::XMap(SurfaceRange));
    Plot->SetAxisMap(1, surface::YMap(SurfaceRange));
  }
}

void TForm4_3D::PlotDestroy() {
  if (!Plot) return;
  Plot->StopScrolling();
  Plot->AfterDraw = nullptr;
  Plot->OnScroll = nullptr;
  Plot->OnStopScrolling = nullptr;
  // The lines go with the control. A line animation running in this call
  // stack notices that its control is gone and returns.
  delete Plot;
  Plot = nullptr;
  PlotLines.clear();
}

void TForm4_3D::PlotAfterDraw(TGraph3D*) {
  QString text = texts::AfterDrawing;
  if (!SurfaceFormula.isEmpty() && MissingPoints > 0) text += texts::MissingPoints.arg(MissingPoints);
  StatusBar1->showMessage(text);
}

void TForm4_3D::PlotScroll(TGraph3D* Sender) {
  StatusBar1->showMessage(texts::Scrolling + QString::number(Sender->ScrollIndex()));
}

void TForm4_3D::PlotStopScrolling(TGraph3D*) { StatusBar1->showMessage(texts::AfterScrolling); }

// ------------------------------------------------------------ grid fields

TPlotSettings TForm4_3D::SettingsFromGridFields() {
  for (QSpinBox* field : {SpinEdit1, SpinEdit2}) {
    // The field's text as typed counts, even before the field was left.
    bool number = false;
    const int typed = field->cleanText().trimmed().toInt(&number);
    if (number && typed < kMinGrid) {
      Platform().Error(texts::TooFewLines);
      field->setValue(kMinGrid);
    }
    field->interpretText();
  }
  TPlotSettings settings = PlotSettings;
  SetValues(settings);
  return settings;
}

std::unique_ptr<surface::TSurfaceFormula> TForm4_3D::ShownFormula() const {
  if (SurfaceFormula.isEmpty()) return nullptr;
  return std::make_unique<surface::TSurfaceFormula>(SurfaceFormula.toStdU16String());
}

void TForm4_3D::Button1Click() { Rebuild(SettingsFromGridFields(), ShownFormula(), SurfaceRange); }

// ------------------------------------------------------------ "График"

void TForm4_3D::N3Click() {
  if (SurfaceDialog) SurfaceDialog->SetDefaults();
  SetDefault();
  Rebuild(PlotSettings);
}

void TForm4_3D::N4Click() {
  // A cancelled, unreadable or refused file changes nothing, the grid
  // fields (which reading the file sets) included.
  const int lines = SpinEdit1->value(), points = SpinEdit2->value();
  TPlotSettings loaded = PlotSettings;
  if (!Loadvar(loaded)) return;
  bool rebuilt = false;
  struct TRestoreFields {
    TForm4_3D* Form;
    const bool& Rebuilt;
    int Lines, Points;
    ~TRestoreFields() {
      if (Rebuilt) return;
      Form->SpinEdit1->setValue(Lines);
      Form->SpinEdit2->setValue(Points);
    }
  } restore{this, rebuilt, lines, points};
  rebuilt = Rebuild(loaded);
}

void TForm4_3D::N5Click() { Savevar(PlotSettings); }

void TForm4_3D::N6Click() {
  Plot->CenterGraph();
  Plot->update();
}

void TForm4_3D::N9Click() { Plot->ClearPicture(); }

// Every export works on a new picture of the graph as it is drawn now.
TPictureSource TForm4_3D::Picture() const {
  if (!Plot) return {};
  TGraph3D* plot = Plot;
  return {plot->size(), [plot](QPainter& painter, QSize size) { plot->Render(painter, size); },
          [plot] { return plot->VectorCells(); }, [plot] { return TDetachedPicture(plot->DetachPicture()); }};
}

void TForm4_3D::Word1Click() { MakePlotReport(TPlotKind::Plot3D, SurfaceFormula, Picture()); }
void TForm4_3D::BMP1Click() { SavePictureAsBmp(TPlotKind::Plot3D, Picture()); }
void TForm4_3D::SVG1Click() { SavePictureAsSvg(TPlotKind::Plot3D, Picture(), this); }
void TForm4_3D::PDF1Click() { SavePictureAsPdf(TPlotKind::Plot3D, Picture(), this); }
void TForm4_3D::N40Click() { CopyPictureToClipboard(Picture()); }

void TForm4_3D::STL1Click() { SaveMesh(TMeshFormat::Stl); }
void TForm4_3D::OBJ1Click() { SaveMesh(TMeshFormat::Obj); }

void TForm4_3D::SaveMesh(TMeshFormat format) {
  // The surface in the values the axes show, named by its formula.
  const graph3d::TLinesGrid grid(Plot->Model(), Plot->AxisMap(0), Plot->AxisMap(1));
  const QString name = SurfaceFormula.isEmpty()
                           ? texts::BuiltinSurface.arg(PlotSettings.PointTotal).arg(PlotSettings.LineTotal)
                           : QStringLiteral("Z(X;Y) = ") + SurfaceFormula;
  SaveMeshFile(this, format, grid, name);
}
void TForm4_3D::N32Click() { PrintPicture(TPlotKind::Plot3D, Picture()); }

void TForm4_3D::N38Click() { close(); }

// ------------------------------------------------------------ the formula surface

void TForm4_3D::N41Click() {
  if (!SurfaceDialog) SurfaceDialog = new TSurfaceDialog(this);
  if (SurfaceDialog->exec() != QDialog::Accepted) return;
  ApplySurfaceDialog();
}

bool TForm4_3D::ApplySurfaceDialog() {
  surface::TSurfaceGrid range;
  SurfaceDialog->GetRanges(range);
  // The grid fields count as "Обновить" reads them.
  return Rebuild(SettingsFromGridFields(), SurfaceDialog->TakeFormula(), range);
}

// ------------------------------------------------------------ the file

bool TForm4_3D::Savevar(const TPlotSettings& Settings) {
  const TPlotSettingsImage image = EncodePlotSettings(Settings);
  const std::optional<QString> name = ChooseSaveFile({texts::SaveTitle, texts::FileFilter, 1}, texts::Extension);
  if (!name) return true;
  // Written beside the old file and put in its place only when complete, so
  // a failed write never leaves a damaged file; a file that cannot be made
  // is reported as the other saves report it.
  if (const TSaveResult saved = SaveFileContents(
          *name, QByteArrayView(reinterpret_cast<const char*>(image.data()), qsizetype(image.size())));
      !saved) {
    throw EInOutError(
        QStringLiteral("Ошибка ввода-вывода при записи файла «%1»: %2").arg(*name, saved.Reason).toStdString());
  }
  return true;
}

bool TForm4_3D::Loadvar(TPlotSettings& Settings) {
  const std::optional<QString> chosen = Platform().OpenFileDialog({texts::OpenTitle, texts::FileFilter, 1});
  if (!chosen) return false;
  QFile file(*chosen);
  if (const TOpenResult opened = OpenForReading(file); !opened) {
    // A pipe or a device would have blocked the program: say why nothing was read.
    if (opened.Failure == TOpenResult::TFailure::NotAFile && !QFileInfo(*chosen).isDir())
      Platform().Error(QStringLiteral("Не удалось открыть файл «%1»: %2").arg(*chosen, opened.Reason));
    return false;
  }
  TPlotSettingsImage image{};
  qint64 got = 0;
  const auto size = static_cast<qint64>(image.size());
  while (got < size) {
    const qint64 n = file.read(reinterpret_cast<char*>(image.data()) + got, size - got);
    if (n < 0) {
      throw EInOutError(QStringLiteral("Ошибка ввода-вывода при чтении файла «%1»: %2")
                            .arg(*chosen, file.errorString())
                            .toStdString());
    }
    if (n == 0) {
      throw EInOutError(QStringLiteral("Ошибка ввода-вывода: файл «%1» короче %2 байт")
                            .arg(*chosen)
                            .arg(size)
                            .toStdString());
    }
    got += n;
  }
  file.close();
  Settings = DecodePlotSettings(image);
  SpinEdit1->setValue(Settings.LineTotal);  // the spin fields limit what they show
  SpinEdit2->setValue(Settings.PointTotal);
  return true;
}

// ------------------------------------------------------------ "Изображение графика"

void TForm4_3D::N22Click() {
  cbAxes->setChecked(Plot->DrawAxes());
  cbHiddenLines->setChecked(Plot->DrawHiddenLines());
  cbUseColours->setChecked(Plot->UseColors());
  cbIncScroll->setChecked(Plot->IncrementalScroll());
  cbShaded->setChecked(Plot->Shaded());
  cbScale->setChecked(Plot->ShowScale());
  cbContourMap->setChecked(Plot->ContourMap());
  LevelModeRead = Plot->WaterMode();
  edWater->setValue(static_cast<int>(std::nearbyint(Plot->WaterLevel())));
  edPercent->setValue(Plot->ViewPercentage());
}

void TForm4_3D::N24Click() {
  const int w = edWater->value();
  float x;
  switch (LevelModeRead) {
    case 1: x = static_cast<float>(w + 0.5); break;
    case 2: x = static_cast<float>(w - 0.5); break;
    default: return;
  }
  for (int i = 0; i < 10; ++i) Plot->SetIsodose(i, 0xFFFFFF, x);
  Plot->SetIsodose(9, 0, x);
}

void TForm4_3D::cbUseColoursClick() {
  cbUseColours->setChecked(!cbUseColours->isChecked());
  Plot->SetUseColors(cbUseColours->isChecked());
  for (int k = 0; k < 10; ++k) Plot->SetIsodose(k, PartColors[k], PartPercentage(k));
  Plot->update();
}

void TForm4_3D::cbHiddenLinesClick() {
  cbHiddenLines->setChecked(!cbHiddenLines->isChecked());
  Plot->SetDrawHiddenLines(cbHiddenLines->isChecked());
}

void TForm4_3D::cbAxesClick() {
  cbAxes->setChecked(!cbAxes->isChecked());
  Plot->SetDrawAxes(cbAxes->isChecked());
}

void TForm4_3D::cbIncScrollClick() {
  cbIncScroll->setChecked(!cbIncScroll->isChecked());
  Plot->SetIncrementalScroll(cbIncScroll->isChecked());
}

void TForm4_3D::cbShadedClick() {
  cbShaded->setChecked(!cbShaded->isChecked());
  Plot->SetShaded(cbShaded->isChecked());
}

void TForm4_3D::cbScaleClick() {
  cbScale->setChecked(!cbScale->isChecked());
  Plot->SetShowScale(cbScale->isChecked());
}

void TForm4_3D::cbContourMapClick() {
  cbContourMap->setChecked(!cbContourMap->isChecked());
  Plot->SetContourMap(cbContourMap->isChecked());
  N16->setEnabled(!cbContourMap->isChecked());
}

void TForm4_3D::LevelClick(QAction* item, uint8_t mode) {
  const bool wasChecked = item->isChecked();
  for (QAction* level : {N10, N11, N13}) level->setChecked(false);
  if (!wasChecked) item->setChecked(true);
  // The mode is set even when the click cleared the check mark.
  const int w = edWater->value();
  Plot->SetWaterLevel(mode, static_cast<float>(w));
  if (mode != 0) Plot->SetIsodose(9, KeepColor, static_cast<float>(w));
}

void TForm4_3D::N10Click() { LevelClick(N10, 0); }
void TForm4_3D::N11Click() { LevelClick(N11, 2); }
void TForm4_3D::N13Click() { LevelClick(N13, 1); }

// ------------------------------------------------------------ "Манипуляция графиком"

void TForm4_3D::N14Click() { Plot->SetMouseControl(mcNone); }
void TForm4_3D::N15Click() { Plot->SetMouseControl(mcMove); }
void TForm4_3D::N16Click() { Plot->SetMouseControl(mcRotate); }
void TForm4_3D::N18Click() { Plot->SetMouseControl(mcZoom); }

// ------------------------------------------------------------ "Цвет"

std::optional<TColor> TForm4_3D::ChooseColor(TColor initial) {
  const std::optional<QColor> chosen = Platform().ColorDialog(graph3d::ToQColor(initial));
  if (!chosen) return std::nullopt;
  return graph3d::FromQColor(*chosen);
}

void TForm4_3D::SetPanelColor(TColor color) {
  // The plot takes its parent's colour as its background.
  QPalette palette = Panel1->palette();
  palette.setColor(QPalette::Window, graph3d::ToQColor(color));
  Panel1->setPalette(palette);
}

void TForm4_3D::N20Click() {
  if (const auto color = ChooseColor(PlotSettings.BackColor)) {
    SetPanelColor(*color);
    PlotSettings.BackColor = *color;
  }
}

void TForm4_3D::cmdDcolorClick() {
  if (const auto color = ChooseColor(PlotSettings.SurfaceColor)) {
    Plot->SetDataColor(*color);
    PlotSettings.SurfaceColor = *color;
    Plot->update();
  }
}

void TForm4_3D::cmdAxescolorClick() {
  if (const auto color = ChooseColor(PlotSettings.AxisColor)) {
    Plot->SetAxesColor(*color);
    PlotSettings.AxisColor = *color;
    Plot->update();
  }
}

void TForm4_3D::PartColorClick(int index) {
  if (const auto color = ChooseColor(PartColors[index])) {
    PartColors[index] = *color;
    Plot->SetIsodose(index, *color, PartPercentage(index));
  }
}

void TForm4_3D::p0Click() { PartColorClick(0); }
void TForm4_3D::p1Click() { PartColorClick(1); }
void TForm4_3D::N27Click() { PartColorClick(2); }
void TForm4_3D::p3Click() { PartColorClick(3); }
void TForm4_3D::p4Click() { PartColorClick(4); }
void TForm4_3D::p5Click() { PartColorClick(5); }
void TForm4_3D::p6Click() { PartColorClick(6); }
void TForm4_3D::p7Click() { PartColorClick(7); }
void TForm4_3D::p8Click() { PartColorClick(8); }
void TForm4_3D::p9Click() { PartColorClick(9); }

// ------------------------------------------------------------ "Вид"

void TForm4_3D::TogglePanel(QAction* item, QGroupBox* box) {
  item->setChecked(!item->isChecked());
  box->setVisible(item->isChecked());
}

void TForm4_3D::N21Click() { TogglePanel(N21, GroupBox1); }
void TForm4_3D::N28Click() { TogglePanel(N28, GroupBox2); }

void TForm4_3D::Label7Click() { OpenWebPage(QString::fromLatin1(MakerWebAddress)); }
