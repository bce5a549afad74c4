// The calculator window driven through its handlers and real input events,
// with the scripted platform recording messages, beeps and pages.
#include "engine/Formula_math.h"
#include "windows/FormTools.h"
#include "windows/Unit4.h"
#include "windows/WebPage.h"
#include "tests/support/WidgetTest.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const char* const VarsInfo = "information: В формуле есть переменные! Введите ихние значения.";
const char* const PrecisionError = "error: Ошибка! Неправильная запись точности расчета!";
const std::string ValueError = "error: Неправильная запись значения переменной  ";

class CalculatorTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    Form.show();  // opening runs FormActivate
  }

  // "Расчет" pressed with the mouse, as a user does: an exception of the
  // computation goes to the general error report.
  void Press() { QTest::mouseClick(Form.Button2, Qt::LeftButton); }

  void SetValue(int row, const QString& text) { Form.StringGrid1->item(row, 1)->setText(text); }
  void SetPrecision(const QString& text) { Form.ComboBox3->setEditText(text); }
  void SetFormula(const QString& text) { Form.Edit1->setText(text); }
  QString Result() const { return Form.Edit2->text(); }

  // The sample formula with a = 0 and bg = 5, computed at the initial precision.
  void ComputeSample() {
    Press();
    SetValue(0, QStringLiteral("0"));
    SetValue(1, QStringLiteral("5"));
    Press();
    ASSERT_EQ(Result(), QStringLiteral("1,707"));
    Scripted().Clear();
  }

  TForm4 Form;
};

TEST_F(CalculatorTest, OpeningStartsFromTheSampleFormula) {
  EXPECT_EQ(Form.Edit1->text(), QStringLiteral("cos(a)+sin(90/2)+a*bg"));
  EXPECT_TRUE(Result().isEmpty());
  EXPECT_FALSE(Form.StringGrid1->isVisible());
  EXPECT_FALSE(Form.StringGrid1->isEnabled());
  EXPECT_EQ(Form.StringGrid1->rowCount(), 0);
  EXPECT_EQ(Form.ComboBox3->currentText(), QStringLiteral("0,001"));

  // Every opening starts over, whatever was typed or computed before.
  ComputeSample();
  SetFormula(QStringLiteral("2+2"));
  Press();
  ASSERT_EQ(Result(), QStringLiteral("4"));
  Form.N2Click();
  EXPECT_FALSE(Form.isVisible());
  Form.show();
  EXPECT_EQ(Form.Edit1->text(), QStringLiteral("cos(a)+sin(90/2)+a*bg"));
  EXPECT_TRUE(Result().isEmpty());
  EXPECT_EQ(Form.StringGrid1->rowCount(), 0);
  EXPECT_EQ(Form.CalcRunCount, 1);
  EXPECT_FALSE(Form.VarsShown || Form.Computed || Form.ValuesRead || Form.InputsChanged);
}

TEST_F(CalculatorTest, FirstPressListsTheVariablesWithoutAResult) {
  Press();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(VarsInfo, "beep"));
  EXPECT_TRUE(Form.StringGrid1->isVisible());
  EXPECT_TRUE(Form.StringGrid1->isEnabled());
  ASSERT_EQ(Form.StringGrid1->rowCount(), 2);
  EXPECT_EQ(Form.StringGrid1->item(0, 0)->text(), QStringLiteral("a"));
  EXPECT_EQ(Form.StringGrid1->item(1, 0)->text(), QStringLiteral("bg"));
  EXPECT_TRUE(Form.StringGrid1->item(0, 1)->text().isEmpty());
  EXPECT_FALSE(Form.StringGrid1->item(0, 0)->flags() & Qt::ItemIsEditable);  // the names column is fixed
  EXPECT_TRUE(Form.StringGrid1->item(0, 1)->flags() & Qt::ItemIsEditable);
  EXPECT_EQ(Form.focusWidget(), Form.StringGrid1);
  EXPECT_TRUE(Result().isEmpty());
  EXPECT_TRUE(Form.VarsShown);
  EXPECT_FALSE(Form.Computed);
  EXPECT_EQ(Form.CalcRunCount, 1);
}

TEST_F(CalculatorTest, SecondPressComputesTheSample) {
  Press();
  SetValue(0, QStringLiteral("0"));
  SetValue(1, QStringLiteral("5"));
  Scripted().Clear();
  Press();
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
  EXPECT_EQ(Result(), QStringLiteral("1,707"));
  EXPECT_TRUE(Form.Computed);
  EXPECT_TRUE(Form.ValuesRead);
  EXPECT_FALSE(Form.InputsChanged);
  EXPECT_EQ(Form.CalcRunCount, 2);
  EXPECT_EQ(Form.LastVarValues, (std::vector<double>{0, 0, 5}));
}

TEST_F(CalculatorTest, PressWithNothingChangedDoesNothing) {
  ComputeSample();
  const TFormula* parsed = Form.CalcFormula.get();
  Press();
  Press();
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
  EXPECT_EQ(Result(), QStringLiteral("1,707"));
  EXPECT_EQ(Form.CalcRunCount, 2);
  EXPECT_EQ(Form.CalcFormula.get(), parsed);
}

TEST_F(CalculatorTest, PrecisionChangeRecomputesWithTheSameParsedFormula) {
  ComputeSample();
  const TFormula* parsed = Form.CalcFormula.get();
  SetPrecision(QStringLiteral("0,1"));
  EXPECT_TRUE(Form.InputsChanged);
  Press();
  EXPECT_EQ(Result(), QStringLiteral("1,7"));
  EXPECT_EQ(Form.CalcFormula.get(), parsed);
  EXPECT_EQ(Form.CalcRunCount, 3);
  // Once changed, every press computes again until the next reset.
  Press();
  EXPECT_EQ(Form.CalcRunCount, 4);
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
}

TEST_F(CalculatorTest, ChoosingAnItemCountsAsAChangeEvenWhenTheSame) {
  ComputeSample();
  Form.ComboBox3->setCurrentIndex(2);  // "0,001", as shown already
  emit Form.ComboBox3->activated(2);
  EXPECT_TRUE(Form.InputsChanged);
}

TEST_F(CalculatorTest, FormulaWithoutVariablesIsParsedAnewOnRecomputation) {
  SetFormula(QStringLiteral("10/3"));
  Press();
  EXPECT_EQ(Result(), QStringLiteral("3,333"));
  const TFormula* first = Form.CalcFormula.get();
  SetPrecision(QStringLiteral("0,1"));
  Press();
  EXPECT_EQ(Result(), QStringLiteral("3,3"));
  EXPECT_NE(Form.CalcFormula.get(), first);
  EXPECT_EQ(Form.CalcFormula->VarMode, 2);  // only the first parse after an edit makes variables
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
}

struct PrecisionCase {
  const char* precision;
  const char* result;
};

class CalculatorPrecisionTest : public CalculatorTest, public ::testing::WithParamInterface<PrecisionCase> {};

TEST_P(CalculatorPrecisionTest, RoundsTheResult) {
  SetFormula(QStringLiteral("10/3"));
  SetPrecision(QString::fromUtf8(GetParam().precision));
  Press();
  EXPECT_EQ(Result(), QString::fromUtf8(GetParam().result));
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Precisions, CalculatorPrecisionTest,
                         ::testing::Values(PrecisionCase{"0,01", "3,33"}, PrecisionCase{"0.01", "3,33"},
                                           PrecisionCase{"0,00000001", "3,33333333"},
                                           PrecisionCase{"и более", "3,33333333333333"},
                                           PrecisionCase{"1", "3"}, PrecisionCase{"0", "3,33333333333333"},
                                           PrecisionCase{"-5", "3,33333333333333"}));

TEST_F(CalculatorTest, PrecisionThatIsNotANumberIsRefused) {
  for (const char* bad : {"abc", "", "0,0,1", "1e"}) {
    Scripted().Clear();
    SetFormula(QStringLiteral("10/3"));
    SetPrecision(QString::fromUtf8(bad));
    Press();
    EXPECT_THAT(Scripted().Lines(), ElementsAre(PrecisionError, "beep")) << bad;
    EXPECT_TRUE(Form.focusWidget() == Form.ComboBox3 || Form.ComboBox3->isAncestorOf(Form.focusWidget())) << bad;
    EXPECT_TRUE(Result().isEmpty());
    EXPECT_FALSE(Form.Computed);
    EXPECT_EQ(Form.CalcFormula, nullptr);
  }
}

TEST_F(CalculatorTest, BadPrecisionAfterAResultClearsItAndKeepsTheState) {
  ComputeSample();
  SetPrecision(QStringLiteral("abc"));
  Press();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(PrecisionError, "beep"));
  EXPECT_TRUE(Result().isEmpty());
  EXPECT_TRUE(Form.Computed);
  EXPECT_EQ(Form.CalcRunCount, 2);
}

TEST_F(CalculatorTest, ValueThatIsNotANumberNamesTheVariable) {
  Press();
  SetValue(0, QStringLiteral("7"));
  SetValue(1, QStringLiteral("x1"));
  Scripted().Clear();
  Press();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(ValueError + "bg", "beep"));
  EXPECT_EQ(Form.focusWidget(), Form.StringGrid1);
  EXPECT_EQ(Form.StringGrid1->currentRow(), 1);
  EXPECT_TRUE(Result().isEmpty());
  EXPECT_FALSE(Form.Computed);
  EXPECT_FALSE(Form.ValuesRead);
  EXPECT_EQ(Form.CalcFormula->Vars[1].Value, 7);  // the rows above were already stored
  EXPECT_EQ(Form.LastVarValues[1], 7);

  // Mended, the value is used; a point counts as the decimal comma.
  SetValue(1, QStringLiteral("2.5"));
  Scripted().Clear();
  Press();
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
  EXPECT_EQ(Result(), QStringLiteral("19,2"));  // cos 7° + sin 45° + 17,5 = 19,19965...
}

TEST_F(CalculatorTest, EmptyValueIsRefusedToo) {
  Press();
  SetValue(0, QStringLiteral("1"));
  Scripted().Clear();
  Press();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(ValueError + "bg", "beep"));
}

TEST_F(CalculatorTest, LeavingTheGridNoticesADifferentValueOnly) {
  ComputeSample();
  struct Case {
    const char* value;
    bool changed;
  };
  for (const Case c : {Case{"0,0", false}, Case{"0.0", false}, Case{"x", false}, Case{"", false},
                       Case{"1", true}, Case{"-0,5", true}}) {
    Form.InputsChanged = false;
    SetValue(0, QString::fromUtf8(c.value));
    Form.StringGrid1Exit();
    EXPECT_EQ(Form.InputsChanged, c.changed) << c.value;
  }
}

TEST_F(CalculatorTest, LeavingTheGridBeforeAnyReadChangesNothing) {
  Press();
  SetValue(0, QStringLiteral("3"));
  Form.StringGrid1Exit();
  EXPECT_FALSE(Form.InputsChanged);
}

TEST_F(CalculatorTest, NewValueLeftInTheGridIsComputed) {
  ComputeSample();
  SetValue(1, QStringLiteral("6"));
  Form.StringGrid1Exit();
  Press();
  EXPECT_EQ(Result(), QStringLiteral("1,707"));  // a = 0: bg does not count
  SetValue(0, QStringLiteral("90"));
  Form.StringGrid1Exit();
  Press();
  EXPECT_EQ(Result(), QStringLiteral("540,707"));  // cos 90° + sin 45° + 90·6
}

TEST_F(CalculatorTest, TabbingOutOfTheGridNoticesTheNewValue) {
  ComputeSample();
  Form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
  Form.StringGrid1->setFocus();
  SetValue(0, QStringLiteral("90"));
  QTest::keyClick(Form.StringGrid1, Qt::Key_Tab);
  EXPECT_FALSE(Form.StringGrid1->hasFocus());
  EXPECT_TRUE(Form.InputsChanged);
  // A message box taking the focus for a while is no leaving of the grid.
  Form.InputsChanged = false;
  Form.StringGrid1->setFocus();
  SetValue(0, QStringLiteral("91"));
  QWidget box;
  box.show();
  box.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  EXPECT_FALSE(Form.InputsChanged);
}

TEST_F(CalculatorTest, ValueTypedWithoutLeavingTheGridCountsForTheComputation) {
  ComputeSample();
  Form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
  Form.StringGrid1->setFocus();
  Form.StringGrid1->setCurrentCell(0, 1);
  SetValue(0, QStringLiteral("90"));
  ASSERT_TRUE(Form.StringGrid1->hasFocus());
  Form.N27Click();  // F5 while still in the grid
  EXPECT_EQ(Result(), QStringLiteral("450,707"));
}

TEST_F(CalculatorTest, EditingTheFormulaResets) {
  ComputeSample();
  SetFormula(QStringLiteral("cos(a)+sin(90/2)+a*bg+x"));
  EXPECT_FALSE(Form.StringGrid1->isVisible());
  EXPECT_FALSE(Form.StringGrid1->isEnabled());
  EXPECT_EQ(Form.StringGrid1->rowCount(), 0);
  EXPECT_TRUE(Result().isEmpty());
  EXPECT_EQ(Form.CalcRunCount, 1);
  EXPECT_FALSE(Form.VarsShown || Form.Computed || Form.ValuesRead || Form.InputsChanged);
  Press();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(VarsInfo, "beep"));
  EXPECT_EQ(Form.StringGrid1->rowCount(), 3);
}

TEST_F(CalculatorTest, NewEmptiesBothFieldsAndAnEmptyFormulaDoesNotCrash) {
  ComputeSample();
  Form.N11Click();
  EXPECT_TRUE(Form.Edit1->text().isEmpty());
  EXPECT_TRUE(Result().isEmpty());
  EXPECT_FALSE(Form.Computed);
  Press();
  EXPECT_EQ(Result(), QString::fromStdU16String(Form.CalcFormula->ResultText));
  EXPECT_FALSE(Form.VarsShown);
}

TEST_F(CalculatorTest, EngineErrorsAreShownByTheEngine) {
  for (const char* formula : {"2+*3", "sqrt(0-4)", "(1+2", "cos()"}) {
    Scripted().Clear();
    SetFormula(QString::fromUtf8(formula));
    Press();
    ASSERT_FALSE(Scripted().Lines().empty()) << formula;
    EXPECT_EQ(Scripted().Log().front().Icon, TMessageBoxIcon::Error) << formula;
    EXPECT_EQ(Result(), QString::fromStdU16String(Form.CalcFormula->ResultText)) << formula;
  }
}

TEST_F(CalculatorTest, ArithmeticFaultReachesTheGeneralErrorReport) {
  ComputeSample();
  SetFormula(QStringLiteral("10^5000"));
  Press();
  ASSERT_EQ(Scripted().MessageLines().size(), 1u);
  EXPECT_EQ(Scripted().Log().front().Icon, TMessageBoxIcon::Error);
  EXPECT_TRUE(Result().isEmpty());
  EXPECT_FALSE(Form.Computed);
  EXPECT_EQ(Form.CalcRunCount, 1);
  // The window goes on working.
  SetFormula(QStringLiteral("1+1"));
  Press();
  EXPECT_EQ(Result(), QStringLiteral("2"));
}

TEST_F(CalculatorTest, OutOfRangeNumbersAreReportedNotCrashed) {
  SetFormula(QStringLiteral("1+1"));
  SetPrecision(QStringLiteral("1e99999"));
  Press();
  EXPECT_TRUE(Result().isEmpty());
  SetPrecision(QStringLiteral("1e-99999"));
  Press();
  SetPrecision(QStringLiteral("1e300"));
  Press();
  SetFormula(QStringLiteral("a+1"));
  SetPrecision(QStringLiteral("0,1"));
  Press();
  SetValue(0, QStringLiteral("1e99999"));
  Press();
  EXPECT_TRUE(Result().isEmpty());
  SetValue(0, QStringLiteral("1"));
  Press();
  EXPECT_EQ(Result(), QStringLiteral("2"));
}

TEST_F(CalculatorTest, LongFormulaIsComputed) {
  QString formula = QStringLiteral("1");
  while (formula.size() < 10000) formula += QStringLiteral("+1");
  SetFormula(formula);
  Press();
  EXPECT_THAT(Scripted().Lines(), IsEmpty());
  EXPECT_EQ(Result(), QString::number(formula.size() / 2 + 1));
}

TEST_F(CalculatorTest, HundredsOfVariablesAreListedAndComputed) {
  QStringList names;
  for (int i = 1; i <= 400; ++i) names << QStringLiteral("v%1").arg(i);
  SetFormula(names.join(u'+'));
  Press();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(VarsInfo, "beep"));
  ASSERT_EQ(Form.StringGrid1->rowCount(), 400);
  EXPECT_EQ(Form.StringGrid1->item(399, 0)->text(), QStringLiteral("v400"));
  for (int row = 0; row < 400; ++row) SetValue(row, QString::number(row + 1));
  Press();
  EXPECT_EQ(Result(), QStringLiteral("80200"));
}

TEST_F(CalculatorTest, EveryWayToStartComputes) {
  SetFormula(QStringLiteral("2*3"));
  emit Form.N10->aboutToShow();  // opening the top-level menu itself
  EXPECT_EQ(Result(), QStringLiteral("6"));
  SetFormula(QStringLiteral("2*4"));
  Form.N27->trigger();
  EXPECT_EQ(Result(), QStringLiteral("8"));
  SetFormula(QStringLiteral("2*5"));
  Form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
  QTest::keyClick(Form.Edit1, Qt::Key_F5);
  EXPECT_EQ(Result(), QStringLiteral("10"));
}

TEST_F(CalculatorTest, TypingIntoTheFormulaResetsAndTheGridTakesTypedValues) {
  Form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
  Press();
  ASSERT_EQ(Form.StringGrid1->rowCount(), 2);
  // Typing into the focused grid edits the current cell at once.
  QTest::keyClicks(Form.StringGrid1, QStringLiteral("0"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("5"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F5);
  EXPECT_EQ(Result(), QStringLiteral("1,707"));
  QTest::keyClick(Form.Edit1, Qt::Key_Backspace);
  EXPECT_FALSE(Form.StringGrid1->isVisible());
  EXPECT_TRUE(Result().isEmpty());
}

TEST_F(CalculatorTest, PrecisionIsTheTextTypedNotACompletionOfIt) {
  Form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Form));
  Form.ComboBox3->setFocus();
  for (const char* typed : {"0", "0,0", "0,00"}) {
    Form.ComboBox3->lineEdit()->clear();
    QTest::keyClicks(Form.ComboBox3->lineEdit(), QString::fromUtf8(typed));
    EXPECT_EQ(Form.ComboBox3->currentText(), QString::fromUtf8(typed));
  }
}

// The grid loses the focus while the window is being destroyed; under the
// sanitizers a call back into the half-destroyed window is caught here.
class CalculatorLifetimeTest : public TWidgetTest {};

TEST_F(CalculatorLifetimeTest, DestroyingTheWindowWithTheFocusInTheGridIsSafe) {
  auto form = std::make_unique<TForm4>();
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  form->Button2Click();
  form->StringGrid1->item(0, 1)->setText(QStringLiteral("1"));
  form->StringGrid1->item(1, 1)->setText(QStringLiteral("2"));
  form->Button2Click();
  form->StringGrid1->setFocus();
  form->StringGrid1->editItem(form->StringGrid1->item(0, 1));
  ASSERT_TRUE(form->StringGrid1->isAncestorOf(QApplication::focusWidget()));
  form.reset();
  EXPECT_EQ(QApplication::focusWidget(), nullptr);
}

TEST_F(CalculatorTest, MenuItemsAndFooter) {
  Form.Word1->trigger();
  Form.Label2Click();
  // The report document is made under the busy cursor and then opened.
  EXPECT_THAT(Scripted().Lines(),
              ElementsAre("busy cursor", "document: " + (Scripted().HomeFolder() + QStringLiteral("/ex.odt")).toStdString(),
                          "normal cursor", std::string("web page: ") + MakerWebAddress));
  Scripted().Clear();
  Scripted().FailWebPage = true;
  QTest::mouseClick(Form.Label2, Qt::LeftButton);
  ASSERT_EQ(Scripted().Lines().size(), 2u);
  EXPECT_EQ(Scripted().Log()[1].Icon, TMessageBoxIcon::Error);
  Form.N2->trigger();
  EXPECT_FALSE(Form.isVisible());
}

TEST_F(CalculatorTest, TextsColoursAndShortcuts) {
  EXPECT_EQ(Form.windowTitle(), QStringLiteral("Расчет формул"));
  const QString heading = Form.Label1->text();
  EXPECT_EQ(heading, QString(46, u' ') + QStringLiteral("Формула"));
  EXPECT_EQ(Form.Label1->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
  EXPECT_TRUE(Form.Label1->font().bold());
  EXPECT_EQ(Form.Edit1->palette().color(QPalette::Text), QColor(0, 0x80, 0));
  EXPECT_TRUE(Form.Edit1->font().bold());
  EXPECT_TRUE(Form.Edit2->isReadOnly());
  EXPECT_EQ(Form.Edit2->palette().color(QPalette::Text), QColor(Qt::red));
  EXPECT_EQ(Form.Label5->text(), QStringLiteral("="));
  EXPECT_EQ(Form.Label6->text(), QStringLiteral("с точностью"));
  QStringList items;
  for (int i = 0; i < Form.ComboBox3->count(); ++i) items << Form.ComboBox3->itemText(i);
  EXPECT_EQ(items.join(u'|'), QStringLiteral("0,1|0,01|0,001|0,0001|0,00001|0,000001|0,0000001|0,00000001|и более"));
  EXPECT_TRUE(Form.ComboBox3->isEditable());
  EXPECT_EQ(Form.Button2->text(), QStringLiteral("Расчет"));
  EXPECT_EQ(Form.Button2->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(Form.Label2->text(), QStringLiteral("Пример программы с сайта ") + QString::fromLatin1(MakerWebAddress));
  EXPECT_EQ(Form.StringGrid1->columnCount(), 2);
  EXPECT_EQ(Form.StringGrid1->columnWidth(0), 150);
  EXPECT_EQ(Form.StringGrid1->columnWidth(1), 150);

  struct Item {
    QAction* action;
    const char* text;
    QKeySequence keys;
  };
  for (const Item& i : {Item{Form.N11, "Новая", QKeySequence(Qt::CTRL | Qt::Key_N)},
                        Item{Form.N12, "Открыть из файла", QKeySequence(Qt::CTRL | Qt::Key_O)},
                        Item{Form.Word1, "В Word", QKeySequence(Qt::CTRL | Qt::Key_W)},
                        Item{Form.N25, "В текстовый файл", QKeySequence(Qt::CTRL | Qt::Key_T)},
                        Item{Form.N26, "В буфер", QKeySequence(Qt::CTRL | Qt::Key_S)},
                        Item{Form.N27, "Рассчитать", QKeySequence(Qt::Key_F5)},
                        Item{Form.N2, "Закрыть", QKeySequence(Qt::Key_F10)}}) {
    EXPECT_EQ(i.action->text(), QString::fromUtf8(i.text));
    EXPECT_EQ(i.action->shortcut(), i.keys) << i.text;
  }
  // Menu order: Формула (Новая, Открыть из файла, Експортировать, Рассчитать), Закрыть.
  ASSERT_EQ(Form.MainMenu1->actions().size(), 2);
  EXPECT_EQ(Form.MainMenu1->actions()[0], Form.N10->menuAction());
  EXPECT_EQ(Form.N10->title(), QStringLiteral("Формула"));
  EXPECT_EQ(Form.MainMenu1->actions()[1], Form.N2);
  EXPECT_EQ(Form.N10->actions(), (QList<QAction*>{Form.N11, Form.N12, Form.N24->menuAction(), Form.N27}));
  EXPECT_EQ(Form.N24->title(), QStringLiteral("Експортировать"));
  EXPECT_EQ(Form.N24->actions(), (QList<QAction*>{Form.Word1, Form.N25, Form.N26}));
}

}  // namespace
