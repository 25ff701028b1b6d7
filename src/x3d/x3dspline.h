// Keyframe tracks: Kochanek-Bartels (TCB) Hermite splines with ease-in/out for
// scalars and vectors, squad-style quaternion splines for rotations.
#pragma once
#include <cstdint>

struct x3dKey {
  float frame;
  float tension, bias, continuity, easeTo, easeFrom;
  union {
    float value[4];     // vector (x, y, z), scalar (first), rotation (cumulative angle, axis x, y, z)
    int32_t ivalue[4];  // morph: object id; hide: state
  };
  float tin[4];     // incoming tangent per component
  float tout[4];    // outgoing tangent per component
  float qin[4];     // incoming control quaternion (rotation tracks)
  float qout[4];    // outgoing control quaternion
  float orient[4];  // absolute orientation at this key
  x3dKey* next;
  x3dKey* prev;
};

enum : int32_t { X3D_TRACK_SINGLE = 0, X3D_TRACK_REPEAT = 1, X3D_TRACK_LOOP = 2 };

struct x3dTrack {
  int32_t mode;  // X3D_TRACK_*
  int32_t keyCount;
  float length;  // frame of the last key
  x3dKey* keys;
  x3dKey* cursor;  // segment start of the last evaluation
};

// Track mode from the 16-bit track flags.
int32_t x3dTrackMode(uint16_t flags);

// Links keys[0..count-1] as a list and sets length and cursor to the last key.
void x3dTrackLink(x3dTrack* track);

void x3dSplineInit(x3dTrack* track);
void x3dSplineInitRot(x3dTrack* track);

float x3dEase(float u, float easeFrom, float easeTo);
void x3dSlerp(const float q0[4], const float q1[4], float spins, float t, float out[4]);

// Segment search from the cursor: the last key whose successor is not passed by time.
x3dKey* x3dTrackSeek(x3dTrack* track, float time);

// Evaluations leave out unchanged for a negative time, no track or no keys.
void x3dSplineVector(x3dTrack* track, float time, float out[3]);
void x3dSplineScalar(x3dTrack* track, float time, float* out);
void x3dSplineRotation(x3dTrack* track, float time, float out[4]);

// Quaternion helpers (w, x, y, z).
void x3dQuatMul(const float a[4], const float b[4], float out[4]);
// Relative rotation of angle (radians) about (x, y, z), y and z of the vector part exchanged.
void x3dQuatFromAngleAxis(float angle, float x, float y, float z, float out[4]);

// Fills a rotation key from its file angle (radians) and axis: orientation =
// relative rotation (x) the previous key's orientation (identity before the first),
// value = (cumulative whole-radian angle, axis x, axis z, axis y).
void x3dRotKeySet(x3dKey* key, const x3dKey* prev, float angle, float ax, float ay, float az);
