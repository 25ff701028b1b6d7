// PNG writing and reading through libpng: tools, tests, frame dumps and screenshots.
#include "image/xpng.h"

#include <png.h>

#include <cstdio>
#include <string>

namespace {

// One row at a time: `row(y, buf)` returns the bytes of row y, possibly filled into buf.
template <typename RowFn>
bool xPngWriteRows(const char* path, int32_t width, int32_t height, int32_t channels, RowFn row) {
  const int colorType = channels == 1   ? PNG_COLOR_TYPE_GRAY
                        : channels == 3 ? PNG_COLOR_TYPE_RGB
                        : channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA
                                        : -1;
  if (colorType < 0) return false;
  if (width < 1 || height < 1) return false;
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<uint8_t> buf((size_t)width * channels);
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < height; y++) png_write_row(png, (png_const_bytep)row(y, buf.data()));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0;
}

}  // namespace

bool xPngWrite(const char* path, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels) {
  const size_t stride = (size_t)(width > 0 ? width : 0) * (size_t)(channels > 0 ? channels : 0);
  return xPngWriteRows(path, width, height, channels, [&](int32_t y, uint8_t*) { return pixels + (size_t)y * stride; });
}

bool xPngWriteXrgb(const char* path, const uint32_t* pixels, int32_t width, int32_t height, int32_t pitchPixels) {
  if (pitchPixels < width) return false;
  return xPngWriteRows(path, width, height, 3, [&](int32_t y, uint8_t* buf) {
    const uint32_t* src = pixels + (size_t)y * pitchPixels;
    for (int32_t x = 0; x < width; x++) {
      buf[x * 3] = (uint8_t)(src[x] >> 16), buf[x * 3 + 1] = (uint8_t)(src[x] >> 8), buf[x * 3 + 2] = (uint8_t)src[x];
    }
    return (const uint8_t*)buf;
  });
}

bool xPngReadXrgb(const char* path, std::vector<uint32_t>* pixels, int32_t* width, int32_t* height, const char** why) {
  static thread_local std::string reason;
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path)) {
    reason = img.message;
    *why = reason.c_str();
    return false;
  }
  // Bounded so a forged header cannot ask for gigabytes: 16384 x 16384 at most.
  if (img.width > 16384 || img.height > 16384) {
    png_image_free(&img);
    *why = "picture larger than 16384x16384";
    return false;
  }
  img.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, rgb.data(), 0, nullptr)) {
    reason = img.message;
    *why = reason.c_str();
    png_image_free(&img);
    return false;
  }
  const size_t count = (size_t)img.width * img.height;
  pixels->resize(count);
  for (size_t i = 0; i < count; i++)
    (*pixels)[i] = (uint32_t)rgb[i * 3] << 16 | (uint32_t)rgb[i * 3 + 1] << 8 | rgb[i * 3 + 2];
  *width = (int32_t)img.width, *height = (int32_t)img.height;
  return true;
}
