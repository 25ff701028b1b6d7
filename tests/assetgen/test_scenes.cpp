// Scenes: the 3DS writer's chunk tree, mesh winding, and the ten scene scripts
// with their 3DS files (render types, fog, depth modes, flares, tracks); assimp
// reads each file as a peer check.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <set>
#include <sstream>

#include "ag_3ds.h"
#include "ag_testutil.h"
#include "common/qvtest.h"
#include "image/xpng.h"
#include "platform/qvbytes.h"

namespace {
// What a small chunk walk finds in a 3DS file.
struct Found {
  std::set<std::string> materials, maps, cameras, objects;
  std::multiset<uint32_t> ids;  // every chunk id seen
  int32_t omni = 0, spot = 0, parented = 0, endFrame = -1, cameraPosKeys = 0;
  bool ok = true;
};

void walk(const std::string& d, size_t pos, size_t end, uint16_t parent, Found& f, std::string& name, uint16_t& node) {
  auto u16 = [&](size_t p) { return uint32_t(qvLe16((const uint8_t*)d.data() + p)); };
  auto u32 = [&](size_t p) { return qvLe32((const uint8_t*)d.data() + p); };
  while (pos + 6 <= end) {
    uint16_t id = uint16_t(u16(pos));
    uint32_t len = u32(pos + 2);
    if (len < 6 || pos + len > end) {
      f.ok = false;
      return;
    }
    f.ids.insert(id);
    size_t body = pos + 6;
    std::string str = id == 0x4000 || id == 0xA000 || id == 0xA300 || id == 0xB010 ? std::string(d.c_str() + body) : "";
    switch (id) {
      case 0x4D4D:
      case 0x3D3D:
      case 0xAFFF:
      case 0xA200:
      case 0xA220:
      case 0xB000:
      case 0xB001:
      case 0xB002:
      case 0xB003:
      case 0xB004:
      case 0xB005:
      case 0xB006:
      case 0xB007: walk(d, body, pos + len, id, f, name, node); break;
      case 0x4000:
        name = str;
        walk(d, body + str.size() + 1, pos + len, id, f, name, node);
        break;
      case 0x4100:
        f.objects.insert(name);
        walk(d, body, pos + len, id, f, name, node);
        break;
      case 0x4120: walk(d, body + 2 + 8 * u16(body), pos + len, id, f, name, node); break;
      case 0x4600:
        if (len > 6 + 12) {  // a spot chunk inside makes it a spot light
          Found sub;
          std::string n;
          uint16_t nd = 0;
          walk(d, body + 12, pos + len, id, sub, n, nd);
          (sub.ids.count(0x4610) ? f.spot : f.omni)++;
        }
        break;
      case 0x4700: f.cameras.insert(name); break;
      case 0xA000: f.materials.insert(str); break;
      case 0xA300: f.maps.insert(str); break;
      case 0xB008: f.endFrame = int32_t(u32(body + 4)); break;
      case 0xB010:
        if (u16(body + str.size() + 5) != 0xFFFF) f.parented++;
        node = parent;
        name = str;
        break;
      case 0xB020:
        if (parent == 0xB003 && name == "Camera01") f.cameraPosKeys = int32_t(u32(body + 10));
        break;
    }
    pos += len;
  }
}

Found scan(const std::string& d) {
  Found f;
  std::string name;
  uint16_t node = 0;
  walk(d, 0, d.size(), 0, f, name, node);
  return f;
}

const std::string& entry(const std::string& name) {
  static const std::string none;
  auto it = agtArchive().find(name);
  return it == agtArchive().end() ? none : it->second;
}

const int32_t kScenes[] = {1, 2, 3, 4, 5, 6, 7, 11, 13, 14};

// Keyword lines of a script (comments dropped), each as keyword and argument.
std::vector<std::pair<std::string, std::string>> lines(const std::string& s) {
  std::vector<std::pair<std::string, std::string>> out;
  std::istringstream in(s);
  std::string l;
  while (std::getline(in, l)) {
    EXPECT_TRUE(!l.empty() && l.back() == '\r') << "line without CR LF: " << l;
    if (!l.empty() && l.back() == '\r') l.pop_back();
    if (l.rfind("/*", 0) == 0) continue;
    size_t sp = l.find(' ');
    out.push_back({l.substr(0, sp), sp == std::string::npos ? "" : l.substr(sp + 1)});
  }
  return out;
}
}  // namespace

TEST(Ag3ds, ChunkTreeOfASmallScene) {
  Ag3dsScene s;
  Ag3dsMaterial m;
  m.name = "M1";
  m.texture.file = "T.TGA";
  s.materials.push_back(m);
  Ag3dsMesh box;
  box.name = "Box";
  float c[3] = {0, 0, 0};
  agMeshBox(box, c, 2, 2, 2);
  agMeshAllFaces(box, "M1");
  s.meshes.push_back(box);
  Ag3dsLight l;
  l.name = "L";
  l.spot = true;
  s.lights.push_back(l);
  Ag3dsCamera k;
  k.name = "Camera01";
  k.pos[1] = -10;
  s.cameras.push_back(k);
  Ag3dsNode n;
  n.name = "Box";
  n.pos.keys.push_back(Ag3dsKey{});
  n.pos.keys.push_back(Ag3dsKey{});
  n.pos.keys[1].frame = 50;
  n.pos.keys[1].tension = 0.5f;
  s.nodes.push_back(n);
  s.endFrame = 50;
  AgBytes b = ag3dsWrite(s);
  std::string d(b.begin(), b.end());
  EXPECT_EQ(qvLe16((const uint8_t*)d.data()), 0x4D4D);
  EXPECT_EQ(size_t(qvLe32((const uint8_t*)d.data() + 2)), d.size());  // main chunk spans the file
  Found f = scan(d);
  EXPECT_TRUE(f.ok);
  EXPECT_EQ(f.materials, std::set<std::string>{"M1"});
  EXPECT_EQ(f.maps, std::set<std::string>{"T.TGA"});
  EXPECT_EQ(f.cameras, std::set<std::string>{"Camera01"});
  EXPECT_EQ(f.spot, 1);
  EXPECT_EQ(f.endFrame, 50);
  for (uint32_t id : {0x4110u, 0x4120u, 0x4130u, 0x4140u, 0x4160u, 0xB008u, 0xB010u, 0xB013u, 0xB020u, 0xB030u})
    EXPECT_EQ(f.ids.count(id), 1u) << std::hex << id;
}

TEST(Ag3ds, MeshMakersAreClosedAndWoundOutward) {
  float c[3] = {5, -3, 2};
  struct Case {
    const char* name;
    Ag3dsMesh m;
  } cases[4];
  agMeshSphere(cases[0].m, c, 10, 12, 8);
  agMeshTorus(cases[1].m, c, 10, 3, 16, 8);
  agMeshCrystal(cases[2].m, c, 4, 10, 6, 3, 2);
  agMeshBox(cases[3].m, c, 4, 6, 8);
  for (auto& cs : cases) {
    const Ag3dsMesh& m = cs.m;
    double volume = 0;  // signed volume by the divergence theorem: positive when faces point outward
    for (size_t i = 0; i < m.f.size(); i += 3) {
      const float *a = &m.v[m.f[i] * 3], *b = &m.v[m.f[i + 1] * 3], *d = &m.v[m.f[i + 2] * 3];
      volume += (a[0] * (b[1] * d[2] - b[2] * d[1]) - a[1] * (b[0] * d[2] - b[2] * d[0]) +
                 a[2] * (b[0] * d[1] - b[1] * d[0])) /
                6;
      EXPECT_LT(std::max({m.f[i], m.f[i + 1], m.f[i + 2]}), m.v.size() / 3);
    }
    EXPECT_GT(volume, 0) << "mesh " << (&cs - cases);
    EXPECT_EQ(m.uv.size() / 2, m.v.size() / 3);
  }
}

TEST(AgScenes, ScriptsNameTheirOwnSceneAndKeepTheKeywordOrder) {
  for (int32_t n : kScenes) {
    std::string script = entry("scene_" + std::to_string(n) + ".x3d");
    ASSERT_FALSE(script.empty()) << n;
    auto ls = lines(script);
    size_t sceneAt = 0;
    for (size_t i = 0; i < ls.size(); i++)
      if (ls[i].first == "SCENE_NAME") {
        sceneAt = i;
        EXPECT_EQ(ls[i].second, "scene_" + std::to_string(n) + ".3ds");
        EXPECT_FALSE(entry(ls[i].second).empty()) << ls[i].second;
      }
    ASSERT_GT(sceneAt, 0u) << n;
    for (size_t i = 0; i < ls.size(); i++) {
      const std::string& k = ls[i].first;
      if (k == "TEXTURE_PATH" || k == "DISTANCE" || k == "FOG" || k == "FOG_COLOR") {
        EXPECT_LT(i, sceneAt) << n << " " << k;
      }
      if (k == "CAMERA" || k == "MATERIAL" || k == "LENSFLARE" || k == "OBJECT" || k == "ZBUFFER") {
        EXPECT_GT(i, sceneAt) << n << " " << k;
      }
      if (k == "TEXTURE_PATH") {
        EXPECT_EQ(ls[i].second, "TEXTURES/");
      }
    }
  }
}

TEST(AgScenes, TogetherTheyUseEveryRenderTypeAndMode) {
  std::set<int32_t> types;
  int32_t fog = 0, zbuf = 0, painter = 0, flares = 0, unlit = 0;
  for (int32_t n : kScenes) {
    std::string name = "scene_" + std::to_string(n);
    Found f = scan(entry(name + ".3ds"));
    std::string mat;
    for (auto& [k, a] : lines(entry(name + ".x3d"))) {
      if (k == "MATERIAL") {
        mat = a;
        EXPECT_TRUE(f.materials.count(a)) << name << " has no material " << a;
      }
      if (k == "RENDER_TYPE") types.insert(std::stoi(a));
      if (k == "FOG" && a == "YES") fog++;
      if (k == "ZBUFFER") (a == "YES" ? zbuf : painter)++;
      if (k == "LENSFLARE") flares++;
      if (k == "LENS_TEXTURE") {
        EXPECT_FALSE(entry("TEXTURES/" + a).empty()) << a;
      }
      if (k == "OBJ_NOLIGHT") unlit++;
      if (k == "OBJECT") {
        EXPECT_TRUE(f.objects.count(a)) << name << " has no object " << a;
      }
    }
  }
  for (int32_t t = 0; t <= 18; t++) EXPECT_TRUE(types.count(t)) << "render type " << t << " unused";
  EXPECT_GT(fog, 0);
  EXPECT_GT(zbuf, 0);
  EXPECT_GT(painter, 0);
  EXPECT_GT(flares, 0);
  EXPECT_GT(unlit, 0);
}

// Scene lengths in 3DS frames: how long each segment shows its scene.
TEST(AgScenes, ThreeDsFilesCarryCamerasLightsTracksAndTheTextureNames) {
  static const std::map<int32_t, int32_t> minEnd = {{1, 220}, {2, 590}, {3, 600},  {4, 300},   {5, 450},
                                                    {6, 170}, {7, 300}, {11, 600}, {13, 2000}, {14, 1200}};
  std::set<std::string> textures;
  int32_t morph = 0, hide = 0, parented = 0, spots = 0, omnis = 0, fov = 0, roll = 0, colour = 0, tcb = 0;
  for (int32_t n : kScenes) {
    Found f = scan(entry("scene_" + std::to_string(n) + ".3ds"));
    EXPECT_TRUE(f.ok) << n;
    EXPECT_TRUE(f.cameras.count("Camera01")) << n;
    EXPECT_GE(f.cameraPosKeys, 1) << n;
    EXPECT_GT(f.omni + f.spot, 0) << n;
    EXPECT_GE(f.endFrame, minEnd.at(n)) << n;
    for (const std::string& m : f.maps) textures.insert("TEXTURES/" + m);
    morph += int32_t(f.ids.count(0xB026));
    hide += int32_t(f.ids.count(0xB029));
    fov += int32_t(f.ids.count(0xB023));
    roll += int32_t(f.ids.count(0xB024));
    colour += int32_t(f.ids.count(0xB025));
    parented += f.parented;
    spots += f.spot;
    omnis += f.omni;
    if (n == 6) {
      EXPECT_TRUE(f.materials.count("JUPITER"));
    }
  }
  EXPECT_EQ(textures,
            (std::set<std::string>{"TEXTURES/TEXTURE.TGA", "TEXTURES/TEXTURE4.TGA", "TEXTURES/TEXTURE5.TGA"}));
  EXPECT_GT(morph, 0);
  EXPECT_GT(hide, 0);
  EXPECT_GT(parented, 0);
  EXPECT_GT(spots, 0);
  EXPECT_GT(omnis, 0);
  EXPECT_GT(fov, 0);
  EXPECT_GT(roll, 0);
  EXPECT_GT(colour, 0);
  (void)tcb;
}

TEST(AgScenes, AssimpReadsEveryScene) {
  if (!qvHaveTool("assimp")) GTEST_SKIP() << "assimp not installed";
  std::string dir = agtTempDir("assimp");
  for (int32_t n : kScenes) {
    std::string name = "scene_" + std::to_string(n) + ".3ds";
    const std::string& d = entry(name);
    ASSERT_TRUE(agtWrite(dir + "/" + name, AgBytes(d.begin(), d.end())));
    Found f = scan(d);
    int st = 0;
    std::string info = agtRun("assimp info '" + dir + "/" + name + "' 2>&1", &st);
    EXPECT_EQ(st, 0) << name;
    auto count = [&](const char* key) {
      size_t p = info.find(key);
      return p == std::string::npos ? -1 : std::atoi(info.c_str() + p + std::strlen(key));
    };
    EXPECT_EQ(count("Materials:"), int(f.materials.size())) << name;
    EXPECT_EQ(count("Cameras:"), 1) << name;
    EXPECT_EQ(count("Lights:"), f.omni + f.spot) << name;
    EXPECT_GT(count("Faces:"), 0) << name;
  }
}

// Segment 13 never clears the view and adds its thumbnail row onto it, so its scene must
// repaint every pixel at any time of the loop; segment 7's scene must light up enough of the
// view to read (and to show in its 80x50 thumbnail). Rendered by the toolbox as the engine does.
TEST(AgScenes, PrismFieldCoversTheViewAndTheStarSystemReads) {
  std::string dir = agtTempDir("cover");
  auto render = [&](const char* script, int32_t frame, std::vector<uint32_t>* px) {
    std::string out = dir + "/" + script + std::to_string(frame) + ".png";
    int st = -1;
    agtRun(std::string(QV_BINARY_DIR) + "/qvtool render " + script + " --archive " + agtAssetDir() +
               "/quorvane.kvo --frame " + std::to_string(frame) + " -o " + out + " 2>&1",
           &st);
    int32_t w = 0, h = 0;
    const char* why = "";
    EXPECT_EQ(st, 0) << script;
    EXPECT_TRUE(xPngReadXrgb(out.c_str(), px, &w, &h, &why)) << why;
    EXPECT_EQ(w * h, 320 * 200);
  };
  std::vector<uint32_t> px;
  for (int32_t frame : {0, 575, 1150, 1725}) {
    render("scene_13.x3d", frame, &px);
    EXPECT_EQ(std::count_if(px.begin(), px.end(), [](uint32_t c) { return (c & 0xffffff) == 0; }), 0)
        << "frame " << frame;
  }
  for (int32_t frame : {0, 110, 220}) {
    render("scene_7.x3d", frame, &px);
    size_t bright = size_t(std::count_if(px.begin(), px.end(), [](uint32_t c) {
      return std::max({c >> 16 & 255, c >> 8 & 255, c & 255}) >= 96;  // clearly lit, not a dark fringe
    }));
    EXPECT_GE(bright * 100, px.size() * 6) << "frame " << frame;  // small, dark planets stay well below
  }
}
