#include "graph3d/Graph3DCore.h"

#include "graph3d/Graph3DKernels.h"
#include "graph3d/Graph3DParts.h"
#include "memory/SystemMemory.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// The component's fixed English messages.
constexpr const char* kCreateLinePrefix = "Cannot create a TGraphLine with ";
constexpr const char* kCreateLineSuffix = " value(s)";
constexpr const char* kIndexOutOfBounds = "Index out of bounds: ";
constexpr const char* kWrongLength = "Given line does not match: wrong length";
constexpr const char* kNoRange = "Graph3D.BuildTrapezes: Bad values: no range";
constexpr const char* kIsodoseIndex = "Isodose-index must be between 0 and ";
constexpr const char* kIsodosePercentage = "Isodose-percentage must be betwenn 0 and 100";
constexpr const char* kWaterPercentage = "Waterlevel-percentage must be betwenn 0 and 100";
// Ours, in the same style.
constexpr const char* kNotFinite = "Graph3D.BuildTrapezes: Bad values: not a finite number";
constexpr const char* kBuildTooLarge = "Graph3D.BuildTrapezes: Not enough memory for ";

int NormaliseDegrees(int v) {
  if (v > 360) return (v - 1) % 360 + 1;  // 720 stays 360, 370 becomes 10
  if (v < 0) {
    v %= 360;
    if (v < 0) v += 360;
  }
  return v;
}

int32_t ClampCoord(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, -graph3d::kCoordLimit, graph3d::kCoordLimit));
}

[[noreturn]] void ThrowTooLarge(int64_t lines, int64_t values) {
  throw EGraph3DTooLarge(kBuildTooLarge + std::to_string(lines) + " lines of " + std::to_string(values) + " values",
                         lines, values);
}

// A build asked to stop leaves by this, past the handlers that mark a failure.
struct TBuildStopped {};

bool StopAsked(const TWorkControl* control) { return control && control->Stopped(); }

}  // namespace

namespace graph3d {

int32_t RoundCoord(double value) {
  if (!(value > -kCoordLimit && value < kCoordLimit)) {
    if (std::isnan(value)) return 0;
    return value < 0 ? -kCoordLimit : kCoordLimit;
  }
  // Adding and removing 1.5 × 2^52 rounds to nearest, ties to even, in the
  // default rounding mode, without a library call.
  constexpr double kMagic = 6755399441055744.0;
  return static_cast<int32_t>((value + kMagic) - kMagic);
}

float GroundDistance2(const TPoint3D& a, const TPoint3D& b) {
  const double dx = double(a.X) - b.X, dy = double(a.Y) - b.Y;
  return static_cast<float>(dx * dx + dy * dy);
}

uint64_t EstimateBuildBytes(int64_t lines, int64_t valuesPerLine) {
  if (lines < 2 || valuesPerLine < 2) return 0;
  const long double points = static_cast<long double>(lines) * static_cast<long double>(valuesPerLine);
  const long double cells = static_cast<long double>(lines - 1) * static_cast<long double>(valuesPerLine - 1);
  // Per point: height, projection pair, band, and at worst rows of ground
  // positions of its own; per cell: the list and the sort's second buffer;
  // per line: its rows and where its cells start.
  const long double bytes = points * (sizeof(float) + sizeof(TScreenPair) + 1 + 2 * sizeof(float)) +
                            cells * 2 * sizeof(uint64_t) + static_cast<long double>(lines) * 48;
  if (bytes >= static_cast<long double>(std::numeric_limits<uint64_t>::max() / 2)) {
    return std::numeric_limits<uint64_t>::max() / 2;
  }
  return static_cast<uint64_t>(bytes);
}

void CheckGridSize(int64_t lines, int64_t valuesPerLine) {
  // Nothing is made for a grid without lines, and a line of fewer than 2
  // values is refused before its values are made.
  if (lines < 1 || valuesPerLine < 2) return;
  // Each line: its object, its values and the list entries that refer to it.
  const long double lineBytes = static_cast<long double>(lines) *
                                (static_cast<long double>(valuesPerLine) * sizeof(float) + sizeof(TGraphLine) +
                                 4 * sizeof(void*));
  // Cells are named by their first point in 32 bits.
  const long double points = static_cast<long double>(lines) * static_cast<long double>(valuesPerLine);
  if ((lines >= 2 && points > static_cast<long double>(uint64_t(1) << 32)) ||
      lineBytes + static_cast<long double>(EstimateBuildBytes(lines, valuesPerLine)) >
          static_cast<long double>(memory::MemoryBudget())) {
    ThrowTooLarge(lines, valuesPerLine);
  }
}

void DefaultIsodoses(TIsodose (&bands)[10]) {
  for (int i = 0; i < 10; ++i) {
    bands[i].Percentage = static_cast<float>(70 + 3 * i);
    bands[i].Color = static_cast<TColor>(25 * (i + 1));
  }
  bands[9].Color = 0x00FFFF;
}

}  // namespace graph3d

// ---------------------------------------------------------------- TGraphLine

TGraphLine::TGraphLine(int32_t count) : FCount(count) {
  if (count < 2) throw EGraph3DError(kCreateLinePrefix + std::to_string(count) + kCreateLineSuffix);
  // A line of up to 16 million values is left to the grid's check; a longer
  // one is checked against the memory available before it is made.
  const uint64_t bytes = uint64_t(count) * sizeof(float);
  // calloc: large blocks come zeroed from the system, without a second pass
  float* values = bytes <= (uint64_t(64) << 20) || bytes <= memory::MemoryBudget()
                      ? static_cast<float*>(std::calloc(size_t(count), sizeof(float)))
                      : nullptr;
  if (!values) {
    throw EGraph3DError(kCreateLinePrefix + std::to_string(count) + kCreateLineSuffix + ": not enough memory");
  }
  FValues.reset(values);
  EndPoint.X = static_cast<float>(count - 1);
}

void TGraphLine::CheckIndex(int32_t index) const {
  if (index < 0 || index > FCount - 1) throw EGraph3DError(kIndexOutOfBounds + std::to_string(index));
}

float TGraphLine::GetValue(int32_t index) const {
  CheckIndex(index);
  return FValues[index];
}

void TGraphLine::SetValue(int32_t index, float value) {
  CheckIndex(index);
  FValues[index] = value;
}

void TGraphLine::SetMissing(int32_t index) {
  CheckIndex(index);
  if (!FMissing) FMissing.reset(new uint8_t[static_cast<size_t>(FCount)]());
  FMissing[index] = 1;
}

bool TGraphLine::IsMissing(int32_t index) const {
  CheckIndex(index);
  return FMissing && FMissing[index] != 0;
}

float TGraphLine::GetX(int32_t index) const {
  CheckIndex(index);
  return static_cast<float>((static_cast<long double>(EndPoint.X) - StartPoint.X) * index / (FCount - 1) +
                            StartPoint.X);
}

float TGraphLine::GetY(int32_t index) const {
  CheckIndex(index);
  return static_cast<float>((static_cast<long double>(EndPoint.Y) - StartPoint.Y) * index / (FCount - 1) +
                            StartPoint.Y);
}

// ------------------------------------------------------------ helpers

namespace graph3d {

template <typename T>
void TPageArray<T>::Allocate(size_t count) {
  Release();
  if (count == 0) return;
  if (count > std::numeric_limits<size_t>::max() / sizeof(T)) throw std::bad_alloc();
  const size_t bytes = count * sizeof(T);
  // Large pages are not asked for: to find them the kernel may first compact
  // memory, which held up first pictures by up to half a second.
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  FData = static_cast<T*>(p);
  FCount = count;
  FBytes = bytes;
}

template <typename T>
void TPageArray<T>::Release() {
  if (FData) munmap(FData, FBytes);
  FData = nullptr;
  FCount = FBytes = 0;
}

template class TPageArray<float>;
template class TPageArray<TScreenPair>;
template class TPageArray<uint8_t>;
template class TPageArray<uint64_t>;

}  // namespace graph3d

namespace {

using graph3d::InParts;
using graph3d::kMaxParts;
using graph3d::PartsFor;
using graph3d::RunInParts;

// Grid points per part worth a thread of its own.
constexpr int64_t kGrain = 1 << 16;

// Where a list entry carries its cell's shade (PackShades).
constexpr int kShadeShift = 24;
constexpr uint64_t kShadeBits = uint64_t(0xFF) << kShadeShift;
static_assert(graph3d::kPointBits == (uint64_t(1) << kShadeShift) - 1);

}  // namespace

// ------------------------------------------------------------ TGraph3DModel

TGraph3DModel::TGraph3DModel() {
  FOrigin = {FWidth / 2, FHeight / 2};
  graph3d::DefaultIsodoses(FIsodoses);
  SetTheta(60);
  SetPhi(330);
  SetOffset({0, (-FHeight) / 10});
  FMoved = false;
  FAnglesChanged = false;
}

TGraph3DModel::~TGraph3DModel() { ClearData(); }

TGraphLine* TGraph3DModel::AddLine(std::unique_ptr<TGraphLine>&& line) {
  if (!line) return nullptr;
  if (line->Count() != FValuesPerLine) {
    if (!FLines.empty()) throw EGraph3DError(kWrongLength);
    FValuesPerLine = line->Count();
  }
  FLines.push_back(std::move(line));
  FLinesChanged = true;
  FTrapezesBuilt = false;
  FBuildFailed = false;
  return FLines.back().get();
}

void TGraph3DModel::ClearLines() {
  FLines.clear();
  FBuildFailed = false;
}

void TGraph3DModel::ClearTrapezes() {
  FTrapezeCount = 0;
  std::vector<TAxisRow>().swap(FRowsX);
  std::vector<TAxisRow>().swap(FRowsY);
  std::vector<float>().swap(FPoolX);
  std::vector<float>().swap(FPoolY);
  std::vector<int64_t>().swap(FLineCells);
  std::vector<uint64_t>().swap(FWholeCells);
  FAllWhole = true;
  FBuiltLines = 0;
  FBuiltValues = 0;
  FHeights.Release();
  FScreen.Release();
  FBands.Release();
  FShades.Release();
  FSorted.Release();
  FSortScratch.Release();
}

void TGraph3DModel::ClearData() {
  ClearLines();
  ClearTrapezes();
}

const float* TGraph3DModel::RowX(int64_t j, float* scratch) const {
  const TAxisRow& r = FRowsX[size_t(j)];
  if (r.Offset >= 0) return FPoolX.data() + r.Offset;
  std::fill(scratch, scratch + FBuiltValues, r.Value);
  return scratch;
}

const float* TGraph3DModel::RowY(int64_t j, float* scratch) const {
  const TAxisRow& r = FRowsY[size_t(j)];
  if (r.Offset >= 0) return FPoolY.data() + r.Offset;
  std::fill(scratch, scratch + FBuiltValues, r.Value);
  return scratch;
}

const uint8_t* TGraph3DModel::MissingRow(int64_t j) const { return FLines[size_t(j)]->MissingFlags(); }

bool TGraph3DModel::CellWhole(int64_t j, int32_t i) const {
  const uint64_t cell = uint64_t(j) * uint64_t(FBuiltValues - 1) + uint64_t(i);
  return (FWholeCells[cell >> 6] >> (cell & 63)) & 1;
}

void TGraph3DModel::BuildTrapezes(TWorkControl* control) {
  ++FBuildCount;
  ClearTrapezes();
  const int64_t lines = static_cast<int64_t>(FLines.size());
  if (lines < 2) return;
  const int32_t vpl = FValuesPerLine;
  const int64_t points = lines * vpl;
  int64_t count = (lines - 1) * (vpl - 1);
  try {
    // Cells are named by their first point in 32 bits.
    if (points > (int64_t(1) << 32) || graph3d::EstimateBuildBytes(lines, vpl) > memory::MemoryBudget()) {
      ThrowTooLarge(lines, vpl);
    }

    FBuiltLines = lines;
    FBuiltValues = vpl;
    // Ground positions as GetX and GetY give them, one row per line along
    // each axis; a line with the end coordinates of the line before shares
    // its row, and a line whose two ends agree on an axis keeps one value.
    auto axisRows = [&](bool x, std::vector<TAxisRow>& rows, std::vector<float>& pool) {
      rows.resize(size_t(lines));
      float lastFrom = 0, lastTo = 0;
      int64_t lastOffset = -1;
      for (int64_t j = 0; j < lines; ++j) {
        const TGraphLine& line = *FLines[size_t(j)];
        const float from = x ? line.StartPoint.X : line.StartPoint.Y, to = x ? line.EndPoint.X : line.EndPoint.Y;
        if (std::memcmp(&from, &to, sizeof from) == 0 && std::isfinite(from)) {
          // (to − from) × i / (n − 1) + from: the same for every i
          rows[size_t(j)] = {-1, static_cast<float>(0.0L + from)};
          continue;
        }
        if (lastOffset < 0 || std::memcmp(&from, &lastFrom, sizeof from) != 0 ||
            std::memcmp(&to, &lastTo, sizeof to) != 0) {
          lastOffset = int64_t(pool.size());
          pool.resize(pool.size() + size_t(vpl));
          const long double start = from, span = static_cast<long double>(to) - from;
          float* out = pool.data() + lastOffset;
          for (int32_t i = 0; i < vpl; ++i) out[i] = static_cast<float>(span * i / (vpl - 1) + start);
          lastFrom = from;
          lastTo = to;
        }
        rows[size_t(j)] = {lastOffset, 0};
      }
    };
    axisRows(true, FRowsX, FPoolX);
    axisRows(false, FRowsY, FPoolY);
    for (int64_t j = 0; j < lines && FAllWhole; ++j) FAllWhole = MissingRow(j) == nullptr;

    // Ranges and sums of the points that have a value, in list order: the
    // single sums are rounded at every step, so their order is kept.
    std::vector<float> scratchX(static_cast<size_t>(vpl)), scratchY(static_cast<size_t>(vpl));
    TPoint3D lo{}, hi{};
    bool any = false;
    int64_t present = 0;
    float sumX = 0, sumY = 0, sumV = 0;
    // Double ones stand in when huge values overflow the single sums.
    double wideX = 0, wideY = 0, wideV = 0;
    for (int64_t j = 0; j < lines; ++j) {
      if (control && (j & 63) == 0) {
        if (control->Stopped()) throw TBuildStopped{};
        control->SetProgress(0.3 * double(j) / double(lines));
      }
      const float* xs = RowX(j, scratchX.data());
      const float* ys = RowY(j, scratchY.data());
      const float* vs = FLines[size_t(j)]->Values();
      const uint8_t* gap = MissingRow(j);
      for (int32_t i = 0; i < vpl; ++i) {
        if (gap && gap[i]) continue;
        const float x = xs[i], y = ys[i], v = vs[i];
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(v)) throw EGraph3DError(kNotFinite);
        if (!any) lo = hi = {x, y, v}, any = true;
        ++present;
        sumX += x;
        sumY += y;
        sumV += v;
        wideX += x;
        wideY += y;
        wideV += v;
        lo.X = std::min(lo.X, x), hi.X = std::max(hi.X, x);
        lo.Y = std::min(lo.Y, y), hi.Y = std::max(hi.Y, y);
        lo.Z = std::min(lo.Z, v), hi.Z = std::max(hi.Z, v);
      }
    }
    // All heights equal: a plane at half height, where allowed (kv 0, and
    // the heights' half added to every one).
    const bool flat = any && hi.Z == lo.Z && FFlatAllowed;
    if (hi.X == lo.X || hi.Y == lo.Y || (hi.Z == lo.Z && !flat)) throw EGraph3DError(kNoRange);

    const double kx = 100.0 / (double(hi.X) - lo.X), ky = 100.0 / (double(hi.Y) - lo.Y),
                 kv = flat ? 0.0 : 100.0 / (double(hi.Z) - lo.Z);
    const float base = flat ? 50.0f : 0.0f;
    FRange = {lo.X, hi.X, lo.Y, hi.Y, lo.Z, hi.Z};
    if (flat) {
      // The plane's own range: the value in its middle, from 0 when it is
      // positive (up to 0 when negative), ±1 around a value of 0.
      const double half = std::max(std::fabs(double(lo.Z)), 1.0);
      FRange.ZMin = double(lo.Z) - half;
      FRange.ZMax = double(lo.Z) + half;
    }
    const double total = double(present);
    auto mean = [total](float sum, double wide) {
      return static_cast<float>((std::isfinite(sum) ? double(sum) : wide) / total);
    };
    FCenter.X = static_cast<float>((double(mean(sumX, wideX)) - lo.X) * kx);
    FCenter.Y = static_cast<float>((double(mean(sumY, wideY)) - lo.Y) * ky);
    FCenter.Z = flat ? base : static_cast<float>((double(mean(sumV, wideV)) - lo.Z) * kv);

    // A cell needs all four corners. Which cells have them is kept, as the
    // lines themselves may go before the cells do.
    if (!FAllWhole) {
      FLineCells.assign(size_t(lines), 0);
      FWholeCells.assign(size_t((lines - 1) * (vpl - 1) + 63) / 64, 0);
      count = 0;
      uint64_t cell = 0;
      for (int64_t j = 0; j + 1 < lines; ++j) {
        FLineCells[size_t(j)] = count;
        const uint8_t *a = MissingRow(j), *b = MissingRow(j + 1);
        for (int32_t i = 0; i + 1 < vpl; ++i, ++cell) {
          if ((a && (a[i] | a[i + 1])) || (b && (b[i] | b[i + 1]))) continue;
          FWholeCells[cell >> 6] |= uint64_t(1) << (cell & 63);
          ++count;
        }
      }
      FLineCells[size_t(lines - 1)] = count;
    }

    // Percent space: ((x − minX) × kx, (y − minY) × ky, (v − minV) × kv).
    for (float& x : FPoolX) x = static_cast<float>((double(x) - lo.X) * kx);
    for (float& y : FPoolY) y = static_cast<float>((double(y) - lo.Y) * ky);
    for (TAxisRow& r : FRowsX) r.Value = static_cast<float>((double(r.Value) - lo.X) * kx);
    for (TAxisRow& r : FRowsY) r.Value = static_cast<float>((double(r.Value) - lo.Y) * ky);
    FHeights.Allocate(size_t(points));
    FScreen.Allocate(size_t(points));
    if (count > 0) {
      FSorted.Allocate(size_t(count));
      FSortScratch.Allocate(size_t(count));
    }
    const double minV = lo.Z;
    InParts(lines, kGrain / vpl + 1, [&](int64_t j0, int64_t j1, int) {
      for (int64_t j = j0; j < j1; ++j) {
        if (StopAsked(control)) return;
        const float* vs = FLines[size_t(j)]->Values();
        float* out = FHeights.data() + j * vpl;
        if (flat) std::fill(out, out + vpl, base);
        else for (int32_t i = 0; i < vpl; ++i) out[i] = static_cast<float>((double(vs[i]) - minV) * kv);
        // The list in build order, until the first sort.
        if (j + 1 == lines || count == 0) continue;
        uint64_t* cell = FSorted.data() + (FAllWhole ? j * (vpl - 1) : FLineCells[size_t(j)]);
        for (int32_t i = 0; i + 1 < vpl; ++i) {
          if (FAllWhole || CellWhole(j, i)) *cell++ = uint64_t(j * vpl + i);
        }
      }
    });
    if (StopAsked(control)) throw TBuildStopped{};
    FTrapezeCount = count;
  } catch (const TBuildStopped&) {
    ClearTrapezes();
    throw;
  } catch (const std::bad_alloc&) {
    ClearTrapezes();
    FBuildFailed = true;
    ThrowTooLarge(lines, vpl);
  } catch (...) {
    ClearTrapezes();
    FBuildFailed = true;
    throw;
  }
  SetLastLine(static_cast<int32_t>(lines - 1));
  FTrapezesBuilt = true;
}

TTrapeze TGraph3DModel::Trapeze(int64_t k) const {
  const uint64_t entry = FSorted[size_t(k)];
  const int64_t vpl = FBuiltValues;
  const int64_t p = CellPoint(k), j = p / vpl, i = p % vpl;
  auto corner = [&](int64_t jj, int64_t ii) {
    const TAxisRow &rx = FRowsX[size_t(jj)], &ry = FRowsY[size_t(jj)];
    return TPoint3D{rx.Offset >= 0 ? FPoolX[size_t(rx.Offset + ii)] : rx.Value,
                    ry.Offset >= 0 ? FPoolY[size_t(ry.Offset + ii)] : ry.Value, FHeights[size_t(jj * vpl + ii)]};
  };
  TTrapeze t{};
  t.Corners[0] = corner(j, i);
  t.Corners[1] = corner(j, i + 1);
  t.Corners[2] = corner(j + 1, i + 1);
  t.Corners[3] = corner(j + 1, i);
  const TPoint at[4] = {FScreen[size_t(p)].Here, FScreen[size_t(p + 1)].Here, FScreen[size_t(p + 1)].Next,
                        FScreen[size_t(p)].Next};
  for (int c = 0; c < 4; ++c) t.ScreenCorners[c] = {FProjectedOrigin.X + at[c].X, FProjectedOrigin.Y - at[c].Y};
  t.LineIndex = static_cast<int32_t>(j);
  const uint32_t bits = uint32_t(entry >> 32);
  float distance;
  std::memcpy(&distance, &bits, sizeof distance);
  t.Distance = distance;
  const TPoint3D* c = t.Corners;
  t.Centroid.X = static_cast<float>((double(c[1].X) + c[2].X + c[3].X + c[0].X) / 4);
  t.Centroid.Y = static_cast<float>((double(c[1].Y) + c[2].Y + c[3].Y + c[0].Y) / 4);
  t.Centroid.Z = static_cast<float>((double(c[1].Z) + c[2].Z + c[3].Z + c[0].Z) / 4);
  t.PenColor = FPens.Bands ? FPens.Band[FBands[size_t(p)]] : FPens.Data;
  return t;
}

// ---- view

void TGraph3DModel::SetClientSize(int width, int height) {
  FWidth = std::max(width, 0);
  FHeight = std::max(height, 0);
}

void TGraph3DModel::Resized(int width, int height) {
  SetClientSize(width, height);
  if (FTrapezeCount > 1) {
    CalcScale();
    CenterGraph();
  }
  FSizeChanged = true;
}

namespace {

// Angles are kept in radians as the decimal constants give them, so that
// whole degrees survive the round trip.
int ToDegrees(float radians) { return static_cast<int>(std::nearbyintl(radians * 57.296L)); }

// Stores an angle of whole degrees with its sine and cosine; false when the
// normalised value is the current one.
bool StoreAngle(int degrees, float& radians, float& sine, float& cosine) {
  degrees = NormaliseDegrees(degrees);
  if (degrees == ToDegrees(radians)) return false;
  radians = static_cast<float>(degrees * 0.017453L);
  sine = static_cast<float>(std::sin(double(radians)));
  cosine = static_cast<float>(std::cos(double(radians)));
  return true;
}

// Stores a zoom factor clamped to 0.1..3; NaN is ignored. False when unchanged.
bool StoreZoom(float value, float& zoom) {
  if (std::isnan(value)) return false;
  value = std::clamp(value, 0.1f, 3.0f);
  if (value == zoom) return false;
  zoom = value;
  return true;
}

}  // namespace

int TGraph3DModel::Theta() const { return ToDegrees(FTheta); }
int TGraph3DModel::Phi() const { return ToDegrees(FPhi); }

void TGraph3DModel::SetTheta(int degrees) {
  if (StoreAngle(degrees, FTheta, FSinTheta, FCosTheta)) FAnglesChanged = true;
}

void TGraph3DModel::SetPhi(int degrees) {
  if (StoreAngle(degrees, FPhi, FSinPhi, FCosPhi)) FAnglesChanged = true;
}

void TGraph3DModel::SetZoomX(float value) {
  if (StoreZoom(value, FZoomX)) FSizeChanged = true;
}

void TGraph3DModel::SetZoomY(float value) {
  if (StoreZoom(value, FZoomY)) FSizeChanged = true;
}

void TGraph3DModel::SetViewPercentage(int value) { FViewPercentage = std::clamp(value, 1, 100); }

// Below 0 becomes 0, then at or above the line count becomes the last line
// (so -1 without lines).
int32_t TGraph3DModel::ClampLine(int32_t value) const {
  if (value < 0) value = 0;
  if (value >= LineCount()) value = LineCount() - 1;
  return value;
}

void TGraph3DModel::SetFirstLine(int32_t value) { FFirstLine = ClampLine(value); }

void TGraph3DModel::SetLastLine(int32_t value) { FLastLine = ClampLine(value); }

TPoint TGraph3DModel::Project(const TPoint3D& p) const {
  const double sx = (double(p.X) * FSinTheta - double(p.Y) * FCosTheta) * FScaleX;
  const double sy = (double(p.X) * FCosTheta * FSinPhi + double(p.Y) * FSinTheta * FSinPhi + double(p.Z) * FCosPhi) *
                    FScaleY;
  // Both terms are within ±2^29, so the sums fit.
  return {graph3d::RoundCoord(sx) + FOrigin.X, FOrigin.Y - graph3d::RoundCoord(sy)};
}

void TGraph3DModel::SetOffset(TPoint p) {
  if (p == FOffset) return;
  FOrigin.X = ClampCoord(int64_t(FOrigin.X) + p.X - FOffset.X);
  FOrigin.Y = ClampCoord(int64_t(FOrigin.Y) + p.Y - FOffset.Y);
  FOffset = p;
  FMoved = true;
}

void TGraph3DModel::CenterGraph() {
  SetOffset({0, 0});
  FOrigin = {0, 0};
  const TPoint q = Project(FCenter);
  FOrigin = {ClampCoord(int64_t(FWidth / 2) - q.X), ClampCoord(int64_t(FHeight / 2) - q.Y)};
}

void TGraph3DModel::CalcScale() {
  FScaleX = static_cast<float>(double(FWidth) * FZoomX / 100);
  FScaleY = static_cast<float>(double(FHeight) * FZoomY / 100);
}

void TGraph3DModel::CalcEyePoint() {
  constexpr double R = 10000;
  FEyePoint.X = static_cast<float>(R * FCosPhi * FCosTheta + FCenter.X);
  FEyePoint.Y = static_cast<float>(R * FCosPhi * FSinTheta + FCenter.Y);
  FEyePoint.Z = static_cast<float>(FCenter.Z - R * FSinPhi);
}

void TGraph3DModel::SortTrapezes(TWorkControl* control) {
  const int64_t n = FTrapezeCount;
  if (n < 2) {
    PackShades();
    return;
  }
  // Keys closer than 0.5 may end in any order; an exact ascending order is
  // one such order. Distances are non-negative singles, so their bit
  // patterns sort like the numbers: a stable radix sort of (key, point) on
  // the key bits that differ, the cells starting in build order.
  const int64_t lines = FBuiltLines;
  const int32_t vpl = FBuiltValues;
  const double eyeX = FEyePoint.X, eyeY = FEyePoint.Y;
  const int parts = PartsFor(lines * vpl, kGrain);
  // Each part takes the cells of a run of lines, in every pass the same
  // stretch of the list.
  int64_t bound[kMaxParts + 1];
  for (int part = 0; part <= parts; ++part) {
    const int64_t j = (lines - 1) * part / parts;
    bound[part] = FAllWhole ? j * (vpl - 1) : FLineCells[size_t(j)];
  }
  // Digits have at most twelve bits; the keys' low twelve bits are counted
  // as they are made, which gives the first digit's counts whatever its width.
  constexpr int kMaxDigit = 12, kLow = 1 << kMaxDigit;
  std::vector<uint32_t> low(size_t(parts) * kLow);
  float lowest[kMaxParts], highest[kMaxParts];
  const bool packShades = ShadesPacked();
  RunInParts(lines - 1, parts, [&](int64_t j0, int64_t j1, int part) {
    std::vector<float> scratch(size_t(vpl) * 4);
    std::vector<uint64_t> row(FAllWhole ? 0 : size_t(vpl));
    uint32_t* count = low.data() + size_t(part) * kLow;
    float lo = std::numeric_limits<float>::infinity(), hi = 0;
    for (int64_t j = j0; j < j1; ++j) {
      if (StopAsked(control)) return;
      const TAxisRow &ra = FRowsY[size_t(j)], &rb = FRowsY[size_t(j + 1)];
      const float *xa = RowX(j, scratch.data()), *xb = RowX(j + 1, scratch.data() + vpl);
      uint64_t* out = FAllWhole ? FSorted.data() + j * (vpl - 1) : row.data();
      if (ra.Offset < 0 && rb.Offset < 0) {
        graph3d::kernels::CellKeysOneY(xa, xb, ra.Value, rb.Value, vpl - 1, eyeX, eyeY, uint32_t(j * vpl), out, lo, hi);
      } else {
        const float *ya = RowY(j, scratch.data() + 2 * vpl), *yb = RowY(j + 1, scratch.data() + 3 * vpl);
        graph3d::kernels::CellKeys(xa, xb, ya, yb, vpl - 1, eyeX, eyeY, uint32_t(j * vpl), out, lo, hi);
      }
      if (packShades) {
        // The shades travel with the cells through the sort (see PackShades).
        const uint8_t* shade = FShades.data() + j * vpl;
        for (int32_t i = 0; i + 1 < vpl; ++i) out[i] |= uint64_t(shade[i]) << kShadeShift;
      }
      if (FAllWhole) {
        for (int32_t i = 0; i + 1 < vpl; ++i) ++count[(out[i] >> 32) & (kLow - 1)];
      } else {
        // Only the cells with four corners go on the list. The range of the
        // keys may take in the others too: it only has to hold every key.
        uint64_t* cell = FSorted.data() + FLineCells[size_t(j)];
        for (int32_t i = 0; i + 1 < vpl; ++i) {
          if (!CellWhole(j, i)) continue;
          *cell++ = row[size_t(i)];
          ++count[(row[size_t(i)] >> 32) & (kLow - 1)];
        }
      }
    }
    lowest[part] = lo;
    highest[part] = hi;
  });
  if (StopAsked(control)) throw TBuildStopped{};
  float least = lowest[0], most = highest[0];
  for (int part = 1; part < parts; ++part) least = std::min(least, lowest[part]), most = std::max(most, highest[part]);
  const uint32_t lo = std::bit_cast<uint32_t>(least), hi = std::bit_cast<uint32_t>(most);
  if (lo == hi) return;  // one key: build order it is
  // Only the bits below the highest one in which the keys differ vary.
  const int width = std::bit_width(lo ^ hi);
  const int passes = (width + kMaxDigit - 1) / kMaxDigit;
  const int digit = (width + passes - 1) / passes;
  const size_t buckets = size_t(1) << digit;
  const uint64_t mask = buckets - 1;
  // counts[part][digit]; the next pass's are counted while this one moves the keys
  std::vector<uint32_t> counts(size_t(parts) * buckets), next(size_t(parts) * size_t(parts) * buckets);
  for (int part = 0; part < parts; ++part)
    for (size_t k = 0; k < size_t(kLow); ++k) counts[size_t(part) * buckets + (k & mask)] += low[size_t(part) * kLow + k];
  uint64_t* src = FSorted.data();
  uint64_t* dst = FSortScratch.data();
  for (int pass = 0; pass < passes; ++pass) {
    if (StopAsked(control)) throw TBuildStopped{};
    if (control) control->SetProgress(0.5 + 0.3 * pass / passes);
    const int shift = 32 + pass * digit;
    const bool more = pass + 1 < passes;
    // Where each part's keys of each digit go: digits in order, and within a
    // digit the parts in order, so the sort stays stable.
    uint32_t sum = 0;
    for (size_t b = 0; b < buckets; ++b) {
      for (int part = 0; part < parts; ++part) {
        uint32_t& c = counts[size_t(part) * buckets + b];
        const uint32_t k = c;
        c = sum;
        sum += k;
      }
    }
    if (more) std::fill(next.begin(), next.end(), 0u);
    RunInParts(parts, parts, [&](int64_t, int64_t, int part) {
      uint32_t* at = counts.data() + size_t(part) * buckets;
      uint32_t* following = next.data() + size_t(part) * size_t(parts) * buckets;
      for (int64_t k = bound[part]; k < bound[part + 1]; ++k) {
        const uint64_t key = src[k];
        const uint32_t to = at[(key >> shift) & mask]++;
        dst[to] = key;
        if (more) {
          int owner = 0;
          while (owner + 1 < parts && int64_t(to) >= bound[owner + 1]) ++owner;
          ++following[size_t(owner) * buckets + ((key >> (shift + digit)) & mask)];
        }
      }
    });
    if (more) {
      std::fill(counts.begin(), counts.end(), 0u);
      for (int part = 0; part < parts; ++part)
        for (int owner = 0; owner < parts; ++owner)
          for (size_t b = 0; b < buckets; ++b)
            counts[size_t(owner) * buckets + b] += next[(size_t(part) * size_t(parts) + size_t(owner)) * buckets + b];
    }
    std::swap(src, dst);
  }
  if (src != FSorted.data()) FSorted.Swap(FSortScratch);
}

void TGraph3DModel::ProjectTrapezes() {
  FProjectedOrigin = FOrigin;
  const int64_t lines = FBuiltLines;
  const int32_t vpl = FBuiltValues;
  if (FScreen.empty()) return;
  // Project() without the origin, for every point, its height after the water rule.
  const graph3d::kernels::TProjection view{FSinTheta, FCosTheta, FSinPhi, FCosPhi, FScaleX, FScaleY};
  InParts(lines, kGrain / vpl + 1, [&](int64_t j0, int64_t j1, int) {
    std::vector<float> scratch(size_t(vpl) * 2);
    for (int64_t j = j0; j < j1; ++j) {
      graph3d::TScreenPair* out = FScreen.data() + j * vpl;
      graph3d::kernels::ProjectLine(RowX(j, scratch.data()), RowY(j, scratch.data() + vpl), FHeights.data() + j * vpl,
                                    vpl, view, FWaterMode, FWaterLevel, out, j > 0 ? out - vpl : nullptr);
    }
  });
}

bool TGraph3DModel::AxisBehind(int line) const {
  const TPoint3D c = FCenter;
  const TPoint3D reference[5] = {{c.X, 0, 0}, {0, c.Y, 0}, {0, 0, c.Z}, {c.X, 100, 0}, {100, c.Y, 0}};
  return graph3d::GroundDistance2(c, FEyePoint) < graph3d::GroundDistance2(reference[line], FEyePoint);
}

int64_t TGraph3DModel::DrawStart() const {
  // round((100 − ViewPercentage) × n / 100), ties to even, in integers
  const int64_t num = int64_t(100 - FViewPercentage) * FTrapezeCount;
  int64_t q = num / 100;
  const int64_t r = num % 100;
  if (r > 50 || (r == 50 && (q & 1))) ++q;
  return q;
}

void TGraph3DModel::Prepare(TWorkControl* control) {
  const bool rebuild = BuildPending();
  try {
    if (rebuild) BuildTrapezes(control);
    if (control) control->SetProgress(0.4);
    if (rebuild || FColorsChanged || FWaterChanged) ColorTrapezes();
    const bool shade = FShaded && (rebuild || FShadesChanged || FAnglesChanged || FWaterChanged);
    if (shade) ShadeCells();
    if (rebuild || FSizeChanged) CalcScale();
    if (rebuild) CenterGraph();
    if (rebuild || FAnglesChanged) {
      CalcEyePoint();
      SortTrapezes(control);
    } else if (shade || FShadesChanged) {
      PackShades();
    }
    if (StopAsked(control)) throw TBuildStopped{};
    if (control) control->SetProgress(0.8);
  } catch (const TBuildStopped&) {
    // Half-sorted cells are no use: all of it again at the next Prepare.
    ClearTrapezes();
    FTrapezesBuilt = false;
    FLinesChanged = true;
    return;
  }
  // The cells keep their projections without the origin: a move alone
  // needs none computed anew, only the origin they are drawn at.
  if (rebuild || FSizeChanged || FAnglesChanged || FWaterChanged) ProjectTrapezes();
  else if (FMoved) FProjectedOrigin = FOrigin;
  FSizeChanged = FMoved = FAnglesChanged = FColorsChanged = FWaterChanged = FShadesChanged = false;
  if (control) control->SetProgress(1);
}

// ---- colours and water

void TGraph3DModel::SetAxesColor(TColor value) {
  if (value == FAxesColor) return;
  FAxesColor = value;
  FColorsChanged = true;
}

void TGraph3DModel::SetDataColor(TColor value) {
  if (value == FDataColor) return;
  FDataColor = value;
  FColorsChanged = true;
}

bool TGraph3DModel::SetUseColors(bool value) {
  if (value == FUseColors) return false;
  FUseColors = value;
  FColorsChanged = true;
  return true;
}

void TGraph3DModel::SetIsodose(int index, TColor color, float percentage) {
  if (index < 0 || index > 9) throw EGraph3DError(kIsodoseIndex + std::to_string(9));
  if (!(percentage >= 0 && percentage <= 100)) throw EGraph3DError(kIsodosePercentage);
  FIsodoses[index].Percentage = percentage;
  if (color != KeepColor) FIsodoses[index].Color = color;
  FColorsChanged = true;
}

void TGraph3DModel::SetWaterLevel(uint8_t mode, float percentage) {
  if (!(percentage >= 0 && percentage <= 100)) throw EGraph3DError(kWaterPercentage);
  FWaterLevel = percentage;
  FWaterMode = mode;
  FWaterChanged = true;
}

float TGraph3DModel::ApplyWater(float z) const {
  switch (FWaterMode) {
    case 1: return z < FWaterLevel ? FWaterLevel : z;
    case 2: return z > FWaterLevel ? FWaterLevel : z;
    default: return z;
  }
}

void TGraph3DModel::ColorTrapezes() {
  FPens.Bands = FUseColors;
  FPens.Data = FDataColor;
  for (int b = 0; b < 10; ++b) FPens.Band[b] = FIsodoses[b].Color;
  if (!FUseColors || FHeights.empty()) return;
  if (FBands.empty()) FBands.Allocate(FHeights.size());
  // The first band in index order whose bound is at or above the height is
  // the first whose running maximum of bounds is: count the running maxima
  // below it (all ten for no band at all, which takes band 9).
  float bound[10];
  for (int b = 0; b < 10; ++b) bound[b] = std::max(b > 0 ? bound[b - 1] : FIsodoses[0].Percentage, FIsodoses[b].Percentage);
  const int64_t lines = FBuiltLines;
  const int32_t vpl = FBuiltValues;
  InParts(lines - 1, kGrain / vpl + 1, [&](int64_t j0, int64_t j1, int) {
    for (int64_t j = j0; j < j1; ++j) {
      const float* za = FHeights.data() + j * vpl;
      graph3d::kernels::CellBands(za, za + vpl, vpl - 1, FWaterMode, FWaterLevel, bound, FBands.data() + j * vpl);
    }
  });
}

// ---- shaded faces

bool TGraph3DModel::ShadesPacked() const {
  return FShaded && !FShades.empty() && FBuiltLines * FBuiltValues <= (int64_t(1) << kShadeShift);
}

void TGraph3DModel::PackShades() {
  // Cells named by fewer than 2^24 points carry their shade in bits 24..31
  // of their list entry, so that drawing reads it with the entry instead of
  // fetching it from anywhere in the grid. SortTrapezes puts it there as it
  // makes the entries; this is for a shade that changed without a sort, and
  // clears the bits when the faces are no longer shaded.
  if (FBuiltLines * FBuiltValues > (int64_t(1) << kShadeShift) || FTrapezeCount == 0) return;
  const uint8_t* shades = ShadesPacked() ? FShades.data() : nullptr;
  uint64_t* list = FSorted.data();
  InParts(FTrapezeCount, kGrain, [&](int64_t from, int64_t to, int) {
    for (int64_t k = from; k < to; ++k) {
      const uint64_t entry = list[k] & ~kShadeBits;
      list[k] = shades ? entry | uint64_t(shades[entry & graph3d::kPointBits]) << kShadeShift : entry;
    }
  });
}

void TGraph3DModel::SetShaded(bool value) {
  if (value == FShaded) return;
  FShaded = value;
  FShadesChanged = true;
  if (!value) {
    PackShades();  // the list's entries name their cells alone again
    FShades.Release();
  }
}

TPoint3D TGraph3DModel::LightDirection() const {
  // Towards the eye (as CalcEyePoint), the screen's up and its right.
  const double sT = FSinTheta, cT = FCosTheta, sP = FSinPhi, cP = FCosPhi;
  const double eye[3] = {cP * cT, cP * sT, -sP}, up[3] = {cT * sP, sT * sP, cP}, right[3] = {sT, -cT, 0};
  // A light straight from the eye leaves faces turned to the viewer all
  // alike; a little from the upper left, slopes read as they do on paper.
  double d[3], length = 0;
  for (int k = 0; k < 3; ++k) {
    d[k] = eye[k] + 0.9 * up[k] - 0.5 * right[k];
    length += d[k] * d[k];
  }
  length = std::sqrt(length);
  return {float(d[0] / length), float(d[1] / length), float(d[2] / length)};
}

void TGraph3DModel::ShadeCells() {
  if (FHeights.empty()) return;
  try {
    if (FShades.empty()) FShades.Allocate(FHeights.size());
  } catch (const std::bad_alloc&) {
    ThrowTooLarge(FBuiltLines, FBuiltValues);
  }
  const TPoint3D l = LightDirection();
  const float light[3] = {l.X, l.Y, l.Z};
  const int64_t lines = FBuiltLines;
  const int32_t vpl = FBuiltValues;
  InParts(lines - 1, kGrain / vpl + 1, [&](int64_t j0, int64_t j1, int) {
    std::vector<float> scratch(size_t(vpl) * 4);
    for (int64_t j = j0; j < j1; ++j) {
      const float* za = FHeights.data() + j * vpl;
      graph3d::kernels::CellShades(RowX(j, scratch.data()), RowX(j + 1, scratch.data() + vpl),
                                   RowY(j, scratch.data() + 2 * vpl), RowY(j + 1, scratch.data() + 3 * vpl), za,
                                   za + vpl, vpl - 1, light, FWaterMode, FWaterLevel, FShades.data() + j * vpl);
    }
  });
}

int TGraph3DModel::BandFor(float height) const {
  // Index order, not the order of the percentages: an earlier band with a
  // larger bound shadows the later ones.
  for (int b = 0; b < 10; ++b) {
    if (height <= FIsodoses[b].Percentage) return b;
  }
  return 9;
}
