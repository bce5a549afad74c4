// A guard over the engine's message hook (SetMessageHook) for work that
// evaluates formulas on several threads, where a message must not reach the
// user from whichever thread meets it first:
//
//   TMessageGuard messages(TMessageGuard::TMode::Collect);
//   ...threads evaluate...
//   auto shown = messages.Take();     // each message once, in the order first met
//
//   TMessageGuard messages(TMessageGuard::TMode::Forward);
//   ...a helper thread meets a message: ShowMessage throws EMessageElsewhere there,
//   and the helper leaves that piece of work to the guard's own thread...
//
// The previous hook is back in place when the guard ends.
#pragma once

#include "engine/Formula_math.h"

#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using TEngineMessages = std::vector<std::pair<TMessageIcon, std::u16string>>;

// Thrown by ShowMessage on a thread a forwarding guard does not show messages of.
struct EMessageElsewhere {};

class TMessageGuard {
 public:
  enum class TMode {
    // Nothing is shown: the messages of every thread are kept, each icon and
    // text once, in the order they were first met, for Take.
    Collect,
    // The messages of the thread that made the guard go on to the previous
    // hook as they come; on any other thread ShowMessage throws
    // EMessageElsewhere and shows nothing.
    Forward,
    // Nothing is shown and nothing kept: for work whose messages were shown
    // once before (a second pass over a formula already built).
    Discard,
  };

  explicit TMessageGuard(TMode mode);
  ~TMessageGuard();
  TMessageGuard(const TMessageGuard&) = delete;
  TMessageGuard& operator=(const TMessageGuard&) = delete;

  // The messages collected so far; the guard keeps collecting afterwards.
  TEngineMessages Take();

 private:
  void Show(TMessageIcon icon, const std::u16string& text);

  const TMode FMode;
  const std::thread::id FOwner = std::this_thread::get_id();
  TMessageHook FPrevious;
  std::mutex FMutex;
  TEngineMessages FMessages;
};
