// matrikon-plot: a plot of either window drawn into a file from the command
// line, without a display. The windows themselves make the picture, with
// their checks and messages (written to standard error as plain text), so a
// file equals what the window shows for the same inputs and size.
//
//   matrikon-plot 2d "sin(x)*x" --from -200 --to 200 --step 1 -o plot.svg
//   matrikon-plot 3d --grid 60x60 --theta 30 --phi 330 --bands --water 95 -o surface.png
//
// Exit status: 0 the file was written, 1 an input was refused (or the file
// could not be written; an old file stays whole), 2 a usage error.
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <variant>

class TConsolePlatform;

namespace plotcli {

inline constexpr int kRefused = 1;
inline constexpr int kUsage = 2;

struct TRange {
  QString From, To;
};

struct TOptions {
  bool Plot3D = false;
  QString Formula;       // empty: the window's default
  QStringList Also;      // further curves of the plane plot
  std::optional<QString> From, To, Step;  // the plane plot's range fields, as typed
  std::optional<TRange> X, Y;             // the surface dialog's ranges
  std::optional<QSize> Grid;              // values along X × lines along Y
  std::optional<int> Theta, Phi;
  bool Bands = false;
  std::optional<int> Water;
  std::optional<QSize> Size;              // of the plot control, in pixels
  QString Output;
};

// What the command line asks for: a plot, or a text to print with the exit
// status (help and version: 0 on standard output; a usage error: 2 on
// standard error).
struct TText {
  QString Text;
  int Status = 0;
};
std::variant<TOptions, TText> ParseArguments(const QStringList& arguments);

QString HelpText();
QString VersionText();

// Draws the plot and writes the file; needs the application object and the
// console, installed as the platform layer. Returns the exit status.
int Run(const TOptions& options, TConsolePlatform& console);

}  // namespace plotcli
