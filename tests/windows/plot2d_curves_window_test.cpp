// The plane plot window with several curves: kept ones, parametric and polar
// ones from their dialogs, the legend, equal scale, the limit of points and
// the report, driven through the window's menu and keys.
#include "plot2d/LineChart.h"
#include "tests/plot2d/ChartMouse.h"
#include "tests/support/ExportCheck.h"
#include "tests/support/WidgetTest.h"
#include "windows/CurveDialogs.h"
#include "windows/Unit7.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <string>

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::SizeIs;

namespace {

const std::string TooManyOnChart =
    "error: На графике будет больше 20\u00A0000\u00A0000 точек! Уберите оставленные кривые командой «Стереть» (F6).";

class Plot2DCurvesTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Home.isValid());
    Form.show();
    Form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
    Scripted().Clear();
  }
  void Build(const QString& formula, const QString& start = "-200", const QString& end = "200",
             const QString& step = "1") {
    Form.Edit2->setText(start);
    Form.Edit3->setText(end);
    Form.Edit4->setText(step);
    Form.Edit1->setText(formula);
    Form.N6->trigger();
  }
  // Opens the dialog through its menu item, types texts into its fields
  // (formulas, then from, to, step; none given: as they are) and presses keys.
  template <class TDialog>
  void Dialog(QAction* item, const QStringList& texts, Qt::Key key = Qt::Key_Return) {
    QTimer::singleShot(0, &Form, [this, texts, key] {
      auto* dialog = Form.findChild<TDialog*>();
      ASSERT_NE(dialog, nullptr);
      std::vector<QLineEdit*> fields = dialog->FormulaFields;
      fields.insert(fields.end(), {dialog->Edit3, dialog->Edit4, dialog->Edit5});
      for (int i = 0; i < texts.size(); ++i) fields[static_cast<size_t>(i)]->setText(texts[i]);
      QTest::keyClick(dialog, key);
      if (dialog->isVisible()) dialog->reject();  // refused: the messages are recorded
    });
    item->trigger();
  }
  // What was shown, without the busy cursor of the long work.
  static std::vector<std::string> Shown() {
    std::vector<std::string> lines;
    for (const std::string& line : Scripted().Lines())
      if (line != "busy cursor" && line != "normal cursor") lines.push_back(line);
    return lines;
  }
  // The bounding box of the chart's pixels of colour inside the plot area,
  // zoomed out a step so that no curve touches its edges.
  QRect Bounds(QColor colour) const {
    const TLineChart::TView fitted = Form.Chart1->View();
    SendWheel(Form.Chart1->MouseArea(), Form.Chart1->PixelOf({(fitted.XLower + fitted.XUpper) / 2,
                                                               (fitted.YLower + fitted.YUpper) / 2}),
              Qt::NoModifier, -1);
    const QImage image = Form.Chart1->Render();
    const QPoint origin = Form.Chart1->MouseArea()->mapTo(Form.Chart1, QPoint(0, 0));
    const TLineChart::TView v = Form.Chart1->View();
    const QRect area = QRect(Form.Chart1->PixelOf({v.XLower, v.YUpper}).toPoint(),
                             Form.Chart1->PixelOf({v.XUpper, v.YLower}).toPoint())
                           .adjusted(6, 6, -6, -6)
                           .translated(origin);
    const QRect legend = Form.Chart1->LegendRect().adjusted(-2, -2, 2, 2).translated(origin);
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green()) +
                    std::abs(c.blue() - colour.blue()) < 40 && !legend.contains(x, y))
          box |= QRect(x, y, 1, 1);
      }
    Form.Chart1->RestoreView();
    return box;
  }

  QTemporaryDir Home;
  TForm7 Form;
  TLineChart& Chart = *Form.Chart1;
};

TEST_F(Plot2DCurvesTest, KeptCurveStaysThroughEditsAndBuildsUntilEraseOrClose) {
  // Without a curve there is nothing to keep.
  Form.N13->trigger();
  EXPECT_THAT(Shown(), ElementsAre("error: Сначала постройте график!", "beep"));
  EXPECT_EQ(Chart.CurveCount(), 1);

  // sin(x), Ctrl+K typed in the formula field, cos(x), F5.
  Build(QStringLiteral("sin(x)"));
  Form.Edit1->setFocus();
  QTest::keyClick(Form.Edit1, Qt::Key_K, Qt::ControlModifier);
  EXPECT_EQ(Form.Edit1->text(), QStringLiteral("sin(x)"));  // not the field's own Ctrl+K
  ASSERT_EQ(Chart.CurveCount(), 2);
  Form.Edit1->selectAll();
  QTest::keyClicks(Form.Edit1, QStringLiteral("cos(x)"));
  EXPECT_EQ(Chart.PointCount(1), 401);
  QTest::keyClick(Form.Edit1, Qt::Key_F5);
  EXPECT_EQ(Chart.PointCount(0), 401);
  EXPECT_EQ(Chart.LegendTexts(), (QStringList{"F(X) = cos(x)", "F(X) = sin(x)"}));
  EXPECT_EQ(Chart.CurveColour(1), TLineChart::KeptColour(0));
  EXPECT_GT(Bounds(Qt::red).width(), 400);
  EXPECT_GT(Bounds(TLineChart::KeptColour(0)).width(), 400);
  EXPECT_THAT(Shown(), ElementsAre("error: Сначала постройте график!", "beep"));

  // "Стереть" takes them all; so does "Закрыть", and the window opens empty.
  QTest::keyClick(Form.Edit1, Qt::Key_F6);
  EXPECT_EQ(Chart.CurveCount(), 1);
  EXPECT_EQ(Chart.TotalPointCount(), 0);
  EXPECT_TRUE(Chart.LegendTexts().isEmpty());
  Build(QStringLiteral("sin(x)"));
  Form.N13->trigger();
  Build(QStringLiteral("x/100"));
  Form.N2->trigger();
  EXPECT_EQ(Chart.CurveCount(), 1);
  EXPECT_EQ(Chart.TotalPointCount(), 0);
  Form.show();
  EXPECT_EQ(Chart.TotalPointCount(), 0);
}

TEST_F(Plot2DCurvesTest, ReportListsEveryFormulaOnTheChart) {
  Build(QStringLiteral("sin(x)"));
  Form.N13->trigger();
  Build(QStringLiteral("cos(x)"));
  Dialog<TParametricDialog>(Form.N14, {});
  Dialog<TPolarDialog>(Form.N15, {QStringLiteral("cos(4*t)")});
  Scripted().Clear();
  Scripted().Home = Home.path();
  Form.Word1->trigger();
  const QString file = QDir(Home.path()).filePath(QStringLiteral("ex.odt"));
  const auto paragraphs = OdfParagraphs(ZipEntry(file, QStringLiteral("content.xml")));
  ASSERT_EQ(paragraphs.size(), 8u);
  EXPECT_EQ(paragraphs[2].Text, QStringLiteral(" Графики построены по формулам:"));
  EXPECT_EQ(paragraphs[3].Text, QStringLiteral("     F(X) = cos(x) "));
  EXPECT_EQ(paragraphs[4].Text, QStringLiteral("     F(X) = sin(x) "));
  EXPECT_EQ(paragraphs[5].Text, QStringLiteral("     X(t) = cos(t); Y(t) = sin(t) "));
  EXPECT_EQ(paragraphs[6].Text, QStringLiteral("     R(φ) = cos(4*t) "));
  EXPECT_EQ(paragraphs[7].Pictures.size(), 1);
  // The same picture in the BMP file: every curve and the legend.
  Scripted().SaveFileAnswers.push_back(QDir(Home.path()).filePath(QStringLiteral("all")));
  Form.BMP1->trigger();
  EXPECT_EQ(QImage(QDir(Home.path()).filePath(QStringLiteral("all.bmp"))).convertToFormat(QImage::Format_RGB32),
            Chart.Render());
  EXPECT_THAT(Chart.LegendTexts(), SizeIs(4));
}

TEST_F(Plot2DCurvesTest, ParametricCircleAndPolarRoseAreRoundWithEqualScale) {
  Form.N16->trigger();  // "Одинаковый масштаб осей"
  ASSERT_TRUE(Chart.EqualScale());
  Dialog<TParametricDialog>(Form.N14, {});
  EXPECT_THAT(Shown(), IsEmpty());
  ASSERT_EQ(Chart.CurveCount(), 2);
  EXPECT_EQ(Chart.CurveKind(1), TCurveKind::Parametric);
  EXPECT_EQ(Chart.PointCount(1), 361);
  QRect circle = Bounds(TLineChart::KeptColour(0));
  EXPECT_GT(circle.width(), 100);
  EXPECT_LE(std::abs(circle.width() - circle.height()), 2) << circle.width() << " x " << circle.height();

  // The rose cos(4*t): at φ = 45 R is -1, so the point is at 225°.
  Form.N7->trigger();
  Dialog<TPolarDialog>(Form.N15, {QStringLiteral("cos(4*t)")});
  ASSERT_EQ(Chart.CurveKind(1), TCurveKind::Polar);
  EXPECT_NEAR(Chart.PointX(45, 1), -std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(Chart.PointY(45, 1), -std::sqrt(0.5), 1e-12);
  const QRect rose = Bounds(TLineChart::KeptColour(0));
  EXPECT_LE(std::abs(rose.width() - rose.height()), 2) << rose.width() << " x " << rose.height();
  // Pointing at a petal tells φ and R.
  SendMouse(Chart.MouseArea(), QEvent::MouseMove, Chart.PixelOf({-std::sqrt(0.5), -std::sqrt(0.5)}));
  EXPECT_EQ(Chart.Readout(), QStringLiteral("φ = 45; R(φ) = -1"));

  // Equal scale off: the rose fills the plot area again.
  Form.N16->trigger();
  const QRect wide = Bounds(TLineChart::KeptColour(0));
  EXPECT_GT(wide.width() - wide.height(), 50);
}

TEST_F(Plot2DCurvesTest, GapsMessagesAndRefusalsOfTheDialogs) {
  // sqrt(t-180): no value before 180, the refusal shown once at the first point.
  Dialog<TParametricDialog>(Form.N14, {QStringLiteral("t"), QStringLiteral("sqrt(t-180)")});
  ASSERT_THAT(Shown(), SizeIs(1));
  EXPECT_EQ(Shown()[0].rfind("error: ", 0), 0u);
  ASSERT_EQ(Chart.PointCount(1), 361);
  EXPECT_TRUE(std::isnan(Chart.PointX(100, 1)));
  EXPECT_EQ(Chart.PointY(280, 1), 10);

  struct TCase {
    QStringList Texts;
    std::vector<std::string> Lines;
  };
  const TCase cases[] = {
      {{"a*t+b", "t"}, {"error: Кривая X(t) строится по одной переменной, а в формуле есть лишние: t, b!", "beep"}},
      {{"t", ""}, {"error: Введите формулу, по которой будет строиться график!", "beep"}},
      {{"t", "t", "0", "360", "0"}, {"error: Неправильная запись шага расчета!", "beep"}},
      {{"t", "t", "x"}, {"beep", "message: Ошибка ввода данных!", "error: Неправильная запись начала диапазона!", "beep"}},
      {{"t", "t", "0", "1000001", "1"}, {"beep", "message: Введенное значение вне допустимого диапазона!"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Texts.join(' ').toStdString());
    Scripted().Clear();
    Dialog<TParametricDialog>(Form.N14, c.Texts);
    EXPECT_EQ(Shown(), c.Lines);
  }
  // Out of range is only a warning while typing: the curve is built.
  EXPECT_EQ(Chart.CurveCount(), 3);
  // Esc closes the dialog and adds nothing.
  Dialog<TPolarDialog>(Form.N15, {}, Qt::Key_Escape);
  EXPECT_EQ(Chart.CurveCount(), 3);
}

TEST_F(Plot2DCurvesTest, AllCurvesTogetherHoldAtMostTwentyMillionPoints) {
  // Two curves of 10 000 000 points: as many as the chart takes.
  Build(QStringLiteral("x"), QStringLiteral("-500000"), QStringLiteral("499999,9"), QStringLiteral("0,1"));
  ASSERT_EQ(Chart.PointCount(0), 10'000'000);
  Form.N13->trigger();
  Form.N6->trigger();
  ASSERT_EQ(Chart.TotalPointCount(), 20'000'000);
  Form.N13->trigger();
  EXPECT_THAT(Shown(), IsEmpty());

  // One point more is refused, by a build and by a dialog, and nothing changes.
  Build(QStringLiteral("x"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1"));
  EXPECT_THAT(Shown(), ElementsAre(TooManyOnChart, "beep"));
  EXPECT_EQ(Form.focusWidget(), Form.Edit4);
  Scripted().Clear();
  Dialog<TPolarDialog>(Form.N15, {});
  EXPECT_THAT(Shown(), ElementsAre(TooManyOnChart, "beep"));
  EXPECT_EQ(Chart.CurveCount(), 3);
  EXPECT_EQ(Chart.TotalPointCount(), 20'000'000);

  // A build that replaces the current curve counts without it.
  Form.N7->trigger();
  EXPECT_EQ(Chart.TotalPointCount(), 0);
}

}  // namespace
