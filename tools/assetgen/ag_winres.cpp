// Windows bitmap and icon files for the program's setup picture and icon.
#include "ag_writers.h"

// BITMAPINFOHEADER for a picture of h rows (icons store twice the height: XOR + AND).
static void infoHeader(AgBytes& b, int32_t w, int32_t h, int32_t bits, uint32_t imageSize) {
  agPut32(b, 40);
  agPut32(b, uint32_t(w));
  agPut32(b, uint32_t(h));
  agPut16(b, 1);
  agPut16(b, uint32_t(bits));
  agPut32(b, 0);
  agPut32(b, imageSize);
  agPut32(b, 2835);
  agPut32(b, 2835);  // 72 dpi
  agPut32(b, uint32_t(1) << bits);
  agPut32(b, 0);
}

static void palette(AgBytes& b, const AgIndexed& im, int32_t entries) {
  for (int32_t i = 0; i < entries; i++) {  // blue, green, red, reserved
    b.push_back(im.pal[i * 3 + 2]);
    b.push_back(im.pal[i * 3 + 1]);
    b.push_back(im.pal[i * 3]);
    b.push_back(0);
  }
}

// Rows bottom-up, each padded to 4 bytes; bits 4 or 8.
static void pixelRows(AgBytes& b, const AgGray& idx, int32_t bits) {
  int32_t stride = ((idx.w * bits + 31) / 32) * 4;
  for (int32_t y = idx.h - 1; y >= 0; y--) {
    AgBytes row(size_t(stride), 0);
    for (int32_t x = 0; x < idx.w; x++) {
      uint8_t v = idx.at(x, y);
      if (bits == 8) row[size_t(x)] = v;
      else row[size_t(x / 2)] |= uint8_t((v & 15) << (x & 1 ? 0 : 4));
    }
    b.insert(b.end(), row.begin(), row.end());
  }
}

AgBytes agBmp8(const AgIndexed& im) {
  int32_t stride = (im.idx.w + 3) & ~3;
  uint32_t imageSize = uint32_t(stride * im.idx.h), offset = 14 + 40 + 1024;
  AgBytes b{'B', 'M'};
  agPut32(b, offset + imageSize);
  agPut32(b, 0);
  agPut32(b, offset);
  infoHeader(b, im.idx.w, im.idx.h, 8, imageSize);
  palette(b, im, 256);
  pixelRows(b, im.idx, 8);
  return b;
}

AgBytes agIco(const std::vector<AgIconImage>& images) {
  std::vector<AgBytes> bodies;
  for (const AgIconImage& ii : images) {
    int32_t w = ii.pic.idx.w, h = ii.pic.idx.h;
    int32_t xorStride = ((w * ii.bits + 31) / 32) * 4, andStride = ((w + 31) / 32) * 4;
    AgBytes b;
    infoHeader(b, w, h * 2, ii.bits, uint32_t((xorStride + andStride) * h));
    palette(b, ii.pic, 1 << ii.bits);
    pixelRows(b, ii.pic.idx, ii.bits);
    for (int32_t y = h - 1; y >= 0; y--) {  // AND mask: 1 = transparent
      AgBytes row(size_t(andStride), 0);
      for (int32_t x = 0; x < w; x++)
        if (ii.opacity.at(x, y) < 128) row[size_t(x / 8)] |= uint8_t(0x80 >> (x & 7));
      b.insert(b.end(), row.begin(), row.end());
    }
    bodies.push_back(b);
  }
  AgBytes out;
  agPut16(out, 0);
  agPut16(out, 1);
  agPut16(out, uint32_t(images.size()));
  uint32_t offset = 6 + 16 * uint32_t(images.size());
  for (size_t i = 0; i < images.size(); i++) {
    const AgIconImage& ii = images[i];
    out.push_back(uint8_t(ii.pic.idx.w));
    out.push_back(uint8_t(ii.pic.idx.h));
    out.push_back(ii.bits == 4 ? 16 : 0);  // colour count (0 means 256)
    out.push_back(0);
    agPut16(out, 1);
    agPut16(out, uint32_t(ii.bits));
    agPut32(out, uint32_t(bodies[i].size()));
    agPut32(out, offset);
    offset += uint32_t(bodies[i].size());
  }
  for (const AgBytes& b : bodies) out.insert(out.end(), b.begin(), b.end());
  return out;
}
