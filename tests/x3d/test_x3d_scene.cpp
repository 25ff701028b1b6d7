// Scene scripts: keywords, order rules, render types, flares, every fatal message.
#include <gtest/gtest.h>

#include "file/xfile.h"
#include "x3d/raster/x3dpolygons.h"
#include "x3d/x3dmaterial.h"
#include "x3d/x3drelease.h"
#include "x3d/x3dscene.h"
#include "x3dtest3ds.h"
#include "x3dtestfiles.h"

using namespace t3ds;

namespace {

class X3dScene : public ::testing::Test {
 protected:
  void SetUp() override {
    x3dInit(320, 200, nullptr);
    // One folder per test: CTest runs tests of this program in parallel.
    dir = tfiles::Dir(std::string("scene_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    tfiles::Write(dir + "TEX.TGA", tfiles::Tga(256, 256, [](int x, int y) { return uint32_t(x ^ y); }));
    tfiles::Write(dir + "FLARE.TGA", tfiles::Tga(32, 32, [](int x, int) { return uint32_t(x * 8); }));
    std::string editor =
        Editor(Material("PLAIN") + Material("TEXD", MapName(0xA200, "TEX.TGA")) +
               Material("BOTH", MapName(0xA200, "TEX.TGA") + MapName(0xA220, "TEX.TGA")) +
               Mesh("Box", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}) + Omni("Omni01", 0, 0, 0) +
               Camera("Side", {0, 0, 0, 1, 0, 0}, 0, 50) + Camera("Camera01", {0, 0, 0, 0, 1, 0}, 0, 35));
    tfiles::Write(dir + "scene.3ds", Main(editor));
    tfiles::Write(dir + "nocam01.3ds",
                  Main(Editor(Mesh("Box", {0, 0, 0}, {}) + Camera("First", {0, 0, 0, 0, 1, 0}, 0, 50) +
                              Camera("Second", {0, 0, 0, 0, 1, 0}, 0, 50))));
    tfiles::Write(dir + "nocams.3ds", Main(Editor(Mesh("Box", {0, 0, 0}, {}))));
  }
  void TearDown() override { x3dFreeScene(&s); }
  // Runs a script whose SCENE_NAME lines name files of the test folder.
  x3dScene* Run(const std::string& body) {
    tfiles::Write(dir + "test.x3d", body);
    xFile disk(0);
    x3dLoadSceneScript((dir + "test.x3d").c_str(), &s, &disk);
    return &s;
  }
  std::string Head(const std::string& file = "scene.3ds") {
    return "VERSION 1\r\nTEXTURE_PATH " + dir + "\r\nSCENE_NAME " + dir + file + "\r\n";
  }
  std::string dir;
  x3dScene s{};
};

TEST_F(X3dScene, LoadsActivatesAndSetsUp) {
  Run("/* a scene */\r\nDISTANCE 500\r\nFOG YES\r\nFOG_COLOR 10 20 30\r\nZBUFFER YES\r\n" + Head() +
      "MATERIAL PLAIN\r\nRENDER_TYPE 1\r\nMAT_COLOR 1 2 3\r\nOBJECT Box\r\nOBJ_NOLIGHT\r\n");
  EXPECT_EQ(x3dActiveScene, &s);
  EXPECT_EQ(x3dActiveCamera, x3dFindCamera("Camera01", &s));
  EXPECT_EQ(x3dActiveCamera->width, 320.0f);
  EXPECT_EQ(x3dActiveCamera->fov, 0.0f);  // rebuilt on the first update
  EXPECT_FLOAT_EQ(x3dFadeDistance, 375.0f);
  EXPECT_EQ(x3dFogOn, 1);
  EXPECT_EQ(x3dFogColor, 0x0A141Eu);
  EXPECT_EQ(s.zbuffer, 1);
  EXPECT_NE(x3dZBuffer, nullptr);
  EXPECT_STREQ(s.texturePath, dir.c_str());
  x3dMaterial* m = x3dFindMaterial("PLAIN", &s);
  EXPECT_EQ(m->renderFlags, 0x001);
  EXPECT_EQ(m->color, 0x010203u);
  EXPECT_TRUE(x3dFindObject("Box", &s)->flags & X3D_OBJ_NOLIGHT);
  EXPECT_EQ(x3dFindMaterial("TEXD", &s)->renderFlags, 0x08);  // texture loaded after the scene
  ASSERT_NE(s.listA, nullptr);
  EXPECT_EQ(s.listCount, 0);
}

TEST_F(X3dScene, FogOrderAndCase) {
  Run("FOG_COLOR 10 20 30\r\nFOG YES\r\n" + Head());
  EXPECT_EQ(s.fogColor[0], 0.0f);  // FOG_COLOR before FOG YES is ignored
  x3dFreeScene(&s);                // a fresh record for the next script
  Run("FOG yes\r\nFOG_COLOR 10 20 30\r\n" + Head());
  EXPECT_EQ(s.fog, 0);  // lower-case yes is not YES
  EXPECT_EQ(x3dFogOn, 0);
}

TEST_F(X3dScene, RenderTypes) {
  Run(Head() +
      "MATERIAL TEXD\r\nRENDER_TYPE 4\r\nMATERIAL BOTH\r\nRENDER_TYPE 7\r\nRENDER_TYPE 19\r\n"
      "MATERIAL PLAIN\r\nRENDER_TYPE 2\r\nRENDER_TYPE -1\r\n");
  x3dMaterial* t = x3dFindMaterial("TEXD", &s);
  EXPECT_EQ(t->renderFlags, 0x098);
  EXPECT_EQ(t->reflection.image, t->texture.image);            // the texture stands in for the reflection
  EXPECT_EQ(x3dFindMaterial("BOTH", &s)->renderFlags, 0x0C8);  // 19 left 7's flags
  EXPECT_EQ(x3dFindMaterial("PLAIN", &s)->renderFlags, 0x002);
}

TEST_F(X3dScene, CamerasAndFlares) {
  Run(Head("nocam01.3ds"));
  EXPECT_EQ(x3dActiveCamera, &s.cameras[0]);  // no Camera01: the first camera
  x3dFreeScene(&s);                           // a fresh record for the next script
  Run(Head() +
      "CAMERA Side\r\nCAMERA_SIZE 160 100\r\nCAMERA_SETACTIVE\r\nOBJ_NOLIGHT\r\n"
      "LENSFLARE Omni01\r\nLENS_TEXTURE FLARE.TGA\r\nLENS_SCALE 2.5\r\n");
  x3dCamera* side = x3dFindCamera("Side", &s);
  EXPECT_EQ(x3dActiveCamera, side);
  EXPECT_EQ(side->width, 160.0f);
  EXPECT_EQ(x3dPitch, 640);
  EXPECT_EQ(x3dFindObject("Box", &s)->flags & X3D_OBJ_NOLIGHT, 0);  // OBJ_NOLIGHT before OBJECT
  x3dLensFlare* f = s.lights[0].flare;
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->width, 32);
  EXPECT_EQ(f->height, 32);
  EXPECT_EQ(f->scale, 2.5f);
  EXPECT_NE(f->map.image, nullptr);
  x3dFreeScene(&s);  // a fresh record for the next script
  Run(Head() + "LENSFLARE Omni01\r\nLENS_SCALE 3\r\nLENSFLARE Omni01\r\n");
  EXPECT_EQ(s.lights[0].flare->scale, 0.0f);  // a new, empty flare
}

TEST_F(X3dScene, FatalMessages) {
  struct Row {
    std::string script, message;
  } rows[] = {
      {Head() + "CAMERA Nope\r\n", "test.x3d->Camera not found->Nope"},
      {Head() + "MATERIAL Nope\r\n", "test.x3d->Material not found->Nope"},
      {Head() + "RENDER_TYPE 1\r\n", "test.x3d->No active Material"},
      {Head() + "MAT_COLOR 1 2 3\r\n", "test.x3d->No active Material"},
      {Head() + "LENSFLARE Nope\r\n", "test.x3d->Light not found->Nope"},
      {Head() + "LENS_TEXTURE FLARE.TGA\r\n", "test.x3d->No active light for lensflare"},
      {Head() + "LENS_SCALE 1\r\n", "test.x3d->No active light for lensflare"},
      {Head() + "OBJECT Nope\r\n", "test.x3d->Object not found->Nope"},
      {Head() + "MATERIAL PLAIN\r\nRENDER_TYPE 5\r\n", "Error: Texture is not loaded: \n"},
      {Head() + "MATERIAL PLAIN\r\nRENDER_TYPE 6\r\n", "Error: Texture is not loaded:  \\| \n"},
      {Head("nocams.3ds"), "No Cameras found in .*nocams.3ds"},
      {"SCENE_NAME " + dir + "absent.3ds\r\n", "x3dProcessSceneScript::zInput->load\\(\\) -> cant load .*absent.3ds"},
      {Head() + "CAMERA_SIZE 0 100\r\n", "Bad camera size"},
      // A second scene replaces the first: records picked from it are gone.
      {Head() + "MATERIAL PLAIN\r\nOBJECT Box\r\n" + Head() + "MAT_COLOR 1 2 3\r\n", "test.x3d->No active Material"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.script);
    EXPECT_EXIT(Run(r.script), ::testing::ExitedWithCode(1), r.message);
  }
  xFile disk(0);
  EXPECT_EXIT(x3dLoadSceneScript((dir + "none.x3d").c_str(), &s, &disk), ::testing::ExitedWithCode(1),
              "x3dLoadSceneScript::xFileIO->load\\(\\) - can't load .*none.x3d");
}

TEST(X3dSceneKeywords, Codes) {
  EXPECT_EQ(x3dSceneKeyword("VERSION"), 1);
  EXPECT_EQ(x3dSceneKeyword("SCENE_NAME"), 5);
  EXPECT_EQ(x3dSceneKeyword("FOG_COLOR"), 6);
  EXPECT_EQ(x3dSceneKeyword("OBJ_NOLIGHT"), 18);
  EXPECT_EQ(x3dSceneKeyword("version"), 0);
}

}  // namespace
