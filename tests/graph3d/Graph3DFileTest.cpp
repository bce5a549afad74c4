// The 30-byte image of the 3D window's settings and the 80-bit extended
// codec, without any window.
#include "graph3d/Graph3DFile.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>

namespace {

TExtendedImage Extended(uint64_t mantissa, uint16_t signExponent) {
  TExtendedImage image{};
  for (int i = 0; i < 8; ++i) image[i] = static_cast<uint8_t>(mantissa >> (8 * i));
  image[8] = static_cast<uint8_t>(signExponent);
  image[9] = static_cast<uint8_t>(signExponent >> 8);
  return image;
}

std::string Hex(const uint8_t* bytes, size_t size) {
  std::ostringstream out;
  for (size_t i = 0; i < size; ++i) {
    static const char digits[] = "0123456789ABCDEF";
    if (i) out << ' ';
    out << digits[bytes[i] >> 4] << digits[bytes[i] & 15];
  }
  return out.str();
}

// Same value and same sign; for the x87 that is the same 80 bits, since
// arithmetic never produces the unnormal encodings.
void ExpectSame(long double a, long double b) {
  if (std::isnan(a)) {
    EXPECT_TRUE(std::isnan(b));
  } else {
    EXPECT_EQ(a, b);
  }
  EXPECT_EQ(std::signbit(a), std::signbit(b));
}

TEST(Graph3DFile, DefaultSettingsGiveTheKnownBytes) {
  TPlotSettings settings;
  settings.LineTotal = 4;
  settings.PointTotal = 4;
  settings.PeakHeight = (2 * 2 + 2 * 2) * 1.1L;
  settings.BackColor = 0;
  settings.SurfaceColor = 0xFF0000;
  settings.AxisColor = 0x0080FF;
  const TPlotSettingsImage image = EncodePlotSettings(settings);
  EXPECT_EQ(Hex(image.data(), image.size()),
            "04 00 00 00 04 00 00 00 CD CC CC CC CC CC CC 8C 02 40 00 00 00 00 00 00 FF 00 FF 80 00 00");

  const TPlotSettings back = DecodePlotSettings(image);
  EXPECT_EQ(back.LineTotal, 4);
  EXPECT_EQ(back.PointTotal, 4);
  ExpectSame(back.PeakHeight, settings.PeakHeight);
  EXPECT_EQ(back.BackColor, 0u);
  EXPECT_EQ(back.SurfaceColor, 0xFF0000u);
  EXPECT_EQ(back.AxisColor, 0x0080FFu);
}

TEST(Graph3DFile, IntegersAreLittleEndianWhateverTheirSign) {
  TPlotSettings settings;
  settings.LineTotal = -2;
  settings.PointTotal = std::numeric_limits<int32_t>::min();
  settings.BackColor = 0xFFFFFFFF;
  settings.SurfaceColor = 0x12345678;
  settings.AxisColor = 0x80000000;
  const TPlotSettingsImage image = EncodePlotSettings(settings);
  EXPECT_EQ(Hex(&image[0], 8), "FE FF FF FF 00 00 00 80");
  EXPECT_EQ(Hex(&image[18], 12), "FF FF FF FF 78 56 34 12 00 00 00 80");
  const TPlotSettings back = DecodePlotSettings(image);
  EXPECT_EQ(back.LineTotal, -2);
  EXPECT_EQ(back.PointTotal, std::numeric_limits<int32_t>::min());
  EXPECT_EQ(back.BackColor, 0xFFFFFFFFu);
  EXPECT_EQ(back.SurfaceColor, 0x12345678u);
  EXPECT_EQ(back.AxisColor, 0x80000000u);
}

TEST(Graph3DFile, ExtendedPatternsDecodeAndEncodeBitForBit) {
  const long double denormalMin = std::ldexp(1.0L, -16445);
  struct TCase {
    const char* Name;
    TExtendedImage Image;
    long double Value;
  };
  const TCase cases[] = {
      {"one", Extended(uint64_t(1) << 63, 0x3FFF), 1.0L},
      {"minus two", Extended(uint64_t(1) << 63, 0xC000), -2.0L},
      {"zero", Extended(0, 0), 0.0L},
      {"minus zero", Extended(0, 0x8000), -0.0L},
      {"8.8", Extended(0x8CCCCCCCCCCCCCCD, 0x4002), 8.8L},
      {"all mantissa bits", Extended(0xFFFFFFFFFFFFFFFF, 0x3FFF), 2.0L - std::ldexp(1.0L, -63)},
      {"smallest normal", Extended(uint64_t(1) << 63, 0x0001), std::ldexp(1.0L, -16382)},
      {"largest finite", Extended(0xFFFFFFFFFFFFFFFF, 0x7FFE), std::numeric_limits<long double>::max()},
      {"smallest denormal", Extended(1, 0x0000), denormalMin},
      {"largest denormal", Extended(0x7FFFFFFFFFFFFFFF, 0x8000), -(std::ldexp(1.0L, -16382) - denormalMin)},
      {"infinity", Extended(uint64_t(1) << 63, 0x7FFF), std::numeric_limits<long double>::infinity()},
      {"minus infinity", Extended(uint64_t(1) << 63, 0xFFFF), -std::numeric_limits<long double>::infinity()},
      {"quiet NaN", Extended(uint64_t(3) << 62, 0x7FFF), std::numeric_limits<long double>::quiet_NaN()},
      {"minus quiet NaN", Extended(uint64_t(3) << 62, 0xFFFF), -std::numeric_limits<long double>::quiet_NaN()},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    ExpectSame(DecodeExtended(c.Image), c.Value);
    EXPECT_EQ(EncodeExtended(c.Value), c.Image);
    EXPECT_EQ(EncodeExtended(DecodeExtended(c.Image)), c.Image);
  }
}

TEST(Graph3DFile, InvalidExtendedEncodingsDecodeAsNaN) {
  // Another NaN payload reads as NaN and is written back as the quiet NaN.
  const long double signalling = DecodeExtended(Extended(0x8000000000000001, 0xFFFF));
  EXPECT_TRUE(std::isnan(signalling));
  EXPECT_TRUE(std::signbit(signalling));
  EXPECT_EQ(EncodeExtended(signalling), Extended(uint64_t(3) << 62, 0xFFFF));
  // Integer bit clear with a non-zero exponent: pseudo-infinity, pseudo-NaN, unnormal.
  for (const TExtendedImage& image : {Extended(0, 0x7FFF), Extended(1, 0x7FFF), Extended(0x4000000000000000, 0x3FFF),
                                      Extended(0, 0x0001)}) {
    EXPECT_TRUE(std::isnan(DecodeExtended(image))) << Hex(image.data(), image.size());
  }
  // A pseudo-denormal is the smallest normal's value.
  EXPECT_EQ(DecodeExtended(Extended(uint64_t(1) << 63, 0)), std::ldexp(1.0L, -16382));
}

TEST(Graph3DFile, ExtendedCodecMatchesTheMachineFormat) {
  if constexpr (LDBL_MANT_DIG != 64) {
    GTEST_SKIP() << "long double is not the x87 format here";
  } else {
    // Our own conversion against the hardware's layout, over many magnitudes.
    std::mt19937_64 random(20240611);
    std::uniform_int_distribution<int> exponent(-16440, 16380);
    for (int n = 0; n < 20000; ++n) {
      const uint64_t bits = random() | (uint64_t(1) << 63);
      long double value = std::ldexp(static_cast<long double>(bits), exponent(random) - 63);
      if (n % 7 == 0) value = std::ldexp(static_cast<long double>(bits >> (1 + n % 63)), -16445);  // denormals
      if (n % 2) value = -value;
      unsigned char machine[sizeof(long double)] = {};
      std::memcpy(machine, &value, sizeof value);
      const TExtendedImage ours = EncodeExtended(value);
      ASSERT_EQ(std::memcmp(ours.data(), machine, kExtendedSize), 0) << Hex(machine, kExtendedSize);
      ExpectSame(DecodeExtended(ours), value);
    }
  }
}

}  // namespace
