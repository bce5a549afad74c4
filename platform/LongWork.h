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
// The work itself touches no widget and calls nothing of the platform layer.
#pragma once

#include "platform/WorkControl.h"

#include <functional>

class QWidget;

// Runs work for window (the window whose menus and fields are disabled
// meanwhile; may be nullptr) and returns true when it finished, false when it
// was stopped. Called off the window's thread, or while other long work
// runs, it runs the work right there under the busy cursor.
bool RunLongWork(QWidget* window, const std::function<void(TWorkControl&)>& work);
