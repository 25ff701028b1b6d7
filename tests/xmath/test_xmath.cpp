// Deterministic maths: recorded bit patterns (a target that rounds differently fails here), the
// C library's special values, and a sweep against the host's C library within the stated bound.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "xmath/xmath.h"
#include "xmath/xrand.h"

namespace {

uint64_t bitsOf(double x) {
  uint64_t b;
  std::memcpy(&b, &x, sizeof b);
  return b;
}

// Distance in representable doubles (0 for two NaNs).
uint64_t ulpsApart(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b) ? 0 : UINT64_MAX;
  auto ordered = [](double x) {
    int64_t i;
    std::memcpy(&i, &x, sizeof i);
    return i < 0 ? INT64_MIN - i : i;
  };
  const int64_t d = ordered(a) - ordered(b);
  return d < 0 ? (uint64_t)-d : (uint64_t)d;
}

uint32_t floatUlpsApart(float a, float b) {
  auto ordered = [](float x) {
    int32_t i;
    std::memcpy(&i, &x, sizeof i);
    return i < 0 ? (int64_t)INT32_MIN - i : (int64_t)i;
  };
  const int64_t d = ordered(a) - ordered(b);
  return (uint32_t)(d < 0 ? -d : d);
}

TEST(XMath, RecordedBits) {
  // Inputs across the reductions' branches; results within 0.73 ulp of the exact values.
  struct One {
    double (*f)(double);
    double x, want;
  } ones[] = {
      {xMathSin, 0x1p-30, 0x1p-30},
      {xMathSin, 0x1p-1, 0x1.eaee8744b05fp-2},
      {xMathSin, -0x1.921fb54442d18p-1, -0x1.6a09e667f3bccp-1},
      {xMathSin, 0x1p+0, 0x1.aed548f090ceep-1},
      {xMathSin, 0x1.921fb54442d18p+0, 0x1p+0},
      {xMathSin, 0x1p+1, 0x1.d18f6ead1b446p-1},
      {xMathSin, -0x1.8p+1, -0x1.210386db6d55bp-3},
      {xMathSin, 0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53},
      {xMathSin, 0x1.4p+3, -0x1.1689ef5f34f52p-1},
      {xMathSin, -0x1.9p+6, 0x1.03425b78c4db8p-1},
      {xMathSin, 0x1.81cd6c8b43958p+13, -0x1.687d5890974a5p-1},
      {xMathSin, 0x1.6e36p+20, 0x1.05a19f9bf8b6cp-1},
      {xMathCos, 0x1p-30, 0x1p+0},
      {xMathCos, 0x1p-1, 0x1.c1528065b7d5p-1},
      {xMathCos, -0x1.921fb54442d18p-1, 0x1.6a09e667f3bcdp-1},
      {xMathCos, 0x1p+0, 0x1.14a280fb5068cp-1},
      {xMathCos, 0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54},
      {xMathCos, 0x1p+1, -0x1.aa22657537205p-2},
      {xMathCos, -0x1.8p+1, -0x1.fae04be85e5d2p-1},
      {xMathCos, 0x1.921fb54442d18p+1, -0x1p+0},
      {xMathCos, 0x1.4p+3, -0x1.ad9ac890c6b1fp-1},
      {xMathCos, -0x1.9p+6, 0x1.b981dbf665fdfp-1},
      {xMathCos, 0x1.81cd6c8b43958p+13, 0x1.6b94c3bbe24b8p-1},
      {xMathCos, 0x1.6e36p+20, -0x1.b81b10301dab6p-1},
      {xMathTan, 0x1p-30, 0x1p-30},
      {xMathTan, 0x1p-1, 0x1.17b4f5bf3474ap-1},
      {xMathTan, -0x1.921fb54442d18p-1, -0x1.fffffffffffffp-1},
      {xMathTan, 0x1p+0, 0x1.8eb245cbee3a5p+0},
      {xMathTan, 0x1.921fb54442d18p+0, 0x1.d02967c31cdb5p+53},
      {xMathTan, 0x1p+1, -0x1.17af62e0950f8p+1},
      {xMathTan, -0x1.8p+1, 0x1.23ef71254b86fp-3},
      {xMathTan, 0x1.921fb54442d18p+1, -0x1.1a62633145c07p-53},
      {xMathTan, 0x1.4p+3, 0x1.4bf5f34be3782p-1},
      {xMathTan, -0x1.9p+6, 0x1.2ca74d62b5d38p-1},
      {xMathTan, 0x1.81cd6c8b43958p+13, -0x1.fba5836323a4dp-1},
      {xMathTan, 0x1.6e36p+20, -0x1.305ee08fc7a8ap-1},
      {xMathAtan, 0x1p-30, 0x1p-30},
      {xMathAtan, 0x1.999999999999ap-4, 0x1.983e282e2cc4dp-4},
      {xMathAtan, -0x1.cp-2, -0x1.a64eec3cc23fdp-2},
      {xMathAtan, 0x1p-1, 0x1.dac670561bb4fp-2},
      {xMathAtan, 0x1.6666666666666p-1, 0x1.38b112d7bd4adp-1},
      {xMathAtan, 0x1p+0, 0x1.921fb54442d18p-1},
      {xMathAtan, -0x1.3333333333333p+0, -0x1.c08aae496efa6p-1},
      {xMathAtan, 0x1p+1, 0x1.1b6e192ebbe44p+0},
      {xMathAtan, 0x1.8p+1, 0x1.3fc176b7a856p+0},
      {xMathAtan, -0x1.9p+5, -0x1.8d0129acd6d1cp+0},
      {xMathAtan, 0x1.2a05f2p+33, 0x1.921fb543d4dep+0},
      {xMathAtan, 0x1.7e43c8800759cp+996, 0x1.921fb54442d18p+0},
      {xMathAsin, 0x1p-30, 0x1p-30},
      {xMathAsin, 0x1.999999999999ap-4, 0x1.9a49276037884p-4},
      {xMathAsin, -0x1p-2, -0x1.02be9ce0b87cdp-2},
      {xMathAsin, 0x1.ffe5c91d14e3cp-2, 0x1.0c06011bb06b4p-1},
      {xMathAsin, 0x1p-1, 0x1.0c152382d7366p-1},
      {xMathAsin, 0x1.3333333333333p-1, 0x1.4978fa3269ee1p-1},
      {xMathAsin, -0x1.8p-1, -0x1.b235315c680dcp-1},
      {xMathAsin, 0x1.ccccccccccccdp-1, 0x1.1ea93705fa172p+0},
      {xMathAsin, 0x1.f5c28f5c28f5cp-1, 0x1.5ed690583be07p+0},
      {xMathAsin, -0x1.ff7ced916872bp-1, -0x1.86ac9ad18f803p+0},
      {xMathAsin, 0x1.fffffca501acbp-1, 0x1.920266447a7fap+0},
      {xMathAsin, 0x1p+0, 0x1.921fb54442d18p+0},
      {xMathAcos, 0x1p-30, 0x1.921fb54042d18p+0},
      {xMathAcos, 0x1.999999999999ap-4, 0x1.787b22ce3f59p+0},
      {xMathAcos, -0x1p-2, 0x1.d2cf5c7c70f0cp+0},
      {xMathAcos, 0x1.ffe5c91d14e3cp-2, 0x1.0c1cb4b66a9bep+0},
      {xMathAcos, 0x1p-1, 0x1.0c152382d7366p+0},
      {xMathAcos, 0x1.3333333333333p-1, 0x1.dac670561bb5p-1},
      {xMathAcos, -0x1.8p-1, 0x1.359d26f93b6c3p+1},
      {xMathAcos, 0x1.ccccccccccccdp-1, 0x1.cdd9f8f922e98p-2},
      {xMathAcos, 0x1.f5c28f5c28f5cp-1, 0x1.9a49276037887p-3},
      {xMathAcos, -0x1.ff7ced916872bp-1, 0x1.8c66280ae928ep+1},
      {xMathAcos, 0x1.fffffca501acbp-1, 0x1.d4effc851e7f2p-12},
      {xMathAcos, 0x1p+0, 0x0p+0},
      {xMathExp, 0x1p-30, 0x1.00000004p+0},
      {xMathExp, -0x1.999999999999ap-4, 0x1.cf46d99d52b3ap-1},
      {xMathExp, 0x1.3333333333333p-2, 0x1.599058c8c1a96p+0},
      {xMathExp, -0x1p-1, 0x1.368b2fc6f960ap-1},
      {xMathExp, 0x1p+0, 0x1.5bf0a8b14576ap+1},
      {xMathExp, -0x1.4p+1, 0x1.50385c094f425p-4},
      {xMathExp, 0x1.4p+3, 0x1.5829dcf95056p+14},
      {xMathExp, -0x1.4p+4, 0x1.1b48655f37267p-29},
      {xMathExp, 0x1.9p+6, 0x1.3494a9b171bf5p+144},
      {xMathExp, -0x1.5ep+9, 0x1.14f2b0fb9307fp-1010},
      {xMathExp, 0x1.628p+9, 0x1.d422d2be5dc9bp+1022},
      {xMathExp, -0x1.74p+9, 0x0.0000000000002p-1022},
  };
  for (const One& o : ones)
    EXPECT_EQ(bitsOf(o.f(o.x)), bitsOf(o.want)) << std::hexfloat << o.x << " gave " << o.f(o.x) << ", want " << o.want;
  struct Two {
    double (*f)(double, double);
    double a, b, want;
  } twos[] = {
      {xMathAtan2, 0x1p+0, 0x1p+0, 0x1.921fb54442d18p-1},
      {xMathAtan2, 0x1p+0, -0x1p+0, 0x1.2d97c7f3321d2p+1},
      {xMathAtan2, -0x1p+0, -0x1p+0, -0x1.2d97c7f3321d2p+1},
      {xMathAtan2, -0x1p+0, 0x1p+0, -0x1.921fb54442d18p-1},
      {xMathAtan2, 0x1p-1, 0x1.8p+1, 0x1.52397843c9addp-3},
      {xMathAtan2, 0x1.8p+1, 0x1p-1, 0x1.67d8863bc99bdp+0},
      {xMathAtan2, -0x1p+1, 0x1.999999999999ap-4, -0x1.8555a2787981fp+0},
      {xMathAtan2, 0x1.0624dd2f1a9fcp-10, -0x1.cp+2, 0x1.921b06e4e282fp+1},
      {xMathAtan2, 0x1.4p+2, 0x1.5798ee2308c3ap-27, 0x1.921fb53babcb9p+0},
      {xMathAtan2, -0x1.b7cdfd9d7bdbbp-34, 0x1p+1, -0x1.b7cdfd9d7bdbbp-35},
      {xMathAtan2, 0x1.cp+2, -0x1.cac083126e979p-8, 0x1.92613e7a20174p+0},
      {xMathAtan2, 0x1.9p+6, 0x1.9p+7, 0x1.dac670561bb4fp-2},
      {xMathPow, 0x1p+1, 0x1p-1, 0x1.6a09e667f3bccp+0},
      {xMathPow, 0x1.4p+3, -0x1.8p+1, 0x1.0624dd2f1a9fcp-10},
      {xMathPow, 0x1p-1, 0x1.4p+1, 0x1.6a09e667f3bccp-3},
      {xMathPow, 0x1.8p+0, 0x1.9p+6, 0x1.69194f299cddap+58},
      {xMathPow, 0x1.ccccccccccccdp-1, 0x1.ccccccccccccdp-1, 0x1.d1ae40f9d88d8p-1},
      {xMathPow, -0x1p+1, 0x1.8p+1, -0x1p+3},
      {xMathPow, -0x1p-1, -0x1p+2, 0x1p+4},
      {xMathPow, 0x1.8p+1, -0x1p-2, 0x1.85092ed86a26bp-1},
      {xMathPow, 0x1.00068db8bac71p+0, 0x1.388p+13, 0x1.5bec34aabbfd3p+1},
      {xMathPow, 0x1.999999999999ap-3, 0x1.2cp+8, 0x1.56e1fc2f8f3bdp-697},
      {xMathPow, 0x1.cp+2, 0x1.2cp+8, 0x1.2763cf89c12d4p+842},
      {xMathPow, 0x1.4f8b588e368f1p-17, 0x1.3333333333333p-2, 0x1.030dc4ea03a73p-5},
  };
  for (const Two& t : twos)
    EXPECT_EQ(bitsOf(t.f(t.a, t.b)), bitsOf(t.want))
        << std::hexfloat << t.a << ", " << t.b << " gave " << t.f(t.a, t.b) << ", want " << t.want;
}

TEST(XMath, SpecialValuesAsTheCLibrary) {
  // Signed zeros, infinities, NaN and the edges of each domain: the same value and sign within 1 ulp.
  auto same = [](double a, double b) {
    return ulpsApart(a, b) <= 1 && (std::isnan(a) || std::signbit(a) == std::signbit(b));
  };
  const double v[] = {0.0,    -0.0,    1.0,   -1.0,   0.5,      -0.5,      2.0, -2.0,      3.0,      -3.0,
                      1e-310, -1e-310, 1e300, -1e300, INFINITY, -INFINITY, NAN, 1.0000001, 0.9999999};
  for (double x : v) {
    if (std::fabs(x) < 1e6) {
      EXPECT_TRUE(same(xMathSin(x), std::sin(x)) && same(xMathCos(x), std::cos(x))) << x;
      EXPECT_TRUE(same(xMathTan(x), std::tan(x))) << x;
    }
    EXPECT_TRUE(same(xMathAtan(x), std::atan(x))) << x;
    EXPECT_TRUE(same(xMathAsin(x), std::asin(x)) && same(xMathAcos(x), std::acos(x))) << x;
    EXPECT_TRUE(same(xMathExp(x), std::exp(x))) << x;
    for (double y : v) {
      EXPECT_TRUE(same(xMathPow(x, y), std::pow(x, y))) << x << " ^ " << y << " gave " << xMathPow(x, y);
      EXPECT_TRUE(same(xMathAtan2(y, x), std::atan2(y, x))) << "atan2 " << y << ", " << x;
    }
  }
  EXPECT_TRUE(std::isnan(xMathSin(INFINITY)) && std::isnan(xMathCos(-INFINITY)) && std::isnan(xMathTan(NAN)));
  // Beyond the accurate range: still a sine.
  EXPECT_LE(std::fabs(xMathSin(1e300)), 1.0);
  EXPECT_LE(std::fabs(xMathCos(-3e9)), 1.0);
}

// The sweep needs a reference that is itself within half an ulp or so: glibc's.
TEST(XMath, SweepAgainstTheCLibrary) {
#ifndef __GLIBC__
  GTEST_SKIP() << "the reference sweep uses glibc's functions";
#endif
  std::mt19937_64 rng(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  auto in = [&](double lo, double hi) { return lo + (hi - lo) * unit(rng); };
  uint64_t worst[9] = {};
  uint32_t worstFloat = 0;
  auto note = [&](int32_t i, double a, double b) { worst[i] = std::max(worst[i], ulpsApart(a, b)); };
  for (int32_t i = 0; i < 200000; i++) {
    const double a = in(-30.0, 30.0), big = in(-1.6e6, 1.6e6), u = in(-1.0, 1.0);
    note(0, xMathSin(a), std::sin(a));
    note(0, xMathSin(big), std::sin(big));
    note(1, xMathCos(a), std::cos(a));
    note(1, xMathCos(big), std::cos(big));
    note(2, xMathTan(a), std::tan(a));
    note(3, xMathAtan(a * a * a), std::atan(a * a * a));
    note(4, xMathAsin(u), std::asin(u));
    note(5, xMathAcos(u), std::acos(u));
    const double e = in(-745.0, 709.0);
    note(6, xMathExp(e), std::exp(e));
    note(7, xMathAtan2(a, u), std::atan2(a, u));
    const double x = in(0.0, 4.0), y = in(-300.0, 300.0);
    note(8, xMathPow(x, y), std::pow(x, y));
    // The float forms, as the engine calls them: within one float ulp.
    const float f = (float)a, g = (float)u, h = (float)in(0.0, 1.0), k = (float)in(0.0, 255.0);
    worstFloat = std::max(worstFloat, floatUlpsApart(xMathSinf(f), std::sin(f)));
    worstFloat = std::max(worstFloat, floatUlpsApart(xMathAtan2f(f, g), std::atan2(f, g)));
    worstFloat = std::max(worstFloat, floatUlpsApart(xMathPowf(h, k), std::pow(h, k)));
  }
  EXPECT_LE(worstFloat, 1u);
  const char* names[9] = {"sin", "cos", "tan", "atan", "asin", "acos", "exp", "atan2", "pow"};
  const uint64_t bound[9] = {1, 1, 2, 1, 1, 1, 1, 1, 1};
  for (int32_t i = 0; i < 9; i++) EXPECT_LE(worst[i], bound[i]) << names[i];
}

}  // namespace

// The sequence of the GNU C library's rand(): its well-known first numbers for seed 1, and the
// library itself over a few seeds where the tests run on it.
TEST(XMath, RandomNumbersAsTheCLibrary) {
  xMathSeed(1);
  const int32_t first[3] = {1804289383, 846930886, 1681692777};
  for (int32_t v : first) EXPECT_EQ(xMathRand(), v);
  xMathSeed(0);  // counts as 1
  EXPECT_EQ(xMathRand(), first[0]);
#ifdef __GLIBC__
  for (uint32_t seed : {1u, 7u, 59u, 123456789u}) {
    std::srand(seed);
    xMathSeed(seed);
    for (int32_t i = 0; i < 2000; i++) ASSERT_EQ(xMathRand(), std::rand()) << "seed " << seed << ", number " << i;
  }
#endif
}
