// Work split over the processor's cores with std::thread, for every layer
// with long loops: the 3D control's stages, the formula surface's lines and
// the plane plot's blocks.
//
// It is a folder of its own at the bottom of the tree, beside the engine:
// it needs neither Qt nor the formula engine, so the engine-free 3D geometry
// and the samplers built on the engine can all use it without one layer
// reaching into another (graph3d/ would be above the plane plot's sampling,
// platform/ would bring Qt to the 3D geometry).
//
//   parallel::RunInParts(n, parts, [&](int64_t begin, int64_t end, int part) {...});
//   parallel::RunEach(1, lines, workers, [&](int64_t line, int worker) {...});
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

namespace parallel {

// What long work may be given to end early and to report how far it is; both
// may be left empty. Stopped is asked between pieces of work, on any of the
// threads; Progress gets the fraction of the pieces done, on the calling
// thread only.
struct TControl {
  std::function<bool()> Stopped;
  std::function<void(double)> Progress;
};

// The processors of the machine, at least 1.
inline int Processors() {
  static const int processors = std::max(int(std::thread::hardware_concurrency()), 1);
  return processors;
}

// Parts for n items when a part should have at least `grain` of them, at most
// maxParts and the number of processors.
inline int PartsFor(int64_t n, int64_t grain, int maxParts) {
  const int cores = std::clamp(Processors(), 1, std::max(maxParts, 1));
  return int(std::clamp<int64_t>(n / std::max<int64_t>(grain, 1), 1, cores));
}

// What the parts of one run share: whether it is to end early.
class TParts {
 public:
  TParts() = default;
  explicit TParts(const TControl& control) : FControl(&control) {}
  TParts(const TParts&) = delete;
  TParts& operator=(const TParts&) = delete;

  // True once a part has ended with an exception, or the control says stop.
  bool Stopped() const {
    if (FFailed.load(std::memory_order_relaxed)) return true;
    return FControl && FControl->Stopped && FControl->Stopped();
  }

 private:
  template <typename F>
  friend void RunParts(int parts, TParts& state, F&& work);

  const TControl* FControl = nullptr;
  std::atomic<bool> FFailed = false;
};

// work(part) for every part in [0, parts): part 0 on the calling thread, each
// other on a thread of its own. A part no thread can be had for runs on the
// calling thread after part 0, unless the run has stopped by then. Returns
// when every part has ended, then throws the exception of the lowest part
// that threw one; once a part has thrown, state.Stopped() tells the others.
template <typename F>
void RunParts(int parts, TParts& state, F&& work) {
  parts = std::max(parts, 1);
  std::vector<std::exception_ptr> errors(static_cast<size_t>(parts));
  auto run = [&](int part) {
    try {
      work(part);
    } catch (...) {
      errors[size_t(part)] = std::current_exception();
      state.FFailed = true;
    }
  };
  std::vector<std::thread> threads;
  std::vector<int> here;
  threads.reserve(size_t(parts));
  here.reserve(size_t(parts));
  for (int part = 1; part < parts; ++part) {
    try {
      threads.emplace_back(run, part);
    } catch (...) {
      here.push_back(part);  // no thread to be had: done on this one
    }
  }
  run(0);
  for (int part : here)
    if (!state.Stopped()) run(part);
  for (std::thread& t : threads) t.join();
  for (const std::exception_ptr& e : errors)
    if (e) std::rethrow_exception(e);
}

// f(begin, end, part) over `parts` contiguous ranges of [0, n): part p runs
// from n * p / parts, the first on the calling thread. Parts of equal size
// suit work whose items cost alike; the ranges depend only on n and parts, so
// work that keeps something per part gives the same result on every machine
// with as many parts.
template <typename F>
void RunInParts(int64_t n, int parts, F&& f) {
  if (parts <= 1 || n <= 1) {
    f(int64_t(0), n, 0);
    return;
  }
  TParts state;
  RunParts(parts, state, [&](int part) { f(n * part / parts, n * (part + 1) / parts, part); });
}

// f(item, worker) for every item in [first, last), handed out one at a time
// in order to `workers` workers (worker 0 is the calling thread), so that a
// worker whose items are quick takes more of them. No item is handed out
// once a call has thrown (its exception reaches the caller when all have
// ended) or control.Stopped() said so. Returns false when the control stopped
// the run before every item was done.
template <typename F>
bool RunEach(int64_t first, int64_t last, int workers, F&& f, const TControl& control = {}) {
  TParts state(control);
  const int64_t total = std::max<int64_t>(last - first, 0);
  std::atomic<int64_t> next = first;
  std::atomic<int64_t> done = 0;
  RunParts(std::max(workers, 1), state, [&](int worker) {
    for (int64_t item; !state.Stopped() && (item = next++) < last;) {
      f(item, worker);
      const int64_t finished = ++done;
      if (worker == 0 && control.Progress) control.Progress(double(finished) / double(total));
    }
  });
  return done == total;
}

}  // namespace parallel
