// A decoded picture and the loaders that recognise pictures by content.
#pragma once
#include <cstdint>

struct xFileData;

// Pixel format codes.
enum : int32_t {
  XIMAGE_INDEXED8 = 1,  // palette index, palette = 256 x (r, g, b)
  XIMAGE_RGB555 = 2,    // 16-bit word 0x7C00/0x03E0/0x001F
  XIMAGE_RGB565 = 3,    // 16-bit word 0xF800/0x07E0/0x001F
  XIMAGE_BGR24 = 4,     // bytes blue, green, red
  XIMAGE_RGB24 = 5,     // bytes red, green, blue
  XIMAGE_XRGB32 = 6,    // 0x00RRGGBB
};

struct xImage {
  int32_t width;
  int32_t height;
  int32_t format;
  uint8_t* pixels;   // width x height pixels, rows top to bottom; heap block
  uint8_t* palette;  // format 1 only: 768 bytes r, g, b; null otherwise
};

int32_t xImageLoad(xFileData* fd, xImage& img);
int32_t xImageConvert(xImage* img, int32_t format);

int32_t xTargaLoad(xFileData* fd, xImage& img);
int32_t xTargaLoad(const char* path, xImage& img);
int32_t xPcxLoad(xFileData* fd, xImage& img);
int32_t xPcxLoad(const char* path, xImage& img);
int32_t xJpegLoad(xFileData* fd, xImage& img);
int32_t xJpegLoad(const char* path, xImage& img);
int32_t xGifLoad(xFileData* fd, xImage& img);
int32_t xGifLoad(const char* path, xImage& img);
