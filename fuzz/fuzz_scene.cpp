// Fuzz entry: the scene-script interpreter over a small archive holding a 3DS scene
// and its textures; the input is the script.
#include <unistd.h>

#include "qvfuzz.h"
#include "x3d/x3d.h"
#include "x3d/x3drelease.h"
#include "x3d/x3dscene.h"

namespace qvfuzz_scene {
// Module state: a fatal error leaves it for qvFuzzReset. The texture list stays from one
// input to the next, as in the program (decoding and the 256 x 256 copies are costly and
// the picture targets cover the decoders); it holds only the archive's few pictures.
static std::string path;
static xFile* archive = nullptr;
static x3dScene scene;
static std::vector<uint8_t> zip;

void qvFuzzReset() {
  x3dSceneScriptRelease();
  x3dLoad3dsRelease();
  x3dFreeScene(&scene);
  delete archive;
  archive = nullptr;
  if (!path.empty()) unlink(path.c_str());
  path.clear();
}

int qvFuzzOne(const uint8_t* data, size_t size) {
  static bool ready = false;
  if (!ready) {
    x3dInit(320, 200, nullptr);
    ready = true;
  }
  zip = qvFuzzSceneArchive(data, size);
  path = qvFuzzTempFile(zip.data(), zip.size(), ".kvo");
  if (path.empty()) return 0;
  archive = new xFile(1);
  // Open answers XFILE_OPEN_ERROR when the archive is open.
  if (archive->Open(path.c_str()) == XFILE_OPEN_ERROR) x3dLoadSceneScript("fuzz.scr", &scene, archive);
  qvFuzzReset();
  return 0;
}
}  // namespace qvfuzz_scene
