// Fuzz entry: the TGA decoder through its record overload.
#include <cstdlib>

#include "image/ximage.h"
#include "qvfuzz.h"

namespace qvfuzz_tga {
int qvFuzzOne(const uint8_t* data, size_t size) {
  xFileData fd = qvFuzzRecord(data, size, "fuzz.tga");
  xImage img{};
  xTargaLoad(&fd, img);
  std::free(img.pixels);
  std::free(img.palette);
  return 0;
}
}  // namespace qvfuzz_tga
QV_FUZZ_LIBFUZZER_ENTRY(qvfuzz_tga)
