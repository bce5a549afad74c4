// Long work: off the window's thread with the window disabled and still
// painting, the engine's messages back on the window's thread in order, the
// work's error thrown there, and "Прервать" through the scripted and the
// real progress window.
#include "engine/Formula_math.h"
#include "platform/LongWork.h"
#include "platform/QtPlatform.h"
#include "tests/support/WidgetTest.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using ::testing::ElementsAre;

namespace {

class LongWorkTest : public TWidgetTest {
 protected:
  void SetUp() override {
    TWidgetTest::SetUp();
    auto* layout = new QVBoxLayout(&Window);
    Menu = new QMenuBar(&Window);
    Build = Menu->addAction(QStringLiteral("Построить"));
    Build->setShortcut(QKeySequence(Qt::Key_F5));
    layout->setMenuBar(Menu);
    Field = new QLineEdit(&Window);
    Off = new QPushButton(QStringLiteral("выключена"), &Window);
    Off->setEnabled(false);
    layout->addWidget(Field);
    layout->addWidget(Off);
    Window.show();
    Window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window));
    Field->setFocus();
  }
  // Waits on the work's thread until cond() holds (at most a few seconds).
  template <typename F>
  static bool WaitFor(F cond) {
    for (int i = 0; i < 5000; ++i) {
      if (cond()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
  }
  QWidget Window;
  QMenuBar* Menu;
  QAction* Build;
  QLineEdit* Field;
  QPushButton* Off;
};

TEST_F(LongWorkTest, RunsOffTheWindowsThreadWhileTheWindowPaintsWithItsMenusAndFieldsDisabled) {
  const std::thread::id windowThread = std::this_thread::get_id();
  std::thread::id workThread;
  int triggered = 0;
  QObject::connect(Build, &QAction::triggered, [&] { ++triggered; });
  std::atomic<int> ticks{0};
  bool disabledMeanwhile = false, busyMeanwhile = false;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    // The window's thread goes on: it paints, and input reaches nothing.
    Window.repaint();
    disabledMeanwhile = !Menu->isEnabled() && !Field->isEnabled();
    busyMeanwhile = Scripted().Busy();
    QTest::keyClick(&Window, Qt::Key_F5);
    QTest::keyClicks(Field, QStringLiteral("x"));
    ++ticks;
  });
  tick.start(5);
  const bool done = RunLongWork(&Window, [&](TWorkControl& control) {
    workThread = std::this_thread::get_id();
    EXPECT_TRUE(WaitFor([&] { return ticks >= 3; }));
    control.SetProgress(1);
  });
  tick.stop();
  EXPECT_TRUE(done);
  EXPECT_NE(workThread, windowThread);
  EXPECT_TRUE(disabledMeanwhile);
  EXPECT_TRUE(busyMeanwhile);
  EXPECT_EQ(triggered, 0);
  EXPECT_TRUE(Field->text().isEmpty());
  // Afterwards all as before: enabled again, the focus back, the cursor normal.
  EXPECT_TRUE(Menu->isEnabled());
  EXPECT_TRUE(Field->isEnabled());
  EXPECT_FALSE(Off->isEnabled());
  EXPECT_TRUE(Field->hasFocus());
  EXPECT_THAT(Scripted().Lines(), ElementsAre("busy cursor", "normal cursor"));
  QTest::keyClick(&Window, Qt::Key_F5);
  EXPECT_EQ(triggered, 1);
}

TEST_F(LongWorkTest, EngineMessagesAreShownOnTheWindowsThreadInOrderWhileTheWorkWaits) {
  const std::thread::id windowThread = std::this_thread::get_id();
  std::vector<std::thread::id> shownOn;
  Scripted().OnEvent = [&](const TPlatformEvent& e) {
    if (e.Kind == TPlatformEvent::TKind::Message) shownOn.push_back(std::this_thread::get_id());
  };
  size_t seenAfterFirst = 0;
  RunLongWork(&Window, [&](TWorkControl&) {
    ShowMessage(TMessageIcon::Error, u"первое");
    seenAfterFirst = shownOn.size();  // the box has been shown and closed by now
    // A thread of the work's own is served the same way.
    std::thread([] { ShowMessage(TMessageIcon::Information, u"второе"); }).join();
    ShowMessage(TMessageIcon::Plain, u"третье");
  });
  EXPECT_EQ(seenAfterFirst, 1u);
  EXPECT_THAT(Scripted().MessageLines(), ElementsAre("error: первое", "information: второе", "message: третье"));
  EXPECT_THAT(shownOn, ElementsAre(windowThread, windowThread, windowThread));
  // On the window's own thread the engine's hook is the one before again.
  ShowMessage(TMessageIcon::Plain, u"потом");
  EXPECT_EQ(shownOn.size(), 4u);
}

TEST_F(LongWorkTest, ErrorOfTheWorkIsThrownOnTheWindowsThreadAndTheWindowIsUsableAgain) {
  EXPECT_THROW(RunLongWork(&Window, [](TWorkControl&) { throw std::runtime_error("сбой"); }), std::runtime_error);
  EXPECT_TRUE(Field->isEnabled());
  EXPECT_FALSE(Scripted().Busy());
  // A work stopped by the user says nothing of an error that followed.
  Scripted().ProgressAfter = 0;
  Scripted().StopAt = 0;
  EXPECT_FALSE(RunLongWork(&Window, [](TWorkControl& c) {
    if (c.Stopped()) throw std::runtime_error("после остановки");
  }));
}

TEST_F(LongWorkTest, ScriptedStopAtAFractionStopsTheWorkThereAndShowsTheProgressWindow) {
  Scripted().ProgressAfter = 0;
  Scripted().StopAt = 0.5;
  int last = -1;
  const auto work = [&](TWorkControl& control) {
    for (int i = 0; i <= 1000; ++i) {
      if (control.Stopped()) return;
      last = i;
      control.SetProgress(i / 1000.0);
    }
  };
  EXPECT_FALSE(RunLongWork(&Window, work));
  EXPECT_EQ(last, 500);
  EXPECT_THAT(Scripted().Lines(), ElementsAre("busy cursor", "progress window", "normal cursor"));

  // Parts of a work report into their share of the whole.
  Scripted().Clear();
  Scripted().ProgressAfter = 0;
  Scripted().StopAt = 0.75;
  EXPECT_FALSE(RunLongWork(&Window, [&](TWorkControl& control) {
    control.SetProgressRange(0, 0.5);
    work(control);
    EXPECT_FALSE(control.Stopped());
    control.SetProgressRange(0.5, 1);
    work(control);
  }));
  EXPECT_EQ(last, 500);

  // Not shown unless asked: nothing stops.
  Scripted().Clear();
  Scripted().StopAt = 0.5;
  EXPECT_TRUE(RunLongWork(&Window, work));
  EXPECT_EQ(last, 1000);
  EXPECT_THAT(Scripted().Lines(), ElementsAre("busy cursor", "normal cursor"));
}

TEST_F(LongWorkTest, RealProgressWindowComesLaterAndEscPressesItsStopButton) {
  TQtPlatform qt(QStringLiteral("Матрикон"));
  TPlatform* scripted = SetPlatform(&qt);
  QString text, button;
  bool barMoved = false;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) return;
    look.stop();
    text = dialog->findChild<QLabel*>()->text();
    button = dialog->findChild<QPushButton*>()->text();
    barMoved = dialog->findChild<QProgressBar*>()->value() > 0;
    QTest::keyClick(dialog, Qt::Key_Escape);
  });
  look.start(20);
  std::atomic<int> progress{0};
  const bool done = RunLongWork(&Window, [&](TWorkControl& control) {
    while (!control.Stopped()) {
      control.SetProgress(std::min(++progress, 1000) / 1000.0);
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  SetPlatform(scripted);
  EXPECT_FALSE(done);
  EXPECT_EQ(text, QStringLiteral("Идет расчет…"));
  EXPECT_EQ(button, QStringLiteral("Прервать"));
  EXPECT_TRUE(barMoved);
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
