// The table of values over a chart of range(0) points: the window opened and
// painted, and the CSV of every point written to a file (in the system's
// temporary folder) through the atomic save.
#include "bench/BenchApplication.h"
#include "analysis/ValuesCsv.h"
#include "platform/Files.h"
#include "plot2d/LineChart.h"
#include "windows/ValueTable.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTableView>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

// A chart holding n points of x*sin(x) from -500000 by 0,1, as a build makes them.
std::unique_ptr<TLineChart> Chart(int64_t n) {
  EnsureApplication();
  auto chart = std::make_unique<TLineChart>();
  chart->resize(620, 520);
  TChartPoints points(n);
  std::vector<double> xs(65536), ys(65536);
  long double x = -500000;
  for (int64_t first = 0; first < n; first += 65536) {
    const int64_t count = std::min<int64_t>(65536, n - first);
    for (int64_t i = 0; i < count; ++i, x += 0.1L) {
      xs[i] = static_cast<double>(x);
      ys[i] = std::sin(xs[i]) * xs[i];
    }
    points.Write(first, {xs.data(), static_cast<size_t>(count)}, {ys.data(), static_cast<size_t>(count)});
  }
  chart->SetPoints(std::move(points));
  chart->Redraw();
  return chart;
}

// The resident memory of the program, in MB.
double ResidentMB() {
  QFile statm(QStringLiteral("/proc/self/statm"));
  if (!statm.open(QIODevice::ReadOnly)) return 0;
  const QList<QByteArray> fields = statm.readAll().split(' ');
  return fields.size() > 1 ? fields[1].toDouble() * 4096 / (1 << 20) : 0;
}

void BM_ValueTableOpen(benchmark::State& state) {
  const auto chart = Chart(state.range(0));
  double grown = 0;
  for (auto _ : state) {
    const double before = ResidentMB();
    TValueTableDialog table(chart.get());
    table.show();
    QApplication::processEvents();
    const QImage picture = table.grab().toImage();
    benchmark::DoNotOptimize(picture.constBits());
    grown = ResidentMB() - before;
  }
  state.counters["memory_MB"] = grown;
}
BENCHMARK(BM_ValueTableOpen)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ValuesCsvSave(benchmark::State& state) {
  const auto chart = Chart(state.range(0));
  const QString name = QDir::temp().filePath(QStringLiteral("matrikon-bench-values.csv"));
  for (auto _ : state) {
    TValuesCsv csv(chart->PointCount(), chart->PointsReader());
    const TSaveResult saved = SaveFileInPieces(name, [&](const TWritePiece& write) {
      for (std::string_view text; !(text = csv.Next()).empty();)
        if (!write(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())))) return false;
      return true;
    });
    if (!saved) state.SkipWithError(saved.Reason.toUtf8().constData());
  }
  state.SetBytesProcessed(state.iterations() * QFile(name).size());
  QFile::remove(name);
}
BENCHMARK(BM_ValuesCsvSave)->Arg(10000000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
