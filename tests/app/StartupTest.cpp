// The program's start: the windows in their order, the splash handing over to
// the menu after the timer, and the two ways the program ends. Each test runs
// the application's real message loop.
#include "app/CommandLine.h"
#include "app/Shell.h"
#include "tests/support/WidgetTest.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Counts how often a window is shown.
class TShowCounter : public QObject {
 public:
  int Shows = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Show) ++Shows;
    return false;
  }
};

class StartupTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    Windows = CreateWindows();
    Windows->Form6->installEventFilter(&MenuShows);
  }

  // Runs the message loop until the program ends or 10 s have passed.
  int RunUntilQuit() {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [this] { TimedOut = true; QCoreApplication::exit(99); });
    watchdog.start(10000);
    return QCoreApplication::exec();
  }

  std::unique_ptr<TWindows> Windows;
  TShowCounter MenuShows;
  bool TimedOut = false;
};

TEST_F(StartupTest, WindowsAreCreatedHiddenWithTheSplashFirst) {
  const std::vector<QWidget*> order = {Windows->Form1.get(), Windows->Form4.get(), Windows->Form6.get(),
                                       Windows->Form7.get(), Windows->Form4_3D.get()};
  for (QWidget* w : order) {
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(w->isWindow());
  }
  EXPECT_EQ(Windows->Form4->CalcRunCount, 1);  // the calculator's creation handler ran
}

TEST_F(StartupTest, SplashHandsOverToTheMenuOnceThenExitEnds) {
  QElapsedTimer clock;
  qint64 menuAfter = -1;
  bool splashHiddenThen = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (menuAfter < 0 && Windows->Form6->isVisible()) {
      menuAfter = clock.elapsed();
      splashHiddenThen = !Windows->Form1->isVisible();
      // Let a second timer period pass before leaving through "Выйти".
      QTimer::singleShot(1700, Windows->Form6.get(), [this] { Windows->Form6->Button4->click(); });
    }
  });
  poll.start(20);
  clock.start();
  // The timer started with the windows; a slow build takes a while to create them.
  const int timerRanBefore = Windows->Form1->Timer1->interval() - Windows->Form1->Timer1->remainingTime();
  Windows->Form1->show();
  EXPECT_EQ(RunUntilQuit(), 0);
  EXPECT_FALSE(TimedOut);
  EXPECT_GE(timerRanBefore + menuAfter, 1400);
  EXPECT_TRUE(splashHiddenThen);
  EXPECT_EQ(MenuShows.Shows, 1);
  EXPECT_FALSE(Windows->Form1->isVisible());
  EXPECT_FALSE(Windows->Form1->Timer1->isActive());
}

TEST_F(StartupTest, ClosingTheMenuWindowEndsTheProgram) {
  Windows->Form1->show();
  Windows->Form1->Timer1Timer();
  ASSERT_TRUE(Windows->Form6->isVisible());
  QTimer::singleShot(0, Windows->Form6.get(), [this] { Windows->Form6->close(); });
  EXPECT_EQ(RunUntilQuit(), 0);
  EXPECT_FALSE(TimedOut);
}

TEST_F(StartupTest, ExitWorksWhileNothingElseIsOpen) {
  Windows->Form1->Timer1Timer();
  QTimer::singleShot(0, Windows->Form6.get(), [this] { QTest::mouseClick(Windows->Form6->Button4, Qt::LeftButton); });
  EXPECT_EQ(RunUntilQuit(), 0);
  EXPECT_FALSE(TimedOut);
}

}  // namespace

namespace {

// --help and --version answer before any window; every other command line,
// Qt's own options included, starts the program as before.
TEST(CommandLineTest, HelpAndVersionOnlyForTheirOptions) {
  const auto answer = [](std::initializer_list<const char*> words) {
    QStringList arguments{QStringLiteral("matrikon")};
    for (const char* word : words) arguments << QString::fromLatin1(word);
    return CommandLineAnswer(arguments);
  };
  for (const auto& help : {answer({"--help"}), answer({"-h"}), answer({"-platform", "offscreen", "--help"})}) {
    ASSERT_TRUE(help);
    EXPECT_TRUE(help->contains(QStringLiteral("--version")));
    EXPECT_TRUE(help->startsWith(QStringLiteral("Матрикон")));
  }
  for (const auto& version : {answer({"--version"}), answer({"-v"}), answer({"--bogus", "-v"})}) {
    ASSERT_TRUE(version);
    EXPECT_TRUE(version->startsWith(QStringLiteral("matrikon 1."))) << version->toStdString();
  }
  for (const auto& start : {answer({}), answer({"-platform", "offscreen"}), answer({"-style", "fusion", "--bogus"}),
                            answer({"-platform", "vnc"})})
    EXPECT_FALSE(start);
}

}  // namespace
