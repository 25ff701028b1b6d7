// 3DS scene loader: a table-driven walk of the chunk tree into an x3dScene.
#pragma once
#include <cstdint>

#include "x3d/x3d.h"
#include "x3d/x3d3dsids.h"

struct xFileData;
struct x3dLoad;

// Handler of one chunk: reads from just after the chunk header; returns 0 or an error code.
typedef int32_t (*x3dChunkHandler)(x3dLoad* load, int64_t chunkEnd);

struct x3dChunk {
  uint32_t id;
  uint32_t descend;  // walk the sub-chunks after the handler
  x3dChunkHandler handler;
};

enum { X3D_CHUNK_COUNT = 76 };
extern const x3dChunk x3dChunkTable[X3D_CHUNK_COUNT];

// Loads a 3DS file from disk (fatal on failure).
void x3dLoad3ds(const char* fileName, x3dScene* scene);
// Loads from a buffer read through xFile (the data is copied; the caller keeps its record).
void x3dLoad3dsMemory(const xFileData* buffer, x3dScene* scene);

// Unit face normals and averaged unit vertex normals of one object.
void x3dComputeNormals(x3dObject* object);
// Object-space box, centre and bounding radius of one object.
void x3dComputeBounds(x3dObject* object);
