// The portable elementary functions: argument reduction with split constants whose products
// with the reduction multiple are exact, then a polynomial on the reduced argument. Every
// step is an IEEE operation on doubles; the build contracts nothing into fused multiply-adds.
#include "dsp/Maths.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace Dsp {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// ln 2 split so that k * kLn2Hi is exact for |k| < 2^11.
constexpr double kLn2Hi = 0x1.62e42fefa3800p-1;
constexpr double kLn2Lo = 0x1.ef35793c76730p-45;
constexpr double kInvLn2 = 0x1.71547652b82fep+0;
constexpr double kHalfSqrt2 = 0x1.6a09e667f3bcdp-1;
// pi / 2 in three parts, the first two of 33 bits, so that n times either is exact for
// n < 2^20.
constexpr double kPio2Part1 = 0x1.921fb54400000p+0;
constexpr double kPio2Part2 = 0x1.0b4611a600000p-34;
constexpr double kPio2Part3 = 0x1.3198a2e037073p-69;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kPiOver4 = 0x1.921fb54442d18p-1;
constexpr double kTwoPi = 0x1.921fb54442d18p+2;
constexpr double kExactReduction = 0x1p20;
constexpr double kExpOverflow = 709.782712893383973096;
constexpr double kExpUnderflow = -745.133219101941108420;

double FromBits(std::uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}
std::uint64_t Bits(double d) {
  std::uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

// y * 2^k for a normal y near 1, in one rounding (only the last multiplication can round).
double Scale(double y, int k) {
  if (k > 1023) {
    y *= 0x1p1023;
    k -= 1023;
  } else if (k < -1022) {
    y *= 0x1p-968;  // 2^-1022 * 2^54: stays normal, so the next product is the one rounding
    k += 968;
  }
  return y * FromBits(static_cast<std::uint64_t>(k + 1023) << 52);
}

template <int N>
double Polynomial(double z, const double (&c)[N]) {
  double p = c[N - 1];
  for (int i = N - 2; i >= 0; --i) p = c[i] + z * p;
  return p;
}

// r * coth(r / 2) - 2 = r^2 * P(r^2): the Bernoulli series, exact far below a unit in the last
// place for |r| <= ln 2 / 2.
constexpr double kExpP[] = {0x1.5555555555555p-3,  -0x1.6c16c16c16c17p-9, 0x1.1566abc011567p-14,
                            -0x1.bbd779334ef0bp-20, 0x1.66a8f2bf70ebep-25, -0x1.22805d644267fp-30,
                            0x1.d6db2c4e09162p-36};
// 2 atanh(s) = 2s + s * z * L(z), z = s^2, with L's coefficients 2 / (2k + 1).
constexpr double kLogL[] = {0x1.5555555555555p-1, 0x1.999999999999ap-2, 0x1.2492492492492p-2, 0x1.c71c71c71c71cp-3,
                            0x1.745d1745d1746p-3, 0x1.3b13b13b13b14p-3, 0x1.1111111111111p-3, 0x1.e1e1e1e1e1e1ep-4,
                            0x1.af286bca1af28p-4, 0x1.8618618618618p-4};
// sin r = r + r^3 S(r^2), cos r = 1 - r^2 / 2 + r^4 C(r^2): Taylor series for |r| <= pi / 4.
constexpr double kSinS[] = {-0x1.5555555555555p-3, 0x1.1111111111111p-7,  -0x1.a01a01a01a01ap-13,
                            0x1.71de3a556c734p-19,  -0x1.ae64567f544e4p-26, 0x1.6124613a86d09p-33,
                            -0x1.ae7f3e733b81fp-41, 0x1.952c77030ad4ap-49};
constexpr double kCosC[] = {0x1.5555555555555p-5,  -0x1.6c16c16c16c17p-10, 0x1.a01a01a01a01ap-16,
                            -0x1.27e4fb7789f5cp-22, 0x1.1eed8eff8d898p-29,  -0x1.93974a8c07c9dp-37,
                            0x1.ae7f3e733b81fp-45,  -0x1.6827863b97d97p-53};
// sinh x = x + x^3 H(x^2) for |x| < 1.
constexpr double kSinhH[] = {0x1.5555555555555p-3,  0x1.1111111111111p-7,  0x1.a01a01a01a01ap-13,
                             0x1.71de3a556c734p-19, 0x1.ae64567f544e4p-26, 0x1.6124613a86d09p-33,
                             0x1.ae7f3e733b81fp-41, 0x1.952c77030ad4ap-49, 0x1.2f49b46814157p-57};

// x as y + tail with |y| <= pi / 4 (about), and the quadrant n mod 4 of the reduction.
struct Reduced {
  double y;
  double tail;
  int quadrant;
};

Reduced ReduceQuarterTurns(double x) {
  if (x > -kPiOver4 && x < kPiOver4) return {x, 0.0, 0};
  // Beyond the exact range: the remainder by the double nearest 2 pi, itself exact.
  if (x >= kExactReduction || x <= -kExactReduction) x = std::fmod(x, kTwoPi);
  const double n = static_cast<double>(static_cast<std::int64_t>(x * kTwoOverPi + (x < 0.0 ? -0.5 : 0.5)));
  // x - n * p1 is exact; the second part is taken off with its rounding error kept.
  const double r = x - n * kPio2Part1;
  const double w = n * kPio2Part2;
  const double y = r - w;
  const double tail = ((r - y) - w) - n * kPio2Part3;
  const double sum = y + tail;
  const std::int64_t q = static_cast<std::int64_t>(n);
  return {sum, (y - sum) + tail, static_cast<int>(q & 3)};
}

double SinKernel(double y, double tail) {
  const double z = y * y;
  return y + (tail * (1.0 - 0.5 * z) + y * z * Polynomial(z, kSinS));
}

double CosKernel(double y, double tail) {
  const double z = y * y;
  const double hz = 0.5 * z;
  const double w = 1.0 - hz;
  return w + ((((1.0 - w) - hz) - y * tail) + z * z * Polynomial(z, kCosC));
}

}  // namespace

double Exp(double x) {
  if (x != x) return x;
  if (x > kExpOverflow) return kInf;
  if (x < kExpUnderflow) return 0.0;
  const int k = static_cast<int>(x * kInvLn2 + (x < 0.0 ? -0.5 : 0.5));
  const double hi = x - k * kLn2Hi;
  const double lo = k * kLn2Lo;
  const double r = hi - lo;
  const double t = r * r;
  const double c = r - t * Polynomial(t, kExpP);
  const double y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
  return k == 0 ? y : Scale(y, k);
}

double Log(double x) {
  if (x != x) return x;
  if (x < 0.0) return std::numeric_limits<double>::quiet_NaN();
  if (x == 0.0) return -kInf;
  if (x == kInf) return x;
  int k = 0;
  if (x < 0x1p-1022) {  // subnormal: make it normal first
    x *= 0x1p54;
    k = -54;
  }
  // x = 2^k * m with m in [sqrt(2) / 2, sqrt(2)).
  const std::uint64_t bits = Bits(x);
  k += static_cast<int>((bits >> 52) & 0x7ff) - 1023;
  double m = FromBits((bits & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
  if (m > 2.0 * kHalfSqrt2) {
    m *= 0.5;
    ++k;
  }
  const double f = m - 1.0;
  const double s = f / (2.0 + f);
  const double z = s * s;
  const double hfsq = 0.5 * f * f;
  const double r = z * Polynomial(z, kLogL);
  const double dk = static_cast<double>(k);
  return dk * kLn2Hi - ((hfsq - (s * (hfsq + r) + dk * kLn2Lo)) - f);
}

double Sin(double x) {
  if (x == 0.0 || x != x) return x;
  if (x == kInf || x == -kInf) return std::numeric_limits<double>::quiet_NaN();
  const Reduced r = ReduceQuarterTurns(x);
  switch (r.quadrant) {
    case 0: return SinKernel(r.y, r.tail);
    case 1: return CosKernel(r.y, r.tail);
    case 2: return -SinKernel(r.y, r.tail);
    default: return -CosKernel(r.y, r.tail);
  }
}

double Cos(double x) {
  if (x != x) return x;
  if (x == kInf || x == -kInf) return std::numeric_limits<double>::quiet_NaN();
  const Reduced r = ReduceQuarterTurns(x);
  switch (r.quadrant) {
    case 0: return CosKernel(r.y, r.tail);
    case 1: return -SinKernel(r.y, r.tail);
    case 2: return -CosKernel(r.y, r.tail);
    default: return SinKernel(r.y, r.tail);
  }
}

double Tan(double x) {
  if (x == 0.0 || x != x) return x;
  if (x == kInf || x == -kInf) return std::numeric_limits<double>::quiet_NaN();
  const Reduced r = ReduceQuarterTurns(x);
  const double s = SinKernel(r.y, r.tail);
  const double c = CosKernel(r.y, r.tail);
  return (r.quadrant & 1) ? -c / s : s / c;
}

double Sinh(double x) {
  if (x == 0.0 || x != x) return x;
  const double a = x < 0.0 ? -x : x;
  double h;
  if (a < 1.0) {
    const double z = a * a;
    h = a + a * z * Polynomial(z, kSinhH);
  } else if (a < kExpOverflow) {
    const double e = Exp(a);
    h = 0.5 * e - 0.5 / e;
  } else {
    const double e = Exp(0.5 * a);
    h = (0.5 * e) * e;
  }
  return x < 0.0 ? -h : h;
}

double Cosh(double x) {
  if (x != x) return x;
  const double a = x < 0.0 ? -x : x;
  if (a < kExpOverflow) {
    const double e = Exp(a);
    return 0.5 * e + 0.5 / e;
  }
  const double e = Exp(0.5 * a);
  return (0.5 * e) * e;
}

}  // namespace Dsp
