// Fuzz entry: the JPEG decoder through its record overload.
#include <cstdlib>

#include "image/ximage.h"
#include "qvfuzz.h"

namespace qvfuzz_jpeg {
static xImage img;  // module state: a fatal error leaves it for qvFuzzReset

void qvFuzzReset() {
  std::free(img.pixels);
  std::free(img.palette);
  img = xImage{};
}

int qvFuzzOne(const uint8_t* data, size_t size) {
  xFileData fd = qvFuzzRecord(data, size, "fuzz.jpeg");
  img = xImage{};
  xJpegLoad(&fd, img);
  qvFuzzReset();
  return 0;
}
}  // namespace qvfuzz_jpeg
