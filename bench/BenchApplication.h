// The one application object of matrikon-bench's benchmarks that need
// widgets, made at the first call, on the offscreen platform unless the
// caller chose another.
#pragma once

#include <QApplication>

inline void EnsureApplication() {
  if (QApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "matrikon-bench";
  static char* argv[] = {name, nullptr};
  static QApplication application(argc, argv);
}
