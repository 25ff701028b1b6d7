// Helpers for the picture tests: records from bytes, RGB extraction, manifests.
#pragma once
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "file/xfile.h"
#include "image/ximage.h"

// An xFileData record over a copy of the bytes (freed by the destructor).
struct TestRecord {
  xFileData fd;
  std::string name;
  TestRecord(const std::string& bytes, const std::string& n) : name(n) {
    fd.name = (char*)name.c_str();
    fd.size = (int32_t)bytes.size();
    fd.data = (uint8_t*)std::malloc(bytes.size() ? bytes.size() : 1);
    std::memcpy(fd.data, bytes.data(), bytes.size());
  }
  ~TestRecord() { std::free(fd.data); }
};

inline void freeImage(xImage& img) {
  std::free(img.pixels);
  std::free(img.palette);
  img.pixels = img.palette = nullptr;
}

// Red, green, blue bytes of a format-6 picture, rows top to bottom.
inline std::string rgbOf(const xImage& img) {
  std::string out;
  out.reserve((size_t)img.width * img.height * 3);
  const uint8_t* p = img.pixels;
  for (size_t i = 0; i < (size_t)img.width * img.height; i++, p += 4) {
    out += (char)p[2];
    out += (char)p[1];
    out += (char)p[0];
  }
  return out;
}

// Rows of a packed picture in reverse order.
inline std::string flipRows(const std::string& rgb, int width, int height, int bytes = 3) {
  std::string out(rgb.size(), '\0');
  size_t row = (size_t)width * bytes;
  for (int y = 0; y < height; y++) out.replace((size_t)y * row, row, rgb, (size_t)(height - 1 - y) * row, row);
  return out;
}

// Rows of a MANIFEST.tsv keyed by file name, each a map from column to value.
std::map<std::string, std::map<std::string, std::string>> readManifest(const std::string& path);

// Decodes through xImageLoad on a record of the file's bytes and converts to format 6.
xImage loadRecord(const std::string& path, const std::string& name);
