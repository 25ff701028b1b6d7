#include "ag_jpeg.h"

#include "ag_writers.h"

AgBytes agJpeg(const AgImage& im, int32_t quality) {
  std::vector<uint8_t> rgb(size_t(im.w) * im.h * 3);
  for (int32_t y = 0; y < im.h; y++)
    for (int32_t x = 0; x < im.w; x++) {
      uint32_t c = im.at(x, y);
      uint8_t* p = &rgb[(size_t(y) * im.w + x) * 3];
      p[0] = uint8_t(c >> 16), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c);
    }
  return agJpegEncode(rgb.data(), im.w, im.h, quality);
}
