// Fuzz entry: the JPEG decoder through its record overload.
#include <cstdlib>

#include "image/ximage.h"
#include "qvfuzz.h"

namespace qvfuzz_jpeg {
int qvFuzzOne(const uint8_t* data, size_t size) {
  xFileData fd = qvFuzzRecord(data, size, "fuzz.jpeg");
  xImage img{};
  xJpegLoad(&fd, img);
  std::free(img.pixels);
  std::free(img.palette);
  return 0;
}
}  // namespace qvfuzz_jpeg
QV_FUZZ_LIBFUZZER_ENTRY(qvfuzz_jpeg)
