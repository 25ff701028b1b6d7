// Loader state and bounded readers shared by the 3DS chunk handlers.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/qvbytes.h"  // the readers' little-endian fields
#include "x3d/x3d3ds.h"
#include "x3d/x3dspline.h"

enum { X3D_NAME_SIZE = 256 };

struct x3dLoad {
  x3dScene* scene;
  const uint8_t* data;
  int64_t size;
  int64_t pos;
  int32_t object, light, camera, material, ambient;  // current records (array index, -1 none)
  char name[X3D_NAME_SIZE];                          // last zero-terminated name read
  uint32_t parent;                                   // id of the chunk whose sub-chunks are walked
  uint32_t lastChunk;                                // last chunk completed
  uint32_t chunk;                                    // id of the chunk being handled
  int32_t counter;                                   // numbers records and keyframer nodes
  std::vector<int32_t> nodeOwner;                    // per node: index into its kind's array
  std::vector<std::vector<int32_t>> faceMaterial;    // per object and face: material index or -1
  x3dTrack* pendingTrack;                            // track being read, not yet in a node
};

// Fatal loader error with a code of the error table, naming the file being loaded; the
// process ends with status 1.
[[noreturn]] void x3dLoadFail(int line, int32_t code);

// Reads that fail with code 2 when they would pass the chunk's end.
void x3dRead(x3dLoad* L, int64_t end, void* out, int64_t bytes, int line);
uint16_t x3dReadU16(x3dLoad* L, int64_t end);
uint32_t x3dReadU32(x3dLoad* L, int64_t end);
float x3dReadF32(x3dLoad* L, int64_t end);
// Three floats with y and z exchanged.
void x3dReadPoint(x3dLoad* L, int64_t end, float out[3]);
// Zero-terminated name into L->name: a name longer than the buffer is cut, and
// one not terminated before the chunk's end ends there.
void x3dReadName(x3dLoad* L, int64_t end);

// Owned copy of a text (fatal when out of memory).
char* x3dStrDup(const char* s);
// Unit scale, identity rotation and matrix: an object without keyframer tracks
// stays where its vertices put it instead of collapsing to a point.
void x3dObjectRestPose(x3dObject* o);
// Grows a scene array by one zeroed record; returns the new index.
int32_t x3dGrow(void** array, int32_t* count, size_t recordSize);

// Handlers (one per table row that reads something).
int32_t x3dChunkColorBytes(x3dLoad*, int64_t);
int32_t x3dChunkColorFloats(x3dLoad*, int64_t);
int32_t x3dChunkPercent(x3dLoad*, int64_t);
int32_t x3dChunkObjectBlock(x3dLoad*, int64_t);
int32_t x3dChunkTriMesh(x3dLoad*, int64_t);
int32_t x3dChunkVertices(x3dLoad*, int64_t);
int32_t x3dChunkFaces(x3dLoad*, int64_t);
int32_t x3dChunkFaceMaterial(x3dLoad*, int64_t);
int32_t x3dChunkTexCoords(x3dLoad*, int64_t);
int32_t x3dChunkMeshMatrix(x3dLoad*, int64_t);
int32_t x3dChunkLight(x3dLoad*, int64_t);
int32_t x3dChunkSpot(x3dLoad*, int64_t);
int32_t x3dChunkCamera(x3dLoad*, int64_t);
int32_t x3dChunkMaterial(x3dLoad*, int64_t);
int32_t x3dChunkMaterialName(x3dLoad*, int64_t);
int32_t x3dChunkMapName(x3dLoad*, int64_t);
int32_t x3dChunkMapTiling(x3dLoad*, int64_t);
int32_t x3dChunkMapUScale(x3dLoad*, int64_t);
int32_t x3dChunkMapVScale(x3dLoad*, int64_t);
int32_t x3dChunkMapUOffset(x3dLoad*, int64_t);
int32_t x3dChunkMapVOffset(x3dLoad*, int64_t);
int32_t x3dChunkMapRotation(x3dLoad*, int64_t);
int32_t x3dChunkMatOption01(x3dLoad*, int64_t);
int32_t x3dChunkMatOption08(x3dLoad*, int64_t);
int32_t x3dChunkMatOption04(x3dLoad*, int64_t);
int32_t x3dChunkMatOption02(x3dLoad*, int64_t);
int32_t x3dChunkShading(x3dLoad*, int64_t);
int32_t x3dChunkInnerRange(x3dLoad*, int64_t);
int32_t x3dChunkOuterRange(x3dLoad*, int64_t);
int32_t x3dChunkAttenuation(x3dLoad*, int64_t);
int32_t x3dChunkNoLight(x3dLoad*, int64_t);
int32_t x3dChunkKeyframer(x3dLoad*, int64_t);
int32_t x3dChunkSegment(x3dLoad*, int64_t);
int32_t x3dChunkNodeId(x3dLoad*, int64_t);
int32_t x3dChunkInstanceName(x3dLoad*, int64_t);
int32_t x3dChunkNodeHeader(x3dLoad*, int64_t);
int32_t x3dChunkPivot(x3dLoad*, int64_t);
int32_t x3dChunkTrack(x3dLoad*, int64_t);
