// qvtool image FILE [-o OUT.png|OUT.ppm] [--indices]: decodes a picture by content as the
// engine does, converts it to 32 bits, prints its size and format, writes it out.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "file/xfile.h"
#include "image/ximage.h"
#include "image/xpng.h"
#include "qvtool/qvtool.h"
#include "qvtool/qvutil.h"

static const char* qvFormatName(int32_t format) {
  switch (format) {
    case XIMAGE_INDEXED8: return "8-bit indexed";
    case XIMAGE_RGB555: return "16-bit 5-5-5";
    case XIMAGE_RGB565: return "16-bit 5-6-5";
    case XIMAGE_BGR24: return "24-bit BGR";
    case XIMAGE_RGB24: return "24-bit RGB";
    case XIMAGE_XRGB32: return "32-bit XRGB";
  }
  return "unknown";
}

// Binary PPM (RGB) or PGM (grey).
static bool qvWritePnm(const char* path, const uint8_t* pixels, int32_t width, int32_t height, int32_t channels) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  std::fprintf(f, "P%d\n%d %d\n255\n", channels == 1 ? 5 : 6, width, height);
  size_t n = (size_t)width * height * channels;
  bool ok = std::fwrite(pixels, 1, n, f) == n;
  return std::fclose(f) == 0 && ok;
}

int qvCmdImage(int argc, char** argv) {
  const char* input = nullptr;
  const char* output = nullptr;
  bool indices = false;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "-o") && i + 1 < argc) {
      output = argv[++i];
    } else if (!std::strcmp(argv[i], "--indices")) {
      indices = true;
    } else if (argv[i][0] == '-' || input) {
      std::fprintf(stderr, "qvtool image: unexpected argument '%s'\n", argv[i]);
      return qvUsageError("image");
    } else {
      input = argv[i];
    }
  }
  if (!input) {
    return qvUsageError("image");
  }
  std::string out = output ? output : "";
  if (output && !qvEndsWith(out, ".png") && !qvEndsWith(out, ".ppm") && !qvEndsWith(out, ".pgm")) {
    std::fprintf(stderr, "qvtool image: output must end in .png or .ppm: %s\n", output);
    return 2;
  }

  xFile disk(0);
  xFileData fd = {nullptr, 0, nullptr};
  if (disk.Read(input, &fd) != XFILE_OK)
    return qvFileError("image", "read", input, qvReadWhy(input, std::strerror(EIO)));
  xImage img = {0, 0, 0, nullptr, nullptr};
  xImageLoad(&fd, img);  // bad pictures end here with the engine's own message
  disk.Free(&fd);
  const int32_t format = img.format;
  std::printf("%s: %d x %d, format %d (%s)\n", input, img.width, img.height, format, qvFormatName(format));
  if (indices && format != XIMAGE_INDEXED8) {
    std::fprintf(stderr, "qvtool image: --indices needs an 8-bit indexed picture, %s is format %d\n", input, format);
    std::free(img.pixels);
    std::free(img.palette);
    return 1;
  }

  const size_t count = (size_t)img.width * img.height;
  uint8_t* rows = nullptr;
  int32_t channels = 1;
  if (indices) {
    rows = img.pixels;
    img.pixels = nullptr;
  } else {
    xImageConvert(&img, XIMAGE_XRGB32);
    channels = 3;
    rows = (uint8_t*)std::malloc(count * 3 + 1);
    for (size_t i = 0; i < count; i++) {
      rows[3 * i + 0] = img.pixels[4 * i + 2];
      rows[3 * i + 1] = img.pixels[4 * i + 1];
      rows[3 * i + 2] = img.pixels[4 * i + 0];
    }
  }
  int status = 0;
  if (output) {
    errno = 0;
    bool ok = qvEndsWith(out, ".png") ? xPngWrite(output, rows, img.width, img.height, channels)
                                      : qvWritePnm(output, rows, img.width, img.height, channels);
    if (!ok) status = qvFileError("image", "write", output, qvErrnoText());
  }
  std::free(rows);
  std::free(img.pixels);
  std::free(img.palette);
  return status;
}
