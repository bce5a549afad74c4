// The geometry of the 3D surface on the built-in N × N surface: its isolines
// at the ten default band bounds (BM_Contour, what the contour map computes),
// and the binary STL file of its 2 (N − 1)² triangles written to the
// temporary folder through the atomic save (BM_ExportStl, the file made and
// put in place, as the 3D window's export does), and the same file made
// into memory that is thrown away (BM_MakeStl, the program's own share).
#include "geometry/Isolines.h"
#include "geometry/MeshFile.h"
#include "graph3d/BuiltinSurface.h"
#include "graph3d/Graph3DGrids.h"
#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void Fill(TGraph3DModel& model, int n) {
  const long double peak = ((n / 2) * (n / 2) + (n / 2) * (n / 2)) * 1.1L;
  for (auto& line : graph3d::GenerateSurface(n, n, peak)) model.AddLine(std::move(line));
  model.Resized(523, 400);
  model.Prepare();
}

void BM_Contour(benchmark::State& state) {
  TGraph3DModel model;
  Fill(model, int(state.range(0)));
  std::vector<float> levels;
  for (int b = 0; b < 10; ++b) levels.push_back(model.Isodose(b).Percentage);
  size_t segments = 0;
  for (auto _ : state) {
    const auto lines = geometry::Isolines(graph3d::TModelGrid(model), levels);
    segments = 0;
    for (const auto& l : lines) segments += l.size();
    benchmark::DoNotOptimize(segments);
  }
  state.counters["segments"] = double(segments);
  state.SetItemsProcessed(state.iterations() * model.TrapezeCount());
}

void BM_ExportStl(benchmark::State& state) {
  TGraph3DModel model;
  Fill(model, int(state.range(0)));
  const graph3d::TLinesGrid grid(model);
  QTemporaryDir folder;
  const QString name = QDir(folder.path()).filePath(QStringLiteral("surface.stl"));
  for (auto _ : state) {
    const TSaveResult saved = SaveFileInPieces(name, [&](const TWritePiece& write) {
      return geometry::WriteStl(grid, "bench", [&](const char* data, size_t size) {
        return write(QByteArrayView(data, qsizetype(size)));
      });
    });
    if (!saved) state.SkipWithError(saved.Reason.toStdString().c_str());
  }
  state.counters["MB"] = double(QFile(name).size()) / (1 << 20);
}

void BM_MakeStl(benchmark::State& state) {
  TGraph3DModel model;
  Fill(model, int(state.range(0)));
  const graph3d::TLinesGrid grid(model);
  uint64_t bytes = 0;
  for (auto _ : state) {
    bytes = 0;
    geometry::WriteStl(grid, "bench", [&](const char* data, size_t size) {
      benchmark::DoNotOptimize(data);
      bytes += size;
      return true;
    });
  }
  state.counters["MB"] = double(bytes) / (1 << 20);
}

}  // namespace

BENCHMARK(BM_Contour)->Arg(1000)->Arg(3000)->Unit(benchmark::kMillisecond);
// Wall-clock time: most of it is the system's writing of the file.
BENCHMARK(BM_ExportStl)->Arg(3000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MakeStl)->Arg(3000)->Unit(benchmark::kMillisecond);
