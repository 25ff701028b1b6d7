#include "ag_writers.h"

static AgBytes tgaHeader(int32_t type, int32_t w, int32_t h, int32_t bits, int32_t mapLen, int32_t alphaBits) {
  AgBytes b;
  b.push_back(0);                  // no identification field
  b.push_back(type == 1 ? 1 : 0);  // colour map present
  b.push_back(uint8_t(type));
  agPut16(b, 0);  // first colour-map entry
  agPut16(b, uint32_t(mapLen));
  b.push_back(mapLen ? 24 : 0);  // colour-map entry size
  agPut16(b, 0);
  agPut16(b, 0);  // origin
  agPut16(b, uint32_t(w));
  agPut16(b, uint32_t(h));
  b.push_back(uint8_t(bits));
  b.push_back(uint8_t(alphaBits));  // descriptor: bottom-up rows, alpha bits
  return b;
}

AgBytes agTgaRgb(const AgImage& im, int32_t bits, const AgGray* alpha) {
  AgBytes b = tgaHeader(2, im.w, im.h, bits, 0, bits == 32 ? 8 : 0);
  b.reserve(b.size() + size_t(im.w) * im.h * (bits / 8));
  for (int32_t y = im.h - 1; y >= 0; y--)
    for (int32_t x = 0; x < im.w; x++) {
      uint32_t c = im.at(x, y);
      b.push_back(uint8_t(c));
      b.push_back(uint8_t(c >> 8));
      b.push_back(uint8_t(c >> 16));
      if (bits == 32) b.push_back(alpha ? alpha->at(x, y) : 255);
    }
  return b;
}

AgBytes agTgaIndexed(const AgIndexed& im) {
  AgBytes b = tgaHeader(1, im.idx.w, im.idx.h, 8, 256, 0);
  for (int32_t i = 0; i < 256; i++) {  // entries are stored blue, green, red
    b.push_back(im.pal[i * 3 + 2]);
    b.push_back(im.pal[i * 3 + 1]);
    b.push_back(im.pal[i * 3]);
  }
  for (int32_t y = im.idx.h - 1; y >= 0; y--)
    b.insert(b.end(), im.idx.px.begin() + size_t(y) * im.idx.w, im.idx.px.begin() + size_t(y + 1) * im.idx.w);
  return b;
}

bool agWriteFile(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}
