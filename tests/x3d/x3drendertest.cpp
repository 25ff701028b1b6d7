#include "x3drendertest.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "x2d/x2d.h"

void RenderTestView::init() {
  x3dInit(320, 200, nullptr);
  x2dInit(320, 240);
  x3dInitZBuffer();
  std::memset(&camera, 0, sizeof(camera));
  x3dCameraViewport(&camera, 320, 200);
  x3dCameraProjection(&camera, 90.0f);
  x3dSetCamera(&camera);
  x3dFogOn = 0;
  pixels.assign(320 * 200, 0);
  clearZ();
}

void RenderTestView::clear(uint32_t c) { std::fill(pixels.begin(), pixels.end(), c); }
void RenderTestView::clearZ() {
  for (int i = 0; i < x3dPixelCount; i++) x3dZBuffer[i] = 0x7FFFFFFF;
}

x3dVertex screenVertex(float sx, float sy, float z) {
  x3dVertex v;
  std::memset(&v, 0, sizeof(v));
  const float cx = 160.0f, cy = 100.0f;
  v.pos[0] = (sx + 0.5f - cx) / (cx - 0.1f) * z;
  v.pos[1] = (cy - 0.5f - sy) / (cy - 0.1f) * z;
  v.pos[2] = z;
  return v;
}

x3dClipPolygon screenTriangle(const float sx[3], const float sy[3], float z) {
  x3dClipPolygon p;
  std::memset(&p, 0, sizeof(p));
  for (int i = 0; i < 3; i++) p.v[i] = screenVertex(sx[i], sy[i], z);
  p.count = 3;
  return p;
}

namespace {
double q16(float v) { return static_cast<double>(std::lrint(static_cast<double>(v) * 65536.0)) / 65536.0; }
}  // namespace

bool refRasterise(const float fsx[3], const float fsy[3], std::vector<RefPixel>& out) {
  out.clear();
  double x[3], y[3];
  for (int i = 0; i < 3; i++) x[i] = q16(fsx[i]), y[i] = q16(fsy[i]);
  double area = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
  if (std::fabs(area) < 1.0) return false;
  int o[3] = {0, 1, 2};
  std::sort(o, o + 3, [&](int a, int b) { return y[a] < y[b]; });
  int t = o[0], m = o[1], b = o[2];
  auto edgeX = [&](int p, int q, double yy) {
    if (y[q] == y[p]) return x[p];
    return x[p] + (yy - y[p]) * (x[q] - x[p]) / (y[q] - y[p]);
  };
  double xLong = edgeX(t, b, y[m]);
  if (std::fabs(xLong - x[m]) < 0.01) return false;
  bool midLeft = xLong > x[m];
  const double eps = 0.004;
  int y0 = static_cast<int>(std::ceil(y[t])), y1 = static_cast<int>(std::ceil(y[b]));
  for (int row = y0; row < y1; row++) {
    double xs = edgeX(t, b, row);
    double xm = row < y[m] ? edgeX(t, m, row) : edgeX(m, b, row);
    double xl = midLeft ? xm : xs, xr = midLeft ? xs : xm;
    for (int px = static_cast<int>(std::floor(xl)) - 1; px <= static_cast<int>(std::ceil(xr)) + 1; px++) {
      RefPixel r;
      r.x = px;
      r.y = row;
      r.covered = px >= xl && px < xr;
      r.ambiguous = std::fabs(px - xl) < eps || std::fabs(px - xr) < eps;
      double l0 = ((x[1] - px) * (y[2] - row) - (x[2] - px) * (y[1] - row)) / area;
      double l1 = ((x[2] - px) * (y[0] - row) - (x[0] - px) * (y[2] - row)) / area;
      r.bary[0] = l0;
      r.bary[1] = l1;
      r.bary[2] = 1.0 - l0 - l1;
      out.push_back(r);
    }
  }
  return true;
}

namespace {
uint8_t gLevelShade[65536], gLevelFog[196608];
uint8_t* gSavedShade = nullptr;
uint8_t* gSavedFog = nullptr;
}  // namespace

void useLevelShadeTable(bool on) {
  if (on) {
    for (int i = 0; i < 65536; i++) gLevelShade[i] = static_cast<uint8_t>(i >> 8);
    if (!gSavedShade) gSavedShade = x3dShadeTable;
    x3dShadeTable = gLevelShade;
  } else if (gSavedShade) {
    x3dShadeTable = gSavedShade;
    gSavedShade = nullptr;
  }
}

void useLevelFogTable(bool on) {
  if (on) {
    for (int i = 0; i < 196608; i++) gLevelFog[i] = static_cast<uint8_t>((i & 0xFFFF) >> 8);
    if (!gSavedFog) gSavedFog = x3dFogTable;
    x3dFogTable = gLevelFog;
  } else if (gSavedFog) {
    x3dFogTable = gSavedFog;
    gSavedFog = nullptr;
  }
}

std::vector<uint32_t> coordTexture(uint8_t top) {
  std::vector<uint32_t> t(65536);
  for (uint32_t v = 0; v < 256; v++)
    for (uint32_t u = 0; u < 256; u++) t[v * 256 + u] = static_cast<uint32_t>(top) << 24 | v << 8 | u;
  return t;
}
