#include "common/qvtest.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "image/xpng.h"
#include "platform/plat_headless.h"

std::string qvCorpusDir() {
  struct stat st;
  if (stat(QV_CORPUS_DIR, &st) == 0 && S_ISDIR(st.st_mode)) return QV_CORPUS_DIR;
  return "";
}

std::string qvReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string qvStartHeadless(const char* dialog, int32_t desktopW, int32_t desktopH) {
  char err[200];
  if (dialog) {
    PlatHeadlessConfig c;
    platHeadlessDefaults(&c);
    c.dialog = dialog;
    c.desktopWidth = desktopW, c.desktopHeight = desktopH;
    if (!platHeadlessConfigure(&c, err, sizeof err)) return err;
  }
  return platInit(PLAT_BACKEND_HEADLESS, err, sizeof err) ? "" : err;
}

bool qvHaveTool(const char* name) {
  std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

// Plain FIPS 180-4 SHA-256, enough for comparing decoded pixels with recorded hashes.
namespace {
const uint32_t K[64] = {0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
                        0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
                        0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
                        0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
                        0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
                        0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
                        0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
                        0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
inline uint32_t ror(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }
void block(uint32_t h[8], const uint8_t* p) {
  uint32_t w[64];
  for (int i = 0; i < 16; i++) w[i] = (uint32_t)p[4 * i] << 24 | p[4 * i + 1] << 16 | p[4 * i + 2] << 8 | p[4 * i + 3];
  for (int i = 16; i < 64; i++) {
    uint32_t s0 = ror(w[i - 15], 7) ^ ror(w[i - 15], 18) ^ (w[i - 15] >> 3);
    uint32_t s1 = ror(w[i - 2], 17) ^ ror(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4], f = h[5], g = h[6], hh = h[7];
  for (int i = 0; i < 64; i++) {
    uint32_t t1 = hh + (ror(e, 6) ^ ror(e, 11) ^ ror(e, 25)) + ((e & f) ^ (~e & g)) + K[i] + w[i];
    uint32_t t2 = (ror(a, 2) ^ ror(a, 13) ^ ror(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
    hh = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  h[0] += a;
  h[1] += b;
  h[2] += c;
  h[3] += d;
  h[4] += e;
  h[5] += f;
  h[6] += g;
  h[7] += hh;
}
}  // namespace

std::string qvSha256(const void* data, size_t size) {
  uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
  const uint8_t* p = static_cast<const uint8_t*>(data);
  size_t n = size;
  while (n >= 64) {
    block(h, p);
    p += 64;
    n -= 64;
  }
  uint8_t tail[128] = {0};
  std::memcpy(tail, p, n);
  tail[n] = 0x80;
  size_t len = n < 56 ? 64 : 128;
  uint64_t bits = (uint64_t)size * 8;
  for (int i = 0; i < 8; i++) tail[len - 1 - i] = (uint8_t)(bits >> (8 * i));
  block(h, tail);
  if (len == 128) block(h, tail + 64);
  char out[65];
  for (int i = 0; i < 8; i++) std::snprintf(out + 8 * i, 9, "%08x", h[i]);
  return out;
}

bool qvUpdatingGolden() {
  const char* u = std::getenv("QV_UPDATE_GOLDEN");
  return u && *u && *u != '0';
}

std::string qvGoldenCompare(const std::string& name, const uint32_t* pixels, int width, int height, int pitch) {
  const std::string path = std::string(QV_TEST_DATA_DIR) + "/" + name;
  if (qvUpdatingGolden()) {
    std::string dir = path.substr(0, path.rfind('/'));
    std::string mk = "mkdir -p '" + dir + "'";
    if (std::system(mk.c_str()) != 0 || !xPngWriteXrgb(path.c_str(), pixels, width, height, pitch))
      return "cannot write " + path;
    return "";
  }
  std::vector<uint32_t> want;
  int32_t w = 0, h = 0;
  const char* why = "";
  if (!xPngReadXrgb(path.c_str(), &want, &w, &h, &why))
    return "missing golden picture " + path + " (" + why + "; QV_UPDATE_GOLDEN=1 writes it)";
  int diff = 0, first = -1;
  if (w == width && h == height) {
    for (int y = 0; y < height; y++)
      for (int x = 0; x < width; x++)
        if ((pixels[(size_t)y * pitch + x] & 0xFFFFFF) != want[(size_t)y * width + x]) {
          if (first < 0) first = y * width + x;
          diff++;
        }
  }
  if (w == width && h == height && diff == 0) return "";
  size_t slash = path.rfind('/');
  std::string got = path.substr(0, slash + 1) + "actual_" + path.substr(slash + 1);
  xPngWriteXrgb(got.c_str(), pixels, width, height, pitch);
  char where[96];
  if (w != width || h != height)
    std::snprintf(where, sizeof where, "size %dx%d instead of %dx%d", width, height, (int)w, (int)h);
  else std::snprintf(where, sizeof where, "%d pixels differ, first at (%d, %d)", diff, first % width, first / width);
  return name + ": " + where + "; expected " + path + ", actual " + got;
}
