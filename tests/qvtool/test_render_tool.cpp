// qvtool render: usage, failures, and frames of the shipped scenes as PNG.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "qvtool/qvtool.h"

namespace {

int RunRender(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  testing::internal::CaptureStdout();
  int rc = qvCmdRender(static_cast<int>(args.size()), argv.data());
  testing::internal::GetCapturedStdout();
  return rc;
}

std::string Archive() { return std::string(QV_BINARY_DIR) + "/quorvane.kvo"; }

TEST(QvtoolRender, Usage) {
  EXPECT_EQ(RunRender({"render"}), 2);
  EXPECT_EQ(RunRender({"render", "scene_1.x3d"}), 2);  // no -o
  EXPECT_EQ(RunRender({"render", "scene_1.x3d", "-o"}), 2);
  EXPECT_EQ(RunRender({"render", "s.x3d", "--frame", "abc", "-o", "x.png"}), 2);
  EXPECT_EQ(RunRender({"render", "s.x3d", "--bogus", "-o", "x.png"}), 2);
  EXPECT_EQ(RunRender({"render", "a.x3d", "b.x3d", "-o", "x.png"}), 2);
}

TEST(QvtoolRender, MissingArchiveFails) {
  EXPECT_EQ(RunRender({"render", "scene_1.x3d", "--archive", "/nonexistent.kvo", "-o", "/tmp/x.png"}), 1);
}

TEST(QvtoolRender, MissingScriptIsFatal) {
  struct stat st;
  if (stat(Archive().c_str(), &st) != 0) GTEST_SKIP() << "archive not built: " << Archive();
  EXPECT_EXIT(RunRender({"render", "no_such.x3d", "--archive", Archive(), "-o", "/tmp/x.png"}),
              ::testing::ExitedWithCode(1), "XERR");
}

TEST(QvtoolRender, ShippedScenesRender) {
  struct stat st;
  if (stat(Archive().c_str(), &st) != 0) GTEST_SKIP() << "archive not built: " << Archive();
  const std::string dir = std::string(QV_BINARY_DIR) + "/test_render_tool";
  mkdir(dir.c_str(), 0755);
  for (const char* name : {"scene_1.x3d", "scene_3.x3d", "scene_14.x3d"}) {
    const std::string out = dir + "/" + name + ".png";
    std::remove(out.c_str());
    ASSERT_EQ(RunRender({"render", name, "--archive", Archive(), "--frame", "30", "-o", out}), 0) << name;
    png_image img;
    std::memset(&img, 0, sizeof(img));
    img.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&img, out.c_str())) << out;
    img.format = PNG_FORMAT_RGB;
    EXPECT_EQ(img.width, 320u);
    EXPECT_EQ(img.height, 200u);
    std::vector<uint8_t> px(PNG_IMAGE_SIZE(img));
    ASSERT_TRUE(png_image_finish_read(&img, nullptr, px.data(), 0, nullptr));
    int lit = 0;
    for (size_t i = 0; i < px.size(); i += 3) lit += px[i] || px[i + 1] || px[i + 2];
    EXPECT_GT(lit, 1000) << name << ": the frame is nearly empty";
  }
  // The same frame twice gives the same picture.
  const std::string a = dir + "/a.png", b = dir + "/b.png";
  ASSERT_EQ(RunRender({"render", "scene_13.x3d", "--archive", Archive(), "--frame", "12.5", "-o", a}), 0);
  ASSERT_EQ(RunRender({"render", "scene_13.x3d", "--archive", Archive(), "--frame", "12.5", "-o", b}), 0);
  EXPECT_EQ(qvReadFile(a), qvReadFile(b));
}

}  // namespace
