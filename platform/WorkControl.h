// What long work sees of the one who waits for it: whether to stop, and
// where to report how far it is. Plain C++, so that the samplers and the 3D
// geometry below the windows can take it; RunLongWork (LongWork.h) gives one
// to the work it runs.
#pragma once

#include <algorithm>
#include <atomic>

class TWorkControl {
 public:
  // True once the user pressed "Прервать": return soon (within 0,1 s).
  bool Stopped() const { return StopRequested.load(std::memory_order_relaxed); }
  // The flag itself, for code that takes a plain atomic flag (the engine).
  const std::atomic<bool>& StopFlag() const { return StopRequested; }

  // How far the work is, 0..1 (of the part set by SetProgressRange); may be
  // called from any thread, often.
  void SetProgress(double fraction) {
    const double whole = From.load(std::memory_order_relaxed) +
                         std::clamp(fraction, 0.0, 1.0) * Span.load(std::memory_order_relaxed);
    Fraction.store(whole, std::memory_order_relaxed);
    if (whole >= StopAt.load(std::memory_order_relaxed)) RequestStop();
  }
  // How far the whole work is, 0..1.
  double Progress() const { return Fraction.load(std::memory_order_relaxed); }
  // Work made of steps: the next SetProgress(0..1) calls cover from..to of
  // the whole. Call it between the steps, not while threads report.
  void SetProgressRange(double from, double to) {
    From.store(from, std::memory_order_relaxed);
    Span.store(to - from, std::memory_order_relaxed);
    Fraction.store(from, std::memory_order_relaxed);
  }

  // For the runner: ask the work to stop.
  void RequestStop() { StopRequested.store(true, std::memory_order_relaxed); }
  // For tests: "Прервать" is pressed as soon as the whole work reports this
  // fraction, at that very report, so a test stops the work at a known place.
  void StopAtProgress(double fraction) { StopAt.store(fraction, std::memory_order_relaxed); }

 private:
  std::atomic<bool> StopRequested{false};
  std::atomic<double> Fraction{0};
  std::atomic<double> From{0}, Span{1};
  std::atomic<double> StopAt{2};  // beyond any progress: never
};
