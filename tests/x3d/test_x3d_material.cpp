// Materials and textures: list sharing, paths, decoding, flat colour, soft failure.
#include <gtest/gtest.h>

#include <cmath>

#include "file/xfile.h"
#include "system/xlog.h"
#include "x3dtestfree.h"
#include "x3d/x3dmaterial.h"
#include "x3dtest3ds.h"
#include "x3dtestfiles.h"

using namespace t3ds;

namespace {

uint32_t Gradient(int x, int y) { return static_cast<uint32_t>(x << 16 | y << 8 | 0x40); }

class X3dMaterial : public ::testing::Test {
 protected:
  void SetUp() override {
    x3dInit(320, 200, nullptr);
    // One folder per test: CTest runs tests of this program in parallel.
    dir = tfiles::Dir(std::string("material_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    tfiles::Write(dir + "sub/TEX.TGA", tfiles::Tga(256, 256, Gradient));
    tfiles::Write(dir + "SMALL.TGA", tfiles::Tga(4, 2, [](int x, int y) { return uint32_t(x * 10 + y); }));
    tfiles::Write(dir + "BAD.TGA", std::string(40, 'z'));
  }
  std::string dir;
};

TEST_F(X3dMaterial, OneDecodePerPathAndSlashesMatch) {
  int32_t before = x3dTextures.count;
  x3dMap a{}, b{}, c{};
  xFile disk(0);
  EXPECT_EQ(x3dTextureLoad("sub/TEX.TGA", dir.c_str(), &a, &disk), 0);
  EXPECT_EQ(x3dTextureLoad("sub\\TEX.TGA", dir.c_str(), &b, &disk), 0);  // backslash: the same entry
  EXPECT_EQ(x3dTextureLoadFile("sub/TEX.TGA", dir.c_str(), &c), 0);
  EXPECT_EQ(x3dTextures.count, before + 1);
  EXPECT_EQ(a.image, b.image);
  EXPECT_EQ(a.image, c.image);
  x3dTexture* t = x3dTextureFind((dir + "sub/TEX.TGA").c_str());
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->width, 256);
  // Stored bottom row first: word 0 is the picture's last row.
  EXPECT_EQ(t->pixels[0], Gradient(0, 255));
  EXPECT_EQ(t->pixels[255 * 256 + 7], Gradient(7, 0));
}

TEST_F(X3dMaterial, Failures) {
  x3dMap m{};
  xFile disk(0);
  EXPECT_EQ(x3dTextureLoadFile("NONE.TGA", dir.c_str(), &m), 5);
  EXPECT_EQ(x3dTextureLoadFile("BAD.TGA", dir.c_str(), &m), 2);  // not a picture
  EXPECT_EQ(m.image, nullptr);
  EXPECT_EXIT(x3dTextureLoad("NONE.TGA", dir.c_str(), &m, &disk), ::testing::ExitedWithCode(1),
              "Error: x3dTextureLoad\\(\\) -> Can't load .*NONE.TGA");
  EXPECT_EXIT(x3dTextureAdd("x", nullptr, 1, 1), ::testing::ExitedWithCode(1), "Assertion failed");
}

TEST_F(X3dMaterial, FlatColourFromTheLightModel) {
  x3dMaterial m{};
  m.ambient[0] = 0.4f;
  m.diffuse[0] = 0.5f;
  m.specular[0] = 0.8f;
  m.shininessStrength = 0.5f;
  m.diffuse[1] = 1.0f;
  m.ambient[1] = 1.0f;  // 1 + 0.25 saturates
  x3dMaterialColor(&m);
  // Shininess 0: b = 1, c = strength: (0.5*0.8 + 0.5 + 0.1) * 255 = 255
  EXPECT_EQ(m.r, 255);
  EXPECT_EQ(m.g, 255);
  EXPECT_EQ(m.b, 0);
  m.specular[0] = 0.2f;  // (0.1 + 0.5 + 0.1) * 255 = 178.5 -> 178
  x3dMaterialColor(&m);
  EXPECT_EQ(m.r, 178);
  EXPECT_EQ(m.color, 0xB2FF00u);
  // With shininess the specular term fades: b = cos(0.5*0.5*255*pi/512), c = b^(0.5*255) * 0.5.
  m.shininess = 0.5f;
  x3dMaterialColor(&m);
  double b = std::cos(0.5 * 0.5 * 255 * 3.14159265358979 / 512);
  double c = std::pow(b, 127.5) * 0.5;
  EXPECT_EQ(m.r, static_cast<int>((c * 0.2 + b * 0.5 + 0.1) * 255));
}

TEST_F(X3dMaterial, SceneMaterialsTexturesReflectionsAndSoftFailure) {
  std::string log = dir + "x3d.log";
  x3dInit(320, 200, log.c_str());
  std::string mats = Material("A", Chunk(0xA100, U16(2)) + MapName(0xA200, "sub/TEX.TGA")) +
                     Material("B", MapName(0xA200, "sub\\TEX.TGA") + MapName(0xA220, "SMALL.TGA")) +
                     Material("C", Chunk(0xA020, ColorF(0, 1, 0)) + MapName(0xA200, "BAD.TGA")) +
                     Material("D", MapName(0xA220, "MISSING.TGA"));
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(Main(Editor(mats)), &s);
  s.texturePath = strdup(dir.c_str());  // the scene owns its path
  x3dSetScene(&s);
  int32_t before = x3dTextures.count;
  x3dLoadMaterialTextures();
  x3dMaterial* m = s.materials;
  EXPECT_EQ(m[0].renderFlags, 2 | 0x08);
  EXPECT_EQ(m[1].renderFlags, 0x18);
  EXPECT_EQ(m[0].texture.image, m[1].texture.image);
  ASSERT_NE(m[1].reflection.image, nullptr);
  // The 4 x 2 picture reaches the fillers as a 256 x 256 copy.
  x3dTexture* copy = x3dTextureFind((dir + "SMALL.TGA#256").c_str());
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(m[1].reflection.image, copy->pixels);
  // Last stored row = the picture's top row; last column = x 3: 3 * 10 + 0.
  EXPECT_EQ(copy->pixels[255 * 256 + 255], 30u);
  EXPECT_EQ(copy->pixels[0], 1u);     // bottom-left (0, 1)
  EXPECT_EQ(m[2].renderFlags, 0x20);  // undecodable texture: red wireframe
  EXPECT_EQ(m[2].color, 0xFF0000u);
  EXPECT_EQ(m[3].renderFlags, 0x20);
  x3dTextureDump();
  x3dLog.Close();
  std::string text = qvReadFile(log);
  EXPECT_NE(text.find("X3D: cant open texture: BAD.TGA\n"), std::string::npos);
  EXPECT_NE(text.find("X3D: cant open reflection: MISSING.TGA\n"), std::string::npos);
  EXPECT_NE(text.find("X3D: Loading texture: " + dir + "SMALL.TGA"), std::string::npos);
  EXPECT_NE(text.find(" Number of textures in list: "), std::string::npos);
  EXPECT_NE(text.find("End of texture list dump info."), std::string::npos);
  EXPECT_GE(x3dTextures.count, before + 1);
}

}  // namespace
