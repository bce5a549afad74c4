// The formula field's menu in both windows that have it: templates inserted
// at the caret, formula files, the clipboard items, and the calculator's main
// menu reaching the same actions. The clipboard must keep what the user put
// there unless a clipboard item is chosen.
#include "windows/FormulaEdit.h"
#include "engine/Formula_functions.h"
#include "plot2d/LineChart.h"
#include "windows/Unit4.h"
#include "windows/Unit7.h"
#include "tests/support/WidgetTest.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const QString Sentinel = QStringLiteral("что пользователь скопировал");
const std::string OpenDialog = "open file dialog: " "Открытие текстового файла с математической формулой" " | "
    "Файлы с мат. формулами (*.math)|*.math|Текстовые файлы (*.txt)|*.txt|Все файлы (*.*)|*.*" " | 1";
const std::string SaveDialog = "save file dialog: " "Сохранение математической формулы в текстовый файл" " | "
    "Файлы с мат. формулами (*.math)|*.math|" " | 1";

enum class TWindow { Calculator, Plot };

class FormulaFieldTest : public TWidgetTest, public ::testing::WithParamInterface<TWindow> {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    Calculator.show();
    Plot.show();
    Scripted().Clear();
    QGuiApplication::clipboard()->setText(Sentinel);
  }

  bool IsCalculator() const { return GetParam() == TWindow::Calculator; }
  QLineEdit* Edit() const { return IsCalculator() ? Calculator.Edit1 : Plot.Edit1; }
  TFormulaMenu* Menu() const { return IsCalculator() ? Calculator.FormulaMenu : Plot.FormulaMenu; }
  // The text the window inserts for a template: the calculator's or the plot window's.
  static QString Either(bool calculator, const char* calc, const char* plot) {
    return QString::fromUtf8(calculator ? calc : plot);
  }
  void Choose(const char* item) {
    QAction* action = Menu()->TemplateItem(QString::fromLatin1(item));
    ASSERT_NE(action, nullptr) << item;
    action->trigger();
  }
  // The field's text with the caret shown as '|'.
  QString WithCaret() const { return QString(Edit()->text()).insert(Edit()->cursorPosition(), u'|'); }
  void SetText(const QString& text, int caret) {
    Edit()->setText(text);
    Edit()->setCursorPosition(caret);
  }
  // Makes the window's change handler visible: a result or a plotted chart
  // that any change of the formula clears.
  void ShowResult() {
    if (IsCalculator()) {
      Calculator.Edit2->setText(QStringLiteral("42"));
    } else {
      Plot.Button1Click();
      ASSERT_GT(Plot.Chart1->PointCount(), 0);
    }
    Scripted().Clear();
  }
  bool ResultShown() const { return IsCalculator() ? !Calculator.Edit2->text().isEmpty() : Plot.Chart1->PointCount() > 0; }

  QString Path(const QString& name) const { return Dir.filePath(name); }
  void WriteFile(const QString& name, const QByteArray& bytes) const {
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  QByteArray ReadFile(const QString& name) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
  static QString ClipboardText() { return QGuiApplication::clipboard()->text(); }

  QTemporaryDir Dir;
  TForm4 Calculator;
  TForm7 Plot;
};

INSTANTIATE_TEST_SUITE_P(BothWindows, FormulaFieldTest, ::testing::Values(TWindow::Calculator, TWindow::Plot),
                         [](const auto& info) { return info.param == TWindow::Calculator ? "Calculator" : "Plot"; });

// ------------------------------------------------------------------ the menu

TEST_P(FormulaFieldTest, MenuHasTheItemsAndSubmenusInOrder) {
  QStringList captions, names;
  for (QAction* a : Menu()->PopupMenu1->actions()) {
    captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    names << a->objectName();
  }
  EXPECT_EQ(captions, QStringList({QStringLiteral("Вставить формулу из файла"), QStringLiteral("Сохранить формулу в файл"),
                                   QStringLiteral("Вставить формулу из буфера"), QStringLiteral("Сохранить формулу в буфер"),
                                   QStringLiteral("-"), QStringLiteral("Основные операции"), QStringLiteral("Тригонометрические функции"),
                                   QStringLiteral("Математические функции"), QStringLiteral("Функции преобразований")}));
  EXPECT_EQ(names, IsCalculator() ? QStringList({"N6", "N7", "N8", "N9", "N5", "N17", "cos1", "sin1", "N23"})
                                  : QStringList({"MenuItem1", "MenuItem2", "N8", "N9", "MenuItem3", "N17", "cos1", "sin1", "N23"}));

  // The trigonometric templates come in groups; the other submenus have none.
  QStringList trigonometry;
  for (QAction* a : Menu()->cos1->actions()) trigonometry << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
  EXPECT_EQ(trigonometry.join(u' '),
            QStringLiteral("N13 sin2 tg1 ctg1 - cosh2 sinh1 tgh1 cth1 - arccos1 arcsin1 arctg1 arcctg1 - "
                           "arccosh1 arcsinh1 arctgh1 arcctgh1 -"));
  EXPECT_EQ(Menu()->N17->actions().size(), 5);
  EXPECT_EQ(Menu()->sin1->actions().size(), 18);
  EXPECT_EQ(Menu()->N23->actions().size(), 8);

  // Captions keep their spacing and letters exactly.
  struct Caption {
    const char* item;
    QString caption;
  };
  for (const Caption& c : {Caption{"N18", QStringLiteral("+   сложение")}, Caption{"N19", QStringLiteral("-    вычитание")},
                           Caption{"N22", QStringLiteral("^   возведение в степень")}, Caption{"exp1", QStringLiteral("exp - е в степени х")},
                           Caption{"tg1", QStringLiteral("tg")}, Caption{"div1", QStringLiteral("div - деление на цело")},
                           Caption{"radtodeg1", QStringLiteral("radtodeg - радианы в градусы")}}) {
    ASSERT_NE(Menu()->TemplateItem(QString::fromLatin1(c.item)), nullptr) << c.item;
    EXPECT_EQ(Menu()->TemplateItem(QString::fromLatin1(c.item))->text(), c.caption) << c.item;
  }
  EXPECT_EQ(Menu()->TemplateItem(QStringLiteral("N6")), nullptr);
}

TEST_P(FormulaFieldTest, RightClickOpensTheMenu) {
  Edit()->window()->activateWindow();
  QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), Edit()->mapToGlobal(QPoint(5, 5)));
  QCoreApplication::sendEvent(Edit(), &event);
  EXPECT_TRUE(Menu()->PopupMenu1->isVisible());
  Menu()->PopupMenu1->hide();
}

// ------------------------------------------------------------------ templates

TEST_P(FormulaFieldTest, EachWindowInsertsItsOwnTemplateText) {
  const bool calc = IsCalculator();
  struct Case {
    const char* item;
    QString expected;
  };
  const Case cases[] = {
      {"N18", QStringLiteral("+")},
      {"N22", QStringLiteral("^")},
      {"N13", Either(calc, "cos()", "cos(x)")},
      {"tg1", Either(calc, "tan()", "tan(x)")},
      {"cth1", Either(calc, "ctanh()", "ctanh(x)")},
      {"arcctgh1", Either(calc, "arcctanh()", "arcctanh(x)")},
      {"Pi1", QStringLiteral("Pi")},
      {"log1", Either(calc, "log( ; )", "log(x; )")},
      {"shl1", QStringLiteral("shl( ; )")},
      {"inc1", QStringLiteral("inc()")},
      {"random1", Either(calc, "random()", "random(x)")},
      {"fact1", Either(calc, "fact()", "fact(x)")},
      {"hypot1", QStringLiteral("hypot( ; )")},
      {"int1", QStringLiteral("int()")},
      {"radtodeg1", QStringLiteral("radtodeg()")},
  };
  for (const Case& c : cases) {
    Edit()->clear();
    Choose(c.item);
    EXPECT_EQ(Edit()->text(), c.expected) << c.item;
  }
  EXPECT_EQ(ClipboardText(), Sentinel);
}

// The engine's function table against the menus: every function has a
// template of its kind, and every function template names a function.
TEST_P(FormulaFieldTest, EveryFunctionOfTheEngineHasATemplate) {
  QStringList inserted;
  for (QMenu* menu : {Menu()->cos1, Menu()->sin1, Menu()->N23})
    for (QAction* a : menu->actions()) {
      if (a->isSeparator()) continue;
      Edit()->clear();
      a->trigger();
      inserted << Edit()->text();
    }
  auto templateOf = [&](const QString& name) -> QString {
    for (const QString& text : inserted)
      if (text == name || text.startsWith(name + u'(')) return text;
    return {};
  };
  for (const TFuncEntry& f : kFunctionTable) {
    if (f.Alias) continue;
    const QString name = QString::fromStdU16String(std::u16string(f.Name));
    const QString text = templateOf(name);
    ASSERT_FALSE(text.isEmpty()) << name.toStdString() << " has no template";
    switch (f.Kind) {
      case TFuncKind::Constant: EXPECT_EQ(text, name); break;
      case TFuncKind::OneArgument: EXPECT_FALSE(text.contains(u';')) << text.toStdString(); break;
      case TFuncKind::List: EXPECT_TRUE(text.contains(u';')) << text.toStdString(); break;
    }
  }
  for (const QString& text : inserted) {
    const QString name = text.section(u'(', 0, 0);
    EXPECT_NE(FuncIdOf(name.toStdU16String()), TFuncId::None) << text.toStdString() << " names no function";
  }
}

TEST_P(FormulaFieldTest, TemplateGoesInAtTheCaretAndTheCaretFollowsIt) {
  SetText(QStringLiteral("2*"), 2);
  Choose("N13");
  EXPECT_EQ(WithCaret(), IsCalculator() ? QStringLiteral("2*cos()|") : QStringLiteral("2*cos(x)|"));

  SetText(QStringLiteral("ab"), 1);
  Choose("N20");
  EXPECT_EQ(WithCaret(), QStringLiteral("a*|b"));
  EXPECT_EQ(ClipboardText(), Sentinel);
}

TEST_P(FormulaFieldTest, TemplateReplacesTheSelection) {
  Edit()->setText(QStringLiteral("sin(30)"));
  Edit()->setSelection(0, 3);
  Choose("tg1");
  EXPECT_EQ(WithCaret(), IsCalculator() ? QStringLiteral("tan()|(30)") : QStringLiteral("tan(x)|(30)"));
  EXPECT_FALSE(Edit()->hasSelectedText());
  EXPECT_EQ(ClipboardText(), Sentinel);
}

TEST_P(FormulaFieldTest, TemplateRunsTheWindowsChangeHandler) {
  ShowResult();
  Choose("N18");
  EXPECT_FALSE(ResultShown());
}

// ------------------------------------------------------------------ files

TEST_P(FormulaFieldTest, SavedFormulaIsItsTextAndCrLfAndLoadsBack) {
  Edit()->setText(QStringLiteral("max(3;8)"));
  Scripted().SaveFileAnswers.push_back(Path(QStringLiteral("f")));
  Menu()->N7->trigger();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(SaveDialog));
  EXPECT_EQ(ReadFile(QStringLiteral("f.math")), QByteArray("max(3;8)\r\n"));

  Edit()->setText(QStringLiteral("1"));
  Scripted().Clear();
  Scripted().OpenFileAnswers.push_back(Path(QStringLiteral("f.math")));
  Menu()->N6->trigger();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(OpenDialog));
  EXPECT_EQ(Edit()->text(), QStringLiteral("max(3;8)"));
  EXPECT_EQ(ClipboardText(), Sentinel);
}

TEST_P(FormulaFieldTest, SavingAppendsTheExtensionAlwaysAndReplacesOnlyWhenTheUserAgrees) {
  Edit()->setText(QStringLiteral("sin(х)·2"));  // not ASCII: stored as UTF-8
  WriteFile(QStringLiteral("g.math.math"), "old formula\r\nmore\r\n");
  Scripted().SaveFileAnswers = {Path(QStringLiteral("g.math")), Path(QStringLiteral("g.math"))};
  Scripted().QuestionAnswers = {false, true};
  Menu()->N7->trigger();  // the dialog confirmed g.math, not the file written
  EXPECT_EQ(ReadFile(QStringLiteral("g.math.math")), QByteArray("old formula\r\nmore\r\n"));
  Menu()->N7->trigger();
  EXPECT_EQ(ReadFile(QStringLiteral("g.math.math")), QStringLiteral("sin(х)·2\r\n").toUtf8());
  EXPECT_EQ(QDir(Dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("g.math.math")});
  const std::string question =
      "question: Файл " + Path(QStringLiteral("g.math.math")).toStdString() + " уже существует. Заменить его?";
  EXPECT_THAT(Scripted().MessageLines(), ElementsAre(question, question));
}

TEST_P(FormulaFieldTest, LoadingTakesTheFirstLineOfAnyFile) {
  struct Case {
    const char* what;
    QByteArray bytes;
    QString formula;
  };
  const Case cases[] = {
      {"first line empty", "\r\nsin(x)\r\n", QString()},
      {"empty file", "", QString()},
      {"no line end", "a+b", QStringLiteral("a+b")},
      {"LF only", "x\ny", QStringLiteral("x")},
      {"CR only", "x\ry", QStringLiteral("x")},
      {"not a formula", "))(( \t", QStringLiteral("))(( \t")},
      {"UTF-8", QStringLiteral("корень(а)\r\n").toUtf8(), QStringLiteral("корень(а)")},
      {"UTF-8 with BOM", "\xEF\xBB\xBF" "abs(x)\r\n", QStringLiteral("abs(x)")},
      {"Windows-1251", "sin(\xE0)+\xC1\xE5\xF2\xE0*\xA8\xB8\xB9\r\n", QStringLiteral("sin(а)+Бета*Ёё№")},
  };
  for (const Case& c : cases) {
    WriteFile(QStringLiteral("in.math"), c.bytes);
    Edit()->setText(QStringLiteral("old"));
    Scripted().OpenFileAnswers.push_back(Path(QStringLiteral("in.math")));
    Menu()->N6->trigger();
    EXPECT_EQ(Edit()->text(), c.formula) << c.what;
  }
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
}

TEST_P(FormulaFieldTest, LoadingRunsTheChangeHandler) {
  WriteFile(QStringLiteral("in.math"), "2+2\r\n");
  ShowResult();
  Scripted().OpenFileAnswers.push_back(Path(QStringLiteral("in.math")));
  Menu()->N6->trigger();
  EXPECT_FALSE(ResultShown());
}

TEST_P(FormulaFieldTest, FileThatCannotBeReadIsReportedAndTheFieldKeepsItsText) {
  QDir(Dir.path()).mkdir(QStringLiteral("folder.math"));
  for (const QString& name : {QStringLiteral("missing.math"), QStringLiteral("folder.math")}) {
    Scripted().Clear();
    Edit()->setText(QStringLiteral("cos(1)"));
    ShowResult();
    Scripted().OpenFileAnswers.push_back(Path(name));
    Menu()->N6->trigger();
    ASSERT_EQ(Scripted().MessageLines().size(), 1u) << name.toStdString();
    const QString message = QString::fromStdString(Scripted().MessageLines()[0]);
    EXPECT_TRUE(message.startsWith(QStringLiteral("error: Не удалось открыть файл ")) ||
                message.startsWith(QStringLiteral("error: Не удалось прочитать файл ")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(Path(name))) << message.toStdString();
    EXPECT_EQ(Edit()->text(), QStringLiteral("cos(1)"));
    EXPECT_TRUE(ResultShown());
  }
}

TEST_P(FormulaFieldTest, FileThatCannotBeWrittenIsReportedAndNothingIsWritten) {
  Edit()->setText(QStringLiteral("cos(1)"));
  Scripted().SaveFileAnswers.push_back(Path(QStringLiteral("missing/f")));
  Menu()->N7->trigger();
  ASSERT_EQ(Scripted().MessageLines().size(), 1u);
  EXPECT_TRUE(QString::fromStdString(Scripted().MessageLines()[0])
                  .startsWith(QStringLiteral("error: Не удалось записать файл ") + Path(QStringLiteral("missing/f.math")) + u':'));
  EXPECT_EQ(Edit()->text(), QStringLiteral("cos(1)"));
  EXPECT_TRUE(QDir(Dir.path()).isEmpty());
}

TEST_P(FormulaFieldTest, LongFormulaLoadsWholeAndSavesBackUnchanged) {
  QByteArray ones = "1";
  for (int i = 0; i < 20000; ++i) ones += "+1";
  WriteFile(QStringLiteral("long.math"), ones + "\r\n");
  Scripted().OpenFileAnswers.push_back(Path(QStringLiteral("long.math")));
  Menu()->N6->trigger();
  EXPECT_EQ(Edit()->text().size(), 40001);
  Scripted().SaveFileAnswers.push_back(Path(QStringLiteral("again")));
  Menu()->N7->trigger();
  EXPECT_EQ(ReadFile(QStringLiteral("again.math")), ones + "\r\n");
  EXPECT_THAT(Scripted().MessageLines(), IsEmpty());
}

TEST_P(FormulaFieldTest, FormulaLongerThanAFileHoldsIsRefusedNeverCut) {
  constexpr int MaxFormulaLength = 4 * 32767;
  const std::string refused = "message: Формула не может быть длиннее 131\u00A0068 символов.";
  // From a file: the field keeps its text.
  WriteFile(QStringLiteral("huge.math"), QByteArray(MaxFormulaLength + 1, 'x') + "\r\n");
  Edit()->setText(QStringLiteral("cos(1)"));
  Scripted().OpenFileAnswers.push_back(Path(QStringLiteral("huge.math")));
  Menu()->N6->trigger();
  EXPECT_EQ(Edit()->text(), QStringLiteral("cos(1)"));
  EXPECT_THAT(Scripted().MessageLines(),
              ElementsAre("error: Не удалось загрузить формулу из файла " + Path(QStringLiteral("huge.math")).toStdString() +
                          ": она длиннее 131\u00A0068 символов"));

  // Pasted: all of it or nothing.
  const QString full(MaxFormulaLength - 2, u'x');
  Edit()->setText(full);
  QGuiApplication::clipboard()->setText(QStringLiteral("abc"));
  Scripted().Clear();
  Menu()->N8->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(Edit()->text(), full);
  EXPECT_THAT(Scripted().Lines(), ElementsAre("beep", refused));
  QGuiApplication::clipboard()->setText(QStringLiteral("ab"));
  Menu()->N8->trigger();
  EXPECT_EQ(Edit()->text().size(), MaxFormulaLength);

  // Typed: the key is refused.
  Scripted().Clear();
  Edit()->window()->activateWindow();
  Edit()->setFocus();
  Edit()->end(false);
  QTest::keyClick(Edit(), Qt::Key_Z);
  QCoreApplication::processEvents();
  EXPECT_EQ(Edit()->text(), full + QStringLiteral("ab"));
  EXPECT_THAT(Scripted().Lines(), ElementsAre("beep", refused));
}

TEST_P(FormulaFieldTest, CancelledDialogsChangeNothing) {
  Edit()->setText(QStringLiteral("cos(1)"));
  ShowResult();
  Menu()->N6->trigger();
  Menu()->N7->trigger();
  EXPECT_THAT(Scripted().Lines(), ElementsAre(OpenDialog, SaveDialog));
  EXPECT_EQ(Edit()->text(), QStringLiteral("cos(1)"));
  EXPECT_TRUE(ResultShown());
  EXPECT_TRUE(QDir(Dir.path()).isEmpty());
}

// ------------------------------------------------------------------ clipboard items

TEST_P(FormulaFieldTest, CopyTakesTheSelectionOrNothing) {
  Edit()->setText(QStringLiteral("cos(1)+2"));
  Edit()->setCursorPosition(2);
  Menu()->N9->trigger();
  EXPECT_EQ(ClipboardText(), Sentinel);  // nothing selected: the clipboard stays as it was

  Edit()->setSelection(0, 6);
  Menu()->N9->trigger();
  EXPECT_EQ(ClipboardText(), QStringLiteral("cos(1)"));
  EXPECT_EQ(Edit()->text(), QStringLiteral("cos(1)+2"));
}

TEST_P(FormulaFieldTest, PasteInsertsTheClipboardTextAtTheCaret) {
  QGuiApplication::clipboard()->setText(QStringLiteral("ln(2)"));
  SetText(QStringLiteral("1+"), 2);
  ShowResult();
  Menu()->N8->trigger();
  EXPECT_EQ(WithCaret(), QStringLiteral("1+ln(2)|"));
  EXPECT_FALSE(ResultShown());

  Edit()->setSelection(0, 1);
  Menu()->N8->trigger();
  EXPECT_EQ(WithCaret(), QStringLiteral("ln(2)|+ln(2)"));

  // A single-line field takes the first line of a longer text.
  QGuiApplication::clipboard()->setText(QStringLiteral("x^2\r\nsecond line"));
  SetText(QString(), 0);
  Menu()->N8->trigger();
  EXPECT_EQ(Edit()->text(), QStringLiteral("x^2"));
  EXPECT_EQ(ClipboardText(), QStringLiteral("x^2\r\nsecond line"));
}

TEST_P(FormulaFieldTest, PasteWithoutTextOnTheClipboardKeepsTheSelection) {
  QImage picture(4, 4, QImage::Format_RGB32);
  picture.fill(Qt::red);
  for (const bool image : {false, true}) {
    if (image) QGuiApplication::clipboard()->setImage(picture);
    else QGuiApplication::clipboard()->clear();
    Edit()->setText(QStringLiteral("sin(30)"));
    Edit()->setSelection(0, 3);
    Menu()->N8->trigger();
    EXPECT_EQ(Edit()->text(), QStringLiteral("sin(30)"));
    EXPECT_EQ(Edit()->selectedText(), QStringLiteral("sin"));
  }
}

// ------------------------------------------------------------------ the calculator's main menu

class CalculatorMenuTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    ASSERT_TRUE(Dir.isValid());
    Form.show();
    Scripted().Clear();
    QGuiApplication::clipboard()->setText(Sentinel);
  }
  QTemporaryDir Dir;
  TForm4 Form;
};

TEST_F(CalculatorMenuTest, FileAndClipboardItemsAreTheFieldsActions) {
  Form.Edit1->setText(QStringLiteral("max(3;8)"));
  Scripted().SaveFileAnswers.push_back(Dir.filePath(QStringLiteral("f")));
  Form.N25->trigger();  // Експортировать → В текстовый файл
  QFile saved(Dir.filePath(QStringLiteral("f.math")));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), QByteArray("max(3;8)\r\n"));

  Form.Edit1->setText(QStringLiteral("0"));
  Scripted().OpenFileAnswers.push_back(saved.fileName());
  Form.N12->trigger();  // Открыть из файла
  EXPECT_EQ(Form.Edit1->text(), QStringLiteral("max(3;8)"));
  EXPECT_THAT(Scripted().Lines(), ElementsAre(SaveDialog, OpenDialog));

  Form.N26->trigger();  // Експортировать → В буфер, nothing selected
  EXPECT_EQ(QGuiApplication::clipboard()->text(), Sentinel);
  Form.Edit1->setSelection(4, 3);
  Form.N26->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("3;8"));
}

TEST_F(CalculatorMenuTest, ReportHoldsTheFormulaAndTheShownResult) {
  Form.Edit1->setText(QStringLiteral("2+2"));
  Form.Button2Click();
  ASSERT_EQ(Form.Edit2->text(), QStringLiteral("4"));
  Scripted().Clear();
  Form.Word1->trigger();
  const QString file = Scripted().HomeFolder() + QStringLiteral("/ex.odt");
  EXPECT_THAT(Scripted().Lines(), ElementsAre("busy cursor", "document: " + file.toStdString(), "normal cursor"));
  EXPECT_TRUE(QFile::exists(file));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), Sentinel);
}

}  // namespace
