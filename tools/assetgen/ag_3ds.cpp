#include "ag_3ds.h"

#include <cmath>
#include <cstring>

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
    begin(0x0011);
    u8(c >> 16);
    u8(c >> 8);
    u8(c);
    end();
    end();
  }
  void pct(uint16_t parent, int32_t p) {
    begin(parent);
    begin(0x0030);
    u16(uint32_t(p));
    end();
    end();
  }
};

void writeMap(Chunks& c, uint16_t id, const Ag3dsMap& m) {
  if (m.file.empty()) return;
  c.begin(id);
  c.begin(0x0030);
  c.u16(100);
  c.end();
  c.begin(0xA300);
  c.str(m.file);
  c.end();
  c.begin(0xA351);
  c.u16(0);
  c.end();
  c.begin(0xA354);
  c.f32(m.uScale);
  c.end();
  c.begin(0xA356);
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
    if (id == 0xB029) {
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
    if (id == 0xB026) {
      c.str(k.object);
      continue;
    }
    for (int32_t i = 0; i < values; i++) c.f32(k.v[i]);
  }
  c.end();
}
}  // namespace

AgBytes ag3dsWrite(const Ag3dsScene& s) {
  Chunks c;
  c.begin(0x4D4D);
  c.begin(0x0002);
  c.u32(3);
  c.end();
  c.begin(0x3D3D);
  c.begin(0x3D3E);
  c.u32(3);
  c.end();
  for (const Ag3dsMaterial& m : s.materials) {
    c.begin(0xAFFF);
    c.begin(0xA000);
    c.str(m.name);
    c.end();
    c.rgb24(0xA010, m.ambient);
    c.rgb24(0xA020, m.diffuse);
    c.rgb24(0xA030, m.specular);
    c.pct(0xA040, m.shininess);
    c.pct(0xA041, m.strength);
    c.pct(0xA050, m.transparency);
    c.pct(0xA084, m.selfIllum);
    if (m.twoSided) {
      c.begin(0xA081);
      c.end();
    }
    c.begin(0xA100);
    c.u16(uint32_t(m.shading));
    c.end();
    writeMap(c, 0xA200, m.texture);
    writeMap(c, 0xA220, m.reflection);
    c.end();
  }
  c.begin(0x0100);
  c.f32(1.0f);
  c.end();  // master scale
  c.begin(0x2100);
  c.begin(0x0011);
  c.u8(s.ambient >> 16);
  c.u8(s.ambient >> 8);
  c.u8(s.ambient);
  c.end();
  c.end();
  for (const Ag3dsMesh& m : s.meshes) {
    c.begin(0x4000);
    c.str(m.name);
    c.begin(0x4100);
    size_t nv = m.v.size() / 3;
    c.begin(0x4110);
    c.u16(uint32_t(nv));
    for (float f : m.v) c.f32(f);
    c.end();
    if (!m.uv.empty()) {
      c.begin(0x4140);
      c.u16(uint32_t(m.uv.size() / 2));
      for (float f : m.uv) c.f32(f);
      c.end();
    }
    c.begin(0x4160);  // mesh matrix: axes X, Y, Z, origin
    c.f32(1);
    c.f32(0);
    c.f32(0);
    c.f32(0);
    c.f32(1);
    c.f32(0);
    c.f32(0);
    c.f32(0);
    c.f32(1);
    c.f32(m.origin[0]);
    c.f32(m.origin[1]);
    c.f32(m.origin[2]);
    c.end();
    c.begin(0x4120);
    c.u16(uint32_t(m.f.size() / 3));
    for (size_t i = 0; i < m.f.size(); i += 3) {
      c.u16(m.f[i]);
      c.u16(m.f[i + 1]);
      c.u16(m.f[i + 2]);
      c.u16(7);
    }
    for (const auto& g : m.groups) {
      c.begin(0x4130);
      c.str(g.first);
      c.u16(uint32_t(g.second.size()));
      for (uint16_t k : g.second) c.u16(k);
      c.end();
    }
    c.begin(0x4150);
    for (size_t i = 0; i < m.f.size() / 3; i++) c.u32(1);
    c.end();  // one smoothing group
    c.end();
    if (m.unlit) {
      c.begin(0x4017);
      c.end();
    }
    c.end();
    c.end();
  }
  for (const Ag3dsLight& l : s.lights) {
    c.begin(0x4000);
    c.str(l.name);
    c.begin(0x4600);
    c.f32(l.pos[0]);
    c.f32(l.pos[1]);
    c.f32(l.pos[2]);
    c.begin(0x0010);
    c.f32(float((l.colour >> 16) & 255) / 255);
    c.f32(float((l.colour >> 8) & 255) / 255);
    c.f32(float(l.colour & 255) / 255);
    c.end();
    if (l.spot) {
      c.begin(0x4610);
      c.f32(l.target[0]);
      c.f32(l.target[1]);
      c.f32(l.target[2]);
      c.f32(l.hotspot);
      c.f32(l.falloff);
      c.end();
    }
    if (l.attenuate) {
      c.begin(0x4625);
      c.end();
    }
    if (l.inner > 0) {
      c.begin(0x4659);
      c.f32(l.inner);
      c.end();
    }
    if (l.outer > 0) {
      c.begin(0x465A);
      c.f32(l.outer);
      c.end();
    }
    c.end();
    c.end();
  }
  for (const Ag3dsCamera& k : s.cameras) {
    c.begin(0x4000);
    c.str(k.name);
    c.begin(0x4700);
    for (float f : k.pos) c.f32(f);
    for (float f : k.target) c.f32(f);
    c.f32(k.bank);
    c.f32(k.lens);
    c.end();
    c.end();
  }
  c.end();  // editor
  c.begin(0xB000);
  c.begin(0xB00A);
  c.u16(5);
  c.str("QUORVANE");
  c.u32(uint32_t(s.endFrame));
  c.end();
  c.begin(0xB008);
  c.u32(uint32_t(s.startFrame));
  c.u32(uint32_t(s.endFrame));
  c.end();
  c.begin(0xB009);
  c.u32(uint32_t(s.startFrame));
  c.end();
  for (size_t i = 0; i < s.nodes.size(); i++) {
    const Ag3dsNode& n = s.nodes[i];
    c.begin(uint16_t(n.kind));
    c.begin(0xB030);
    c.u16(uint32_t(i));
    c.end();
    c.begin(0xB010);
    c.str(n.name);
    c.u16(0x4000);
    c.u16(0);
    c.u16(n.parent < 0 ? 0xFFFF : uint32_t(n.parent));
    c.end();
    if (!n.instance.empty()) {
      c.begin(0xB011);
      c.str(n.instance);
      c.end();
    }
    if (n.kind == AG_NODE_OBJECT) {
      c.begin(0xB013);
      for (float f : n.pivot) c.f32(f);
      c.end();
    }
    writeTrack(c, 0xB020, n.pos, 3);
    writeTrack(c, 0xB021, n.rot, 4);
    writeTrack(c, 0xB022, n.scale, 3);
    writeTrack(c, 0xB023, n.fov, 1);
    writeTrack(c, 0xB024, n.roll, 1);
    writeTrack(c, 0xB025, n.colour, 3);
    writeTrack(c, 0xB026, n.morph, 0);
    writeTrack(c, 0xB029, n.hide, 0);
    c.end();
  }
  c.end();
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
      vert(m, c[0] + r * std::sin(th) * std::cos(ph), c[1] + r * std::sin(th) * std::sin(ph), c[2] + r * std::cos(th),
           float(i) / float(segs), 1 - float(j) / float(rings));
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
      float rr = R + r * std::cos(b);
      vert(m, c[0] + rr * std::cos(a), c[1] + rr * std::sin(a), c[2] + r * std::sin(b), float(i) / float(segs) * 4,
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
    vert(m, c[0] + r * std::cos(a), c[1] + r * std::sin(a), c[2] + h / 2, float(i) / float(sides), 0.75f);
    vert(m, c[0] + r * std::cos(a), c[1] + r * std::sin(a), c[2] - h / 2, float(i) / float(sides), 0.25f);
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
    vert(m, c[0] + r0 * std::cos(a), c[1] + r0 * std::sin(a), c[2], float(i) / float(segs) * 4, 0);
    vert(m, c[0] + r1 * std::cos(a), c[1] + r1 * std::sin(a), c[2], float(i) / float(segs) * 4, 1);
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
