// Keyframe splines: tangents, ease, search, evaluation, quaternion keys.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "x3d/x3dspline.h"

namespace {

struct K {
  float frame, value;
  float tension = 0, continuity = 0, bias = 0, easeTo = 0, easeFrom = 0;
};

// A one-component track kept alive by the vector.
struct Track {
  std::vector<x3dKey> keys;
  x3dTrack t{};
  Track(std::initializer_list<K> ks, int32_t mode = X3D_TRACK_SINGLE) {
    for (const K& k : ks) {
      x3dKey key{};
      key.frame = k.frame;
      key.value[0] = k.value;
      key.value[1] = 2 * k.value;
      key.tension = k.tension;
      key.continuity = k.continuity;
      key.bias = k.bias;
      key.easeTo = k.easeTo;
      key.easeFrom = k.easeFrom;
      keys.push_back(key);
    }
    t.mode = mode;
    t.keyCount = static_cast<int32_t>(keys.size());
    t.keys = keys.data();
    x3dTrackLink(&t);
    x3dSplineInit(&t);
  }
  float At(float time) {
    float v = -999;
    x3dSplineScalar(&t, time, &v);
    return v;
  }
};

TEST(X3dSpline, TrackModeFromFlags) {
  EXPECT_EQ(x3dTrackMode(0x0000), X3D_TRACK_SINGLE);
  EXPECT_EQ(x3dTrackMode(0x0001), X3D_TRACK_SINGLE);  // bit 0 alone means nothing
  EXPECT_EQ(x3dTrackMode(0x0002), X3D_TRACK_REPEAT);
  EXPECT_EQ(x3dTrackMode(0x0003), X3D_TRACK_LOOP);
  EXPECT_EQ(x3dTrackMode(0x0043), X3D_TRACK_LOOP);
}

TEST(X3dSpline, TwoKeyTangents) {
  Track a({{0, 0}, {10, 10}});
  EXPECT_EQ(a.keys[0].tin[0], 0.0f);
  EXPECT_EQ(a.keys[0].tout[0], 10.0f);
  EXPECT_EQ(a.keys[1].tin[0], 10.0f);
  EXPECT_EQ(a.keys[1].tout[0], 0.0f);
  EXPECT_EQ(a.keys[1].tin[1], 20.0f);  // every component
  Track b({{0, 0, 0.5f}, {10, 10, 0.25f}});
  EXPECT_EQ(b.keys[0].tout[0], 5.0f);  // (1 - 0.5) * 10
  EXPECT_EQ(b.keys[1].tin[0], 7.5f);   // (1 - 0.25) * 10
}

TEST(X3dSpline, TwoKeyValues) {
  Track lin({{0, 0}, {10, 10}});
  Track tense({{0, 0, 0.5f}, {10, 10, 0.5f}});
  struct Row {
    Track* t;
    float time, expect;
  } rows[] = {
      {&lin, 0, 0},              // first key
      {&lin, 2.5f, 2.5f},        // plain TCB: linear in value
      {&lin, 5, 5},              // midpoint
      {&lin, 7.5f, 7.5f},        //
      {&lin, 10, 10},            // last key
      {&lin, 12, 10},            // after the last key: held
      {&tense, 2.5f, 2.03125f},  // tangents 5: 0.84375*0 + 0.15625*10 + 0.140625*5 - 0.046875*5
      {&tense, 5, 5},            // symmetric
  };
  for (const Row& r : rows) EXPECT_NEAR(r.t->At(r.time), r.expect, 1e-5) << r.time;
}

TEST(X3dSpline, MultiKeyTangentsAndValues) {
  Track a({{0, 0}, {10, 10}, {20, 0}});
  EXPECT_FLOAT_EQ(a.keys[1].tin[0], 0.0f);  // peak: neighbours cancel
  EXPECT_FLOAT_EQ(a.keys[1].tout[0], 0.0f);
  EXPECT_FLOAT_EQ(a.keys[0].tout[0], 15.0f);  // (10 - 0 - 0/2) * 1.5 + 0 * c
  EXPECT_FLOAT_EQ(a.keys[2].tin[0], -15.0f);  // (0 - 10 - 0/2) * 1.5
  struct Row {
    float time, expect;
  } rows[] = {
      {5, 6.875f},   // 0.5*10 + 0.125*15
      {15, 6.875f},  // mirror image
      {10, 10},      // exactly at the middle key: end of the first segment, u = 1
      {20, 0},       // last key
      {-1, -999},    // negative time: untouched
  };
  for (const Row& r : rows) EXPECT_NEAR(a.At(r.time), r.expect, 1e-5) << r.time;

  // Uneven spacing with continuity and bias: hand-computed inner tangents.
  Track b({{0, 0}, {10, 10, 0, 0.5f, 0.5f}, {30, 20}});
  // half = 15, a = 0.5 + 0.5*10/15 = 5/6, b = 0.5 + 0.5*20/15 = 7/6
  // in  = 10*(5/6)*(0.5)(1.5)/2 + 10*(5/6)*(1.5)(0.5)/2 = 6.25
  // out = 10*(7/6)*(1.5)(1.5)/2 + 10*(7/6)*(0.5)(0.5)/2 = 14.583333
  EXPECT_NEAR(b.keys[1].tin[0], 6.25f, 1e-5);
  EXPECT_NEAR(b.keys[1].tout[0], 14.583333f, 1e-4);
}

TEST(X3dSpline, LoopModeTangentsWrapAround) {
  Track loop({{0, 0}, {10, 10}, {20, 0}, {30, 0}}, X3D_TRACK_LOOP);
  Track once({{0, 0}, {10, 10}, {20, 0}, {30, 0}}, X3D_TRACK_SINGLE);
  // First key sees key 2 at frame -10 and key 1: (0 - 0)/2 + (10 - 0)/2.
  EXPECT_FLOAT_EQ(loop.keys[0].tin[0], 5.0f);
  EXPECT_FLOAT_EQ(loop.keys[0].tout[0], 5.0f);
  // Last key sees key 2 and key 1 at frame 40.
  EXPECT_FLOAT_EQ(loop.keys[3].tin[0], 5.0f);
  EXPECT_FLOAT_EQ(loop.keys[3].tout[0], 5.0f);
  // Without looping the ends come from the three end keys.
  EXPECT_FLOAT_EQ(once.keys[0].tout[0], 15.0f);
  EXPECT_FLOAT_EQ(once.keys[0].tin[0], 0.0f);
  EXPECT_FLOAT_EQ(once.keys[3].tout[0], 0.0f);
}

TEST(X3dSpline, Ease) {
  struct Row {
    float u, from, to, expect;
  } rows[] = {
      {0.3f, 0, 0, 0.3f},           // no ease: identity
      {0.25f, 0.6f, 0.6f, 0.125f},  // normalised to 0.5 each: k = 1, (1/0.5)*0.0625
      {0.5f, 0.6f, 0.6f, 0.5f},     // the join
      {0.75f, 0.6f, 0.6f, 0.875f},  // 1 - 2 * 0.0625
      {1.0f, 0.6f, 0.6f, 1.0f},     // end
      {0.25f, 0.5f, 0.5f, 0.125f},  // the same without normalising
      {0.1f, 0.2f, 0, 0.0277778f},  // ease out only: (1/1.8)/0.2 * 0.01
      {0.6f, 0.2f, 0, 0.555556f},   // linear part: (1/1.8)*(1.2 - 0.2)
      {1.0f, 0.2f, 0, 1.0f},        // no ease-in and u = 1: exactly 1, not NaN
      {0.0f, 0, 0.3f, 0.0f},        // start
  };
  for (const Row& r : rows)
    EXPECT_NEAR(x3dEase(r.u, r.from, r.to), r.expect, 1e-5) << r.u << " " << r.from << " " << r.to;
}

TEST(X3dSpline, EaseSlowsTheStart) {
  Track a({{0, 0}, {10, 10, 0, 0, 0, 0, 0.6f}});  // ease from on the first key
  a.keys[0].easeFrom = 1.0f;
  float early = a.At(1.0f);
  EXPECT_LT(early, 1.0f);
  EXPECT_NEAR(a.At(10), 10.0f, 1e-5);
}

TEST(X3dSpline, CursorSearchForwardAndBack) {
  Track a({{0, 0}, {10, 10}, {20, 0}, {30, 10}});
  EXPECT_EQ(x3dTrackSeek(&a.t, 25), &a.keys[2]);
  EXPECT_EQ(a.t.cursor, &a.keys[2]);
  EXPECT_EQ(x3dTrackSeek(&a.t, 26), &a.keys[2]);  // from the cursor
  EXPECT_EQ(x3dTrackSeek(&a.t, 5), &a.keys[0]);   // backwards restarts
  EXPECT_EQ(x3dTrackSeek(&a.t, 30), &a.keys[2]);  // at the last key: segment 2..3
  EXPECT_EQ(x3dTrackSeek(&a.t, 31), &a.keys[3]);
  EXPECT_EQ(x3dTrackSeek(&a.t, -5), &a.keys[0]);
}

TEST(X3dSpline, BeforeFirstKeyHoldsFirstValue) {
  Track a({{5, 3}, {15, 9}});
  EXPECT_EQ(a.At(2), 3.0f);
  EXPECT_EQ(a.At(0), 3.0f);
}

TEST(X3dSpline, MissingTrackOrKeysLeavesOutput) {
  float v[3] = {1, 2, 3};
  x3dSplineVector(nullptr, 1, v);
  x3dTrack empty{};
  x3dSplineVector(&empty, 1, v);
  float q[4] = {9, 9, 9, 9};
  x3dSplineRotation(&empty, 1, q);
  EXPECT_EQ(v[0], 1);
  EXPECT_EQ(q[0], 9);
}

TEST(X3dSpline, VectorTrack) {
  Track a({{0, 1}, {10, 3}});
  float v[3] = {0, 0, 0};
  x3dSplineVector(&a.t, 5, v);
  EXPECT_NEAR(v[0], 2.0f, 1e-6);
  EXPECT_NEAR(v[1], 4.0f, 1e-6);
}

TEST(X3dSplineDeath, NoKeysIsFatal) {
  x3dTrack t{};
  EXPECT_EXIT(x3dSplineInit(&t), ::testing::ExitedWithCode(1), "Error: x3dSplineInit error: no keys");
  EXPECT_EXIT(x3dSplineInitRot(&t), ::testing::ExitedWithCode(1), "Error: x3dSplineInitRot error: no keys");
}

// ---- quaternions ----

static float QLen(const float q[4]) { return std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]); }

TEST(X3dQuat, SlerpNearPlusMinusOneIsLinear) {
  const float a[4] = {1, 0, 0, 0};
  const float b[4] = {0.9999996f, 0.0008f, 0, 0};  // dot within 1e-6 of 1
  float o[4];
  x3dSlerp(a, b, 0, 0.25f, o);
  for (int i = 0; i < 4; i++) EXPECT_FLOAT_EQ(o[i], 0.75f * a[i] + 0.25f * b[i]);
  const float c[4] = {-1, 0, 0, 0};  // dot -1: no shortest-path flip, plain blend
  x3dSlerp(a, c, 0, 0.5f, o);
  EXPECT_FLOAT_EQ(o[0], 0.0f);
  // Away from +-1: a true slerp keeps unit length.
  const float d[4] = {0.70710677f, 0, 0.70710677f, 0};
  x3dSlerp(a, d, 0, 0.5f, o);
  EXPECT_NEAR(QLen(o), 1.0f, 1e-5);
  EXPECT_NEAR(o[0], std::cos(3.14159265f / 8), 1e-5);
}

TEST(X3dQuat, AngleAxisExchangesYZ) {
  float q[4];
  x3dQuatFromAngleAxis(3.14159265f, 0, 0, 1, q);  // about file z = engine y
  EXPECT_NEAR(q[0], 0.0f, 1e-6);
  EXPECT_NEAR(q[2], 1.0f, 1e-6);
  EXPECT_NEAR(q[3], 0.0f, 1e-6);
}

struct RotTrack {
  std::vector<x3dKey> keys;
  x3dTrack t{};
  RotTrack(std::initializer_list<std::pair<float, float>> frameAngle) {
    for (auto fa : frameAngle) {
      x3dKey k{};
      k.frame = fa.first;
      keys.push_back(k);
    }
    int i = 0;
    for (auto fa : frameAngle) {
      x3dRotKeySet(&keys[i], i ? &keys[i - 1] : nullptr, fa.second, 0, 0, 1);
      i++;
    }
    t.keyCount = static_cast<int32_t>(keys.size());
    t.keys = keys.data();
    x3dTrackLink(&t);
    x3dSplineInitRot(&t);
  }
};

TEST(X3dQuat, RotationKeysCountWholeRadians) {
  RotTrack seven({{0, 0}, {10, 7.0f}});
  RotTrack sixHalf({{0, 0}, {10, 6.5f}});
  EXPECT_EQ(seven.keys[1].value[0], 7.0f);    // one whole turn: trunc(7 / 2pi) = 1
  EXPECT_EQ(sixHalf.keys[1].value[0], 6.0f);  // whole-radian angle 6: no turn
  EXPECT_EQ(seven.keys[1].value[2], 1.0f);    // axis stored (x, z, y)
  // Both end exactly on their key orientation.
  float q[4];
  x3dSplineRotation(&seven.t, 10, q);
  EXPECT_NEAR(q[0], std::cos(3.5f), 1e-5);
  EXPECT_NEAR(q[2], std::sin(3.5f), 1e-5);
  // The whole turn sends the 7-radian track the long way round: its arc in
  // quaternion space is about pi longer than that of the 6.5-radian track.
  auto arc = [](x3dTrack* t) {
    float prev[4], q[4], sum = 0;
    x3dSplineRotation(t, 0, prev);
    for (int i = 1; i <= 200; i++) {
      x3dSplineRotation(t, i * 0.05f, q);
      float d = 0;
      for (int j = 0; j < 4; j++) d += (q[j] - prev[j]) * (q[j] - prev[j]);
      sum += std::sqrt(d);
      for (int j = 0; j < 4; j++) prev[j] = q[j];
    }
    return sum;
  };
  float arcSeven = arc(&seven.t), arcSix = arc(&sixHalf.t);
  EXPECT_GT(arcSeven, arcSix + 2.5f) << arcSeven << " " << arcSix;
  EXPECT_NEAR(arcSix, 3.03f, 0.15f);  // acos(cos 3.25 ... ) the short way
}

TEST(X3dQuat, RelativeKeysAccumulate) {
  RotTrack a({{0, 1.0f}, {10, 0.5f}, {20, 0.25f}});
  // Orientation of key 2 is the sum of the three rotations about one axis.
  EXPECT_NEAR(a.keys[2].orient[0], std::cos(1.75f / 2), 1e-5);
  EXPECT_NEAR(a.keys[2].orient[2], std::sin(1.75f / 2), 1e-5);
  EXPECT_EQ(a.keys[2].value[0], 1.0f);  // trunc 1 + trunc 0.5 + trunc 0.25
  // Before the first key and at it: the first orientation.
  float q[4];
  x3dSplineRotation(&a.t, 0, q);
  EXPECT_NEAR(q[0], std::cos(0.5f), 1e-5);
  // Between keys about one axis the path stays on that axis and is monotone.
  float prev = -1;
  for (float f = 0; f <= 20; f += 1) {
    x3dSplineRotation(&a.t, f, q);
    EXPECT_NEAR(q[1], 0.0f, 1e-5);
    EXPECT_NEAR(q[3], 0.0f, 1e-5);
    float angle = 2 * std::atan2(q[2], q[0]);
    EXPECT_GE(angle, prev - 1e-4) << f;
    prev = angle;
  }
  EXPECT_NEAR(prev, 1.75f, 1e-4);
}

TEST(X3dQuat, SingleKeyHoldsOrientation) {
  RotTrack a({{0, 0.8f}});
  float q[4] = {0, 0, 0, 0};
  for (float f : {0.0f, 5.0f, 100.0f}) {
    x3dSplineRotation(&a.t, f, q);
    EXPECT_NEAR(q[0], std::cos(0.4f), 1e-6);
  }
}

}  // namespace
