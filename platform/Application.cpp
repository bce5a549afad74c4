#include "platform/Application.h"

#include "platform/Platform.h"

#include <new>

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ReportCurrentException();
    return true;
  }
}

QString ExceptionText(const std::exception_ptr& error) {
  try {
    std::rethrow_exception(error);
  } catch (const std::bad_alloc&) {
    // Its what() is the library's internal English name.
    return QStringLiteral("Недостаточно памяти для выполнения операции.");
  } catch (const std::exception& e) {
    return QString::fromUtf8(e.what());
  } catch (...) {
    return QStringLiteral("Неизвестная ошибка.");
  }
}

void ReportCurrentException() {
  try {
    Platform().Error(ExceptionText(std::current_exception()));
  } catch (...) {
    // The report itself failed: nothing sensible is left to show it with.
  }
}
