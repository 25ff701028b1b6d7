// Track set-up (tangents, control quaternions) and evaluation at a frame.
#include "x3d/x3dspline.h"

#include <cmath>
#include <cstring>

#include "system/xerror.h"
#include "x3d/x3d3dsids.h"
#include "xmath/xmath.h"

int32_t x3dTrackMode(uint16_t flags) {
  if ((flags & X3DS_TRACK_LOOP) == X3DS_TRACK_LOOP) return X3D_TRACK_LOOP;
  if (flags & X3DS_TRACK_REPEAT) return X3D_TRACK_REPEAT;
  return X3D_TRACK_SINGLE;
}

void x3dTrackLink(x3dTrack* t) {
  for (int32_t i = 0; i < t->keyCount; i++) {
    t->keys[i].prev = i > 0 ? &t->keys[i - 1] : nullptr;
    t->keys[i].next = i + 1 < t->keyCount ? &t->keys[i + 1] : nullptr;
  }
  if (t->keyCount > 0) {
    t->length = t->keys[t->keyCount - 1].frame;
    t->cursor = &t->keys[t->keyCount - 1];
  } else {
    t->length = 0.0f;
    t->cursor = nullptr;
  }
}

// ---- scalar / vector tangents ----

// Inner-key tangents with neighbours p and n; fp and fn may be shifted by the loop length.
static void InnerTangents(x3dKey* k, const x3dKey* p, float fp, const x3dKey* n, float fn) {
  float T = k->tension, C = k->continuity, B = k->bias;
  float half = (fn - fp) / 2.0f;
  float ac = std::fabs(C);
  // Coincident neighbour frames would divide by zero: use even spacing.
  float a = half != 0.0f ? ac + (1.0f - ac) * (k->frame - fp) / half : 1.0f;
  float b = half != 0.0f ? ac + (1.0f - ac) * (fn - k->frame) / half : 1.0f;
  for (int i = 0; i < 4; i++) {
    float dp = k->value[i] - p->value[i];
    float dn = n->value[i] - k->value[i];
    k->tin[i] = dp * a * (1 - T) * (1 - C) * (1 + B) / 2 + dn * a * (1 - T) * (1 + C) * (1 - B) / 2;
    k->tout[i] = dp * b * (1 - T) * (1 + C) * (1 + B) / 2 + dn * b * (1 - T) * (1 - C) * (1 - B) / 2;
  }
}

void x3dSplineInit(x3dTrack* t) {
  if (!t || !t->keys) xErrMsg("x3dSplineInit error: no keys\n");
  int32_t n = t->keyCount;
  x3dKey* k = t->keys;
  if (n < 2) return;
  if (n == 2) {
    for (int i = 0; i < 4; i++) {
      float d = k[1].value[i] - k[0].value[i];
      k[0].tin[i] = 0.0f;
      k[0].tout[i] = (1 - k[0].tension) * d;
      k[1].tout[i] = 0.0f;
      k[1].tin[i] = (1 - k[1].tension) * d;
    }
    return;
  }
  for (int32_t i = 1; i < n - 1; i++) InnerTangents(&k[i], &k[i - 1], k[i - 1].frame, &k[i + 1], k[i + 1].frame);
  if (t->mode == X3D_TRACK_LOOP) {
    float len = t->length;
    InnerTangents(&k[0], &k[n - 2], k[n - 2].frame - len, &k[1], k[1].frame);
    InnerTangents(&k[n - 1], &k[n - 2], k[n - 2].frame, &k[1], k[1].frame + len);
    return;
  }
  {
    float f0 = k[0].frame, f1 = k[1].frame, f2 = k[2].frame;
    float c = f2 != f0 ? 0.75f - (f1 - f0) / (2 * (f2 - f0)) : 0.25f;
    for (int i = 0; i < 4; i++) {
      float d = k[2].value[i] - k[0].value[i];
      k[0].tout[i] = (1 - k[0].tension) * ((k[1].value[i] - k[0].value[i] - d / 2) * 1.5f + d * c);
    }
  }
  {
    const x3dKey &x = k[n - 3], &y = k[n - 2];
    x3dKey& z = k[n - 1];
    float c = z.frame != x.frame ? 0.75f - (z.frame - y.frame) / (2 * (z.frame - x.frame)) : 0.25f;
    for (int i = 0; i < 4; i++) {
      float d = z.value[i] - x.value[i];
      z.tin[i] = (1 - z.tension) * ((z.value[i] - y.value[i] - d / 2) * 1.5f + d * c);
    }
  }
}

// ---- quaternions ----

void x3dQuatMul(const float a[4], const float b[4], float o[4]) {
  float w = a[0] * b[0] - a[1] * b[1] - a[2] * b[2] - a[3] * b[3];
  float x = a[0] * b[1] + a[1] * b[0] + a[2] * b[3] - a[3] * b[2];
  float y = a[0] * b[2] - a[1] * b[3] + a[2] * b[0] + a[3] * b[1];
  float z = a[0] * b[3] + a[1] * b[2] - a[2] * b[1] + a[3] * b[0];
  o[0] = w;
  o[1] = x;
  o[2] = y;
  o[3] = z;
}

void x3dQuatFromAngleAxis(float angle, float x, float y, float z, float out[4]) {
  float s = xMathSinf(angle / 2);
  out[0] = xMathCosf(angle / 2);
  out[1] = s * x;
  out[2] = s * z;  // y and z exchanged for the y-up engine
  out[3] = s * y;
}

static float Dot4(const float a[4], const float b[4]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3]; }
static float Len4(const float a[4]) { return std::sqrt(Dot4(a, a)); }

static void Inverse(const float q[4], float out[4]) {
  float n = Dot4(q, q);
  if (n == 0.0f) n = 1.0f;
  out[0] = q[0] / n;
  out[1] = -q[1] / n;
  out[2] = -q[2] / n;
  out[3] = -q[3] / n;
}

// log of d = a^-1 (x) b; c is the cosine between a and b.
static void Log(const float d[4], float c, float out[4]) {
  float s = std::sqrt(d[1] * d[1] + d[2] * d[2] + d[3] * d[3]);
  out[0] = 0.0f;
  if (s == 0.0f) {
    out[1] = out[2] = out[3] = 0.0f;
    return;
  }
  float phi = c == 0.0f ? 1.5707964f : xMathAtanf(s / c);
  for (int i = 1; i < 4; i++) out[i] = d[i] * phi / s;
}

static void Exp(const float v[4], float out[4]) {
  float len = std::sqrt(v[1] * v[1] + v[2] * v[2] + v[3] * v[3]);
  if (len == 0.0f) {
    out[0] = 1.0f;
    out[1] = out[2] = out[3] = 0.0f;
    return;
  }
  float s = xMathSinf(len) / len;
  out[0] = xMathCosf(len);
  out[1] = v[1] * s;
  out[2] = v[2] * s;
  out[3] = v[3] * s;
}

// log(a^-1 (x) b), with a taken as its normalised conjugate when a . b < 0.
static void LogBetween(const float aIn[4], const float b[4], float out[4]) {
  float a[4] = {aIn[0], aIn[1], aIn[2], aIn[3]};
  if (Dot4(a, b) < 0.0f) {
    float l = Len4(a);
    if (l == 0.0f) l = 1.0f;
    a[0] = a[0] / l;
    a[1] = -a[1] / l;
    a[2] = -a[2] / l;
    a[3] = -a[3] / l;
  }
  float inv[4], d[4];
  Inverse(a, inv);
  x3dQuatMul(inv, b, d);
  float lens = Len4(a) * Len4(b);
  float c = lens != 0.0f ? Dot4(a, b) / lens : 1.0f;
  Log(d, c, out);
}

static const float kFullTurn = 6.28318430718f;
static const float kHalfPi = 1.5707963267948966f;

void x3dSplineInitRot(x3dTrack* t) {
  if (!t || !t->keys) xErrMsg("x3dSplineInitRot error: no keys");
  int32_t n = t->keyCount;
  if (n < 2) return;
  for (int32_t i = 0; i < n; i++) {
    x3dKey* k = &t->keys[i];
    const x3dKey* p = i > 0 ? &t->keys[i - 1] : nullptr;
    const x3dKey* nx = i + 1 < n ? &t->keys[i + 1] : nullptr;
    const float* q = k->orient;
    float Lp[4] = {0, 0, 0, 0}, Ln[4] = {0, 0, 0, 0};
    if (p) {
      if (std::fabs(k->value[0] - p->value[0]) > kFullTurn) {
        for (int j = 1; j < 4; j++) Lp[j] = kHalfPi * k->value[j];
      } else {
        LogBetween(p->orient, q, Lp);
      }
    }
    if (nx) {
      if (std::fabs(nx->value[0] - k->value[0]) > kFullTurn) {
        for (int j = 1; j < 4; j++) Ln[j] = kHalfPi * nx->value[j];
      } else {
        float inv[4], d[4], nn[4] = {nx->orient[0], nx->orient[1], nx->orient[2], nx->orient[3]};
        if (Dot4(nn, q) < 0.0f) {
          float l = Len4(nn);
          if (l == 0.0f) l = 1.0f;
          nn[0] = nn[0] / l;
          nn[1] = -nn[1] / l;
          nn[2] = -nn[2] / l;
          nn[3] = -nn[3] / l;
        }
        Inverse(q, inv);
        x3dQuatMul(inv, nn, d);
        float lens = Len4(q) * Len4(nn);
        Log(d, lens != 0.0f ? Dot4(q, nn) / lens : 1.0f, Ln);
      }
    }
    if (!p) std::memcpy(Lp, Ln, sizeof Lp);
    if (!nx) std::memcpy(Ln, Lp, sizeof Ln);
    float T = k->tension, C = k->continuity, B = k->bias;
    float alpha = 1.0f, beta = 1.0f;
    if (p && nx) {
      float half = (nx->frame - p->frame) / 2;
      float ac = std::fabs(C);
      if (half != 0.0f) {
        alpha = ac + (1 - ac) * (k->frame - p->frame) / half;
        beta = ac + (1 - ac) * (nx->frame - k->frame) / half;
      }
    }
    float g = (1 - T) * (1 - C) / 2, h = (1 - T) * (1 + C) / 2;
    float X[4] = {0, 0, 0, 0}, Y[4] = {0, 0, 0, 0};
    for (int j = 1; j < 4; j++) {
      X[j] = ((beta * (1 - B) * g - 1) * Ln[j] + beta * (1 + B) * h * Lp[j]) / 2;
      Y[j] = (-alpha * (1 - B) * h * Ln[j] + (1 - alpha * (1 + B) * g) * Lp[j]) / 2;
    }
    float e[4];
    Exp(X, e);
    x3dQuatMul(q, e, k->qin);
    Exp(Y, e);
    x3dQuatMul(q, e, k->qout);
  }
}

// ---- evaluation ----

float x3dEase(float u, float a, float b) {
  float s = a + b;
  if (s == 0.0f) return u;
  if (s > 1.0f) {
    a = a / s;
    b = b / s;
  }
  float k = 1.0f / (2.0f - a - b);
  if (u < a) return (k / a) * u * u;
  if (u < 1.0f - b) return k * (2 * u - a);
  if (b == 0.0f) return 1.0f;  // u = 1 with no ease-in: avoid 0/0
  return 1.0f - (k / b) * (1.0f - u) * (1.0f - u);
}

void x3dSlerp(const float q0[4], const float q1[4], float spins, float t, float out[4]) {
  float c = Dot4(q0, q1);
  float w0, w1;
  if (1.0f - std::fabs(c) >= 1e-6f) {
    float theta = xMathAcosf(c);
    float phi = t * (theta + spins * 3.1415927f);
    float st = xMathSinf(theta);
    w1 = xMathSinf(phi) / st;
    w0 = xMathSinf(theta - phi) / st;
  } else {
    w0 = 1.0f - t;
    w1 = t;
  }
  for (int i = 0; i < 4; i++) out[i] = w0 * q0[i] + w1 * q1[i];
}

x3dKey* x3dTrackSeek(x3dTrack* t, float time) {
  x3dKey* k = (t->cursor && time >= t->cursor->frame) ? t->cursor : t->keys;
  while (k->next && time > k->next->frame) k = k->next;
  t->cursor = k;
  return k;
}

// Segment parameter after ease; false when time lies outside a segment.
static bool Segment(x3dTrack* t, float time, x3dKey** kOut, float* sOut) {
  x3dKey* k = x3dTrackSeek(t, time);
  *kOut = k;
  x3dKey* n = k->next;
  if (!n || time < k->frame) return false;
  float span = n->frame - k->frame;
  float u = span > 0.0f ? (time - k->frame) / span : 1.0f;
  *sOut = x3dEase(u, k->easeFrom, n->easeTo);
  return true;
}

static void Hermite(const x3dKey* k, float s, int comps, float* out) {
  const x3dKey* n = k->next;
  float s2 = s * s, s3 = s2 * s;
  float h1 = 2 * s3 - 3 * s2 + 1, h2 = 3 * s2 - 2 * s3, h3 = s3 - 2 * s2 + s, h4 = s3 - s2;
  for (int i = 0; i < comps; i++) out[i] = h1 * k->value[i] + h2 * n->value[i] + h3 * k->tout[i] + h4 * n->tin[i];
}

void x3dSplineVector(x3dTrack* t, float time, float out[3]) {
  if (!t || !t->keys || t->keyCount <= 0 || time < 0.0f) return;
  x3dKey* k;
  float s;
  if (Segment(t, time, &k, &s)) {
    Hermite(k, s, 3, out);
  } else {
    out[0] = k->value[0];
    out[1] = k->value[1];
    out[2] = k->value[2];
  }
}

void x3dSplineScalar(x3dTrack* t, float time, float* out) {
  if (!t || !t->keys || t->keyCount <= 0 || time < 0.0f) return;
  x3dKey* k;
  float s;
  if (Segment(t, time, &k, &s)) Hermite(k, s, 1, out);
  else *out = k->value[0];
}

void x3dSplineRotation(x3dTrack* t, float time, float out[4]) {
  if (!t || !t->keys || t->keyCount <= 0 || time < 0.0f) return;
  x3dKey* k;
  float s;
  if (!Segment(t, time, &k, &s)) {
    std::memcpy(out, k->orient, 16);
    return;
  }
  const x3dKey* n = k->next;
  float spins = std::trunc((n->value[0] - k->value[0]) * 0.15915494309188485f);
  float p[4], q[4];
  x3dSlerp(k->orient, n->orient, spins, s, p);
  x3dSlerp(k->qout, n->qin, spins, s, q);
  x3dSlerp(p, q, 0.0f, 2 * s * (1 - s), out);
}

void x3dRotKeySet(x3dKey* key, const x3dKey* prev, float angle, float ax, float ay, float az) {
  float r[4];
  x3dQuatFromAngleAxis(angle, ax, ay, az, r);
  static const float kIdentity[4] = {1, 0, 0, 0};
  x3dQuatMul(r, prev ? prev->orient : kIdentity, key->orient);
  // Only whole radians accumulate: the fraction of each key's angle is dropped.
  key->value[0] = (prev ? prev->value[0] : 0.0f) + std::trunc(angle);
  key->value[1] = ax;
  key->value[2] = az;
  key->value[3] = ay;
}
