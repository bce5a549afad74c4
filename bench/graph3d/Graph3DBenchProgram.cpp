// graph3d-bench N [W H] [--cpu] [--shaded] [--plain]: the built-in N × N surface on a W × H
// control (default 523 × 400) on the offscreen platform. Prints one figure a
// line: generate_ms, first_redraw_ms (build, colour, sort, project, draw),
// rotate_redraw_ms (Theta + 10; of it rotate_prepare_ms for the keys, sort
// and projection, rotate_picture_ms for the picture), move_redraw_ms
// (SetOffset), peak_rss_mb.
// --cpu adds the processor time of each redraw (…_cpu_ms), a steadier
// figure on a machine shared with other work. --shaded draws shaded faces,
// --plain draws with the plain loop where the processor has the vector one.
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Graph3D.h"
#include "graph3d/Graph3DRaster.h"

#include <QApplication>

#include <sys/resource.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double CpuMilliseconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

struct TTiming {
  double Wall = 0, Cpu = 0;
};

template <typename F>
TTiming Time(F&& f) {
  const auto start = std::chrono::steady_clock::now();
  const double cpu = CpuMilliseconds();
  f();
  return {MillisecondsSince(start), CpuMilliseconds() - cpu};
}

}  // namespace

int main(int argc, char** argv) {
  bool cpu = false, shaded = false, plain = false;
  for (;;) {
    const std::string last = argc >= 2 ? argv[argc - 1] : "";
    if (last == "--cpu") cpu = true;
    else if (last == "--shaded") shaded = true;
    else if (last == "--plain") plain = true;
    else break;
    --argc;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: graph3d-bench N [W H] [--cpu] [--shaded] [--plain]\n");
    return 2;
  }
  graph3d::SetPlainDrawing(plain);
  const int n = std::atoi(argv[1]);
  const int w = argc >= 4 ? std::atoi(argv[2]) : 523;
  const int h = argc >= 4 ? std::atoi(argv[3]) : 400;
  if (n < 2 || w < 1 || h < 1) {
    std::fprintf(stderr, "graph3d-bench: N must be at least 2, W and H at least 1\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);

  const long double peak = ((n / 2) * (n / 2) + (n / 2) * (n / 2)) * 1.1L;
  std::vector<std::unique_ptr<TGraphLine>> lines;
  TTiming generate;
  try {
    generate = Time([&] { lines = graph3d::GenerateSurface(n, n, peak); });
  } catch (const std::exception& e) {
    // a grid this machine has no room for
    std::fprintf(stderr, "graph3d-bench: %s\n", e.what());
    return 1;
  }

  TGraph3D plot;
  plot.resize(w, h);
  plot.SetShaded(shaded);
  plot.show();
  QCoreApplication::processEvents();  // the first paint of the empty control
  for (auto& line : lines) plot.AddLine(std::move(line));
  lines.clear();

  try {
    const TTiming first = Time([&] { plot.repaint(); });
    if (plot.BuildFailed() || plot.Model().TrapezeCount() == 0) {
      std::fprintf(stderr, "graph3d-bench: the surface was not built\n");
      return 1;
    }
    // A turn in two parts: the recomputation (depth keys, sort, projection)
    // and the picture that follows.
    TTiming turn, turnPicture;
    const TTiming rotate = Time([&] {
      plot.SetTheta(plot.Theta() + 10);
      turn = Time([&] { plot.Prepare(); });
      turnPicture = Time([&] { plot.repaint(); });
    });
    const TTiming move = Time([&] {
      const TPoint o = plot.Offset();
      plot.SetOffset({o.X + 10, o.Y + 10});
      plot.repaint();
    });
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("generate_ms %.1f\n", generate.Wall);
    std::printf("first_redraw_ms %.1f\n", first.Wall);
    std::printf("rotate_redraw_ms %.1f\n", rotate.Wall);
    std::printf("rotate_prepare_ms %.1f\n", turn.Wall);
    std::printf("rotate_picture_ms %.1f\n", turnPicture.Wall);
    std::printf("move_redraw_ms %.1f\n", move.Wall);
    std::printf("peak_rss_mb %.1f\n", usage.ru_maxrss / 1024.0);
    if (cpu) {
      std::printf("first_redraw_cpu_ms %.1f\n", first.Cpu);
      std::printf("rotate_redraw_cpu_ms %.1f\n", rotate.Cpu);
      std::printf("move_redraw_cpu_ms %.1f\n", move.Cpu);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "graph3d-bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
