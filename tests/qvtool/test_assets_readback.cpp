// The generated archive read back through the engine's own readers: xFile for
// every entry, the picture decoders, the FLC player and the 3DS loader. Scene
// scripts go through x3dLoadSceneScript once that reader is part of the engine.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/qvtest.h"
#include "file/xfile.h"
#include "image/xflc.h"
#include "image/ximage.h"
#include "x3d/x3d.h"
#include "x3d/x3d3ds.h"
#include "qvtool/qvtool.h"

namespace {
const std::string kArchive = std::string(QV_BINARY_DIR) + "/quorvane.kvo";

struct Archive {
  xFile file{1};
  bool open = false;
  Archive() { open = file.Open(kArchive.c_str()) == XFILE_OPEN_ERROR; }
};
Archive& archive() {
  static Archive a;
  return a;
}

#define REQUIRE_ARCHIVE() \
  if (!archive().open) GTEST_SKIP() << "build the assets target first: " << kArchive

// Reads and decodes one picture; returns its size and format before conversion.
xImage loadPicture(const char* name, int32_t* formatBefore) {
  xFileData fd{};
  xImage img{};
  EXPECT_EQ(archive().file.Read(name, &fd), 0) << name;
  if (!fd.data) return img;
  xImageLoad(&fd, img);
  *formatBefore = img.format;
  xImageConvert(&img, XIMAGE_XRGB32);
  archive().file.Free(&fd);
  return img;
}
}  // namespace

TEST(AssetsReadback, PicturesDecodeWithTheirSizesAndAlphaRules) {
  REQUIRE_ARCHIVE();
  struct Row {
    const char* name;
    int32_t w, h;
    bool alpha;
  };  // w or h 0: any size
  static const Row rows[] = {{"loading.tga", 320, 200, false},
                             {"back01.jpg", 320, 200, false},
                             {"back02.jpg", 320, 200, false},
                             {"TEXTURES/TEXTURE.TGA", 256, 256, false},
                             {"TEXTURES/TEXTURE4.TGA", 256, 256, false},
                             {"TEXTURES/TEXTURE5.TGA", 256, 256, false},
                             {"textures/texture6.tga", 256, 256, false},
                             {"textures/texture7.tga", 256, 256, false},
                             {"mask.gif", 115, 87, true},
                             {"kvologo.tga", 0, 0, false},
                             {"kvologom.gif", 0, 0, true},
                             {"quorvane.tga", 0, 0, false},
                             {"vantre1.jpg", 0, 0, false},
                             {"pelun01.gif", 0, 0, true},
                             {"pelun02.gif", 0, 0, true},
                             {"ramka.gif", 0, 0, true},
                             {"scroll1.tga", 0, 0, false},
                             {"emc2.gif", 0, 0, true},
                             {"mmm.gif", 0, 0, true},
                             {"scroll2.gif", 0, 0, true},
                             {"greet1.jpg", 0, 0, false},
                             {"greet2.jpg", 0, 0, false},
                             {"rulmus1.gif", 0, 0, true},
                             {"dulmo4.gif", 0, 0, true}};
  for (const Row& r : rows) {
    int32_t fmt = 0;
    xImage img = loadPicture(r.name, &fmt);
    ASSERT_TRUE(img.pixels) << r.name;
    if (r.w) {
      EXPECT_EQ(img.width, r.w) << r.name;
      EXPECT_EQ(img.height, r.h) << r.name;
    }
    if (r.alpha) {
      EXPECT_EQ(fmt, XIMAGE_INDEXED8) << r.name << ": alpha pictures must be 8-bit";
    }
    EXPECT_EQ(img.format, XIMAGE_XRGB32);
    std::free(img.pixels);
    std::free(img.palette);
  }
  int32_t f = 0;
  xImage logo = loadPicture("kvologo.tga", &f), mask = loadPicture("kvologom.gif", &f);
  EXPECT_EQ(logo.width, mask.width);
  EXPECT_EQ(logo.height, mask.height);
  std::free(logo.pixels);
  std::free(mask.pixels);
}

TEST(AssetsReadback, AnimationPlaysEveryFrameThroughThePlayer) {
  REQUIRE_ARCHIVE();
  xFileData fd{};
  ASSERT_EQ(archive().file.Read("mirvak.flc", &fd), 0);
  xFlc anim{};
  ASSERT_EQ(xFlcLoad(fd.data, fd.size, &anim), XFLC_OK);
  archive().file.Free(&fd);
  xFlcSelect(&anim);
  EXPECT_EQ(xFlcState.width, 160);
  EXPECT_EQ(xFlcState.height, 120);
  ASSERT_GE(xFlcState.frameCount, 90);
  uint32_t firstKey = 0;
  for (int32_t i = 0; i < xFlcState.frameCount; i++) {
    xFlcFrameHeader fh;
    xFlcReadFrameHeader(&fh);
    ASSERT_EQ(xFlcDecodeFrame(&fh), 1) << "frame " << i;
    const uint8_t* pal = xFlcState.palette + xFlcState.pixels[0] * 3;
    uint32_t key = uint32_t(pal[0]) << 16 | pal[1] << 8 | pal[2];
    if (i == 0) firstKey = key;
    EXPECT_EQ(key, firstKey) << "the keyed-out background colour changes at frame " << i;
    for (int32_t p = 0; p < 20 * 160; p++)
      ASSERT_EQ(xFlcState.pixels[p], xFlcState.pixels[0]) << "top lines drawn in frame " << i;
  }
  EXPECT_EQ(xFlcState.cursor, xFlcState.frameBytes);  // every byte consumed
  xFlcFree(&anim);
}

TEST(AssetsReadback, SceneFilesLoadWithCamerasMaterialsAndTextureNames) {
  REQUIRE_ARCHIVE();
  x3dInit(320, 200, nullptr);
  static const int32_t scenes[] = {1, 2, 3, 4, 5, 6, 7, 11, 13, 14};
  bool names[3] = {false, false, false};
  for (int32_t n : scenes) {
    std::string file = "scene_" + std::to_string(n) + ".3ds";
    xFileData fd{};
    ASSERT_EQ(archive().file.Read(file.c_str(), &fd), 0) << file;
    static x3dScene sceneStore[16];
    x3dScene* s = &sceneStore[n];
    x3dLoad3dsMemory(&fd, s);
    archive().file.Free(&fd);
    EXPECT_TRUE(x3dFindCamera("Camera01", s)) << file;
    EXPECT_GT(s->lightCount, 0) << file;
    EXPECT_GT(s->objectCount, 0) << file;
    EXPECT_GT(s->nodeCount, 0) << file;
    EXPECT_GT(s->endFrame, 100.0f) << file;
    if (n == 6) {
      EXPECT_TRUE(x3dFindMaterial("JUPITER", s));
    }
    for (int32_t m = 0; m < s->materialCount; m++)
      for (const x3dMap* map : {&s->materials[m].texture, &s->materials[m].reflection}) {
        if (!map->name) continue;
        std::string path = std::string("TEXTURES/") + map->name;
        int32_t k = path == "TEXTURES/TEXTURE.TGA"    ? 0
                    : path == "TEXTURES/TEXTURE4.TGA" ? 1
                    : path == "TEXTURES/TEXTURE5.TGA" ? 2
                                                      : -1;
        EXPECT_GE(k, 0) << file << " names an unexpected texture " << path;
        if (k >= 0) names[k] = true;
      }
  }
  EXPECT_TRUE(names[0] && names[1] && names[2]);
}

TEST(AssetsReadback, ContactSheetShowsEveryPicture) {
  REQUIRE_ARCHIVE();
  std::string out = "/tmp/qv_sheet_" + std::to_string(getpid()) + ".png";
  std::string in = kArchive;
  char a0[] = "sheet", a2[] = "-o";
  char* argv[] = {a0, in.data(), a2, out.data()};
  testing::internal::CaptureStdout();
  ASSERT_EQ(qvCmdSheet(4, argv), 0);
  EXPECT_NE(testing::internal::GetCapturedStdout().find("43 pictures"), std::string::npos);
  std::string png = qvReadFile(out);
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  std::remove(out.c_str());
  char* bad[] = {a0};
  testing::internal::CaptureStderr();
  EXPECT_EQ(qvCmdSheet(1, bad), 2);
  std::string missing = "/nonexistent.kvo";
  char* none[] = {a0, missing.data(), a2, out.data()};
  EXPECT_EQ(qvCmdSheet(4, none), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot open archive"), std::string::npos);
}

#if __has_include("x3d/x3dscene.h")
#include "x3d/x3dmaterial.h"
#include "x3d/x3dscene.h"
TEST(AssetsReadback, SceneScriptsLoadThroughTheEngine) {
  REQUIRE_ARCHIVE();
  x3dInit(320, 200, nullptr);
  static const int32_t scenes[] = {3, 4, 5, 6, 7, 11, 13, 14, 2, 1};  // the loaders' order
  static x3dScene store[10];
  for (int32_t i = 0; i < 10; i++) {
    std::string file = "scene_" + std::to_string(scenes[i]) + ".x3d";
    x3dLoadSceneScript(file.c_str(), &store[i], &archive().file);
    EXPECT_TRUE(x3dFindCamera("Camera01", &store[i])) << file;
  }
  EXPECT_TRUE(x3dFindMaterial("JUPITER", &store[3]));
  for (const char* t : {"TEXTURES/TEXTURE.TGA", "TEXTURES/TEXTURE4.TGA", "TEXTURES/TEXTURE5.TGA"})
    EXPECT_TRUE(x3dTextureFind(t)) << t;
}
#else
TEST(AssetsReadback, SceneScriptsLoadThroughTheEngine) {
  GTEST_SKIP() << "the scene-script reader (x3dLoadSceneScript) is not part of the engine yet";
}
#endif
