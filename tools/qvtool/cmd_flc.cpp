// qvtool flc FILE [-o DIR]: prints an FLC file's header facts and the blocks it holds;
// with -o, writes every decoded frame through its palette as DIR/frameNNNN.png.
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/xflc.h"
#include "qvtool/qvtool.h"

// RGB24 rows top to bottom into a PNG file; 0 on success. Shared with cmd_fx.cpp.
int qvFxWritePng(const char* path, const uint8_t* rgb, int32_t width, int32_t height) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return 1;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return 1;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int32_t y = 0; y < height; y++) png_write_row(png, (png_const_bytep)(rgb + (size_t)y * width * 3));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fclose(f) == 0 ? 0 : 1;
}

// Whole file into memory; false when unreadable.
bool qvFxReadFile(const char* path, std::vector<uint8_t>& out) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  out.clear();
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    if (out.size() + n > 0x7fffffff) break;
    out.insert(out.end(), buf, buf + n);
  }
  const bool ok = !std::ferror(f) && out.size() <= 0x7fffffff;
  std::fclose(f);
  return ok;
}

static const char* qvFlcError(int32_t code) {
  switch (code) {
    case XFLC_ERR_SHORT: return "shorter than the 128-byte header";
    case XFLC_ERR_SIZE: return "file size field below 128";
    case XFLC_ERR_DIMS: return "width or height is 0 or above 32767";
    case XFLC_ERR_MEMORY: return "out of memory";
    default: return "unknown error";
  }
}

int qvCmdFlc(int argc, char** argv) {
  const char* path = nullptr;
  const char* outDir = nullptr;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "-o") && i + 1 < argc) {
      outDir = argv[++i];
    } else if (argv[i][0] == '-' || path) {
      std::fprintf(stderr, "usage: qvtool flc FILE [-o DIR]\n");
      return 2;
    } else {
      path = argv[i];
    }
  }
  if (!path) {
    std::fprintf(stderr, "usage: qvtool flc FILE [-o DIR]\n");
    return 2;
  }
  std::vector<uint8_t> data;
  if (!qvFxReadFile(path, data)) {
    std::fprintf(stderr, "qvtool flc: can't read %s: %s\n", path, std::strerror(errno));
    return 1;
  }
  xFlc anim;
  const int32_t rc = xFlcLoad(data.data(), (int32_t)data.size(), &anim);
  if (rc != XFLC_OK) {
    std::fprintf(stderr, "qvtool flc: %s: not a usable FLC file (%s)\n", path, qvFlcError(rc));
    return 1;
  }
  const uint8_t* h = anim.header;
  std::printf("file: %s\n", path);
  std::printf("size: %u (file holds %zu)\n", xFlcHeaderSize(h), data.size());
  std::printf("magic: 0x%04X\n", xFlcHeaderMagic(h));
  std::printf("frames: %u\n", xFlcHeaderFrames(h));
  std::printf("width: %u\nheight: %u\n", xFlcHeaderWidth(h), xFlcHeaderHeight(h));
  std::printf("depth: %u\n", (unsigned)(h[12] | (h[13] << 8)));
  std::printf("speed: %u\n", (unsigned)(h[16] | (h[17] << 8) | (h[18] << 16) | ((unsigned)h[19] << 24)));

  xFlcSelect(&anim);
  const int32_t w = xFlcState.width, ht = xFlcState.height;
  std::vector<uint8_t> rgb((size_t)w * ht * 3);
  int32_t frames = 0, others = 0, failed = 0;
  while (xFlcState.cursor < xFlcState.frameBytes) {
    xFlcFrameHeader fh;
    xFlcReadFrameHeader(&fh);
    if (!xFlcDecodeFrame(&fh)) {
      std::printf("block: type 0x%04X, %u bytes, skipped\n", fh.type, fh.size);
      others++;
      continue;
    }
    if (outDir) {
      for (int32_t i = 0; i < w * ht; i++) std::memcpy(&rgb[(size_t)i * 3], anim.palette + anim.pixels[i] * 3, 3);
      char name[32];
      std::snprintf(name, sizeof name, "/frame%04d.png", frames);
      const std::string out = std::string(outDir) + name;
      if (qvFxWritePng(out.c_str(), rgb.data(), w, ht)) {
        std::fprintf(stderr, "qvtool flc: can't write %s\n", out.c_str());
        failed = 1;
        break;
      }
    }
    frames++;
  }
  std::printf("decoded: %d frames, %d other blocks\n", frames, others);
  xFlcFree(&anim);
  return failed;
}
