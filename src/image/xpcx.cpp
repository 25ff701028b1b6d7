// PCX pictures: 8 bits per pixel in one plane (palette at the end of the file) or
// three planes (red, green, blue lines), run-length coded line by line.
#include <cstdlib>
#include <cstring>

#include "file/xfile.h"
#include "image/ximage.h"
#include "image/ximage_internal.h"
#include "system/xerror.h"

static void xPcxDecode(const uint8_t* d, int32_t size, const char* name, xImage& img) {
  img.pixels = nullptr;
  img.palette = nullptr;
  if (size < 128) xErrMsg(xFormat("xPcxLoad::Can't read file -> %s", name));
  img.width = qvLeS16(d + 8) + 1;
  img.height = qvLeS16(d + 10) + 1;
  const int32_t bitsPerPixel = d[3];
  const int32_t planes = d[65];
  const int32_t bytesPerLine = (int32_t)qvLe16(d + 66);
  if (planes == 1) img.format = XIMAGE_INDEXED8;
  if (planes == 3) img.format = XIMAGE_RGB24;
  if ((planes != 1 && planes != 3) || bitsPerPixel != 8) xErrMsg(xFormat("xPcxLoad::unsupported format -> %s", name));
  if (img.width <= 0 || img.height <= 0) xErrMsg(xFormat("xPcxLoad::Broken file -> %s", name));

  // Writers pad every plane line to the header's bytes-per-line (usually even); the
  // padding is decoded with the line and dropped afterwards.
  const size_t stride = bytesPerLine > img.width ? bytesPerLine : img.width;
  const size_t lineLength = stride * planes;
  const size_t total = lineLength * img.height;
  const uint8_t* src = d + 128;
  const size_t srcLength = (size_t)size - 128;
  // Held by the record from the start, so a fatal error leaves nothing the caller cannot free.
  uint8_t* planar = img.pixels = xImageAlloc(total, "Xpcx", __LINE__);

  // The count restarts for each line while the output simply continues, so a run that
  // crosses a line end spills into the next line; decoding ends when the picture is full.
  size_t in = 0, out = 0;
  for (int32_t line = 0; line < img.height && out < total; line++) {
    for (size_t count = 0; count < lineLength && out < total;) {
      if (in >= srcLength) xErrMsg(xFormat("xPcxLoad::Can't read file -> %s", name));
      uint32_t value = src[in++];
      uint32_t run = 1;
      if ((value & 0xC0) == 0xC0) {
        run = value & 0x3F;
        if (in >= srcLength) xErrMsg(xFormat("xPcxLoad::Can't read file -> %s", name));
        value = src[in++];
      }
      if (out + run > total) xErrMsg(xFormat("xPcxLoad::Broken file -> %s", name));
      std::memset(planar + out, (int)value, run);
      out += run;
      count += run;
    }
  }

  const size_t w = (size_t)img.width;
  if (img.format == XIMAGE_RGB24) {
    uint8_t* rgb = xImageAlloc(w * img.height * 3, "Xpcx", __LINE__);
    for (int32_t y = 0; y < img.height; y++) {
      const uint8_t* r = planar + y * lineLength;
      uint8_t* o = rgb + y * w * 3;
      for (size_t x = 0; x < w; x++) {
        o[3 * x + 0] = r[x];
        o[3 * x + 1] = r[stride + x];
        o[3 * x + 2] = r[2 * stride + x];
      }
    }
    std::free(planar);
    img.pixels = rgb;
    return;
  }
  if (stride != w) {
    for (int32_t y = 1; y < img.height; y++) std::memmove(planar + y * w, planar + y * stride, w);
  }
  img.pixels = planar;
  // The palette: the last 768 bytes of the file, red, green, blue.
  if (srcLength < 768) xErrMsg(xFormat("xPcxLoad::Can't read file -> %s", name));
  img.palette = xImageAlloc(768, "Xpcx", __LINE__);
  std::memcpy(img.palette, d + size - 768, 768);
}

int32_t xPcxLoad(xFileData* fd, xImage& img) {
  xAssert(fd != nullptr, "Xpcx", __LINE__);
  xImageDecodeRecord(fd, "xPcxLoad", xPcxDecode, img);
  return 0;
}

int32_t xPcxLoad(const char* path, xImage& img) {
  xAssert(path != nullptr, "Xpcx", __LINE__);
  xImageDecodeDisk(path, "xPcxLoad", xPcxDecode, img);
  return 0;
}
