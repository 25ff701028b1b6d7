// GIF pictures (87a, 89a): the first image, 256 colours (LZW minimum code size 8),
// rows in stream order (interlacing is not undone).
#include <cstring>

#include "file/memfile.h"
#include "file/xfile.h"
#include "image/ximage.h"
#include "image/ximage_internal.h"
#include "system/xerror.h"

namespace {

enum : int32_t { GIF_CLEAR = 256, GIF_END = 257, GIF_FIRST_FREE = 258, GIF_TABLE = 4096 };

struct GifState {
  MFILE* f;
  const char* name;
  uint8_t block[257];  // current sub-block, then the length byte of the next one
  int32_t blockLength;
  int32_t index;  // next byte to take from block
  int32_t ended;  // the zero-length terminator was reached
  uint32_t bits;  // bits not yet used, least significant first
  int32_t bitCount;
  uint16_t prefix[GIF_TABLE];
  uint8_t suffix[GIF_TABLE];
  uint8_t stack[GIF_TABLE];
  uint8_t* out;
  uint8_t* outEnd;
};

[[noreturn]] void gifReadError(GifState& g) { xErrMsg(xFormat("xGifLoad:: file read error -> %s", g.name)); }
[[noreturn]] void gifCorrupt(GifState& g) { xErrMsg(xFormat("xGifLoad:: corrupt image data -> %s", g.name)); }

void gifRead(GifState& g, void* dest, int32_t length) {
  if (mread(dest, length, g.f) != 0) gifReadError(g);
}

// Next byte of the image data, crossing sub-block boundaries; false at the terminator.
bool gifTakeByte(GifState& g, uint32_t* byte) {
  if (g.index == g.blockLength) {
    if (g.ended) return false;
    int32_t next = g.block[g.blockLength];
    if (next == 0) {
      g.ended = 1;
      return false;
    }
    gifRead(g, g.block, next + 1);
    g.blockLength = next;
    g.index = 0;
  }
  *byte = g.block[g.index++];
  return true;
}

// A code of the given width, least significant bit first; -1 when the data ends.
int32_t gifCode(GifState& g, int32_t width) {
  while (g.bitCount < width) {
    uint32_t byte;
    if (!gifTakeByte(g, &byte)) return -1;
    g.bits |= byte << g.bitCount;
    g.bitCount += 8;
  }
  int32_t code = (int32_t)(g.bits & ((1u << width) - 1));
  g.bits >>= width;
  g.bitCount -= width;
  return code;
}

// Writes the string of a defined code; returns its first byte.
uint8_t gifOutput(GifState& g, int32_t code) {
  int32_t depth = 0;
  while (code > GIF_END) {
    if (depth == GIF_TABLE) gifCorrupt(g);
    g.stack[depth++] = g.suffix[code];
    code = g.prefix[code];
  }
  const uint8_t first = (uint8_t)code;
  if (g.outEnd - g.out < depth + 1) gifCorrupt(g);  // would write past width x height
  *g.out++ = first;
  while (depth) *g.out++ = g.stack[--depth];
  return first;
}

void gifDecode(GifState& g) {
  if (gifCode(g, 9) < 0) return;  // the leading clear code
  for (;;) {
    // Reset: a literal starts the new table.
    int32_t width = 9, next = GIF_FIRST_FREE;
    int32_t code = gifCode(g, width);
    while (code == GIF_CLEAR) code = gifCode(g, width);
    if (code < 0 || code == GIF_END) return;
    if (code > 255) gifCorrupt(g);
    int32_t previous = code;
    uint8_t first = gifOutput(g, code);
    for (;;) {
      code = gifCode(g, width);
      if (code < 0 || code == GIF_END) return;
      if (code == GIF_CLEAR) break;
      if (code > next || (code == next && next == GIF_TABLE)) gifCorrupt(g);  // undefined code
      if (code < next) {
        uint8_t f = gifOutput(g, code);
        if (next < GIF_TABLE) {
          g.prefix[next] = (uint16_t)previous;
          g.suffix[next] = f;
          next++;
        }
        first = f;
      } else {  // the string of the previous code plus its own first byte
        g.prefix[next] = (uint16_t)previous;
        g.suffix[next] = first;
        next++;
        first = gifOutput(g, code);
      }
      if (width < 12 && next == (1 << width)) width++;
      previous = code;
    }
  }
}

void gifLoad(MFILE* f, const char* name, xImage& img) {
  // No heap state: a fatal error leaves nothing behind but the caller's record.
  GifState g{};
  g.f = f;
  g.name = name;
  img.format = XIMAGE_INDEXED8;
  img.pixels = nullptr;
  img.palette = nullptr;
  uint8_t header[13];
  gifRead(g, header, 13);
  if (std::memcmp(header, "GIF", 3) != 0) xErrMsg(xFormat("xGifLoad:: not a GIF image file -> %s", name));
  if (header[3] != '8' || (header[4] != '7' && header[4] != '9') || header[5] != 'a')
    xErrMsg(xFormat("xGifLoad:: unsupported version -> %s", name));
  if (header[10] & 0x80) {
    img.palette = xImageAlloc(768, "Xgif", __LINE__);
    gifRead(g, img.palette, 3 << ((header[10] & 7) + 1));
  }
  for (;;) {
    uint8_t introducer;
    gifRead(g, &introducer, 1);
    if (introducer == 0x2C) break;
    // Shown verbatim, trailing space included.
    if (introducer != 0x21) xErrMsg(xFormat("xGifLoad:: unknown error -> %s ", name));
    uint8_t labelAndLength[2];
    gifRead(g, labelAndLength, 2);
    for (int32_t n = labelAndLength[1]; n != 0;) {
      gifRead(g, g.block, n + 1);
      n = g.block[n];
    }
  }
  // Left, top, width, height, packed byte; the minimum code size follows the local
  // colour table, so it is read after it.
  uint8_t desc[10];
  gifRead(g, desc, 9);
  img.width = qvLeS16(desc + 4);
  img.height = qvLeS16(desc + 6);
  if (desc[8] & 0x80) {
    if (!img.palette) img.palette = xImageAlloc(768, "Xgif", __LINE__);
    gifRead(g, img.palette, 3 << ((desc[8] & 7) + 1));
  }
  gifRead(g, desc + 9, 1);
  if (desc[9] != 8) xErrMsg(xFormat("xGifLoad::unsupported format -> %s", name));
  if (img.width <= 0 || img.height <= 0) xErrMsg(xFormat("xGifLoad:: corrupt image data -> %s", name));
  const size_t count = (size_t)img.width * img.height;
  img.pixels = xImageAlloc(count, "Xgif", __LINE__);
  g.out = img.pixels;
  g.outEnd = img.pixels + count;
  uint8_t length;
  gifRead(g, &length, 1);
  g.block[0] = length;  // read as if it followed an empty sub-block
  g.blockLength = 0;
  g.index = 0;
  gifDecode(g);
}

}  // namespace

int32_t xGifLoad(xFileData* fd, xImage& img) {
  xAssert(fd != nullptr, "Xgif", __LINE__);
  MFILE f = {fd->data, fd->data ? fd->size : 0, 0};
  gifLoad(&f, fd->name ? fd->name : "", img);
  return 0;
}

int32_t xGifLoad(const char* path, xImage& img) {
  xAssert(path != nullptr, "Xgif", __LINE__);
  MFILE* f = mopen(path);
  gifLoad(f, path, img);
  mclose(f);
  return 0;
}
