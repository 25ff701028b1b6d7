// Fuzz entries for the picture decoders listed in targets.inc (QV_FUZZ_DECODER): each
// feeds the bytes to its loader through the record overload (xImageLoad sniffs the
// content first), then converts the result to 32-bit pixels as the demo does with every
// picture it loads, so the decoded record must be sound.
#include <cstdlib>

#include "image/ximage.h"
#include "qvfuzz.h"

namespace {
typedef void (*QvFuzzLoader)(xFileData* fd, xImage& img);

void qvFuzzFree(xImage* img) {
  std::free(img->pixels);
  std::free(img->palette);
  *img = xImage{};
}

void qvFuzzDecode(QvFuzzLoader load, xImage* img, const uint8_t* data, size_t size, const char* name) {
  xFileData fd = qvFuzzRecord(data, size, name);
  *img = xImage{};
  load(&fd, *img);
  if (img->pixels && img->width > 0 && img->height > 0) xImageConvert(img, XIMAGE_XRGB32);
  qvFuzzFree(img);
}
}  // namespace

// Module state per target: a fatal error leaves the record for qvFuzzReset.
#define QV_FUZZ_TARGET(t)
#define QV_FUZZ_DECODER(t, loader)                                                                   \
  namespace qvfuzz_##t {                                                                             \
    static xImage img;                                                                               \
    void qvFuzzReset() { qvFuzzFree(&img); }                                                         \
    int qvFuzzOne(const uint8_t* data, size_t size) {                                                \
      qvFuzzDecode([](xFileData* fd, xImage& im) { loader(fd, im); }, &img, data, size, "fuzz." #t); \
      return 0;                                                                                      \
    }                                                                                                \
  }
#include "targets.inc"
#undef QV_FUZZ_DECODER
#undef QV_FUZZ_TARGET
