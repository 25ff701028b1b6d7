// Uncompressed TGA pictures (types 1 and 2). Rows are always taken as stored
// bottom-up: stored row height - 1 - y becomes row y, whatever the descriptor says.
#include <cstdlib>
#include <cstring>

#include "file/xfile.h"
#include "image/ximage.h"
#include "image/ximage_internal.h"
#include "system/xerror.h"

// A 5-bit colour-map component widened to 8 bits as the converter does (31 -> 255).
static uint8_t xTargaWiden5(uint32_t v) { return (uint8_t)(v * 255 / 31); }

static void xTargaDecode(const uint8_t* d, int32_t size, const char* name, xImage& img) {
  img.pixels = nullptr;
  img.palette = nullptr;
  if (size < 18) xErrMsg(xFormat("xTargaLoad::Can't read file -> %s", name));
  const int32_t idLength = d[0];
  const int32_t type = d[2];
  const int32_t mapFirst = (int32_t)qvLe16(d + 3);
  const int32_t mapLength = (int32_t)qvLe16(d + 5);
  const int32_t mapBits = d[7];
  img.width = (int32_t)qvLe16(d + 12);
  img.height = (int32_t)qvLe16(d + 14);

  int32_t bpp = 0;
  switch (d[16]) {
    case 8: img.format = XIMAGE_INDEXED8, bpp = 1; break;
    case 15:
    case 16: img.format = XIMAGE_RGB555, bpp = 2; break;
    case 24: img.format = XIMAGE_BGR24, bpp = 3; break;
    case 32: img.format = XIMAGE_XRGB32, bpp = 4; break;
  }
  // Run-length and greyscale types, other depths and odd colour-map entries are refused.
  int32_t entryBytes = 0;
  if (mapLength) entryBytes = mapBits == 15 || mapBits == 16 ? 2 : mapBits == 24 ? 3 : mapBits == 32 ? 4 : 0;
  if ((type != 1 && type != 2) || !bpp || (mapLength && !entryBytes))
    xErrMsg(xFormat("xTargaLoad::unsupported format -> %s", name));
  if (img.width <= 0 || img.height <= 0 || (bpp == 1 && mapFirst + mapLength > 256))
    xErrMsg(xFormat("xTargaLoad::Broken file -> %s", name));

  const size_t mapOffset = 18 + (size_t)idLength;
  const size_t pixelOffset = mapOffset + (size_t)mapLength * entryBytes;
  const size_t rowBytes = (size_t)img.width * bpp;
  const size_t pixelBytes = rowBytes * img.height;
  if (pixelOffset + pixelBytes > (size_t)size) xErrMsg(xFormat("xTargaLoad::Can't read file -> %s", name));

  img.pixels = xImageAlloc(pixelBytes, "Xtarga", __LINE__);
  for (int32_t y = 0; y < img.height; y++)
    std::memcpy(img.pixels + y * rowBytes, d + pixelOffset + (size_t)(img.height - 1 - y) * rowBytes, rowBytes);

  if (img.format == XIMAGE_INDEXED8) {
    // Entries missing from a short colour map stay black.
    img.palette = xImageAlloc(768, "Xtarga", __LINE__);
    for (int32_t k = 0; k < mapLength; k++) {
      const uint8_t* e = d + mapOffset + (size_t)k * entryBytes;
      uint8_t* p = img.palette + 3 * (mapFirst + k);
      if (entryBytes == 2) {
        uint32_t v = qvLe16(e);  // x RRRRR GGGGG BBBBB
        p[0] = xTargaWiden5((v >> 10) & 31);
        p[1] = xTargaWiden5((v >> 5) & 31);
        p[2] = xTargaWiden5(v & 31);
      } else {  // blue, green, red (, alpha)
        p[0] = e[2];
        p[1] = e[1];
        p[2] = e[0];
      }
    }
  }
}

int32_t xTargaLoad(xFileData* fd, xImage& img) {
  xAssert(fd != nullptr, "Xtarga", __LINE__);
  xImageDecodeRecord(fd, "xTargaLoad", xTargaDecode, img);
  return 0;
}

int32_t xTargaLoad(const char* path, xImage& img) {
  xAssert(path != nullptr, "Xtarga", __LINE__);
  xImageDecodeDisk(path, "xTargaLoad", xTargaDecode, img);
  return 0;
}
