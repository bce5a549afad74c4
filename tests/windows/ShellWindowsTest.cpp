// The splash and the main menu window, and the pieces all windows share.
#include "windows/FormTools.h"
#include "windows/Unit1.h"
#include "windows/Unit4_3D.h"
#include "windows/Unit6.h"
#include "windows/Unit7.h"
#include "windows/WebPage.h"
#include "tests/support/WidgetTest.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using ::testing::ElementsAre;

namespace {

class SplashTest : public TWidgetTest {};

TEST_F(SplashTest, LooksAsSettled) {
  TForm1 splash;
  splash.show();
  EXPECT_EQ(splash.size(), QSize(279, 100));
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(splash.wowlabel1->text(), QStringLiteral("One Moment Please..."));
  EXPECT_TRUE(splash.wowlabel1->font().bold());
  EXPECT_EQ(splash.wowlabel1->palette().color(QPalette::WindowText), QColor(Qt::blue));
  EXPECT_EQ(splash.StatusPanel->geometry(), splash.rect());
  EXPECT_EQ(splash.StatusPanel->cursor().shape(), Qt::WaitCursor);
  EXPECT_EQ(splash.StatusPanel->grab().toImage().pixelColor(140, 20), QColor(Qt::yellow));
  EXPECT_TRUE(splash.Timer1->isActive());
  EXPECT_EQ(splash.Timer1->interval(), 1500);
  EXPECT_EQ(splash.TickCount, 0);
}

TEST_F(SplashTest, TimerShowsTheMenuOnceAndHidesTheSplash) {
  TForm1 splash;
  QWidget menu;
  splash.SetMenuWindow(&menu);
  splash.show();
  splash.Timer1Timer();
  EXPECT_TRUE(menu.isVisible());
  EXPECT_FALSE(splash.isVisible());
  EXPECT_FALSE(splash.Timer1->isActive());
  EXPECT_EQ(splash.TickCount, 1);
  // A second tick, should one come, shows nothing again.
  menu.hide();
  splash.Timer1Timer();
  EXPECT_FALSE(menu.isVisible());
  EXPECT_EQ(splash.TickCount, 2);
}

class MenuTest : public TWidgetTest {
 protected:
  TForm6 Menu;
};

TEST_F(MenuTest, ButtonsAndFooter) {
  Menu.show();
  EXPECT_EQ(Menu.windowTitle(), QStringLiteral("Матрикон"));
  const std::vector<std::pair<QPushButton*, const char*>> buttons = {
      {Menu.Button1, "Расчет формул"}, {Menu.Button2, "Построение плоских графиков"}, {Menu.Button3, "Построение 3D графиков"}, {Menu.Button4, "Выйти"}};
  int lastY = -1;
  for (const auto& [button, text] : buttons) {
    EXPECT_EQ(button->text(), QString::fromUtf8(text));
    EXPECT_EQ(button->size(), QSize(350, 30)) << text;
    EXPECT_TRUE(button->font().bold()) << text;
    EXPECT_EQ(button->cursor().shape(), Qt::PointingHandCursor) << text;
    EXPECT_GT(button->y(), lastY) << "stacked in order";
    lastY = button->y();
  }
  EXPECT_EQ(Menu.Label1->text(), MakerFooterText());
  EXPECT_TRUE(Menu.Label1->text().endsWith(QString::fromLatin1(MakerWebAddress)));
  EXPECT_EQ(Menu.Label1->palette().color(QPalette::WindowText), QColor(Qt::red));
  EXPECT_TRUE(Menu.Label1->font().bold());
  EXPECT_TRUE(Menu.Label1->font().underline());
  EXPECT_EQ(Menu.Label1->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_FALSE(Menu.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(MenuTest, FooterOpensTheMakersPageOnEveryClick) {
  Menu.show();
  QTest::mouseClick(Menu.Label1, Qt::LeftButton);
  QTest::mouseClick(Menu.Label1, Qt::LeftButton);
  const std::string page = std::string("web page: ") + MakerWebAddress;
  EXPECT_THAT(Scripted().Lines(), ElementsAre(page, page));
}

TEST_F(MenuTest, FailedPageGoesToTheErrorReport) {
  Menu.show();
  Scripted().FailWebPage = true;
  QTest::mouseClick(Menu.Label1, Qt::LeftButton);
  ASSERT_EQ(Scripted().Log().size(), 2u);
  EXPECT_EQ(Scripted().Log()[1].Kind, TPlatformEvent::TKind::Message);
  EXPECT_EQ(Scripted().Log()[1].Icon, TMessageBoxIcon::Error);
  EXPECT_TRUE(Scripted().Log()[1].Text.contains(QString::fromLatin1(MakerWebAddress)));
}

TEST_F(MenuTest, EachButtonOpensItsToolModally) {
  QWidget calculator, plot2d, plot3d;
  for (QWidget* w : {&calculator, &plot2d, &plot3d}) w->setWindowFlag(Qt::Window);
  Menu.SetToolWindows(&calculator, &plot2d, &plot3d);
  Menu.show();
  for (auto [button, tool] : {std::pair{Menu.Button1, &calculator}, std::pair{Menu.Button2, &plot2d},
                              std::pair{Menu.Button3, &plot3d}}) {
    bool wasModal = false;
    QTimer::singleShot(0, tool, [&, tool] {
      wasModal = tool->isVisible() && QApplication::activeModalWidget() == tool;
      tool->close();
    });
    QTest::mouseClick(button, Qt::LeftButton);  // returns once the tool is closed
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(tool->isVisible());
    EXPECT_TRUE(Menu.isVisible());
  }
}

TEST_F(MenuTest, ReturnPressesTheFocusedButton) {
  QWidget calculator, plot2d, plot3d;
  for (QWidget* w : {&calculator, &plot2d, &plot3d}) w->setWindowFlag(Qt::Window);
  Menu.SetToolWindows(&calculator, &plot2d, &plot3d);
  Menu.show();
  Menu.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Menu));
  for (auto [button, tool, key] : {std::tuple{Menu.Button1, &calculator, Qt::Key_Return},
                                   std::tuple{Menu.Button3, &plot3d, Qt::Key_Enter}}) {
    bool opened = false;
    QTimer::singleShot(0, tool, [&, tool] {
      opened = tool->isVisible();
      tool->close();
    });
    button->setFocus();
    QTest::keyClick(button, key);
    EXPECT_TRUE(opened) << button->text().toStdString();
  }
  EXPECT_FALSE(plot2d.isVisible());
}

TEST_F(MenuTest, PlaceholderToolWindowsHaveTheirCaptions) {
  EXPECT_EQ(TForm7().windowTitle(), QStringLiteral("Построение плоских графиков"));
  EXPECT_EQ(TForm4_3D().windowTitle(), QStringLiteral("Построение 3D графиков"));
}

class ShowModalTest : public TWidgetTest {};

TEST_F(ShowModalTest, MinimisingDoesNotEndTheShowingButHidingDoes) {
  QWidget window;
  int steps = 0;
  QTimer::singleShot(0, &window, [&] {
    ++steps;
    window.showMinimized();
    QTimer::singleShot(0, &window, [&] {
      ++steps;
      EXPECT_TRUE(window.isVisible());
      window.hide();
    });
  });
  ShowModal(&window);
  EXPECT_EQ(steps, 2);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.windowModality(), Qt::NonModal);
}

TEST_F(ShowModalTest, EndsWhenTheWindowIsDestroyed) {
  auto* window = new QWidget;
  QTimer::singleShot(0, [window] { delete window; });
  ShowModal(window);
  SUCCEED();
}

}  // namespace
