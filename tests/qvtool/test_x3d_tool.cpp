// qvtool 3ds and qvtool scene: text and JSON facts, posing, usage and failures.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

#include "common/qvtest.h"
#include "qvtool/qvtool.h"

namespace {

int RunTool(int (*cmd)(int, char**), std::vector<std::string> args, std::string* out) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  testing::internal::CaptureStdout();
  int rc = cmd(static_cast<int>(args.size()), argv.data());
  *out = testing::internal::GetCapturedStdout();
  return rc;
}

std::string Corpus(const char* name) { return qvCorpusDir() + "/3ds/" + name; }

TEST(QvtoolX3d, TextListsTheScene) {
  QV_REQUIRE_CORPUS();
  std::string out;
  ASSERT_EQ(RunTool(qvCmd3ds, {"3ds", Corpus("pyramob.3DS")}, &out), 0);
  EXPECT_NE(out.find("objects: 1\n"), std::string::npos);
  EXPECT_NE(out.find("Torus Knot"), std::string::npos);
  EXPECT_NE(out.find("vertices  18876 faces  31460"), std::string::npos);
  EXPECT_NE(out.find("reflection REFMAP.GIF"), std::string::npos);
  EXPECT_NE(out.find("cameras: 1\n"), std::string::npos);
  EXPECT_NE(out.find("lights: 3\n"), std::string::npos);
  EXPECT_NE(out.find("Spot01               spot"), std::string::npos);
  EXPECT_NE(out.find("nodes: 7\n"), std::string::npos);
  EXPECT_EQ(out.find("pose at frame"), std::string::npos);
}

TEST(QvtoolX3d, JsonAndPose) {
  QV_REQUIRE_CORPUS();
  std::string out;
  ASSERT_EQ(RunTool(qvCmd3ds, {"3ds", Corpus("CameraRollAnimWithChildObject.3ds"), "--json", "--at", "50"}, &out), 0);
  EXPECT_EQ(out.front(), '{');
  EXPECT_NE(out.find("\"frames\":{\"start\":0,\"end\":300}"), std::string::npos);
  EXPECT_NE(out.find("{\"name\":\"Box02\",\"id\":2,\"vertices\":26,\"faces\":12,\"flags\":0,\"parent\":1}"),
            std::string::npos);
  EXPECT_NE(out.find("{\"kind\":\"camera\",\"id\":1,\"parent\":-1,\"name\":\"Camera01\",\"keys\":[1,1,2]}"),
            std::string::npos);
  EXPECT_NE(out.find("\"at\":50,\"pose\":{\"objects\":[{\"name\":\"Box01\",\"matrix\":[["), std::string::npos);
  if (qvHaveTool("python3")) {
    std::string path = std::string(QV_BINARY_DIR) + "/x3d_tool.json";
    FILE* f = std::fopen(path.c_str(), "w");
    std::fputs(out.c_str(), f);
    std::fclose(f);
    // One exit code per check: 1 not JSON (the parser's own failure), 2 node count, 3 camera kind.
    std::string cmd = "python3 -c 'import json,sys; d=json.load(open(\"" + path +
                      "\")); sys.exit(2 if len(d[\"nodes\"])!=4 else "
                      "3 if d[\"cameras\"][0][\"kind\"]!=\"camera\" else 0)'";
    const int status = std::system(cmd.c_str());
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    const char* const failed[] = {"", "not valid JSON", "not 4 nodes", "first camera's kind is not \"camera\""};
    EXPECT_EQ(code, 0) << (code >= 1 && code <= 3 ? failed[code] : "python3 did not run");
  }
  // Posed text: matrices of every object and camera.
  ASSERT_EQ(RunTool(qvCmd3ds, {"3ds", Corpus("RotatingCube.3DS"), "--at", "10"}, &out), 0);
  EXPECT_NE(out.find("pose at frame 10:\n  object Box01\n"), std::string::npos);
}

TEST(QvtoolX3d, UsageAndFailures) {
  std::string out;
  EXPECT_EQ(RunTool(qvCmd3ds, {"3ds"}, &out), 2);
  EXPECT_EQ(RunTool(qvCmd3ds, {"3ds", "a", "b"}, &out), 2);
  EXPECT_EQ(RunTool(qvCmd3ds, {"3ds", "a", "--at"}, &out), 2);
  EXPECT_EQ(RunTool(qvCmd3ds, {"3ds", "a", "--at", "x"}, &out), 2);
  EXPECT_EQ(RunTool(qvCmd3ds, {"3ds", "a", "--bogus"}, &out), 2);
  EXPECT_EQ(RunTool(qvCmdScene, {"scene"}, &out), 2);
  EXPECT_EQ(RunTool(qvCmdScene, {"scene", "s.x3d", "--archive"}, &out), 2);
  EXPECT_EXIT(RunTool(qvCmd3ds, {"3ds", "/nonexistent.3ds"}, &out), ::testing::ExitedWithCode(1),
              "Can't access file \\( open error \\) -> /nonexistent\\.3ds");
  EXPECT_EQ(RunTool(qvCmdScene, {"scene", "s.x3d", "--archive", "/nonexistent.kvo"}, &out), 1);
}

TEST(QvtoolX3d, SceneFromDisk) {
  QV_REQUIRE_CORPUS();
  std::string dir = std::string(QV_BINARY_DIR) + "/x3d_tool_scene/";
  mkdir(dir.c_str(), 0755);
  std::string copy = "cp " + Corpus("TargetCameraAnim.3ds") + " " + dir + "target.3ds";
  ASSERT_EQ(std::system(copy.c_str()), 0);
  FILE* f = std::fopen((dir + "t.x3d").c_str(), "w");
  std::fputs("VERSION 1\r\nDISTANCE 900\r\nSCENE_NAME target.3ds\r\nOBJECT Box01\r\nOBJ_NOLIGHT\r\n", f);
  std::fclose(f);
  std::string out;
  ASSERT_EQ(RunTool(qvCmdScene, {"scene", dir + "t.x3d", "--at", "20"}, &out), 0);
  EXPECT_NE(out.find("Box01"), std::string::npos);
  EXPECT_NE(out.find("flags 0x10"), std::string::npos);  // unlit by the script
  EXPECT_NE(out.find("camera Camera01 fov"), std::string::npos);
}

TEST(QvtoolX3d, SceneFromTheArchive) {
  std::string kvo = std::string(QV_BINARY_DIR) + "/quorvane.kvo";
  struct stat st;
  if (stat(kvo.c_str(), &st) != 0) GTEST_SKIP() << "archive not built: " << kvo;
  std::string out;
  ASSERT_EQ(RunTool(qvCmdScene, {"scene", "scene_1.x3d", "--archive", kvo, "--json"}, &out), 0);
  EXPECT_NE(out.find("\"cameras\":[{\"name\":\"Camera01\""), std::string::npos);
}

}  // namespace
