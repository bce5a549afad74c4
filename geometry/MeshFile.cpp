#include "geometry/MeshFile.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace geometry {

static_assert(std::endian::native == std::endian::little, "the mesh files are written little-endian as in memory");

namespace {

constexpr size_t kPiece = size_t(4) << 20;

// Collects the file in pieces of about kPiece bytes for the sink.
class TPieces {
 public:
  explicit TPieces(const TMeshSink& sink) : FSink(sink), FBuffer(new char[kPiece + 4096]) {}
  // Room for n more bytes (n at most kPiece); false once the sink refused.
  bool Room(size_t n) {
    if (FUsed + n <= kPiece) return FOk;
    return Flush();
  }
  // Where the next n bytes go, then Advance(n).
  char* At() { return FBuffer.get() + FUsed; }
  void Advance(size_t n) { FUsed += n; }
  void Put(const void* data, size_t n) {
    std::memcpy(At(), data, n);
    FUsed += n;
  }
  void Put(std::string_view s) { Put(s.data(), s.size()); }
  template <typename T>
  void Number(T value) {
    const auto [end, error] = std::to_chars(At(), At() + 32, value);
    FUsed = size_t(end - FBuffer.get());
  }
  bool Flush() {
    if (FOk && FUsed > 0) FOk = FSink(FBuffer.get(), FUsed);
    FUsed = 0;
    return FOk;
  }

 private:
  const TMeshSink& FSink;
  std::unique_ptr<char[]> FBuffer;
  size_t FUsed = 0;
  bool FOk = true;
};

bool CellWhole(const TGridRow& a, const TGridRow& b, int32_t i) {
  return !((a.Missing && (a.Missing[i] | a.Missing[i + 1])) || (b.Missing && (b.Missing[i] | b.Missing[i + 1])));
}

// Walks the rows of cells: f(row a, row b, line j) for every pair of lines.
template <typename F>
bool EachRowOfCells(const TGridSurface& surface, const TMeshProgress& going, double from, double share, F&& f) {
  const int64_t lines = surface.Lines();
  if (lines < 2 || surface.Values() < 2) return true;
  TRowScratch scratch[2];
  TGridRow a = surface.Row(0, scratch[0]);
  for (int64_t j = 0; j + 1 < lines; ++j) {
    const TGridRow b = surface.Row(j + 1, scratch[(j + 1) & 1]);
    if (!f(a, b, j)) return false;
    if (going && !going(from + share * double(j + 1) / double(lines - 1))) return false;
    a = b;
  }
  return true;
}

struct TVertex {
  float X, Y, Z;
};

// The unit normal of the triangle (zero when it has no area).
void Normal(const TVertex& p, const TVertex& q, const TVertex& r, float (&n)[3]) {
  const double ux = double(q.X) - p.X, uy = double(q.Y) - p.Y, uz = double(q.Z) - p.Z;
  const double vx = double(r.X) - p.X, vy = double(r.Y) - p.Y, vz = double(r.Z) - p.Z;
  const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  const double length = std::sqrt(nx * nx + ny * ny + nz * nz);
  if (!(length > 0) || !std::isfinite(length)) {
    n[0] = n[1] = n[2] = 0;
    return;
  }
  n[0] = float(nx / length), n[1] = float(ny / length), n[2] = float(nz / length);
}

}  // namespace

TMeshCount CountMesh(const TGridSurface& surface) {
  TMeshCount count;
  const int64_t lines = surface.Lines();
  const int32_t n = surface.Values();
  if (lines < 1 || n < 1) return count;
  TRowScratch scratch[2];
  TGridRow a = surface.Row(0, scratch[0]);
  auto present = [n](const TGridRow& r) {
    uint64_t k = uint64_t(n);
    if (r.Missing)
      for (int32_t i = 0; i < n; ++i) k -= r.Missing[i] != 0;
    return k;
  };
  count.Points = present(a);
  for (int64_t j = 0; j + 1 < lines; ++j) {
    const TGridRow b = surface.Row(j + 1, scratch[(j + 1) & 1]);
    count.Points += present(b);
    if (!a.Missing && !b.Missing) {
      count.Triangles += 2 * uint64_t(n - 1);
    } else {
      for (int32_t i = 0; i + 1 < n; ++i) count.Triangles += CellWhole(a, b, i) ? 2 : 0;
    }
    a = b;
  }
  return count;
}

uint64_t StlBytes(const TMeshCount& count) { return 84 + 50 * count.Triangles; }

uint64_t ObjBytesAtMost(const TMeshCount& count, size_t commentBytes) {
  const uint64_t digits = uint64_t(std::to_string(count.Points).size());
  // "v " and three numbers of at most 15 characters (shortest form of a
  // single) apart, "f " and three numbers; each ended by a line feed; the
  // comment's lines each with "# ".
  return commentBytes * 3 + 64 + count.Points * (2 + 3 * 15 + 2 + 1) + count.Triangles * (2 + 3 * digits + 2 + 1);
}

uint64_t MeshWorkBytes(int32_t values) {
  return kPiece + 4096 + uint64_t(values > 0 ? values : 0) * 2 * (3 * sizeof(float) + 1 + sizeof(uint64_t));
}

bool WriteStl(const TGridSurface& surface, std::string_view header, const TMeshSink& sink,
              const TMeshProgress& going) {
  const TMeshCount count = CountMesh(surface);
  if (count.Triangles > 0xFFFFFFFFu) return false;  // the count has 32 bits
  TPieces out(sink);
  // The header, cut before a character that does not fit whole, then zeros.
  char head[80] = {};
  size_t used = std::min(header.size(), sizeof head);
  if (used < header.size())
    while (used > 0 && (uint8_t(header[used]) & 0xC0) == 0x80) --used;
  std::memcpy(head, header.data(), used);
  out.Put(head, sizeof head);
  const uint32_t triangles = uint32_t(count.Triangles);
  out.Put(&triangles, 4);
  const int32_t n = surface.Values();
  return EachRowOfCells(surface, going, 0, 1, [&](const TGridRow& a, const TGridRow& b, int64_t) {
           for (int32_t i = 0; i + 1 < n; ++i) {
             if (!CellWhole(a, b, i)) continue;
             if (!out.Room(100)) return false;
             const TVertex c[4] = {{a.X[i], a.Y[i], a.Z[i]},
                                   {a.X[i + 1], a.Y[i + 1], a.Z[i + 1]},
                                   {b.X[i + 1], b.Y[i + 1], b.Z[i + 1]},
                                   {b.X[i], b.Y[i], b.Z[i]}};
             char* record = out.At();
             for (const auto& [p, q, r] : {std::tuple{0, 1, 2}, std::tuple{0, 2, 3}}) {
               float normal[3];
               Normal(c[p], c[q], c[r], normal);
               std::memcpy(record, normal, 12);
               std::memcpy(record + 12, &c[p], 12);
               std::memcpy(record + 24, &c[q], 12);
               std::memcpy(record + 36, &c[r], 12);
               std::memset(record + 48, 0, 2);
               record += 50;
             }
             out.Advance(100);
           }
           return true;
         }) &&
         out.Flush();
}

bool WriteObj(const TGridSurface& surface, std::string_view comment, const TMeshSink& sink,
              const TMeshProgress& going) {
  TPieces out(sink);
  // The comment, a line at a time.
  size_t from = 0;
  while (from <= comment.size()) {
    const size_t end = std::min(comment.find('\n', from), comment.size());
    out.Room(end - from + 3);
    out.Put("# ");
    out.Put(comment.substr(from, end - from));
    out.Put("\n");
    from = end + 1;
  }
  const int64_t lines = surface.Lines();
  const int32_t n = surface.Values();
  if (lines < 2 || n < 2) return out.Flush();
  // The points, and how many come before each line's first.
  std::vector<uint64_t> lineStart(size_t(lines) + 1, 0);
  uint64_t points = 0;
  TRowScratch scratch[2];
  for (int64_t j = 0; j < lines; ++j) {
    const TGridRow r = surface.Row(j, scratch[0]);
    lineStart[size_t(j)] = points;
    for (int32_t i = 0; i < n; ++i) {
      if (r.Missing && r.Missing[i]) continue;
      if (!out.Room(64)) return false;
      out.Put("v ");
      out.Number(r.X[i]);
      out.Put(" ");
      out.Number(r.Y[i]);
      out.Put(" ");
      out.Number(r.Z[i]);
      out.Put("\n");
      ++points;
    }
    if (going && !going(0.4 * double(j + 1) / double(lines))) return false;
  }
  lineStart[size_t(lines)] = points;
  // The triangles by the points' numbers: a line's point i is the first of
  // the line plus the points with a value before it.
  std::vector<uint64_t> number[2] = {std::vector<uint64_t>(size_t(n)), std::vector<uint64_t>(size_t(n))};
  auto numberLine = [&](const TGridRow& r, int64_t j, std::vector<uint64_t>& into) {
    uint64_t k = lineStart[size_t(j)] + 1;
    for (int32_t i = 0; i < n; ++i) {
      into[size_t(i)] = k;
      k += !(r.Missing && r.Missing[i]);
    }
  };
  auto face = [&](uint64_t p, uint64_t q, uint64_t r) {
    out.Put("f ");
    out.Number(p);
    out.Put(" ");
    out.Number(q);
    out.Put(" ");
    out.Number(r);
    out.Put("\n");
  };
  bool first = true;
  return EachRowOfCells(surface, going, 0.4, 0.6, [&](const TGridRow& a, const TGridRow& b, int64_t j) {
           if (first) numberLine(a, j, number[j & 1]);
           first = false;
           numberLine(b, j + 1, number[(j + 1) & 1]);
           const uint64_t* na = number[j & 1].data();
           const uint64_t* nb = number[(j + 1) & 1].data();
           for (int32_t i = 0; i + 1 < n; ++i) {
             if (!CellWhole(a, b, i)) continue;
             if (!out.Room(160)) return false;
             face(na[i], na[i + 1], nb[i + 1]);
             face(na[i], nb[i + 1], nb[i]);
           }
           return true;
         }) &&
         out.Flush();
}

}  // namespace geometry
