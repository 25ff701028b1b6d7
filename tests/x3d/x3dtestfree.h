// Scenes of a test are freed when it ends, so the leak checker sees a clean run.
#pragma once
#include "x3d/x3drelease.h"

struct X3dSceneFree {
  x3dScene* scene;
  ~X3dSceneFree() { x3dFreeScene(scene); }
};
