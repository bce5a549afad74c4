// The plane plot window driven through its controls, with the scripted
// platform recording message boxes, beeps and web pages.
#include "tests/plot2d/ChartMouse.h"
#include "memory/SystemMemory.h"
#include "engine/Formula_math.h"
#include "plot2d/LineChart.h"
#include "windows/Unit7.h"
#include "windows/WebPage.h"
#include "tests/support/WidgetTest.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTest>

#include <string>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

namespace {

const std::string InputError = "message: Ошибка ввода данных!";
const std::string OutOfRange = "message: Введенное значение вне допустимого диапазона!";

class Plot2DWindowTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    Form.show();  // opening runs FormActivate
    Scripted().Clear();
  }

  void TearDown() override {
    memory::SetMemoryBudget(0);
    TWidgetTest::TearDown();
  }

  // The four fields filled in, the range fields past the checks of typing
  // and leaving (tested on their own), and the focus on the button.
  void Type(const QString& start, const QString& end, const QString& step, const QString& formula) {
    {
      const QSignalBlocker quietStart(Form.Edit2), quietEnd(Form.Edit3);
      Form.Edit2->setText(start);
      Form.Edit3->setText(end);
    }
    Form.Edit4->setText(step);
    Form.Edit1->setText(formula);
    Form.Button1->setFocus();
    Scripted().Clear();
  }

  // "Построить график" pressed with the mouse: a fault of the build goes to
  // the general error report.
  void Press() { QTest::mouseClick(Form.Button1, Qt::LeftButton); }

  int64_t Points() const { return Form.Chart1->PointCount(); }

  TForm7 Form;
};

TEST_F(Plot2DWindowTest, DefaultBuildDrawsTheSineOnTheGradient) {
  EXPECT_EQ(Points(), 0);
  Press();
  EXPECT_THAT(Scripted().Lines(), ElementsAre("busy cursor", "normal cursor"));  // the build under it
  ASSERT_EQ(Points(), 401);
  EXPECT_EQ(Form.Chart1->PointX(0), -200);
  EXPECT_EQ(Form.Chart1->PointX(400), 200);
  EXPECT_DOUBLE_EQ(Form.Chart1->PointY(290), 1);

  const QImage image = Form.Chart1->Render();
  ASSERT_EQ(image.size(), Form.Chart1->size());
  const QColor top = image.pixelColor(image.width() / 2, 6);
  const QColor bottom = image.pixelColor(image.width() / 2, image.height() - 7);
  EXPECT_TRUE(top.red() > 200 && top.green() > 200 && top.blue() < 60) << top.name().toStdString();
  EXPECT_TRUE(bottom.red() < 60 && bottom.green() < 60 && bottom.blue() > 200) << bottom.name().toStdString();
  int curve = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      curve += c.red() > 200 && c.green() < 90 && c.blue() < 90;
    }
  EXPECT_GT(curve, 500);
}

TEST_F(Plot2DWindowTest, BuildChecksRunInOrderAndLeaveTheChartAlone) {
  struct TCase {
    const char* Start;
    const char* End;
    const char* Step;
    const char* Formula;
    std::string Message;
    QLineEdit* TForm7::*Field;
  };
  // No-break spaces: the message box never breaks the line inside the number.
  const std::string tooMany = "error: Слишком мелкий шаг расчета: в графике будет больше 10\u00A0000\u00A0000 точек!";
  // A machine that has 64 MiB to give a build: 10 million points take 160.
  memory::SetMemoryBudget(64 << 20);
  const std::string noMemory =
      "error: Недостаточно памяти для графика из 10\u00A0000\u00A0000 точек: увеличьте шаг расчета!";
  const TCase cases[] = {
      {"a", "b", "c", "", "error: Неправильная запись начала диапазона!", &TForm7::Edit2},
      {"-200", "", "c", "", "error: Неправильная запись конца диапазона!", &TForm7::Edit3},
      {"-200", "200", "1,2,3", "", "error: Неправильная запись шага расчета!", &TForm7::Edit4},
      {"-200", "200", "1", "", "error: Введите формулу, по которой будет строиться график!", &TForm7::Edit1},
      {"-200", "200", "0", "", "error: Неправильная запись шага расчета!", &TForm7::Edit4},
      {"-200", "200", "-1", "sin(x)", "error: Неправильная запись шага расчета!", &TForm7::Edit4},
      {"-1000000", "1000000", "0,0001", "sin(x)", tooMany, &TForm7::Edit4},
      {"1E20", "1E20", "1", "sin(x)", tooMany, &TForm7::Edit4},  // 1E20 + 1 is 1E20 again
      {"0", "9999999", "1", "sin(x)", noMemory, &TForm7::Edit4},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Message);
    Type(QStringLiteral("-200"), QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("sin(x)"));
    Press();
    ASSERT_EQ(Points(), 401);
    Type(QString::fromUtf8(c.Start), QString::fromUtf8(c.End), QString::fromUtf8(c.Step), QString::fromUtf8(c.Formula));
    Press();
    EXPECT_THAT(Scripted().Lines(), ElementsAre(c.Message, "beep"));  // the beep after the box
    EXPECT_EQ(Form.focusWidget(), Form.*c.Field);
    // Only emptying the formula wiped the curve, as every formula edit does.
    EXPECT_EQ(Points(), c.Formula[0] ? 401 : 0);
  }
}

TEST_F(Plot2DWindowTest, RangeFieldsAreCheckedAsTyped) {
  struct TCase {
    QLineEdit* TForm7::*Field;
    const char* Text;
    std::vector<std::string> Lines;  // the beep before the box
  };
  const TCase cases[] = {
      {&TForm7::Edit2, "-", {"beep", InputError}},
      {&TForm7::Edit2, "", {"beep", InputError}},
      {&TForm7::Edit2, "0.5", {"beep", InputError}},  // a point is malformed here
      {&TForm7::Edit2, "0,5", {}},
      {&TForm7::Edit2, "-1000000", {}},
      {&TForm7::Edit2, "-1000001", {"beep", OutOfRange}},
      {&TForm7::Edit3, "1000001", {"beep", OutOfRange}},
      {&TForm7::Edit3, "1E6", {}},
      {&TForm7::Edit3, "1E7", {"beep", OutOfRange}},
      {&TForm7::Edit3, "x", {"beep", InputError}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Text);
    Form.Edit4->setFocus();
    Scripted().Clear();
    (Form.*c.Field)->setText(QString::fromUtf8(c.Text));
    EXPECT_EQ(Scripted().Lines(), c.Lines);
    if (!c.Lines.empty()) {
      EXPECT_EQ(Form.focusWidget(), Form.*c.Field);
    }
    (Form.*c.Field)->setText(QStringLiteral("0"));
  }
  // The step field has no check of its own while typing.
  Scripted().Clear();
  Form.Edit4->setText(QStringLiteral("-"));
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
}

TEST_F(Plot2DWindowTest, LeavingARangeFieldChecksIt) {
  Form.Edit3->setText(QStringLiteral("5000000"));
  Form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
  Form.Edit3->setFocus();
  Scripted().Clear();
  QTest::keyClick(Form.Edit3, Qt::Key_Tab);
  EXPECT_THAT(Scripted().Lines(), ElementsAre("beep", OutOfRange));
  EXPECT_EQ(QApplication::focusWidget(), Form.Edit3);

  // Focus lost to a message box, a menu or another window is no leaving.
  Scripted().Clear();
  for (Qt::FocusReason reason : {Qt::ActiveWindowFocusReason, Qt::PopupFocusReason, Qt::MenuBarFocusReason}) {
    QFocusEvent out(QEvent::FocusOut, reason);
    QApplication::sendEvent(Form.Edit3, &out);
  }
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
}

TEST_F(Plot2DWindowTest, StartWithAPointIsRefusedWhileTypingButBuilt) {
  Form.Edit2->setText(QStringLiteral("0.5"));
  EXPECT_THAT(Scripted().Lines(), ElementsAre("beep", InputError));
  Scripted().Clear();
  Press();
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
  ASSERT_EQ(Points(), 200);
  EXPECT_EQ(Form.Chart1->PointX(0), 0.5);
  EXPECT_EQ(Form.Chart1->PointX(199), 199.5);
}

TEST_F(Plot2DWindowTest, CurveIsWipedByAFormulaEditEraseAndClose) {
  Press();
  ASSERT_EQ(Points(), 401);
  QTest::keyClick(Form.Edit1, Qt::Key_Backspace);
  EXPECT_EQ(Points(), 0);

  Form.Edit1->setText(QStringLiteral("sin(x)"));
  Press();
  ASSERT_EQ(Points(), 401);
  Form.N7->trigger();  // "Стереть"
  EXPECT_EQ(Points(), 0);

  Press();
  ASSERT_EQ(Points(), 401);
  Form.N2->trigger();  // "Закрыть"
  EXPECT_EQ(Points(), 0);
  EXPECT_FALSE(Form.isVisible());
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
}

TEST_F(Plot2DWindowTest, ZoomedChartIsExportedAsShownWithoutTheReadout) {
  Press();
  TLineChart& chart = *Form.Chart1;
  const QImage built = chart.Render();
  const TLineChart::TView fitted = chart.View();
  QWidget* area = chart.MouseArea();
  const QPoint at = chart.PixelOf({90, 0}).toPoint();
  for (int step = 0; step < 3; ++step)
    SendWheel(area, at);
  SendMouse(area, QEvent::MouseMove, at);
  EXPECT_EQ(chart.Readout(), QStringLiteral("X = 90; F(X) = 1"));
  SendMouse(area, QEvent::MouseMove, at + QPoint(0, 30));  // the readout goes by X
  EXPECT_EQ(chart.Readout(), QStringLiteral("X = 90; F(X) = 1"));

  const QImage zoomed = chart.Render();
  EXPECT_NE(zoomed, built);
  QTemporaryDir dir;
  Scripted().SaveFileAnswers.push_back(dir.filePath(QStringLiteral("zoomed")));
  Form.BMP1->trigger();
  EXPECT_EQ(QImage(dir.filePath(QStringLiteral("zoomed.bmp"))).convertToFormat(QImage::Format_RGB32), zoomed);
  Form.N11->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), zoomed);
  EXPECT_FALSE(chart.Readout().isEmpty());  // still on screen
  SendLeave(area);
  EXPECT_EQ(chart.Render(), zoomed);  // the same picture without readout and marker

  // Reopening and a new build show the fitted view again.
  SendWheel(area, at);
  Form.hide();
  Form.show();
  EXPECT_EQ(chart.View(), fitted);
  SendWheel(area, at);
  Press();
  EXPECT_EQ(chart.Render(), built);
}

TEST_F(Plot2DWindowTest, ReadoutGivesTheFormulasOwnValueWithoutMessages) {
  struct TCase {
    const char *Formula, *Start, *End, *Step;
    double X;
    const char* Readout;
  };
  const TCase cases[] = {
      {"1/x", "-200", "200", "1", 0, "X = 0; F(X): нет значения"},  // drawn at the held height -1
      {"sqrt(x)", "-200", "200", "1", -10, "X = -10; F(X): нет значения"},
      {"x^3", "-100", "100", "0,5", 99.5, "X = 99,5; F(X) = 985074,875 (вне графика)"},
      {"x/2", "71000", "72000", "0,1", 71428, "X = 71428; F(X) = 35714"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Formula);
    Type(QString::fromUtf8(c.Start), QString::fromUtf8(c.End), QString::fromUtf8(c.Step), QString::fromUtf8(c.Formula));
    Press();
    Scripted().Clear();
    QWidget* area = Form.Chart1->MouseArea();
    const TLineChart::TView view = Form.Chart1->View();
    SendMouse(area, QEvent::MouseMove, Form.Chart1->PixelOf({c.X, (view.YLower + view.YUpper) / 2}));
    EXPECT_EQ(Form.Chart1->Readout().toStdString(), c.Readout);
    EXPECT_THAT(Scripted().Lines(), IsEmpty());
    SendLeave(area);
  }
}

TEST_F(Plot2DWindowTest, ShortcutsBuildEraseAndClose) {
  Form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
  QTest::keyClick(Form.Edit1, Qt::Key_F5);
  EXPECT_EQ(Points(), 401);
  QTest::keyClick(Form.Edit1, Qt::Key_F6);
  EXPECT_EQ(Points(), 0);
  QTest::keyClick(Form.Edit1, Qt::Key_F5);
  EXPECT_EQ(Points(), 401);
  QTest::keyClick(Form.Edit1, Qt::Key_F10);
  EXPECT_EQ(Points(), 0);
  EXPECT_FALSE(Form.isVisible());
}

TEST_F(Plot2DWindowTest, OpeningPutsTheDefaultsBack) {
  Type(QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0,5"), QStringLiteral("x^2"));
  Form.hide();
  Form.show();
  EXPECT_EQ(Form.Edit1->text(), QStringLiteral("sin(x)"));
  EXPECT_EQ(Form.Edit2->text(), QStringLiteral("-200"));
  EXPECT_EQ(Form.Edit3->text(), QStringLiteral("200"));
  EXPECT_EQ(Form.Edit4->text(), QStringLiteral("1"));
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
}

TEST_F(Plot2DWindowTest, EngineMessagesAndFaultsReachTheUser) {
  // A refused argument at the first point: its message once, then a gap.
  Type(QStringLiteral("-200"), QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("sqrt(x)"));
  Press();
  // shown while the build waits, under the busy cursor
  ASSERT_THAT(Scripted().Lines(), SizeIs(3));
  EXPECT_EQ(Scripted().Lines()[1], "error: Квадратный корень отрицательного числа не существует");
  EXPECT_EQ(Points(), 401);

  // 0/0 at X = 0 ends the build; the general error report shows it and the
  // points made before stay.
  Type(QStringLiteral("-200"), QStringLiteral("200"), QStringLiteral("1"), QStringLiteral("x/x"));
  Press();
  ASSERT_THAT(Scripted().MessageLines(), SizeIs(1));
  EXPECT_EQ(Scripted().MessageLines()[0].rfind("error: ", 0), 0u);
  EXPECT_EQ(Points(), 200);
}

// "Прервать" at about half of a long build: the chart, the view and the
// formula of the last build as they were; left to run, the new curve.
TEST_F(Plot2DWindowTest, StoppedBuildChangesNothing) {
  Press();
  ASSERT_EQ(Points(), 401);
  const QImage picture = Form.Chart1->Render();
  const TFormula* formula = Form.PlotFormula.get();
  Type(QStringLiteral("-100000"), QStringLiteral("100000"), QStringLiteral("0,1"), QStringLiteral("sin(x)"));
  Scripted().ProgressAfter = 0;
  Scripted().StopAt = 0.5;
  Press();
  EXPECT_THAT(Scripted().Lines(), ElementsAre("busy cursor", "progress window", "normal cursor"));
  EXPECT_EQ(Points(), 401);
  EXPECT_EQ(Form.PlotFormula.get(), formula);
  EXPECT_EQ(Form.Chart1->Render(), picture);

  Scripted().StopAt = -1;
  Press();
  EXPECT_EQ(Points(), CountPlotPoints(-100000, 100000, 0.1L, MaxPlotPoints));
  EXPECT_NE(Form.PlotFormula.get(), formula);
}

TEST_F(Plot2DWindowTest, FooterOpensTheMakersPage) {
  Form.Label5Click();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(std::string("web page: ") + MakerWebAddress));
}

TEST_F(Plot2DWindowTest, TextsAndShortcutsAreTheWindowsOwn) {
  EXPECT_EQ(Form.windowTitle(), QStringLiteral("Построение плоских графиков"));
  EXPECT_EQ(Form.GroupBox1->title(), QStringLiteral("Формула"));
  EXPECT_EQ(Form.GroupBox2->title(), QStringLiteral("Диапазон графика (по х)"));
  EXPECT_EQ(Form.GroupBox3->title(), QStringLiteral("2D график"));
  EXPECT_EQ(Form.Label1->text(), QStringLiteral("F(X)="));
  EXPECT_EQ(Form.Label2->text(), QStringLiteral("от"));
  EXPECT_EQ(Form.Label3->text(), QStringLiteral("до"));
  EXPECT_EQ(Form.Label4->text(), QStringLiteral("dX"));
  EXPECT_EQ(Form.Edit2->toolTip(), QStringLiteral("min=1 000 000"));
  EXPECT_EQ(Form.Edit3->toolTip(), QStringLiteral("max=1 000 000"));
  EXPECT_TRUE(Form.Edit4->toolTip().isEmpty());
  EXPECT_EQ(Form.Button1->text(), QStringLiteral("Построить график"));
  EXPECT_EQ(Form.N1->title(), QStringLiteral("График"));
  EXPECT_EQ(Form.N8->title(), QStringLiteral("Експортировать"));
  const std::pair<QAction*, const char*> items[] = {
      {Form.N6, "Построить|F5"},    {Form.N7, "Стереть|F6"},  {Form.Word1, "В Word|Ctrl+W"},
      {Form.BMP1, "В файл BMP|Ctrl+B"}, {Form.N11, "В буфер|Ctrl+S"}, {Form.N12, "Печать|Ctrl+P"},
      {Form.N2, "Закрыть|F10"},
  };
  for (auto [action, text] : items)
    EXPECT_EQ(action->text() + '|' + action->shortcut().toString(), QString::fromUtf8(text));
  // The client area below the menu bar.
  EXPECT_EQ(Form.width(), 647);
  EXPECT_EQ(Form.height() - Form.MainMenu1->height(), 670);
}

}  // namespace
