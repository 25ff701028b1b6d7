// qvtool image and kvo, called as the command line would.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "file/xfile.h"
#include "qvtool/qvtool.h"

namespace {

int run(int (*cmd)(int, char**), std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  return cmd((int)argv.size(), argv.data());
}

void writeFile(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

TEST(QvtoolKvo, PackListExtractRoundTrip) {
  std::string root = ::testing::TempDir() + "qv_kvo_tool";
  std::system(("rm -rf '" + root + "'").c_str());
  mkdir(root.c_str(), 0777);
  mkdir((root + "/in").c_str(), 0777);
  mkdir((root + "/in/Textures").c_str(), 0777);
  writeFile(root + "/in/Textures/Texture4.TGA", std::string(3000, 'x') + "end");
  writeFile(root + "/in/scene_1.x3d", "scene script\n");
  std::string kvo = root + "/quorvane.kvo";
  ASSERT_EQ(run(qvCmdKvo, {"kvo", "pack", kvo, root + "/in"}), 0);
  ASSERT_EQ(run(qvCmdKvo, {"kvo", "list", kvo}), 0);
  // The engine's reader finds the entries without regard to case.
  xFile f(1);
  ASSERT_EQ(f.Open(kvo.c_str()), -103);
  xFileData fd = {nullptr, 0, nullptr};
  ASSERT_EQ(f.Read("TEXTURES/TEXTURE4.TGA", &fd), 0);
  EXPECT_STREQ(fd.name, "Textures/Texture4.TGA");
  EXPECT_EQ(fd.size, 3003);
  f.Free(&fd);
  ASSERT_EQ(run(qvCmdKvo, {"kvo", "extract", kvo, "-o", root + "/all"}), 0);
  EXPECT_EQ(qvReadFile(root + "/all/scene_1.x3d"), "scene script\n");
  EXPECT_EQ(qvReadFile(root + "/all/Textures/Texture4.TGA").size(), 3003u);
  ASSERT_EQ(run(qvCmdKvo, {"kvo", "extract", kvo, "scene_1.X3D", "-o", root + "/one"}), 0);
  EXPECT_EQ(qvReadFile(root + "/one/scene_1.x3d"), "scene script\n");
  EXPECT_EQ(run(qvCmdKvo, {"kvo", "extract", kvo, "missing.txt", "-o", root + "/one"}), 1);
  EXPECT_EQ(run(qvCmdKvo, {"kvo", "list"}), 2);
  EXPECT_EQ(run(qvCmdKvo, {"kvo", "shuffle", kvo}), 2);
  // A folder without files makes no archive (one without entries cannot be opened).
  mkdir((root + "/empty").c_str(), 0777);
  std::string none = root + "/none.kvo";
  testing::internal::CaptureStderr();
  EXPECT_EQ(run(qvCmdKvo, {"kvo", "pack", none, root + "/empty"}), 1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("no files in"), std::string::npos);
  struct stat st;
  EXPECT_NE(stat(none.c_str(), &st), 0);
}

// Each file that cannot be used is one line with the reason; extracting needs its folder named.
TEST(QvtoolKvo, FileErrorsAndTheExtractFolder) {
  std::string root = ::testing::TempDir() + "qv_kvo_errors";
  std::system(("rm -rf '" + root + "'").c_str());
  mkdir(root.c_str(), 0777);
  mkdir((root + "/in").c_str(), 0777);
  writeFile(root + "/in/a.txt", "a\n");
  writeFile(root + "/plain", "not an archive\n");
  std::string kvo = root + "/q.kvo";
  ASSERT_EQ(run(qvCmdKvo, {"kvo", "pack", kvo, root + "/in"}), 0);
  const struct {
    std::vector<std::string> args;
    int status;
    std::string message;
  } cases[] = {
      {{"kvo", "extract", kvo},
       2,
       "qvtool kvo: extract needs -o DIR, the folder to write into\nusage: qvtool kvo list ARCHIVE\n"
       "       qvtool kvo extract ARCHIVE [ENTRY] -o DIR\n       qvtool kvo pack ARCHIVE FOLDER\n"},
      {{"kvo", "list", root + "/no_such.kvo"},
       1,
       "qvtool kvo: cannot open archive " + root + "/no_such.kvo: No such file or directory\n"},
      {{"kvo", "list", root + "/plain"}, 1, "qvtool kvo: cannot open archive " + root + "/plain: not a ZIP archive\n"},
      {{"kvo", "list", root}, 1, "qvtool kvo: cannot open archive " + root + ": Is a directory\n"},
      {{"kvo", "extract", kvo, "-o", root + "/plain"},
       1,
       "qvtool kvo: cannot write " + root + "/plain/a.txt: Not a directory\n"},
      {{"kvo", "pack", root + "/plain/x.kvo", root + "/in"},
       1,
       "qvtool kvo: cannot write " + root + "/plain/x.kvo: Not a directory\n"},
      {{"kvo", "pack", root + "/x.kvo", root + "/none"},
       1,
       "qvtool kvo: cannot read the folder " + root + "/none: No such file or directory\n"},
  };
  for (const auto& c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(run(qvCmdKvo, c.args), c.status) << c.message;
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.message);
  }
}

TEST(QvtoolImage, WritesWhatTheEngineDecodes) {
  QV_REQUIRE_CORPUS();
  std::string out = ::testing::TempDir() + "qv_tool_hopper.ppm";
  ASSERT_EQ(run(qvCmdImage, {"image", qvCorpusDir() + "/gif/hopper.gif", "-o", out}), 0);
  std::string ppm = qvReadFile(out);
  std::string head = "P6\n128 128\n255\n";
  ASSERT_EQ(ppm.compare(0, head.size(), head), 0);
  // The recorded hash of the picture's RGB bytes.
  EXPECT_EQ(qvSha256(ppm.data() + head.size(), ppm.size() - head.size()),
            "7578762e570ef751ab2bb167ce50cae82886c93733d00c9a5c6c2835c8ea8ff1");
  std::string png = ::testing::TempDir() + "qv_tool_hopper.png";
  ASSERT_EQ(run(qvCmdImage, {"image", qvCorpusDir() + "/gif/hopper.gif", "-o", png}), 0);
  if (qvHaveTool("convert")) {
    // ImageMagick reads our PNG back to the same bytes as our PPM.
    std::string rgb = ::testing::TempDir() + "qv_tool_hopper.rgb";
    ASSERT_EQ(std::system(("convert '" + png + "' -depth 8 rgb:'" + rgb + "'").c_str()), 0);
    EXPECT_EQ(qvReadFile(rgb), ppm.substr(head.size()));
  }
  EXPECT_EQ(run(qvCmdImage, {"image", qvCorpusDir() + "/jpeg/cat.jpg", "--indices"}), 1);
  EXPECT_EQ(run(qvCmdImage, {"image"}), 2);
  EXPECT_EQ(run(qvCmdImage, {"image", "a.gif", "-o", "out.bmp"}), 2);
  EXPECT_EQ(run(qvCmdImage, {"image", ::testing::TempDir() + "qv_no_such.gif"}), 1);
}

TEST(QvtoolImageDeath, UnrecognisedFilesEndWithTheEngineMessage) {
  std::string junk = ::testing::TempDir() + "qv_junk.bin";
  writeFile(junk, "not a picture at all");
  EXPECT_EXIT(run(qvCmdImage, {"image", junk}), ::testing::ExitedWithCode(1), "unrecognized file type .*qv_junk.bin\n");
}

}  // namespace
