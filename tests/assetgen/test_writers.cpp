// The file writers against peer decoders: ImageMagick for pictures, ffmpeg for
// the FLC, minizip for the archive. Inputs are synthetic so every pixel is known.
#include <gtest/gtest.h>

#include <cstring>

#include "ag_flc.h"
#include "ag_testutil.h"
#include "common/qvtest.h"
#include "platform/qvbytes.h"
#include <minizip/unzip.h>

namespace {
// A picture with smooth areas, hard edges and noise (noise fills the LZW table).
AgImage testPicture(int32_t w, int32_t h, uint32_t seed) {
  AgImage im(w, h);
  AgRng rng(seed);
  for (int32_t y = 0; y < h; y++)
    for (int32_t x = 0; x < w; x++)
      im.at(x, y) = x < w / 3       ? agRgb(x * 3, y, 255 - x)
                    : x < 2 * w / 3 ? ((x / 8 + y / 8) & 1 ? 0xffa020 : 0x103060)
                                    : rng.next() & 0xffffff;
  return im;
}

AgIndexed testIndexed(int32_t w, int32_t h, uint32_t seed) {
  AgIndexed o;
  o.idx = AgGray(w, h);
  AgRng rng(seed);
  for (int32_t y = 0; y < h; y++)
    for (int32_t x = 0; x < w; x++) o.idx.at(x, y) = uint8_t(y < h / 2 ? (x / 5) & 255 : rng.next() & 255);
  o.pal = agGreyPalette();
  return o;
}

// ImageMagick's decoding of a file as raw bytes (gray or rgb), rows top to bottom.
std::string magickRaw(const std::string& path, const char* kind) {
  return agtRun("convert '" + path + "' -auto-orient -depth 8 " + kind + ":- 2>/dev/null");
}

std::string rgbBytes(const AgImage& im) {
  std::string s;
  for (uint32_t c : im.px) {
    s += char(c >> 16);
    s += char(c >> 8);
    s += char(c);
  }
  return s;
}
}  // namespace

TEST(AgTga, TrueColourAndIndexedReadBackThroughImageMagick) {
  if (!qvHaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
  std::string dir = agtTempDir("tga");
  AgImage im = testPicture(37, 23, 1);  // odd sizes catch row-order and stride faults
  ASSERT_TRUE(agtWrite(dir + "/a24.tga", agTgaRgb(im, 24)));
  ASSERT_TRUE(agtWrite(dir + "/a32.tga", agTgaRgb(im, 32)));
  EXPECT_EQ(magickRaw(dir + "/a24.tga", "rgb"), rgbBytes(im));
  EXPECT_EQ(magickRaw(dir + "/a32.tga", "rgb"), rgbBytes(im));
  AgIndexed ix = testIndexed(41, 19, 2);
  ASSERT_TRUE(agtWrite(dir + "/i8.tga", agTgaIndexed(ix)));
  EXPECT_EQ(magickRaw(dir + "/i8.tga", "gray"), std::string(ix.idx.px.begin(), ix.idx.px.end()));
}

TEST(AgTga, HeaderFieldsTheEngineReads) {
  AgBytes b = agTgaIndexed(testIndexed(16, 8, 3));
  EXPECT_EQ(b[0], 0);  // no identification field: the first byte is never 0x0A (PCX)
  EXPECT_EQ(b[2], 1);  // colour-mapped
  EXPECT_EQ(b[5] | b[6] << 8, 256);
  EXPECT_EQ(b[16], 8);
  EXPECT_EQ(b.size(), 18u + 768u + 16u * 8u);
  AgBytes t = agTgaRgb(AgImage(4, 2, 0x112233), 32);
  EXPECT_EQ(t[2], 2);
  EXPECT_EQ(t[16], 32);
  EXPECT_EQ(t[18], 0x33);  // blue, green, red, alpha
  EXPECT_EQ(t[21], 0xFF);
}

TEST(AgGif, BothVersionsDecodeExactlyInImageMagick) {
  if (!qvHaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
  std::string dir = agtTempDir("gif");
  // 300x200 with a noisy half: the 4096-entry table fills and is cleared several times.
  AgIndexed ix = testIndexed(300, 200, 4);
  ASSERT_TRUE(agtWrite(dir + "/a.gif", agGif(ix, false)));
  ASSERT_TRUE(
      agtWrite(dir + "/b.gif", agGif(ix, true,
                                     "comment longer than one sub-block of 255 bytes ........................"
                                     "..........................................................................."
                                     "..........................................................................."
                                     "...........................................................................")));
  std::string want(ix.idx.px.begin(), ix.idx.px.end());
  EXPECT_EQ(magickRaw(dir + "/a.gif", "gray"), want);
  EXPECT_EQ(magickRaw(dir + "/b.gif", "gray"), want);
  EXPECT_NE(agtRun("identify -format '%f %wx%h\n' '" + dir + "/b.gif'").find("300x200"), std::string::npos);
}

TEST(AgGif, StreamLayout) {
  AgIndexed ix = testIndexed(3, 1, 5);
  AgBytes b = agGif(ix, false);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 6), "GIF87a");
  EXPECT_EQ(b[10], 0xF7);          // 256-entry global table
  EXPECT_EQ(b[13 + 768], 0x2C);    // no extensions in 87a: the image follows the table
  EXPECT_EQ(b[13 + 768 + 10], 8);  // LZW minimum code size
  EXPECT_EQ(b.back(), 0x3B);
  AgBytes c = agGif(ix, true, "x");
  EXPECT_EQ(std::string(c.begin(), c.begin() + 6), "GIF89a");
  EXPECT_EQ(c[13 + 768], 0x21);
  EXPECT_EQ(c[13 + 768 + 1], 0xFE);
}

TEST(AgGif, LzwCodeWidthsOfASmallStream) {
  // Three equal bytes: clear (256), 'a', then the string "aa" as new code 258, end (257);
  // every code is 9 bits wide.
  const uint8_t px[3] = {97, 97, 97};
  AgBytes s = agGifLzw(px, 3);
  uint64_t bits = 0;
  for (size_t i = 0; i < s.size(); i++) bits |= uint64_t(s[i]) << (8 * i);
  EXPECT_EQ(s.size(), 5u);  // 4 codes x 9 bits = 36 bits
  EXPECT_EQ(bits & 511, 256u);
  EXPECT_EQ((bits >> 9) & 511, 97u);
  EXPECT_EQ((bits >> 18) & 511, 258u);
  EXPECT_EQ((bits >> 27) & 511, 257u);
}

TEST(AgJpeg, JfifAtOffsetSixAndCloseToTheSource) {
  AgImage im(64, 48);  // smooth gradients and 8x8 blocks aligned with the transform
  for (int32_t y = 0; y < 48; y++)
    for (int32_t x = 0; x < 64; x++)
      im.at(x, y) = x < 32 ? agRgb(x * 6, y * 4, 200 - x * 2) : ((x / 8 + y / 8) & 1 ? 0xd09040 : 0x305070);
  AgBytes b = agJpeg(im, 95);
  ASSERT_GT(b.size(), 20u);
  EXPECT_EQ(std::string(b.begin() + 6, b.begin() + 10), "JFIF");
  EXPECT_EQ(agJpeg(im, 95), b);  // same bytes every time
  if (!qvHaveTool("convert")) GTEST_SKIP() << "ImageMagick not installed";
  std::string dir = agtTempDir("jpg");
  ASSERT_TRUE(agtWrite(dir + "/a.jpg", b));
  std::string got = magickRaw(dir + "/a.jpg", "rgb"), want = rgbBytes(im);
  ASSERT_EQ(got.size(), want.size());
  double err = 0;
  for (size_t i = 0; i < got.size(); i++) err += std::abs(int(uint8_t(got[i])) - int(uint8_t(want[i])));
  EXPECT_LT(err / double(got.size()), 6.0);
}

TEST(AgWinRes, BitmapAndIconIdentify) {
  if (!qvHaveTool("identify")) GTEST_SKIP() << "ImageMagick not installed";
  std::string dir = agtTempDir("res");
  AgIndexed ix = testIndexed(320, 200, 7);
  ASSERT_TRUE(agtWrite(dir + "/a.bmp", agBmp8(ix)));
  EXPECT_EQ(agtRun("identify -format '%wx%h %z %k\n' '" + dir + "/a.bmp'"), "320x200 8 256\n");
  EXPECT_EQ(magickRaw(dir + "/a.bmp", "gray"), std::string(ix.idx.px.begin(), ix.idx.px.end()));
  AgIconImage a{testIndexed(32, 32, 8), AgGray(32, 32, 255), 4}, c{testIndexed(32, 32, 9), AgGray(32, 32, 255), 8};
  for (uint8_t& v : a.pic.idx.px) v &= 15;
  ASSERT_TRUE(agtWrite(dir + "/a.ico", agIco({a, c})));
  EXPECT_EQ(agtRun("identify -format '%wx%h\n' '" + dir + "/a.ico'"), "32x32\n32x32\n");
}

// ---- FLC ----
namespace {
struct FlcChunkInfo {
  int32_t frame;
  uint16_t type;
};
std::vector<FlcChunkInfo> flcChunks(const AgBytes& f, int32_t* frames) {
  std::vector<FlcChunkInfo> out;
  auto r16 = [&](size_t p) { return uint32_t(qvLe16(&f[p])); };
  auto r32 = [&](size_t p) { return qvLe32(&f[p]); };
  *frames = int32_t(r16(6));
  size_t pos = 128;
  for (int32_t i = 0; pos + 16 <= f.size(); i++) {
    uint32_t size = r32(pos);
    EXPECT_EQ(r16(pos + 4), 0xF1FAu);
    size_t c = pos + 16;
    for (uint32_t k = 0; k < r16(pos + 6); k++) {
      out.push_back({i, uint16_t(r16(c + 4))});
      c += r32(c);
    }
    EXPECT_EQ(c, pos + size);  // chunk sizes add up to the frame size
    pos += size;
  }
  EXPECT_EQ(pos, f.size());
  return out;
}
}  // namespace

TEST(AgFlc, FramesDecodeExactlyInFfmpeg) {
  if (!qvHaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg not installed";
  const int32_t W = 64, H = 40, N = 12;
  std::array<uint8_t, 768> pal{};
  for (int32_t i = 0; i < 256; i++) {
    pal[i * 3] = uint8_t(i & 0xFC);
    pal[i * 3 + 1] = uint8_t((255 - i) & 0xFC);
    pal[i * 3 + 2] = uint8_t((i * 7) & 0xFC);
  }
  AgFlcWriter w;
  agFlcBegin(w, W, H, 50);
  std::vector<uint8_t> px(size_t(W) * H);
  std::string want;
  std::array<uint8_t, 768> seen = pal;  // the palette as ffmpeg shows it
  AgRng rng(10);
  for (int32_t f = 0; f < N; f++) {
    if (f == 0)
      for (size_t i = 0; i < px.size(); i++) px[i] = uint8_t(i % 7 == 0 ? rng.next() : i / 64);
    else {
      for (int32_t k = 0; k < 40; k++) px[rng.next() % px.size()] = uint8_t(rng.next());  // scattered pixels
      int32_t y = int32_t(rng.next() % H);
      std::memset(&px[size_t(y) * W + 10], f * 9, 30);  // a run
      if (f == 6)
        for (int32_t i = 0; i < 768; i++) pal[i] = uint8_t((pal[i] + 64) & 0xFC);  // palette change
    }
    agFlcFrame(w, px.data(), pal, f % 2 ? AG_FLC_DELTA_BYTE : AG_FLC_DELTA_WORD,
               f == 0   ? AG_FLC_PAL_256
               : f == 6 ? AG_FLC_PAL_64
                        : AG_FLC_PAL_NONE);
    // ffmpeg widens 6-bit components as v << 2 | v >> 4 (63 -> 255); the engine's player uses v << 2.
    if (f == 6)
      for (int32_t i = 0; i < 768; i++) seen[i] = uint8_t(pal[i] | pal[i] >> 6);
    for (uint8_t v : px) {
      want += char(seen[v * 3]);
      want += char(seen[v * 3 + 1]);
      want += char(seen[v * 3 + 2]);
    }
  }
  AgBytes file = agFlcFinish(w);
  int32_t frames = 0;
  std::vector<FlcChunkInfo> chunks = flcChunks(file, &frames);
  EXPECT_EQ(frames, N);
  std::string dir = agtTempDir("flc");
  ASSERT_TRUE(agtWrite(dir + "/a.flc", file));
  std::string got = agtRun("ffmpeg -v error -i '" + dir + "/a.flc' -f rawvideo -pix_fmt rgb24 - 2>/dev/null");
  ASSERT_EQ(got.size(), want.size());
  size_t diff = 0;
  while (diff < got.size() && got[diff] == want[diff]) diff++;
  EXPECT_EQ(diff, got.size()) << "first difference in frame " << diff / (W * H * 3) << " at pixel "
                              << (diff % (W * H * 3)) / 3;
}

TEST(AgFlc, ByteRunAndDeltasOnKnownRows) {
  // One row of 8: a run of 5 then 3 literals.
  const uint8_t row[8] = {4, 4, 4, 4, 4, 1, 2, 3};
  EXPECT_EQ(agFlcBrun(row, 8, 1), (AgBytes{2, 5, 4, uint8_t(-3), 1, 2, 3}));
  // Byte delta: line 1 of 2 changes at x 2..3.
  const uint8_t a[8] = {0, 0, 0, 0, 0, 0, 0, 0}, b[8] = {0, 0, 0, 0, 0, 0, 7, 8};
  EXPECT_EQ(agFlcDeltaByte(a, b, 4, 2), (AgBytes{1, 0, 1, 0, 1, 2, 2, 7, 8}));
  // Word delta: line 0 unchanged is skipped with -1, then one packet copying one pair.
  EXPECT_EQ(agFlcDeltaWord(a, b, 4, 2), (AgBytes{1, 0, 0xFF, 0xFF, 1, 0, 2, 1, 7, 8}));
  // Nothing changed: no lines.
  EXPECT_EQ(agFlcDeltaByte(a, a, 4, 2), (AgBytes{0, 0, 0, 0}));
  // 64-level palette stores components shifted right by 2.
  std::array<uint8_t, 768> pal{};
  pal[3] = 252;
  AgBytes p = agFlcPalette(pal, true);
  EXPECT_EQ(p[0], 1);
  EXPECT_EQ(p[3], 0);
  EXPECT_EQ(p[4 + 3], 63);
}

// ---- archive ----
TEST(AgZip, EntriesReadBackCaseInsensitivelyAndRepeatably) {
  std::string dir = agtTempDir("zip");
  std::vector<AgEntry> e = {{"TEXTURES/A.TGA", AgBytes(3000, 7)}, {"b.txt", AgBytes{'h', 'i'}}, {"empty", {}}};
  ASSERT_TRUE(agZipWrite(dir + "/a.zip", e));
  ASSERT_TRUE(agZipWrite(dir + "/b.zip", e));
  EXPECT_EQ(qvReadFile(dir + "/a.zip"), qvReadFile(dir + "/b.zip"));
  unzFile z = unzOpen((dir + "/a.zip").c_str());
  ASSERT_TRUE(z);
  ASSERT_EQ(unzLocateFile(z, "textures/a.tga", 2), UNZ_OK);
  char buf[4000];
  ASSERT_EQ(unzOpenCurrentFile(z), UNZ_OK);
  EXPECT_EQ(unzReadCurrentFile(z, buf, sizeof buf), 3000);
  EXPECT_EQ(unzCloseCurrentFile(z), UNZ_OK);  // CRC-32 checked here
  EXPECT_EQ(buf[2999], 7);
  ASSERT_EQ(unzLocateFile(z, "EMPTY", 2), UNZ_OK);
  EXPECT_EQ(unzLocateFile(z, "missing", 2), UNZ_END_OF_LIST_OF_FILE);
  unzClose(z);
  EXPECT_FALSE(agZipWrite("/nonexistent-dir/x.zip", e));
}
