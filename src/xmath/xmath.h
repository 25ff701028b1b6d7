// The program's own elementary functions: the same bits on every IEEE-754 target.
// Built from + - * / and sqrt (all correctly rounded) and exact steps (floor, scaling by powers of
// two, bit fields, in-range integer conversion) only, so the pictures do not depend on the C
// library. Needs the build's -ffp-contract=off (no fused a*b+c on one target and not another).
// Accuracy: within 1 ulp of glibc for all but tan (2 ulp: sin / cos), measured on 2e7 random
// arguments per range below (tests/xmath sweeps fewer). The float forms round the double result once.
#pragma once

#include <cstdint>

// |x| < 1.6e6 rad (2^20 pi/2; three-part Cody-Waite reduction); beyond that the reduction is
// fmod(x, 2 pi rounded): still the same on every target, but no longer accurate. inf, NaN: NaN.
double xMathSin(double x);
double xMathCos(double x);
double xMathTan(double x);
// Any x (|x| >= 2^66 gives +-pi/2).
double xMathAtan(double x);
// Any y, x, with the C library's signs and special cases (atan2(+-0, -0) = +-pi and so on).
double xMathAtan2(double y, double x);
// |x| <= 1; NaN outside.
double xMathAsin(double x);
double xMathAcos(double x);
// Any x: 0 below -745.14, inf above 709.78, subnormal results rounded once.
double xMathExp(double x);
// Any x, y, with the C library's special cases; x^y = exp(y log x) with log x in double-double,
// so a large |y log x| does not lose the low bits.
double xMathPow(double x, double y);

// Float forms: the double result rounded to float.
inline float xMathSinf(float x) { return (float)xMathSin(x); }
inline float xMathCosf(float x) { return (float)xMathCos(x); }
inline float xMathTanf(float x) { return (float)xMathTan(x); }
inline float xMathAtanf(float x) { return (float)xMathAtan(x); }
inline float xMathAtan2f(float y, float x) { return (float)xMathAtan2(y, x); }
inline float xMathAsinf(float x) { return (float)xMathAsin(x); }
inline float xMathAcosf(float x) { return (float)xMathAcos(x); }
inline float xMathExpf(float x) { return (float)xMathExp(x); }
inline float xMathPowf(float x, float y) { return (float)xMathPow(x, y); }
