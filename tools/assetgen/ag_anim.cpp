// mirvak.flc: a faceted crystal turning in space with orbiting sparks, 160x120,
// 96 frames. Index 0 is the background (keyed out by the player's caller) and the
// top 20 lines stay background in every frame.
#include <algorithm>
#include <cmath>

#include "ag_content.h"
#include "ag_flc.h"
#include "xmath/xmath.h"

namespace {
const int32_t W = 160, H = 120, kFrames = 96;

// Palette: 1-63 blue-teal ramp, 64-127 amber ramp, 128-191 spark white; components
// are multiples of 4 so the 6-bit palette chunk carries them exactly.
std::array<uint8_t, 768> palette(bool ignited) {
  std::array<uint8_t, 768> p{};
  auto set = [&](int32_t i, uint32_t c) {
    p[i * 3] = uint8_t((c >> 16) & 0xFC);
    p[i * 3 + 1] = uint8_t((c >> 8) & 0xFC);
    p[i * 3 + 2] = uint8_t(c & 0xFC);
  };
  for (int32_t i = 1; i < 64; i++) set(i, ignited ? agMix(agCosmic(i * 4), agAmber(i * 4), 110) : agCosmic(20 + i * 3));
  for (int32_t i = 0; i < 64; i++) set(64 + i, agAmber(40 + i * 3));
  for (int32_t i = 0; i < 64; i++) set(128 + i, agMix(0x2080c0, 0xffffff, i * 4));
  return p;
}

void fillTri(std::vector<uint8_t>& px, const float* a, const float* b, const float* c, uint8_t col) {
  const float* v[3] = {a, b, c};
  std::sort(v, v + 3, [](const float* p, const float* q) { return p[1] < q[1]; });
  int32_t y0 = std::max(20, int32_t(std::ceil(v[0][1]))), y1 = std::min(H - 1, int32_t(std::ceil(v[2][1])) - 1);
  for (int32_t y = y0; y <= y1; y++) {
    float fy = float(y);
    auto edge = [&](const float* p, const float* q) { return p[0] + (q[0] - p[0]) * (fy - p[1]) / (q[1] - p[1]); };
    float xa = edge(v[0], v[2]);
    float xb = fy < v[1][1] ? edge(v[0], v[1]) : edge(v[1], v[2]);
    if (v[1][1] == v[0][1] && fy < v[1][1]) continue;
    if (xa > xb) std::swap(xa, xb);
    for (int32_t x = std::max(0, int32_t(std::ceil(xa))); x <= std::min(W - 1, int32_t(std::ceil(xb)) - 1); x++)
      px[size_t(y) * W + x] = col;
  }
}

void renderFrame(std::vector<uint8_t>& px, int32_t f) {
  std::fill(px.begin(), px.end(), 0);
  float ang = float(f) * 6.2831853f / kFrames, tilt = 0.35f * xMathSinf(ang * 2);
  const int32_t sides = 6;
  // Bipyramid: apex 0 (top), apex 1 (bottom), ring 2..7.
  float P[8][3];
  auto put = [&](int32_t i, float x, float y, float z) {
    float xr = x * xMathCosf(ang) - z * xMathSinf(ang), zr = x * xMathSinf(ang) + z * xMathCosf(ang);
    float yr = y * xMathCosf(tilt) - zr * xMathSinf(tilt), zt = y * xMathSinf(tilt) + zr * xMathCosf(tilt);
    P[i][0] = xr;
    P[i][1] = yr;
    P[i][2] = zt;
  };
  put(0, 0, -42, 0);
  put(1, 0, 40, 0);
  for (int32_t i = 0; i < sides; i++) {
    float a = float(i) * 6.2831853f / sides;
    put(2 + i, 24 * xMathCosf(a), -6, 24 * xMathSinf(a));
  }
  struct Face {
    int32_t a, b, c;
    float z;
  };
  std::vector<Face> faces;
  for (int32_t i = 0; i < sides; i++) {
    int32_t r0 = 2 + i, r1 = 2 + (i + 1) % sides;
    faces.push_back({0, r1, r0, 0});
    faces.push_back({1, r0, r1, 0});
  }
  for (Face& fc : faces) fc.z = P[fc.a][2] + P[fc.b][2] + P[fc.c][2];
  std::sort(faces.begin(), faces.end(), [](const Face& a, const Face& b) { return a.z > b.z; });  // far first
  for (const Face& fc : faces) {
    float ux = P[fc.b][0] - P[fc.a][0], uy = P[fc.b][1] - P[fc.a][1], uz = P[fc.b][2] - P[fc.a][2];
    float vx = P[fc.c][0] - P[fc.a][0], vy = P[fc.c][1] - P[fc.a][1], vz = P[fc.c][2] - P[fc.a][2];
    float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    if (nz / len > 0) continue;  // facing away (the viewer looks along +z)
    float light = std::max(0.0f, (-nx * 0.4f - ny * 0.6f - nz * 0.7f) / len);
    uint8_t col =
        fc.a == 0 ? uint8_t(1 + std::min(62, int32_t(light * 62))) : uint8_t(64 + std::min(63, int32_t(light * 63)));
    float A[2] = {80 + P[fc.a][0], 72 + P[fc.a][1]}, B[2] = {80 + P[fc.b][0], 72 + P[fc.b][1]},
          C[2] = {80 + P[fc.c][0], 72 + P[fc.c][1]};
    fillTri(px, A, B, C, col);
  }
  // Sparks on a tilted orbit; those behind the crystal are hidden by drawing them only on background.
  for (int32_t k = 0; k < 12; k++) {
    float a = ang * 2 + float(k) * 6.2831853f / 12;
    float sx = 80 + 56 * xMathCosf(a), sy = 72 + 14 * xMathSinf(a) - 10 * xMathCosf(a) * 0.3f;
    bool front = xMathSinf(a) > 0;
    int32_t level = 128 + 40 + int32_t(23 * xMathSinf(float(f) * 0.7f + float(k)));
    for (int32_t dy = -1; dy <= 1; dy++)
      for (int32_t dx = -1; dx <= 1; dx++) {
        int32_t x = int32_t(sx) + dx, y = int32_t(sy) + dy;
        if (x < 0 || x >= W || y < 20 || y >= H) continue;
        uint8_t& d = px[size_t(y) * W + x];
        if (!front && d) continue;
        d = uint8_t(dx == 0 && dy == 0 ? level + 20 : level - 30);
      }
  }
}
}  // namespace

void agAddAnimation(std::vector<AgEntry>& out) {
  AgFlcWriter w;
  agFlcBegin(w, W, H, 70);
  std::vector<uint8_t> px(size_t(W) * H);
  for (int32_t f = 0; f < kFrames; f++) {
    renderFrame(px, f);
    AgFlcPal pk = f == 0 ? AG_FLC_PAL_256 : f == 48 ? AG_FLC_PAL_64 : AG_FLC_PAL_NONE;
    agFlcFrame(w, px.data(), palette(f >= 48), f % 2 ? AG_FLC_DELTA_BYTE : AG_FLC_DELTA_WORD, pk);
  }
  out.push_back({"mirvak.flc", agFlcFinish(w)});
}
