// qvtool flc FILE [-o DIR]: prints an FLC file's header facts and the blocks it holds;
// with -o, writes every decoded frame through its palette as DIR/frameNNNN.png.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/xflc.h"
#include "image/xpng.h"
#include "platform/qvbytes.h"
#include "qvtool/qvtool.h"
#include "qvtool/qvutil.h"

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
      return qvUsageError("flc");
    } else {
      path = argv[i];
    }
  }
  if (!path) {
    return qvUsageError("flc");
  }
  std::vector<uint8_t> data;
  if (!qvReadWholeFile(path, &data, 0x7fffffff)) return qvFileError("flc", "read", path, qvReadWhy(path, "too large"));
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
  std::printf("depth: %u\n", (unsigned)qvLe16(h + 12));
  std::printf("speed: %u\n", qvLe32(h + 16));

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
      errno = 0;
      if (!xPngWrite(out.c_str(), rgb.data(), w, ht, 3)) {
        failed = qvFileError("flc", "write", out, qvErrnoText());
        break;
      }
    }
    frames++;
  }
  std::printf("decoded: %d frames, %d other blocks\n", frames, others);
  xFlcFree(&anim);
  return failed;
}
