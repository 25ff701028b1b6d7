// Fuzz entry: the text script reader, fed from a disk file as the engine does.
#include <unistd.h>

#include <cstdlib>

#include "qvfuzz.h"
#include "system/xscript.h"

namespace qvfuzz_script {
int qvFuzzOne(const uint8_t* data, size_t size) {
  std::string path = qvFuzzTempFile(data, size, ".scr");
  if (path.empty()) return 0;
  xFile file(0);
  xFileData fd{};
  int32_t r = file.Read(path.c_str(), &fd);
  unlink(path.c_str());
  if (r != XFILE_OK) return 0;
  {
    xScript script;
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
  file.Free(&fd);
  return 0;
}
}  // namespace qvfuzz_script
QV_FUZZ_LIBFUZZER_ENTRY(qvfuzz_script)
