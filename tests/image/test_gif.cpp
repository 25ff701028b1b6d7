// GIF streams built here to reach every branch of the LZW decoder.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "image_test_util.h"

namespace {

// A plain LZW encoder for code size 8 whose code widths follow the decoder's rule.
// With clearWhenFull false it stops adding entries at 4,096 and goes on at width 12.
struct LzwResult {
  std::vector<int> codes;
  std::vector<int> widths;
  int codesEqualToNextFree = 0;
};

LzwResult lzwEncode(const std::vector<uint8_t>& data, bool clearWhenFull, int clearEvery = 0) {
  LzwResult r;
  std::map<std::pair<int, int>, int> dict;
  int width = 9, decoderNext = 258, encoderNext = 258;
  bool firstAfterClear = true;
  auto emit = [&](int code) {
    r.codes.push_back(code);
    r.widths.push_back(width);
    if (code == 256) {
      width = 9, decoderNext = 258, firstAfterClear = true;
      return;
    }
    if (!firstAfterClear && decoderNext < 4096) {
      if (code == decoderNext) r.codesEqualToNextFree++;
      decoderNext++;
      if (width < 12 && decoderNext == (1 << width)) width++;
    }
    firstAfterClear = false;
  };
  emit(256);
  if (data.empty()) {
    emit(257);
    return r;
  }
  int w = data[0];
  size_t sinceClear = 0;
  for (size_t i = 1; i < data.size(); i++) {
    auto it = dict.find({w, data[i]});
    if (it != dict.end()) {
      w = it->second;
      continue;
    }
    emit(w);
    if (encoderNext < 4096) dict[{w, data[i]}] = encoderNext++;
    sinceClear++;
    if ((clearWhenFull && encoderNext == 4096) || (clearEvery && sinceClear == (size_t)clearEvery)) {
      emit(256);
      dict.clear();
      encoderNext = 258;
      sinceClear = 0;
    }
    w = data[i];
  }
  emit(w);
  emit(257);
  return r;
}

std::vector<uint8_t> packBits(const LzwResult& r) {
  std::vector<uint8_t> out;
  uint32_t acc = 0;
  int n = 0;
  for (size_t i = 0; i < r.codes.size(); i++) {
    acc |= (uint32_t)r.codes[i] << n;
    n += r.widths[i];
    while (n >= 8) {
      out.push_back((uint8_t)acc);
      acc >>= 8;
      n -= 8;
    }
  }
  if (n) out.push_back((uint8_t)acc);
  return out;
}

struct GifLayout {
  int width = 16, height = 4;
  bool interlaced = false;
  bool localTable = false;
  int blockSize = 255;  // bytes per data sub-block
  int codeSize = 8;
  bool extensions = true;
};

std::string buildGif(const GifLayout& s, const std::vector<uint8_t>& lzwBytes) {
  std::string g = "GIF89a";
  auto u16 = [&](int v) {
    g += (char)(v & 0xFF);
    g += (char)(v >> 8);
  };
  u16(s.width);
  u16(s.height);
  g += (char)(s.localTable ? 0x00 : 0xF7);  // global table of 256 entries
  g += '\0';
  g += '\0';
  auto table = [&](int salt) {
    for (int i = 0; i < 256; i++) {
      g += (char)(i ^ salt);
      g += (char)(255 - i);
      g += (char)(i * 7);
    }
  };
  if (!s.localTable) table(0);
  if (s.extensions) {
    g += "\x21\xF9\x04\x01\x00\x00\x00";  // graphic control
    g += '\0';
    g += "\x21\xFE\x05"
         "hello"
         "\x03"
         "abc";  // comment in two sub-blocks
    g += '\0';
  }
  g += '\x2C';
  u16(0);
  u16(0);
  u16(s.width);
  u16(s.height);
  g += (char)((s.interlaced ? 0x40 : 0) | (s.localTable ? 0x87 : 0));
  if (s.localTable) table(0x55);
  g += (char)s.codeSize;
  for (size_t at = 0; at < lzwBytes.size(); at += s.blockSize) {
    size_t n = std::min(lzwBytes.size() - at, (size_t)s.blockSize);
    g += (char)n;
    g.append((const char*)lzwBytes.data() + at, n);
  }
  g += '\0';
  g += ';';
  return g;
}

xImage decodeGif(const std::string& bytes, const char* name = "test.gif") {
  TestRecord rec(bytes, name);
  xImage img = {0, 0, 0, nullptr, nullptr};
  xGifLoad(&rec.fd, img);
  return img;
}

void expectPixels(const xImage& img, const std::vector<uint8_t>& want) {
  ASSERT_EQ((size_t)img.width * img.height, want.size());
  ASSERT_EQ(img.format, XIMAGE_INDEXED8);
  EXPECT_EQ(0, std::memcmp(img.pixels, want.data(), want.size()));
}

// Decodes the GIF that layout s makes around the code stream r and checks its pixels.
void expectDecodes(const GifLayout& s, const LzwResult& r, const std::vector<uint8_t>& want) {
  xImage img = decodeGif(buildGif(s, packBits(r)));
  expectPixels(img, want);
  freeImage(img);
}

TEST(GifDecoder, CodeEqualToTheNextFreeCode) {
  std::vector<uint8_t> data(64, 'a');  // a, aa, aaa...: each new string repeats its first byte
  data[40] = 'b';
  LzwResult r = lzwEncode(data, true);
  ASSERT_GT(r.codesEqualToNextFree, 3);
  GifLayout s;
  xImage img = decodeGif(buildGif(s, packBits(r)));
  expectPixels(img, data);
  EXPECT_EQ(img.palette[3 * 'a' + 1], 255 - 'a');
  freeImage(img);
}

TEST(GifDecoder, WidthGrowsToTwelveAndStaysUntilAClear) {
  std::mt19937 rng(3);
  std::vector<uint8_t> data(256 * 160);
  for (auto& b : data) b = (uint8_t)(rng() % 7 + (rng() % 5 == 0 ? rng() : 0));
  GifLayout s;
  s.width = 256;
  s.height = 160;
  for (bool clearWhenFull : {false, true}) {
    SCOPED_TRACE(clearWhenFull ? "clear when full" : "deferred clear");
    LzwResult r = lzwEncode(data, clearWhenFull);
    // Widths seen: 9, 10, 11 and 12, with a long stretch at 12 once the table is full.
    int longestAt12 = 0, run = 0;
    std::set<int> widths(r.widths.begin(), r.widths.end());
    for (int w : r.widths) longestAt12 = std::max(longestAt12, run = (w == 12 ? run + 1 : 0));
    EXPECT_EQ(widths, (std::set<int>{9, 10, 11, 12}));
    // Full table: 2,048 codes at 12 bits before the clear, many more without one.
    EXPECT_GE(longestAt12, clearWhenFull ? 2000 : 3000) << longestAt12;
    expectDecodes(s, r, data);
  }
  // Clears at irregular points reset the width to 9 each time.
  expectDecodes(s, lzwEncode(data, false, 700), data);
}

TEST(GifDecoder, CodesStraddlingSubBlocks) {
  std::mt19937 rng(5);
  std::vector<uint8_t> data(40 * 30);
  for (auto& b : data) b = (uint8_t)(rng() % 40);
  LzwResult r = lzwEncode(data, true);
  for (int blockSize : {1, 2, 3, 7, 254}) {
    SCOPED_TRACE(blockSize);
    GifLayout s;
    s.width = 40;
    s.height = 30;
    s.blockSize = blockSize;  // 9- to 12-bit codes cross every kind of boundary
    expectDecodes(s, r, data);
  }
}

TEST(GifDecoder, InterlacedRowsStayInStreamOrderAndLocalTablesReplace) {
  std::vector<uint8_t> data(16 * 9);
  for (size_t i = 0; i < data.size(); i++) data[i] = (uint8_t)(i / 16);  // row number
  GifLayout s;
  s.height = 9;
  s.interlaced = true;
  s.localTable = true;
  xImage img = decodeGif(buildGif(s, packBits(lzwEncode(data, true))));
  expectPixels(img, data);
  EXPECT_EQ(img.palette[0], 0x55);  // local table entry 0: red 0 ^ 0x55
  freeImage(img);
}

TEST(GifDecoder, ShortStreamLeavesTheRestBlack) {
  std::vector<uint8_t> data(10, 9);
  GifLayout s;  // 16 x 4 = 64 pixels, only 10 in the stream
  xImage img = decodeGif(buildGif(s, packBits(lzwEncode(data, true))));
  std::vector<uint8_t> want(64, 0);
  std::fill(want.begin(), want.begin() + 10, 9);
  expectPixels(img, want);
  freeImage(img);
}

// Malformed and unsupported streams: the exact message, status 1, nothing else touched.
TEST(GifDecoderDeath, RefusedStreams) {
  GifLayout s;
  std::vector<uint8_t> fits(64, 1), tooLong(65, 1);
  auto load = [](const std::string& bytes) { decodeGif(bytes, "bad.gif"); };
  EXPECT_EXIT(load(buildGif(s, packBits(lzwEncode(tooLong, true)))), ::testing::ExitedWithCode(1),
              "XERR: Error: xGifLoad:: corrupt image data -> bad.gif\n");
  // Clear, a literal, then 300 while the next free code is 258.
  LzwResult undefinedCode;
  undefinedCode.codes = {256, 65, 300, 257};
  undefinedCode.widths = {9, 9, 9, 9};
  EXPECT_EXIT(load(buildGif(s, packBits(undefinedCode))), ::testing::ExitedWithCode(1),
              "XERR: Error: xGifLoad:: corrupt image data -> bad.gif\n");
  // A non-literal right after a clear.
  undefinedCode.codes = {256, 258, 257};
  EXPECT_EXIT(load(buildGif(s, packBits(undefinedCode))), ::testing::ExitedWithCode(1),
              "xGifLoad:: corrupt image data -> bad.gif\n");
  std::string good = buildGif(s, packBits(lzwEncode(fits, true)));
  EXPECT_EXIT(load(good.substr(0, good.size() - 5)), ::testing::ExitedWithCode(1),
              "XERR: Error: xGifLoad:: file read error -> bad.gif\n");
  EXPECT_EXIT(load(good.substr(0, 700)), ::testing::ExitedWithCode(1), "xGifLoad:: file read error -> bad.gif\n");
  EXPECT_EXIT(load(good.substr(0, 10)), ::testing::ExitedWithCode(1), "xGifLoad:: file read error -> bad.gif\n");
  s.codeSize = 4;
  EXPECT_EXIT(load(buildGif(s, packBits(lzwEncode(fits, true)))), ::testing::ExitedWithCode(1),
              "XERR: Error: xGifLoad::unsupported format -> bad.gif\n");
  std::string trailerFirst = good.substr(0, 13) + ";";
  trailerFirst[10] = 0;  // no global table
  EXPECT_EXIT(load(trailerFirst), ::testing::ExitedWithCode(1), "XERR: Error: xGifLoad:: unknown error -> bad.gif \n");
  std::string version = good;
  version[4] = '8';
  EXPECT_EXIT(load(version), ::testing::ExitedWithCode(1), "XERR: Error: xGifLoad:: unsupported version -> bad.gif\n");
  version = good;
  version[1] = 'X';
  EXPECT_EXIT(load(version), ::testing::ExitedWithCode(1), "XERR: Error: xGifLoad:: not a GIF image file -> bad.gif\n");
  std::string noPath = ::testing::TempDir() + "qv_missing.gif";
  EXPECT_EXIT(xGifLoad(noPath.c_str(), *new xImage()), ::testing::ExitedWithCode(1),
              "mopen:: unable to open file -> .*qv_missing.gif\n");
}

}  // namespace
