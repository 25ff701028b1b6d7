// Fuzz entry: the resource archive reader (ZIP through minizip), opened from a disk file.
#include <unistd.h>

#include "qvfuzz.h"

namespace qvfuzz_zip {
int qvFuzzOne(const uint8_t* data, size_t size) {
  std::string path = qvFuzzTempFile(data, size, ".zip");
  if (path.empty()) return 0;
  {
    xFile file(1);
    if (file.Open(path.c_str()) == XFILE_OK || file.archive) {
      // Names of the entries in the seeds; a mutated directory may still match some.
      static const char* const kNames[] = {"a.txt", "README", "02.bmp", "bla.txt", "mod.ok", "chip zone.mdl", "ponylips.mod"};
      for (const char* name : kNames) {
        xFileData fd{};
        file.Read(name, &fd);
        file.Free(&fd);
      }
    }
  }
  unlink(path.c_str());
  return 0;
}
}  // namespace qvfuzz_zip
QV_FUZZ_LIBFUZZER_ENTRY(qvfuzz_zip)
