// The application object and the general error report.
//
// An exception that escapes an event handler ends that handler; the user sees
// its what() text (UTF-8) in a modal error message box through the platform
// layer, and the program goes on. What the handler had done stays done.
//
// Two ways in, both ending in ReportCurrentException():
//  - TApplication::notify catches whatever escapes the dispatch of an event
//    (an overridden event handler such as mousePressEvent that throws);
//  - Guarded(handler) wraps a slot, so that an exception of a handler
//    connected to a signal (a click, a menu item) is caught right there and
//    never unwinds through Qt's own code:
//        connect(Button2, &QPushButton::clicked, this, Guarded([this] { Button2Click(); }));
#pragma once

#include <QApplication>

#include <exception>
#include <utility>

class TApplication : public QApplication {
  Q_OBJECT

 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// Shows the exception being handled in a modal error message box; call it
// only inside a catch block. Never throws.
void ReportCurrentException();

// The text the general error report shows for an exception: its what(),
// but a Russian text of its own for a failed allocation and for an
// exception that is no std::exception.
QString ExceptionText(const std::exception_ptr& error);

// A callable that runs handler() and reports any exception it throws.
// Arguments a signal passes are ignored.
template <typename THandler>
auto Guarded(THandler handler) {
  return [handler = std::move(handler)](auto&&...) mutable {
    try {
      handler();
    } catch (...) {
      ReportCurrentException();
    }
  };
}
