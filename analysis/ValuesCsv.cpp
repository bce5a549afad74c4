#include "analysis/ValuesCsv.h"

#include "engine/Formula_math.h"
#include "parallel/Parts.h"

#include <algorithm>
#include <cmath>

namespace {

// Rows each part formats at a time: about 2 MB of text.
constexpr int64_t kRows = 65536;
// The longest row: two numbers of at most 32 characters, ';', CR LF.
constexpr size_t kLongestRow = 2 * 32 + 3;

}  // namespace

void AppendCsvRows(std::string& out, const double* x, const double* y, int64_t count) {
  size_t size = out.size();
  out.resize(size + static_cast<size_t>(count) * kLongestRow);
  char* p = out.data() + size;
  for (int64_t i = 0; i < count; ++i) {
    p += FormatGeneralAscii(x[i], p);
    *p++ = ';';
    if (!std::isnan(y[i])) p += FormatGeneralAscii(y[i], p);
    *p++ = '\r';
    *p++ = '\n';
  }
  out.resize(static_cast<size_t>(p - out.data()));
}

TValuesCsv::TValuesCsv(int64_t count, TReader read, int threads)
    : FCount(std::max<int64_t>(count, 0)), FRead(std::move(read)) {
  if (threads <= 0) threads = parallel::Processors();
  FParts = std::clamp(threads, 1, 4);
  FPieces.resize(static_cast<size_t>(FParts));
  FNextPiece = FPieces.size();
}

void TValuesCsv::MakeBatch() {
  const int64_t first = FNextRow;
  const int parts = static_cast<int>(std::min<int64_t>(FParts, (FCount - first + kRows - 1) / kRows));
  parallel::TParts state;
  parallel::RunParts(parts, state, [&](int part) {
    const int64_t from = first + part * kRows, n = std::min(kRows, FCount - from);
    std::vector<double> x(static_cast<size_t>(n)), y(static_cast<size_t>(n));
    FRead(from, n, x.data(), y.data());
    std::string& piece = FPieces[static_cast<size_t>(part)];
    piece.clear();
    if (from == 0) piece = Header;
    AppendCsvRows(piece, x.data(), y.data(), n);
  });
  for (int part = parts; part < FParts; ++part) FPieces[static_cast<size_t>(part)].clear();
  FNextRow = std::min(FCount, first + parts * kRows);
  FNextPiece = 0;
}

std::string_view TValuesCsv::Next() {
  while (true) {
    if (FNextPiece < FPieces.size()) {
      const std::string& piece = FPieces[FNextPiece++];
      if (!piece.empty()) return piece;
      continue;
    }
    if (FNextRow < FCount) {
      FHeaderGiven = true;
      MakeBatch();
      continue;
    }
    if (!FHeaderGiven) {  // no points: the header alone
      FHeaderGiven = true;
      return Header;
    }
    return {};
  }
}

double TValuesCsv::Progress() const {
  return FCount == 0 ? 1.0 : static_cast<double>(FNextRow) / static_cast<double>(FCount);
}
