#include "Graph3DCore.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

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

uint64_t GMemoryBudget = 0;

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
  throw EGraph3DError(kBuildTooLarge + std::to_string(lines) + " lines of " + std::to_string(values) +
                      " values");
}

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
  const long double cells = static_cast<long double>(lines - 1) * static_cast<long double>(valuesPerLine - 1);
  // cell record, list entry, two sort-key buffers
  const long double bytes = cells * (sizeof(TTrapeze) + sizeof(uint32_t) + 2 * sizeof(uint64_t)) +
                            static_cast<long double>(valuesPerLine) * 2 * sizeof(TPoint3D);
  if (bytes >= static_cast<long double>(std::numeric_limits<uint64_t>::max() / 2)) {
    return std::numeric_limits<uint64_t>::max() / 2;
  }
  return static_cast<uint64_t>(bytes);
}

uint64_t MemoryBudget() {
  if (GMemoryBudget != 0) return GMemoryBudget;
  const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  uint64_t physical = (pages > 0 && pageSize > 0) ? uint64_t(pages) * uint64_t(pageSize) : (uint64_t(1) << 32);
  // Leave a fifth to the system and the other programs.
  uint64_t budget = physical / 5 * 4;
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
    budget = std::min<uint64_t>(budget, limit.rlim_cur);
  }
  return budget;
}

void SetMemoryBudget(uint64_t bytes) { GMemoryBudget = bytes; }

void CheckGridSize(int64_t lines, int64_t valuesPerLine) {
  if (lines < 2 || valuesPerLine < 2) return;
  // Each line: its object, its values and the list entries that refer to it.
  const long double lineBytes = static_cast<long double>(lines) *
                                (static_cast<long double>(valuesPerLine) * sizeof(float) + sizeof(TGraphLine) +
                                 4 * sizeof(void*));
  const long double cells = static_cast<long double>(lines - 1) * static_cast<long double>(valuesPerLine - 1);
  if (cells > static_cast<long double>(std::numeric_limits<uint32_t>::max()) ||
      lineBytes + static_cast<long double>(EstimateBuildBytes(lines, valuesPerLine)) >
          static_cast<long double>(MemoryBudget())) {
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
  const std::string tooLarge =
      kCreateLinePrefix + std::to_string(count) + kCreateLineSuffix + ": not enough memory";
  if (uint64_t(count) * sizeof(float) > graph3d::MemoryBudget()) throw EGraph3DError(tooLarge);
  try {
    FValues.reset(new float[static_cast<size_t>(count)]());
  } catch (const std::bad_alloc&) {
    throw EGraph3DError(tooLarge);
  }
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
  if (FTrapezes) {
    munmap(FTrapezes, FTrapezeBytes);
    FTrapezes = nullptr;
  }
  FTrapezeBytes = 0;
  FTrapezeCount = 0;
  std::vector<uint32_t>().swap(FOrder);
  std::vector<uint64_t>().swap(FSortKeys);
  std::vector<uint64_t>().swap(FSortScratch);
}

void TGraph3DModel::ClearData() {
  ClearLines();
  ClearTrapezes();
}

void TGraph3DModel::AllocateTrapezes(int64_t count) {
  // One mapping of its own, so the pages go back to the system when the
  // cells are cleared, and large pages can serve it.
  const size_t bytes = static_cast<size_t>(count) * sizeof(TTrapeze);
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  madvise(p, bytes, MADV_HUGEPAGE);
#endif
  FTrapezes = static_cast<TTrapeze*>(p);
  FTrapezeBytes = bytes;
  FOrder.resize(static_cast<size_t>(count));
  // Taken now, with the cells, so that sorting never fails for memory.
  FSortKeys.resize(static_cast<size_t>(count));
  FSortScratch.resize(static_cast<size_t>(count));
}

void TGraph3DModel::BuildTrapezes() {
  ClearTrapezes();
  const int64_t lines = static_cast<int64_t>(FLines.size());
  if (lines < 2) return;
  const int32_t vpl = FValuesPerLine;
  int64_t count = (lines - 1) * (vpl - 1);
  try {
    if (count > int64_t(std::numeric_limits<uint32_t>::max()) ||
        graph3d::EstimateBuildBytes(lines, vpl) > graph3d::MemoryBudget()) {
      ThrowTooLarge(lines, vpl);
    }

    // Ground positions along one axis, as GetX and GetY give them. Lines of
    // a grid mostly share their end coordinates: reuse the last row then.
    struct TAxisPositions {
      float From = 0, To = 0;
      std::vector<float> At;
    };
    auto positions = [vpl](TAxisPositions& axis, float from, float to) -> const float* {
      if (axis.At.empty() || std::memcmp(&from, &axis.From, sizeof from) != 0 ||
          std::memcmp(&to, &axis.To, sizeof to) != 0) {
        axis.At.resize(static_cast<size_t>(vpl));
        const long double start = from, span = static_cast<long double>(to) - from;
        for (int32_t i = 0; i < vpl; ++i) axis.At[size_t(i)] = static_cast<float>(span * i / (vpl - 1) + start);
        axis.From = from;
        axis.To = to;
      }
      return axis.At.data();
    };
    TAxisPositions xAxis, yAxis;
    // Ground positions and heights of one line, as single values.
    auto readLine = [&](const TGraphLine& line, std::vector<TPoint3D>& out) {
      const float* xs = positions(xAxis, line.StartPoint.X, line.EndPoint.X);
      const float* ys = positions(yAxis, line.StartPoint.Y, line.EndPoint.Y);
      const float* v = line.Values();
      for (int32_t i = 0; i < vpl; ++i) out[size_t(i)] = {xs[i], ys[i], v[i]};
    };

    // Missing points take no part in the ranges, the centre or the cells.
    const std::vector<uint8_t> noneMissing(static_cast<size_t>(vpl), 0);
    auto missing = [&](int64_t j) {
      const uint8_t* m = FLines[static_cast<size_t>(j)]->MissingFlags();
      return m ? m : noneMissing.data();
    };

    std::vector<TPoint3D> rowA(static_cast<size_t>(vpl)), rowB(static_cast<size_t>(vpl));
    TPoint3D lo{}, hi{};
    bool any = false;
    int64_t present = 0;
    float sumX = 0, sumY = 0, sumV = 0;  // single sums, rounded at every step
    // Double ones stand in when huge values overflow the single sums.
    double wideX = 0, wideY = 0, wideV = 0;
    for (int64_t j = 0; j < lines; ++j) {
      readLine(*FLines[static_cast<size_t>(j)], rowA);
      const uint8_t* gap = missing(j);
      for (int32_t i = 0; i < vpl; ++i) {
        if (gap[i]) continue;
        const TPoint3D& p = rowA[size_t(i)];
        if (!std::isfinite(p.X) || !std::isfinite(p.Y) || !std::isfinite(p.Z)) throw EGraph3DError(kNotFinite);
        if (!any) lo = hi = p, any = true;
        ++present;
        sumX += p.X;
        sumY += p.Y;
        sumV += p.Z;
        wideX += p.X;
        wideY += p.Y;
        wideV += p.Z;
        lo.X = std::min(lo.X, p.X), hi.X = std::max(hi.X, p.X);
        lo.Y = std::min(lo.Y, p.Y), hi.Y = std::max(hi.Y, p.Y);
        lo.Z = std::min(lo.Z, p.Z), hi.Z = std::max(hi.Z, p.Z);
      }
    }
    if (hi.X == lo.X || hi.Y == lo.Y || hi.Z == lo.Z) throw EGraph3DError(kNoRange);

    const double kx = 100.0 / (double(hi.X) - lo.X), ky = 100.0 / (double(hi.Y) - lo.Y),
                 kv = 100.0 / (double(hi.Z) - lo.Z);
    const double total = double(present);
    auto mean = [total](float sum, double wide) {
      return static_cast<float>((std::isfinite(sum) ? double(sum) : wide) / total);
    };
    FCenter.X = static_cast<float>((double(mean(sumX, wideX)) - lo.X) * kx);
    FCenter.Y = static_cast<float>((double(mean(sumY, wideY)) - lo.Y) * ky);
    FCenter.Z = static_cast<float>((double(mean(sumV, wideV)) - lo.Z) * kv);

    // A cell needs all four corners.
    auto whole = [](const uint8_t* a, const uint8_t* b, int32_t i) { return !(a[i] | a[i + 1] | b[i] | b[i + 1]); };
    if (present != int64_t(lines) * vpl) {
      count = 0;
      for (int64_t j = 0; j + 1 < lines; ++j) {
        const uint8_t *a = missing(j), *b = missing(j + 1);
        for (int32_t i = 0; i + 1 < vpl; ++i) count += whole(a, b, i);
      }
    }
    if (count > 0) AllocateTrapezes(count);

    auto normalise = [&](std::vector<TPoint3D>& row) {
      for (TPoint3D& p : row) {
        p.X = static_cast<float>((double(p.X) - lo.X) * kx);
        p.Y = static_cast<float>((double(p.Y) - lo.Y) * ky);
        p.Z = static_cast<float>((double(p.Z) - lo.Z) * kv);
      }
    };
    readLine(*FLines[0], rowA);
    normalise(rowA);
    TTrapeze* t = FTrapezes;
    for (int64_t j = 0; j + 1 < lines && count > 0; ++j) {
      readLine(*FLines[static_cast<size_t>(j + 1)], rowB);
      normalise(rowB);
      const uint8_t *gapA = missing(j), *gapB = missing(j + 1);
      for (int32_t i = 0; i + 1 < vpl; ++i) {
        if (!whole(gapA, gapB, i)) continue;
        t->Corners[0] = rowA[i];
        t->Corners[1] = rowA[i + 1];
        t->Corners[2] = rowB[i + 1];
        t->Corners[3] = rowB[i];
        const TPoint3D* c = t->Corners;
        t->Centroid.X = static_cast<float>((double(c[1].X) + c[2].X + c[3].X + c[0].X) / 4);
        t->Centroid.Y = static_cast<float>((double(c[1].Y) + c[2].Y + c[3].Y + c[0].Y) / 4);
        t->Centroid.Z = static_cast<float>((double(c[1].Z) + c[2].Z + c[3].Z + c[0].Z) / 4);
        t->LineIndex = static_cast<int32_t>(j);
        t->Distance = 0;
        t->PenColor = 0;
        for (TPoint& q : t->ScreenCorners) q = {};
        ++t;
      }
      rowA.swap(rowB);
    }
    for (int64_t k = 0; k < count; ++k) FOrder[static_cast<size_t>(k)] = static_cast<uint32_t>(k);
    FTrapezeCount = count;
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

void TGraph3DModel::SortTrapezes() {
  const int64_t n = FTrapezeCount;
  if (n < 2) return;
  // Keys closer than 0.5 may end in any order; an exact ascending order is
  // one such order. Distances are non-negative singles, so their bit
  // patterns sort like the numbers: a stable radix sort on (key, index).
  constexpr int kBits = 11, kBuckets = 1 << kBits, kPasses = 3;
  std::array<uint32_t, size_t(kPasses) * kBuckets> histogram{};
  const TPoint3D eye = FEyePoint;
  for (int64_t k = 0; k < n; ++k) {
    TTrapeze& t = FTrapezes[k];
    const float d = graph3d::GroundDistance2(t.Centroid, eye);
    t.Distance = d;
    uint32_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    FSortKeys[static_cast<size_t>(k)] = (uint64_t(bits) << 32) | uint64_t(k);
    for (int pass = 0; pass < kPasses; ++pass) ++histogram[size_t(pass) * kBuckets + ((bits >> (pass * kBits)) & (kBuckets - 1))];
  }
  uint64_t* src = FSortKeys.data();
  uint64_t* dst = FSortScratch.data();
  for (int pass = 0; pass < kPasses; ++pass) {
    uint32_t* h = histogram.data() + size_t(pass) * kBuckets;
    const int shift = 32 + pass * kBits;
    if (std::any_of(h, h + kBuckets, [n](uint32_t c) { return c == uint64_t(n); })) continue;  // one digit only
    uint32_t sum = 0;
    for (int b = 0; b < kBuckets; ++b) {
      const uint32_t c = h[b];
      h[b] = sum;
      sum += c;
    }
    for (int64_t k = 0; k < n; ++k) {
      const uint64_t key = src[k];
      dst[h[(key >> shift) & (kBuckets - 1)]++] = key;
    }
    std::swap(src, dst);
  }
  for (int64_t k = 0; k < n; ++k) FOrder[static_cast<size_t>(k)] = static_cast<uint32_t>(src[k]);
}

void TGraph3DModel::ProjectTrapezes() {
  for (int64_t k = 0; k < FTrapezeCount; ++k) {
    TTrapeze& t = FTrapezes[k];
    for (int c = 0; c < 4; ++c) {
      TPoint3D p = t.Corners[c];
      p.Z = ApplyWater(p.Z);
      t.ScreenCorners[c] = Project(p);
    }
  }
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

void TGraph3DModel::Prepare() {
  const bool rebuild = FLinesChanged && !FTrapezesBuilt && !FBuildFailed;
  if (rebuild) BuildTrapezes();
  if (rebuild || FColorsChanged || FWaterChanged) ColorTrapezes();
  if (rebuild || FSizeChanged) CalcScale();
  if (rebuild) CenterGraph();
  if (rebuild || FAnglesChanged) {
    CalcEyePoint();
    SortTrapezes();
  }
  if (rebuild || FSizeChanged || FAnglesChanged || FMoved || FWaterChanged) ProjectTrapezes();
  FSizeChanged = FMoved = FAnglesChanged = FColorsChanged = FWaterChanged = false;
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
  for (int64_t k = 0; k < FTrapezeCount; ++k) {
    TTrapeze& t = FTrapezes[k];
    if (!FUseColors) {
      t.PenColor = FDataColor;
      continue;
    }
    t.PenColor = FIsodoses[BandFor(ApplyWater(t.Centroid.Z))].Color;
  }
}

int TGraph3DModel::BandFor(float height) const {
  // Index order, not the order of the percentages: an earlier band with a
  // larger bound shadows the later ones.
  for (int b = 0; b < 10; ++b) {
    if (height <= FIsodoses[b].Percentage) return b;
  }
  return 9;
}
