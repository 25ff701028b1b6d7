// x3dTransformScene: lights into view space, bounding-sphere culling, object-space
// back-face rejection, morphing, transform of used vertices only, the polygon
// list and (painter mode) its radix sort by depth.
#include <cmath>
#include <cstring>

#include "system/xerror.h"
#include "x3d/raster/x3dfill.h"
#include "x3d/x3drender.h"
#include "x3d/x3dmat.h"
#include "x3d/x3dscene.h"

namespace {

// Last object with this id, or null.
x3dObject* objectById(x3dScene* s, int32_t id) {
  for (int32_t i = s->objectCount - 1; i >= 0; i--)
    if (s->objects[i].id == id) return &s->objects[i];
  return nullptr;
}

inline float lerp(float a, float b, float t) { return a + t * (b - a); }

void transformLights(x3dScene* s, const x3dCamera* cam, bool painter) {
  for (int32_t i = 0; i < s->lightCount; i++) {
    x3dLight* l = &s->lights[i];
    float t[3];
    if (cam) {
      x3dMatApply(cam->view, l->position, t);
      x3dMatApply(cam->projection, t, l->viewPosition);
    } else {
      std::memcpy(l->viewPosition, l->position, sizeof(t));
    }
    if (l->kind & X3D_LIGHT_SPOT) {
      if (cam) {
        x3dMatApply(cam->view, l->target, t);
        x3dMatApply(cam->projection, t, l->viewTarget);
      } else {
        std::memcpy(l->viewTarget, l->target, sizeof(t));
      }
      float d[3] = {l->viewTarget[0] - l->viewPosition[0], l->viewTarget[1] - l->viewPosition[1],
                    l->viewTarget[2] - l->viewPosition[2]};
      float sq = d[0] * d[0] + d[1] * d[1] + d[2] * d[2];
      float len = sq > 0.0f ? x3dFastSqrt(sq) : 0.0f;
      for (int k = 0; k < 3; k++) l->viewDirection[k] = len > 0.0f ? d[k] / len : 0.0f;
    }
    if (painter && l->flare) {
      x3dSceneList& e = s->listA[s->listCount++];
      e.item = l;
      e.depth = l->viewPosition[2];
      e.kind = X3D_LIST_FLARE;
    }
    s->visibleLights[s->visibleLightCount++] = l;
  }
}

// Object to view (and projection x, y scale) matrix; the object matrix itself without a camera.
void objectToView(const x3dObject* o, const x3dCamera* cam, x3dMat C) {
  if (cam) {
    x3dMatMul(cam->view, o->matrix, C);
    // Rotation entries that sum to -0 are kept as +0, the value the golden frames and frame
    // hashes were made with; every other value is unchanged by the addition.
    for (int r = 0; r < 3; r++)
      for (int c = 0; c < 3; c++) C[r][c] += 0.0f;
    for (int c = 0; c < 4; c++) {
      C[0][c] *= cam->projection[0][0];
      C[1][c] *= cam->projection[1][1];
    }
  } else {
    std::memcpy(C, o->matrix, sizeof(x3dMat));
  }
}

// Bounding-sphere test against the near and far planes and the view pyramid; sets the
// object's clip code. False when the object is out of sight; else *zone gets the
// fade and fog vertex flags of the depth it reaches.
bool cullObject(x3dObject* o, const x3dCamera* cam, const x3dMat C, uint32_t* zone) {
  const float D = x3dFarDistance;
  float c[3];
  x3dMatApply(C, o->centre, c);
  if (c[2] + o->radius < 3.0f || c[2] - o->radius > D) return false;
  const float kx = cam ? cam->sideSine : 0.70710678f, ky = cam ? cam->sideSineY : 0.70710678f;
  o->clipCode = x3dSphereOutcode(kx, ky, c, o->radius);
  if (o->clipCode & X3D_CLIP_OUTSIDE) return false;
  uint32_t f = 0;
  if (c[2] + o->radius > 0.75f * D) f = X3D_VTX_FADE;
  if (x3dFogOn && c[2] + o->radius > 0.5f * D) f |= X3D_VTX_FOG;
  *zone = f;
  return true;
}

// Inverse of rotation with uniform scale: transpose / s, s the squared scale (identity when 0).
void invertPose(const float M[3][4], x3dMat inv) {
  float sq = M[0][0] * M[0][0] + M[0][1] * M[0][1] + M[0][2] * M[0][2];
  if (sq == 0.0f) {
    std::memset(inv, 0, sizeof(x3dMat));
    inv[0][0] = inv[1][1] = inv[2][2] = 1.0f;
    return;
  }
  for (int r = 0; r < 3; r++)
    for (int cc = 0; cc < 3; cc++) inv[r][cc] = M[cc][r] / sq;
  for (int r = 0; r < 3; r++) inv[r][3] = -(inv[r][0] * M[0][3] + inv[r][1] * M[1][3] + inv[r][2] * M[2][3]);
}

// Morph sources must match this mesh; otherwise (false) the object shows its own mesh.
bool morphSources(x3dScene* s, const x3dObject* o, x3dObject** src, x3dObject** dst) {
  if (!(o->flags & X3D_OBJ_MORPH)) return false;
  x3dObject* a = *src = objectById(s, o->morphSource);
  x3dObject* b = *dst = objectById(s, o->morphTarget);
  return a && b && a->vertexCount == o->vertexCount && b->vertexCount == o->vertexCount &&
         a->faceCount == o->faceCount && b->faceCount == o->faceCount && a->vertices && b->vertices && a->faces &&
         b->faces;
}

// Normal matrix: a morphing painter-mode object lights with the object matrix's rows
// made unit length, every other object with its view matrix.
void normalMatrix(const float M[3][4], const x3dMat C, bool unitRows, x3dMat N) {
  if (!unitRows) {
    std::memcpy(N, C, sizeof(x3dMat));
    return;
  }
  std::memcpy(N, M, sizeof(x3dMat));
  for (int r = 0; r < 3; r++) {
    float len = std::sqrt(N[r][0] * N[r][0] + N[r][1] * N[r][1] + N[r][2] * N[r][2]);
    if (len > 0.0f)
      for (int cc = 0; cc < 3; cc++) N[r][cc] /= len;
  }
}

// Blended positions and normals into view / viewNormal, blended face normals into morphNormal.
void morphMesh(x3dObject* o, const x3dObject* src, const x3dObject* dst) {
  const float t = o->morphFactor;
  for (int32_t i = 0; i < o->vertexCount; i++) {
    x3dVertex& v = o->vertices[i];
    const x3dVertex &a = src->vertices[i], &b = dst->vertices[i];
    for (int kk = 0; kk < 3; kk++) {
      v.view[kk] = lerp(a.pos[kk], b.pos[kk], t);
      v.viewNormal[kk] = lerp(a.normal[kk], b.normal[kk], t);
    }
  }
  for (int32_t j = 0; j < o->faceCount; j++)
    for (int kk = 0; kk < 3; kk++)
      o->faces[j].morphNormal[kk] = lerp(src->faces[j].normal[kk], dst->faces[j].normal[kk], t);
}

// Object-space back-face test against the eye; front faces mark their corners used.
// Morphed faces facing the eye edge-on stay (>= 0), unmorphed ones go (> 0).
void rejectBackFaces(x3dObject* o, const float eye[3], bool morph) {
  const uint16_t g = (o->flags & X3D_OBJ_NOLIGHT) ? X3D_FACE_NOLIGHT : 0;
  for (int32_t j = 0; j < o->faceCount; j++) {
    x3dFace& fc = o->faces[j];
    fc.clipCode = 0;
    const float* pa = morph ? fc.va->view : fc.va->pos;
    const float* n = morph ? fc.morphNormal : fc.normal;
    float d = (pa[0] - eye[0]) * n[0] + (pa[1] - eye[1]) * n[1] + (pa[2] - eye[2]) * n[2];
    if (morph ? !(d >= 0.0f) : !(d > 0.0f)) {
      fc.clipCode = X3D_CLIP_BACKFACE;
      continue;
    }
    fc.clipCode = static_cast<uint16_t>(o->clipCode);
    fc.frameFlags = static_cast<uint16_t>(g | X3D_FACE_VISIBLE);
    fc.va->flags |= X3D_VTX_USED;
    fc.vb->flags |= X3D_VTX_USED;
    fc.vc->flags |= X3D_VTX_USED;
  }
}

// Used vertices (all of a morphed mesh) into view space; zone: fade and fog flags.
void transformVertices(x3dObject* o, const x3dMat C, const x3dMat N, bool morph, uint32_t zone) {
  for (int32_t i = 0; i < o->vertexCount; i++) {
    x3dVertex& v = o->vertices[i];
    if (!morph && !(v.flags & X3D_VTX_USED)) continue;
    v.flags = X3D_VTX_USED | zone;
    float p[3], n[3];
    std::memcpy(p, morph ? v.view : v.pos, sizeof(p));
    std::memcpy(n, morph ? v.viewNormal : v.normal, sizeof(n));
    x3dMatApply(C, p, v.view);
    x3dMatApply3(N, n, v.viewNormal);
  }
}

// Front faces onto the frame list; painter mode sorts them by mean view depth.
void listFaces(x3dScene* s, x3dObject* o, bool painter) {
  for (int32_t j = 0; j < o->faceCount; j++) {
    x3dFace& fc = o->faces[j];
    if (fc.clipCode & X3D_CLIP_BACKFACE) continue;
    x3dSceneList& e = s->listA[s->listCount++];
    e.item = &fc;
    e.kind = X3D_LIST_FACE;
    e.depth = painter ? (fc.va->view[2] + fc.vb->view[2] + fc.vc->view[2]) * 0.33333334f : 0.0f;
  }
}

void transformObject(x3dScene* s, x3dObject* o, const x3dCamera* cam, bool painter) {
  x3dMat C, inv, N;
  uint32_t zone = 0;
  objectToView(o, cam, C);
  if (!cullObject(o, cam, C, &zone)) return;
  invertPose(o->matrix, inv);
  x3dObject *src = nullptr, *dst = nullptr;
  const bool morph = morphSources(s, o, &src, &dst);
  normalMatrix(o->matrix, C, morph && painter, N);
  if (morph) morphMesh(o, src, dst);
  float eye[3];
  const float origin[3] = {0, 0, 0};
  x3dMatApply(inv, cam ? cam->position : origin, eye);
  rejectBackFaces(o, eye, morph);
  transformVertices(o, C, N, morph, zone);
  listFaces(s, o, painter);
}

}  // namespace

void x3dSortList(x3dSceneList* a, x3dSceneList* b, int32_t count) {
  x3dSceneList* from = a;
  x3dSceneList* to = b;
  for (int shift = 0; shift < 32; shift += 8) {
    int32_t counts[256] = {};
    for (int32_t i = 0; i < count; i++) {
      uint32_t bits;
      std::memcpy(&bits, &from[i].depth, 4);
      counts[(bits >> shift) & 255]++;
    }
    int32_t sum = 0;
    for (int32_t& c : counts) {
      int32_t n = c;
      c = sum;
      sum += n;
    }
    for (int32_t i = 0; i < count; i++) {
      uint32_t bits;
      std::memcpy(&bits, &from[i].depth, 4);
      to[counts[(bits >> shift) & 255]++] = from[i];
    }
    x3dSceneList* t = from;
    from = to;
    to = t;
  }
  // Four passes: A->B, B->A, A->B, B->A; the result is back in a.
}

void x3dTransformScene() {
  x3dScene* s = x3dActiveScene;
  if (!s) return;
  if (!s->listA || !s->listB || !s->visibleLights) x3dAllocFrameLists(s);
  s->listCount = 0;
  s->visibleLightCount = 0;
  const x3dCamera* cam = x3dActiveCamera;
  const bool painter = !s->zbuffer;
  transformLights(s, cam, painter);
  for (int32_t i = 0; i < s->objectCount; i++) {
    x3dObject* o = &s->objects[i];
    if (o->flags & (X3D_OBJ_HIDDEN_TRACK | X3D_OBJ_HIDDEN)) continue;
    if (o->faceCount <= 0 || !o->faces || !o->vertices) continue;  // dummies carry no geometry
    transformObject(s, o, cam, painter);
  }
  if (painter) x3dSortList(s->listA, s->listB, s->listCount);
}
