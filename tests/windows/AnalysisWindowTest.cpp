// The "Анализ" menu of the plane plot driven as a user drives it: the checks
// before a curve exists, the findings in "Результаты анализа" and as marks
// that stay out of the exports, the value at a point with the engine's own
// message, the clipboard, the readout moved to a row, the table of values
// over the chart and its CSV file.
#include "plot2d/LineChart.h"
#include "windows/AnalysisResults.h"
#include "windows/Unit7.h"
#include "windows/ValueTable.h"
#include "plot2d/PointsTable.h"
#include "tests/support/WidgetTest.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <string>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const std::string NoCurve = "error: Сначала постройте график!";

class AnalysisWindowTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    Form.show();
    Scripted().Clear();
  }

  // Builds text over the range as a user types and presses F5; the build's
  // own messages are forgotten.
  void Build(const QString& text, const QString& start, const QString& end, const QString& step) {
    Form.Edit1->setText(text);
    Form.Edit2->setText(start);
    Form.Edit3->setText(end);
    Form.Edit4->setText(step);
    Form.N6->trigger();
    Scripted().Clear();
  }

  std::vector<QStringList> Rows() const {
    std::vector<QStringList> rows;
    for (int r = 0; Form.AnalysisResults && r < Form.AnalysisResults->RowCount(); ++r)
      rows.push_back(Form.AnalysisResults->RowTexts(r));
    return rows;
  }

  TForm7 Form;
};

TEST_F(AnalysisWindowTest, WithoutACurveEveryItemAsksForOne) {
  for (QAction* action : {Form.Roots1, Form.Extrema1, Form.Crossings1, Form.PointValue1, Form.ValueTable1}) {
    Scripted().Clear();
    action->trigger();
    EXPECT_THAT(Scripted().Lines(), ElementsAre(NoCurve, "beep")) << action->text().toStdString();
  }
  // A wiped curve is no curve either.
  Build(QStringLiteral("x"), QStringLiteral("-1"), QStringLiteral("1"), QStringLiteral("1"));
  Form.N7->trigger();
  Form.Roots1->trigger();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(NoCurve, "beep"));
  EXPECT_EQ(Form.AnalysisResults, nullptr);
}

TEST_F(AnalysisWindowTest, RootsAndExtremaOfTheCubicAreListedAndMarkedOutsideTheExports) {
  Build(QStringLiteral("x^3-2*x"), QStringLiteral("-3"), QStringLiteral("3"), QStringLiteral("0,01"));
  const QImage plain = Form.Chart1->Render();

  Form.Roots1->trigger();
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
  const auto roots = Rows();
  ASSERT_EQ(roots.size(), 3u);
  EXPECT_EQ(roots[0][0], QStringLiteral("-1,4142135623731"));
  EXPECT_EQ(roots[1][0], QStringLiteral("0"));
  EXPECT_EQ(roots[2][0], QStringLiteral("1,4142135623731"));
  for (const QStringList& row : roots) EXPECT_EQ(row[2], QStringLiteral("корень"));
  EXPECT_TRUE(Form.AnalysisResults->isVisible());
  EXPECT_EQ(Form.Chart1->MarkCount(), 3);
  // Marks are for the screen: every export renders the chart without them,
  // unless the user asks for them.
  EXPECT_EQ(Form.Chart1->Render(), plain);
  Form.MarksInExport1->trigger();
  EXPECT_NE(Form.Chart1->Render(), plain);
  Form.MarksInExport1->trigger();
  EXPECT_EQ(Form.Chart1->Render(), plain);

  Form.Extrema1->trigger();
  const auto extrema = Rows();
  ASSERT_EQ(extrema.size(), 2u);
  EXPECT_TRUE(extrema[0][0].startsWith(QStringLiteral("-0,8164965809"))) << extrema[0][0].toStdString();
  EXPECT_EQ(extrema[0][1], QStringLiteral("1,08866210790363"));
  EXPECT_EQ(extrema[0][2], QStringLiteral("максимум"));
  EXPECT_TRUE(extrema[1][0].startsWith(QStringLiteral("0,8164965809"))) << extrema[1][0].toStdString();
  EXPECT_EQ(extrema[1][1], QStringLiteral("-1,08866210790363"));
  EXPECT_EQ(extrema[1][2], QStringLiteral("минимум"));
  EXPECT_EQ(Form.Chart1->MarkCount(), 2);

  // Choosing a row puts the chart's readout on that point of the curve.
  Form.AnalysisResults->Table->selectRow(1);
  EXPECT_TRUE(Form.Chart1->Readout().startsWith(QStringLiteral("X = 0,82; F(X) = -1,088"))) << Form.Chart1->Readout().toStdString();
  // Ctrl+C: the selected rows as tab-separated lines.
  Form.AnalysisResults->Table->selectAll();
  QTest::keyClick(Form.AnalysisResults->Table, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), extrema[0].join('\t') + '\n' + extrema[1].join('\t') + '\n');

  // The findings go with the curve: an edit of the formula wipes both.
  Form.Edit1->setText(QStringLiteral("x^3-2*x+1"));
  EXPECT_EQ(Form.Chart1->MarkCount(), 0);
  EXPECT_EQ(Form.AnalysisResults->RowCount(), 0);
}

TEST_F(AnalysisWindowTest, ThePolesOfTheBuildAreBreaksAndItsMessagesAreNotShownAgain) {
  // The build shows the division by zero at X = 0 once; the search does not.
  Form.Edit1->setText(QStringLiteral("1/x"));
  Form.Edit2->setText(QStringLiteral("-1"));
  Form.Edit3->setText(QStringLiteral("1"));
  Form.Edit4->setText(QStringLiteral("0,25"));
  Scripted().Clear();
  Form.N6->trigger();
  ASSERT_EQ(Scripted().MessageLines().size(), 1u);
  Scripted().Clear();
  Form.Roots1->trigger();
  Form.Extrema1->trigger();
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
  Form.Roots1->trigger();
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0], QStringList({QStringLiteral("0"), QString(), QStringLiteral("разрыв")}));
  EXPECT_EQ(Form.Chart1->MarkCount(), 1);

  // One curve on the chart: nothing to meet.
  Scripted().Clear();
  Form.Crossings1->trigger();
  EXPECT_THAT(Scripted().Lines(), ElementsAre("error: Для поиска пересечений нужен второй график!", "beep"));
}

TEST_F(AnalysisWindowTest, TheCurrentCurveMeetsEachKeptCurveOfX) {
  Build(QStringLiteral("cos(x)"), QStringLiteral("-400"), QStringLiteral("400"), QStringLiteral("1"));
  ASSERT_EQ(Form.Chart1->KeepCurve(), 1);
  Build(QStringLiteral("x/400"), QStringLiteral("-400"), QStringLiteral("400"), QStringLiteral("1"));
  ASSERT_EQ(Form.Chart1->KeepCurve(), 2);
  Build(QStringLiteral("sin(x)"), QStringLiteral("-300"), QStringLiteral("300"), QStringLiteral("1,3"));
  Form.Crossings1->trigger();
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
  // sin = cos at 45 + 180k (-135, 45, 225); sin(x) = x/400 at 0 and once
  // more on each side; each row names the curve it meets.
  const auto rows = Rows();
  ASSERT_EQ(rows.size(), 6u);
  int withCosine = 0;
  for (const QStringList& row : rows) {
    if (row[2] == QStringLiteral("пересечение с F(X) = cos(x)")) {
      const double x = QString(row[0]).replace(QLatin1Char(','), QLatin1Char('.')).toDouble();
      EXPECT_NEAR(std::remainder(x - 45, 180), 0, 1e-12) << x;
      ++withCosine;
    } else {
      EXPECT_EQ(row[2], QStringLiteral("пересечение с F(X) = x/400"));
    }
  }
  EXPECT_EQ(withCosine, 3);
  EXPECT_EQ(rows[2][0], QStringLiteral("0"));
  EXPECT_EQ(Form.Chart1->MarkCount(), 6);
}

TEST_F(AnalysisWindowTest, TheValueAtAPointIsTheCalculatorsWithTheEnginesMessage) {
  Build(QStringLiteral("sqrt(x)"), QStringLiteral("0"), QStringLiteral("4"), QStringLiteral("1"));
  Form.PointValue1->trigger();
  TAnalysisDialog* results = Form.AnalysisResults;
  ASSERT_NE(results, nullptr);
  EXPECT_TRUE(results->isVisible());
  results->Edit1->setText(QStringLiteral("2.25"));
  QTest::keyClick(results->Edit1, Qt::Key_Return);
  results->Edit1->setText(QStringLiteral("-1"));
  results->Button1->click();
  EXPECT_THAT(Scripted().Lines(), ElementsAre("error: Квадратный корень отрицательного числа не существует"));
  EXPECT_THAT(Rows(), ElementsAre(QStringList({QStringLiteral("2,25"), QStringLiteral("1,5"), QStringLiteral("значение")}),
                                  QStringList({QStringLiteral("-1"), QString(), QStringLiteral("значение")})));
  EXPECT_EQ(Form.Chart1->MarkCount(), 1);

  Scripted().Clear();
  results->Edit1->setText(QStringLiteral("2,5,1"));
  results->Button1->click();
  EXPECT_THAT(Scripted().Lines(), ElementsAre("error: Неправильная запись значения X!", "beep"));
  EXPECT_EQ(results->RowCount(), 2);
}

TEST_F(AnalysisWindowTest, TheTableShowsTheChartsPointsAndSavesThemAsCsv) {
  Build(QStringLiteral("1/x"), QStringLiteral("-1"), QStringLiteral("1"), QStringLiteral("0,5"));
  Form.ValueTable1->trigger();
  TValueTableDialog* table = Form.ValueTable;
  ASSERT_NE(table, nullptr);
  QAbstractItemModel* model = table->Table->Model();
  ASSERT_EQ(model->rowCount(), 5);
  EXPECT_EQ(model->index(0, 0).data().toString(), QStringLiteral("-1"));
  EXPECT_EQ(model->index(1, 1).data().toString(), QStringLiteral("-2"));

  QTemporaryDir dir;
  Scripted().SaveFileAnswers.push_back(dir.filePath(QStringLiteral("values")));
  table->Button1->click();
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
  QFile file(dir.filePath(QStringLiteral("values.csv")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  // X = 0 keeps the height before it on the chart: the table is the chart's.
  EXPECT_EQ(file.readAll(), QByteArray("X;F(X)\r\n-1;-1\r\n-0,5;-2\r\n0;-2\r\n0,5;2\r\n1;1\r\n"));

  // A new build is followed at once, and the keys reach its last rows.
  Build(QStringLiteral("x/2"), QStringLiteral("0"), QStringLiteral("99999"), QStringLiteral("1"));
  EXPECT_EQ(model->rowCount(), 100000);
  EXPECT_EQ(model->index(99999, 1).data().toString(), QStringLiteral("49999,5"));
  TPointsTableView* view = table->Table;
  EXPECT_EQ(view->CurrentRow(), 0);
  QTest::keyClick(view, Qt::Key_PageDown);
  EXPECT_EQ(view->CurrentRow(), view->VisibleRows());
  QTest::keyClick(view, Qt::Key_End);
  EXPECT_EQ(view->CurrentRow(), 99999);
  EXPECT_EQ(view->FirstVisibleRow(), 100000 - view->VisibleRows());
  QTest::keyClick(view, Qt::Key_Home);
  EXPECT_EQ(view->FirstVisibleRow(), 0);
  // "Стереть": nothing to show or save.
  Form.N7->trigger();
  EXPECT_EQ(view->CurrentRow(), -1);
  EXPECT_FALSE(table->Button1->isEnabled());
}

TEST_F(AnalysisWindowTest, StoppedWorkChangesNothing) {
  Build(QStringLiteral("sin(x)"), QStringLiteral("0"), QStringLiteral("299999"), QStringLiteral("1"));
  Form.Roots1->trigger();
  const auto roots = Rows();
  ASSERT_EQ(roots.size(), 1667u);
  // "Прервать" during the search for extrema: the roots stay, marked.
  Scripted().ProgressAfter = 0;
  Scripted().StopAt = 0.3;
  Form.Extrema1->trigger();
  EXPECT_EQ(Rows(), roots);
  EXPECT_EQ(Form.Chart1->MarkCount(), 1667);

  // ... and during the CSV file: the old file is as it was, nothing is said.
  QTemporaryDir dir;
  const QString name = dir.filePath(QStringLiteral("values.csv"));
  QFile old(name);
  ASSERT_TRUE(old.open(QIODevice::WriteOnly));
  old.write("old");
  old.close();
  Form.ValueTable1->trigger();
  Scripted().SaveFileAnswers.push_back(dir.filePath(QStringLiteral("values")));
  Scripted().QuestionAnswers.push_back(true);
  Form.ValueTable->Button1->click();
  EXPECT_THAT(Scripted().MessageLines(), ElementsAre(testing::StartsWith("question: ")));
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), QByteArray("old"));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("values.csv")});
}

}  // namespace
