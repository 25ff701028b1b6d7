// Files on disk for the material and scene-script tests.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/stat.h>

#include "common/qvtest.h"

namespace tfiles {

// A fresh folder under the build tree, ending with '/'.
inline std::string Dir(const std::string& name) {
  std::string d = std::string(QV_BINARY_DIR) + "/x3dtest_" + name + "/";
  mkdir(d.c_str(), 0755);
  mkdir((d + "sub").c_str(), 0755);
  return d;
}

inline void Write(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

// Uncompressed 24-bit TGA, bottom-up; pixel (x, y) of the picture (y = 0 top) from fn.
template <typename Fn>
std::string Tga(int w, int h, Fn fn) {
  std::string t(18, '\0');
  t[2] = 2;
  t[12] = char(w & 255), t[13] = char(w >> 8), t[14] = char(h & 255), t[15] = char(h >> 8);
  t[16] = 24;
  for (int y = h - 1; y >= 0; y--)
    for (int x = 0; x < w; x++) {
      uint32_t p = fn(x, y);
      t += char(p & 255);
      t += char(p >> 8 & 255);
      t += char(p >> 16 & 255);
    }
  return t;
}

}  // namespace tfiles
