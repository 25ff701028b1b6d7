// Fuzz entry: the PCX decoder through its record overload.
#include <cstdlib>

#include "image/ximage.h"
#include "qvfuzz.h"

namespace qvfuzz_pcx {
int qvFuzzOne(const uint8_t* data, size_t size) {
  xFileData fd = qvFuzzRecord(data, size, "fuzz.pcx");
  xImage img{};
  xPcxLoad(&fd, img);
  std::free(img.pixels);
  std::free(img.palette);
  return 0;
}
}  // namespace qvfuzz_pcx
QV_FUZZ_LIBFUZZER_ENTRY(qvfuzz_pcx)
