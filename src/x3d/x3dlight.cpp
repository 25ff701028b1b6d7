// x3dLightScene: intensity (0..1) and fog (0..1) of every vertex used this
// frame, from the visible lights with attenuation and spot cones, faded and
// fogged towards the far distance. Each vertex is lit once.
#include "x3d/x3drender.h"

namespace {

float lightVertex(const x3dScene* s, const x3dVertex& v) {
  float sum = 0.0f;
  for (int32_t i = 0; i < s->visibleLightCount; i++) {
    const x3dLight* l = s->visibleLights[i];
    float d[3] = {v.view[0] - l->viewPosition[0], v.view[1] - l->viewPosition[1], v.view[2] - l->viewPosition[2]};
    float sq = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
    if (!(sq > 0.0f)) continue;  // a vertex on the light itself has no direction to it
    float dist = x3dFastSqrt(sq);
    const bool atten = (l->kind & X3D_LIGHT_ATTENUATED) != 0;
    if (atten && l->outerRange < dist) continue;
    for (float& c : d) c /= dist;
    float k = d[0] * v.viewNormal[0] + d[1] * v.viewNormal[1] + d[2] * v.viewNormal[2];
    if (atten && dist > l->innerRange) k *= (l->outerRange - dist) / (l->outerRange - l->innerRange);
    if (!(k > 0.0f)) continue;
    float add = k * (0.3f * l->color[0] + 0.486f * l->color[1] + 0.5f * l->color[2]);
    if (l->kind & X3D_LIGHT_SPOT) {
      float c = d[0] * l->viewDirection[0] + d[1] * l->viewDirection[1] + d[2] * l->viewDirection[2];
      if (c >= l->cosHotspot) {
        sum += add;
      } else if (c > l->cosFalloff) {
        sum += add * (c - l->cosFalloff) / (l->cosHotspot - l->cosFalloff);
      }
    } else {
      sum += add;
    }
  }
  return sum;
}

}  // namespace

void x3dLightScene() {
  x3dScene* s = x3dActiveScene;
  if (!s || !s->listA) return;
  const float D = x3dFarDistance;
  for (int32_t e = 0; e < s->listCount; e++) {
    if (s->listA[e].kind != X3D_LIST_FACE) continue;
    x3dFace* f = static_cast<x3dFace*>(s->listA[e].item);
    x3dVertex* vs[3] = {f->va, f->vb, f->vc};
    for (x3dVertex* v : vs) {
      if (!(v->flags & X3D_VTX_USED)) continue;
      const float z = v->view[2];
      if (z >= D) {
        v->flags |= X3D_VTX_FAR;
        v->intensity = 0.0f;
        v->fog = 1.0f;
      } else {
        float i = (f->frameFlags & X3D_FACE_NOLIGHT) ? 0.7f : lightVertex(s, *v);
        v->fog = 0.0f;
        if ((v->flags & X3D_VTX_FADE) && z > 0.75f * D) i = (D - z) * x3dFadeFactor * i;
        if ((v->flags & X3D_VTX_FOG) && z > 0.5f * D) v->fog = 1.0f - (D - z) * x3dFogFactor;
        v->intensity = i > 1.0f ? 1.0f : i;
      }
      v->flags &= ~X3D_VTX_USED;
    }
  }
}
