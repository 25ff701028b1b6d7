// x3dRenderScene: z-buffer mode draws opaque faces, then lens flares with a
// depth test, then additive faces; painter mode walks the depth-sorted list
// far to near, faces and flares in one order.
#include <cmath>

#include "x3d/raster/x3dfillcore.h"
#include "x3d/x3drender.h"

void x3dDrawLensFlare(const x3dLight* light, uint32_t* pixels, bool depthTest) {
  const x3dCamera* cam = x3dActiveCamera;
  const x3dLensFlare* fl = light ? light->flare : nullptr;
  if (!cam || !fl || !pixels || !fl->map.image || fl->width <= 0 || fl->height <= 0) return;
  if (depthTest && !x3dZBuffer) return;
  const float x = light->viewPosition[0], y = light->viewPosition[1], z = light->viewPosition[2];
  if (!(z > 0.0f)) return;
  const float k = 1.0f / z;
  const float s = k * fl->scale;
  if (!(s > 0.0f)) return;
  // Sizes far beyond the view are cut below anyway; the limit keeps the arithmetic in range.
  const int32_t n = s > 65536.0f ? 65536 : static_cast<int32_t>(std::lrint(s));
  const float stepF = static_cast<float>(fl->width) / s * 65536.0f;
  const int32_t step = stepF >= 2147483647.0f ? INT32_MAX : static_cast<int32_t>(stepF);
  const float hx = cam->halfWidth, hy = cam->halfHeight;
  float rowF, colF;
  if (depthTest) {
    rowF = hy - (hy - 1.0f) * y * k;
    colF = (hx - 1.0f) * x * k + hx;
  } else {
    rowF = hy - k * (hy - 2.0f) * y;
    colF = hx + k * (hx - 2.0f) * x;
  }
  if (!(rowF > -1e6f && rowF < 1e6f && colF > -1e6f && colF < 1e6f)) return;
  int32_t top = static_cast<int32_t>(rowF) - (n >> 1);
  int32_t left = static_cast<int32_t>(colF) - (n >> 1);
  x3dr::Limits lim;
  if (!x3dr::viewLimits(lim, depthTest)) return;
  int32_t H = static_cast<int32_t>(std::lrint(cam->height)), W = static_cast<int32_t>(std::lrint(cam->width));
  if (H > lim.height) H = lim.height;
  if (W > lim.width) W = lim.width;
  if (top > H || left > W) return;
  int32_t rows = n, cols = n;
  if (top + rows > H) rows = H - top;
  if (left + cols > W) cols = W - left;
  int32_t v0 = 0, u0 = 0;
  if (top < 0) {
    rows += top;
    v0 = static_cast<int32_t>((static_cast<int64_t>(-top) * step) >> 16) << 16;
    top = 0;
  }
  if (left < 0) {
    cols += left;
    u0 = static_cast<int32_t>((static_cast<int64_t>(-left) * step) >> 16) << 16;
    left = 0;
  }
  if (rows <= 0 || cols <= 0) return;
  const int32_t zTest = depthTest ? static_cast<int32_t>(std::lrint(static_cast<double>(z) * 65536.0 > 2147483647.0
                                                                        ? 2147483647.0
                                                                        : static_cast<double>(z) * 65536.0))
                                  : 0;
  const uint32_t* tex = fl->map.image;
  // Rounding n up can step one texel past the image: the last row or column repeats instead.
  const int64_t maxU = fl->width - 1, maxV = fl->height - 1;
  int64_t vAcc = v0;
  for (int32_t r = 0; r < rows; r++, vAcc += step) {
    int64_t tv = vAcc >> 16;
    const uint32_t* trow = tex + (tv > maxV ? maxV : tv) * fl->width;
    const int32_t line = x3dLineOffset[top + r];
    uint32_t* d = reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(pixels) + line) + left;
    const int32_t* zp = depthTest ? x3dZBuffer + (line >> 2) + left : nullptr;
    int64_t uAcc = u0;
    for (int32_t c = 0; c < cols; c++, uAcc += step) {
      int64_t tu = uAcc >> 16;
      if (depthTest && zp[c] < zTest) continue;
      x3dr::WriteAdd::put(d + c, trow[tu > maxU ? maxU : tu]);
    }
  }
}

void x3dRenderScene(uint32_t* pixels) {
  x3dScene* s = x3dActiveScene;
  if (!s || !pixels || !s->listA) return;
  if (s->zbuffer) {
    if (!x3dZBuffer) x3dInitZBuffer();
    for (int32_t i = 0; i < x3dPixelCount; i++) x3dZBuffer[i] = 0x7FFFFFFF;
    for (int32_t i = s->listCount - 1; i >= 0; i--) {
      if (s->listA[i].kind != X3D_LIST_FACE) continue;
      x3dFace* f = static_cast<x3dFace*>(s->listA[i].item);
      if (!f->material || !(f->material->renderFlags & X3D_RF_ADDITIVE)) x3dDrawFace(f, pixels, X3D_MODE_ZBUFFER, 1);
    }
    for (int32_t i = 0; i < s->visibleLightCount; i++)
      if (s->visibleLights[i]->flare) x3dDrawLensFlare(s->visibleLights[i], pixels, true);
    for (int32_t i = s->listCount - 1; i >= 0; i--) {
      if (s->listA[i].kind != X3D_LIST_FACE) continue;
      x3dFace* f = static_cast<x3dFace*>(s->listA[i].item);
      if (f->material && (f->material->renderFlags & X3D_RF_ADDITIVE)) x3dDrawFace(f, pixels, X3D_MODE_ZBUFFER, 2);
    }
  } else {
    for (int32_t i = s->listCount - 1; i >= 0; i--) {
      const x3dSceneList& e = s->listA[i];
      if (e.kind == X3D_LIST_FACE) x3dDrawFace(static_cast<x3dFace*>(e.item), pixels, X3D_MODE_PAINTER, 1);
      else if (e.kind == X3D_LIST_FLARE) x3dDrawLensFlare(static_cast<const x3dLight*>(e.item), pixels, false);
    }
  }
}
