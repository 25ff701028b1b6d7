#include "ag_3ds.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

#include "xmath/xmath.h"

namespace {
struct Chunks {
  AgBytes b;
  std::vector<size_t> open;
  void begin(uint16_t id) {
    open.push_back(b.size());
    u16(id);
    u32(0);
  }
  void end() {
    size_t at = open.back();
    open.pop_back();
    uint32_t len = uint32_t(b.size() - at);
    for (int i = 0; i < 4; i++) b[at + 2 + i] = uint8_t(len >> (8 * i));
  }
  void u8(uint32_t v) { b.push_back(uint8_t(v)); }
  void u16(uint32_t v) {
    u8(v);
    u8(v >> 8);
  }
  void u32(uint32_t v) {
    u16(v & 0xFFFF);
    u16(v >> 16);
  }
  void f32(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    u32(v);
  }
  void str(const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    u8(0);
  }
  void rgb24(uint16_t parent, uint32_t c) {
    begin(parent);
    begin(X3DS_COLOR_BYTES);
    u8(c >> 16);
    u8(c >> 8);
    u8(c);
    end();
    end();
  }
  void pct(uint16_t parent, int32_t p) {
    begin(parent);
    begin(X3DS_PERCENT);
    u16(uint32_t(p));
    end();
    end();
  }
};

void writeMap(Chunks& c, uint16_t id, const Ag3dsMap& m) {
  if (m.file.empty()) return;
  c.begin(id);
  c.begin(X3DS_PERCENT);
  c.u16(100);
  c.end();
  c.begin(X3DS_MAP_NAME);
  c.str(m.file);
  c.end();
  c.begin(X3DS_MAP_TILING);
  c.u16(0);
  c.end();
  c.begin(X3DS_MAP_USCALE);
  c.f32(m.uScale);
  c.end();
  c.begin(X3DS_MAP_VSCALE);
  c.f32(m.vScale);
  c.end();
  c.end();
}

void writeTrack(Chunks& c, uint16_t id, const Ag3dsTrack& t, int32_t values) {
  if (t.empty()) return;
  c.begin(id);
  c.u16(t.flags);
  c.u32(0);
  c.u32(0);
  c.u32(uint32_t(t.keys.size()));
  for (const Ag3dsKey& k : t.keys) {
    c.u32(uint32_t(k.frame));
    if (id == X3DS_TRACK_HIDE) {
      c.u16(0);
      continue;
    }  // hide keys: frame and flags only
    uint16_t flags = uint16_t((k.tension != 0) | (k.continuity != 0) << 1 | (k.bias != 0) << 2 | (k.easeTo != 0) << 3 |
                              (k.easeFrom != 0) << 4);
    c.u16(flags);
    if (flags & 1) c.f32(k.tension);
    if (flags & 2) c.f32(k.continuity);
    if (flags & 4) c.f32(k.bias);
    if (flags & 8) c.f32(k.easeTo);
    if (flags & 16) c.f32(k.easeFrom);
    if (id == X3DS_TRACK_MORPH) {
      c.str(k.object);
      continue;
    }
    for (int32_t i = 0; i < values; i++) c.f32(k.v[i]);
  }
  c.end();
}

// A chunk holding only 32-bit words, or nothing (a flag chunk).
void writeWords(Chunks& c, uint16_t id, std::initializer_list<uint32_t> words) {
  c.begin(id);
  for (uint32_t w : words) c.u32(w);
  c.end();
}

void writeFloats(Chunks& c, uint16_t id, std::initializer_list<float> values) {
  c.begin(id);
  for (float f : values) c.f32(f);
  c.end();
}

void writeMaterial(Chunks& c, const Ag3dsMaterial& m) {
  c.begin(X3DS_MATERIAL);
  c.begin(X3DS_MAT_NAME);
  c.str(m.name);
  c.end();
  c.rgb24(X3DS_MAT_AMBIENT, m.ambient);
  c.rgb24(X3DS_MAT_DIFFUSE, m.diffuse);
  c.rgb24(X3DS_MAT_SPECULAR, m.specular);
  c.pct(X3DS_MAT_SHININESS, m.shininess);
  c.pct(X3DS_MAT_STRENGTH, m.strength);
  c.pct(X3DS_MAT_TRANSPARENCY, m.transparency);
  c.pct(X3DS_MAT_SELF_ILLUM, m.selfIllum);
  if (m.twoSided) writeWords(c, X3DS_MAT_TWO_SIDED, {});
  c.begin(X3DS_MAT_SHADING);
  c.u16(uint32_t(m.shading));
  c.end();
  writeMap(c, X3DS_MAT_TEXTURE, m.texture);
  writeMap(c, X3DS_MAT_REFLECTION, m.reflection);
  c.end();
}

// Faces (corners and the edge-visibility word 7), their material groups and one smoothing group.
void writeFaces(Chunks& c, const Ag3dsMesh& m) {
  c.begin(X3DS_FACES);
  c.u16(uint32_t(m.f.size() / 3));
  for (size_t i = 0; i < m.f.size(); i += 3) {
    c.u16(m.f[i]);
    c.u16(m.f[i + 1]);
    c.u16(m.f[i + 2]);
    c.u16(7);
  }
  for (const auto& g : m.groups) {
    c.begin(X3DS_FACE_MATERIAL);
    c.str(g.first);
    c.u16(uint32_t(g.second.size()));
    for (uint16_t k : g.second) c.u16(k);
    c.end();
  }
  c.begin(X3DS_SMOOTHING);
  for (size_t i = 0; i < m.f.size() / 3; i++) c.u32(1);
  c.end();
  c.end();
}

void writeMesh(Chunks& c, const Ag3dsMesh& m) {
  c.begin(X3DS_OBJECT);
  c.str(m.name);
  c.begin(X3DS_TRIMESH);
  c.begin(X3DS_VERTICES);
  c.u16(uint32_t(m.v.size() / 3));
  for (float f : m.v) c.f32(f);
  c.end();
  if (!m.uv.empty()) {
    c.begin(X3DS_TEXCOORDS);
    c.u16(uint32_t(m.uv.size() / 2));
    for (float f : m.uv) c.f32(f);
    c.end();
  }
  // Axes X, Y, Z, then the origin.
  writeFloats(c, X3DS_MESH_MATRIX, {1, 0, 0, 0, 1, 0, 0, 0, 1, m.origin[0], m.origin[1], m.origin[2]});
  writeFaces(c, m);
  if (m.unlit) writeWords(c, X3DS_NO_LIGHT, {});
  c.end();
  c.end();
}

void writeLight(Chunks& c, const Ag3dsLight& l) {
  c.begin(X3DS_OBJECT);
  c.str(l.name);
  c.begin(X3DS_LIGHT);
  for (float f : l.pos) c.f32(f);
  writeFloats(c, X3DS_COLOR_FLOATS,
              {float((l.colour >> 16) & 255) / 255, float((l.colour >> 8) & 255) / 255, float(l.colour & 255) / 255});
  if (l.spot) writeFloats(c, X3DS_SPOT, {l.target[0], l.target[1], l.target[2], l.hotspot, l.falloff});
  if (l.attenuate) writeWords(c, X3DS_ATTENUATION, {});
  if (l.inner > 0) writeFloats(c, X3DS_INNER_RANGE, {l.inner});
  if (l.outer > 0) writeFloats(c, X3DS_OUTER_RANGE, {l.outer});
  c.end();
  c.end();
}

void writeCamera(Chunks& c, const Ag3dsCamera& k) {
  c.begin(X3DS_OBJECT);
  c.str(k.name);
  writeFloats(c, X3DS_CAMERA, {k.pos[0], k.pos[1], k.pos[2], k.target[0], k.target[1], k.target[2], k.bank, k.lens});
  c.end();
}

void writeEditor(Chunks& c, const Ag3dsScene& s) {
  c.begin(X3DS_EDITOR);
  writeWords(c, X3DS_MESH_VERSION, {3});
  for (const Ag3dsMaterial& m : s.materials) writeMaterial(c, m);
  writeFloats(c, X3DS_MASTER_SCALE, {1.0f});
  c.rgb24(X3DS_AMBIENT, s.ambient);
  for (const Ag3dsMesh& m : s.meshes) writeMesh(c, m);
  for (const Ag3dsLight& l : s.lights) writeLight(c, l);
  for (const Ag3dsCamera& k : s.cameras) writeCamera(c, k);
  c.end();
}

// One keyframer node: id, header (name, flags 0x4000 and 0, parent), instance, pivot, tracks.
void writeNode(Chunks& c, const Ag3dsNode& n, size_t index) {
  c.begin(uint16_t(n.kind));
  c.begin(X3DS_NODE_ID);
  c.u16(uint32_t(index));
  c.end();
  c.begin(X3DS_NODE_HEADER);
  c.str(n.name);
  c.u16(0x4000);
  c.u16(0);
  c.u16(n.parent < 0 ? 0xFFFF : uint32_t(n.parent));
  c.end();
  if (!n.instance.empty()) {
    c.begin(X3DS_NODE_INSTANCE);
    c.str(n.instance);
    c.end();
  }
  if (n.kind == AG_NODE_OBJECT) writeFloats(c, X3DS_NODE_PIVOT, {n.pivot[0], n.pivot[1], n.pivot[2]});
  writeTrack(c, X3DS_TRACK_POS, n.pos, 3);
  writeTrack(c, X3DS_TRACK_ROT, n.rot, 4);
  writeTrack(c, X3DS_TRACK_SCALE, n.scale, 3);
  writeTrack(c, X3DS_TRACK_FOV, n.fov, 1);
  writeTrack(c, X3DS_TRACK_ROLL, n.roll, 1);
  writeTrack(c, X3DS_TRACK_COLOUR, n.colour, 3);
  writeTrack(c, X3DS_TRACK_MORPH, n.morph, 0);
  writeTrack(c, X3DS_TRACK_HIDE, n.hide, 0);
  c.end();
}

void writeKeyframer(Chunks& c, const Ag3dsScene& s) {
  c.begin(X3DS_KEYFRAMER);
  c.begin(X3DS_KF_HEADER);
  c.u16(5);
  c.str("QUORVANE");
  c.u32(uint32_t(s.endFrame));
  c.end();
  writeWords(c, X3DS_KF_SEGMENT, {uint32_t(s.startFrame), uint32_t(s.endFrame)});
  writeWords(c, X3DS_KF_CURRENT, {uint32_t(s.startFrame)});
  for (size_t i = 0; i < s.nodes.size(); i++) writeNode(c, s.nodes[i], i);
  c.end();
}
}  // namespace

AgBytes ag3dsWrite(const Ag3dsScene& s) {
  Chunks c;
  c.begin(X3DS_MAIN);
  writeWords(c, X3DS_VERSION, {3});
  writeEditor(c, s);
  writeKeyframer(c, s);
  c.end();
  return c.b;
}

// ---- mesh makers ----
static uint16_t vert(Ag3dsMesh& m, float x, float y, float z, float u, float v) {
  m.v.push_back(x);
  m.v.push_back(y);
  m.v.push_back(z);
  m.uv.push_back(u);
  m.uv.push_back(v);
  return uint16_t(m.v.size() / 3 - 1);
}
static void tri(Ag3dsMesh& m, uint16_t a, uint16_t b, uint16_t c) {
  m.f.push_back(a);
  m.f.push_back(b);
  m.f.push_back(c);
}

void agMeshSphere(Ag3dsMesh& m, const float c[3], float r, int32_t segs, int32_t rings) {
  uint16_t base = uint16_t(m.v.size() / 3);
  for (int32_t j = 0; j <= rings; j++) {
    float th = float(M_PI) * float(j) / float(rings);  // 0 at the north pole
    for (int32_t i = 0; i <= segs; i++) {
      float ph = 2 * float(M_PI) * float(i) / float(segs);
      vert(m, c[0] + r * xMathSinf(th) * xMathCosf(ph), c[1] + r * xMathSinf(th) * xMathSinf(ph),
           c[2] + r * xMathCosf(th), float(i) / float(segs), 1 - float(j) / float(rings));
    }
  }
  for (int32_t j = 0; j < rings; j++)
    for (int32_t i = 0; i < segs; i++) {
      uint16_t a = uint16_t(base + j * (segs + 1) + i), b = uint16_t(a + 1), d = uint16_t(a + segs + 1),
               e = uint16_t(d + 1);
      if (j > 0) tri(m, a, d, b);
      if (j < rings - 1) tri(m, b, d, e);
    }
}

void agMeshTorus(Ag3dsMesh& m, const float c[3], float R, float r, int32_t segs, int32_t sides) {
  uint16_t base = uint16_t(m.v.size() / 3);
  for (int32_t i = 0; i <= segs; i++) {
    float a = 2 * float(M_PI) * float(i) / float(segs);
    for (int32_t j = 0; j <= sides; j++) {
      float b = 2 * float(M_PI) * float(j) / float(sides);
      float rr = R + r * xMathCosf(b);
      vert(m, c[0] + rr * xMathCosf(a), c[1] + rr * xMathSinf(a), c[2] + r * xMathSinf(b), float(i) / float(segs) * 4,
           float(j) / float(sides));
    }
  }
  for (int32_t i = 0; i < segs; i++)
    for (int32_t j = 0; j < sides; j++) {
      uint16_t p = uint16_t(base + i * (sides + 1) + j), q = uint16_t(p + sides + 1);
      tri(m, p, q, uint16_t(q + 1));
      tri(m, p, uint16_t(q + 1), uint16_t(p + 1));
    }
}

void agMeshCrystal(Ag3dsMesh& m, const float c[3], float r, float h, int32_t sides, float tipUp, float tipDown) {
  uint16_t top = vert(m, c[0], c[1], c[2] + h / 2 + tipUp, 0.5f, 1);
  uint16_t bot = vert(m, c[0], c[1], c[2] - h / 2 - tipDown, 0.5f, 0);
  uint16_t ring0 = uint16_t(m.v.size() / 3);
  for (int32_t i = 0; i < sides; i++) {
    float a = 2 * float(M_PI) * float(i) / float(sides);
    vert(m, c[0] + r * xMathCosf(a), c[1] + r * xMathSinf(a), c[2] + h / 2, float(i) / float(sides), 0.75f);
    vert(m, c[0] + r * xMathCosf(a), c[1] + r * xMathSinf(a), c[2] - h / 2, float(i) / float(sides), 0.25f);
  }
  for (int32_t i = 0; i < sides; i++) {
    uint16_t a = uint16_t(ring0 + 2 * i), b = uint16_t(ring0 + 2 * ((i + 1) % sides));
    tri(m, top, a, b);
    tri(m, a, uint16_t(a + 1), uint16_t(b + 1));
    tri(m, a, uint16_t(b + 1), b);
    tri(m, bot, uint16_t(b + 1), uint16_t(a + 1));
  }
}

void agMeshBox(Ag3dsMesh& m, const float c[3], float sx, float sy, float sz) {
  // Each side: outward normal n and two in-plane axes u, v with u x v = n.
  static const int8_t sides[6][9] = {{1, 0, 0, 0, 1, 0, 0, 0, 1}, {-1, 0, 0, 0, 0, 1, 0, 1, 0},
                                     {0, 1, 0, 0, 0, 1, 1, 0, 0}, {0, -1, 0, 1, 0, 0, 0, 0, 1},
                                     {0, 0, 1, 1, 0, 0, 0, 1, 0}, {0, 0, -1, 0, 1, 0, 1, 0, 0}};
  float hs[3] = {sx / 2, sy / 2, sz / 2};
  for (const auto& s : sides) {
    uint16_t q[4];
    for (int32_t k = 0; k < 4; k++) {
      float du = (k == 1 || k == 2) ? 1.f : -1.f, dv = (k >= 2) ? 1.f : -1.f;
      float p[3];
      for (int32_t a = 0; a < 3; a++) p[a] = c[a] + (float(s[a]) + du * float(s[3 + a]) + dv * float(s[6 + a])) * hs[a];
      q[k] = vert(m, p[0], p[1], p[2], du > 0 ? 1.f : 0.f, dv > 0 ? 1.f : 0.f);
    }
    tri(m, q[0], q[1], q[2]);
    tri(m, q[0], q[2], q[3]);
  }
}

void agMeshGrid(Ag3dsMesh& m, const float c[3], float size, int32_t cells, float tile) {
  uint16_t base = uint16_t(m.v.size() / 3);
  for (int32_t j = 0; j <= cells; j++)
    for (int32_t i = 0; i <= cells; i++)
      vert(m, c[0] - size / 2 + size * float(i) / float(cells), c[1] - size / 2 + size * float(j) / float(cells), c[2],
           tile * float(i) / float(cells), tile * float(j) / float(cells));
  for (int32_t j = 0; j < cells; j++)
    for (int32_t i = 0; i < cells; i++) {
      uint16_t a = uint16_t(base + j * (cells + 1) + i), b = uint16_t(a + 1), d = uint16_t(a + cells + 1),
               e = uint16_t(d + 1);
      tri(m, a, b, e);
      tri(m, a, e, d);
    }
}

void agMeshRing(Ag3dsMesh& m, const float c[3], float r0, float r1, int32_t segs) {
  uint16_t base = uint16_t(m.v.size() / 3);
  for (int32_t i = 0; i <= segs; i++) {
    float a = 2 * float(M_PI) * float(i) / float(segs);
    vert(m, c[0] + r0 * xMathCosf(a), c[1] + r0 * xMathSinf(a), c[2], float(i) / float(segs) * 4, 0);
    vert(m, c[0] + r1 * xMathCosf(a), c[1] + r1 * xMathSinf(a), c[2], float(i) / float(segs) * 4, 1);
  }
  for (int32_t i = 0; i < segs; i++) {
    uint16_t a = uint16_t(base + 2 * i), b = uint16_t(a + 1), d = uint16_t(a + 2), e = uint16_t(a + 3);
    tri(m, a, e, d);
    tri(m, a, b, e);  // upper face (+z)
    tri(m, a, d, e);
    tri(m, a, e, b);  // lower face
  }
}

void agMeshAllFaces(Ag3dsMesh& m, const std::string& material) {
  std::vector<uint16_t> all(m.f.size() / 3);
  for (size_t i = 0; i < all.size(); i++) all[i] = uint16_t(i);
  m.groups.push_back({material, all});
}
