// The command line of the program with windows: --help and --version are
// answered before any window (and without a display), anything else,
// Qt's own options such as -platform or -style included, is left to the
// application as before.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The text to print on standard output before ending with status 0, or
// nothing when the program should start. arguments[0] is the program.
std::optional<QString> CommandLineAnswer(const QStringList& arguments);
