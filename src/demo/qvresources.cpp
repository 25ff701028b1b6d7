#include "demo/qvresources.h"

#ifdef __EMSCRIPTEN__
#include <emscripten/em_macros.h>
#endif

#include <cstdio>
#include <cstring>

#include "platform/qvbytes.h"
#include "qvresources.inc"
#include "system/xerror.h"

static bool qvFail(char* err, size_t errSize, const char* what) {
  std::snprintf(err, errSize, "%s", what);
  return false;
}

// A device-independent bitmap at data[dib]: header, palette, then the pixel rows at
// data[bits] (0: right after the palette). Icons (mask set) store twice the height and an
// AND mask of one bit per pixel after the colour rows.
static bool qvDecodeDib(const uint8_t* data, size_t size, size_t dib, size_t bits, bool mask, qvBitmap* out, char* err,
                        size_t errSize) {
  if (dib > size || size - dib < 40) return qvFail(err, errSize, "bitmap header cut short");
  const uint8_t* h = data + dib;
  uint32_t headerSize = qvLe32(h), depth = qvLe16(h + 14), colours = qvLe32(h + 32);
  int32_t w = (int32_t)qvLe32(h + 4), ht = (int32_t)qvLe32(h + 8);
  if (headerSize < 40 || headerSize > size - dib) return qvFail(err, errSize, "bad bitmap header size");
  if (qvLe16(h + 12) != 1 || qvLe32(h + 16) != 0) return qvFail(err, errSize, "compressed or multi-plane bitmap");
  if (depth != 1 && depth != 4 && depth != 8) return qvFail(err, errSize, "unsupported bits per pixel (1, 4 or 8)");
  bool topDown = ht < 0 && !mask;
  if (ht < 0 && !topDown) return qvFail(err, errSize, "bad bitmap size");
  if (topDown) ht = -ht;
  if (mask) {
    if (ht % 2) return qvFail(err, errSize, "icon image of odd height");
    ht /= 2;
  }
  if (w < 1 || ht < 1 || w > 16384 || ht > 16384) return qvFail(err, errSize, "bad bitmap size");
  if (colours == 0) colours = 1u << depth;
  if (colours > (1u << depth)) return qvFail(err, errSize, "palette larger than the depth allows");
  // Rows are padded to whole 32-bit words; the AND mask has one bit per pixel.
  uint64_t pal = dib + headerSize, stride = ((uint64_t)w * depth + 31) / 32 * 4;
  uint64_t andStride = ((uint64_t)w + 31) / 32 * 4;
  if (pal + colours * 4ull > size) return qvFail(err, errSize, "palette cut short");
  uint64_t at = bits ? bits : pal + colours * 4ull;
  if (at < pal + colours * 4ull || at + (stride + (mask ? andStride : 0)) * (uint64_t)ht > size)
    return qvFail(err, errSize, "pixel rows cut short");
  out->width = w, out->height = ht;
  out->pixels.assign((size_t)w * (size_t)ht, 0);
  for (int32_t y = 0; y < ht; y++) {
    int32_t row = topDown ? y : ht - 1 - y;  // rows are stored bottom-up unless the height is negative
    const uint8_t* src = data + at + stride * (uint64_t)row;
    const uint8_t* andRow = data + at + stride * (uint64_t)ht + andStride * (uint64_t)row;
    for (int32_t x = 0; x < w; x++) {
      uint32_t bit = (uint32_t)x * depth, idx = (uint32_t)(src[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
      if (idx >= colours) return qvFail(err, errSize, "pixel index beyond the palette");
      const uint8_t* c = data + pal + idx * 4;  // blue, green, red, reserved
      bool clear = mask && (andRow[x / 8] >> (7 - x % 8) & 1);
      uint32_t rgb = (uint32_t)c[2] << 16 | (uint32_t)c[1] << 8 | c[0];
      out->pixels[(size_t)y * (size_t)w + (size_t)x] = (clear ? 0u : 0xFF000000u) | rgb;
    }
  }
  return true;
}

bool qvDecodeBmp(const uint8_t* data, size_t size, qvBitmap* out, char* err, size_t errSize) {
  if (!data || size < 14 || data[0] != 'B' || data[1] != 'M') return qvFail(err, errSize, "not a Windows bitmap");
  uint32_t offBits = qvLe32(data + 10);
  if (offBits < 14 + 40 || offBits >= size) return qvFail(err, errSize, "bad pixel offset");
  return qvDecodeDib(data, size, 14, offBits, false, out, err, errSize);
}

bool qvDecodeIco(const uint8_t* data, size_t size, qvBitmap* out, char* err, size_t errSize) {
  if (!data || size < 6 || qvLe16(data) != 0 || qvLe16(data + 2) != 1) return qvFail(err, errSize, "not an icon file");
  uint32_t count = qvLe16(data + 4);
  if (count == 0) return qvFail(err, errSize, "icon without images");
  if (6 + 16ull * count > size) return qvFail(err, errSize, "icon directory cut short");
  int32_t best = -1;
  uint32_t bestDepth = 0;
  for (uint32_t i = 0; i < count; i++) {
    const uint8_t* e = data + 6 + 16 * i;
    uint32_t bytes = qvLe32(e + 8), off = qvLe32(e + 12);
    if ((uint64_t)off + bytes > size || bytes < 40) return qvFail(err, errSize, "icon image outside the file");
    if (e[0] != 32 || e[1] != 32 || qvLe32(data + off) < 40) continue;  // other sizes, PNG images
    uint32_t depth = qvLe16(data + off + 14);
    if (depth <= 8 && depth > bestDepth) best = (int32_t)i, bestDepth = depth;
  }
  if (best < 0) return qvFail(err, errSize, "no 32x32 palette image in the icon");
  const uint8_t* e = data + 6 + 16 * (uint32_t)best;
  uint32_t off = qvLe32(e + 12), bytes = qvLe32(e + 8);
  if (!qvDecodeDib(data, (size_t)off + bytes, off, 0, true, out, err, errSize)) return false;
  if (out->width != 32 || out->height != 32) return qvFail(err, errSize, "icon image size differs from its directory");
  return true;
}

const uint8_t* qvResBytes(int32_t resource, size_t* size) {
  *size = resource == 103 ? sizeof qvResSetupBitmap : resource == 104 ? sizeof qvResIcon : 0;
  return resource == 103 ? qvResSetupBitmap : resource == 104 ? qvResIcon : nullptr;
}

const qvBitmap* qvSetupBitmap() {
  static qvBitmap bmp;
  if (bmp.pixels.empty()) {
    char err[128];
    if (!qvDecodeBmp(qvResSetupBitmap, sizeof qvResSetupBitmap, &bmp, err, sizeof err))
      xErrMsg(xFormat("qvSetupDialog::LoadBitmap(103): %s", err));
  }
  return &bmp;
}

const PlatIcon* qvLoadIcon() {
  static qvBitmap ico;
  static PlatIcon icon;
  if (ico.pixels.empty()) {
    char err[128];
    if (!qvDecodeIco(qvResIcon, sizeof qvResIcon, &ico, err, sizeof err))
      xErrMsg(xFormat("qvLoadIcon::LoadIcon(104): %s", err));
    icon = {ico.width, ico.height, ico.pixels.data()};
  }
  return &icon;
}

const char* qvGreetingsText() { return qvResGreetings; }
#ifdef __EMSCRIPTEN__
// The page's own setup shows the greetings from its button.
extern "C" EMSCRIPTEN_KEEPALIVE const char* qvWebGreetings() { return qvResGreetings; }
#endif
