// x3dUpdateScene: three passes over the keyframer nodes in file order.
#include "x3d/x3danim.h"

#include <cmath>
#include <cstring>

#include "x3d/x3dmat.h"
#include "x3d/x3dspline.h"

// Repeat and loop tracks wrap the frame at their last key.
static float TrackTime(const x3dTrack* t, float frame) {
  if ((t->mode == X3D_TRACK_REPEAT || t->mode == X3D_TRACK_LOOP) && t->length > 0.0f)
    return std::fmod(frame, t->length);
  return frame;
}

static bool HasKeys(const x3dTrack* t) { return t && t->keys && t->keyCount > 0; }

// Standard evaluation: interpolate from the first key on, hold the first key before it
// (N floats of its value, or of its orientation for rotations).
template <int N, void (*Spline)(x3dTrack*, float, float*), bool Orient = false>
static void Eval(x3dTrack* t, float frame, float* out) {
  if (!HasKeys(t) || frame < 0.0f) return;
  float time = TrackTime(t, frame);
  if (t->keyCount >= 2 && time >= t->keys[0].frame) Spline(t, time, out);
  else std::memcpy(out, Orient ? t->keys[0].orient : t->keys[0].value, N * sizeof(float));
}
constexpr auto EvalVector = Eval<3, x3dSplineVector>;
constexpr auto EvalScalar = Eval<1, x3dSplineScalar>;
constexpr auto EvalRotation = Eval<4, x3dSplineRotation, true>;

// Colours: plain interpolation at the unwrapped frame.
static void EvalColor(x3dTrack* t, float frame, float out[3]) { x3dSplineVector(t, frame, out); }

static x3dTrack* Slot(const x3dNode* n, int i) {
  return n->tracks && i < n->tracks->count ? n->tracks->track[i] : nullptr;
}

// The key with the largest frame not above time (the first key when none is).
static x3dKey* KeyAtOrBefore(x3dTrack* t, float time) {
  x3dKey* k = x3dTrackSeek(t, time);
  while (k->next && k->next->frame <= time) k = k->next;
  return k;
}

static void Morph(x3dObject* o, x3dTrack* t, float frame) {
  if (!HasKeys(t) || frame < 0.0f) {
    o->flags &= ~X3D_OBJ_MORPH;
    return;
  }
  x3dKey* k = KeyAtOrBefore(t, frame);
  x3dKey* n = k->next;
  if (n && frame >= k->frame) {
    o->morphSource = static_cast<int16_t>(k->ivalue[0]);
    o->morphTarget = static_cast<int16_t>(n->ivalue[0]);
    float span = n->frame - k->frame;
    float u = span > 0.0f ? (frame - k->frame) / span : 1.0f;
    o->morphFactor = x3dEase(u, k->easeFrom, n->easeTo);
  } else {
    // Without a predecessor the key's own mesh is shown.
    o->morphSource = static_cast<int16_t>(k->prev ? k->prev->ivalue[0] : k->ivalue[0]);
    o->morphTarget = static_cast<int16_t>(k->ivalue[0]);
    o->morphFactor = 1.0f;
  }
  o->flags |= X3D_OBJ_MORPH;
}

static void Hide(x3dObject* o, x3dTrack* t, float frame) {
  o->flags &= ~X3D_OBJ_HIDDEN_TRACK;
  if (!HasKeys(t) || frame < 0.0f) return;
  float time = TrackTime(t, frame);
  x3dKey* k = KeyAtOrBefore(t, time);
  if (time >= k->frame && k->ivalue[0]) o->flags |= X3D_OBJ_HIDDEN_TRACK;
}

// Puts a node's point back where the file (or the first update) left it.
static void RestorePoint(x3dNode* n, float p[3]) {
  if (!n->restSaved) {
    std::memcpy(n->rest, p, sizeof n->rest);
    n->restSaved = 1;
  } else {
    std::memcpy(p, n->rest, sizeof n->rest);
  }
}

// Each node's tracks evaluated at the frame, in the node's own (parent-relative) space.
static void EvalNodeTracks(x3dNode* n, float frame) {
  switch (n->kind) {
    case X3D_NODE_CAMERA: {
      x3dCamera* c = static_cast<x3dCamera*>(n->owner);
      RestorePoint(n, c->position);
      EvalVector(Slot(n, 0), frame, c->position);
      EvalScalar(Slot(n, 2), frame, &c->roll);
      // Without a field-of-view track the lens of the file stands.
      float fov = c->fov != 0.0f ? c->fov : c->fileFov;
      EvalScalar(Slot(n, 1), frame, &fov);
      if (fov != c->fov && fov > 0.0f && fov < 180.0f) x3dCameraProjection(c, fov);
      break;
    }
    case X3D_NODE_TARGET: {
      float* t = static_cast<x3dCamera*>(n->owner)->target;
      RestorePoint(n, t);
      EvalVector(Slot(n, 0), frame, t);
      break;
    }
    case X3D_NODE_SPOT_TARGET: {
      float* t = static_cast<x3dLight*>(n->owner)->target;
      RestorePoint(n, t);
      EvalVector(Slot(n, 0), frame, t);
      break;
    }
    case X3D_NODE_OMNI: {
      x3dLight* l = static_cast<x3dLight*>(n->owner);
      RestorePoint(n, l->position);
      EvalVector(Slot(n, 0), frame, l->position);
      EvalColor(Slot(n, 1), frame, l->color);
      break;
    }
    case X3D_NODE_SPOT: {
      x3dLight* l = static_cast<x3dLight*>(n->owner);
      RestorePoint(n, l->position);
      EvalVector(Slot(n, 0), frame, l->position);
      EvalColor(Slot(n, 2), frame, l->color);
      EvalScalar(Slot(n, 1), frame, &l->roll);
      break;
    }
    case X3D_NODE_OBJECT: {
      x3dObject* o = static_cast<x3dObject*>(n->owner);
      EvalVector(Slot(n, 0), frame, o->position);
      EvalVector(Slot(n, 1), frame, o->scale);
      EvalRotation(Slot(n, 2), frame, o->rotation);
      Morph(o, Slot(n, 3), frame);
      Hide(o, Slot(n, 4), frame);
      x3dPoseMatrix(o->rotation, o->scale, o->position, o->matrix);
      break;
    }
    case X3D_NODE_AMBIENT: EvalColor(Slot(n, 0), frame, static_cast<x3dAmbient*>(n->owner)->color); break;
    default: break;
  }
}

// A parent object's matrix carried to its children; a camera's position added to its lights.
static void ApplyParentTransforms(x3dScene* s, x3dNode* n) {
  if (n->kind != X3D_NODE_OBJECT && n->kind != X3D_NODE_CAMERA) return;
  int32_t guard = s->nodeCount;  // a malformed sibling chain cannot loop forever
  for (int32_t ci = n->firstChild; ci > 0 && ci < s->nodeCount && guard-- > 0; ci = s->nodes[ci].nextSibling) {
    x3dNode* c = &s->nodes[ci];
    if (n->kind == X3D_NODE_OBJECT) {
      const float(*m)[4] = static_cast<x3dObject*>(n->owner)->matrix;
      float* p = nullptr;  // a child's point carried into the parent's space
      switch (c->kind) {
        case X3D_NODE_OBJECT: {
          float(*cm)[4] = static_cast<x3dObject*>(c->owner)->matrix;
          x3dMatMul(m, cm, cm);
          break;
        }
        case X3D_NODE_CAMERA: p = static_cast<x3dCamera*>(c->owner)->position; break;
        case X3D_NODE_TARGET: p = static_cast<x3dCamera*>(c->owner)->target; break;
        case X3D_NODE_OMNI:
        case X3D_NODE_SPOT: p = static_cast<x3dLight*>(c->owner)->position; break;
        case X3D_NODE_SPOT_TARGET: p = static_cast<x3dLight*>(c->owner)->target; break;
        default: break;
      }
      if (p) x3dMatApply(m, p, p);
    } else if (c->kind == X3D_NODE_OMNI || c->kind == X3D_NODE_SPOT) {
      const float* cp = static_cast<x3dCamera*>(n->owner)->position;
      float* lp = static_cast<x3dLight*>(c->owner)->position;
      for (int k = 0; k < 3; k++) lp[k] += cp[k];
    }
  }
}

int32_t x3dUpdateScene() {
  x3dScene* s = x3dActiveScene;
  if (!s || !s->nodes) return 0;
  float frame = s->frame;
  for (x3dNode* n = &s->nodes[0]; n; n = n->next) EvalNodeTracks(n, frame);
  for (x3dNode* n = &s->nodes[0]; n; n = n->next) ApplyParentTransforms(s, n);
  for (x3dNode* n = &s->nodes[0]; n; n = n->next)
    if (n->kind == X3D_NODE_CAMERA) x3dCameraMatrix(static_cast<x3dCamera*>(n->owner));
  return 0;
}
