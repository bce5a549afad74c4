#include "graph3d/Graph3DFile.h"

#include <cmath>
#include <limits>

namespace {

constexpr int kExponentBias = 16383;
constexpr int kMaxBiased = 0x7FFF;
// A mantissa unit of the format is 2^(biased − bias − 63); denormals use the
// exponent of biased 1.
constexpr int kMantissaShift = 63;
constexpr int kDenormalScale = kExponentBias - 1 + kMantissaShift;  // 16445
constexpr uint64_t kIntegerBit = uint64_t(1) << 63;
constexpr uint64_t kQuietNaN = uint64_t(3) << 62;

void PutU32(uint8_t* to, uint32_t value) {
  for (int i = 0; i < 4; ++i) to[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetU32(const uint8_t* from) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= uint32_t(from[i]) << (8 * i);
  return value;
}

}  // namespace

TExtendedImage EncodeExtended(long double value) {
  unsigned signExponent = std::signbit(value) ? 0x8000u : 0u;
  uint64_t mantissa = 0;
  if (std::isnan(value)) {
    signExponent |= kMaxBiased;
    mantissa = kQuietNaN;
  } else if (std::isinf(value)) {
    signExponent |= kMaxBiased;
    mantissa = kIntegerBit;
  } else if (value != 0) {
    const long double magnitude = std::fabs(value);
    int exponent = 0;
    const long double fraction = std::frexp(magnitude, &exponent);  // magnitude = fraction × 2^exponent
    int biased = exponent - 1 + kExponentBias;
    long double scaled;
    if (biased >= 1) {
      scaled = std::ldexp(fraction, 64);  // in [2^63, 2^64)
    } else {
      scaled = std::ldexp(magnitude, kDenormalScale);  // below 2^63
      biased = 0;
    }
    // Exact on the x87; a wider long double rounds here to nearest, ties to even.
    scaled = std::nearbyint(scaled);
    if (scaled >= 0x1p64L) {  // rounding carried into a new leading bit
      scaled = 0x1p63L;
      ++biased;
    } else if (biased == 0 && scaled >= 0x1p63L) {  // a denormal rounded up to the smallest normal
      biased = 1;
    }
    if (biased >= kMaxBiased) {  // beyond the format's range: infinity
      biased = kMaxBiased;
      scaled = 0x1p63L;
    }
    mantissa = static_cast<uint64_t>(scaled);
    signExponent |= static_cast<unsigned>(biased);
  }
  TExtendedImage image{};
  for (int i = 0; i < 8; ++i) image[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  image[8] = static_cast<uint8_t>(signExponent);
  image[9] = static_cast<uint8_t>(signExponent >> 8);
  return image;
}

long double DecodeExtended(const TExtendedImage& image) {
  uint64_t mantissa = 0;
  for (int i = 0; i < 8; ++i) mantissa |= uint64_t(image[i]) << (8 * i);
  const unsigned signExponent = unsigned(image[8]) | (unsigned(image[9]) << 8);
  const bool negative = (signExponent & 0x8000u) != 0;
  const int biased = static_cast<int>(signExponent & 0x7FFFu);
  const bool integerBit = (mantissa & kIntegerBit) != 0;
  const long double nan = std::numeric_limits<long double>::quiet_NaN();
  long double magnitude;
  if (biased == kMaxBiased) {
    magnitude = (integerBit && mantissa == kIntegerBit) ? std::numeric_limits<long double>::infinity() : nan;
  } else if (biased == 0) {
    magnitude = std::ldexp(static_cast<long double>(mantissa), -kDenormalScale);
  } else if (!integerBit) {
    magnitude = nan;
  } else {
    magnitude = std::ldexp(static_cast<long double>(mantissa), biased - kExponentBias - kMantissaShift);
  }
  return std::copysign(magnitude, negative ? -1.0L : 1.0L);
}

TPlotSettingsImage EncodePlotSettings(const TPlotSettings& settings) {
  TPlotSettingsImage image{};
  PutU32(&image[0], static_cast<uint32_t>(settings.LineTotal));
  PutU32(&image[4], static_cast<uint32_t>(settings.PointTotal));
  const TExtendedImage peak = EncodeExtended(settings.PeakHeight);
  for (std::size_t i = 0; i < kExtendedSize; ++i) image[8 + i] = peak[i];
  PutU32(&image[18], settings.BackColor);
  PutU32(&image[22], settings.SurfaceColor);
  PutU32(&image[26], settings.AxisColor);
  return image;
}

TPlotSettings DecodePlotSettings(const TPlotSettingsImage& image) {
  TPlotSettings settings;
  settings.LineTotal = static_cast<int32_t>(GetU32(&image[0]));
  settings.PointTotal = static_cast<int32_t>(GetU32(&image[4]));
  TExtendedImage peak{};
  for (std::size_t i = 0; i < kExtendedSize; ++i) peak[i] = image[8 + i];
  settings.PeakHeight = DecodeExtended(peak);
  settings.BackColor = GetU32(&image[18]);
  settings.SurfaceColor = GetU32(&image[22]);
  settings.AxisColor = GetU32(&image[26]);
  return settings;
}
