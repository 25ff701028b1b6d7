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

namespace {

TEST(QvtoolFx, UsageErrors) {
  const std::string out = (scratchDir("usage") / "x.png").string();
  EXPECT_EQ(run(qvCmdFx, {"fx"}), 2);
  EXPECT_EQ(run(qvCmdFx, {"fx", "donut", "-o", out}), 2);
  EXPECT_EQ(run(qvCmdFx, {"fx", "tunnel"}), 2);                          // no -o
  EXPECT_EQ(run(qvCmdFx, {"fx", "tunnel", "-o"}), 2);                    // -o without value
  EXPECT_EQ(run(qvCmdFx, {"fx", "tunnel", "-p", "1,2", "-o", out}), 2);  // three values needed
  EXPECT_EQ(run(qvCmdFx, {"fx", "tunnel", "-p", "1,2,nan", "-o", out}), 2);
  EXPECT_EQ(run(qvCmdFx, {"fx", "planes", "-s", "320x0", "-o", out}), 2);
  EXPECT_EQ(run(qvCmdFx, {"fx", "planes", "-r", "-5", "-o", out}), 2);
  EXPECT_EQ(run(qvCmdFx, {"fx", "warp", "-R", "320,140,10,30", "-o", out}), 2);  // past the right edge
  EXPECT_EQ(run(qvCmdFx, {"fx", "sphere", "--what", "1", "-o", out}), 2);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(run(qvCmdFx, {"fx", "tunnel", "-t", "/nonexistent.png", "-o", out}), 1);
  EXPECT_EQ(run(qvCmdFx, {"fx", "tunnel", "-o", "/nonexistent/dir/x.png"}), 1);
}

TEST(QvtoolFx, RendersEveryEffect) {
  const fs::path dir = scratchDir("effects");
  struct Case {
    std::vector<std::string> args;
    int w, h;
  } cases[] = {
      {{"tunnel", "-p", "0,0,3", "-a", "0,0,0.3"}, 320, 200},
      {{"planes", "-s", "160x100", "-p", "0,0,10"}, 160, 100},
      {{"sphere", "-p", "1,1,1", "-a", "0.5,0,0.5", "-r", "600"}, 320, 200},
      {{"rotozoom", "-z", "100", "-A", "1", "-s", "190x200"}, 190, 200},
      {{"warp", "-w", "160000,20000,-20000,160000", "-R", "320,140,0,30"}, 320, 200},
  };
  for (const Case& c : cases) {
    const std::string out = (dir / (c.args[0] + ".png")).string();
    std::vector<std::string> args = {"fx"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back("-o"), args.push_back(out);
    ASSERT_EQ(run(qvCmdFx, args), 0) << c.args[0];
    int w = 0, h = 0;
    const std::vector<uint8_t> rgb = readPng(out, w, h);
    EXPECT_EQ(w, c.w) << c.args[0];
    EXPECT_EQ(h, c.h) << c.args[0];
    int lit = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) lit += (rgb[i] | rgb[i + 1] | rgb[i + 2]) != 0;
    EXPECT_GT(lit, w * h / 2) << c.args[0];
  }
}

TEST(QvtoolFx, UsesTheGivenTexture) {
  const fs::path dir = scratchDir("texture");
  // A 256x256 texture whose texel (row, column) is (row, column, 7).
  std::vector<uint8_t> tex(256 * 256 * 3);
  for (int i = 0; i < 65536; i++) tex[i * 3] = (uint8_t)(i >> 8), tex[i * 3 + 1] = (uint8_t)i, tex[i * 3 + 2] = 7;
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = img.height = 256;
  img.format = PNG_FORMAT_RGB;
  ASSERT_TRUE(png_image_write_to_file(&img, (dir / "tex.png").c_str(), 0, tex.data(), 0, nullptr));
  const std::string out = (dir / "roto.png").string();
  ASSERT_EQ(run(qvCmdFx, {"fx", "rotozoom", "-t", (dir / "tex.png").string(), "-o", out}), 0);
  int w = 0, h = 0;
  const std::vector<uint8_t> rgb = readPng(out, w, h);
  ASSERT_EQ(w, 320);
  // Zoom 256, angle 0: row 0 is texture row 160, one texel per pixel.
  for (int c = 0; c < 256; c++) {
    ASSERT_EQ(rgb[c * 3], 160) << c;
    ASSERT_EQ(rgb[c * 3 + 1], c) << c;
    ASSERT_EQ(rgb[c * 3 + 2], 7) << c;
  }
  // Textures of another size are refused.
  std::vector<uint8_t> small(16 * 16 * 3, 1);
  img.width = img.height = 16;
  ASSERT_TRUE(png_image_write_to_file(&img, (dir / "small.png").c_str(), 0, small.data(), 0, nullptr));
  EXPECT_EQ(run(qvCmdFx, {"fx", "tunnel", "-t", (dir / "small.png").string(), "-o", out}), 1);
}

// Uncompressed 24-bit TGA of RGB24 pixels, stored bottom row first as the engine reads it.
void writeTga(const fs::path& path, const std::vector<uint8_t>& rgb, int w, int h) {
  uint8_t head[18] = {0,  0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, (uint8_t)w, (uint8_t)(w >> 8), (uint8_t)h, (uint8_t)(h >> 8),
                      24, 0};
  std::vector<uint8_t> bytes(head, head + 18);
  for (int y = h - 1; y >= 0; y--)
    for (int x = 0; x < w; x++) {
      const uint8_t* p = &rgb[((size_t)y * w + x) * 3];
      bytes.insert(bytes.end(), {p[2], p[1], p[0]});
    }
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

TEST(QvtoolFx, TakesAnyPictureTheEngineReadsAsTexture) {
  const fs::path dir = scratchDir("tga");
  // Every texel differs from its neighbours, so a misplaced or swapped channel shows.
  std::vector<uint8_t> tex(256 * 256 * 3);
  for (int i = 0; i < 65536; i++)
    tex[i * 3] = (uint8_t)(i >> 8), tex[i * 3 + 1] = (uint8_t)(i * 7), tex[i * 3 + 2] = (uint8_t)(i >> 3);
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  img.width = img.height = 256;
  img.format = PNG_FORMAT_RGB;
  ASSERT_TRUE(png_image_write_to_file(&img, (dir / "tex.png").c_str(), 0, tex.data(), 0, nullptr));
  writeTga(dir / "tex.tga", tex, 256, 256);
  writeTga(dir / "tex.bin", tex, 256, 256);  // recognised by content, whatever the name
  for (const char* effect : {"rotozoom", "tunnel", "warp"}) {
    const std::string fromPng = (dir / (std::string(effect) + "_png.png")).string();
    ASSERT_EQ(run(qvCmdFx, {"fx", effect, "-t", (dir / "tex.png").string(), "-o", fromPng}), 0) << effect;
    int w = 0, h = 0;
    const std::vector<uint8_t> want = readPng(fromPng, w, h);
    ASSERT_FALSE(want.empty()) << effect;
    for (const char* name : {"tex.tga", "tex.bin"}) {
      const std::string out = (dir / (std::string(effect) + "_" + name + ".png")).string();
      ASSERT_EQ(run(qvCmdFx, {"fx", effect, "-t", (dir / name).string(), "-o", out}), 0) << effect << " " << name;
      EXPECT_EQ(readPng(out, w, h), want) << effect << " " << name;
    }
  }
  // Another size is refused with the size named; a missing file is a failure too.
  writeTga(dir / "small.tga", std::vector<uint8_t>(64 * 32 * 3, 9), 64, 32);
  const std::string out = (dir / "x.png").string();
  testing::internal::CaptureStderr();
  EXPECT_EQ(run(qvCmdFx, {"fx", "tunnel", "-t", (dir / "small.tga").string(), "-o", out}), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("is 64x32, not 256x256"), std::string::npos);
  EXPECT_EQ(run(qvCmdFx, {"fx", "tunnel", "-t", (dir / "missing.tga").string(), "-o", out}), 1);
  EXPECT_FALSE(fs::exists(out));
}

TEST(QvtoolFxDeathTest, TextureOfNoKnownKindEndsWithTheEnginesMessage) {
  const fs::path dir = scratchDir("junk");
  FILE* f = std::fopen((dir / "junk.dat").c_str(), "wb");
  std::fputs("plain text, nothing a picture starts with", f);
  std::fclose(f);
  const std::string out = (dir / "x.png").string();
  EXPECT_EXIT(run(qvCmdFx, {"fx", "tunnel", "-t", (dir / "junk.dat").string(), "-o", out}), testing::ExitedWithCode(1),
              "XERR: Error: xImageLoad\\( xFile \\*, xImage &\\): unrecognized file type");
}

}  // namespace
