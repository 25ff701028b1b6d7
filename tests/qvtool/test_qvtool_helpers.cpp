// The helpers every qvtool command shares: PNG writing and reading, number lists, names.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "image/xpng.h"
#include "qvtool/qvutil.h"

namespace {

namespace fs = std::filesystem;

fs::path scratch(const char* name) {
  const fs::path dir = fs::path(QV_BINARY_DIR) / "test_qvtool_helpers";
  fs::create_directories(dir);
  return dir / name;
}

// Raw bytes of a PNG in the given libpng format; empty when unreadable.
std::vector<uint8_t> readAs(const fs::path& path, uint32_t format, uint32_t* w, uint32_t* h) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) return {};
  *w = img.width, *h = img.height;
  img.format = format;
  std::vector<uint8_t> out(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, out.data(), 0, nullptr)) return {};
  return out;
}

TEST(QvPng, WritesGrayRgbAndRgbaRowsExactly) {
  // 5x3 so rows are not a multiple of 4 bytes.
  for (int32_t channels : {1, 3, 4}) {
    std::vector<uint8_t> px(5 * 3 * (size_t)channels);
    for (size_t i = 0; i < px.size(); i++) px[i] = (uint8_t)(i * 37 + 11);
    char name[16];
    std::snprintf(name, sizeof name, "c%d.png", channels);
    const fs::path path = scratch(name);
    ASSERT_TRUE(xPngWrite(path.c_str(), px.data(), 5, 3, channels)) << channels;
    uint32_t w = 0, h = 0;
    const uint32_t format = channels == 1 ? PNG_FORMAT_GRAY : channels == 3 ? PNG_FORMAT_RGB : PNG_FORMAT_RGBA;
    EXPECT_EQ(readAs(path, format, &w, &h), px) << channels;
    EXPECT_EQ(w, 5u);
    EXPECT_EQ(h, 3u);
  }
}

TEST(QvPng, XrgbHonoursThePitchAndIgnoresTheTopByte) {
  // 3x2 picture inside rows of 4 pixels; the fourth pixel of each row must not appear.
  const uint32_t px[8] = {0xff102030, 0x00405060, 0x7f708090, 0xdeadbeef,
                          0x00a0b0c0, 0x01d0e0f0, 0x00010203, 0xdeadbeef};
  const fs::path path = scratch("xrgb.png");
  ASSERT_TRUE(xPngWriteXrgb(path.c_str(), px, 3, 2, 4));
  uint32_t w = 0, h = 0;
  const std::vector<uint8_t> want = {0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90,
                                     0xa0, 0xb0, 0xc0, 0xd0, 0xe0, 0xf0, 0x01, 0x02, 0x03};
  EXPECT_EQ(readAs(path, PNG_FORMAT_RGB, &w, &h), want);
  // Read back through our own reader: the same pixels without the top byte.
  std::vector<uint32_t> back;
  int32_t bw = 0, bh = 0;
  const char* why = nullptr;
  ASSERT_TRUE(xPngReadXrgb(path.c_str(), &back, &bw, &bh, &why));
  EXPECT_EQ(bw, 3);
  EXPECT_EQ(bh, 2);
  EXPECT_EQ(back, (std::vector<uint32_t>{0x102030, 0x405060, 0x708090, 0xa0b0c0, 0xd0e0f0, 0x010203}));
}

TEST(QvPng, RefusesWhatMakesNoPicture) {
  const uint8_t px[16] = {};
  const fs::path path = scratch("bad.png");
  EXPECT_FALSE(xPngWrite(path.c_str(), px, 2, 2, 2));  // no two-channel layout
  EXPECT_FALSE(xPngWrite(path.c_str(), px, 0, 2, 3));  // empty
  EXPECT_FALSE(xPngWrite(path.c_str(), px, 2, -1, 3));
  EXPECT_FALSE(xPngWriteXrgb(path.c_str(), (const uint32_t*)px, 4, 1, 3));  // pitch below width
  EXPECT_FALSE(xPngWrite("/nonexistent/dir/x.png", px, 2, 2, 1));
  std::vector<uint32_t> back;
  int32_t w = 0, h = 0;
  const char* why = nullptr;
  EXPECT_FALSE(xPngReadXrgb("/nonexistent.png", &back, &w, &h, &why));
  ASSERT_NE(why, nullptr);
  EXPECT_STRNE(why, "");
}

TEST(QvUtil, ParsesNumberLists) {
  int32_t v[4] = {};
  EXPECT_TRUE(qvParseInts("320x200", v, 2, 'x'));
  EXPECT_EQ(v[0], 320);
  EXPECT_EQ(v[1], 200);
  EXPECT_TRUE(qvParseInts("4-7", v, 2, '-'));
  EXPECT_EQ(v[1], 7);
  EXPECT_TRUE(qvParseInts("-1,0,-2000000000,2000000000", v, 4));
  EXPECT_EQ(v[2], -2000000000);
  struct {
    const char* text;
    int n;
  } bad[] = {
      {"", 1},            // nothing
      {"1,2", 3},         // too few
      {"1,2,3", 2},       // too many
      {"1;2", 2},         // wrong separator
      {"12a", 1},         // trailing junk
      {"2000000001", 1},  // out of range
      {"99999999999999999999", 1},
  };
  for (const auto& b : bad) EXPECT_FALSE(qvParseInts(b.text, v, b.n)) << b.text;

  float f[3] = {};
  EXPECT_TRUE(qvParseFloats("1.5,-2,3e2", f, 3));
  EXPECT_FLOAT_EQ(f[0], 1.5f);
  EXPECT_FLOAT_EQ(f[2], 300.0f);
  for (const char* t : {"nan", "inf", "1e10", "1,", "x"}) EXPECT_FALSE(qvParseFloats(t, f, 1)) << t;
}

TEST(QvUtil, EndsWithIgnoresCaseAndReadsWholeFiles) {
  EXPECT_TRUE(qvEndsWith("TEX.PNG", ".png"));
  EXPECT_TRUE(qvEndsWith("a.png", ".png"));
  EXPECT_FALSE(qvEndsWith("png", ".png"));
  EXPECT_FALSE(qvEndsWith("a.png.tga", ".png"));

  const fs::path path = scratch("bytes.bin");
  std::vector<uint8_t> bytes(70000);
  for (size_t i = 0; i < bytes.size(); i++) bytes[i] = (uint8_t)(i * 13);
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  std::vector<uint8_t> back;
  ASSERT_TRUE(qvReadWholeFile(path.c_str(), &back, 70000));
  EXPECT_EQ(back, bytes);
  EXPECT_FALSE(qvReadWholeFile(path.c_str(), &back, 69999));  // over the limit
  EXPECT_FALSE(qvReadWholeFile("/nonexistent.bin", &back, 100));
}

}  // namespace
