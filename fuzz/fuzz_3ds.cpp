// Fuzz entry: the 3DS chunk walker over a record in memory.
#include "qvfuzz.h"
#include "x3d/x3d.h"
#include "x3d/x3d3ds.h"
#include "x3d/x3drelease.h"

namespace qvfuzz_3ds {
static x3dScene scene;  // module state: a fatal error leaves it for qvFuzzReset

void qvFuzzReset() {
  x3dLoad3dsRelease();
  x3dFreeScene(&scene);
}

int qvFuzzOne(const uint8_t* data, size_t size) {
  static bool ready = false;
  if (!ready) {
    x3dInit(320, 200, nullptr);
    ready = true;
  }
  xFileData fd = qvFuzzRecord(data, size, "fuzz.3ds");
  x3dLoad3dsMemory(&fd, &scene);
  qvFuzzReset();
  return 0;
}
}  // namespace qvfuzz_3ds
