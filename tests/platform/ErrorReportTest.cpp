// The general error report: exceptions escaping handlers become one error
// message box each, and the program carries on.
#include "platform/Application.h"
#include "tests/support/WidgetTest.h"

#include <QPushButton>
#include <QTest>

#include <new>

using ::testing::ElementsAre;

namespace {

// A widget whose own event handlers throw after doing part of their work.
class ThrowingWidget : public QWidget {
 public:
  int Presses = 0;

 protected:
  void mousePressEvent(QMouseEvent*) override {
    ++Presses;
    throw std::runtime_error("Ошибка в обработчике");
  }
  void keyPressEvent(QKeyEvent*) override { throw 42; }
};

class ErrorReportTest : public TWidgetTest {};

TEST_F(ErrorReportTest, EventHandlerExceptionIsShownAndWorkStays) {
  ThrowingWidget w;
  w.show();
  QTest::mouseClick(&w, Qt::LeftButton);
  QTest::mouseClick(&w, Qt::LeftButton);  // the program goes on: the next event is handled too
  EXPECT_EQ(w.Presses, 2);
  EXPECT_THAT(Scripted().Lines(), ElementsAre("error: Ошибка в обработчике", "error: Ошибка в обработчике"));
}

TEST_F(ErrorReportTest, ExceptionsWithoutAUserTextGetARussianOne) {
  ThrowingWidget w;
  w.show();
  QTest::keyClick(&w, Qt::Key_A);
  Guarded([] { throw std::bad_alloc(); })();
  Guarded([] { throw std::bad_array_new_length(); })();
  EXPECT_THAT(Scripted().Lines(), ElementsAre("error: Неизвестная ошибка.",
                                              "error: Недостаточно памяти для выполнения операции.",
                                              "error: Недостаточно памяти для выполнения операции."));
}

TEST_F(ErrorReportTest, PostedEventThroughTheEventLoopIsReported) {
  ThrowingWidget w;
  w.show();
  QCoreApplication::postEvent(&w, new QMouseEvent(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                                                  Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::processEvents();
  EXPECT_EQ(w.Presses, 1);
  EXPECT_THAT(Scripted().Lines(), ElementsAre("error: Ошибка в обработчике"));
}

TEST_F(ErrorReportTest, GuardedSlotReportsAndTheButtonKeepsWorking) {
  QPushButton button;
  int clicks = 0;
  QObject::connect(&button, &QPushButton::clicked, &button, Guarded([&] {
                     ++clicks;
                     throw std::invalid_argument("Деление на ноль");
                   }));
  button.show();
  QTest::mouseClick(&button, Qt::LeftButton);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(button.isDown());
  EXPECT_THAT(Scripted().Lines(), ElementsAre("error: Деление на ноль", "error: Деление на ноль"));
}

TEST_F(ErrorReportTest, AFailingReportDoesNotEscape) {
  Scripted().OnEvent = [](const TPlatformEvent&) { throw std::runtime_error("no display"); };
  EXPECT_NO_THROW(Guarded([] { throw std::runtime_error("first"); })());
  EXPECT_THAT(Scripted().Lines(), ElementsAre("error: first"));
}

TEST_F(ErrorReportTest, ExceptionTextKeepsUtf8) {
  const auto text = ExceptionText(std::make_exception_ptr(std::runtime_error("Ошибка: ∞ и €")));
  EXPECT_EQ(text, QStringLiteral("Ошибка: ∞ и €"));
}

}  // namespace
