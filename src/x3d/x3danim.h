// Scene animation: poses the active scene at its current frame.
#pragma once
#include <cstdint>

#include "x3d/x3d.h"

// Evaluates every keyframer track, builds object matrices, applies the hierarchy
// and rebuilds camera view (and, when the field of view changed, projection) matrices.
int32_t x3dUpdateScene();
