#include "ag_scene_kit.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "xmath/xmath.h"

Ag3dsMaterial& AgSceneKit::material(const std::string& name, uint32_t diffuse, int32_t shading, const std::string& tex,
                                    const std::string& refl) {
  Ag3dsMaterial m;
  m.name = name;
  m.diffuse = diffuse;
  m.ambient = ((diffuse >> 2) & 0x3f3f3f);
  m.shading = shading;
  m.texture.file = tex;
  m.reflection.file = refl;
  s.materials.push_back(m);
  return s.materials.back();
}

Ag3dsMesh& AgSceneKit::mesh(const std::string& name, AgV3 origin) {
  if (s.meshes.capacity() < 256) s.meshes.reserve(256);  // references handed out stay valid
  Ag3dsMesh m;
  m.name = name;
  m.origin[0] = origin.x;
  m.origin[1] = origin.y;
  m.origin[2] = origin.z;
  s.meshes.push_back(m);
  return s.meshes.back();
}

int32_t AgSceneKit::objectNode(const std::string& name, int32_t parent, AgV3 pos) {
  Ag3dsNode n;
  n.kind = AG_NODE_OBJECT;
  n.name = name;
  n.parent = parent;
  n.pos.keys.push_back(agKey(0, pos.x, pos.y, pos.z));
  n.rot.keys.push_back(agKey(0, 0, 0, 0, 1));
  n.scale.keys.push_back(agKey(0, 1, 1, 1));
  s.nodes.push_back(n);
  return int32_t(s.nodes.size() - 1);
}

int32_t AgSceneKit::dummyNode(const std::string& instance, int32_t parent, AgV3 pos) {
  int32_t i = objectNode("$$$DUMMY", parent, pos);
  s.nodes[size_t(i)].instance = instance;
  return i;
}

int32_t AgSceneKit::camera(const std::string& name, AgV3 pos, AgV3 target, float lens) {
  Ag3dsCamera c;
  c.name = name;
  c.pos[0] = pos.x;
  c.pos[1] = pos.y;
  c.pos[2] = pos.z;
  c.target[0] = target.x;
  c.target[1] = target.y;
  c.target[2] = target.z;
  c.lens = lens;
  s.cameras.push_back(c);
  Ag3dsNode n;
  n.kind = AG_NODE_CAMERA;
  n.name = name;
  n.pos.keys.push_back(agKey(0, pos.x, pos.y, pos.z));
  s.nodes.push_back(n);
  Ag3dsNode t;
  t.kind = AG_NODE_TARGET;
  t.name = name;
  t.pos.keys.push_back(agKey(0, target.x, target.y, target.z));
  s.nodes.push_back(t);
  return int32_t(s.nodes.size() - 2);
}

int32_t AgSceneKit::omni(const std::string& name, AgV3 pos, uint32_t colour, float range) {
  Ag3dsLight l;
  l.name = name;
  l.pos[0] = pos.x;
  l.pos[1] = pos.y;
  l.pos[2] = pos.z;
  l.colour = colour;
  l.inner = range * 0.5f;
  l.outer = range;
  l.attenuate = range > 0;
  s.lights.push_back(l);
  Ag3dsNode n;
  n.kind = AG_NODE_OMNI;
  n.name = name;
  n.pos.keys.push_back(agKey(0, pos.x, pos.y, pos.z));
  s.nodes.push_back(n);
  return int32_t(s.nodes.size() - 1);
}

int32_t AgSceneKit::spot(const std::string& name, AgV3 pos, AgV3 target, uint32_t colour, float hotspot,
                         float falloff) {
  Ag3dsLight l;
  l.name = name;
  l.pos[0] = pos.x;
  l.pos[1] = pos.y;
  l.pos[2] = pos.z;
  l.target[0] = target.x;
  l.target[1] = target.y;
  l.target[2] = target.z;
  l.colour = colour;
  l.spot = true;
  l.hotspot = hotspot;
  l.falloff = falloff;
  s.lights.push_back(l);
  Ag3dsNode n;
  n.kind = AG_NODE_SPOT;
  n.name = name;
  n.pos.keys.push_back(agKey(0, pos.x, pos.y, pos.z));
  s.nodes.push_back(n);
  Ag3dsNode t;
  t.kind = AG_NODE_SPOT_TARGET;
  t.name = name;
  t.pos.keys.push_back(agKey(0, target.x, target.y, target.z));
  s.nodes.push_back(t);
  return int32_t(s.nodes.size() - 2);
}

void AgSceneKit::scriptHeader(const char* about, const char* file3ds, bool fog, uint32_t fogColour, bool zbuffer,
                              int32_t distance) {
  line(std::string("/* ") + about + " */");
  line("VERSION 1");
  line("TEXTURE_PATH TEXTURES/");
  line("DISTANCE " + std::to_string(distance));
  line(fog ? "FOG YES" : "FOG NO");
  if (fog) {
    char b[64];
    std::snprintf(b, sizeof b, "FOG_COLOR %u %u %u", fogColour >> 16 & 255, fogColour >> 8 & 255, fogColour & 255);
    line(b);
  }
  line(std::string("SCENE_NAME ") + file3ds);
  line(zbuffer ? "ZBUFFER YES" : "ZBUFFER NO");
  line("CAMERA Camera01");
  line("CAMERA_SIZE 320 200");
  line("CAMERA_SETACTIVE");
}

void AgSceneKit::renderType(const char* mat, int32_t type, uint32_t colour) {
  line(std::string("MATERIAL ") + mat);
  line("RENDER_TYPE " + std::to_string(type));
  char b[64];
  std::snprintf(b, sizeof b, "MAT_COLOR %u %u %u", colour >> 16 & 255, colour >> 8 & 255, colour & 255);
  line(b);
}

void AgSceneKit::flare(const char* light, int32_t scale) {
  line(std::string("LENSFLARE ") + light);
  line("LENS_TEXTURE FLARE.TGA");
  line("LENS_SCALE " + std::to_string(scale));
}

void AgSceneKit::skyDome(const char* name, const char* material, float r, float uTiles, float vTiles) {
  float o[3] = {0, 0, 0};
  Ag3dsMesh& m = mesh(name, {0, 0, 0});
  agMeshSphere(m, o, r, 24, 12);
  for (size_t i = 0; i + 2 < m.f.size(); i += 3) std::swap(m.f[i + 1], m.f[i + 2]);
  for (size_t i = 0; i + 1 < m.uv.size(); i += 2) {
    m.uv[i] *= uTiles;
    m.uv[i + 1] *= vTiles;
  }
  agMeshAllFaces(m, material);
  objectNode(name, -1, {0, 0, 0});
}

Ag3dsKey agKey(int32_t frame, float x, float y, float z, float w) {
  Ag3dsKey k;
  k.frame = frame;
  k.v[0] = x;
  k.v[1] = y;
  k.v[2] = z;
  k.v[3] = w;
  return k;
}

Ag3dsTrack agOrbit(AgV3 c, float r, float z, float phase, int32_t end, int32_t n, float turns) {
  Ag3dsTrack t;
  for (int32_t i = 0; i <= n; i++) {
    float a = phase + turns * 6.2831853f * float(i) / float(n);
    t.keys.push_back(agKey(end * i / n, c.x + r * xMathCosf(a), c.y + r * xMathSinf(a), c.z + z));
  }
  return t;
}

Ag3dsTrack agSpin(AgV3 axis, float turns, int32_t end) {
  Ag3dsTrack t;
  int32_t n = std::max(1, int32_t(std::lround(std::fabs(turns) * 4)));
  float step = turns * 6.2831853f / float(n);
  t.keys.push_back(agKey(0, 0, axis.x, axis.y, axis.z));
  for (int32_t i = 1; i <= n; i++) t.keys.push_back(agKey(end * i / n, step, axis.x, axis.y, axis.z));
  return t;
}

Ag3dsTrack agPath(std::initializer_list<Ag3dsKey> keys) {
  Ag3dsTrack t;
  t.keys.assign(keys);
  return t;
}
