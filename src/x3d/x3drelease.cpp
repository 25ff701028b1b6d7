// Release routines for scenes and the texture list.
#include "x3d/x3drelease.h"

#include <cstdlib>
#include <cstring>

#include "x3d/x3dspline.h"

static void FreeMap(x3dMap* map) {
  std::free(map->name);  // the image belongs to the texture list
  map->name = nullptr;
  map->image = nullptr;
}

static void FreeNodes(x3dScene* s) {
  for (int32_t n = 0; n < s->nodeCount; n++) {
    x3dTrackSet* set = s->nodes[n].tracks;
    if (!set) continue;
    for (x3dTrack* t : set->track) {
      if (!t) continue;
      std::free(t->keys);
      std::free(t);
    }
    std::free(set);
  }
  std::free(s->nodes);
}

void x3dEmptyScene(x3dScene* s) {
  if (!s) return;
  for (int32_t i = 0; i < s->objectCount; i++) {
    std::free(s->objects[i].name);
    std::free(s->objects[i].vertices);
    std::free(s->objects[i].faces);
  }
  for (int32_t i = 0; i < s->lightCount; i++) {
    std::free(s->lights[i].name);
    if (s->lights[i].flare) FreeMap(&s->lights[i].flare->map);
    std::free(s->lights[i].flare);
  }
  for (int32_t i = 0; i < s->cameraCount; i++) std::free(s->cameras[i].name);
  for (int32_t i = 0; i < s->materialCount; i++) {
    x3dMaterial* m = &s->materials[i];
    std::free(m->name);
    FreeMap(&m->texture);
    FreeMap(&m->reflection);
    FreeMap(&m->bump);
  }
  for (int32_t i = 0; i < s->ambientCount; i++) std::free(s->ambients[i].name);
  FreeNodes(s);
  bool active = x3dActiveScene == s;
  bool ownCamera = x3dActiveCamera && s->cameraCount > 0 && x3dActiveCamera >= s->cameras &&
                   x3dActiveCamera < s->cameras + s->cameraCount;
  std::free(s->objects);
  std::free(s->lights);
  std::free(s->cameras);
  std::free(s->materials);
  std::free(s->ambients);
  std::free(s->listA);
  std::free(s->listB);
  std::free(s->visibleLights);
  std::free(s->texturePath);
  if (active) x3dActiveScene = nullptr;
  if (ownCamera) x3dActiveCamera = nullptr;
  x3dScene settings{};
  settings.distance = s->distance;
  settings.fog = s->fog;
  std::memcpy(settings.fogColor, s->fogColor, sizeof settings.fogColor);
  settings.zbuffer = s->zbuffer;
  *s = settings;
}

void x3dFreeScene(x3dScene* s) {
  if (!s) return;
  x3dEmptyScene(s);
  std::memset(s, 0, sizeof *s);
}
