// The functions a formula calls most, inline, for the function library and
// for the evaluator, which computes them without a call so that the values
// it holds stay in registers.
#pragma once

#include "engine/Formula_functions.h"

#include <cmath>
#include <cstdint>

namespace FormulaKernel {

// rad(x): the product first, then the quotient, in extended precision.
inline long double Rad(double x) { return (kPi * static_cast<long double>(x)) / 180.0L; }

// Sine and cosine within +-pi/4 as polynomials in z = r*r of least maximum
// relative error there (0.07 and 0.001 units in the last place), in
// Estrin's form, whose short dependency chains keep the x87 pipeline busy.
// The coefficients that reach the last bits are 80-bit, the rest doubles.
inline long double SinPoly(long double r) {
  constexpr long double s0 = -0xaaaaaaaaaaaaaa9fp-66L, s1 = 0x888888888888608ap-70L;
  constexpr double s2 = -0x1.a01a01a018c73p-13, s3 = 0x1.71de3a5344c0dp-19,
                   s4 = -0x1.ae645293593d6p-26, s5 = 0x1.6120866c41966p-33,
                   s6 = -0x1.aa9bd11cf26c8p-41;
  const long double z = r * r, z2 = z * z, z4 = z2 * z2, rz = r * z;
  const long double p = (s0 + s1 * z + z2 * (s2 + s3 * z)) + z4 * (s4 + s5 * z + z2 * s6);
  return r + rz * p;
}
inline long double CosPoly(long double r) {
  constexpr long double c1 = 0xaaaaaaaaaaaaaa8ap-68L, c2 = -0xb60b60b60b606204p-73L;
  constexpr double c3 = 0x1.a01a01a018796p-16, c4 = -0x1.27e4fb75a05cbp-22,
                   c5 = 0x1.1eed8c4556e77p-29, c6 = -0x1.9392d559789ffp-37,
                   c7 = 0x1.aa9bc9f405673p-45;
  const long double z = r * r, z2 = z * z, z4 = z2 * z2;
  const long double q = (-0.5L + c1 * z + z2 * (c2 + c3 * z)) + z4 * (c4 + c5 * z + z2 * (c6 + c7 * z));
  return 1 + z * q;
}
// The tangent within +-pi/4: the x87 instruction, exact to the last bits
// there (beyond, it reduces with a 66-bit pi and loses digits near zeros).
inline long double TanOfReduced(long double r) {
  long double v;
  __asm__("fptan\n\tfstp %%st(0)" : "=t"(v) : "0"(r));  // fptan pushes a 1 after the tangent
  return v;
}

constexpr long double kPiOver4 = 0xc90fdaa22168c235p-64L;
constexpr long double kTwoOverPi = 0xa2f9836e4e44152ap-64L;
// pi/2 in three parts, the first two with 24 trailing zero bits, so that
// their products with a whole k below 2^24 are exact.
constexpr long double kPiOver2Part1 = 0xc90fdaa221p-39L;
constexpr long double kPiOver2Part2 = 0xd18469898dp-80L;
constexpr long double kPiOver2Part3 = -0x75d1fc8f8cbb5bf7p-145L;
// Beyond these the reduction would need k of 24 bits or more: the C library
// computes such arguments.
constexpr long double kReduceLimit = 0x1p24L;
constexpr double kDegreeReduceLimit = 0x1p30;  // rad(2^30) < 2^24

// y - k*pi/2 for a whole k (|k| < 2^24): exact to the last bits for the k
// nearest to y*2/pi, and within the polynomials' range for its neighbours.
inline long double ReduceBy(long double y, long double k) {
  return ((y - k * kPiOver2Part1) - k * kPiOver2Part2) - k * kPiOver2Part3;
}
// The k nearest to y*2/pi (|y| <= kReduceLimit) and its quadrant k mod 4.
inline long double QuarterTurns(long double y, int& q) {
  constexpr long double round = 0x3p62L;  // adding it rounds to a whole number
  const long double k = (y * kTwoOverPi + round) - round;
  q = static_cast<int>(static_cast<int64_t>(static_cast<double>(k)) & 3);
  return k;
}
// The same k from the degree argument x, for y = rad(x) (|x| <=
// kDegreeReduceLimit): computed in double beside the division of rad(x),
// it may differ from the nearest only where r is close to +-pi/4.
inline long double QuarterTurnsOfDegrees(double x, int& q) {
  constexpr double round = 0x1.8p52;
  const double k = (x * (1.0 / 90) + round) - round;
  q = static_cast<int>(static_cast<int64_t>(k) & 3);
  return k;
}

// sin and cos of y - k*pi/2 by the quadrant q of k.
inline long double SinInQuadrant(long double r, int q) {
  switch (q) {
    case 0: return SinPoly(r);
    case 1: return CosPoly(r);
    case 2: return -SinPoly(r);
    default: return -CosPoly(r);
  }
}
inline long double CosInQuadrant(long double r, int q) {
  switch (q) {
    case 0: return CosPoly(r);
    case 1: return -SinPoly(r);
    case 2: return -CosPoly(r);
    default: return SinPoly(r);
  }
}

// sin and cos of rad(x) for a finite x.
inline long double SinOfDegrees(double x) {
  const long double y = Rad(x);
  if (!(std::fabs(x) <= kDegreeReduceLimit)) return sinl(y);
  int q;
  const long double k = QuarterTurnsOfDegrees(x, q);
  return SinInQuadrant(ReduceBy(y, k), q);
}
inline long double CosOfDegrees(double x) {
  const long double y = Rad(x);
  if (!(std::fabs(x) <= kDegreeReduceLimit)) return cosl(y);
  int q;
  const long double k = QuarterTurnsOfDegrees(x, q);
  return CosInQuadrant(ReduceBy(y, k), q);
}

// sin or cos of an argument that is not finite: NaN stays NaN, an infinity
// has no value (an invalid operation).
[[gnu::cold, gnu::noinline]] long double NotFinite(double x);

// The values of the functions by name; see the function library.
inline long double Sin(double x) {
  if (__builtin_expect(!std::isfinite(x), 0)) return NotFinite(x);
  return SinOfDegrees(x);
}
inline long double Cos(double x) {
  if (x == 90) return 0;
  if (__builtin_expect(!std::isfinite(x), 0)) return NotFinite(x);
  return CosOfDegrees(x);
}
inline long double Abs(double x) { return std::fabs(static_cast<long double>(x)); }
inline long double Sqrt(double x, TDomainError& error) {
  if (x < 0) {
    error = TDomainError::Sqrt;
    return __builtin_nanl("");
  }
  long double v = x;
  __asm__("fsqrt" : "+t"(v));
  return v;
}

}  // namespace FormulaKernel
