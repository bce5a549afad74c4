// graph3d-view: the built-in surface in a window, for looking at it as a user
// would (for example under Xvfb with a screenshot tool).
//   graph3d-view [--size N] [--no-hidden] [--colors] [--water MODE LEVEL]
//                [--grab FILE.png]
// With --grab the window's picture is saved to FILE.png and the program ends.
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Graph3D.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int n = 30, waterMode = 0;
  float waterLevel = 95;
  bool hidden = true, colors = false;
  const char* grab = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--size" && i + 1 < argc) n = std::atoi(argv[++i]);
    else if (a == "--no-hidden") hidden = false;
    else if (a == "--colors") colors = true;
    else if (a == "--water" && i + 2 < argc) waterMode = std::atoi(argv[++i]), waterLevel = std::strtof(argv[++i], nullptr);
    else if (a == "--grab" && i + 1 < argc) grab = argv[++i];
    else {
      std::fprintf(stderr, "graph3d-view: unknown argument %s\n", a.c_str());
      return 2;
    }
  }
  TGraph3D plot;
  plot.setWindowTitle(QStringLiteral("graph3d-view"));
  plot.resize(523, 400);
  plot.SetColor(0);
  plot.SetDataColor(0xFF0000);
  plot.SetAxesColor(0x0080FF);
  try {
    const long double peak = ((n / 2) * (n / 2) + (n / 2) * (n / 2)) * 1.1L;
    for (auto& line : graph3d::GenerateSurface(n, n, peak)) plot.AddLine(std::move(line));
    plot.SetDrawHiddenLines(hidden);
    plot.SetUseColors(colors);
    if (waterMode != 0) {
      plot.SetWaterLevel(static_cast<uint8_t>(waterMode), waterLevel);
      plot.SetIsodose(9, KeepColor, waterLevel);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "graph3d-view: %s\n", e.what());
    return 1;
  }
  plot.show();
  if (grab) {
    QTimer::singleShot(200, [&] {
      plot.grab().save(QString::fromLocal8Bit(grab));
      app.quit();
    });
  }
  return app.exec();
}
