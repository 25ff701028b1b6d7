// FLC player. Every read goes through a bounded reader over one chunk and every write
// through the clamped helpers below, so broken sizes cut a frame short instead of
// reading or writing outside the buffers.
#include "image/xflc.h"

#include <cstdlib>
#include <cstring>

#include "platform/qvbytes.h"

xFlcPlayer xFlcState;

enum : int32_t { XFLC_HEADER = 128, XFLC_FRAME_HEADER = 16, XFLC_CHUNK_HEADER = 6 };

uint32_t xFlcHeaderSize(const uint8_t* header) { return qvLe32(header); }
uint16_t xFlcHeaderMagic(const uint8_t* header) { return qvLe16(header + 4); }
uint16_t xFlcHeaderFrames(const uint8_t* header) { return qvLe16(header + 6); }
uint16_t xFlcHeaderWidth(const uint8_t* header) { return qvLe16(header + 8); }
uint16_t xFlcHeaderHeight(const uint8_t* header) { return qvLe16(header + 10); }

// ---- loading ----

int32_t xFlcLoad(const uint8_t* bytes, int32_t size, xFlc* anim) {
  std::memset(anim, 0, sizeof *anim);
  if (!bytes || size < XFLC_HEADER) return XFLC_ERR_SHORT;
  const uint32_t fileSize = xFlcHeaderSize(bytes);
  if (fileSize < XFLC_HEADER) return XFLC_ERR_SIZE;
  const uint16_t w = xFlcHeaderWidth(bytes), h = xFlcHeaderHeight(bytes);
  if (w == 0 || h == 0 || w > 32767 || h > 32767) return XFLC_ERR_DIMS;
  // A header that promises more than the file holds is trusted only as far as the bytes go.
  const uint32_t held = fileSize < (uint32_t)size ? fileSize : (uint32_t)size;
  const int32_t frameBytes = (int32_t)(held - XFLC_HEADER);
  anim->header = (uint8_t*)std::malloc(XFLC_HEADER);
  anim->frames = (uint8_t*)std::malloc(frameBytes > 0 ? frameBytes : 1);
  anim->pixels = (uint8_t*)std::calloc((size_t)w * h, 1);
  anim->palette = (uint8_t*)std::calloc(768, 1);
  if (!anim->header || !anim->frames || !anim->pixels || !anim->palette) {
    xFlcFree(anim);
    return XFLC_ERR_MEMORY;
  }
  std::memcpy(anim->header, bytes, XFLC_HEADER);
  std::memcpy(anim->frames, bytes + XFLC_HEADER, frameBytes);
  anim->frameBytes = frameBytes;
  return XFLC_OK;
}

void xFlcFree(xFlc* anim) {
  std::free(anim->header);
  std::free(anim->frames);
  std::free(anim->pixels);
  std::free(anim->palette);
  if (xFlcState.pixels == anim->pixels) std::memset(&xFlcState, 0, sizeof xFlcState);
  std::memset(anim, 0, sizeof *anim);
}

void xFlcSelect(xFlc* anim) {
  std::memset(&xFlcState, 0, sizeof xFlcState);
  if (!anim->header) return;
  xFlcState.width = (int16_t)xFlcHeaderWidth(anim->header);
  xFlcState.height = (int16_t)xFlcHeaderHeight(anim->header);
  xFlcState.frameCount = xFlcHeaderFrames(anim->header);
  xFlcState.pixels = anim->pixels;
  xFlcState.palette = anim->palette;
  xFlcState.frames = anim->frames;
  xFlcState.frameBytes = anim->frameBytes;
}

void xFlcRewind() { xFlcState.cursor = 0; }

void xFlcReadFrameHeader(xFlcFrameHeader* fh) {
  std::memset(fh, 0, sizeof *fh);
  xFlcPlayer& s = xFlcState;
  s.frameStart = s.cursor;
  if (!s.frames || s.frameBytes - s.cursor < XFLC_FRAME_HEADER) {
    s.cursor = s.frameBytes;
    return;
  }
  const uint8_t* p = s.frames + s.cursor;
  fh->size = qvLe32(p);
  fh->type = qvLe16(p + 4);
  fh->chunks = qvLe16(p + 6);
  std::memcpy(fh->reserved, p + 8, 8);
  s.cursor += XFLC_FRAME_HEADER;
}

// ---- bounded reading and clamped writing ----

namespace {

struct Reader {
  const uint8_t* p;
  const uint8_t* end;
  bool ok = true;
  bool has(int64_t n) {
    if (end - p >= n) return true;
    ok = false;
    return false;
  }
  uint8_t u8() { return has(1) ? *p++ : 0; }
  int8_t s8() { return (int8_t)u8(); }
  int16_t s16() {
    if (!has(2)) return 0;
    const int16_t v = (int16_t)qvLe16(p);
    p += 2;
    return v;
  }
  // The next n bytes, or null (and nothing consumed) when fewer remain.
  const uint8_t* take(int64_t n) {
    if (!has(n)) return nullptr;
    const uint8_t* q = p;
    p += n;
    return q;
  }
};

// Picture writes: positions are byte offsets into pixels; whatever falls outside
// [0, width x height) is dropped.
struct Picture {
  uint8_t* pixels;
  int64_t total;
  void fill(int64_t pos, uint8_t value, int64_t n) {
    if (pos >= total || n <= 0) return;
    if (n > total - pos) n = total - pos;
    std::memset(pixels + pos, value, (size_t)n);
  }
  void copy(int64_t pos, const uint8_t* src, int64_t n) {
    if (pos >= total || n <= 0) return;
    if (n > total - pos) n = total - pos;
    std::memcpy(pixels + pos, src, (size_t)n);
  }
};

// Types 4 and 11: packets of (skip, count, count x rgb); count 0 means 256.
void xFlcPalette(Reader& r, uint8_t* palette, int shift) {
  const int16_t packets = r.s16();
  int32_t index = 0;
  for (int32_t k = 0; k < packets && r.ok; k++) {
    index += r.u8();
    int32_t count = r.u8();
    if (count == 0) count = 256;
    const uint8_t* rgb = r.take((int64_t)count * 3);
    if (!rgb) return;
    for (int32_t i = 0; i < count && index + i < 256; i++)
      for (int32_t c = 0; c < 3; c++) palette[(index + i) * 3 + c] = (uint8_t)(rgb[i * 3 + c] << shift);
    index += count;
  }
}

// Type 12: first line, line count, then per line packets of (skip, signed size).
void xFlcByteDelta(Reader& r, Picture& pic, int32_t width, int32_t height) {
  const int32_t y = (uint16_t)r.s16();
  const int16_t lines = r.s16();
  for (int32_t l = 0; l < lines && r.ok && y + l < height; l++) {
    int64_t pos = (int64_t)(y + l) * width;
    const int32_t packets = r.u8();
    for (int32_t k = 0; k < packets && r.ok; k++) {
      pos += r.u8();
      const int32_t s = r.s8();
      if (s >= 0) {
        const uint8_t* src = r.take(s);
        if (!src) return;
        pic.copy(pos, src, s);
        pos += s;
      } else {
        const uint8_t value = r.u8();
        if (!r.ok) return;
        pic.fill(pos, value, -s);
        pos += -s;
      }
    }
  }
}

// Type 7: line count, then per line a word: negative = skip lines, else packet count.
void xFlcWordDelta(Reader& r, Picture& pic, int32_t width, int32_t height) {
  int32_t lines = r.s16();
  int32_t y = 0;
  while (lines > 0 && r.ok && y < height) {
    const int16_t w = r.s16();
    if (!r.ok) return;
    if (w < 0) {
      if ((w & 0xC000) == 0x8000) {
        // Top bits 10: the low byte is the last pixel of an odd-width line; the
        // packet count follows in the next word.
        pic.fill((int64_t)y * width + width - 1, (uint8_t)w, 1);
      } else {
        y += -w;  // skipped lines are not counted
      }
      continue;
    }
    int64_t pos = (int64_t)y * width;
    for (int32_t k = 0; k < w && r.ok; k++) {
      pos += r.u8();
      const int32_t c = r.s8();
      if (c >= 0) {
        const uint8_t* src = r.take(2 * c);
        if (!src) return;
        pic.copy(pos, src, 2 * c);
        pos += 2 * c;
      } else {
        const uint8_t* pair = r.take(2);
        if (!pair) return;
        for (int32_t i = 0; i < -c; i++, pos += 2) pic.copy(pos, pair, 2);
      }
    }
    y++;
    lines--;
  }
}

// Type 15: every line a packet count, then packets of a signed size; positive sizes
// repeat one byte, negative ones copy. Lines continue where the previous one ended.
void xFlcByteRun(Reader& r, Picture& pic, int32_t height) {
  int64_t pos = 0;
  for (int32_t line = 0; line < height && r.ok; line++) {
    const int32_t packets = r.u8();
    for (int32_t k = 0; k < packets && r.ok; k++) {
      const int32_t s = r.s8();
      if (s >= 0) {
        const uint8_t value = r.u8();
        if (!r.ok) return;
        pic.fill(pos, value, s);
        pos += s;
      } else {
        const uint8_t* src = r.take(-s);
        if (!src) return;
        pic.copy(pos, src, -s);
        pos += -s;
      }
    }
  }
}

}  // namespace

int32_t xFlcDecodeFrame(const xFlcFrameHeader* fh) {
  xFlcPlayer& s = xFlcState;
  if (!s.frames) return 0;
  // The block ends at its start plus its size, but never past the data, and a size
  // shorter than its own header ends the data (nothing after it can be located).
  int64_t frameEnd = (int64_t)s.frameStart + fh->size;
  if (fh->size < XFLC_FRAME_HEADER || frameEnd > s.frameBytes) frameEnd = s.frameBytes;
  if (fh->type != XFLC_FRAME) {
    s.cursor = (int32_t)frameEnd;
    return 0;
  }
  Picture pic{s.pixels, (int64_t)s.width * s.height};
  int64_t at = s.cursor;
  for (int32_t c = 0; c < fh->chunks; c++) {
    if (frameEnd - at < XFLC_CHUNK_HEADER) break;
    const uint32_t size = qvLe32(s.frames + at);
    const uint16_t type = qvLe16(s.frames + at + 4);
    if (size < XFLC_CHUNK_HEADER) break;  // no way to find the next chunk
    const int64_t chunkEnd = at + size < frameEnd ? at + size : frameEnd;
    Reader r{s.frames + at + XFLC_CHUNK_HEADER, s.frames + chunkEnd};
    switch (type) {
      case 4: xFlcPalette(r, s.palette, 0); break;
      case 11: xFlcPalette(r, s.palette, 2); break;  // 0..63 -> 0..252
      case 7: xFlcWordDelta(r, pic, s.width, s.height); break;
      case 12: xFlcByteDelta(r, pic, s.width, s.height); break;
      case 15: xFlcByteRun(r, pic, s.height); break;
      default: break;  // black frame, copy, postage stamp and the rest are skipped
    }
    at = chunkEnd;
  }
  s.cursor = (int32_t)frameEnd;
  return 1;
}
