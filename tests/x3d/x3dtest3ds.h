// Builds small 3DS files in memory for the loader tests.
#pragma once
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

#include "file/xfile.h"
#include "x3d/x3d3ds.h"

namespace t3ds {

inline std::string U16(uint16_t v) { return std::string{char(v & 255), char(v >> 8)}; }
inline std::string U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
inline std::string F32(float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  return U32(u);
}
inline std::string Name(const std::string& s) { return s + std::string(1, '\0'); }
inline std::string Floats(std::initializer_list<float> fs) {
  std::string out;
  for (float f : fs) out += F32(f);
  return out;
}
// Chunk: header with the true length, then the body (own data and sub-chunks).
inline std::string Chunk(uint16_t id, const std::string& body) { return U16(id) + U32(6 + body.size()) + body; }
inline std::string Main(const std::string& body) { return Chunk(0x4D4D, body); }
inline std::string Editor(const std::string& body) { return Chunk(0x3D3D, body); }

// A mesh object with vertices (file coordinates) and faces.
inline std::string Mesh(const std::string& name, std::initializer_list<float> xyz, std::initializer_list<uint16_t> abc,
                        const std::string& extra = "", const std::string& faceExtra = "") {
  std::string verts = U16(static_cast<uint16_t>(xyz.size() / 3));
  for (float f : xyz) verts += F32(f);
  std::string faces = U16(static_cast<uint16_t>(abc.size() / 3));
  int i = 0;
  for (uint16_t v : abc) {
    faces += U16(v);
    if (++i % 3 == 0) faces += U16(0);
  }
  return Chunk(0x4000, Name(name) + Chunk(0x4100, Chunk(0x4110, verts) + Chunk(0x4120, faces + faceExtra) + extra));
}

inline std::string Material(const std::string& name, const std::string& extra = "") {
  return Chunk(0xAFFF, Chunk(0xA000, Name(name)) + extra);
}
inline std::string ColorF(float r, float g, float b) { return Chunk(0x0010, Floats({r, g, b})); }
inline std::string Percent(uint16_t p) { return Chunk(0x0030, U16(p)); }
inline std::string MapName(uint16_t parent, const std::string& file) {
  return Chunk(parent, Chunk(0xA300, Name(file)));
}

inline std::string Camera(const std::string& name, std::initializer_list<float> posTarget, float bank, float lens) {
  std::string body;
  for (float f : posTarget) body += F32(f);
  return Chunk(0x4000, Name(name) + Chunk(0x4700, body + F32(bank) + F32(lens)));
}

inline std::string Omni(const std::string& name, float x, float y, float z, const std::string& extra = "") {
  return Chunk(0x4000, Name(name) + Chunk(0x4600, Floats({x, y, z}) + extra));
}

inline std::string Keyframer(const std::string& body, int32_t start = 0, int32_t end = 100) {
  return Chunk(0xB000, Chunk(0xB008, U32(start) + U32(end)) + body);
}
inline std::string NodeHeader(const std::string& name, uint16_t flags1, uint16_t parent) {
  return Chunk(0xB010, Name(name) + U16(flags1) + U16(0) + U16(parent));
}
inline std::string NodeId(uint16_t id) { return Chunk(0xB030, U16(id)); }

struct Key {
  uint32_t frame;
  std::string value;
  std::string params = "";  // floats of the set spline flag bits
  uint16_t flags = 0;
};
inline std::string Track(uint16_t id, uint16_t trackFlags, std::initializer_list<Key> keys) {
  std::string body = U16(trackFlags) + std::string(8, '\0') + U32(static_cast<uint32_t>(keys.size()));
  for (const Key& k : keys) body += U32(k.frame) + U16(k.flags) + k.params + k.value;
  return Chunk(id, body);
}
inline std::string HideTrack(std::initializer_list<uint32_t> frames) {
  std::string body = U16(0) + std::string(8, '\0') + U32(static_cast<uint32_t>(frames.size()));
  for (uint32_t f : frames) body += U32(f) + U16(0);
  return Chunk(0xB029, body);
}

inline x3dScene* Load(const std::string& bytes, x3dScene* s) {
  xFileData fd{const_cast<char*>("mem.3ds"), static_cast<int32_t>(bytes.size()),
               reinterpret_cast<uint8_t*>(const_cast<char*>(bytes.data()))};
  x3dLoad3dsMemory(&fd, s);
  return s;
}

}  // namespace t3ds
