// Recognition of pictures by content, and conversion between pixel formats.
#include "image/ximage.h"

#include <cstdlib>
#include <cstring>

#include "file/memfile.h"
#include "file/xfile.h"
#include "hermes/hermes.h"
#include "image/ximage_internal.h"
#include "system/xerror.h"

// True when the prefix of the given length at the given offset can be read.
static bool xImagePrefix(MFILE* f, int32_t offset, void* dest, int32_t length) {
  mseek(f, offset);
  return mread(dest, length, f) == 0;
}

int32_t xImageLoad(xFileData* fd, xImage& img) {
  xAssert(fd != nullptr, "Ximage", __LINE__);
  img.pixels = nullptr;
  img.palette = nullptr;
  MFILE f = {fd->data, fd->data ? fd->size : 0, 0};
  uint8_t prefix[128];
  int32_t r;
  // The first test that passes decides, in this order.
  if (xImagePrefix(&f, 6, prefix, 4) && !std::memcmp(prefix, "JFIF", 4)) {
    if ((r = xJpegLoad(fd, img)) != 0) xErrCode("Ximage", __LINE__, r, nullptr);
  } else if (xImagePrefix(&f, 0, prefix, 128) && prefix[0] == 0x0A) {
    if ((r = xPcxLoad(fd, img)) != 0) xErrCode("Ximage", __LINE__, r, nullptr);
  } else if (xImagePrefix(&f, 0, prefix, 18) && (prefix[2] == 1 || prefix[2] == 2)) {
    if ((r = xTargaLoad(fd, img)) != 0) xErrCode("Ximage", __LINE__, r, nullptr);
  } else if (xImagePrefix(&f, 0, prefix, 13) && !std::memcmp(prefix, "GIF", 3)) {
    xGifLoad(fd, img);
  } else {
    xErrMsg(xFormat("xImageLoad( xFile *, xImage &): unrecognized file type %s", fd->name ? fd->name : ""));
  }
  return 0;
}

// Hermes description of a format code; false for codes outside 1 to 6.
static bool xImageHermesFormat(int32_t format, HermesFormat* h) {
  static const HermesFormat table[6] = {
      {0, 0, 0, 0, 8, 1, 0, 0},                        // 1: palette index
      {0x7C00, 0x03E0, 0x001F, 0, 16, 0, 0, 0},        // 2: 5-5-5
      {0xF800, 0x07E0, 0x001F, 0, 16, 0, 0, 0},        // 3: 5-6-5
      {0xFF0000, 0x00FF00, 0x0000FF, 0, 24, 0, 0, 0},  // 4: bytes blue, green, red
      {0x0000FF, 0x00FF00, 0xFF0000, 0, 24, 0, 0, 0},  // 5: bytes red, green, blue
      {0xFF0000, 0x00FF00, 0x0000FF, 0, 32, 0, 0, 0},  // 6: 0x00RRGGBB
  };
  if (format < 1 || format > 6) return false;
  *h = table[format - 1];
  return true;
}

int32_t xImageConvert(xImage* img, int32_t format) {
  xAssert(img != nullptr, "Ximage", __LINE__);
  if (img->format == format) return 0;
  xAssert(img->pixels != nullptr, "Ximage", __LINE__);
  if (!Hermes_Init()) xErrMsg("xImageConvert::Hermes_Init()");
  HermesHandle conv = Hermes_ConverterInstance(0);
  if (!conv) xErrMsg("xImageConvert::Hermes_ConverterInstance()");
  HermesFormat source, dest;
  if (!xImageHermesFormat(img->format, &source) || !xImageHermesFormat(format, &dest))
    xErrMsg("xImageConvert::Hermes_ConverterRequest");

  HermesHandle pal = 0;
  uint32_t table[256];
  if (img->format == XIMAGE_INDEXED8) {
    pal = Hermes_PaletteInstance();
    if (!pal) xErrMsg("xImageConvert::Hermes_PaletteInstace()");  // verbatim, misspelling included
    // A picture without colour table converts as black.
    std::memset(table, 0, sizeof table);
    if (img->palette) {
      for (int32_t i = 0; i < 256; i++) {
        const uint8_t* e = img->palette + 3 * i;
        table[i] = (uint32_t)e[0] << 16 | (uint32_t)e[1] << 8 | e[2];
      }
    }
    std::free(img->palette);
    img->palette = nullptr;
    Hermes_PaletteSet(pal, table);
  }
  const int32_t sBytes = source.bits / 8, dBytes = dest.bits / 8;
  uint8_t* block = xImageAlloc((size_t)img->width * img->height * dBytes, "Ximage", __LINE__);
  if (!Hermes_ConverterRequest(conv, &source, &dest)) xErrMsg("xImageConvert::Hermes_ConverterRequest");
  // Shown verbatim, misspelt "xImageConver" included.
  if (pal && !Hermes_ConverterPalette(conv, pal, pal)) xErrMsg("xImageConver::Hermes_ConverterPalette");
  if (!Hermes_ConverterCopy(conv, img->pixels, 0, 0, img->width, img->height, img->width * sBytes, block, 0, 0,
                            img->width, img->height, img->width * dBytes))
    xErrMsg("xImageConvert::Hermes_ConverterCopy");
  // The handles go back after each conversion: the converter's tables are bounded.
  if (pal) Hermes_PaletteReturn(pal);
  Hermes_ConverterReturn(conv);
  Hermes_Done();
  std::free(img->pixels);
  img->pixels = block;
  img->format = format;
  return 0;
}
