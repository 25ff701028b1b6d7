// Release routines: a scene and everything the loader put in it, a scene loaded over
// another, the texture list. The sanitizer pass runs with leak detection, so a routine
// that forgets a block fails there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "x3d/x3dmaterial.h"
#include "x3d/x3drelease.h"
#include "x3d/x3dscene.h"
#include "x3dtest3ds.h"

using namespace t3ds;

namespace {

// Every kind of record the loader allocates: materials with three maps, a mesh with
// mapping, an omni light, a camera, a dummy and keyframer nodes with tracks.
std::string FullScene(const std::string& mesh) {
  std::string mats = Material("M", MapName(0xA200, "T.TGA") + MapName(0xA220, "R.TGA") + MapName(0xA230, "B.TGA"));
  std::string editor = Editor(mats + Mesh(mesh, {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}) + Omni("Omni01", 1, 2, 3) +
                              Camera("Camera01", {0, 0, 0, 0, 1, 0}, 0, 35));
  std::string pos = Track(0xB020, 0, {{0, Floats({0, 0, 0})}, {10, Floats({1, 1, 1})}});
  std::string rot = Track(0xB021, 0, {{0, Floats({0, 0, 0, 1})}, {10, Floats({1, 0, 0, 1})}});
  std::string kf = Keyframer(Chunk(0xB002, NodeId(0) + NodeHeader(mesh, 0, 0xFFFF) + pos + rot) +
                             Chunk(0xB002, NodeId(1) + NodeHeader("$$$DUMMY", 0, 0) + pos) +
                             Chunk(0xB003, NodeId(2) + NodeHeader("Camera01", 0, 0xFFFF) + pos) +
                             Chunk(0xB005, NodeId(3) + NodeHeader("Omni01", 0, 0xFFFF) + pos));
  return Main(editor + kf);
}

class X3dRelease : public ::testing::Test {
 protected:
  void SetUp() override { x3dInit(320, 200, nullptr); }
};

TEST_F(X3dRelease, FreeSceneReleasesEverythingAndDeactivates) {
  x3dScene s{};
  Load(FullScene("Box"), &s);
  ASSERT_EQ(s.objectCount, 2);
  ASSERT_EQ(s.nodeCount, 4);
  ASSERT_NE(s.materials[0].bump.name, nullptr);
  s.lights[0].flare = static_cast<x3dLensFlare*>(std::calloc(1, sizeof(x3dLensFlare)));
  s.texturePath = strdup("textures/");
  x3dAllocFrameLists(&s);
  x3dSetScene(&s);
  x3dSetCamera(&s.cameras[0]);
  x3dFreeScene(&s);
  x3dScene zero{};
  EXPECT_EQ(std::memcmp(&s, &zero, sizeof s), 0);
  EXPECT_EQ(x3dActiveScene, nullptr);
  EXPECT_EQ(x3dActiveCamera, nullptr);
  x3dFreeScene(&s);  // a freed (zero) record may be freed again
  x3dFreeScene(nullptr);
}

TEST_F(X3dRelease, LoadOverASceneFreesItAndKeepsTheSettings) {
  x3dScene s{};
  s.distance = 500.0f;
  s.fog = 1;
  s.fogColor[2] = 30.0f;
  s.zbuffer = 1;
  Load(FullScene("First"), &s);
  s.texturePath = strdup("old/");
  Load(Main(Editor(Mesh("Second", {0, 0, 0}, {}) + Camera("C", {0, 0, 0, 0, 1, 0}, 0, 50))), &s);
  EXPECT_EQ(s.objectCount, 1);
  EXPECT_STREQ(s.objects[0].name, "Second");
  EXPECT_EQ(s.materialCount, 0);
  EXPECT_EQ(s.lightCount, 0);
  EXPECT_EQ(s.nodeCount, 0);
  EXPECT_EQ(s.texturePath, nullptr);
  EXPECT_EQ(s.distance, 500.0f);
  EXPECT_EQ(s.fog, 1);
  EXPECT_EQ(s.fogColor[2], 30.0f);
  EXPECT_EQ(s.zbuffer, 1);
  x3dFreeScene(&s);
  EXPECT_EQ(s.distance, 0.0f);
}

TEST_F(X3dRelease, TextureListFreed) {
  x3dFreeTextures();
  for (int i = 0; i < 3; i++) {
    uint32_t* px = static_cast<uint32_t*>(std::calloc(4, sizeof(uint32_t)));
    x3dTextureAdd(("t" + std::to_string(i)).c_str(), px, 2, 2);
  }
  EXPECT_EQ(x3dTextures.count, 3);
  x3dFreeTextures();
  EXPECT_EQ(x3dTextures.count, 0);
  EXPECT_EQ(x3dTextures.entries, nullptr);
  EXPECT_EQ(x3dTextureFind("t0"), nullptr);
}

TEST_F(X3dRelease, BrokenFileStillEndsWithItsCode) {
  // The loader's leftovers wait for the next load; the fatal path itself is unchanged.
  x3dScene s{};
  std::string full = FullScene("Box");
  EXPECT_EXIT(Load(full.substr(0, full.size() - 7), &s), ::testing::ExitedWithCode(1), "File read error");
  Load(full, &s);
  EXPECT_EQ(s.objectCount, 2);
  x3dFreeScene(&s);
}

}  // namespace
