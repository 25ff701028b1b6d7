// 3DS loader: chunk table, tree walk, entry points, post-load fix-ups.
#include "x3d/x3d3ds.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file/xfile.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "x3d/x3d3dsload.h"
#include "x3d/x3drelease.h"

static const char* const kModule = "File3ds";

// The load in progress: its reader state and its copy of the file. A fatal error
// leaves them here, where the next load or x3dLoad3dsRelease frees them.
static x3dLoad* x3dLoading = nullptr;
static uint8_t* x3dLoadingData = nullptr;

const x3dChunk x3dChunkTable[X3D_CHUNK_COUNT] = {
    {X3DS_WALK_C23D, 1, nullptr},
    {X3DS_WALK_3DAA, 1, nullptr},
    {X3DS_MAIN, 1, nullptr},        // main
    {X3DS_EDITOR, 1, nullptr},      // editor
    {X3DS_BACKGROUND, 1, nullptr},  // background colour: its colours are ignored
    {X3DS_AMBIENT, 1, nullptr},     // ambient light: its colours are ignored
    {X3DS_COLOR_BYTES, 0, x3dChunkColorBytes},
    {X3DS_COLOR_FLOATS, 0, x3dChunkColorFloats},
    {X3DS_PERCENT, 0, x3dChunkPercent},
    {X3DS_OBJECT, 1, x3dChunkObjectBlock},
    {X3DS_TRIMESH, 1, x3dChunkTriMesh},
    {X3DS_VERTICES, 0, x3dChunkVertices},
    {X3DS_SKIP_4111, 0, nullptr},
    {X3DS_FACES, 1, x3dChunkFaces},
    {X3DS_SKIP_4165, 0, nullptr},
    {X3DS_FACE_MATERIAL, 0, x3dChunkFaceMaterial},
    {X3DS_TEXCOORDS, 0, x3dChunkTexCoords},
    {X3DS_SKIP_4170, 0, nullptr},
    {X3DS_SMOOTHING, 0, nullptr},  // smoothing groups
    {X3DS_MESH_MATRIX, 0, x3dChunkMeshMatrix},
    {X3DS_LIGHT, 1, x3dChunkLight},
    {X3DS_SPOT, 0, x3dChunkSpot},
    {X3DS_CAMERA, 0, x3dChunkCamera},
    {X3DS_WALK_4F00, 1, nullptr},
    {X3DS_SKIP_7001, 0, nullptr},
    {X3DS_MATERIAL, 1, x3dChunkMaterial},
    {X3DS_MAT_NAME, 0, x3dChunkMaterialName},
    {X3DS_MAT_AMBIENT, 1, nullptr},     // ambient colour
    {X3DS_MAT_DIFFUSE, 1, nullptr},     // diffuse colour
    {X3DS_MAT_SPECULAR, 1, nullptr},    // specular colour
    {X3DS_MAT_TEXTURE, 1, nullptr},     // texture map
    {X3DS_MAT_BUMP, 1, nullptr},        // bump map
    {X3DS_MAT_REFLECTION, 1, nullptr},  // reflection map
    {X3DS_MAP_NAME, 0, x3dChunkMapName},
    {X3DS_MAP_TILING, 0, x3dChunkMapTiling},
    {X3DS_MAP_USCALE, 0, x3dChunkMapUScale},
    {X3DS_MAP_VSCALE, 0, x3dChunkMapVScale},
    {X3DS_MAP_UOFFSET, 0, x3dChunkMapUOffset},
    {X3DS_MAP_VOFFSET, 0, x3dChunkMapVOffset},
    {X3DS_MAP_ROTATION, 0, x3dChunkMapRotation},
    {X3DS_MAT_SHININESS, 1, nullptr},     // shininess
    {X3DS_MAT_STRENGTH, 1, nullptr},      // shininess strength
    {X3DS_MAT_TRANSPARENCY, 1, nullptr},  // transparency
    {X3DS_MAT_FALLOFF, 1, nullptr},       // transparency falloff
    {X3DS_MAT_BLUR, 1, nullptr},          // reflection blur
    {X3DS_MAT_SELF_ILLUM, 1, nullptr},    // self-illumination
    {X3DS_MAT_TWO_SIDED, 0, x3dChunkMatOption01},
    {X3DS_MAT_OPTION_08, 0, x3dChunkMatOption08},
    {X3DS_MAT_OPTION_04, 0, x3dChunkMatOption04},
    {X3DS_MAT_OPTION_02, 0, x3dChunkMatOption02},
    {X3DS_MAT_SHADING, 0, x3dChunkShading},
    {X3DS_INNER_RANGE, 0, x3dChunkInnerRange},
    {X3DS_OUTER_RANGE, 0, x3dChunkOuterRange},
    {X3DS_ATTENUATION, 0, x3dChunkAttenuation},
    {X3DS_NO_LIGHT, 0, x3dChunkNoLight},
    {X3DS_KEYFRAMER, 1, x3dChunkKeyframer},
    {X3DS_NODE_AMBIENT, 1, nullptr},  // ambient node
    {X3DS_NODE_OBJECT, 1, nullptr},   // object node
    {X3DS_KF_SEGMENT, 0, x3dChunkSegment},
    {X3DS_NODE_ID, 0, x3dChunkNodeId},
    {X3DS_NODE_CAMERA, 1, nullptr},       // camera node
    {X3DS_NODE_TARGET, 1, nullptr},       // camera target node
    {X3DS_NODE_OMNI, 1, nullptr},         // omni light node
    {X3DS_NODE_SPOT_TARGET, 1, nullptr},  // spot target node
    {X3DS_NODE_SPOT, 1, nullptr},         // spot light node
    {X3DS_NODE_INSTANCE, 0, x3dChunkInstanceName},
    {X3DS_NODE_HEADER, 0, x3dChunkNodeHeader},
    {X3DS_NODE_PIVOT, 0, x3dChunkPivot},
    {X3DS_TRACK_POS, 0, x3dChunkTrack},     // position
    {X3DS_TRACK_COLOUR, 0, x3dChunkTrack},  // colour
    {X3DS_TRACK_HIDE, 0, x3dChunkTrack},    // hide
    {X3DS_TRACK_ROLL, 0, x3dChunkTrack},    // roll
    {X3DS_TRACK_FOV, 0, x3dChunkTrack},     // field of view
    {X3DS_TRACK_SCALE, 0, x3dChunkTrack},   // scale
    {X3DS_TRACK_MORPH, 0, x3dChunkTrack},   // morph
    {X3DS_TRACK_ROT, 0, x3dChunkTrack},     // rotation
};

// The file being loaded (the archive member's or the disk path), for the failure message.
static char x3dLoadingName[256];

static void x3dSetLoadingName(const char* name) {
  std::snprintf(x3dLoadingName, sizeof x3dLoadingName, "%s", name ? name : "");
}

void x3dLoadFail(int line, int32_t code) {
  // The coded error's text, place and code, naming the file; the process then ends with
  // status 1 like every broken resource (the code itself, 2 for a short read, would read as
  // a command-line error).
  const char* text = xErrLookup(code);
  xErr.code = 0;
  xErrMsg(xFormat("%s -> %s, %d\nFile %s\nLine %d", text, x3dLoadingName, code, kModule, line));
}

void x3dRead(x3dLoad* L, int64_t end, void* out, int64_t bytes, int line) {
  if (end > L->size) end = L->size;
  if (bytes < 0 || L->pos + bytes > end) x3dLoadFail(line, 2);
  std::memcpy(out, L->data + L->pos, static_cast<size_t>(bytes));
  L->pos += bytes;
}

uint16_t x3dReadU16(x3dLoad* L, int64_t end) {
  uint8_t b[2];
  x3dRead(L, end, b, 2, __LINE__);
  return qvLe16(b);
}

uint32_t x3dReadU32(x3dLoad* L, int64_t end) {
  uint8_t b[4];
  x3dRead(L, end, b, 4, __LINE__);
  return qvLe32(b);
}

// An IEEE-754 single, stored as a little-endian word.
float x3dReadF32(x3dLoad* L, int64_t end) {
  uint32_t u = x3dReadU32(L, end);
  float f;
  std::memcpy(&f, &u, 4);
  return f;
}

void x3dReadPoint(x3dLoad* L, int64_t end, float out[3]) {
  out[0] = x3dReadF32(L, end);
  out[2] = x3dReadF32(L, end);
  out[1] = x3dReadF32(L, end);
}

void x3dReadName(x3dLoad* L, int64_t end) {
  if (end > L->size) end = L->size;
  int32_t n = 0;
  while (L->pos < end) {
    char c = static_cast<char>(L->data[L->pos++]);
    if (c == 0) break;
    if (n < X3D_NAME_SIZE - 1) L->name[n++] = c;
  }
  L->name[n] = 0;
}

char* x3dStrDup(const char* s) {
  char* copy = strdup(s ? s : "");
  if (!copy) x3dLoadFail(__LINE__, 1);
  return copy;
}

int32_t x3dGrow(void** array, int32_t* count, size_t recordSize) {
  void* grown = std::realloc(*array, recordSize * (static_cast<size_t>(*count) + 1));
  if (!grown) return -1;
  *array = grown;
  std::memset(static_cast<uint8_t*>(grown) + recordSize * *count, 0, recordSize);
  return (*count)++;
}

void x3dObjectRestPose(x3dObject* o) {
  o->scale[0] = o->scale[1] = o->scale[2] = 1.0f;
  o->rotation[0] = 1.0f;
  o->rotation[1] = o->rotation[2] = o->rotation[3] = 0.0f;
  std::memset(o->matrix, 0, sizeof o->matrix);
  o->matrix[0][0] = o->matrix[1][1] = o->matrix[2][2] = 1.0f;
}

static const x3dChunk* FindChunk(uint32_t id) {
  for (const x3dChunk& c : x3dChunkTable)
    if (c.id == id) return &c;
  return nullptr;
}

static void Walk(x3dLoad* L, int64_t end, uint32_t parent, int depth) {
  // A file nesting deeper than any real scene is broken, not a reason to exhaust the stack.
  if (depth > 64) x3dLoadFail(__LINE__, 2);
  while (L->pos < end) {
    int64_t start = L->pos;
    uint16_t id = x3dReadU16(L, L->size);
    uint32_t length = x3dReadU32(L, L->size);
    int64_t chunkEnd = start + static_cast<int64_t>(length);
    // A chunk shorter than its header would never advance; one past the data is truncated.
    if (length < 6 || chunkEnd > L->size) x3dLoadFail(__LINE__, 2);
    const x3dChunk* c = FindChunk(id);
    if (c) {
      L->parent = parent;
      L->chunk = id;
      if (c->handler) {
        int32_t rc = c->handler(L, chunkEnd);
        if (rc) x3dLoadFail(__LINE__, rc);
      }
      if (c->descend) Walk(L, chunkEnd, id, depth + 1);
      L->lastChunk = id;
    }
    L->pos = chunkEnd;
  }
}

// Pointers into arrays that may have moved while loading are set once at the end.
static void Finish(x3dLoad* L) {
  x3dScene* s = L->scene;
  for (int32_t o = 0; o < s->objectCount; o++) {
    x3dObject* obj = &s->objects[o];
    for (int32_t f = 0; f < obj->faceCount; f++) {
      x3dFace* face = &obj->faces[f];
      if (face->a >= obj->vertexCount || face->b >= obj->vertexCount || face->c >= obj->vertexCount)
        x3dLoadFail(__LINE__, 7);  // a face naming a vertex the object does not have
      face->va = &obj->vertices[face->a];
      face->vb = &obj->vertices[face->b];
      face->vc = &obj->vertices[face->c];
      int32_t m =
          o < static_cast<int32_t>(L->faceMaterial.size()) && f < static_cast<int32_t>(L->faceMaterial[o].size())
              ? L->faceMaterial[o][f]
              : -1;
      face->material = m >= 0 && m < s->materialCount ? &s->materials[m] : nullptr;
    }
  }
  for (int32_t n = 0; n < s->nodeCount; n++) {
    x3dNode* node = &s->nodes[n];
    int32_t i = L->nodeOwner[n];
    switch (node->kind) {
      case X3D_NODE_OBJECT: node->owner = &s->objects[i]; break;
      case X3D_NODE_CAMERA:
      case X3D_NODE_TARGET: node->owner = &s->cameras[i]; break;
      case X3D_NODE_AMBIENT: node->owner = &s->ambients[i]; break;
      default: node->owner = &s->lights[i]; break;
    }
    node->prev = n > 0 ? &s->nodes[n - 1] : nullptr;
    node->next = n + 1 < s->nodeCount ? &s->nodes[n + 1] : nullptr;
  }
}

void x3dLoad3dsRelease() {
  if (x3dLoading) {
    x3dTrack* t = x3dLoading->pendingTrack;
    if (t) std::free(t->keys);
    std::free(t);
    delete x3dLoading;
  }
  std::free(x3dLoadingData);
  x3dLoading = nullptr;
  x3dLoadingData = nullptr;
}

// Parses x3dLoadingData (size bytes) into the scene, then releases the reader state.
static void LoadData(const char* name, int64_t size, x3dScene* scene) {
  x3dLog.Print(xFormat("Load 3DS : %s", name ? name : ""));
  x3dEmptyScene(scene);
  x3dLoad* L = x3dLoading = new x3dLoad();
  L->scene = scene;
  L->data = x3dLoadingData;
  L->size = size;
  L->object = L->light = L->camera = L->material = L->ambient = -1;
  // Not even one chunk header: nothing a 3DS writer produces.
  if (size < 6) x3dLoadFail(__LINE__, 2);
  Walk(L, size, 0, 0);
  Finish(L);
  x3dLoad3dsRelease();
  x3dLog.Print("Loaded..Ok");
  x3dLog.Print(xFormat("Objects: %d Cameras: %d Lights: %d Materials: %d", scene->objectCount, scene->cameraCount,
                       scene->lightCount, scene->materialCount));
  for (int32_t i = 0; i < scene->objectCount; i++) {
    x3dComputeNormals(&scene->objects[i]);
    x3dComputeBounds(&scene->objects[i]);
  }
}

void x3dLoad3ds(const char* fileName, x3dScene* scene) {
  xAssert(scene != nullptr, kModule, __LINE__);
  xAssert(fileName != nullptr, kModule, __LINE__);
  x3dLoad3dsRelease();
  x3dSetLoadingName(fileName);
  int32_t size = 0;
  // The bytes stay in module state until parsed, so a fatal error on the way can release them.
  int32_t r = xFileReadDisk(fileName, &x3dLoadingData, &size);
  if (r == XFILE_OPEN_ERROR) x3dLoadFail(__LINE__, 5);
  if (r == XFILE_NO_MEMORY) x3dLoadFail(__LINE__, 1);
  if (r != XFILE_OK) x3dLoadFail(__LINE__, 2);
  LoadData(fileName, size, scene);
}

void x3dLoad3dsMemory(const xFileData* buffer, x3dScene* scene) {
  xAssert(scene != nullptr, kModule, __LINE__);
  xAssert(buffer != nullptr && (buffer->data != nullptr || buffer->size == 0), kModule, __LINE__);
  x3dLoad3dsRelease();
  x3dSetLoadingName(buffer->name);
  int64_t size = buffer->size > 0 ? buffer->size : 0;
  x3dLoadingData = static_cast<uint8_t*>(std::malloc(size > 0 ? size : 1));
  if (!x3dLoadingData) x3dLoadFail(__LINE__, 1);
  if (size) std::memcpy(x3dLoadingData, buffer->data, size);
  LoadData(buffer->name, size, scene);
}

void x3dComputeNormals(x3dObject* obj) {
  for (int32_t i = 0; i < obj->vertexCount; i++)
    obj->vertices[i].normal[0] = obj->vertices[i].normal[1] = obj->vertices[i].normal[2] = 0.0f;
  for (int32_t f = 0; f < obj->faceCount; f++) {
    x3dFace* face = &obj->faces[f];
    if (face->a >= obj->vertexCount || face->b >= obj->vertexCount || face->c >= obj->vertexCount) continue;
    const float* a = obj->vertices[face->a].pos;
    const float* b = obj->vertices[face->b].pos;
    const float* c = obj->vertices[face->c].pos;
    float u[3] = {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
    float v[3] = {b[0] - c[0], b[1] - c[1], b[2] - c[2]};
    float n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (len == 0.0f) len = 1.0f;
    for (int k = 0; k < 3; k++) {
      face->normal[k] = n[k] / len;
      obj->vertices[face->a].normal[k] += face->normal[k];
      obj->vertices[face->b].normal[k] += face->normal[k];
      obj->vertices[face->c].normal[k] += face->normal[k];
    }
  }
  for (int32_t i = 0; i < obj->vertexCount; i++) {
    float* n = obj->vertices[i].normal;
    float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (len == 0.0f) len = 1.0f;
    n[0] /= len;
    n[1] /= len;
    n[2] /= len;
  }
}

void x3dComputeBounds(x3dObject* obj) {
  if (obj->vertexCount <= 0) return;
  for (int k = 0; k < 3; k++) obj->boxMin[k] = obj->boxMax[k] = obj->vertices[0].pos[k];
  for (int32_t i = 1; i < obj->vertexCount; i++)
    for (int k = 0; k < 3; k++) {
      obj->boxMin[k] = std::fmin(obj->boxMin[k], obj->vertices[i].pos[k]);
      obj->boxMax[k] = std::fmax(obj->boxMax[k], obj->vertices[i].pos[k]);
    }
  for (int k = 0; k < 3; k++) obj->centre[k] = (obj->boxMin[k] + obj->boxMax[k]) / 2;
  float r = 0.0f;
  for (int32_t i = 0; i < obj->vertexCount; i++) {
    const float* p = obj->vertices[i].pos;
    float d = std::sqrt((p[0] - obj->centre[0]) * (p[0] - obj->centre[0]) +
                        (p[1] - obj->centre[1]) * (p[1] - obj->centre[1]) +
                        (p[2] - obj->centre[2]) * (p[2] - obj->centre[2]));
    if (d == 0.0f) d = 1.0f;
    r = std::fmax(r, d);
  }
  obj->radius = r;
}
