// 3DS loader against the third-party corpus and its manifest.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "common/qvtest.h"
#include "x3dtestfree.h"
#include "x3d/x3d3ds.h"

namespace {

using Row = std::map<std::string, std::string>;

std::vector<Row> Manifest() {
  std::vector<Row> rows;
  std::ifstream in(qvCorpusDir() + "/3ds/MANIFEST.tsv");
  std::string line;
  std::vector<std::string> head;
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream ss(line);
    std::string cell;
    while (std::getline(ss, cell, '\t')) cells.push_back(cell);
    if (head.empty()) {
      head = cells;
      continue;
    }
    Row r;
    for (size_t i = 0; i < head.size() && i < cells.size(); i++) r[head[i]] = cells[i];
    rows.push_back(r);
  }
  return rows;
}

TEST(X3d3dsCorpus, EveryFileMatchesTheManifest) {
  QV_REQUIRE_CORPUS();
  x3dInit(320, 200, nullptr);
  std::vector<Row> rows = Manifest();
  ASSERT_GE(rows.size(), 14u);
  int loaded = 0;
  for (Row& r : rows) {
    if (r["size"] == "0") continue;  // the empty negative case has its own test
    SCOPED_TRACE(r["file"]);
    x3dScene s{};
    X3dSceneFree free_s{&s};
    x3dLoad3ds((qvCorpusDir() + "/3ds/" + r["file"]).c_str(), &s);
    loaded++;
    EXPECT_EQ(s.cameraCount, std::stoi(r["raw_cameras"]));
    EXPECT_EQ(s.lightCount, std::stoi(r["raw_lights"]));
    EXPECT_EQ(s.materialCount, std::stoi(r["raw_materials"]));
    int meshes = 0, vertices = 0, faces = 0;
    for (int i = 0; i < s.objectCount; i++) {
      if (s.objects[i].flags & X3D_OBJ_DUMMY) continue;
      meshes++;
      vertices += s.objects[i].vertexCount;
      faces += s.objects[i].faceCount;
    }
    // The manifest's raw_* counts come from a plain chunk walk that, like this
    // loader, keeps every mesh whole and its vertices shared, so the totals are
    // compared for every file. (assimp's own counts split meshes by material and
    // unshare vertices: only its face totals are comparable.)
    EXPECT_EQ(meshes, std::stoi(r["raw_meshes"]));
    EXPECT_EQ(vertices, std::stoi(r["raw_vertices"]));
    EXPECT_EQ(faces, std::stoi(r["raw_faces"]));
    EXPECT_EQ(faces, std::stoi(r["assimp_raw_faces"]));
    // Keyframer: nodes by kind as counted in the manifest ({"0xb002": 1, ...}).
    std::map<int, int> expectKinds, gotKinds;
    static const std::map<std::string, int> kKind = {{"0xb001", X3D_NODE_AMBIENT}, {"0xb002", X3D_NODE_OBJECT},
                                                     {"0xb003", X3D_NODE_CAMERA},  {"0xb004", X3D_NODE_TARGET},
                                                     {"0xb005", X3D_NODE_OMNI},    {"0xb006", X3D_NODE_SPOT_TARGET},
                                                     {"0xb007", X3D_NODE_SPOT}};
    std::string nodes = r["raw_kf_nodes"];
    for (const auto& [chunk, kind] : kKind) {
      size_t at = nodes.find("\"" + chunk + "\": ");
      if (at != std::string::npos) expectKinds[kind] = std::stoi(nodes.substr(at + chunk.size() + 4));
    }
    for (int i = 0; i < s.nodeCount; i++) gotKinds[s.nodes[i].kind]++;
    EXPECT_EQ(gotKinds, expectKinds);
    if (r["has_B000_keyframer"] == "no") {
      EXPECT_EQ(s.nodeCount, 0);
      EXPECT_EQ(s.endFrame, 0.0f);
    }
    // Every node's owner is the record of its kind and children follow parents.
    for (int i = 0; i < s.nodeCount; i++) {
      ASSERT_NE(s.nodes[i].owner, nullptr);
      EXPECT_LT(s.nodes[i].parent, i);
    }
  }
  EXPECT_EQ(loaded, 14);
}

TEST(X3d3dsCorpus, EmptyFileIsAShortRead) {
  QV_REQUIRE_CORPUS();
  x3dScene s{};
  X3dSceneFree free_s{&s};
  EXPECT_EXIT(x3dLoad3ds((qvCorpusDir() + "/3ds/empty.3ds").c_str(), &s), ::testing::ExitedWithCode(1),
              "Error: File read error \\( access denied \\) -> .*/3ds/empty\\.3ds, 2\nFile File3ds");
}

TEST(X3d3dsCorpus, LightsAndSpotOfPyramob) {
  QV_REQUIRE_CORPUS();
  x3dScene s{};
  X3dSceneFree free_s{&s};
  x3dLoad3ds((qvCorpusDir() + "/3ds/pyramob.3DS").c_str(), &s);
  int spots = 0;
  for (int i = 0; i < s.lightCount; i++) {
    if (s.lights[i].kind & X3D_LIGHT_SPOT) {
      spots++;
      EXPECT_GT(s.lights[i].cosHotspot, s.lights[i].cosFalloff);  // the hotspot lies inside the falloff
    }
  }
  EXPECT_EQ(spots, 1);
  ASSERT_NE(x3dFindCamera("Camera01", &s), nullptr);
  ASSERT_EQ(s.materialCount, 1);
  ASSERT_NE(s.materials[0].reflection.name, nullptr);
  EXPECT_STREQ(s.materials[0].reflection.name, "REFMAP.GIF");
  // Normals are unit length and the bounding sphere holds every vertex.
  x3dObject* o = x3dFindObject("Torus Knot", &s);
  ASSERT_NE(o, nullptr);
  for (int i = 0; i < o->vertexCount; i += 97) {
    const float* n = o->vertices[i].normal;
    EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-4);
    const float* p = o->vertices[i].pos;
    float d2 = 0;
    for (int k = 0; k < 3; k++) d2 += (p[k] - o->centre[k]) * (p[k] - o->centre[k]);
    EXPECT_LE(std::sqrt(d2), o->radius * 1.0001f);
  }
}

TEST(X3d3dsCorpus, MissingFileIsAnOpenError) {
  x3dScene s{};
  X3dSceneFree free_s{&s};
  EXPECT_EXIT(x3dLoad3ds("/nonexistent/none.3ds", &s), ::testing::ExitedWithCode(1),
              "Error: Can't access file \\( open error \\) -> /nonexistent/none\\.3ds, 5\nFile File3ds");
}

}  // namespace
