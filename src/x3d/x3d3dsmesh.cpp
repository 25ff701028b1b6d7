// 3DS mesh chunks: object blocks, vertices, faces, material groups, mapping, mesh matrix.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "x3d/x3d3dsload.h"

static x3dObject* CurrentObject(x3dLoad* L) {
  // Mesh data outside a mesh has no record to attach to.
  if (L->object < 0 || L->object >= L->scene->objectCount) x3dLoadFail(__LINE__, 7);
  return &L->scene->objects[L->object];
}

int32_t x3dChunkObjectBlock(x3dLoad* L, int64_t end) {
  x3dReadName(L, end);
  return 0;
}

int32_t x3dChunkTriMesh(x3dLoad* L, int64_t) {
  x3dScene* s = L->scene;
  int32_t i = x3dGrow(reinterpret_cast<void**>(&s->objects), &s->objectCount, sizeof(x3dObject));
  if (i < 0) return 1;
  x3dObject* o = &s->objects[i];
  o->name = x3dStrDup(L->name);
  o->id = L->counter++;
  o->parentId = -1;
  x3dObjectRestPose(o);
  L->object = i;
  if (static_cast<int32_t>(L->faceMaterial.size()) < s->objectCount) L->faceMaterial.resize(s->objectCount);
  return 0;
}

int32_t x3dChunkVertices(x3dLoad* L, int64_t end) {
  x3dObject* o = CurrentObject(L);
  uint16_t n = x3dReadU16(L, end);
  // A count the chunk cannot hold is a truncated chunk, found before allocating.
  if (L->pos + static_cast<int64_t>(n) * 12 > end) return 2;
  x3dVertex* v = static_cast<x3dVertex*>(std::calloc(n ? n : 1, sizeof(x3dVertex)));
  if (!v) return 1;
  for (int32_t i = 0; i < n; i++) x3dReadPoint(L, end, v[i].pos);
  std::free(o->vertices);
  o->vertices = v;
  o->vertexCount = n;
  return 0;
}

int32_t x3dChunkFaces(x3dLoad* L, int64_t end) {
  x3dObject* o = CurrentObject(L);
  uint16_t n = x3dReadU16(L, end);
  if (L->pos + static_cast<int64_t>(n) * 8 > end) return 2;
  x3dFace* f = static_cast<x3dFace*>(std::calloc(n ? n : 1, sizeof(x3dFace)));
  if (!f) return 1;
  for (int32_t i = 0; i < n; i++) {
    f[i].a = x3dReadU16(L, end);
    f[i].b = x3dReadU16(L, end);
    f[i].c = x3dReadU16(L, end);
    x3dReadU16(L, end);  // edge flags: not kept
  }
  std::free(o->faces);
  o->faces = f;
  o->faceCount = n;
  L->faceMaterial[L->object].assign(n, -1);
  return 0;
}

int32_t x3dChunkFaceMaterial(x3dLoad* L, int64_t end) {
  x3dObject* o = CurrentObject(L);
  x3dReadName(L, end);
  uint16_t n = x3dReadU16(L, end);
  if (L->pos + static_cast<int64_t>(n) * 2 > end) return 2;
  int32_t m = -1;
  for (int32_t i = L->scene->materialCount - 1; i >= 0; i--)
    if (L->scene->materials[i].name && std::strcmp(L->scene->materials[i].name, L->name) == 0) {
      m = i;
      break;
    }
  std::vector<int32_t>& faceMat = L->faceMaterial[L->object];
  for (int32_t i = 0; i < n; i++) {
    uint16_t f = x3dReadU16(L, end);
    if (f >= o->faceCount) return 7;  // a face the object does not have
    if (m < 0) continue;              // unknown material: the face keeps none
    faceMat[f] = m;
    o->faces[f].materialNumber = static_cast<uint16_t>(L->scene->materials[m].id);
  }
  return 0;
}

int32_t x3dChunkTexCoords(x3dLoad* L, int64_t end) {
  x3dObject* o = CurrentObject(L);
  uint16_t n = x3dReadU16(L, end);
  if (L->pos + static_cast<int64_t>(n) * 8 > end) return 2;
  for (int32_t i = 0; i < n; i++) {
    float u = x3dReadF32(L, end);
    float v = x3dReadF32(L, end);
    if (i < o->vertexCount) {
      o->vertices[i].u = u * 255.9f;
      o->vertices[i].v = v * 255.9f;
    }
  }
  return 0;
}

int32_t x3dChunkMeshMatrix(x3dLoad* L, int64_t end) {
  x3dObject* o = CurrentObject(L);
  float file[4][3];
  for (auto& row : file)
    for (float& f : row) f = x3dReadF32(L, end);
  // Engine rows: file X, Z and Y axes with their y and z components exchanged.
  float axis[3][3] = {
      {file[0][0], file[0][2], file[0][1]}, {file[2][0], file[2][2], file[2][1]}, {file[1][0], file[1][2], file[1][1]}};
  float origin[3] = {file[3][0], file[3][2], file[3][1]};
  bool degenerate = false;
  for (auto& a : axis) {
    float sq = a[0] * a[0] + a[1] * a[1] + a[2] * a[2];
    if (sq == 0.0f) {
      degenerate = true;
      break;
    }
    for (float& c : a) c /= sq;
  }
  if (degenerate)
    for (int r = 0; r < 3; r++)
      for (int c = 0; c < 3; c++) axis[r][c] = r == c ? 1.0f : 0.0f;
  for (int32_t i = 0; i < o->vertexCount; i++) {
    float* p = o->vertices[i].pos;
    float d[3] = {p[0] - origin[0], p[1] - origin[1], p[2] - origin[2]};
    for (int r = 0; r < 3; r++) p[r] = d[0] * axis[r][0] + d[1] * axis[r][1] + d[2] * axis[r][2];
  }
  return 0;
}

int32_t x3dChunkNoLight(x3dLoad* L, int64_t) {
  if (L->object >= 0 && L->object < L->scene->objectCount) L->scene->objects[L->object].flags |= X3D_OBJ_NOLIGHT;
  return 0;
}
