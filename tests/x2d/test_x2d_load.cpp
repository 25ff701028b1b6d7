// Sprite loaders: pictures through xFile in disk mode, alpha channels and alpha layers,
// with the sample TGA files of the corpus and small TGA files written here.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "file/xfile.h"
#include "platform/qvbytes.h"
#include "x2d/x2d.h"
#include "x2d/x2dspr.h"

namespace {

// An uncompressed TGA, rows stored bottom-up as usual: type 1 (8-bit indices, grey palette)
// or type 2 (24-bit). Byte i of the picture, counted from the top row, is i x 7 + seed.
std::string writeTga(const std::string& name, int w, int h, bool indexed, uint32_t seed) {
  std::vector<uint8_t> f = {0,
                            static_cast<uint8_t>(indexed ? 1 : 0),
                            static_cast<uint8_t>(indexed ? 1 : 2),
                            0,
                            0,
                            static_cast<uint8_t>(indexed ? 0 : 0),
                            static_cast<uint8_t>(indexed ? 1 : 0),
                            static_cast<uint8_t>(indexed ? 24 : 0),
                            0,
                            0,
                            0,
                            0,
                            static_cast<uint8_t>(w),
                            static_cast<uint8_t>(w >> 8),
                            static_cast<uint8_t>(h),
                            static_cast<uint8_t>(h >> 8),
                            static_cast<uint8_t>(indexed ? 8 : 24),
                            0};
  if (indexed)
    for (int i = 0; i < 256; i++)
      f.insert(f.end(), {static_cast<uint8_t>(i), static_cast<uint8_t>(i), static_cast<uint8_t>(i)});
  const int row = w * (indexed ? 1 : 3);
  for (int y = h - 1; y >= 0; y--)
    for (int i = y * row; i < (y + 1) * row; i++) f.push_back(static_cast<uint8_t>(i * 7 + seed));
  const std::string path = ::testing::TempDir() + name;
  FILE* out = std::fopen(path.c_str(), "wb");
  std::fwrite(f.data(), 1, f.size(), out);
  std::fclose(out);
  return path;
}

class X2dLoad : public ::testing::Test {
 protected:
  void SetUp() override { x2dInit(320, 240); }
  xFile disk{0};
};

TEST_F(X2dLoad, PictureAndAlphaChannelFromWrittenFiles) {
  const std::string rgb = writeTga("qv_x2d_rgb.tga", 5, 3, false, 1);
  const std::string idx = writeTga("qv_x2d_idx.tga", 5, 3, true, 9);
  x2dSprite* s = x2dSpriteCreate();
  s->color = 77;
  s->Load(rgb.c_str(), &disk);
  ASSERT_EQ(s->width, 5);
  ASSERT_EQ(s->height, 3);
  EXPECT_EQ(s->pitch, 20);
  EXPECT_EQ(s->skip, 315);
  EXPECT_EQ(s->color, 0u);
  // Bytes blue, green, red per pixel; the top byte is 0 until an alpha channel arrives.
  for (int i = 0; i < 15; i++) {
    const uint32_t b = static_cast<uint8_t>(3 * i * 7 + 1), g = static_cast<uint8_t>((3 * i + 1) * 7 + 1),
                   r = static_cast<uint8_t>((3 * i + 2) * 7 + 1);
    ASSERT_EQ(s->pixels[i], (r << 16) | (g << 8) | b) << i;
  }
  s->LoadAlphaChannel(idx.c_str(), &disk);
  for (int i = 0; i < 15; i++) ASSERT_EQ(s->pixels[i] >> 24, static_cast<uint8_t>(i * 7 + 9)) << i;
  delete s;
}

TEST_F(X2dLoad, AlphaLayerKeepsOrSetsTheColour) {
  const std::string idx = writeTga("qv_x2d_layer.tga", 6, 2, true, 3);
  x2dSprite* s = x2dSpriteCreate();
  s->color = 0x123456;
  s->LoadAlphaLayer(idx.c_str(), &disk, 0xFFFFFFFFu);
  EXPECT_EQ(s->color, 0x123456u);
  EXPECT_EQ(s->width, 6);
  EXPECT_EQ(s->height, 2);
  EXPECT_EQ(s->pitch, 0);
  EXPECT_EQ(s->skip, 314);
  for (int i = 0; i < 12; i++) ASSERT_EQ(s->alphaLayer[i], static_cast<uint8_t>(i * 7 + 3));
  s->LoadAlphaLayer(idx.c_str(), &disk, 0x00FF00FF);
  EXPECT_EQ(s->color, 0x00FF00FFu);
  // The sprite had no pixels: the pixel operations draw nothing, the layer ones draw.
  std::vector<uint32_t> fb(320 * 240, 0);
  s->Draw(0, 0, fb.data());
  for (uint32_t p : fb) ASSERT_EQ(p, 0u);
  s->DrawLayer(0, 0, fb.data());
  EXPECT_NE(fb[1], 0u);
  delete s;
}

TEST_F(X2dLoad, CorpusPictureWithAlphaChannel) {
  QV_REQUIRE_CORPUS();
  const std::string dir = qvCorpusDir() + "/tga/";
  x2dSprite* s = x2dSpriteCreate();
  s->Load((dir + "utc24.tga").c_str(), &disk);
  ASSERT_EQ(s->width, 128);
  ASSERT_EQ(s->height, 128);
  std::string rgb;
  for (int i = 0; i < 128 * 128; i++) rgb += {char(s->pixels[i] >> 16), char(s->pixels[i] >> 8), char(s->pixels[i])};
  // Top-row-first RGB hash of utc24.tga from the corpus manifest.
  EXPECT_EQ(qvSha256(rgb.data(), rgb.size()), "4a93f4cb82ea59734e49aabd83ac146c640db852138eb2a1bf484a391c0d71b5");
  s->LoadAlphaChannel((dir + "ucm8.tga").c_str(), &disk);
  // ucm8.tga: 18-byte header, image ID, palette, then the raw indices bottom row first.
  const std::string raw = qvReadFile(dir + "ucm8.tga");
  auto byte = [&](int i) { return static_cast<size_t>(static_cast<uint8_t>(raw[i])); };
  const size_t start = 18 + byte(0) + qvLe16((const uint8_t*)raw.data() + 5) * ((byte(7) + 7) / 8);
  ASSERT_GE(raw.size(), start + 128 * 128);
  for (int y = 0; y < 128; y++)
    for (int x = 0; x < 128; x++)
      ASSERT_EQ(s->pixels[y * 128 + x] >> 24, static_cast<uint8_t>(raw[start + (127 - y) * 128 + x])) << x << "," << y;
  delete s;
}

TEST_F(X2dLoad, LoadFailures) {
  const std::string rgb = writeTga("qv_x2d_bad_rgb.tga", 4, 4, false, 1);
  const std::string idx = writeTga("qv_x2d_bad_idx.tga", 4, 5, true, 1);
  x2dSprite* s = x2dSpriteCreate();
  EXPECT_EXIT(s->Load("/nonexistent/pic.tga", &disk), ::testing::ExitedWithCode(1),
              "XERR: Error: x2dSprite::Load\\(..\\) -> Error loading /nonexistent/pic.tga\n");
  s->Load(rgb.c_str(), &disk);
  EXPECT_EXIT(s->LoadAlphaChannel(rgb.c_str(), &disk), ::testing::ExitedWithCode(1),
              "Error: x2dSprite::LoadAlphaChannel\\(\\) -> Incorrect mode or size -> " + rgb + "\n");
  EXPECT_EXIT(s->LoadAlphaChannel(idx.c_str(), &disk), ::testing::ExitedWithCode(1),
              "Error: x2dSprite::LoadAlphaChannel\\(\\) -> Incorrect mode or size -> " + idx + "\n");
  EXPECT_EXIT(s->LoadAlphaChannel("/nonexistent/a.tga", &disk), ::testing::ExitedWithCode(1),
              "Error: x2dSprite::LoadAlphaChannel\\(\\) -> Can't load /nonexistent/a.tga\n");
  EXPECT_EXIT(s->LoadAlphaChannel(nullptr, &disk), ::testing::ExitedWithCode(1),
              "Assertion failed\nFile X2dspr\nLine 181\n");
  EXPECT_EXIT(s->LoadAlphaLayer(rgb.c_str(), &disk, 0), ::testing::ExitedWithCode(1),
              "Error: x2dSprite::LoadAlphaLayer\\(\\) -> Wrong format " + rgb + "\n");
  EXPECT_EXIT(s->LoadAlphaLayer("/nonexistent/l.tga", &disk, 0), ::testing::ExitedWithCode(1),
              "Error: x2dSprite::LoadAlphaLayer\\(\\) -> Can't load /nonexistent/l.tga\n");
  EXPECT_EXIT(s->LoadAlphaLayer(nullptr, &disk, 0), ::testing::ExitedWithCode(1),
              "Assertion failed\nFile X2dspr\nLine 271\n");
  delete s;
}

}  // namespace
