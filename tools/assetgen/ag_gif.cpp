#include <cstring>

#include "ag_writers.h"

namespace {
// Packs variable-width codes least significant bit first.
struct BitOut {
  AgBytes out;
  uint32_t acc = 0;
  int32_t nbits = 0;
  void put(uint32_t code, int32_t width) {
    acc |= code << nbits;
    nbits += width;
    while (nbits >= 8) {
      out.push_back(uint8_t(acc));
      acc >>= 8;
      nbits -= 8;
    }
  }
  void flush() {
    if (nbits > 0) out.push_back(uint8_t(acc));
    acc = 0;
    nbits = 0;
  }
};
}  // namespace

// Classic LZW with 8-bit roots: codes 0-255 literal, 256 clear, 257 end. The code
// width grows when the next free code passes 2^width (the decoder is one entry
// behind the encoder); a full table of 4096 entries is answered by a clear code.
AgBytes agGifLzw(const uint8_t* px, size_t n) {
  const int32_t kClear = 256, kEnd = 257;
  // Dictionary as a child table: entry (prefix, byte) -> code, 0 = unused.
  std::vector<uint16_t> child(size_t(4096) * 256, 0);
  BitOut bo;
  int32_t width = 9, next = 258;
  bo.put(kClear, width);
  if (n == 0) {
    bo.put(kEnd, width);
    bo.flush();
    return bo.out;
  }
  int32_t prefix = px[0];
  for (size_t i = 1; i < n; i++) {
    uint8_t c = px[i];
    uint16_t k = child[size_t(prefix) * 256 + c];
    if (k) {
      prefix = k;
      continue;
    }
    bo.put(uint32_t(prefix), width);
    if (next < 4096) {
      child[size_t(prefix) * 256 + c] = uint16_t(next++);
      if (next - 1 == (1 << width) && width < 12) width++;
    }
    if (next == 4096) {  // table full: start again
      bo.put(kClear, width);
      std::memset(child.data(), 0, child.size() * sizeof(uint16_t));
      width = 9;
      next = 258;
    }
    prefix = c;
  }
  bo.put(uint32_t(prefix), width);
  // The decoder adds an entry for this last code as well, which may widen its codes.
  if (next < 4096 && next == (1 << width) && width < 12) width++;
  bo.put(kEnd, width);
  bo.flush();
  return bo.out;
}

AgBytes agGif(const AgIndexed& im, bool gif89a, const char* comment) {
  const char* sig = gif89a ? "GIF89a" : "GIF87a";
  AgBytes b(sig, sig + 6);
  agPut16(b, uint32_t(im.idx.w));
  agPut16(b, uint32_t(im.idx.h));
  b.push_back(0xF7);  // global colour table of 256 entries, 8 bits of colour resolution
  b.push_back(0);     // background index
  b.push_back(0);     // no aspect ratio
  b.insert(b.end(), im.pal.begin(), im.pal.end());
  if (gif89a && comment) {  // comment extension, split into sub-blocks of at most 255 bytes
    b.push_back(0x21);
    b.push_back(0xFE);
    size_t len = std::strlen(comment);
    for (size_t p = 0; p < len; p += 255) {
      size_t k = len - p < 255 ? len - p : 255;
      b.push_back(uint8_t(k));
      b.insert(b.end(), comment + p, comment + p + k);
    }
    b.push_back(0);
  }
  b.push_back(0x2C);
  agPut16(b, 0);
  agPut16(b, 0);
  agPut16(b, uint32_t(im.idx.w));
  agPut16(b, uint32_t(im.idx.h));
  b.push_back(0);  // no local table, not interlaced
  b.push_back(8);  // LZW minimum code size
  AgBytes lzw = agGifLzw(im.idx.px.data(), im.idx.px.size());
  for (size_t p = 0; p < lzw.size(); p += 255) {
    size_t k = lzw.size() - p < 255 ? lzw.size() - p : 255;
    b.push_back(uint8_t(k));
    b.insert(b.end(), lzw.begin() + p, lzw.begin() + p + k);
  }
  b.push_back(0);
  b.push_back(0x3B);
  return b;
}
