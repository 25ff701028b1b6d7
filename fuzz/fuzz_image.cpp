// Fuzz entry: content sniffing in xImageLoad, then conversion to 32-bit pixels.
#include <cstdlib>

#include "image/ximage.h"
#include "qvfuzz.h"

namespace qvfuzz_image {
static xImage img;  // module state: a fatal error leaves it for qvFuzzReset

void qvFuzzReset() {
  std::free(img.pixels);
  std::free(img.palette);
  img = xImage{};
}

int qvFuzzOne(const uint8_t* data, size_t size) {
  xFileData fd = qvFuzzRecord(data, size, "fuzz.img");
  img = xImage{};
  xImageLoad(&fd, img);
  // Every picture the demo loads is converted next, so the decoded record must be sound.
  if (img.pixels && img.width > 0 && img.height > 0) xImageConvert(&img, XIMAGE_XRGB32);
  qvFuzzReset();
  return 0;
}
}  // namespace qvfuzz_image
