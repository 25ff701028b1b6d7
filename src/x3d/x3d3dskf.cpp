// 3DS keyframer chunks: frame segment, node ids and headers, pivots, tracks.
#include <cstdlib>
#include <cstring>

#include "x3d/x3d3dsload.h"

int32_t x3dChunkKeyframer(x3dLoad* L, int64_t) {
  L->counter = -1;
  return 0;
}

int32_t x3dChunkSegment(x3dLoad* L, int64_t end) {
  int32_t start = static_cast<int32_t>(x3dReadU32(L, end));
  int32_t stop = static_cast<int32_t>(x3dReadU32(L, end));
  L->scene->startFrame = static_cast<float>(start);
  L->scene->endFrame = static_cast<float>(stop);
  L->scene->frame = 0.0f;
  return 0;
}

int32_t x3dChunkNodeId(x3dLoad* L, int64_t end) {
  L->counter = x3dReadU16(L, end);
  return 0;
}

int32_t x3dChunkInstanceName(x3dLoad* L, int64_t end) {
  x3dReadName(L, end);
  if (L->object >= 0 && L->object < L->scene->objectCount) {
    x3dObject* o = &L->scene->objects[L->object];
    std::free(o->name);
    o->name = x3dStrDup(L->name);
  }
  return 0;
}

int32_t x3dChunkPivot(x3dLoad* L, int64_t end) {
  float p[3];
  x3dReadPoint(L, end, p);
  if (L->object < 0 || L->object >= L->scene->objectCount) return 0;
  x3dObject* o = &L->scene->objects[L->object];
  std::memcpy(o->pivot, p, sizeof p);
  for (int32_t i = 0; i < o->vertexCount; i++)
    for (int k = 0; k < 3; k++) o->vertices[i].pos[k] -= p[k];
  return 0;
}

// Last index of a record of that name, -1 when none.
template <typename T>
static int32_t FindByName(const T* array, int32_t count, const char* name) {
  for (int32_t i = count - 1; i >= 0; i--)
    if (array[i].name && std::strcmp(array[i].name, name) == 0) return i;
  return -1;
}

// Last node with this node id, -1 when none.
static int32_t FindNode(x3dScene* s, int32_t id) {
  for (int32_t i = s->nodeCount - 1; i >= 0; i--)
    if (s->nodes[i].id == id) return i;
  return -1;
}

static int32_t OwnerId(x3dLoad* L, int32_t node) {
  x3dScene* s = L->scene;
  int32_t i = L->nodeOwner[node];
  switch (s->nodes[node].kind) {
    case X3D_NODE_OBJECT: return s->objects[i].id;
    case X3D_NODE_CAMERA:
    case X3D_NODE_TARGET: return s->cameras[i].id;
    case X3D_NODE_AMBIENT: return s->ambients[i].id;
    default: return s->lights[i].id;
  }
}

static int32_t CreateNode(x3dLoad* L, int32_t kind, int32_t slots, int32_t owner, int32_t parentIndex) {
  x3dScene* s = L->scene;
  x3dTrackSet* set = static_cast<x3dTrackSet*>(std::calloc(1, sizeof(x3dTrackSet)));
  if (!set) return 1;
  set->count = slots;
  int32_t parent = parentIndex == 0xFFFF ? -1 : FindNode(s, parentIndex);
  int32_t i = x3dGrow(reinterpret_cast<void**>(&s->nodes), &s->nodeCount, sizeof(x3dNode));
  if (i < 0) {
    std::free(set);
    return 1;
  }
  x3dNode* n = &s->nodes[i];
  n->kind = kind;
  n->id = L->counter;
  n->tracks = set;
  n->parent = parent;
  L->nodeOwner.push_back(owner);
  if (parent >= 0) {
    n->nextSibling = s->nodes[parent].firstChild;
    s->nodes[parent].firstChild = i;
  }
  // The array may have moved: relink the list (owners are set after the walk).
  for (int32_t k = 0; k < s->nodeCount; k++) {
    s->nodes[k].prev = k > 0 ? &s->nodes[k - 1] : nullptr;
    s->nodes[k].next = k + 1 < s->nodeCount ? &s->nodes[k + 1] : nullptr;
  }
  return 0;
}

int32_t x3dChunkNodeHeader(x3dLoad* L, int64_t end) {
  x3dScene* s = L->scene;
  if (L->lastChunk != X3DS_NODE_ID) L->counter++;
  x3dReadName(L, end);
  uint16_t flags1 = x3dReadU16(L, end);
  x3dReadU16(L, end);
  uint16_t parentIndex = x3dReadU16(L, end);

  int32_t object = -1, light = -1, camera = -1;
  if (std::strcmp(L->name, "$$$DUMMY") == 0) {
    object = x3dGrow(reinterpret_cast<void**>(&s->objects), &s->objectCount, sizeof(x3dObject));
    if (object < 0) return 1;
    x3dObject* o = &s->objects[object];
    o->name = x3dStrDup(L->name);
    o->id = L->counter + 1024;
    o->parentId = -1;
    o->flags = X3D_OBJ_DUMMY;
    x3dObjectRestPose(o);
    L->faceMaterial.resize(s->objectCount);
  } else if (std::strcmp(L->name, "$AMBIENT$") == 0) {
    int32_t a = x3dGrow(reinterpret_cast<void**>(&s->ambients), &s->ambientCount, sizeof(x3dAmbient));
    if (a < 0) return 1;
    s->ambients[a].name = x3dStrDup(L->name);
    s->ambients[a].id = L->counter + 1024;
    L->ambient = a;
  } else {
    object = FindByName(s->objects, s->objectCount, L->name);
    light = FindByName(s->lights, s->lightCount, L->name);
    camera = FindByName(s->cameras, s->cameraCount, L->name);
  }

  int32_t parentNode = parentIndex == 0xFFFF ? -1 : FindNode(s, parentIndex);
  int32_t parentId = parentNode >= 0 ? OwnerId(L, parentNode) : -1;

  switch (L->parent) {
    case X3DS_NODE_OBJECT:
      if (object < 0) return 0;  // no object of that name: its tracks are dropped
      s->objects[object].parentId = parentId;
      if (flags1 & X3DS_NODE_HIDDEN) s->objects[object].flags |= X3D_OBJ_HIDDEN;
      L->object = object;
      return CreateNode(L, X3D_NODE_OBJECT, 5, object, parentIndex);
    case X3DS_NODE_CAMERA:
      if (camera < 0) return 7;
      s->cameras[camera].parentId = parentId;
      return CreateNode(L, X3D_NODE_CAMERA, 3, camera, parentIndex);
    case X3DS_NODE_TARGET:
      if (camera < 0) return 7;
      s->cameras[camera].targetParentId = parentId;
      return CreateNode(L, X3D_NODE_TARGET, 1, camera, parentIndex);
    case X3DS_NODE_OMNI:
      if (light < 0) return 7;
      s->lights[light].parentId = parentId;
      return CreateNode(L, X3D_NODE_OMNI, 2, light, parentIndex);
    case X3DS_NODE_SPOT_TARGET:
      if (light < 0) return 7;
      s->lights[light].targetParentId = parentId;
      return CreateNode(L, X3D_NODE_SPOT_TARGET, 1, light, parentIndex);
    case X3DS_NODE_SPOT:
      if (light < 0) return 7;
      s->lights[light].parentId = parentId;
      return CreateNode(L, X3D_NODE_SPOT, 3, light, parentIndex);
    case X3DS_NODE_AMBIENT:
      if (L->ambient < 0 || L->ambient >= s->ambientCount) return 7;
      return CreateNode(L, X3D_NODE_AMBIENT, 1, L->ambient, parentIndex);
    default: return 0;  // a node header outside a node chunk
  }
}

// Slot of a track chunk in a node of the given kind, -1 when it has none.
static int32_t TrackSlot(int32_t kind, uint32_t chunk) {
  if (chunk == X3DS_TRACK_POS) return 0;
  switch (kind) {
    case X3D_NODE_CAMERA: return chunk == X3DS_TRACK_FOV ? 1 : chunk == X3DS_TRACK_ROLL ? 2 : -1;
    case X3D_NODE_OMNI: return chunk == X3DS_TRACK_COLOUR ? 1 : -1;
    case X3D_NODE_SPOT: return chunk == X3DS_TRACK_ROLL ? 1 : chunk == X3DS_TRACK_COLOUR ? 2 : -1;
    case X3D_NODE_OBJECT:
      return chunk == X3DS_TRACK_SCALE   ? 1
             : chunk == X3DS_TRACK_ROT   ? 2
             : chunk == X3DS_TRACK_MORPH ? 3
             : chunk == X3DS_TRACK_HIDE  ? 4
                                         : -1;
    case X3D_NODE_AMBIENT: return chunk == X3DS_TRACK_COLOUR ? 0 : -1;
    default: return -1;
  }
}

static void FreeTrack(x3dTrack* t) {
  if (!t) return;
  std::free(t->keys);
  std::free(t);
}

// Reads a whole track chunk: header, keys, links, set-up.
static int32_t ReadTrack(x3dLoad* L, int64_t end, x3dTrack** out) {
  uint32_t chunk = L->chunk;
  uint16_t flags = x3dReadU16(L, end);
  uint8_t skip[8];
  x3dRead(L, end, skip, 8, __LINE__);
  int32_t count = static_cast<int32_t>(x3dReadU32(L, end) & 0xFFFF);
  // Every key needs at least its frame and flags word: 6 bytes.
  if (L->pos + static_cast<int64_t>(count) * 6 > end) return 2;
  x3dTrack* t = static_cast<x3dTrack*>(std::calloc(1, sizeof(x3dTrack)));
  if (!t) return 1;
  L->pendingTrack = t;  // a key cut short ends the load; the release routine frees it
  t->mode = x3dTrackMode(flags);
  t->keyCount = count;
  t->keys = static_cast<x3dKey*>(std::calloc(count ? count : 1, sizeof(x3dKey)));
  if (!t->keys) return 1;
  for (int32_t i = 0; i < count; i++) {
    x3dKey* k = &t->keys[i];
    k->frame = static_cast<float>(x3dReadU32(L, end) & 0xFFFF);
    uint16_t spline = x3dReadU16(L, end);
    if (chunk == X3DS_TRACK_HIDE) {  // hide keys: no parameters, states alternate from "hidden"
      k->ivalue[0] = (i & 1) ? 0 : 1;
      continue;
    }
    for (int bit = 0; bit < 16; bit++) {
      if (!(spline & (1u << bit))) continue;
      float v = x3dReadF32(L, end);
      switch (bit) {
        case 0: k->tension = v; break;
        case 1: k->continuity = v; break;
        case 2: k->bias = v; break;
        case 3: k->easeTo = v; break;
        case 4: k->easeFrom = v; break;
        default: break;
      }
    }
    switch (chunk) {
      case X3DS_TRACK_POS:
      case X3DS_TRACK_SCALE: x3dReadPoint(L, end, k->value); break;
      case X3DS_TRACK_COLOUR:
        for (int c = 0; c < 3; c++) k->value[c] = x3dReadF32(L, end);
        break;
      case X3DS_TRACK_FOV:
      case X3DS_TRACK_ROLL: k->value[0] = x3dReadF32(L, end); break;
      case X3DS_TRACK_ROT: {
        float angle = x3dReadF32(L, end);
        float ax = x3dReadF32(L, end), ay = x3dReadF32(L, end), az = x3dReadF32(L, end);
        x3dRotKeySet(k, i > 0 ? &t->keys[i - 1] : nullptr, angle, ax, ay, az);
        break;
      }
      case X3DS_TRACK_MORPH: {
        x3dReadName(L, end);
        int32_t o = FindByName(L->scene->objects, L->scene->objectCount, L->name);
        if (o < 0) return 7;
        k->ivalue[0] = L->scene->objects[o].id;
        break;
      }
      default: break;
    }
  }
  x3dTrackLink(t);
  if (count > 0) {
    if (chunk == X3DS_TRACK_ROT) x3dSplineInitRot(t);
    else if (chunk != X3DS_TRACK_MORPH && chunk != X3DS_TRACK_HIDE) x3dSplineInit(t);
  }
  L->pendingTrack = nullptr;
  *out = t;
  return 0;
}

int32_t x3dChunkTrack(x3dLoad* L, int64_t end) {
  x3dTrack* t = nullptr;
  int32_t rc = ReadTrack(L, end, &t);
  if (rc) return rc;
  x3dScene* s = L->scene;
  if (s->nodeCount == 0) {
    FreeTrack(t);
    return 7;
  }
  int32_t n = FindNode(s, L->counter);
  int32_t slot = n >= 0 ? TrackSlot(s->nodes[n].kind, L->chunk) : -1;
  if (slot < 0 || slot >= s->nodes[n].tracks->count) {
    FreeTrack(t);
    return 0;
  }
  FreeTrack(s->nodes[n].tracks->track[slot]);
  s->nodes[n].tracks->track[slot] = t;
  return 0;
}
