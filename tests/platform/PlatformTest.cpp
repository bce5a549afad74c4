// The platform layer: filter conversion, the scripted layer's queues and log,
// and the real Qt dialogs driven from a timer while they are open.
#include "platform/QtPlatform.h"
#include "tests/support/WidgetTest.h"

#include <QAbstractFileIconProvider>
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

#include <sys/inotify.h>
#include <unistd.h>

using ::testing::ElementsAre;

namespace {

struct FilterCase {
  const char* filter;
  std::vector<std::string> expected;
};

class FilterListTest : public ::testing::TestWithParam<FilterCase> {};

TEST_P(FilterListTest, ConvertsPairsToQtEntries) {
  std::vector<std::string> got;
  for (const QString& entry : QtFilterList(QString::fromUtf8(GetParam().filter))) got.push_back(entry.toStdString());
  EXPECT_EQ(got, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterListTest,
    ::testing::Values(
        FilterCase{"Файлы BMP (*.bmp)|*.bmp|", {"Файлы BMP (*.bmp)"}},
        FilterCase{"Формат 3D графиков (*.3dgr)|*.3dgr", {"Формат 3D графиков (*.3dgr)"}},
        FilterCase{"Файлы с мат. формулами (*.math)|*.math|Текстовые файлы (*.txt)|*.txt|Все файлы (*.*)|*.*",
                   {"Файлы с мат. формулами (*.math)", "Текстовые файлы (*.txt)", "Все файлы (*.*)"}},
        // The pattern half decides what is listed, whatever the description says.
        FilterCase{"Картинки|*.png;*.bmp", {"Картинки (*.png *.bmp)"}},
        FilterCase{"Старое (*.txt)|*.log", {"Старое (*.log)"}},
        // A parenthesis that is not a pattern list stays part of the description.
        FilterCase{"Отчет (черновик)|*.odt", {"Отчет (черновик) (*.odt)"}},
        FilterCase{"Без шаблона", {"Без шаблона (*)"}},
        FilterCase{"", {}}));

class ScriptedPlatformTest : public TWidgetTest {};

TEST_F(ScriptedPlatformTest, RecordsEverythingInOrder) {
  TPlatform& p = Platform();
  ASSERT_EQ(&p, &Scripted());
  p.Message(QStringLiteral("простое"));
  p.Error(QStringLiteral("ошибка"));
  p.Beep();
  p.Information(QStringLiteral("сведения"));
  p.OpenFileDialog({QStringLiteral("Открыть"), QStringLiteral("A (*.a)|*.a|B (*.b)|*.b"), 2});
  p.SaveFileDialog({QStringLiteral("Сохранить"), QStringLiteral("A (*.a)|*.a|"), 1});
  p.ColorDialog(Qt::red);
  QPrinter printer;
  p.PrintDialog(printer);
  p.OpenWebPage(QStringLiteral("https://example.org/"));
  {
    TBusyCursor busy;
    EXPECT_TRUE(Scripted().Busy());
  }
  EXPECT_FALSE(Scripted().Busy());
  EXPECT_THAT(Scripted().Lines(),
              ElementsAre("message: простое", "error: ошибка", "beep", "information: сведения",
                          "open file dialog: Открыть | A (*.a)|*.a|B (*.b)|*.b | 2",
                          "save file dialog: Сохранить | A (*.a)|*.a| | 1", "colour dialog", "print dialog",
                          "web page: https://example.org/", "busy cursor", "normal cursor"));
  EXPECT_THAT(Scripted().MessageLines(),
              ElementsAre("message: простое", "error: ошибка", "information: сведения"));
}

TEST_F(ScriptedPlatformTest, AnswersFromQueuesThenCancels) {
  Scripted().OpenFileAnswers = {QStringLiteral("/tmp/a.math"), std::nullopt};
  Scripted().ColorAnswers = {QColor(Qt::blue)};
  Scripted().PrintAnswers = {true};
  const TFileDialogRequest request{QStringLiteral("t"), QStringLiteral("*.math"), 1};
  EXPECT_EQ(Platform().OpenFileDialog(request), QStringLiteral("/tmp/a.math"));
  EXPECT_EQ(Platform().OpenFileDialog(request), std::nullopt);
  EXPECT_EQ(Platform().OpenFileDialog(request), std::nullopt);  // queue empty: cancelled
  EXPECT_EQ(Platform().SaveFileDialog(request), std::nullopt);
  EXPECT_EQ(Platform().ColorDialog(Qt::red), QColor(Qt::blue));
  EXPECT_EQ(Platform().ColorDialog(Qt::red), std::nullopt);
  QPrinter printer;
  EXPECT_TRUE(Platform().PrintDialog(printer));
  EXPECT_FALSE(Platform().PrintDialog(printer));
}

TEST_F(ScriptedPlatformTest, ConfirmedPrintDialogCanRedirectToPdf) {
  Scripted().PrintAnswers = {true};
  Scripted().PrintOutputFile = QStringLiteral("/tmp/matrikon-print-test.pdf");
  QPrinter printer;
  ASSERT_TRUE(Platform().PrintDialog(printer));
  EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
  EXPECT_EQ(printer.outputFileName(), Scripted().PrintOutputFile);
}

TEST_F(ScriptedPlatformTest, FailingWebPageThrowsAfterRecording) {
  Scripted().FailWebPage = true;
  EXPECT_THROW(Platform().OpenWebPage(QStringLiteral("https://example.org/")), EPlatformError);
  EXPECT_THAT(Scripted().Lines(), ElementsAre("web page: https://example.org/"));
}

TEST_F(ScriptedPlatformTest, DocumentsStayOutOfTheRealHomeFolder) {
  const QString own = Platform().HomeFolder();
  EXPECT_NE(own, QDir::homePath());
  EXPECT_TRUE(QDir(own).exists());
  Scripted().Home = QStringLiteral("/tmp/somewhere");
  EXPECT_EQ(Platform().HomeFolder(), QStringLiteral("/tmp/somewhere"));
  Scripted().Clear();
  EXPECT_EQ(Platform().HomeFolder(), own);

  int noProgram = 0;
  Platform().OpenDocument(QStringLiteral("/tmp/a.odt"), [&] { ++noProgram; });
  EXPECT_EQ(noProgram, 0);
  Scripted().FailOpenDocument = true;
  Platform().OpenDocument(QStringLiteral("/tmp/b.odt"), [&] { ++noProgram; });
  EXPECT_EQ(noProgram, 1);
  EXPECT_THAT(Scripted().Lines(), ElementsAre("document: /tmp/a.odt", "document: /tmp/b.odt"));
  EXPECT_EQ(TQtPlatform().HomeFolder(), QDir::homePath());
}

TEST_F(ScriptedPlatformTest, BusyCursorIsRestoredWhenTheScopeThrows) {
  try {
    TBusyCursor busy;
    throw std::runtime_error("x");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(Scripted().Busy());
  EXPECT_THAT(Scripted().Lines(), ElementsAre("busy cursor", "normal cursor"));
}

TEST_F(ScriptedPlatformTest, SetPlatformReturnsThePreviousOne) {
  TScriptedPlatform other;
  TPlatform* before = SetPlatform(&other);
  EXPECT_EQ(before, &Scripted());
  Platform().Beep();
  EXPECT_EQ(SetPlatform(before), &other);
  EXPECT_THAT(other.Lines(), ElementsAre("beep"));
  EXPECT_TRUE(Scripted().Lines().empty());
}

// The real implementation, with the modal dialog answered from a timer.
class QtPlatformTest : public TWidgetTest {
 protected:
  template <typename TDialog, typename TInspect>
  static void WhenOpen(TInspect inspect) {
    QTimer::singleShot(0, [inspect] {
      auto* dialog = qobject_cast<TDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      inspect(*dialog);
    });
  }
  TQtPlatform Qt{QStringLiteral("Матрикон")};
};

TEST_F(QtPlatformTest, MessageBoxHasIconTextTitleAndOneOk) {
  struct Case {
    TMessageBoxIcon icon;
    QMessageBox::Icon expected;
  };
  for (const Case c : {Case{TMessageBoxIcon::Plain, QMessageBox::NoIcon}, Case{TMessageBoxIcon::Error, QMessageBox::Critical},
                       Case{TMessageBoxIcon::Information, QMessageBox::Information}}) {
    bool seen = false;
    WhenOpen<QMessageBox>([&](QMessageBox& box) {
      seen = true;
      EXPECT_EQ(box.icon(), c.expected);
      EXPECT_EQ(box.text(), QStringLiteral("Текст  с <b>двумя</b> пробелами"));
      EXPECT_EQ(box.windowTitle(), QStringLiteral("Матрикон"));
      EXPECT_EQ(box.buttons().size(), 1);
      EXPECT_EQ(box.standardButtons(), QMessageBox::Ok);
      box.accept();
    });
    Qt.ShowMessage(c.icon, QStringLiteral("Текст  с <b>двумя</b> пробелами"));
    EXPECT_TRUE(seen);
  }
}

TEST_F(QtPlatformTest, QuestionIsYesOnlyWhenTheUserSaysSo) {
  WhenOpen<QMessageBox>([](QMessageBox& box) {
    EXPECT_EQ(box.icon(), QMessageBox::Question);
    EXPECT_EQ(box.standardButtons(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), box.button(QMessageBox::No));  // Enter keeps the file
    QTest::keyClick(&box, Qt::Key_Escape);
  });
  EXPECT_FALSE(Qt.Question(QStringLiteral("Заменить?")));
  WhenOpen<QMessageBox>([](QMessageBox& box) { box.button(QMessageBox::Yes)->click(); });
  EXPECT_TRUE(Qt.Question(QStringLiteral("Заменить?")));
}

TEST_F(QtPlatformTest, FileDialogGetsConvertedFilterTitleAndIndex) {
  bool seen = false;
  WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
    seen = true;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Открыть"));
    EXPECT_EQ(dialog.nameFilters(), QStringList({QStringLiteral("A (*.a)"), QStringLiteral("B (*.b)")}));
    EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("B (*.b)"));
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
    dialog.reject();
  });
  EXPECT_EQ(Qt.OpenFileDialog({QStringLiteral("Открыть"), QStringLiteral("A (*.a)|*.a|B (*.b)|*.b"), 2}), std::nullopt);
  EXPECT_TRUE(seen);
}

TEST_F(QtPlatformTest, SaveDialogDoesNotAskAboutOverwritingAndClampsTheIndex) {
  WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_TRUE(dialog.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(dialog.selectedNameFilter(), QStringLiteral("A (*.a)"));
    dialog.reject();
  });
  EXPECT_EQ(Qt.SaveFileDialog({QStringLiteral("S"), QStringLiteral("A (*.a)|*.a|"), 7}), std::nullopt);
}

TEST_F(QtPlatformTest, AllFilesFilterKeepsItsTextAndListsEveryFile) {
  bool seen = false;
  WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
    seen = true;
    EXPECT_EQ(dialog.nameFilters().last(), QStringLiteral("Все файлы (*.*)"));
    // What the dialog lists: every file, also one without a dot in its name.
    auto* model = dialog.findChild<QFileSystemModel*>();
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    ASSERT_NE(model, nullptr);
    ASSERT_NE(types, nullptr);
    EXPECT_EQ(model->nameFilters(), QStringList{QStringLiteral("*")});
    QTest::keyClick(types, Qt::Key_Up);
    EXPECT_EQ(model->nameFilters(), QStringList{QStringLiteral("*.txt")});
    QTest::keyClick(types, Qt::Key_Down);
    EXPECT_EQ(model->nameFilters(), QStringList{QStringLiteral("*")});
    dialog.reject();
  });
  Qt.OpenFileDialog({QStringLiteral("Открыть"), QStringLiteral("M (*.math)|*.math|T (*.txt)|*.txt|Все файлы (*.*)|*.*"), 3});
  EXPECT_TRUE(seen);
}

// Typing /proc/ into a dialog's file field once froze the program: the
// dialog read every file listed to choose its icon, and /proc/kmsg blocks.
TEST_F(QtPlatformTest, DialogsTellTheKindOfAFileWithoutOpeningIt) {
  QTemporaryDir dir;
  QFile file(dir.filePath(QStringLiteral("kmsg")));  // no extension: only its bytes would tell
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("%PDF-1.4\n");
  file.close();
  const int watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, QFile::encodeName(dir.path()).constData(), IN_OPEN), 0);
  const auto look = [&](const QAbstractFileIconProvider* icons) {
    ASSERT_NE(icons, nullptr);
    const QFileInfo info(file.fileName());
    EXPECT_FALSE(icons->icon(info).isNull());
    EXPECT_FALSE(icons->type(info).isEmpty());
  };
  WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
    look(dialog.iconProvider());
    dialog.reject();
  });
  Qt.OpenFileDialog({QStringLiteral("Открыть"), QStringLiteral("A (*.a)|*.a"), 1});
  int printModels = 0;
  WhenOpen<QPrintDialog>([&](QPrintDialog& dialog) {
    for (const QFileSystemModel* model : dialog.findChildren<QFileSystemModel*>()) {
      ++printModels;
      look(model->iconProvider());
    }
    dialog.reject();
  });
  QPrinter printer;
  Qt.PrintDialog(printer);
  EXPECT_GT(printModels, 0);
  char events[4096];
  EXPECT_LE(::read(watch, events, sizeof events), 0) << "a file was opened";
  ::close(watch);
}

TEST_F(QtPlatformTest, DialogsKeepTheirSettingsOutOfTheHomeFolderAndTheLastFolderForTheSession) {
  QTemporaryDir dir;
  WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
    dialog.selectFile(dir.filePath(QStringLiteral("plot")));
    static_cast<QDialog&>(dialog).accept();  // as the dialog's own button does
  });
  EXPECT_EQ(Qt.SaveFileDialog({QStringLiteral("S"), QStringLiteral("A (*.a)|*.a|"), 1}), dir.filePath(QStringLiteral("plot")));
  const QString home = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  const QString toolkit = QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName();
  EXPECT_FALSE(toolkit.startsWith(home)) << toolkit.toStdString();
  EXPECT_FALSE(QFileInfo::exists(toolkit)) << toolkit.toStdString();
  QString opensIn;
  WhenOpen<QFileDialog>([&](QFileDialog& dialog) {
    opensIn = dialog.directory().absolutePath();
    dialog.reject();
  });
  Qt.OpenFileDialog({QStringLiteral("O"), QStringLiteral("A (*.a)|*.a|"), 1});
  EXPECT_EQ(opensIn, QDir(dir.path()).absolutePath());
}

// A stand-in for the desktop's opener, first in the search path: it ends
// with the status the test asks for.
class DesktopOpenerTest : public QtPlatformTest {
 protected:
  void SetUp() override {
    QtPlatformTest::SetUp();
    ASSERT_TRUE(Bin.isValid());
    QFile opener(Bin.filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write("#!/bin/sh\nexit \"$MATRIKON_TEST_OPENER_STATUS\"\n");
    opener.close();
    opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    qputenv("PATH", Bin.path().toLocal8Bit() + ':' + OldPath);
  }
  void TearDown() override {
    qputenv("PATH", OldPath);
    qunsetenv("MATRIKON_TEST_OPENER_STATUS");
    QtPlatformTest::TearDown();
  }
  // Opens the page or the document and waits until the opener has ended.
  void Open(const char* status, const std::function<void()>& open) {
    qputenv("MATRIKON_TEST_OPENER_STATUS", status);
    open();
    QTRY_VERIFY_WITH_TIMEOUT(qApp->findChildren<QProcess*>().isEmpty(), 20000);
  }

  QTemporaryDir Bin;
  const QByteArray OldPath = qgetenv("PATH");
};

TEST_F(DesktopOpenerTest, WhatTheDesktopCannotOpenIsToldWhenTheOpenerEnds) {
  const auto page = [this] { Qt.OpenWebPage(QStringLiteral("https://example.org/")); };
  Open("3", page);  // no browser found
  EXPECT_THAT(Scripted().MessageLines(),
              ElementsAre("error: Не удалось открыть веб-страницу https://example.org/ в браузере."));
  Scripted().Clear();
  Open("0", page);
  EXPECT_THAT(Scripted().MessageLines(), ::testing::IsEmpty());

  // A document with no program for it: the opener started, and only its end tells.
  int noProgram = 0;
  const auto document = [&] { Qt.OpenDocument(Bin.filePath(QStringLiteral("ex.odt")), [&] { ++noProgram; }); };
  Open("4", document);
  EXPECT_EQ(noProgram, 1);
  Open("0", document);
  EXPECT_EQ(noProgram, 1);
}

TEST_F(QtPlatformTest, BusyCursorIsBalanced) {
  Qt.SetBusyCursor(true);
  Qt.SetBusyCursor(true);
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  Qt.SetBusyCursor(false);
  Qt.SetBusyCursor(false);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  Qt.SetBusyCursor(false);  // one too many: harmless
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
