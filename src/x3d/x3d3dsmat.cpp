// 3DS chunks of colours, percentages, lights, cameras, materials and maps.
#include <cstdlib>
#include <cstring>

#include "x3d/x3d3dsload.h"
#include "xmath/xmath.h"

static x3dMaterial* CurrentMaterial(x3dLoad* L) {
  if (L->material < 0 || L->material >= L->scene->materialCount) x3dLoadFail(__LINE__, 7);
  return &L->scene->materials[L->material];
}

static x3dLight* CurrentLight(x3dLoad* L) {
  if (L->light < 0 || L->light >= L->scene->lightCount) x3dLoadFail(__LINE__, 7);
  return &L->scene->lights[L->light];
}

// Destination of a colour chunk by its parent; null when it is read but not stored.
static float* ColorTarget(x3dLoad* L) {
  switch (L->parent) {
    case 0x4600: return CurrentLight(L)->color;
    case 0xA010: return CurrentMaterial(L)->ambient;
    case 0xA020: return CurrentMaterial(L)->diffuse;
    case 0xA030: return CurrentMaterial(L)->specular;
    default: return nullptr;
  }
}

int32_t x3dChunkColorBytes(x3dLoad* L, int64_t end) {
  uint8_t rgb[3];
  x3dRead(L, end, rgb, 3, __LINE__);
  if (float* c = ColorTarget(L))
    for (int i = 0; i < 3; i++) c[i] = rgb[i] * 0.003921569f;
  return 0;
}

int32_t x3dChunkColorFloats(x3dLoad* L, int64_t end) {
  float rgb[3];
  for (float& f : rgb) f = x3dReadF32(L, end);
  if (float* c = ColorTarget(L))
    for (int i = 0; i < 3; i++) c[i] = rgb[i];
  return 0;
}

int32_t x3dChunkPercent(x3dLoad* L, int64_t end) {
  float v = x3dReadU16(L, end) * 0.01f;
  float* target = nullptr;
  switch (L->parent) {
    case 0xA040: target = &CurrentMaterial(L)->shininess; break;
    case 0xA041: target = &CurrentMaterial(L)->shininessStrength; break;
    case 0xA050: target = &CurrentMaterial(L)->transparency; break;
    case 0xA052: target = &CurrentMaterial(L)->transparencyFalloff; break;
    case 0xA053: target = &CurrentMaterial(L)->reflectionBlur; break;
    case 0xA084: target = &CurrentMaterial(L)->selfIllum; break;
    default: break;
  }
  if (target) *target = v;
  return 0;
}

int32_t x3dChunkLight(x3dLoad* L, int64_t end) {
  float pos[3];
  x3dReadPoint(L, end, pos);
  x3dScene* s = L->scene;
  int32_t i = x3dGrow(reinterpret_cast<void**>(&s->lights), &s->lightCount, sizeof(x3dLight));
  if (i < 0) return 1;
  x3dLight* l = &s->lights[i];
  std::memcpy(l->position, pos, sizeof pos);
  l->id = L->counter++;
  l->name = x3dStrDup(L->name);
  l->kind = X3D_LIGHT_OMNI;
  l->parentId = l->targetParentId = -1;
  L->light = i;
  return 0;
}

int32_t x3dChunkSpot(x3dLoad* L, int64_t end) {
  x3dLight* l = CurrentLight(L);
  x3dReadPoint(L, end, l->target);
  float hotspot = x3dReadF32(L, end);
  float falloff = x3dReadF32(L, end);
  l->cosHotspot = xMathCosf(hotspot * 0.5f * 0.017453292f);
  l->cosFalloff = xMathCosf(falloff * 0.5f * 0.017453292f);
  float span = l->cosFalloff - l->cosHotspot;
  // Equal cones would divide by zero: the edge is then a hard step.
  l->spotFactor = span != 0.0f ? 1.0f / span : 0.0f;
  l->kind = X3D_LIGHT_SPOT;
  l->roll = 0.0f;
  return 0;
}

int32_t x3dChunkCamera(x3dLoad* L, int64_t end) {
  float pos[3], target[3];
  x3dReadPoint(L, end, pos);
  x3dReadPoint(L, end, target);
  float bank = x3dReadF32(L, end);
  float lens = x3dReadF32(L, end);
  x3dScene* s = L->scene;
  int32_t i = x3dGrow(reinterpret_cast<void**>(&s->cameras), &s->cameraCount, sizeof(x3dCamera));
  if (i < 0) return 1;
  x3dCamera* c = &s->cameras[i];
  std::memcpy(c->position, pos, sizeof pos);
  std::memcpy(c->target, target, sizeof target);
  c->roll = bank;
  c->fov = x3dLensToFov(lens);
  c->fileFov = c->fov;
  c->id = L->counter++;
  c->name = x3dStrDup(L->name);
  c->parentId = c->targetParentId = -1;
  L->camera = i;
  return 0;
}

int32_t x3dChunkMaterial(x3dLoad* L, int64_t) {
  x3dScene* s = L->scene;
  int32_t i = x3dGrow(reinterpret_cast<void**>(&s->materials), &s->materialCount, sizeof(x3dMaterial));
  if (i < 0) return 1;
  s->materials[i].id = L->counter++;
  s->materials[i].name = x3dStrDup("");
  L->material = i;
  return 0;
}

int32_t x3dChunkMaterialName(x3dLoad* L, int64_t end) {
  x3dMaterial* m = CurrentMaterial(L);
  x3dReadName(L, end);
  std::free(m->name);
  m->name = x3dStrDup(L->name);
  return 0;
}

// The map a map chunk belongs to by its parent; null under any other parent.
static x3dMap* MapTarget(x3dLoad* L) {
  switch (L->parent) {
    case 0xA200: return &CurrentMaterial(L)->texture;
    case 0xA220: return &CurrentMaterial(L)->reflection;
    case 0xA230: return &CurrentMaterial(L)->bump;
    default: return nullptr;
  }
}

int32_t x3dChunkMapName(x3dLoad* L, int64_t end) {
  x3dReadName(L, end);
  if (x3dMap* m = MapTarget(L)) {
    std::free(m->name);
    m->name = x3dStrDup(L->name);
  }
  return 0;
}

int32_t x3dChunkMapTiling(x3dLoad* L, int64_t end) {
  uint16_t v = x3dReadU16(L, end);
  if (x3dMap* m = MapTarget(L)) m->tiling = v;
  return 0;
}

static int32_t MapFloat(x3dLoad* L, int64_t end, float x3dMap::*field) {
  float v = x3dReadF32(L, end);
  if (x3dMap* m = MapTarget(L)) m->*field = v;
  return 0;
}

int32_t x3dChunkMapUScale(x3dLoad* L, int64_t end) { return MapFloat(L, end, &x3dMap::uScale); }
int32_t x3dChunkMapVScale(x3dLoad* L, int64_t end) { return MapFloat(L, end, &x3dMap::vScale); }
int32_t x3dChunkMapUOffset(x3dLoad* L, int64_t end) { return MapFloat(L, end, &x3dMap::uOffset); }
int32_t x3dChunkMapVOffset(x3dLoad* L, int64_t end) { return MapFloat(L, end, &x3dMap::vOffset); }
int32_t x3dChunkMapRotation(x3dLoad* L, int64_t end) { return MapFloat(L, end, &x3dMap::rotation); }

// Material option chunks: each sets its bit in the material's option flags.
static int32_t MatOption(x3dLoad* L, uint8_t bit) {
  CurrentMaterial(L)->optionFlags |= bit;
  return 0;
}
int32_t x3dChunkMatOption01(x3dLoad* L, int64_t) { return MatOption(L, 0x01); }
int32_t x3dChunkMatOption08(x3dLoad* L, int64_t) { return MatOption(L, 0x08); }
int32_t x3dChunkMatOption04(x3dLoad* L, int64_t) { return MatOption(L, 0x04); }
int32_t x3dChunkMatOption02(x3dLoad* L, int64_t) { return MatOption(L, 0x02); }

int32_t x3dChunkShading(x3dLoad* L, int64_t end) {
  x3dMaterial* m = CurrentMaterial(L);
  m->renderFlags = x3dReadU16(L, end);
  return 0;
}

int32_t x3dChunkInnerRange(x3dLoad* L, int64_t end) {
  x3dLight* l = CurrentLight(L);
  l->innerRange = x3dReadF32(L, end);
  return 0;
}

int32_t x3dChunkOuterRange(x3dLoad* L, int64_t end) {
  x3dLight* l = CurrentLight(L);
  l->outerRange = x3dReadF32(L, end);
  return 0;
}

int32_t x3dChunkAttenuation(x3dLoad* L, int64_t) {
  CurrentLight(L)->kind |= X3D_LIGHT_ATTENUATED;
  return 0;
}
