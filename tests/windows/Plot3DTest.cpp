// The 3D plot window under the offscreen platform: its start, menus, rebuilds,
// colours and level items, and its settings files, with the scripted
// platform layer answering the dialogs and recording every message.
#include "windows/FormTools.h"
#include "graph3d/Graph3D.h"
#include "graph3d/Graph3DFile.h"
#include "memory/SystemMemory.h"
#include "windows/Unit4_3D.h"
#include "windows/Unit6.h"
#include "windows/WebPage.h"
#include "tests/support/WidgetTest.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cerrno>
#include <cmath>
#include <limits>
#include <optional>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const QString AfterDrawing = QStringLiteral("После рисования");
const QString AfterScrolling = QStringLiteral("После перемещения");
const QString Scrolling = QStringLiteral("Перемещение линии");
const std::string TooFewLines = "error: Число образующих не может быть меньше 2";
const std::string SaveDialog = "save file dialog: Сохранение графиков | Формат 3D графиков (*.3dgr)|*.3dgr | 1";
const std::string OpenDialog = "open file dialog: Открыть график | Формат 3D графиков (*.3dgr)|*.3dgr | 1";
constexpr TColor kBlue = 0xFF0000, kOrange = 0x0080FF;

// The menu bar as text: one line per item, indented by depth, with the
// shortcut in brackets and the check mark of checkable items.
QString MenuText(const QList<QAction*>& actions, int depth = 0) {
  QString text;
  for (QAction* action : actions) {
    if (action->isSeparator()) continue;
    text += QString(2 * depth, u' ') + action->text();
    if (!action->shortcut().isEmpty()) text += QStringLiteral(" [%1]").arg(action->shortcut().toString());
    if (action->isCheckable()) text += action->isChecked() ? QStringLiteral(" (x)") : QStringLiteral(" ( )");
    text += u'\n';
    if (action->menu()) text += MenuText(action->menu()->actions(), depth + 1);
  }
  return text;
}

void SendMouse(QWidget* w, QEvent::Type type, QPoint pos) {
  const Qt::MouseButtons buttons =
      type == QEvent::MouseButtonRelease ? Qt::MouseButtons(Qt::NoButton) : Qt::MouseButtons(Qt::LeftButton);
  QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}

void Drag(QWidget* w, QPoint from, QPoint to) {
  SendMouse(w, QEvent::MouseButtonPress, from);
  SendMouse(w, QEvent::MouseMove, (from + to) / 2);
  SendMouse(w, QEvent::MouseMove, to);
  SendMouse(w, QEvent::MouseButtonRelease, to);
}

int CountColor(const QImage& image, TColor color) {
  const QRgb want = QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF)).rgb();
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) | 0xFF000000u) == want;
  return n;
}

QByteArray ReadAll(const QString& name) {
  QFile file(name);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& name, const QByteArray& bytes) {
  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray Image(const TPlotSettings& settings) {
  const TPlotSettingsImage image = EncodePlotSettings(settings);
  return QByteArray(reinterpret_cast<const char*>(image.data()), static_cast<qsizetype>(image.size()));
}

TPlotSettings Settings(int32_t lines, int32_t values, long double peak = 8.8L) {
  TPlotSettings s;
  s.LineTotal = lines;
  s.PointTotal = values;
  s.PeakHeight = peak;
  s.BackColor = 0x102030;
  s.SurfaceColor = 0x00FF00;
  s.AxisColor = 0xFFFFFF;
  return s;
}

class Plot3DTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    Form = std::make_unique<TForm4_3D>();
    Form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    Settle();
  }
  void TearDown() override {
    Form.reset();
    TWidgetTest::TearDown();
  }

  // Lets the window lay itself out and paint; queued error reports arrive.
  static void Settle() {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  }
  QString Path(const QString& name) const { return Dir.filePath(name); }
  QString Status() const { return Form->StatusBar1->currentMessage(); }

  // "Открыть" on a file holding these bytes.
  void Open(const QByteArray& bytes) {
    WriteFile(Path(QStringLiteral("in.3dgr")), bytes);
    Scripted().OpenFileAnswers.push_back(Path(QStringLiteral("in.3dgr")));
    Form->N4->trigger();
    Settle();
  }

  QTemporaryDir Dir;
  std::unique_ptr<TForm4_3D> Form;
};

// ------------------------------------------------------------------ start

TEST_F(Plot3DTest, StartsWithTheDefaultSurfaceAndSettings) {
  EXPECT_EQ(Form->windowTitle(), QStringLiteral("Построение 3D графиков"));
  TGraph3D* plot = Form->Plot;
  ASSERT_NE(plot, nullptr);
  EXPECT_EQ(plot->LineCount(), 4);
  EXPECT_EQ(plot->ValuesPerLine(), 4);
  EXPECT_EQ(Form->PlotLines.size(), 4u);
  EXPECT_EQ(plot->Model().TrapezeCount(), 9);
  EXPECT_EQ(plot->Color(), 0u);  // black, from its panel
  EXPECT_EQ(plot->DataColor(), kBlue);
  EXPECT_EQ(plot->AxesColor(), kOrange);
  EXPECT_EQ(plot->MouseControl(), mcNone);
  EXPECT_EQ(plot->Theta(), 60);
  EXPECT_EQ(plot->Phi(), 330);
  EXPECT_EQ(Form->SpinEdit1->value(), 4);
  EXPECT_EQ(Form->SpinEdit2->value(), 4);
  EXPECT_EQ(Form->edWater->value(), 95);
  EXPECT_EQ(Form->edPercent->value(), 100);
  EXPECT_EQ(Form->LevelModeRead, 0);
  for (TColor c : Form->PartColors) EXPECT_EQ(c, 0u);
  EXPECT_EQ(Status(), AfterDrawing);
  EXPECT_THAT(Scripted().Lines(), IsEmpty());

  const TPlotSettings& s = Form->PlotSettings;
  EXPECT_EQ(s.LineTotal, 4);
  EXPECT_EQ(s.PointTotal, 4);
  EXPECT_EQ(s.PeakHeight, 8.8L);
  EXPECT_EQ(s.BackColor, 0u);
  EXPECT_EQ(s.SurfaceColor, kBlue);
  EXPECT_EQ(s.AxisColor, kOrange);

  // The picture: blue cells and orange axes on black.
  const QImage picture = plot->CopyToBitmap(12);
  int blue = 0, orange = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb p = picture.pixel(x, y) & 0xFFFFFF;
      blue += p == 0x0000FF;
      orange += p == 0xFF8000;
    }
  EXPECT_GT(blue, 100);
  EXPECT_GT(orange, 50);
}

TEST_F(Plot3DTest, MenusLayoutAndTextsAreTheWindowsOwn) {
  EXPECT_EQ(MenuText(Form->MainMenu1->actions()),
      QStringLiteral(
      "График\n"
      "  Создать [Ctrl+N]\n"
      "  Открыть [Ctrl+O]\n"
      "  Сохранить [Ctrl+S]\n"
      "  Експортировать\n"
      "    В Word [Ctrl+W]\n"
      "    В файл BMP [Ctrl+B]\n"
      "    В файл SVG\n"
      "    В файл PDF\n"
      "    В буфер [Ctrl+Ins]\n"
      "    В файл STL\n"
      "    В файл OBJ\n"
      "  Центрировать\n"
      "  Спрятать\n"
      "  Показать\n"
      "  Печать [Ctrl+P]\n"
      "  Поверхность по формуле… [Ctrl+F]\n"
      "Изображение графика\n"
      "  Считать установки\n"
      "  Установки старые\n"
      "  Пользовательские цвета ( )\n"
      "  Скрытые линии (x)\n"
      "  Ниличие осей (x)\n"
      "  Степень изображения (x)\n"
      "  Уровень\n"
      "    Нет (x)\n"
      "    График ниже ( )\n"
      "    График выше ( )\n"
      "  Закрашенная поверхность ( )\n"
      "  Шкала значений ( )\n"
      "Манипуляция графиком\n"
      "  Нельзя\n"
      "  Перемещение [F3]\n"
      "  Вращение [F4]\n"
      "  Масштабирование [F5]\n"
      "Цвет\n"
      "  Фона\n"
      "  Всего графика\n"
      "  Его частей\n"
      "    часть 0\n"
      "    часть 1\n"
      "    часть 2\n"
      "    часть 3\n"
      "    часть 4\n"
      "    часть 5\n"
      "    часть 6\n"
      "    часть 7\n"
      "    часть 8\n"
      "    часть 9\n"
      "  Осей\n"
      "Вид\n"
      "  Панель задания (x)\n"
      "  Панель установок (x)\n"
      "  Карта изолиний ( )\n"
      "Закрыть [F10]\n")
  );
  EXPECT_EQ(Form->GroupBox1->title(), QStringLiteral("Пареметры задания графика"));
  EXPECT_EQ(Form->Label1->text(), QStringLiteral("число образующих линий вдоль оси X"));
  EXPECT_EQ(Form->Label2->text(), QStringLiteral("число образующих линий вдоль оси Y"));
  EXPECT_EQ(Form->Button1->text(), QStringLiteral("Обновить"));
  EXPECT_EQ(Form->GroupBox2->title(), QStringLiteral("Установки графика"));
  EXPECT_EQ(Form->Label3->text(), QStringLiteral("Высота уровня"));
  EXPECT_EQ(Form->Label4->text(), QStringLiteral("Процент видимости"));
  EXPECT_EQ(Form->Label5->text(), QStringLiteral("View-%"));
  EXPECT_EQ(Form->GroupBox3->title(), QStringLiteral("График"));
  EXPECT_EQ(Form->Label7->text(), MakerFooterText());
  EXPECT_TRUE(Form->Label1->font().bold());
  EXPECT_EQ(Form->Label7->font().pixelSize(), 16);
  for (QSpinBox* spin : {Form->SpinEdit1, Form->SpinEdit2}) {
    EXPECT_EQ(spin->minimum(), 2);
    EXPECT_EQ(spin->maximum(), 3000);
  }
  EXPECT_EQ(Form->edWater->maximum(), 100);
  EXPECT_EQ(Form->edPercent->minimum(), 0);

  // Client area 523 × 491 below the menu bar, unless the menus or the footer
  // need more width in this font; the plot fills the rest.
  EXPECT_GE(Form->width(), 523);
  EXPECT_LE(Form->width(), 600);
  for (QAction* menu : Form->MainMenu1->actions()) {
    const QRect item = Form->MainMenu1->actionGeometry(menu);
    EXPECT_TRUE(Form->MainMenu1->rect().contains(item)) << menu->text().toStdString();
  }
  EXPECT_EQ(Form->height() - Form->MainMenu1->height(), 491);
  EXPECT_GE(Form->GroupBox1->height(), 65);
  EXPECT_GE(Form->GroupBox2->height(), 48);
  EXPECT_EQ(Form->Plot->size(), Form->Panel1->size());
  EXPECT_GT(Form->Plot->height(), 250);

  Scripted().OnEvent = nullptr;
  Form->Label7Click();
  EXPECT_THAT(Scripted().Lines(), ElementsAre("web page: " + std::string(MakerWebAddress)));
}

TEST_F(Plot3DTest, ClosingHidesAndReopeningKeepsPlotAndSettings) {
  Form->N16Click();
  Form->SpinEdit1->setValue(7);
  TGraph3D* plot = Form->Plot;
  Form->N38->trigger();
  EXPECT_FALSE(Form->isVisible());
  Form->show();
  Settle();
  EXPECT_EQ(Form->Plot, plot);
  EXPECT_EQ(plot->MouseControl(), mcRotate);
  EXPECT_EQ(Form->SpinEdit1->value(), 7);
}

TEST_F(Plot3DTest, MenuWindowOpensTheWindowModally) {
  Form->hide();
  TForm6 menu;
  menu.SetToolWindows(nullptr, nullptr, Form.get());
  bool shown = false;
  QTimer::singleShot(0, Form.get(), [&] {
    shown = Form->isVisible() && Form->isModal();
    Form->N38->trigger();
  });
  menu.Button3Click();
  EXPECT_TRUE(shown);
  EXPECT_FALSE(Form->isVisible());
  EXPECT_EQ(Form->Plot->LineCount(), 4);
}

// ------------------------------------------------------------ rebuilds

TEST_F(Plot3DTest, RefreshCorrectsFieldsBelowTwoAndRebuilds) {
  // Typed, not yet left: the field's text counts.
  Form->SpinEdit1->findChild<QLineEdit*>()->setText(QStringLiteral("1"));
  Form->SpinEdit2->findChild<QLineEdit*>()->setText(QStringLiteral("0"));
  Form->Button1->click();
  Settle();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(TooFewLines, TooFewLines));
  EXPECT_EQ(Form->SpinEdit1->value(), 2);
  EXPECT_EQ(Form->SpinEdit2->value(), 2);
  EXPECT_EQ(Form->Plot->LineCount(), 2);
  EXPECT_EQ(Form->Plot->ValuesPerLine(), 2);
  EXPECT_EQ(Form->PlotSettings.PeakHeight, 2 * 1.1L);

  // 2 lines of 3000 values.
  Scripted().Clear();
  Form->SpinEdit1->setValue(2);
  Form->SpinEdit2->setValue(3000);
  Form->Button1->click();
  Settle();
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
  EXPECT_EQ(Form->Plot->LineCount(), 2);
  EXPECT_EQ(Form->Plot->ValuesPerLine(), 3000);
  EXPECT_EQ(Form->Plot->Model().TrapezeCount(), 2999);
  EXPECT_EQ(Form->PlotSettings.PeakHeight, (1500 * 1500 + 1) * 1.1L);
  EXPECT_EQ(Status(), AfterDrawing);
}

TEST_F(Plot3DTest, RefreshChecksTheTypedValueWhenClickedWithTheMouse) {
  // 1 typed, then a click on "Обновить": the field must not correct itself
  // to 2 first and let the rebuild go by without the message.
  Form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Form.get()));
  Form->SpinEdit1->setFocus();
  Form->SpinEdit1->selectAll();
  QTest::keyClicks(Form->SpinEdit1, QStringLiteral("1"));
  ASSERT_EQ(Form->SpinEdit1->text(), QStringLiteral("1"));
  QTest::mouseClick(Form->Button1, Qt::LeftButton);
  Settle();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(TooFewLines));
  EXPECT_EQ(Form->SpinEdit1->value(), 2);
  EXPECT_EQ(Form->Plot->LineCount(), 2);
}

TEST_F(Plot3DTest, LargeBuildShowsTheBusyCursorOnce) {
  TGraph3D::SetLargeBuildPoints(30 * 30);
  Form->SpinEdit1->setValue(30);
  Form->SpinEdit2->setValue(29);
  Form->Button1->click();
  Settle();
  EXPECT_THAT(Scripted().Lines(), IsEmpty());  // 870 points: not large
  Form->SpinEdit2->setValue(30);
  Form->Button1->click();
  Settle();
  Form->Plot->repaint();
  Form->repaint();
  Settle();
  // one build, in the busy cursor, and the picture drawn
  EXPECT_THAT(Scripted().Lines(), ElementsAre("busy cursor", "normal cursor"));
  EXPECT_FALSE(Scripted().Busy());
  EXPECT_EQ(Form->Plot->Model().TrapezeCount(), 29 * 29);
  EXPECT_GT(CountColor(Form->Plot->grab().toImage(), kBlue), 100);
  EXPECT_EQ(Status(), AfterDrawing);
  TGraph3D::SetLargeBuildPoints(3000000);
}

// "Прервать" at about half of a large build: the same control with its view
// and picture, the same settings; left to run, the new surface.
TEST_F(Plot3DTest, StoppedLargeBuildChangesNothing) {
  TGraph3D::SetLargeBuildPoints(30 * 30);
  Form->N16Click();
  TGraph3D* plot = Form->Plot;
  const QImage picture = plot->grab().toImage();
  Scripted().ProgressAfter = 0;
  Scripted().StopAt = 0.5;
  Form->SpinEdit1->setValue(40);
  Form->SpinEdit2->setValue(40);
  Form->Button1->click();
  Settle();
  EXPECT_THAT(Scripted().Lines(), ElementsAre("busy cursor", "progress window", "normal cursor"));
  EXPECT_EQ(Form->Plot, plot);
  EXPECT_EQ(plot->MouseControl(), mcRotate);
  EXPECT_EQ(Form->PlotSettings.LineTotal, 4);
  EXPECT_EQ(Form->PlotSettings.PeakHeight, 8.8L);
  EXPECT_EQ(plot->grab().toImage(), picture);
  EXPECT_EQ(Status(), AfterDrawing);

  Scripted().StopAt = -1;
  Form->Button1->click();
  Settle();
  EXPECT_EQ(Form->Plot->LineCount(), 40);
  EXPECT_EQ(Form->Plot->Model().TrapezeCount(), 39 * 39);
  EXPECT_EQ(Form->PlotSettings.LineTotal, 40);
  TGraph3D::SetLargeBuildPoints(3000000);
}

TEST_F(Plot3DTest, RebuildReturnsTheViewToTheDefaultsButKeepsTheColours) {
  TGraph3D* plot = Form->Plot;
  Form->N16->trigger();  // Вращение
  Drag(plot, QPoint(100, 100), QPoint(160, 130));
  ASSERT_NE(plot->Theta(), 60);
  Form->cbAxesClick();
  Scripted().ColorAnswers.push_back(QColor(0, 255, 0));
  Form->cmdDcolor->trigger();
  ASSERT_EQ(Form->PlotSettings.SurfaceColor, 0x00FF00u);

  Form->Button1->click();
  EXPECT_EQ(Status(), AfterScrolling);  // the old control stopped
  Settle();
  EXPECT_EQ(Status(), AfterDrawing);
  ASSERT_NE(Form->Plot, nullptr);
  EXPECT_EQ(Form->Plot->Theta(), 60);
  EXPECT_EQ(Form->Plot->Phi(), 330);
  EXPECT_EQ(Form->Plot->MouseControl(), mcNone);
  EXPECT_TRUE(Form->cbAxes->isChecked());  // re-read from the new control
  EXPECT_TRUE(Form->Plot->DrawAxes());
  EXPECT_EQ(Form->Plot->DataColor(), 0x00FF00u);

  // "Создать" brings back the default colours and grid too.
  Form->SpinEdit1->setValue(9);
  Form->N3->trigger();
  Settle();
  EXPECT_EQ(Form->SpinEdit1->value(), 4);
  EXPECT_EQ(Form->Plot->LineCount(), 4);
  EXPECT_EQ(Form->Plot->DataColor(), kBlue);
  EXPECT_EQ(Form->PlotSettings.SurfaceColor, kBlue);
}

TEST_F(Plot3DTest, MouseItemsSetTheDragMode) {
  TGraph3D* plot = Form->Plot;
  const QImage before = plot->CopyToBitmap(12);
  Drag(plot, QPoint(100, 100), QPoint(150, 150));  // no mode yet: nothing happens
  EXPECT_EQ(plot->CopyToBitmap(12), before);
  struct TCase {
    QAction* Item;
    TMouseControl Mode;
  };
  for (const TCase& c : {TCase{Form->N15, mcMove}, TCase{Form->N16, mcRotate}, TCase{Form->N18, mcZoom},
                         TCase{Form->N14, mcNone}}) {
    c.Item->trigger();
    EXPECT_EQ(plot->MouseControl(), c.Mode);
    EXPECT_FALSE(c.Item->isCheckable());
  }
  Form->N15Click();
  Drag(plot, QPoint(100, 100), QPoint(130, 120));
  EXPECT_EQ(plot->Offset(), (TPoint{30, 20}));  // from the centred start
  Form->N6->trigger();  // Центрировать
  EXPECT_EQ(plot->Offset(), (TPoint{0, 0}));
}

TEST_F(Plot3DTest, StatusBarFollowsTheControlsEvents) {
  TGraph3D* plot = Form->Plot;
  int calls = 0;
  // Inside the control for three steps, then outside: the animation stops.
  plot->CursorPosition = [&] { return ++calls <= 3 ? QPoint(5, 5) : QPoint(-1, -1); };
  QStringList seen;
  QObject context;
  QObject::connect(Form->StatusBar1, &QStatusBar::messageChanged, &context,
                   [&](const QString& text) { seen << text; });
  plot->StartScrolling();
  EXPECT_EQ(seen, (QStringList{Scrolling + u'0', Scrolling + u'1', Scrolling + u'2', AfterScrolling}));
  Form->N9->trigger();  // Спрятать
  plot->update();
  Settle();
  EXPECT_EQ(Status(), AfterDrawing);
}

// ------------------------------------------------------------ colours and bands

TEST_F(Plot3DTest, ColourItemsSetPlotAndSettings) {
  TGraph3D* plot = Form->Plot;
  Scripted().ColorAnswers = {QColor(0x30, 0x20, 0x10), std::nullopt, QColor(0, 0, 0xFF), QColor(0xFF, 0, 0)};
  Form->N20->trigger();  // Фона
  Settle();
  EXPECT_EQ(Form->PlotSettings.BackColor, 0x102030u);
  EXPECT_EQ(plot->Color(), 0x102030u);
  EXPECT_EQ(plot->CopyToBitmap(12).pixel(plot->width() / 2, 3) & 0xFFFFFF, 0x302010u);
  Form->cmdDcolor->trigger();  // cancelled: nothing changes
  EXPECT_EQ(plot->DataColor(), kBlue);
  Form->cmdDcolor->trigger();
  EXPECT_EQ(plot->DataColor(), 0xFF0000u);
  Form->cmdAxescolor->trigger();
  EXPECT_EQ(plot->AxesColor(), 0x0000FFu);
  EXPECT_EQ(Form->PlotSettings.AxisColor, 0x0000FFu);
  EXPECT_THAT(Scripted().Lines(), ElementsAre("colour dialog", "colour dialog", "colour dialog", "colour dialog"));

  // The background carries over a rebuild.
  Form->Button1Click();
  Settle();
  EXPECT_EQ(Form->Plot->Color(), 0x102030u);
}

TEST_F(Plot3DTest, PartColoursAreKeptForTheUserColours) {
  TGraph3D* plot = Form->Plot;
  const TIsodose band4 = plot->Isodose(4);
  Scripted().ColorAnswers.push_back(QColor(0x11, 0x22, 0x33));
  Form->PartItems[3]->trigger();
  EXPECT_EQ(Form->PartColors[3], 0x332211u);
  EXPECT_EQ(plot->Isodose(3).Color, 0x332211u);
  EXPECT_EQ(plot->Isodose(3).Percentage, 35.0f);
  EXPECT_EQ(plot->Isodose(4).Color, band4.Color);

  // "Пользовательские цвета": bands on with the part colours, then off.
  Form->cbUseColours->trigger();
  EXPECT_TRUE(Form->cbUseColours->isChecked());
  EXPECT_TRUE(plot->UseColors());
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(plot->Isodose(k).Color, Form->PartColors[k]);
    EXPECT_EQ(plot->Isodose(k).Percentage, 10.0f * k + 5);
  }
  EXPECT_EQ(plot->Isodose(3).Color, 0x332211u);
  Form->cbUseColours->trigger();
  EXPECT_FALSE(Form->cbUseColours->isChecked());
  EXPECT_FALSE(plot->UseColors());

  // Every part item reaches its own band, "часть 2" included.
  for (int k = 0; k < 10; ++k) Scripted().ColorAnswers.push_back(QColor(k, 0, 0));
  for (QAction* item : Form->PartItems) item->trigger();
  for (int k = 0; k < 10; ++k) EXPECT_EQ(plot->Isodose(k).Color, TColor(k));
}

TEST_F(Plot3DTest, SwitchesToggleTheirCheckMarksAndThePlot) {
  TGraph3D* plot = Form->Plot;
  Form->cbHiddenLines->trigger();
  EXPECT_FALSE(Form->cbHiddenLines->isChecked());
  EXPECT_FALSE(plot->DrawHiddenLines());
  Form->cbAxes->trigger();
  EXPECT_FALSE(plot->DrawAxes());
  Form->cbIncScrollClick();  // called directly, as a click
  EXPECT_FALSE(Form->cbIncScroll->isChecked());
  EXPECT_FALSE(plot->IncrementalScroll());
  Form->cbIncScroll->trigger();
  EXPECT_TRUE(plot->IncrementalScroll());
  // "Считать установки" reads them back.
  Form->cbHiddenLines->setChecked(true);
  Form->N22->trigger();
  EXPECT_FALSE(Form->cbHiddenLines->isChecked());
  EXPECT_FALSE(Form->cbAxes->isChecked());
}

TEST_F(Plot3DTest, ViewSwitchesOfTheirOwnStayAcrossRebuilds) {
  Form->cbShaded->trigger();
  Form->cbScale->trigger();
  Form->cbContourMap->trigger();
  EXPECT_TRUE(Form->cbShaded->isChecked());
  EXPECT_TRUE(Form->Plot->Shaded());
  EXPECT_TRUE(Form->Plot->ShowScale());
  EXPECT_TRUE(Form->Plot->ContourMap());
  EXPECT_FALSE(Form->N16->isEnabled());  // no turning a map
  // None of them goes into the settings file.
  Scripted().SaveFileAnswers = {Path(QStringLiteral("switches"))};
  Form->N5->trigger();
  EXPECT_EQ(ReadAll(Path(QStringLiteral("switches.3dgr"))).toHex(' ').toUpper(),
            QByteArray("04 00 00 00 04 00 00 00 CD CC CC CC CC CC CC 8C 02 40 00 00 00 00 00 00 FF 00 FF 80 00 00"));
  // A new plot ("Обновить", "Создать") keeps what the user chose to see.
  for (QAction* rebuild : {static_cast<QAction*>(nullptr), Form->N3}) {
    Form->Plot->SetTheta(10);
    if (rebuild) rebuild->trigger();
    else Form->Button1->click();
    ASSERT_EQ(Form->Plot->Theta(), 60);  // a new plot
    EXPECT_TRUE(Form->Plot->Shaded());
    EXPECT_TRUE(Form->Plot->ShowScale());
    EXPECT_TRUE(Form->Plot->ContourMap());
    Form->N22->trigger();  // and "Считать установки" keeps it too
    EXPECT_TRUE(Form->cbShaded->isChecked());
    EXPECT_TRUE(Form->cbContourMap->isChecked());
    EXPECT_FALSE(Form->N16->isEnabled());
  }
  Form->cbShadedClick();
  Form->cbContourMapClick();
  EXPECT_FALSE(Form->Plot->Shaded());
  EXPECT_FALSE(Form->Plot->ContourMap());
  EXPECT_TRUE(Form->N16->isEnabled());
}

TEST_F(Plot3DTest, LevelItemsCheckAndSetTheWaterLevel) {
  TGraph3D* plot = Form->Plot;
  Form->edWater->setValue(40);
  Form->N11->trigger();  // График ниже
  EXPECT_FALSE(Form->N10->isChecked());
  EXPECT_TRUE(Form->N11->isChecked());
  EXPECT_FALSE(Form->N13->isChecked());
  EXPECT_EQ(plot->WaterMode(), 2);
  EXPECT_EQ(plot->WaterLevel(), 40.0f);
  EXPECT_EQ(plot->Isodose(9).Percentage, 40.0f);
  EXPECT_EQ(plot->Isodose(9).Color, 0x00FFFFu);  // colour kept
  // Clicked again: no item checked, the plot keeps its mode.
  Form->N11->trigger();
  EXPECT_FALSE(Form->N10->isChecked() || Form->N11->isChecked() || Form->N13->isChecked());
  EXPECT_EQ(plot->WaterMode(), 2);

  Form->N13->trigger();  // График выше
  EXPECT_TRUE(Form->N13->isChecked());
  EXPECT_EQ(plot->WaterMode(), 1);
  Form->N10->trigger();  // Нет
  EXPECT_TRUE(Form->N10->isChecked());
  EXPECT_FALSE(Form->N13->isChecked());
  EXPECT_EQ(plot->WaterMode(), 0);

  // Not re-read on a rebuild: the item stays checked while the new plot has no level.
  Form->N11->trigger();
  Form->Button1Click();
  EXPECT_TRUE(Form->N11->isChecked());
  EXPECT_EQ(Form->Plot->WaterMode(), 0);
}

TEST_F(Plot3DTest, OldSettingsPaintTwoColourBandsAfterReadingTheLevel) {
  TGraph3D* plot = Form->Plot;
  TIsodose before[10];
  for (int k = 0; k < 10; ++k) before[k] = plot->Isodose(k);
  Form->N24->trigger();  // right after start: nothing
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(plot->Isodose(k).Color, before[k].Color);
    EXPECT_EQ(plot->Isodose(k).Percentage, before[k].Percentage);
  }

  Form->edWater->setValue(60);
  Form->N11->trigger();  // mode 2
  Form->N22->trigger();  // LevelModeRead := 2, edWater := 60
  EXPECT_EQ(Form->LevelModeRead, 2);
  EXPECT_EQ(Form->edWater->value(), 60);
  Form->N24->trigger();
  for (int k = 0; k < 9; ++k) {
    EXPECT_EQ(plot->Isodose(k).Color, 0xFFFFFFu);
    EXPECT_EQ(plot->Isodose(k).Percentage, 59.5f);
  }
  EXPECT_EQ(plot->Isodose(9).Color, 0u);

  Form->N13->trigger();  // mode 1
  Form->N22->trigger();
  Form->N24->trigger();
  EXPECT_EQ(plot->Isodose(0).Percentage, 60.5f);
  // At the top of the range the band is refused and reported; nothing changes.
  Form->edWater->setValue(100);
  Form->N24->trigger();
  EXPECT_THAT(Scripted().Lines(), ElementsAre("error: Isodose-percentage must be betwenn 0 and 100"));
  EXPECT_EQ(plot->Isodose(0).Percentage, 60.5f);
}

TEST_F(Plot3DTest, PanelItemsHideAndShowTheGroupBoxes) {
  const int plotHeight = Form->Plot->height();
  Form->N21->trigger();
  Settle();
  EXPECT_FALSE(Form->N21->isChecked());
  EXPECT_FALSE(Form->GroupBox1->isVisible());
  EXPECT_GT(Form->Plot->height(), plotHeight);
  Form->N28->trigger();
  Settle();
  EXPECT_FALSE(Form->GroupBox2->isVisible());
  Form->N21->trigger();
  Form->N28->trigger();
  Settle();
  EXPECT_TRUE(Form->GroupBox1->isVisible());
  EXPECT_TRUE(Form->GroupBox2->isVisible());
  EXPECT_EQ(Form->GroupBox1->y(), Form->MainMenu1->height());  // back at the top
  EXPECT_LT(Form->GroupBox1->y(), Form->GroupBox2->y());
  EXPECT_EQ(Form->Plot->height(), plotHeight);
}

// ------------------------------------------------------------ the file

TEST_F(Plot3DTest, SavingWritesTheRecordUnderTheNameWithItsExtension) {
  Scripted().SaveFileAnswers = {Path(QStringLiteral("graph")), Path(QStringLiteral("graph.3dgr"))};
  Form->N5->trigger();
  Form->N5->trigger();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(SaveDialog, SaveDialog));
  const QByteArray bytes = ReadAll(Path(QStringLiteral("graph.3dgr")));
  EXPECT_EQ(bytes.toHex(' ').toUpper(),
            QByteArray("04 00 00 00 04 00 00 00 CD CC CC CC CC CC CC 8C 02 40 00 00 00 00 00 00 FF 00 FF 80 00 00"));
  EXPECT_EQ(ReadAll(Path(QStringLiteral("graph.3dgr.3dgr"))), bytes);
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), (QStringList{"graph.3dgr", "graph.3dgr.3dgr"}));
}

TEST_F(Plot3DTest, SavingCancelledWritesNothingAndAFailedSaveSaysWhy) {
  EXPECT_TRUE(Form->Savevar(Form->PlotSettings));  // empty queue: cancelled
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
  Scripted().SaveFileAnswers.push_back(Path(QStringLiteral("missing/graph")));
  Form->N5->trigger();
  EXPECT_THAT(Scripted().MessageLines(),
              ElementsAre("error: Ошибка ввода-вывода при записи файла «" +
                          Path(QStringLiteral("missing/graph.3dgr")).toStdString() + "»: " +
                          qt_error_string(ENOENT).toStdString()));
  EXPECT_TRUE(QDir(Dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(Plot3DTest, LoadingReplacesTheSettingsAndRebuilds) {
  TPlotSettings loaded = Settings(5, 6, std::nextafter(123.0L, 200.0L));
  Open(Image(loaded));
  EXPECT_THAT(Scripted().Lines(), ElementsAre(OpenDialog));
  EXPECT_EQ(Form->PlotSettings.LineTotal, 5);
  EXPECT_EQ(Form->PlotSettings.PointTotal, 6);
  EXPECT_EQ(Form->PlotSettings.PeakHeight, loaded.PeakHeight);
  EXPECT_EQ(Form->SpinEdit1->value(), 5);
  EXPECT_EQ(Form->SpinEdit2->value(), 6);
  EXPECT_EQ(Form->Plot->LineCount(), 5);
  EXPECT_EQ(Form->Plot->ValuesPerLine(), 6);
  EXPECT_EQ(Form->Plot->Color(), 0x102030u);
  EXPECT_EQ(Form->Plot->DataColor(), 0x00FF00u);
  EXPECT_EQ(Form->Plot->AxesColor(), 0xFFFFFFu);

  // Saved again, the same 30 bytes: PeakHeight bit for bit.
  Scripted().SaveFileAnswers.push_back(Path(QStringLiteral("again")));
  Form->N5->trigger();
  EXPECT_EQ(ReadAll(Path(QStringLiteral("again.3dgr"))), Image(loaded));
}

TEST_F(Plot3DTest, LoadingUsesTheFirstThirtyBytesAndKeepsOutOfRangeGrids) {
  Open(Image(Settings(3, 4)) + QByteArray("trailing bytes"));
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
  EXPECT_EQ(Form->Plot->LineCount(), 3);

  Open(Image(Settings(5000, 4)));
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
  EXPECT_EQ(Form->SpinEdit1->value(), 3000);
  EXPECT_EQ(Form->PlotSettings.LineTotal, 5000);
  EXPECT_EQ(Form->Plot->LineCount(), 5000);
  EXPECT_EQ(Form->Plot->ValuesPerLine(), 4);
}

TEST_F(Plot3DTest, ShortFileIsAnInputOutputErrorAndChangesNothing) {
  TGraph3D* plot = Form->Plot;
  Form->N16Click();  // a rebuild would end this
  Open(Image(Settings(7, 7)).left(29));
  ASSERT_EQ(Scripted().MessageLines().size(), 1u);
  EXPECT_THAT(Scripted().MessageLines()[0], ::testing::StartsWith("error: Ошибка ввода-вывода"));
  EXPECT_EQ(Form->Plot, plot);
  EXPECT_EQ(plot->MouseControl(), mcRotate);
  EXPECT_EQ(plot->LineCount(), 4);
  EXPECT_EQ(Form->PlotSettings.LineTotal, 4);
  EXPECT_EQ(Form->SpinEdit1->value(), 4);
  Open(QByteArray());
  EXPECT_EQ(Scripted().MessageLines().size(), 2u);
  EXPECT_EQ(plot->MouseControl(), mcRotate);
}

// A cancelled or unreadable open, and a file whose grid makes no surface or
// does not fit in memory, change nothing: the same control with its view,
// the settings and the grid fields as they were; the refusals in Russian.
TEST_F(Plot3DTest, CancelledOrRefusedOpenChangesNothing) {
  const auto NoSurface = [](const char* grid) { return "error: Сетка " + std::string(grid) + " не задает поверхности!"; };
  const auto TooLarge = [](const char* grid) {
    return "error: Сетка " + std::string(grid) + " слишком велика для памяти компьютера!";
  };
  const std::string BadPeak = "error: Высота вершины поверхности не годится для построения графика!";
  const long double inf = std::numeric_limits<long double>::infinity();
  struct TCase {
    std::optional<TPlotSettings> File;  // none: the dialog cancelled
    std::string Report;                 // empty: no report
  };
  const TCase cases[] = {
      {std::nullopt, ""},
      {Settings(2000000000, 2000000000), TooLarge("2000000000 × 2000000000")},
      {Settings(100000, 100000), TooLarge("100000 × 100000")},
      {Settings(1, 2147483647), TooLarge("1 × 2147483647")},
      {Settings(4, 1), NoSurface("4 × 1")},
      {Settings(2000000000, -3), NoSurface("2000000000 × -3")},
      {Settings(-5, 4), NoSurface("-5 × 4")},
      {Settings(0, 4), NoSurface("0 × 4")},
      {Settings(4, 4, std::numeric_limits<long double>::quiet_NaN()), BadPeak},
      {Settings(4, 4, inf), BadPeak},
      {Settings(4, 4, -inf), BadPeak},
  };
  // A machine with 4 GiB to spare: 1 line of 2147483647 values takes 8.
  memory::SetMemoryBudget(uint64_t(4) << 30);
  Form->SpinEdit1->setValue(5);
  Form->SpinEdit2->setValue(6);
  Form->Button1->click();
  Form->N16Click();
  TGraph3D* plot = Form->Plot;
  const QImage picture = plot->grab().toImage();
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Report);
    Scripted().Clear();
    if (c.File) Open(Image(*c.File));
    else Form->N4->trigger();
    Settle();
    if (c.Report.empty()) EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
    else EXPECT_THAT(Scripted().MessageLines(), ElementsAre(c.Report));
    EXPECT_EQ(Form->Plot, plot);
    EXPECT_EQ(plot->MouseControl(), mcRotate);
    EXPECT_EQ(Form->PlotSettings.LineTotal, 5);
    EXPECT_EQ(Form->PlotSettings.PointTotal, 6);
    EXPECT_EQ(Form->SpinEdit1->value(), 5);
    EXPECT_EQ(Form->SpinEdit2->value(), 6);
    EXPECT_EQ(plot->grab().toImage(), picture);
  }
  // A file that cannot be opened, or a folder: the same, and silently.
  Scripted().Clear();
  Scripted().OpenFileAnswers.push_back(Path(QStringLiteral("no such file")));
  Form->N4->trigger();
  Scripted().OpenFileAnswers.push_back(Dir.path());
  Form->N4->trigger();
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
  EXPECT_EQ(Form->Plot, plot);
  memory::SetMemoryBudget(0);
}

TEST_F(Plot3DTest, GridsWithoutCellsStillShowAxesAndFrame) {
  for (const TPlotSettings& file : {Settings(1, 4)}) {
    Open(Image(file));
    Scripted().Clear();
    const QImage picture = Form->Plot->grab().toImage();
    EXPECT_GT(CountColor(picture, 0xFFFFFF), 50) << "axes";
    EXPECT_EQ(CountColor(picture, 0x00FF00), 0) << "cells";
    EXPECT_EQ(picture.pixel(0, picture.height() / 2), Form->Plot->palette().color(QPalette::Dark).rgb()) << "frame";
  }
}

}  // namespace
