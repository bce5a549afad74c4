// The settings record of the 3D plot window and its 30-byte file image
// (*.3dgr): LineTotal, PointTotal (32-bit), PeakHeight (80-bit extended),
// BackColor, SurfaceColor, AxisColor (32-bit), all little-endian, no header.
// Every field is encoded on its own, so the image does not depend on the
// compiler's struct layout or on the machine's byte order or long double.
#pragma once

#include "graph3d/Graph3DCore.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

struct TPlotSettings {
  int32_t LineTotal = 0;   // surface lines (along Y)
  int32_t PointTotal = 0;  // values per line (along X)
  long double PeakHeight = 0;
  TColor BackColor = 0;
  TColor SurfaceColor = 0;
  TColor AxisColor = 0;
};

inline constexpr std::size_t kPlotSettingsSize = 30;
using TPlotSettingsImage = std::array<uint8_t, kPlotSettingsSize>;

// The 80-bit extended format: 64-bit mantissa with an explicit integer bit,
// then the 15-bit exponent (bias 16383) with the sign in its top bit.
inline constexpr std::size_t kExtendedSize = 10;
using TExtendedImage = std::array<uint8_t, kExtendedSize>;

// Exact wherever long double has at least 64 mantissa bits (x87); elsewhere
// rounded to nearest. A NaN is written as the quiet NaN of its sign.
TExtendedImage EncodeExtended(long double value);
// Unnormals, pseudo-infinities and pseudo-NaNs (integer bit clear with a
// non-zero exponent) are invalid operands for the x87 and decode as NaN;
// pseudo-denormals decode to their value.
long double DecodeExtended(const TExtendedImage& image);

TPlotSettingsImage EncodePlotSettings(const TPlotSettings& settings);
TPlotSettings DecodePlotSettings(const TPlotSettingsImage& image);

// A read or write failure after the file was opened.
class EInOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
