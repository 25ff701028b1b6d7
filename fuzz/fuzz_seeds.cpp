// Tiny valid files of each kind, built here so the harnesses run without the corpus.
#include <cstdio>
#include <cstring>

#include <zlib.h>

#include "assetgen/ag_jpeg.h"
#include "qvfuzz.h"

namespace {

typedef std::vector<uint8_t> Bytes;

void put16(Bytes& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void put32(Bytes& b, uint32_t v) {
  put16(b, v & 0xFFFF);
  put16(b, v >> 16);
}
void set32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) b[at + i] = (v >> (8 * i)) & 0xFF;
}
void putf(Bytes& b, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  put32(b, v);
}
void putText(Bytes& b, const char* s, bool zero) {
  b.insert(b.end(), s, s + std::strlen(s));
  if (zero) b.push_back(0);
}

std::vector<Bytes> tga() {
  // 2x2 true colour, top-left origin; and 2x2 colour-mapped with a 2-entry map.
  Bytes t = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 2, 0, 24, 0x20};
  for (int i = 0; i < 12; i++) t.push_back(static_cast<uint8_t>(i * 20));
  Bytes m = {0, 1, 1, 0, 0, 2, 0, 24, 0, 0, 0, 0, 2, 0, 2, 0, 8, 0};
  for (int i = 0; i < 6; i++) m.push_back(static_cast<uint8_t>(i * 40));
  m.insert(m.end(), {0, 1, 1, 0});
  return {t, m};
}

std::vector<Bytes> pcx() {
  // 4x2, 8 bits, one plane, run-length coded, with the 256-colour palette after 0x0C.
  Bytes h(128, 0);
  h[0] = 0x0A, h[1] = 5, h[2] = 1, h[3] = 8;
  h[8] = 3, h[10] = 1;  // xmax 3, ymax 1
  h[65] = 1, h[66] = 4, h[68] = 1;
  Bytes d = h;
  d.insert(d.end(), {0xC4, 0x05, 0x01, 0x02, 0xC1, 0xC7, 0x04});
  d.push_back(0x0C);
  for (int i = 0; i < 768; i++) d.push_back(static_cast<uint8_t>(i));
  return {d};
}

std::vector<Bytes> gif() {
  // 2x2, two-colour global table, 8-bit minimum code size (the only one the decoder
  // takes); codes clear, 0, 1, 2, 3, end in 9 bits each.
  Bytes g = {'G',  'I', 'F', '8', '9', 'a', 2, 0, 2, 0, 0x80, 0, 0,    0,    0,    0,    0xFF, 0xFF, 0xFF, 0x21, 0xF9,
             4,    1,   0,   0,   0,   0,  // graphic control extension
             0x2C, 0,   0,   0,   0,   2,   0, 2, 0, 0, 8,    7, 0x00, 0x01, 0x04, 0x10, 0x30, 0x20, 0x20, 0,    0x3B};
  return {g};
}

std::vector<Bytes> jpeg() {
  // 16x8 colour picture written by libjpeg (JFIF marker included).
  uint8_t rgb[8][16 * 3];
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 48; x++) rgb[y][x] = static_cast<uint8_t>(x * 5 + y * 30);
  return {agJpegEncode(&rgb[0][0], 16, 8, 75)};
}

std::vector<Bytes> flc() {
  // 4x2 FLC: frame 1 sets two colours and run-length fills; frame 2 clears to black.
  Bytes f(128, 0);
  f[4] = 0x12, f[5] = 0xAF, f[6] = 2, f[8] = 4, f[10] = 2, f[12] = 8;
  size_t frame = f.size();
  put32(f, 0), put16(f, 0xF1FA), put16(f, 2), f.insert(f.end(), 8, 0);
  Bytes color = {1, 0, 0, 2, 10, 20, 30, 200, 210, 220};  // 1 packet: skip 0, 2 colours
  put32(f, 6 + color.size()), put16(f, 4), f.insert(f.end(), color.begin(), color.end());
  Bytes brun = {0, 4, 1, 0, 0xFC, 1, 0, 1, 0};  // line 1: run of 4; line 2: 4 literals
  put32(f, 6 + brun.size()), put16(f, 15), f.insert(f.end(), brun.begin(), brun.end());
  set32(f, frame, static_cast<uint32_t>(f.size() - frame));
  size_t second = f.size();
  put32(f, 16 + 6), put16(f, 0xF1FA), put16(f, 1), f.insert(f.end(), 8, 0);
  put32(f, 6), put16(f, 13);
  (void)second;
  set32(f, 0, static_cast<uint32_t>(f.size()));
  return {f};
}

// One chunk: id, 6 + payload length, payload.
Bytes chunk(uint16_t id, const Bytes& payload) {
  Bytes b;
  put16(b, id);
  put32(b, static_cast<uint32_t>(6 + payload.size()));
  b.insert(b.end(), payload.begin(), payload.end());
  return b;
}
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

std::vector<Bytes> threeDs() {
  // One triangle object and one camera in the editor block, plus an empty keyframer.
  Bytes verts;
  put16(verts, 3);
  for (float v : {0.f, 0.f, 0.f, 10.f, 0.f, 0.f, 0.f, 10.f, 0.f}) putf(verts, v);
  Bytes faces;
  put16(faces, 1), put16(faces, 0), put16(faces, 1), put16(faces, 2), put16(faces, 7);
  Bytes mesh = chunk(0x4100, cat({chunk(0x4110, verts), chunk(0x4120, faces)}));
  Bytes obj;
  putText(obj, "Tri", true);
  obj = cat({obj, mesh});
  Bytes cam;
  for (float v : {0.f, -50.f, 10.f, 0.f, 0.f, 0.f, 0.f, 35.f}) putf(cam, v);
  Bytes camObj;
  putText(camObj, "Camera01", true);
  camObj = cat({camObj, chunk(0x4700, cam)});
  Bytes version;
  put32(version, 3);
  Bytes editor = chunk(0x3D3D, cat({chunk(0x4000, obj), chunk(0x4000, camObj)}));
  Bytes frames;
  put32(frames, 0), put32(frames, 30);
  Bytes keys = chunk(0xB000, chunk(0xB008, frames));
  return {chunk(0x4D4D, cat({chunk(0x0002, version), editor, keys}))};
}

std::vector<Bytes> sceneScripts() {
  Bytes a, b;
  putText(a,
          "VERSION 1\nTEXTURE_PATH \nSCENE_NAME scene.3ds\nDISTANCE 500\nFOG YES\nFOG_COLOR 10 20 30\n"
          "CAMERA Camera01\nCAMERA_SIZE 160 100\nCAMERA_SETACTIVE\nMATERIAL Mat\nRENDER_TYPE 3\n"
          "MAT_COLOR 200 100 50\nZBUFFER YES\nOBJECT Tri\nOBJ_NOLIGHT\n",
          false);
  putText(b,
          "/* flare */\nSCENE_NAME scene.3ds\nLENSFLARE Light01\nLENS_TEXTURE flare.pcx\nLENS_SCALE 1.5\n"
          "MATERIAL Mat\nRENDER_TYPE 4\nZBUFFER NO\n",
          false);
  return {a, b};
}

std::vector<Bytes> script() {
  Bytes s;
  putText(s,
          "/* scene */\nSCENE_NAME scene.3ds\r\nCAMERA Camera01 1.5 -2 3\n\nFOG_COLOR 10 20 30\n"
          "MATERIAL Mat /* inline */ 7\nOBJECT Box01 0.5 1e9 -7\nEND",
          false);
  return {s};
}

// Stored (uncompressed) entries with their central directory and end record.
Bytes storedZip(const std::vector<std::pair<std::string, Bytes>>& entries) {
  Bytes z, dir;
  for (const auto& [name, body] : entries) {
    uint32_t n = static_cast<uint32_t>(name.size()), len = static_cast<uint32_t>(body.size());
    uint32_t crc = static_cast<uint32_t>(crc32(0, body.data(), len));
    uint32_t at = static_cast<uint32_t>(z.size());
    put32(z, 0x04034b50), put16(z, 20), put16(z, 0), put16(z, 0), put32(z, 0);
    put32(z, crc), put32(z, len), put32(z, len), put16(z, n), put16(z, 0);
    putText(z, name.c_str(), false), z.insert(z.end(), body.begin(), body.end());
    put32(dir, 0x02014b50), put16(dir, 20), put16(dir, 20), put16(dir, 0), put16(dir, 0), put32(dir, 0);
    put32(dir, crc), put32(dir, len), put32(dir, len), put16(dir, n), put16(dir, 0), put16(dir, 0);
    put16(dir, 0), put16(dir, 0), put32(dir, 0), put32(dir, at);
    putText(dir, name.c_str(), false);
  }
  uint32_t dirAt = static_cast<uint32_t>(z.size()), count = static_cast<uint32_t>(entries.size());
  z.insert(z.end(), dir.begin(), dir.end());
  put32(z, 0x06054b50), put16(z, 0), put16(z, 0), put16(z, count), put16(z, count);
  put32(z, static_cast<uint32_t>(dir.size())), put32(z, dirAt), put16(z, 0);
  return z;
}

std::vector<Bytes> zip() { return {storedZip({{"a.txt", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}}})}; }

// A named editor object block holding one sub-chunk.
Bytes named(const char* name, const Bytes& body) {
  Bytes b;
  putText(b, name, true);
  return chunk(0x4000, cat({b, body}));
}

// The scene target's world: a textured triangle, an omni light and a camera, with
// position tracks for the light and the camera.
Bytes sceneFile() {
  Bytes verts, faces, uv, mapName, matName, faceMat, light, cam, frames;
  put16(verts, 3);
  for (float v : {0.f, 0.f, 0.f, 10.f, 0.f, 0.f, 0.f, 10.f, 0.f}) putf(verts, v);
  put16(uv, 3);
  for (float v : {0.f, 0.f, 1.f, 0.f, 0.f, 1.f}) putf(uv, v);
  putText(faceMat, "Mat", true), put16(faceMat, 1), put16(faceMat, 0);
  put16(faces, 1), put16(faces, 0), put16(faces, 1), put16(faces, 2), put16(faces, 7);
  faces = cat({faces, chunk(0x4130, faceMat)});
  Bytes mesh = chunk(0x4100, cat({chunk(0x4110, verts), chunk(0x4140, uv), chunk(0x4120, faces)}));
  putText(matName, "Mat", true), putText(mapName, "tex.tga", true);
  Bytes mat = chunk(0xAFFF, cat({chunk(0xA000, matName), chunk(0xA200, chunk(0xA300, mapName))}));
  for (float v : {0.f, -20.f, 30.f}) putf(light, v);
  for (float v : {0.f, -50.f, 10.f, 0.f, 0.f, 0.f, 0.f, 35.f}) putf(cam, v);
  Bytes editor = chunk(0x3D3D, cat({mat, named("Tri", mesh), named("Light01", chunk(0x4600, light)),
                                    named("Camera01", chunk(0x4700, cam))}));
  put32(frames, 0), put32(frames, 30);
  // Node: id, header (name, flags, flags, parent), then a two-key position track.
  auto node = [](uint16_t kind, uint16_t id, const char* name) {
    Bytes nid, head, track;
    put16(nid, id);
    putText(head, name, true), put16(head, 0), put16(head, 0), put16(head, 0xFFFF);
    put16(track, 0), track.insert(track.end(), 8, 0), put32(track, 2);
    for (int k = 0; k < 2; k++) {
      put32(track, k * 30), put16(track, 0);
      for (float v : {0.f, -50.f + 10.f * k, 10.f}) putf(track, v);
    }
    return chunk(kind, cat({chunk(0xB030, nid), chunk(0xB010, head), chunk(0xB020, track)}));
  };
  Bytes keys = chunk(0xB000, cat({chunk(0xB008, frames), node(0xB003, 0, "Camera01"), node(0xB005, 1, "Light01")}));
  Bytes version;
  put32(version, 3);
  return chunk(0x4D4D, cat({chunk(0x0002, version), editor, keys}));
}

// 8x8 true-colour TGA.
Bytes texture() {
  Bytes t = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 8, 0, 24, 0};
  for (int i = 0; i < 8 * 8 * 3; i++) t.push_back(static_cast<uint8_t>(i * 7));
  return t;
}

}  // namespace

std::vector<std::vector<uint8_t>> qvFuzzBuiltinSeeds(const std::string& target) {
  if (target == "tga") return tga();
  if (target == "pcx") return pcx();
  if (target == "gif") return gif();
  if (target == "jpeg") return jpeg();
  if (target == "flc") return flc();
  if (target == "3ds") return threeDs();
  if (target == "script") return script();
  if (target == "zip") return zip();
  if (target == "scene") return sceneScripts();
  if (target == "image") {
    std::vector<Bytes> all;
    for (auto* f : {tga, pcx, gif, jpeg})
      for (Bytes& b : f()) all.push_back(b);
    return all;
  }
  return {};
}

std::vector<uint8_t> qvFuzzSceneArchive(const uint8_t* script, size_t size) {
  // The fixed entries are built once: the archive is remade for every input.
  static const std::vector<std::pair<std::string, Bytes>> fixed = {
      {"scene.3ds", sceneFile()}, {"tex.tga", texture()}, {"flare.pcx", pcx()[0]}};
  std::vector<std::pair<std::string, Bytes>> entries = fixed;
  entries.push_back({"fuzz.scr", Bytes(script, script + size)});
  return storedZip(entries);
}
