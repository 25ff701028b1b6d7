// Fuzz entry: the 3DS chunk walker over a record in memory.
#include "qvfuzz.h"
#include "x3d/x3d.h"
#include "x3d/x3d3ds.h"

namespace qvfuzz_3ds {
int qvFuzzOne(const uint8_t* data, size_t size) {
  static bool ready = false;
  if (!ready) {
    x3dInit(320, 200, nullptr);
    ready = true;
  }
  xFileData fd = qvFuzzRecord(data, size, "fuzz.3ds");
  // The loader has no release routine: scenes live for the whole run, so a scene is
  // left behind here too (harmless under fork, the driver's mode).
  x3dScene* scene = new x3dScene{};
  x3dLoad3dsMemory(&fd, scene);
  return 0;
}
}  // namespace qvfuzz_3ds
QV_FUZZ_LIBFUZZER_ENTRY(qvfuzz_3ds)
