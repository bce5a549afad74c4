#include "platform/LongWork.h"

#include "engine/Formula_math.h"
#include "platform/Platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Long work of the window's thread is running: more of it runs in place.
bool GRunning = false;

// How often the progress bar follows the work.
constexpr int kTickMs = 40;

// The window's menus and fields are disabled while the work runs: its direct
// children that are not windows of their own. The focus goes back where it was.
class TDisabledChildren {
 public:
  explicit TDisabledChildren(QWidget* window) {
    if (!window) return;
    Focus = window->focusWidget();  // also when the window is not the active one
    // The focus is parked on the window first, as when the window is
    // deactivated: a field that loses it so has not been left by the user,
    // and disabling the fields one by one would hand it from one to the next.
    if (Focus) window->setFocus(Qt::ActiveWindowFocusReason);
    for (QWidget* child : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (child->isWindow() || !child->isEnabled()) continue;  // one disabled before stays so
      child->setEnabled(false);
      Children.emplace_back(child);
    }
  }
  ~TDisabledChildren() {
    for (const QPointer<QWidget>& child : Children)
      if (child) child->setEnabled(true);
    if (Focus && Focus->isEnabled() && Focus->isVisible()) Focus->setFocus(Qt::ActiveWindowFocusReason);
  }
  TDisabledChildren(const TDisabledChildren&) = delete;
  TDisabledChildren& operator=(const TDisabledChildren&) = delete;

 private:
  std::vector<QPointer<QWidget>> Children;
  QPointer<QWidget> Focus;
};

// The engine's messages raised off the window's thread are shown on it, one
// at a time in the order they come, while the thread that raised them waits:
// so a message comes at the moment of the work it belongs to, as when the
// work ran on the window's thread.
class TMessageRelay {
 public:
  explicit TMessageRelay(QObject* context) : Context(context), WindowThread(std::this_thread::get_id()) {
    Previous = SetMessageHook([this](TMessageIcon icon, const std::u16string& text) { Show(icon, text); });
  }
  ~TMessageRelay() { SetMessageHook(std::move(Previous)); }
  TMessageRelay(const TMessageRelay&) = delete;
  TMessageRelay& operator=(const TMessageRelay&) = delete;

  // The window's thread no longer serves messages: the ones waiting and any
  // later ones go unshown.
  void Close() {
    const std::lock_guard lock(Shared->Mutex);
    Shared->Closed = true;
    Shared->Served.notify_all();
  }

 private:
  struct TShared {
    std::mutex Mutex;
    std::condition_variable Served;
    bool Closed = false;
  };
  struct TRequest {
    bool Done = false;
    std::exception_ptr Error;
  };

  void Show(TMessageIcon icon, const std::u16string& text) {
    if (std::this_thread::get_id() == WindowThread) {
      Previous(icon, text);
      return;
    }
    const std::lock_guard oneAtATime(Serial);
    std::unique_lock lock(Shared->Mutex);
    if (Shared->Closed) return;
    auto request = std::make_shared<TRequest>();
    QMetaObject::invokeMethod(
        Context,
        [this, shared = Shared, request, icon, text] {
          std::exception_ptr error;
          try {
            Previous(icon, text);
          } catch (...) {
            error = std::current_exception();
          }
          const std::lock_guard done(shared->Mutex);
          request->Done = true;
          request->Error = error;
          shared->Served.notify_all();
        },
        Qt::QueuedConnection);
    Shared->Served.wait(lock, [&] { return request->Done || Shared->Closed; });
    if (request->Error) std::rethrow_exception(request->Error);
  }

  QObject* Context;
  const std::thread::id WindowThread;
  TMessageHook Previous;
  std::mutex Serial;
  std::shared_ptr<TShared> Shared = std::make_shared<TShared>();
};

}  // namespace

bool RunLongWork(QWidget* window, const std::function<void(TWorkControl&)>& work) {
  TBusyCursor busy;
  TWorkControl control;
  QCoreApplication* application = QCoreApplication::instance();
  if (!application || QThread::currentThread() != application->thread() || GRunning) {
    work(control);
    return !control.Stopped();
  }
  GRunning = true;
  struct TRunning {
    ~TRunning() { GRunning = false; }
  } running;

  const QPointer<QWidget> owner(window);
  TDisabledChildren disabled(window);
  QObject context;  // what the worker's calls to this thread go through
  QEventLoop loop;
  TMessageRelay relay(&context);

  // A delay of 0 (tests) shows the window before the work begins.
  const int delay = Platform().ProgressDelay();
  std::unique_ptr<TProgressWindow> progress;
  if (delay == 0) progress = Platform().ShowProgress(owner, control);

  std::exception_ptr error;
  std::atomic<bool> finished{false};
  auto run = [&] {
    try {
      work(control);
    } catch (...) {
      error = std::current_exception();
    }
    finished.store(true);
  };
  std::thread worker;
  try {
    worker = std::thread([&] {
      run();
      QMetaObject::invokeMethod(&context, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
  } catch (const std::system_error&) {
    run();  // no thread to be had: here, as before
  }

  if (worker.joinable()) {
    QElapsedTimer clock;
    clock.start();
    QTimer tick;
    tick.setInterval(kTickMs);
    QObject::connect(&tick, &QTimer::timeout, &context, [&] {
      if (!progress && delay > 0 && clock.elapsed() >= delay) progress = Platform().ShowProgress(owner, control);
      if (progress) progress->SetProgress(control.Progress());
    });
    tick.start();
    loop.exec();
    tick.stop();
    if (!finished.load()) {
      // The loop was ended from outside (the program is closing): the work
      // stops, and nothing waits for this thread any more.
      control.RequestStop();
      relay.Close();
    }
    worker.join();
  }
  progress.reset();
  // A stopped work changes nothing, not even by its error.
  if (control.Stopped()) return false;
  if (error) std::rethrow_exception(error);
  return true;
}
