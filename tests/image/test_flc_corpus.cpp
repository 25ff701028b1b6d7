// FLC player on real Animator-family files: every frame against ffmpeg's per-frame hashes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "image/xflc.h"

namespace {

struct CorpusFlc {
  const char* file;
  int frames;    // frames in the file, ring frame included (= ffmpeg's row count)
  bool widen64;  // a 64-level palette: ffmpeg widens v as (v << 2) | (v >> 4)
};

// Every file whose chunks the player supports, or whose other chunks it skips.
const CorpusFlc corpusFiles[] = {
    {"2422.flc", 28, false},                                 // prefix block before frame 1, postage stamp skipped
    {"SUN.CEL", 11, true},                                   // 64-level palette inside an FLC, byte runs, word deltas
    {"APWCOL.CEL", 2, false},                                // odd width 161
    {"CLIPTEXT.CEL", 2, false},                              // odd width 321
    {"LOGO.CEL", 2, false},     {"S-BULLET.CEL", 2, false},  // its short copy chunk is skipped here and by ffmpeg
    {"ANN2.FLI", 20, true},                                  // FLI: 64-level palette, byte deltas
    {"a.fli", 385, true},                                    // many empty frames
};

std::vector<std::string> frameHashes(const std::string& path) {
  std::vector<std::string> rows;
  std::istringstream in(qvReadFile(path));
  std::string line;
  std::getline(in, line);  // column names
  while (std::getline(in, line)) {
    std::istringstream f(line);
    std::string index, bytes, hash;
    f >> index >> bytes >> hash;
    rows.push_back(hash);
  }
  return rows;
}

// Decodes blocks until one is a frame; false when the data ends first.
bool nextFrame() {
  for (int guard = 0; guard < 1000; guard++) {
    if (xFlcState.cursor >= xFlcState.frameBytes) return false;
    xFlcFrameHeader fh;
    xFlcReadFrameHeader(&fh);
    if (xFlcDecodeFrame(&fh)) return true;
  }
  return false;
}

std::string rgbHash(bool widen64) {
  const int n = xFlcState.width * xFlcState.height;
  std::vector<uint8_t> rgb(n * 3);
  for (int i = 0; i < n; i++)
    for (int c = 0; c < 3; c++) {
      const uint8_t v = xFlcState.palette[xFlcState.pixels[i] * 3 + c];
      rgb[i * 3 + c] = widen64 ? (uint8_t)(v | (v >> 6)) : v;
    }
  return qvSha256(rgb.data(), rgb.size());
}

TEST(FlcCorpus, FramesMatchReferenceDecoder) {
  QV_REQUIRE_CORPUS();
  const std::string dir = qvCorpusDir() + "/flc/";
  for (const CorpusFlc& c : corpusFiles) {
    SCOPED_TRACE(c.file);
    const std::string data = qvReadFile(dir + c.file);
    ASSERT_FALSE(data.empty());
    const std::vector<std::string> hashes = frameHashes(dir + "frames/" + c.file + ".framehash.tsv");
    ASSERT_EQ((int)hashes.size(), c.frames);
    xFlc anim;
    ASSERT_EQ(xFlcLoad((const uint8_t*)data.data(), (int32_t)data.size(), &anim), XFLC_OK);
    xFlcSelect(&anim);
    EXPECT_EQ(xFlcState.frameCount + 1, c.frames);
    for (int i = 0; i < c.frames; i++) {
      ASSERT_TRUE(nextFrame()) << "frame " << i;
      ASSERT_EQ(rgbHash(c.widen64), hashes[i]) << "frame " << i;
    }
    EXPECT_FALSE(nextFrame());  // nothing after the ring frame
    xFlcFree(&anim);
  }
}

TEST(FlcCorpus, BrokenFiles) {
  QV_REQUIRE_CORPUS();
  const std::string dir = qvCorpusDir() + "/flc/";
  // A 0x0 stub whose size field is 0.
  std::string data = qvReadFile(dir + "TEST.CEL");
  ASSERT_EQ(data.size(), 200u);
  xFlc anim;
  EXPECT_EQ(xFlcLoad((const uint8_t*)data.data(), (int32_t)data.size(), &anim), XFLC_ERR_SIZE);
  EXPECT_EQ(anim.frames, nullptr);
  // One byte shorter than its header says: the frame decodes from the bytes there are.
  data = qvReadFile(dir + "hopper.fli");
  ASSERT_EQ(data.size(), 16909u);
  ASSERT_EQ(xFlcLoad((const uint8_t*)data.data(), (int32_t)data.size(), &anim), XFLC_OK);
  EXPECT_EQ(anim.frameBytes, 16909 - 128);
  xFlcSelect(&anim);
  ASSERT_TRUE(nextFrame());
  int nonZero = 0;
  for (int i = 0; i < 128 * 128; i++) nonZero += anim.pixels[i] != 0;
  EXPECT_GT(nonZero, 128 * 120);
  EXPECT_FALSE(nextFrame());
  xFlcFree(&anim);
}

}  // namespace
