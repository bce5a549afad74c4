// The geometry of the 3D surface control, free of any display: surface lines,
// the cells built from them in the 0..100 cube ("percent space"), the view
// (angles, zoom, origin), depth sorting, projection, colour bands and the
// water level. TGraph3D (Graph3D.h) wraps it in a widget that draws.
#pragma once

#include "platform/WorkControl.h"

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// Colour values laid out $00BBGGRR (red in the low byte).
using TColor = uint32_t;
// Passed to SetIsodose: keep the band's colour, change only its percentage.
inline constexpr TColor KeepColor = 0x1FFFFFFF;

// The one exception type of the component; what() is the English message.
class EGraph3DError : public std::exception {
 public:
  explicit EGraph3DError(std::string message) : FMessage(std::move(message)) {}
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

// The component's "not enough memory" for a grid of Lines × Values, so that
// a window can say it in its own words.
class EGraph3DTooLarge : public EGraph3DError {
 public:
  EGraph3DTooLarge(std::string message, int64_t lines, int64_t values)
      : EGraph3DError(std::move(message)), Lines(lines), Values(values) {}
  int64_t Lines, Values;
};

struct TPoint3D {
  float X = 0, Y = 0, Z = 0;
};

// A screen pixel position.
struct TPoint {
  int32_t X = 0, Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// One row of surface values sampled evenly from StartPoint to EndPoint on the
// ground plane. Only X and Y of the two points are used.
class TGraphLine {
 public:
  // Values start zeroed. Throws EGraph3DError for fewer than 2 values.
  explicit TGraphLine(int32_t count);
  TGraphLine(const TGraphLine&) = delete;
  TGraphLine& operator=(const TGraphLine&) = delete;

  int32_t Count() const { return FCount; }
  const float* Values() const { return FValues.get(); }
  float* Values() { return FValues.get(); }

  float GetValue(int32_t index) const;
  void SetValue(int32_t index, float value);
  // Ground position of value `index`.
  float GetX(int32_t index) const;
  float GetY(int32_t index) const;

  // Points without a value, such as where a surface's formula has none: their
  // values are ignored, and cells with such a corner are left out (a hole).
  void SetMissing(int32_t index);
  bool IsMissing(int32_t index) const;
  // One flag a value, or null while no point is missing.
  const uint8_t* MissingFlags() const { return FMissing.get(); }

  TPoint3D StartPoint;
  TPoint3D EndPoint;

 private:
  void CheckIndex(int32_t index) const;
  int32_t FCount;
  struct TFree {
    void operator()(float* p) const { std::free(p); }
  };
  std::unique_ptr<float[], TFree> FValues;
  std::unique_ptr<uint8_t[]> FMissing;
};

// One cell between line j and j + 1 and value positions i and i + 1.
// Corners: 0 = (j, i), 1 = (j, i + 1), 2 = (j + 1, i + 1), 3 = (j + 1, i).
struct TTrapeze {
  TPoint3D Corners[4];
  TPoint ScreenCorners[4];
  int32_t LineIndex;
  double Distance;  // squared ground distance of Centroid from the eye point
  TPoint3D Centroid;
  TColor PenColor;
};

// A colour band: cells up to Percentage of the height range take Color.
struct TIsodose {
  float Percentage;
  TColor Color;
};

namespace graph3d {

// Round to nearest, ties to even, for screen coordinates; never undefined:
// NaN gives 0 and magnitudes beyond kCoordLimit are clamped to it.
inline constexpr int32_t kCoordLimit = 1 << 29;
int32_t RoundCoord(double value);

// Bytes a build of lines × valuesPerLine values will need (cells, sort
// buffers); saturates instead of overflowing.
uint64_t EstimateBuildBytes(int64_t lines, int64_t valuesPerLine);
// Throws the build's "not enough memory" error when a grid of lines ×
// valuesPerLine values, stored as lines and then built into cells, would not
// fit in memory::MemoryBudget() (memory/SystemMemory.h). Code that makes a
// grid calls it first, so a grid too large is refused before any of its
// values are made, whatever its shape.
// Grids that make nothing (no lines, lines of fewer than 2 values) are left
// to the line checks.
void CheckGridSize(int64_t lines, int64_t valuesPerLine);

// Ground distance squared (X and Y only), rounded to single precision.
float GroundDistance2(const TPoint3D& a, const TPoint3D& b);

// The five axis lines in percent space: the X, Y and height axes from the
// origin, then the far X and far Y edges of the ground. Label: 0 none,
// 1 X, 2 Y, 3 height.
struct TAxisLine {
  TPoint3D From, To;
  int Label;
};
inline constexpr TAxisLine kAxisLines[5] = {
    {{0, 0, 0}, {110, 0, 0}, 1},      {{0, 0, 0}, {0, 110, 0}, 2},     {{0, 0, 0}, {0, 0, 110}, 3},
    {{0, 100, 0}, {100, 100, 0}, 0}, {{100, 0, 0}, {100, 100, 0}, 0},
};

// The ten default bands: 70 + 3 × index per cent, reds getting brighter,
// the last one yellow.
void DefaultIsodoses(TIsodose (&bands)[10]);

// The light of a shaded cell: levels 0 (the light grazes it) to
// kShadeLevels − 1 (it faces the light), with kWaterShade added for a cell
// the water level flattens whole.
inline constexpr int kShadeLevels = 128;
inline constexpr uint8_t kWaterShade = 0x80;
// The point of a list entry that carries its cell's shade.
inline constexpr uint64_t kPointBits = 0xFFFFFF;

}  // namespace graph3d

namespace graph3d {

// An array in pages of its own, given back to the system when released.
// Its contents start zeroed.
template <typename T>
class TPageArray {
 public:
  TPageArray() = default;
  ~TPageArray() { Release(); }
  TPageArray(const TPageArray&) = delete;
  TPageArray& operator=(const TPageArray&) = delete;
  // Throws std::bad_alloc when the system has no room.
  void Allocate(size_t count);
  void Release();
  void Swap(TPageArray& other) {
    std::swap(FData, other.FData);
    std::swap(FCount, other.FCount);
    std::swap(FBytes, other.FBytes);
  }
  T* data() { return FData; }
  const T* data() const { return FData; }
  T& operator[](size_t k) { return FData[k]; }
  const T& operator[](size_t k) const { return FData[k]; }
  size_t size() const { return FCount; }
  bool empty() const { return FCount == 0; }

 private:
  T* FData = nullptr;
  size_t FCount = 0, FBytes = 0;
};

// The projection of a grid point without the origin (X to add to it, Y to
// take from it), with that of the point at the same value index on the next
// line: a cell's four corners are then two neighbouring records.
struct TScreenPair {
  TPoint Here, Next;
};

// Colours the cells were given by the last ColorTrapezes: one colour for all,
// or per cell the colour of its band.
struct TCellPens {
  bool Bands = false;
  TColor Data = 0;
  TColor Band[10] = {};
};

}  // namespace graph3d

// The cells are kept per grid point, not per cell: point p = j ×
// ValuesPerLine + i (line j, value i) has its percent-space height and its
// projection; cell (j, i) has corners p, p + 1, p + ValuesPerLine + 1 and
// p + ValuesPerLine and is named by p. Ground positions are kept per line,
// shared by lines with the same end points. The list order is one array of
// (depth key << 32 | p), sorted by a radix sort.
class TGraph3DModel {
 public:
  TGraph3DModel();
  ~TGraph3DModel();
  TGraph3DModel(const TGraph3DModel&) = delete;
  TGraph3DModel& operator=(const TGraph3DModel&) = delete;

  // ---- lines ----
  // Takes ownership on success and returns the line; on a length mismatch
  // throws and leaves the line with the caller.
  TGraphLine* AddLine(std::unique_ptr<TGraphLine>&& line);
  int32_t LineCount() const { return static_cast<int32_t>(FLines.size()); }
  const TGraphLine& Line(int32_t index) const { return *FLines.at(static_cast<size_t>(index)); }
  int32_t ValuesPerLine() const { return FValuesPerLine; }
  void ClearLines();
  void ClearTrapezes();
  void ClearData();

  // ---- cells ----
  void BuildTrapezes() { BuildTrapezes(nullptr); }
  int64_t TrapezeCount() const { return FTrapezeCount; }
  // The k-th cell of the list, in the current (sorted) order, as a record.
  TTrapeze Trapeze(int64_t k) const;
  // The grid the cells were built from: lines and values per line (which
  // ClearLines and AddLine leave to the next build).
  int64_t BuiltLines() const { return FBuiltLines; }
  int32_t BuiltValues() const { return FBuiltValues; }
  // The grid point that names the k-th cell of the list.
  uint32_t CellPoint(int64_t k) const { return uint32_t(FSorted[size_t(k)] & PointBits()); }
  TPoint3D Center() const { return FCenter; }
  bool LinesChanged() const { return FLinesChanged; }
  bool TrapezesBuilt() const { return FTrapezesBuilt; }
  // The last build failed; no new attempt is made until the lines change.
  bool BuildFailed() const { return FBuildFailed; }
  // How many builds were made: what was worked out from the cells of one
  // build is still right while this stays the same.
  uint64_t BuildCount() const { return FBuildCount; }

  // ---- what drawing reads ----
  // The list: low 32 bits the cell's point, high 32 bits its depth key.
  // While ShadesPacked(), bits 24..31 hold the cell's shade and the point is
  // the entry's low 24 bits (PointBits()).
  const uint64_t* SortedCells() const { return FSorted.data(); }
  bool ShadesPacked() const;
  uint64_t PointBits() const { return ShadesPacked() ? graph3d::kPointBits : 0xFFFFFFFFu; }
  // Per grid point: its projection and that of the point below it, as of the
  // last ProjectTrapezes.
  const graph3d::TScreenPair* ScreenOffsets() const { return FScreen.data(); }
  // The origin the cells are drawn at: the one of the last projection, moved
  // along by later moves that Prepare took in.
  TPoint ProjectedOrigin() const { return FProjectedOrigin; }
  // Per grid point: the band of the cell it names (when Pens().Bands).
  const uint8_t* CellBands() const { return FBands.data(); }
  const graph3d::TCellPens& Pens() const { return FPens; }
  // Per grid point, while the faces are shaded: how the cell it names is lit,
  // graph3d::kShadeLevels and kWaterShade.
  const uint8_t* CellShades() const { return FShades.data(); }
  // The ranges of the data the cells were built from (points with a value):
  // percent 0 and 100 of each axis. Zero until the first build.
  struct TDataRange {
    double XMin = 0, XMax = 0, YMin = 0, YMax = 0, ZMin = 0, ZMax = 0;
  };
  const TDataRange& DataRange() const { return FRange; }
  // The grid of the last build in percent space, for geometry that reads it
  // line by line: ground positions (the row, or scratch of BuiltValues()
  // values filled with the line's one value), the heights of all points, and
  // a bit per cell (j × (BuiltValues() − 1) + i) that is set when the cell has
  // all four corners, or null when every cell has.
  const float* PercentX(int64_t j, float* scratch) const { return RowX(j, scratch); }
  const float* PercentY(int64_t j, float* scratch) const { return RowY(j, scratch); }
  const float* PercentHeights() const { return FHeights.data(); }
  const uint64_t* WholeCells() const { return FAllWhole ? nullptr : FWholeCells.data(); }

  // ---- view ----
  // Client size in pixels. SetClientSize only stores; Resized is the resize
  // handling (re-scale and re-centre when cells exist).
  int ClientWidth() const { return FWidth; }
  int ClientHeight() const { return FHeight; }
  void SetClientSize(int width, int height);
  void Resized(int width, int height);

  int Theta() const;  // whole degrees
  int Phi() const;
  void SetTheta(int degrees);
  void SetPhi(int degrees);
  float ThetaRadians() const { return FTheta; }
  float PhiRadians() const { return FPhi; }
  float ZoomX() const { return FZoomX; }
  float ZoomY() const { return FZoomY; }
  void SetZoomX(float value);
  void SetZoomY(float value);
  float ScaleX() const { return FScaleX; }
  float ScaleY() const { return FScaleY; }
  TPoint Origin() const { return FOrigin; }
  TPoint Offset() const { return FOffset; }
  TPoint3D EyePoint() const { return FEyePoint; }
  int ViewPercentage() const { return FViewPercentage; }
  void SetViewPercentage(int value);
  int32_t FirstLine() const { return FFirstLine; }
  int32_t LastLine() const { return FLastLine; }
  void SetFirstLine(int32_t value);
  void SetLastLine(int32_t value);

  TPoint Project(const TPoint3D& p) const;
  void SetOffset(TPoint p);
  void CenterGraph();
  void CalcScale();
  void CalcEyePoint();
  void SortTrapezes() { SortTrapezes(nullptr); }
  void ProjectTrapezes();
  // Whether axis line `line` (index into kAxisLines) lies behind the surface:
  // its reference point is farther from the eye than the data centre.
  bool AxisBehind(int line) const;
  // Index of the nearest cell still drawn (ViewPercentage).
  int64_t DrawStart() const;
  // The recomputation pipeline: only what the change flags require. With a
  // control it reports how far it is and ends early when asked to stop:
  // the cells are then dropped and the next Prepare builds them.
  void Prepare(TWorkControl* control = nullptr);
  // A surface all of whose heights are equal: a plane at half height when
  // allowed (a formula's surface), else the build's "no range".
  void SetFlatAllowed(bool allowed) { FFlatAllowed = allowed; }
  bool FlatAllowed() const { return FFlatAllowed; }
  // Whether the next Prepare builds the cells.
  bool BuildPending() const { return FLinesChanged && !FTrapezesBuilt && !FBuildFailed; }

  bool SizeChanged() const { return FSizeChanged; }
  bool Moved() const { return FMoved; }
  bool AnglesChanged() const { return FAnglesChanged; }
  bool ColorsChanged() const { return FColorsChanged; }
  bool WaterChanged() const { return FWaterChanged; }

  // ---- shaded faces
  // Filled cells lit from the viewer's side; off at start. Prepare works out
  // each cell's light while it is on (and forgets it when it is off).
  bool Shaded() const { return FShaded; }
  void SetShaded(bool value);
  // The direction the light comes from, a unit vector in percent space: from
  // the viewer, a little from above and from the left on the screen.
  TPoint3D LightDirection() const;
  void ShadeCells();
  // Puts the shades into the list entries, or takes them out (ShadesPacked).
  void PackShades();

  // ---- colours and water ----
  TColor AxesColor() const { return FAxesColor; }
  void SetAxesColor(TColor value);
  TColor DataColor() const { return FDataColor; }
  void SetDataColor(TColor value);
  bool UseColors() const { return FUseColors; }
  // Returns whether the value changed.
  bool SetUseColors(bool value);
  const TIsodose& Isodose(int index) const { return FIsodoses[index]; }
  void SetIsodose(int index, TColor color, float percentage);
  int WaterMode() const { return FWaterMode; }
  float WaterLevel() const { return FWaterLevel; }
  // Checks and stores; the widget redraws.
  void SetWaterLevel(uint8_t mode, float percentage);
  // The water rule for a height in per cent.
  float ApplyWater(float z) const;
  // The band a cell of this (water-ruled) height takes.
  int BandFor(float height) const;
  void ColorTrapezes();

 private:
  int32_t ClampLine(int32_t value) const;
  void BuildTrapezes(TWorkControl* control);
  void SortTrapezes(TWorkControl* control);
  // Ground positions of line j along one axis, in percent space: a row of
  // ValuesPerLine values, or one value for the whole line.
  struct TAxisRow {
    int64_t Offset;  // into the axis's pool; -1: every value is Value
    float Value;
  };
  const float* RowX(int64_t j, float* scratch) const;
  const float* RowY(int64_t j, float* scratch) const;
  // Whether cell (j, i) has all four corners (only asked when some point is missing).
  bool CellWhole(int64_t j, int32_t i) const;
  const uint8_t* MissingRow(int64_t j) const;

  std::vector<std::unique_ptr<TGraphLine>> FLines;
  int32_t FValuesPerLine = 50;
  // cells
  std::vector<TAxisRow> FRowsX, FRowsY;
  std::vector<float> FPoolX, FPoolY;
  graph3d::TPageArray<float> FHeights;     // per point, percent space
  graph3d::TPageArray<graph3d::TScreenPair> FScreen;  // per point
  graph3d::TPageArray<uint8_t> FBands;     // per point, while bands are on
  graph3d::TPageArray<uint8_t> FShades;    // per point, while the faces are shaded
  graph3d::TPageArray<uint64_t> FSorted, FSortScratch;
  std::vector<int64_t> FLineCells;     // with missing points: cells before line j
  std::vector<uint64_t> FWholeCells;  // with missing points: a bit a cell, in build order
  bool FAllWhole = true;
  int64_t FBuiltLines = 0;            // the grid the cells were built from
  int32_t FBuiltValues = 0;
  int64_t FTrapezeCount = 0;
  TPoint FProjectedOrigin;
  graph3d::TCellPens FPens;
  TDataRange FRange;
  TPoint3D FCenter;
  bool FLinesChanged = true;
  bool FTrapezesBuilt = false;
  bool FBuildFailed = false;
  bool FFlatAllowed = false;
  uint64_t FBuildCount = 0;

  int FWidth = 100, FHeight = 100;
  float FTheta = 0, FPhi = 0;
  float FSinTheta = 0, FCosTheta = 1, FSinPhi = 0, FCosPhi = 1;
  float FZoomX = 0.55f, FZoomY = 0.55f;
  float FScaleX = 0.5f, FScaleY = 0.5f;
  TPoint FOrigin, FOffset;
  TPoint3D FEyePoint{1, 1, 1};
  int FViewPercentage = 100;
  int32_t FFirstLine = -10, FLastLine = -9;
  bool FSizeChanged = false, FMoved = false, FAnglesChanged = false;
  bool FColorsChanged = false, FWaterChanged = false;
  bool FShaded = false, FShadesChanged = false;

  TColor FAxesColor = 0xFF0000;
  TColor FDataColor = 0;
  bool FUseColors = false;
  TIsodose FIsodoses[10];
  int FWaterMode = 0;
  float FWaterLevel = 95;
};
