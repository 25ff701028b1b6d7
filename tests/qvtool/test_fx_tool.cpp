// qvtool flc and qvtool fx: exit codes, frames written as PNG, effect pictures.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "qvtool/qvtool.h"

namespace {

namespace fs = std::filesystem;

int run(int (*cmd)(int, char**), std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  return cmd((int)args.size(), argv.data());
}

// RGB24 of a PNG file (8-bit RGB only); empty when unreadable.
std::vector<uint8_t> readPng(const std::string& path, int& w, int& h) {
  std::vector<uint8_t> rgb;
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) return rgb;
  img.format = PNG_FORMAT_RGB;
  rgb.resize(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, rgb.data(), 0, nullptr)) rgb.clear();
  w = (int)img.width, h = (int)img.height;
  return rgb;
}

fs::path scratchDir(const char* name) {
  const fs::path dir = fs::path(QV_BINARY_DIR) / "test_fx_tool" / name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

TEST(QvtoolFlc, UsageAndBadFiles) {
  EXPECT_EQ(run(qvCmdFlc, {"flc"}), 2);
  EXPECT_EQ(run(qvCmdFlc, {"flc", "a.flc", "b.flc"}), 2);
  EXPECT_EQ(run(qvCmdFlc, {"flc", "--bogus"}), 2);
  EXPECT_EQ(run(qvCmdFlc, {"flc", "/nonexistent/file.flc"}), 1);
  const fs::path dir = scratchDir("bad");
  FILE* f = std::fopen((dir / "short.flc").c_str(), "wb");
  std::fputs("not an animation", f);
  std::fclose(f);
  EXPECT_EQ(run(qvCmdFlc, {"flc", (dir / "short.flc").string()}), 1);
}

TEST(QvtoolFlc, WritesEveryFrameThroughItsPalette) {
  QV_REQUIRE_CORPUS();
  const fs::path dir = scratchDir("frames");
  const std::string file = qvCorpusDir() + "/flc/2422.flc";
  ASSERT_EQ(run(qvCmdFlc, {"flc", file, "-o", dir.string()}), 0);
  // 27 frames plus the ring frame; the prefix block is no frame.
  int count = 0;
  for (const auto& e : fs::directory_iterator(dir)) count += e.path().extension() == ".png";
  EXPECT_EQ(count, 28);
  int w = 0, h = 0;
  const std::vector<uint8_t> rgb = readPng((dir / "frame0005.png").string(), w, h);
  ASSERT_EQ(w, 320);
  ASSERT_EQ(h, 200);
  // Frame 5 as the reference decoder recorded it (row "5<TAB>192000<TAB>hash").
  const std::string table = qvReadFile(qvCorpusDir() + "/flc/frames/2422.flc.framehash.tsv");
  const size_t row = table.find("\n5\t192000\t");
  ASSERT_NE(row, std::string::npos);
  EXPECT_EQ(qvSha256(rgb.data(), rgb.size()), table.substr(row + 10, 64));
}

}  // namespace
