// Work that may take longer than half a second: a build, a sampling, an
// analysis, a long export. It runs off the window's thread while the window
// keeps repainting with its menus and fields disabled; the busy cursor shows
// from the start and, after about 0,5 s, a small progress window ("Идет
// расчет…", a progress bar and "Прервать"; Esc presses it).
//
//   bool done = RunLongWork(this, [&](TWorkControl& control) {
//     for (int64_t i = 0; i < n; ++i) {
//       if (control.Stopped()) return;       // leave everything as it was
//       ...
//       control.SetProgress(double(i) / n);
//     }
//   });
//   if (!done) return;                        // stopped: change nothing
//
// The work writes into storage of its own and the caller swaps it in only
// when RunLongWork returned true, so a stop changes nothing. An exception of
// the work is thrown on from RunLongWork on the window's thread. Messages of
// the formula engine raised by the work are shown on the window's thread, in
// their order, as modal boxes of the platform layer, while the work waits.
#pragma once

#include <atomic>
#include <functional>

class QWidget;

class TWorkControl {
 public:
  // True once the user pressed "Прервать": return soon (within 0,1 s).
  bool Stopped() const { return StopRequested.load(std::memory_order_relaxed); }
  // How far the work is, 0..1; may be called from any thread, often.
  void SetProgress(double fraction) { Fraction.store(fraction, std::memory_order_relaxed); }
  double Progress() const { return Fraction.load(std::memory_order_relaxed); }

  // For the runner (and tests): ask the work to stop.
  void RequestStop() { StopRequested.store(true, std::memory_order_relaxed); }

 private:
  std::atomic<bool> StopRequested{false};
  std::atomic<double> Fraction{0};
};

// Runs work for window (the window whose controls are disabled meanwhile; may
// be nullptr) and returns true when it finished, false when it was stopped.
bool RunLongWork(QWidget* window, const std::function<void(TWorkControl&)>& work);
