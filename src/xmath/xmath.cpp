// Elementary functions from correctly rounded operations only. The kernels are the classic
// minimax polynomials of the freely distributable fdlibm (error below 1 ulp on their intervals);
// pow takes log in double-double so that its reduction does not lose the low bits.
// The polynomial coefficients come from fdlibm, whose notice is kept as it asks:
//   Copyright (C) 1993 by Sun Microsystems, Inc. All rights reserved.
//   Developed at SunPro, a Sun Microsystems, Inc. business.
//   Permission to use, copy, modify, and distribute this software is freely granted,
//   provided that this notice is preserved.
#include "xmath/xmath.h"

#include <cmath>
#include <cstring>

static uint64_t Bits(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

static double FromBits(uint64_t b) {
  double x;
  std::memcpy(&x, &b, sizeof x);
  return x;
}

// High 32 bits without the sign: exponent and top of the mantissa, as the thresholds below use.
static uint32_t HighAbs(double x) { return (uint32_t)(Bits(x) >> 32) & 0x7fffffffu; }

// 2^k for -1022 <= k <= 1023.
static double Pow2(int32_t k) { return FromBits((uint64_t)(k + 1023) << 52); }

// y * 2^k, rounded once (only a subnormal result rounds); -2000 < k < 2000.
static double Scale2(double y, int32_t k) {
  if (k > 1023) return y * Pow2(1023) * Pow2(k - 1023);
  if (k >= -1021) return y * Pow2(k);
  return y * Pow2(k + 1000) * Pow2(-1000);
}

// ---- sin, cos, tan ----

// pi/2 in three 33-bit parts and their tails: n * part is exact for n < 2^20.
static const double kInvPio2 = 0x1.45f306dc9c883p-1;
static const double kPio2_1 = 0x1.921fb544p+0, kPio2_1t = 0x1.0b4611a626331p-34;
static const double kPio2_2 = 0x1.0b4611a6p-34, kPio2_2t = 0x1.3198a2e037073p-69;
static const double kPio2_3 = 0x1.3198a2ep-69, kPio2_3t = 0x1.b839a252049c1p-104;

static int32_t ExponentOf(double x) { return (int32_t)((Bits(x) >> 52) & 0x7ff); }

// x = n pi/2 + (*y0 + *y1), |y0| <= ~pi/4, for finite |x| < 2^20 pi/2; returns n. Each further
// part of pi/2 is taken only when the previous difference cancelled more than 16 (49) bits.
static int32_t ReducePio2(double x, double* y0, double* y1) {
  const double t = std::fabs(x);
  const int32_t n = (int32_t)(t * kInvPio2 + 0.5);
  const double fn = n;
  const int32_t j = ExponentOf(t);
  double r = t - fn * kPio2_1, w = fn * kPio2_1t;
  *y0 = r - w;
  if (j - ExponentOf(*y0) > 16) {
    double u = r;
    w = fn * kPio2_2;
    r = u - w;
    w = fn * kPio2_2t - ((u - r) - w);
    *y0 = r - w;
    if (j - ExponentOf(*y0) > 49) {
      u = r;
      w = fn * kPio2_3;
      r = u - w;
      w = fn * kPio2_3t - ((u - r) - w);
      *y0 = r - w;
    }
  }
  *y1 = (r - *y0) - w;
  if (x < 0) {
    *y0 = -*y0;
    *y1 = -*y1;
    return -n;
  }
  return n;
}

// sin(x + y) for |x| <= ~pi/4, y the tail of x (0 when x is exact).
static double KernelSin(double x, double y) {
  const double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03, S3 = -1.98412698298579493134e-04,
               S4 = 2.75573137070700676789e-06, S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
  const double z = x * x, v = z * x;
  const double r = S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)));
  if (y == 0.0) return x + v * (S1 + z * r);
  return x - ((z * (0.5 * y - v * r) - y) - v * S1);
}

// cos(x + y) for |x| <= ~pi/4.
static double KernelCos(double x, double y) {
  const double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03, C3 = 2.48015872894767294178e-05,
               C4 = -2.75573143513906633035e-07, C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;
  const double z = x * x, w = z * z;
  const double r = z * (C1 + z * (C2 + z * C3)) + w * w * (C4 + z * (C5 + z * C6));
  const double hz = 0.5 * z, u = 1.0 - hz;
  return u + (((1.0 - u) - hz) + (z * r - x * y));
}

// Quadrant and reduced argument of any x; non-finite x gives NaN in *y0.
static int32_t Reduce(double x, double* y0, double* y1) {
  if (HighAbs(x) <= 0x3fe921fbu) {  // |x| <= ~pi/4: no reduction
    *y0 = x;
    *y1 = 0.0;
    return 0;
  }
  if (HighAbs(x) >= 0x7ff00000u) {
    *y0 = x - x;
    *y1 = 0.0;
    return 0;
  }
  if (HighAbs(x) >= 0x413921fbu) x = std::fmod(x, 2.0 * 0x1.921fb54442d18p+0);  // exact, not accurate
  return ReducePio2(x, y0, y1);
}

double xMathSin(double x) {
  if (HighAbs(x) < 0x3e400000u) return x;  // |x| < 2^-27: sin x rounds to x
  double y0, y1;
  switch (Reduce(x, &y0, &y1) & 3) {
    case 0: return KernelSin(y0, y1);
    case 1: return KernelCos(y0, y1);
    case 2: return -KernelSin(y0, y1);
    default: return -KernelCos(y0, y1);
  }
}

double xMathCos(double x) {
  if (HighAbs(x) < 0x3e400000u) return 1.0;
  double y0, y1;
  switch (Reduce(x, &y0, &y1) & 3) {
    case 0: return KernelCos(y0, y1);
    case 1: return -KernelSin(y0, y1);
    case 2: return -KernelCos(y0, y1);
    default: return KernelSin(y0, y1);
  }
}

double xMathTan(double x) {
  if (HighAbs(x) < 0x3e400000u) return x;
  double y0, y1;
  const int32_t n = Reduce(x, &y0, &y1);
  const double s = KernelSin(y0, y1), c = KernelCos(y0, y1);
  return (n & 1) ? -c / s : s / c;
}

// ---- atan, atan2, asin, acos ----

static const double kPio2Hi = 0x1.921fb54442d18p+0, kPio2Lo = 0x1.1a62633145c07p-54;
static const double kPio4Hi = 0x1.921fb54442d18p-1, kPi = 0x1.921fb54442d18p+1;
static const double kPiLo = 0x1.1a62633145c07p-53;

double xMathAtan(double x) {
  // atan of 0.5, 1, 1.5 and infinity, each as a sum of two doubles.
  static const double hi[4] = {0x1.dac670561bb4fp-2, 0x1.921fb54442d18p-1, 0x1.f730bd281f69bp-1, 0x1.921fb54442d18p+0};
  static const double lo[4] = {0x1.a2b7f222f65e2p-56, 0x1.1a62633145c07p-55, 0x1.007887af0cbbdp-56,
                               0x1.1a62633145c07p-54};
  static const double aT[11] = {3.33333333333329318027e-01,  -1.99999999998764832476e-01, 1.42857142725034663711e-01,
                                -1.11111104054623557880e-01, 9.09088713343650656196e-02,  -7.69187620504482999495e-02,
                                6.66107313738753120669e-02,  -5.83357013379057348645e-02, 4.97687799461593236017e-02,
                                -3.65315727442169155270e-02, 1.62858201153657823623e-02};
  const uint32_t ix = HighAbs(x);
  const bool negative = std::signbit(x);
  if (ix >= 0x44100000u) {  // |x| >= 2^66 or NaN
    if (x != x) return x + x;
    return negative ? -hi[3] - lo[3] : hi[3] + lo[3];
  }
  int32_t id = -1;
  if (ix < 0x3fdc0000u) {            // |x| < 0.4375
    if (ix < 0x3e400000u) return x;  // |x| < 2^-27
  } else {
    x = std::fabs(x);
    if (ix < 0x3fe60000u) id = 0, x = (2.0 * x - 1.0) / (2.0 + x);       // 0.4375 <= |x| < 0.6875
    else if (ix < 0x3ff30000u) id = 1, x = (x - 1.0) / (x + 1.0);        // < 1.1875
    else if (ix < 0x40038000u) id = 2, x = (x - 1.5) / (1.0 + 1.5 * x);  // < 2.4375
    else id = 3, x = -1.0 / x;
  }
  const double z = x * x, w = z * z;
  const double s1 = z * (aT[0] + w * (aT[2] + w * (aT[4] + w * (aT[6] + w * (aT[8] + w * aT[10])))));
  const double s2 = w * (aT[1] + w * (aT[3] + w * (aT[5] + w * (aT[7] + w * aT[9]))));
  if (id < 0) return x - x * (s1 + s2);
  const double r = hi[id] - ((x * (s1 + s2) - lo[id]) - x);
  return negative ? -r : r;
}

double xMathAtan2(double y, double x) {
  if (x != x || y != y) return x + y;
  if (x == 1.0) return xMathAtan(y);
  const int32_t m = (std::signbit(x) ? 2 : 0) + (std::signbit(y) ? 1 : 0);
  const bool xInf = std::isinf(x), yInf = std::isinf(y);
  if (y == 0.0) return m == 0 || m == 1 ? y : (m == 2 ? kPi + kPiLo : -kPi - kPiLo);
  if (x == 0.0) return m & 1 ? -kPio2Hi - kPio2Lo : kPio2Hi + kPio2Lo;
  if (xInf) {
    static const double both[4] = {kPio4Hi, -kPio4Hi, 3.0 * kPio4Hi, -3.0 * kPio4Hi};
    static const double flat[4] = {0.0, -0.0, kPi, -kPi};
    return yInf ? both[m] : flat[m];
  }
  if (yInf) return m & 1 ? -kPio2Hi - kPio2Lo : kPio2Hi + kPio2Lo;
  const int32_t k = ExponentOf(y) - ExponentOf(x);
  double z;
  int32_t quadrant = m;
  if (k > 60) {  // |y / x| > 2^60: +-pi/2 whatever the sign of x
    z = kPio2Hi + 0.5 * kPiLo;
    quadrant = m & 1;
  } else if (x < 0 && k < -60) {
    z = 0.0;
  } else {
    z = xMathAtan(std::fabs(y / x));
  }
  switch (quadrant) {
    case 0: return z;
    case 1: return -z;
    case 2: return kPi - (z - kPiLo);
    default: return (z - kPiLo) - kPi;
  }
}

// asin(sqrt(t)) / sqrt(t) - 1 for t = x^2 <= 0.25 as a rational function of t: p(t) / q(t).
static double AsinRatio(double t) {
  const double pS0 = 1.66666666666666657415e-01, pS1 = -3.25565818622400915405e-01, pS2 = 2.01212532134862925881e-01,
               pS3 = -4.00555345006794114027e-02, pS4 = 7.91534994289814532176e-04, pS5 = 3.47933107596021167570e-05;
  const double qS1 = -2.40339491173441421878e+00, qS2 = 2.02094576023350569471e+00, qS3 = -6.88283971605453293030e-01,
               qS4 = 7.70381505559019352791e-02;
  const double p = t * (pS0 + t * (pS1 + t * (pS2 + t * (pS3 + t * (pS4 + t * pS5)))));
  const double q = 1.0 + t * (qS1 + t * (qS2 + t * (qS3 + t * qS4)));
  return p / q;
}

// x with the low 32 bits of the mantissa cleared: its square is exact.
static double HighHalf(double x) { return FromBits(Bits(x) & 0xffffffff00000000ull); }

double xMathAsin(double x) {
  const uint32_t ix = HighAbs(x);
  if (ix >= 0x3ff00000u) {
    if (std::fabs(x) == 1.0) return x * kPio2Hi + x * kPio2Lo;
    return (x - x) / (x - x);  // |x| > 1 or NaN
  }
  if (ix < 0x3fe00000u) {            // |x| < 0.5
    if (ix < 0x3e500000u) return x;  // |x| < 2^-26
    return x + x * AsinRatio(x * x);
  }
  // asin |x| = pi/2 - 2 asin(sqrt((1 - |x|) / 2)).
  const double t = (1.0 - std::fabs(x)) * 0.5;
  const double s = std::sqrt(t), r = AsinRatio(t);
  double v;
  if (ix >= 0x3fef3333u) {  // |x| > 0.975
    v = kPio2Hi - (2.0 * (s + s * r) - kPio2Lo);
  } else {
    const double w = HighHalf(s), c = (t - w * w) / (s + w);
    const double p = 2.0 * s * r - (kPio2Lo - 2.0 * c), q = kPio4Hi - 2.0 * w;
    v = kPio4Hi - (p - q);
  }
  return std::signbit(x) ? -v : v;
}

double xMathAcos(double x) {
  const uint32_t ix = HighAbs(x);
  if (ix >= 0x3ff00000u) {
    if (x == 1.0) return 0.0;
    if (x == -1.0) return kPi + 2.0 * kPio2Lo;
    return (x - x) / (x - x);
  }
  if (ix < 0x3fe00000u) {  // |x| < 0.5
    if (ix <= 0x3c600000u) return kPio2Hi + kPio2Lo;
    return kPio2Hi - (x - (kPio2Lo - x * AsinRatio(x * x)));
  }
  if (x < 0) {  // acos x = pi - 2 asin(sqrt((1 + x) / 2))
    const double z = (1.0 + x) * 0.5, s = std::sqrt(z);
    const double w = AsinRatio(z) * s - kPio2Lo;
    return kPi - 2.0 * (s + w);
  }
  const double z = (1.0 - x) * 0.5, s = std::sqrt(z);  // acos x = 2 asin(sqrt((1 - x) / 2))
  const double df = HighHalf(s), c = (z - df * df) / (s + df);
  const double w = AsinRatio(z) * s + c;
  return 2.0 * (df + w);
}

// ---- exp, pow ----

static const double kLn2Hi = 0x1.62e42feep-1, kLn2Lo = 0x1.a39ef35793c76p-33;  // 32-bit head
static const double kInvLn2 = 0x1.71547652b82fep+0;

// exp(x + xl), |xl| <= ulp(x): x = k ln2 + r, exp(r) from a degree-5 rational correction.
static double ExpTail(double x, double xl) {
  const double P1 = 1.66666666666666019037e-01, P2 = -2.77777777770155933842e-03, P3 = 6.61375632143793436117e-05,
               P4 = -1.65339022054652515390e-06, P5 = 4.13813679705723846039e-08;
  if (x != x) return x + x;
  if (x > 709.782712893384) return INFINITY;
  if (x < -745.1332191019411) return 0.0;
  if (HighAbs(x) < 0x3e300000u && xl == 0.0) return 1.0 + x;  // |x| < 2^-28
  int32_t k = 0;
  double hi = x, lo = -xl;
  if (HighAbs(x) > 0x3fd62e42u) {  // |x| > ln2 / 2
    k = (int32_t)std::floor(x * kInvLn2 + 0.5);
    hi = x - k * kLn2Hi;  // exact: k has at most 11 bits
    lo = k * kLn2Lo - xl;
  }
  const double r = hi - lo, t = r * r;
  const double c = r - t * (P1 + t * (P2 + t * (P3 + t * (P4 + t * P5))));
  const double y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
  return k == 0 ? y : Scale2(y, k);
}

double xMathExp(double x) { return ExpTail(x, 0.0); }

// Double-double helpers (no fused operations): a value is hi + lo with |lo| <= ulp(hi) / 2.
struct Dd {
  double hi, lo;
};

static Dd TwoSum(double a, double b) {
  const double s = a + b, bb = s - a;
  return {s, (a - (s - bb)) + (b - bb)};
}

static Dd TwoProd(double a, double b) {  // |a|, |b| < 2^995 so that the split cannot overflow
  const double p = a * b;
  const double ca = 134217729.0 * a, ah = ca - (ca - a), al = a - ah;
  const double cb = 134217729.0 * b, bh = cb - (cb - b), bl = b - bh;
  return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

static Dd DdAdd(Dd a, Dd b) {
  const Dd s = TwoSum(a.hi, b.hi);
  return TwoSum(s.hi, s.lo + a.lo + b.lo);
}

static Dd DdMul(Dd a, Dd b) {
  const Dd p = TwoProd(a.hi, b.hi);
  return TwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

static Dd DdDiv(Dd a, Dd b) {
  const double q = a.hi / b.hi;
  const Dd p = DdMul({q, 0.0}, b), r = DdAdd(a, {-p.hi, -p.lo});
  return TwoSum(q, r.hi / b.hi);
}

// log x for finite x > 0 to about 2^-100: x = 2^e m, sqrt(1/2) <= m < sqrt(2), and
// log m = 2 atanh(s), s = (m - 1) / (m + 1), |s| < 0.172, summed to s^43.
static Dd LogDd(double x) {
  int32_t e = 0;
  if (x < 0x1p-1022) x *= 0x1p54, e = -54;
  const uint64_t b = Bits(x);
  e += (int32_t)(b >> 52) - 1023;
  double m = FromBits((b & 0x000fffffffffffffull) | 0x3ff0000000000000ull);
  if (m > 0x1.6a09e667f3bcdp+0) m *= 0.5, e++;
  const Dd s = DdDiv({m - 1.0, 0.0}, TwoSum(m, 1.0));  // m - 1 is exact
  const Dd s2 = DdMul(s, s);
  Dd sum = {0.0, 0.0};
  for (int32_t j = 21; j >= 0; j--) sum = DdAdd(DdDiv({1.0, 0.0}, {2.0 * j + 1.0, 0.0}), DdMul(sum, s2));
  Dd r = DdMul(s, sum);
  r = {2.0 * r.hi, 2.0 * r.lo};
  const Dd ln2 = {0x1.62e42fefa39efp-1, 0x1.abc9e3b39803fp-56};
  return DdAdd(DdMul({(double)e, 0.0}, ln2), r);
}

// y is an integer: 0 no, 1 odd, 2 even.
static int32_t IntegerKind(double y) {
  if (std::floor(y) != y) return 0;
  if (std::fabs(y) >= 0x1p53) return 2;
  return std::floor(y * 0.5) * 2.0 == y ? 2 : 1;
}

double xMathPow(double x, double y) {
  if (y == 0.0 || x == 1.0) return 1.0;
  if (x != x || y != y) return x + y;
  const int32_t kind = IntegerKind(y);  // infinities count as even integers
  const bool negate = std::signbit(x) && kind == 1;
  const double ax = std::fabs(x);
  if (std::isinf(y)) {
    if (ax == 1.0) return 1.0;
    return (ax > 1.0) == (y > 0) ? INFINITY : 0.0;
  }
  if (ax == 0.0 || std::isinf(ax)) {
    const double r = (ax == 0.0) == (y < 0) ? INFINITY : 0.0;
    return negate ? -r : r;
  }
  if (x < 0 && kind == 0) return (x - x) / (x - x);
  double r;
  if (ax == 1.0) {  // x = -1 with an even y
    r = 1.0;
  } else if (std::fabs(y) >= 0x1p64) {  // |y log x| >= 2^64 2^-53: overflows or underflows
    r = (ax > 1.0) == (y > 0) ? INFINITY : 0.0;
  } else {
    const Dd l = LogDd(ax), p = TwoProd(y, l.hi);
    const Dd t = TwoSum(p.hi, p.lo + y * l.lo);
    r = ExpTail(t.hi, t.lo);
  }
  return negate ? -r : r;
}
