// Fuzz entry: the text script reader, fed from a disk file as the engine does.
#include <unistd.h>

#include <cstdlib>

#include "qvfuzz.h"
#include "system/xscript.h"

namespace qvfuzz_script {
// Module state: a fatal error (only out of memory here) leaves them for qvFuzzReset.
static std::string path;
static xFileData fd;
static xScript script;

void qvFuzzReset() {
  script.Free();
  xFile(0).Free(&fd);
  if (!path.empty()) unlink(path.c_str());
  path.clear();
}

int qvFuzzOne(const uint8_t* data, size_t size) {
  path = qvFuzzTempFile(data, size, ".scr");
  if (path.empty()) return 0;
  xFile file(0);
  if (file.Read(path.c_str(), &fd) == XFILE_OK) {
    script.Load(fd.data ? fd.data : reinterpret_cast<const uint8_t*>(""), fd.size);
    // Every accessor on every line, as the scene and segment scripts use them.
    for (int32_t line = 0; line < 100000 && script.NextKeyword(); line++) {
      (void)script.ArgInt();
      (void)script.ArgFloat();
      (void)script.ArgText();
      std::free(script.ArgDup());
      (void)script.ArgCompare("Camera01");
      script.SplitArgs(4);
      for (int32_t k = 0; k <= 5; k++) (void)script.ArgWord(k);
    }
  }
  qvFuzzReset();
  return 0;
}
}  // namespace qvfuzz_script
