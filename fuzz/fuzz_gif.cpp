// Fuzz entry: the GIF decoder through its record overload.
#include <cstdlib>

#include "image/ximage.h"
#include "qvfuzz.h"

namespace qvfuzz_gif {
int qvFuzzOne(const uint8_t* data, size_t size) {
  xFileData fd = qvFuzzRecord(data, size, "fuzz.gif");
  xImage img{};
  xGifLoad(&fd, img);
  std::free(img.pixels);
  std::free(img.palette);
  return 0;
}
}  // namespace qvfuzz_gif
QV_FUZZ_LIBFUZZER_ENTRY(qvfuzz_gif)
