// Fuzz entry: the resource archive reader (ZIP through minizip), opened from a disk file.
#include <unistd.h>

#include "qvfuzz.h"

namespace qvfuzz_zip {
// Module state: the reader has no fatal path today, but a reset leaves nothing behind.
static std::string path;
static xFile* archive = nullptr;
static xFileData fd;

void qvFuzzReset() {
  xFile(0).Free(&fd);
  delete archive;
  archive = nullptr;
  if (!path.empty()) unlink(path.c_str());
  path.clear();
}

int qvFuzzOne(const uint8_t* data, size_t size) {
  path = qvFuzzTempFile(data, size, ".zip");
  if (path.empty()) return 0;
  archive = new xFile(1);
  if (archive->Open(path.c_str()) == XFILE_OK || archive->archive) {
    // Names of the entries in the seeds; a mutated directory may still match some.
    static const char* const kNames[] = {"a.txt",  "README",        "02.bmp",      "bla.txt",
                                         "mod.ok", "chip zone.mdl", "ponylips.mod"};
    for (const char* name : kNames) {
      archive->Read(name, &fd);
      xFile(0).Free(&fd);
    }
  }
  qvFuzzReset();
  return 0;
}
}  // namespace qvfuzz_zip
