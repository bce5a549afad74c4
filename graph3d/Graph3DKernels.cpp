#include "graph3d/Graph3DKernels.h"

#include <bit>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace graph3d::kernels {

namespace {

// RoundCoord for every number the projection gives; a height that is not a
// number gives the lower limit.
inline int32_t RoundProjected(double v) {
  constexpr double kLimit = kCoordLimit, kMagic = 6755399441055744.0;
  v = v > -kLimit ? v : -kLimit;
  v = v < kLimit ? v : kLimit;
  return static_cast<int32_t>((v + kMagic) - kMagic);
}

inline float Water(float h, int mode, float level) {
  if (mode == 1) return h < level ? level : h;
  if (mode == 2) return h > level ? level : h;
  return h;
}

inline uint64_t Key(float d, uint32_t point) { return (uint64_t(std::bit_cast<uint32_t>(d)) << 32) | point; }

#if defined(__SSE2__)

// Singles 0..1 and 2..3 of v as doubles.
inline __m128d Low(__m128 v) { return _mm_cvtps_pd(v); }
inline __m128d High(__m128 v) { return _mm_cvtps_pd(_mm_movehl_ps(v, v)); }
// Two doubles each rounded to single, as four singles.
inline __m128 Singles(__m128d low, __m128d high) { return _mm_movelh_ps(_mm_cvtpd_ps(low), _mm_cvtpd_ps(high)); }

// single(((a1 + b1) + b0) + a0) / 4 for four cells, the halves in double.
inline __m128 Centroids(const float* a, const float* b) {
  const __m128 a0 = _mm_loadu_ps(a), a1 = _mm_loadu_ps(a + 1), b0 = _mm_loadu_ps(b), b1 = _mm_loadu_ps(b + 1);
  const __m128d quarter = _mm_set1_pd(0.25);
  const __m128d low = _mm_add_pd(_mm_add_pd(_mm_add_pd(Low(a1), Low(b1)), Low(b0)), Low(a0));
  const __m128d high = _mm_add_pd(_mm_add_pd(_mm_add_pd(High(a1), High(b1)), High(b0)), High(a0));
  return Singles(_mm_mul_pd(low, quarter), _mm_mul_pd(high, quarter));
}

// Four keys from four distances and the running point numbers.
inline void StoreKeys(uint64_t* out, __m128 d, __m128i points) {
  const __m128i bits = _mm_castps_si128(d);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi32(points, bits));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 2), _mm_unpackhi_epi32(points, bits));
}

inline float Lane0(__m128 v) { return _mm_cvtss_f32(v); }

// The smallest and largest lane.
inline void Fold(__m128 lo4, __m128 hi4, float& lo, float& hi) {
  lo4 = _mm_min_ps(lo4, _mm_movehl_ps(lo4, lo4));
  lo4 = _mm_min_ps(lo4, _mm_shuffle_ps(lo4, lo4, 1));
  hi4 = _mm_max_ps(hi4, _mm_movehl_ps(hi4, hi4));
  hi4 = _mm_max_ps(hi4, _mm_shuffle_ps(hi4, hi4, 1));
  const float l = Lane0(lo4), h = Lane0(hi4);
  lo = l < lo ? l : lo;
  hi = h > hi ? h : hi;
}

#endif

}  // namespace

namespace {

// The squared Y share of the cells' distances, from two rows of Y.
struct TRowsY {
  const float *A, *B;
  double Eye;
  double At(int32_t i) const {
    const float cy = static_cast<float>((double(A[i + 1]) + B[i + 1] + B[i] + A[i]) / 4);
    const double dy = double(cy) - Eye;
    return dy * dy;
  }
#if defined(__SSE2__)
  // cells i..i+1 and i+2..i+3
  void At4(int32_t i, __m128d& low, __m128d& high) const {
    const __m128 cy = Centroids(A + i, B + i);
    const __m128d eye = _mm_set1_pd(Eye);
    const __m128d dyl = _mm_sub_pd(Low(cy), eye), dyh = _mm_sub_pd(High(cy), eye);
    low = _mm_mul_pd(dyl, dyl);
    high = _mm_mul_pd(dyh, dyh);
  }
#endif
};

// The same when each line keeps one Y: one share for every cell.
struct TOneY {
  double Share;
  TOneY(float ya, float yb, double eye) {
    const float cy = static_cast<float>((double(ya) + yb + yb + ya) / 4);
    const double dy = double(cy) - eye;
    Share = dy * dy;
  }
  double At(int32_t) const { return Share; }
#if defined(__SSE2__)
  void At4(int32_t, __m128d& low, __m128d& high) const { low = high = _mm_set1_pd(Share); }
#endif
};

template <typename TY>
void Keys(const float* xa, const float* xb, const TY& y, int32_t count, double eyeX, uint32_t point, uint64_t* out,
          float& lo, float& hi) {
  int32_t i = 0;
#if defined(__SSE2__)
  if (count >= 4) {
    const __m128d ex = _mm_set1_pd(eyeX);
    __m128 lo4 = _mm_set1_ps(lo), hi4 = _mm_set1_ps(hi);
    __m128i points = _mm_add_epi32(_mm_set1_epi32(int(point)), _mm_setr_epi32(0, 1, 2, 3));
    for (; i + 4 <= count; i += 4) {
      const __m128 cx = Centroids(xa + i, xb + i);
      const __m128d dxl = _mm_sub_pd(Low(cx), ex), dxh = _mm_sub_pd(High(cx), ex);
      __m128d dyl, dyh;
      y.At4(i, dyl, dyh);
      const __m128 d = Singles(_mm_add_pd(_mm_mul_pd(dxl, dxl), dyl), _mm_add_pd(_mm_mul_pd(dxh, dxh), dyh));
      lo4 = _mm_min_ps(d, lo4);
      hi4 = _mm_max_ps(d, hi4);
      StoreKeys(out + i, d, points);
      points = _mm_add_epi32(points, _mm_set1_epi32(4));
    }
    Fold(lo4, hi4, lo, hi);
  }
#endif
  for (; i < count; ++i) {
    const float cx = static_cast<float>((double(xa[i + 1]) + xb[i + 1] + xb[i] + xa[i]) / 4);
    const double dx = double(cx) - eyeX;
    const float d = static_cast<float>(dx * dx + y.At(i));
    lo = d < lo ? d : lo;
    hi = d > hi ? d : hi;
    out[i] = Key(d, point + uint32_t(i));
  }
}

}  // namespace

void CellKeys(const float* xa, const float* xb, const float* ya, const float* yb, int32_t count, double eyeX,
              double eyeY, uint32_t point, uint64_t* out, float& lo, float& hi) {
  Keys(xa, xb, TRowsY{ya, yb, eyeY}, count, eyeX, point, out, lo, hi);
}

void CellKeysOneY(const float* xa, const float* xb, float ya, float yb, int32_t count, double eyeX, double eyeY,
                  uint32_t point, uint64_t* out, float& lo, float& hi) {
  Keys(xa, xb, TOneY(ya, yb, eyeY), count, eyeX, point, out, lo, hi);
}

void ProjectLine(const float* xs, const float* ys, const float* zs, int32_t count, const TProjection& m,
                 int waterMode, float waterLevel, TScreenPair* out, TScreenPair* above) {
  const int mode = waterMode == 1 || waterMode == 2 ? waterMode : 0;
  int32_t i = 0;
#if defined(__SSE2__)
  const __m128d sinT = _mm_set1_pd(m.SinT), cosT = _mm_set1_pd(m.CosT), sinP = _mm_set1_pd(m.SinP);
  const __m128d cosP = _mm_set1_pd(m.CosP), scaleX = _mm_set1_pd(m.ScaleX), scaleY = _mm_set1_pd(m.ScaleY);
  const __m128d lowest = _mm_set1_pd(-double(kCoordLimit)), highest = _mm_set1_pd(double(kCoordLimit));
  const __m128 level = _mm_set1_ps(waterLevel);
  // Two points: their coordinates, rounded, as (X0, Y0, X1, Y1).
  auto project2 = [&](__m128d x, __m128d y, __m128d z) {
    __m128d sx = _mm_mul_pd(_mm_sub_pd(_mm_mul_pd(x, sinT), _mm_mul_pd(y, cosT)), scaleX);
    __m128d sy = _mm_mul_pd(
        _mm_add_pd(_mm_add_pd(_mm_mul_pd(_mm_mul_pd(x, cosT), sinP), _mm_mul_pd(_mm_mul_pd(y, sinT), sinP)),
                   _mm_mul_pd(z, cosP)),
        scaleY);
    // max and min give their second operand for a NaN: the lower limit, as RoundProjected
    sx = _mm_min_pd(_mm_max_pd(sx, lowest), highest);
    sy = _mm_min_pd(_mm_max_pd(sy, lowest), highest);
    return _mm_unpacklo_epi32(_mm_cvtpd_epi32(sx), _mm_cvtpd_epi32(sy));
  };
  auto store = [](TScreenPair* at, __m128i q) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&at[0].Here), q);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&at[1].Here), _mm_srli_si128(q, 8));
  };
  auto storeNext = [](TScreenPair* at, __m128i q) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&at[0].Next), q);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&at[1].Next), _mm_srli_si128(q, 8));
  };
  for (; i + 4 <= count; i += 4) {
    const __m128 x = _mm_loadu_ps(xs + i), y = _mm_loadu_ps(ys + i);
    __m128 h = _mm_loadu_ps(zs + i);
    // (h < level ? level : h) and (h > level ? level : h), NaN aside
    if (mode == 1) h = _mm_max_ps(h, level);
    else if (mode == 2) h = _mm_min_ps(h, level);
    const __m128i q01 = project2(Low(x), Low(y), Low(h)), q23 = project2(High(x), High(y), High(h));
    store(out + i, q01);
    store(out + i + 2, q23);
    if (above) {
      storeNext(above + i, q01);
      storeNext(above + i + 2, q23);
    }
  }
#endif
  for (; i < count; ++i) {
    const double x = xs[i], y = ys[i], z = Water(zs[i], mode, waterLevel);
    const TPoint q{RoundProjected((x * m.SinT - y * m.CosT) * m.ScaleX),
                   RoundProjected((x * m.CosT * m.SinP + y * m.SinT * m.SinP + z * m.CosP) * m.ScaleY)};
    out[i].Here = q;
    if (above) above[i].Next = q;
  }
}

void CellBands(const float* za, const float* zb, int32_t count, int waterMode, float waterLevel,
               const float (&bound)[10], uint8_t* out) {
  const int mode = waterMode == 1 || waterMode == 2 ? waterMode : 0;
  int32_t i = 0;
#if defined(__SSE2__)
  const __m128 level = _mm_set1_ps(waterLevel);
  for (; i + 4 <= count; i += 4) {
    __m128 v = Centroids(za + i, zb + i);
    if (mode == 1) v = _mm_max_ps(v, level);
    else if (mode == 2) v = _mm_min_ps(v, level);
    __m128i above = _mm_setzero_si128();  // minus the number of bounds below v
    for (int b = 0; b < 10; ++b) above = _mm_add_epi32(above, _mm_castps_si128(_mm_cmpnle_ps(v, _mm_set1_ps(bound[b]))));
    const __m128i band = _mm_sub_epi32(_mm_setzero_si128(), above);
    // ten becomes nine
    const __m128i nine = _mm_set1_epi32(9);
    const __m128i clamped = _mm_sub_epi32(band, _mm_and_si128(_mm_cmpgt_epi32(band, nine), _mm_set1_epi32(1)));
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(clamped, clamped), _mm_setzero_si128());
    const int four = _mm_cvtsi128_si32(bytes);
    __builtin_memcpy(out + i, &four, 4);
  }
#endif
  for (; i < count; ++i) {
    const float v = Water(static_cast<float>((double(za[i + 1]) + zb[i + 1] + zb[i] + za[i]) / 4), mode, waterLevel);
    int band = 0;
    for (int b = 0; b < 10; ++b) band += !(v <= bound[b]);
    out[i] = static_cast<uint8_t>(band < 9 ? band : 9);
  }
}

void CellShades(const float* xa, const float* xb, const float* ya, const float* yb, const float* za, const float* zb,
                int32_t count, const float (&light)[3], int waterMode, float waterLevel, uint8_t* out) {
  const int mode = waterMode == 1 || waterMode == 2 ? waterMode : 0;
  const float lx = light[0], ly = light[1], lz = light[2], top = float(kShadeLevels - 1);
  int32_t i = 0;
#if defined(__SSE2__)
  const __m128 level = _mm_set1_ps(waterLevel), Lx = _mm_set1_ps(lx), Ly = _mm_set1_ps(ly), Lz = _mm_set1_ps(lz);
  const __m128 zero = _mm_setzero_ps(), one = _mm_set1_ps(1), topV = _mm_set1_ps(top), half = _mm_set1_ps(0.5f);
  const __m128 magnitude = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
  // max(level, h) is level > h ? level : h, so a NaN stays as in Water()
  auto water = [&](__m128 h) {
    if (mode == 1) return _mm_max_ps(level, h);
    if (mode == 2) return _mm_min_ps(level, h);
    return h;
  };
  for (; i + 4 <= count; i += 4) {
    const __m128 a0 = _mm_loadu_ps(za + i), a1 = _mm_loadu_ps(za + i + 1);
    const __m128 b0 = _mm_loadu_ps(zb + i), b1 = _mm_loadu_ps(zb + i + 1);
    const __m128 dx = _mm_sub_ps(_mm_loadu_ps(xb + i + 1), _mm_loadu_ps(xa + i));
    const __m128 dy = _mm_sub_ps(_mm_loadu_ps(yb + i + 1), _mm_loadu_ps(ya + i));
    const __m128 dz = _mm_sub_ps(water(b1), water(a0));
    const __m128 ex = _mm_sub_ps(_mm_loadu_ps(xb + i), _mm_loadu_ps(xa + i + 1));
    const __m128 ey = _mm_sub_ps(_mm_loadu_ps(yb + i), _mm_loadu_ps(ya + i + 1));
    const __m128 ez = _mm_sub_ps(water(b0), water(a1));
    const __m128 nx = _mm_sub_ps(_mm_mul_ps(dy, ez), _mm_mul_ps(dz, ey));
    const __m128 ny = _mm_sub_ps(_mm_mul_ps(dz, ex), _mm_mul_ps(dx, ez));
    const __m128 nz = _mm_sub_ps(_mm_mul_ps(dx, ey), _mm_mul_ps(dy, ex));
    const __m128 dot = _mm_add_ps(_mm_add_ps(_mm_mul_ps(nx, Lx), _mm_mul_ps(ny, Ly)), _mm_mul_ps(nz, Lz));
    const __m128 len =
        _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(nx, nx), _mm_mul_ps(ny, ny)), _mm_mul_ps(nz, nz)));
    __m128 s = _mm_div_ps(_mm_and_ps(dot, magnitude), len);
    s = _mm_min_ps(_mm_max_ps(s, zero), one);
    __m128i shade = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(s, topV), half));
    if (mode != 0) {
      const __m128 flat =
          mode == 1 ? _mm_and_ps(_mm_and_ps(_mm_cmplt_ps(a0, level), _mm_cmplt_ps(a1, level)),
                                 _mm_and_ps(_mm_cmplt_ps(b1, level), _mm_cmplt_ps(b0, level)))
                    : _mm_and_ps(_mm_and_ps(_mm_cmpgt_ps(a0, level), _mm_cmpgt_ps(a1, level)),
                                 _mm_and_ps(_mm_cmpgt_ps(b1, level), _mm_cmpgt_ps(b0, level)));
      shade = _mm_or_si128(shade, _mm_and_si128(_mm_castps_si128(flat), _mm_set1_epi32(kWaterShade)));
    }
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(shade, shade), _mm_setzero_si128());
    const int four = _mm_cvtsi128_si32(bytes);
    __builtin_memcpy(out + i, &four, 4);
  }
#endif
  for (; i < count; ++i) {
    const float dx = xb[i + 1] - xa[i], dy = yb[i + 1] - ya[i];
    const float dz = Water(zb[i + 1], mode, waterLevel) - Water(za[i], mode, waterLevel);
    const float ex = xb[i] - xa[i + 1], ey = yb[i] - ya[i + 1];
    const float ez = Water(zb[i], mode, waterLevel) - Water(za[i + 1], mode, waterLevel);
    const float nx = dy * ez - dz * ey, ny = dz * ex - dx * ez, nz = dx * ey - dy * ex;
    const float dot = nx * lx + ny * ly + nz * lz;
    float s = std::fabs(dot) / std::sqrt(nx * nx + ny * ny + nz * nz);
    s = s > 0 ? s : 0;  // also a NaN of a cell without area or value
    s = s < 1 ? s : 1;
    int shade = static_cast<int>(s * top + 0.5f);
    const float L = waterLevel;
    if ((mode == 1 && za[i] < L && za[i + 1] < L && zb[i + 1] < L && zb[i] < L) ||
        (mode == 2 && za[i] > L && za[i + 1] > L && zb[i + 1] > L && zb[i] > L))
      shade |= kWaterShade;
    out[i] = static_cast<uint8_t>(shade);
  }
}

}  // namespace graph3d::kernels
