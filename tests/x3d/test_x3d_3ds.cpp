// 3DS loader on synthetic files: handlers, destinations, keyframer, malformed input.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "x3dtestfree.h"
#include "x3d/x3dspline.h"
#include "x3dtest3ds.h"

using namespace t3ds;

namespace {

TEST(X3d3ds, ChunkTableOrder) {
  EXPECT_EQ(x3dChunkTable[0].id, 0xC23Du);
  EXPECT_EQ(x3dChunkTable[2].id, 0x4D4Du);
  EXPECT_EQ(x3dChunkTable[9].id, 0x4000u);
  EXPECT_EQ(x3dChunkTable[55].id, 0xB000u);
  EXPECT_EQ(x3dChunkTable[75].id, 0xB021u);
  for (int i = 0; i < X3D_CHUNK_COUNT; i++)
    for (int j = i + 1; j < X3D_CHUNK_COUNT; j++) EXPECT_NE(x3dChunkTable[i].id, x3dChunkTable[j].id);
}

TEST(X3d3ds, MeshVerticesFacesAndIds) {
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(Main(Editor(
           Material("Red") +
           Mesh("Tri", {0, 0, 0, 1, 0, 0, 0, 2, 3}, {0, 1, 2}, "", Chunk(0x4130, Name("Red") + U16(1) + U16(0))) +
           Mesh("Tri2", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, "", Chunk(0x4130, Name("Blue") + U16(1) + U16(0))))),
       &s);
  ASSERT_EQ(s.objectCount, 2);
  x3dObject* o = &s.objects[0];
  EXPECT_STREQ(o->name, "Tri");
  EXPECT_EQ(o->id, 1);  // the material took id 0
  EXPECT_EQ(s.materials[0].id, 0);
  EXPECT_EQ(o->parentId, -1);
  ASSERT_EQ(o->vertexCount, 3);
  EXPECT_EQ(o->vertices[2].pos[1], 3.0f);  // file z becomes y
  EXPECT_EQ(o->vertices[2].pos[2], 2.0f);
  EXPECT_EQ(o->faces[0].va, &o->vertices[0]);
  EXPECT_EQ(o->faces[0].vc, &o->vertices[2]);
  EXPECT_EQ(o->faces[0].material, &s.materials[0]);
  EXPECT_EQ(o->faces[0].materialNumber, 0);
  EXPECT_EQ(s.objects[1].faces[0].material, nullptr);  // unknown material name
  // Face normal (a - b) x (b - c), normalised.
  float n2 = o->faces[0].normal[0] * o->faces[0].normal[0] + o->faces[0].normal[1] * o->faces[0].normal[1] +
             o->faces[0].normal[2] * o->faces[0].normal[2];
  EXPECT_NEAR(n2, 1.0f, 1e-6);
  EXPECT_NEAR(s.objects[1].faces[0].normal[2], 0.0f, 1e-6);  // a triangle in the file xy plane lies in engine xz
  EXPECT_NEAR(std::fabs(s.objects[1].faces[0].normal[1]), 1.0f, 1e-6);
}

TEST(X3d3ds, BoundsAndRadius) {
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(Main(Editor(Mesh("Box", {-1, -2, -3, 3, 2, 1}, {}))), &s);
  x3dObject* o = &s.objects[0];
  EXPECT_EQ(o->boxMin[0], -1.0f);
  EXPECT_EQ(o->boxMin[1], -3.0f);  // file z
  EXPECT_EQ(o->boxMax[2], 2.0f);   // file y
  EXPECT_EQ(o->centre[0], 1.0f);
  EXPECT_NEAR(o->radius, std::sqrt(4.f + 4 + 4), 1e-5);
  Load(Main(Editor(Mesh("Point", {5, 5, 5}, {}))), &s);
  EXPECT_EQ(s.objects[0].radius, 1.0f);  // a zero distance counts as 1
}

TEST(X3d3ds, TexCoordsShortListLeavesTheRest) {
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(Main(Editor(Mesh("T", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, Chunk(0x4140, U16(1) + Floats({0.5f, 1.0f}))))),
       &s);
  x3dObject* o = &s.objects[0];
  EXPECT_FLOAT_EQ(o->vertices[0].u, 0.5f * 255.9f);
  EXPECT_FLOAT_EQ(o->vertices[0].v, 255.9f);
  EXPECT_EQ(o->vertices[1].u, 0.0f);
  EXPECT_EQ(o->vertices[2].v, 0.0f);
}

TEST(X3d3ds, MeshMatrixBringsWorldVerticesToLocal) {
  // Object axes: X' = 2*x (file), Y' = file z, Z' = file y, origin (10, 20, 30) in file space.
  std::string m = Chunk(0x4160, Floats({2, 0, 0, 0, 0, 1, 0, 1, 0, 10, 20, 30}));
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(Main(Editor(Mesh("M", {14, 20, 30, 10, 25, 30}, {}, m))), &s);
  x3dObject* o = &s.objects[0];
  // (14,20,30) - O = (4,0,0): along X with |X|^2 = 4 -> local x = 4*2/4 = 2.
  EXPECT_NEAR(o->vertices[0].pos[0], 2.0f, 1e-6);
  EXPECT_NEAR(o->vertices[0].pos[1], 0.0f, 1e-6);
  // (10,25,30) - O = 5 along file y. File Y axis is (0,0,1) so file y maps to nothing... in engine
  // terms the offset (0, 0, 5) dotted with the rows gives a single non-zero component of 5.
  float sum = std::fabs(o->vertices[1].pos[0]) + std::fabs(o->vertices[1].pos[1]) + std::fabs(o->vertices[1].pos[2]);
  EXPECT_NEAR(sum, 5.0f, 1e-6);
  EXPECT_NEAR(o->vertices[1].pos[0], 0.0f, 1e-6);
  // A zero axis falls back to the identity (only the origin moves).
  std::string z = Chunk(0x4160, Floats({0, 0, 0, 0, 1, 0, 0, 0, 1, 1, 2, 3}));
  Load(Main(Editor(Mesh("Z", {5, 5, 5}, {}, z))), &s);
  EXPECT_EQ(s.objects[0].vertices[0].pos[0], 4.0f);
  EXPECT_EQ(s.objects[0].vertices[0].pos[1], 2.0f);  // z - 3
  EXPECT_EQ(s.objects[0].vertices[0].pos[2], 3.0f);  // y - 2
}

TEST(X3d3ds, UnknownChunksAreSkippedByLength) {
  x3dScene s{};
  X3dSceneFree free_s{&s};
  // 0x1234 is not in the table; it even holds what looks like an object block.
  std::string hidden = Chunk(0x1234, Mesh("Hidden", {0, 0, 0}, {}));
  Load(Main(Editor(hidden + Mesh("Seen", {1, 2, 3}, {}))), &s);
  ASSERT_EQ(s.objectCount, 1);
  EXPECT_STREQ(s.objects[0].name, "Seen");
}

TEST(X3d3ds, MaterialColoursPercentagesAndMaps) {
  std::string mat = Material(
      "Gold", Chunk(0xA010, ColorF(0.1f, 0.2f, 0.3f)) + Chunk(0xA020, Chunk(0x0011, std::string("\xFF\x80\x00", 3))) +
                  Chunk(0xA030, ColorF(1, 1, 1)) + Chunk(0xA040, Percent(50)) + Chunk(0xA041, Percent(25)) +
                  Chunk(0xA100, U16(2)) + Chunk(0xA081, "") + Chunk(0xA08C, "") + MapName(0xA200, "GOLD.TGA") +
                  MapName(0xA220, "ENV.TGA") +
                  Chunk(0xA230, Chunk(0xA300, Name("BUMP.TGA")) + Chunk(0xA351, U16(7)) + Chunk(0xA354, F32(2.5f))) +
                  MapName(0xA210, "OPACITY.TGA"));
  // Colours under the background and ambient-light chunks change nothing.
  std::string ignored = Chunk(0x1200, ColorF(9, 9, 9)) + Chunk(0x2100, ColorF(9, 9, 9));
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(Main(Editor(mat + ignored)), &s);
  ASSERT_EQ(s.materialCount, 1);
  x3dMaterial* m = &s.materials[0];
  EXPECT_FLOAT_EQ(m->ambient[2], 0.3f);
  EXPECT_FLOAT_EQ(m->diffuse[0], 255 * 0.003921569f);
  EXPECT_FLOAT_EQ(m->diffuse[1], 128 * 0.003921569f);
  EXPECT_FLOAT_EQ(m->specular[1], 1.0f);
  EXPECT_FLOAT_EQ(m->shininess, 0.5f);
  EXPECT_FLOAT_EQ(m->shininessStrength, 0.25f);
  EXPECT_EQ(m->renderFlags, 2);
  EXPECT_EQ(m->optionFlags, 0x03);
  EXPECT_STREQ(m->texture.name, "GOLD.TGA");
  EXPECT_STREQ(m->reflection.name, "ENV.TGA");
  EXPECT_STREQ(m->bump.name, "BUMP.TGA");
  EXPECT_EQ(m->bump.tiling, 7);
  EXPECT_EQ(m->bump.uScale, 2.5f);
  EXPECT_EQ(m->texture.tiling, 0);
}

TEST(X3d3ds, LightsAndCameras) {
  std::string spot = Chunk(0x4610, Floats({1, 2, 3, 40, 60}));
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(
      Main(Editor(Omni("Omni01", 1, 2, 3, ColorF(1, 0.5f, 0)) +
                  Omni("Spot01", 0, 0, 0, Chunk(0x4625, "") + spot + Chunk(0x4659, F32(10)) + Chunk(0x465A, F32(20))) +
                  Omni("Spot02", 0, 0, 0, spot + Chunk(0x4625, "")) + Camera("Camera01", {0, -10, 0, 0, 0, 0}, 5, 40))),
      &s);
  ASSERT_EQ(s.lightCount, 3);
  EXPECT_EQ(s.lights[0].kind, X3D_LIGHT_OMNI);
  EXPECT_EQ(s.lights[0].position[1], 3.0f);
  EXPECT_EQ(s.lights[0].color[1], 0.5f);
  EXPECT_EQ(s.lights[1].kind, X3D_LIGHT_SPOT);  // attenuation before the spot chunk is lost
  EXPECT_EQ(s.lights[2].kind, X3D_LIGHT_SPOT | X3D_LIGHT_ATTENUATED);
  EXPECT_EQ(s.lights[1].target[1], 3.0f);
  EXPECT_NEAR(s.lights[1].cosHotspot, std::cos(20 * 0.017453292f), 1e-6);
  EXPECT_NEAR(s.lights[1].spotFactor, 1 / (std::cos(30 * 0.017453292f) - std::cos(20 * 0.017453292f)), 1e-3);
  EXPECT_EQ(s.lights[1].innerRange, 10.0f);
  EXPECT_EQ(s.lights[1].outerRange, 20.0f);
  ASSERT_EQ(s.cameraCount, 1);
  EXPECT_EQ(s.cameras[0].position[2], -10.0f);
  EXPECT_EQ(s.cameras[0].roll, 5.0f);
  EXPECT_EQ(s.cameras[0].fov, 60.0f);
  EXPECT_EQ(s.cameras[0].id, 3);
}

std::string TwoBoxes() {
  return Editor(Mesh("Box", {0, 0, 0}, {}) + Mesh("Box", {1, 1, 1}, {}) + Mesh("Child", {2, 2, 2}, {}) +
                Camera("Camera01", {0, 0, 0, 0, 1, 0}, 0, 50));
}

TEST(X3d3ds, NodeIdsHierarchyAndDuplicateNames) {
  std::string kf = Keyframer(
      Chunk(0xB002, NodeId(7) + NodeHeader("Box", 0x800, 0xFFFF) + Track(0xB020, 0, {{0, Floats({1, 2, 3})}})) +
      Chunk(0xB002, NodeHeader("Child", 0, 7)) +  // no id chunk: counter + 1 = 8
      Chunk(0xB002, NodeHeader("$$$DUMMY", 0, 8) + Chunk(0xB011, Name("Pivot")) + Chunk(0xB013, Floats({1, 2, 3}))) +
      Chunk(0xB002, NodeHeader("Nobody", 0, 0xFFFF) + Track(0xB020, 0, {{0, Floats({1, 2, 3})}})) +
      Chunk(0xB003, NodeHeader("Camera01", 0, 7)) + Chunk(0xB004, NodeHeader("Camera01", 0, 0xFFFF)));
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(Main(TwoBoxes() + kf), &s);
  ASSERT_EQ(s.nodeCount, 5);
  EXPECT_EQ(s.nodes[0].id, 7);
  EXPECT_EQ(s.nodes[1].id, 8);
  EXPECT_EQ(s.nodes[2].id, 9);
  EXPECT_EQ(s.nodes[3].id, 11);  // "Nobody" made no node but counted 10
  // The later "Box" is bound.
  EXPECT_EQ(s.nodes[0].owner, &s.objects[1]);
  EXPECT_EQ(s.objects[1].flags & X3D_OBJ_HIDDEN, X3D_OBJ_HIDDEN);
  EXPECT_EQ(s.objects[0].flags, 0);
  ASSERT_NE(s.nodes[0].tracks->track[0], nullptr);
  EXPECT_EQ(s.nodes[0].tracks->count, 5);
  // Hierarchy: Child under Box, dummy under Child, camera under Box.
  x3dObject* child = x3dFindObject("Child", &s);
  EXPECT_EQ(child->parentId, s.objects[1].id);
  EXPECT_EQ(s.nodes[1].parent, 0);
  EXPECT_EQ(s.nodes[0].firstChild, 3);  // the camera came last and went first
  EXPECT_EQ(s.nodes[3].nextSibling, 1);
  EXPECT_EQ(s.nodes[1].firstChild, 2);
  // The dummy object: renamed by the instance name, pivot kept, id 1024 + node.
  x3dObject* dummy = x3dFindObject("Pivot", &s);
  ASSERT_NE(dummy, nullptr);
  EXPECT_EQ(dummy->flags, X3D_OBJ_DUMMY);
  EXPECT_EQ(dummy->id, 1024 + 9);
  EXPECT_EQ(dummy->parentId, child->id);
  EXPECT_EQ(dummy->pivot[1], 3.0f);
  EXPECT_EQ(s.nodes[2].owner, dummy);
  EXPECT_EQ(s.cameras[0].parentId, s.objects[1].id);
  EXPECT_EQ(s.cameras[0].targetParentId, -1);
  EXPECT_EQ(s.nodes[3].kind, X3D_NODE_CAMERA);
  EXPECT_EQ(s.nodes[4].kind, X3D_NODE_TARGET);
  EXPECT_EQ(s.nodes[4].owner, &s.cameras[0]);
  // List links in file order.
  EXPECT_EQ(s.nodes[0].next, &s.nodes[1]);
  EXPECT_EQ(s.nodes[4].prev, &s.nodes[3]);
  EXPECT_EQ(s.nodes[4].next, nullptr);
  EXPECT_EQ(s.startFrame, 0.0f);
  EXPECT_EQ(s.endFrame, 100.0f);
}

TEST(X3d3ds, PivotIsSubtractedFromVertices) {
  std::string kf = Keyframer(Chunk(0xB002, NodeHeader("Child", 0, 0xFFFF) + Chunk(0xB013, Floats({1, 1, 2}))));
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(Main(TwoBoxes() + kf), &s);
  x3dObject* o = x3dFindObject("Child", &s);
  EXPECT_EQ(o->vertices[0].pos[0], 1.0f);
  EXPECT_EQ(o->vertices[0].pos[1], 0.0f);  // 2 - 2 (file z)
  EXPECT_EQ(o->vertices[0].pos[2], 1.0f);  // 2 - 1 (file y)
}

TEST(X3d3ds, AmbientNodeAndTrackSlots) {
  std::string kf = Keyframer(
      Chunk(0xB001, NodeHeader("$AMBIENT$", 0, 0xFFFF) + Track(0xB025, 0, {{0, Floats({0.1f, 0.2f, 0.3f})}})) +
      Chunk(0xB003, NodeHeader("Camera01", 0, 0xFFFF) + Track(0xB023, 0, {{0, F32(45)}}) +
                        Track(0xB024, 0, {{0, F32(10)}}) + Track(0xB022, 0, {{0, Floats({1, 1, 1})}})) +
      Chunk(0xB002,
            NodeHeader("Box", 0, 0xFFFF) + Track(0xB029, 0, {}) + Track(0xB021, 0, {{0, Floats({1, 0, 0, 1})}})));
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(Main(TwoBoxes() + kf), &s);
  ASSERT_EQ(s.ambientCount, 1);
  EXPECT_EQ(s.ambients[0].id, 1024);
  EXPECT_EQ(s.nodes[0].kind, X3D_NODE_AMBIENT);
  EXPECT_EQ(s.nodes[0].owner, &s.ambients[0]);
  ASSERT_NE(s.nodes[0].tracks->track[0], nullptr);
  EXPECT_FLOAT_EQ(s.nodes[0].tracks->track[0]->keys[0].value[2], 0.3f);  // colour keeps file order
  x3dTrackSet* cam = s.nodes[1].tracks;
  EXPECT_EQ(cam->track[1]->keys[0].value[0], 45.0f);
  EXPECT_EQ(cam->track[2]->keys[0].value[0], 10.0f);
  EXPECT_EQ(cam->track[0], nullptr);  // the scale track fits no camera slot
  x3dTrackSet* box = s.nodes[2].tracks;
  EXPECT_NE(box->track[2], nullptr);
  EXPECT_NE(box->track[4], nullptr);
  EXPECT_EQ(box->track[4]->keyCount, 0);
}

TEST(X3d3ds, TrackKeysWithSplineParameters) {
  // Flags 0x1B: tension, continuity, ease to, ease from; bit 6 carries a float that is dropped.
  std::string kf = Keyframer(
      Chunk(0xB002, NodeHeader("Box", 0, 0xFFFF) +
                        Track(0xB020, 0x0003,
                              {{0x10005, Floats({1, 2, 3}), Floats({0.5f, 0.25f, 0.125f, 0.75f, 99}), 0x5B},
                               {20, Floats({4, 5, 6})}}) +
                        Chunk(0xB026, U16(0) + std::string(8, '\0') + U32(1) + U32(0) + U16(0) + Name("Child"))));
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(Main(TwoBoxes() + kf), &s);
  x3dTrack* t = s.nodes[0].tracks->track[0];
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->mode, X3D_TRACK_LOOP);
  EXPECT_EQ(t->keys[0].frame, 5.0f);  // low 16 bits of the frame
  EXPECT_EQ(t->keys[0].tension, 0.5f);
  EXPECT_EQ(t->keys[0].continuity, 0.25f);
  EXPECT_EQ(t->keys[0].bias, 0.0f);
  EXPECT_EQ(t->keys[0].easeTo, 0.125f);
  EXPECT_EQ(t->keys[0].easeFrom, 0.75f);
  EXPECT_EQ(t->keys[0].value[1], 3.0f);  // y and z exchanged
  EXPECT_EQ(t->length, 20.0f);
  EXPECT_EQ(t->cursor, &t->keys[1]);
  EXPECT_EQ(t->keys[1].prev, &t->keys[0]);
  x3dTrack* morph = s.nodes[0].tracks->track[3];
  ASSERT_NE(morph, nullptr);
  EXPECT_EQ(morph->keys[0].ivalue[0], x3dFindObject("Child", &s)->id);
}

// ---- failures ----

TEST(X3d3dsDeath, NodeWithoutRecordAndMorphWithoutObject) {
  x3dScene s{};
  X3dSceneFree free_s{&s};
  std::string cam = Keyframer(Chunk(0xB003, NodeHeader("NoSuchCamera", 0, 0xFFFF)));
  EXPECT_EXIT(Load(Main(TwoBoxes() + cam), &s), ::testing::ExitedWithCode(1),
              "Internal error -> mem\\.3ds, 7\nFile File3ds");
  std::string morph =
      Keyframer(Chunk(0xB002, NodeHeader("Box", 0, 0xFFFF) + Chunk(0xB026, U16(0) + std::string(8, '\0') + U32(1) +
                                                                               U32(0) + U16(0) + Name("Ghost"))));
  EXPECT_EXIT(Load(Main(TwoBoxes() + morph), &s), ::testing::ExitedWithCode(1), "Internal error -> mem");
  std::string orphan = Keyframer(Track(0xB020, 0, {{0, Floats({1, 2, 3})}}));
  EXPECT_EXIT(Load(Main(TwoBoxes() + orphan), &s), ::testing::ExitedWithCode(1), "Internal error -> mem");
}

// Every malformed file ends with its coded error naming the file, and status 1 like any
// broken resource; none may touch memory outside the buffers (the sanitizer build runs
// these too).
TEST(X3d3dsDeath, MalformedFiles) {
  std::string good = Main(Editor(Mesh("Tri", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2})));
  struct Row {
    std::string name, bytes;
    int code;
  } rows[] = {
      {"truncated header", good.substr(0, 4), 2},
      {"truncated body", good.substr(0, good.size() - 5), 2},
      {"length past the data", U16(0x4D4D) + U32(1000) + Editor(""), 2},
      {"length below a header", U16(0x4D4D) + U32(3) + std::string(10, 'x'), 2},
      {"zero length", Main(U16(0x1234) + U32(0)), 2},
      {"vertex count past the chunk",
       Main(Editor(Chunk(0x4000, Name("V") + Chunk(0x4100, Chunk(0x4110, U16(60000) + Floats({1, 2, 3})))))), 2},
      {"face count past the chunk",
       Main(Editor(Chunk(0x4000, Name("F") + Chunk(0x4100, Chunk(0x4120, U16(9999) + U16(0)))))), 2},
      {"face index beyond the vertices", Main(Editor(Mesh("Bad", {0, 0, 0, 1, 0, 0}, {0, 1, 5}))), 7},
      {"material group face beyond the faces",
       Main(Editor(Material("M") +
                   Mesh("G", {0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 1, 2}, "", Chunk(0x4130, Name("M") + U16(1) + U16(3))))),
       7},
      {"texture count past the chunk", Main(Editor(Mesh("T", {0, 0, 0}, {}, Chunk(0x4140, U16(500) + Floats({0, 0}))))),
       2},
      {"key count past the chunk",
       Main(TwoBoxes() + Keyframer(Chunk(0xB002, NodeHeader("Box", 0, 0xFFFF) +
                                                     Chunk(0xB020, U16(0) + std::string(8, '\0') + U32(40000))))),
       2},
      {"vertices outside a mesh", Main(Editor(Chunk(0x4110, U16(1) + Floats({1, 2, 3})))), 7},
      {"short camera", Main(Editor(Chunk(0x4700, Floats({1, 2})))), 2},
      {"nesting without end", std::string(), 2},
  };
  // A deep chain of main chunks: each one inside the previous.
  std::string deep = Floats({0});
  for (int i = 0; i < 200; i++) deep = Chunk(0x4D4D, deep);
  rows[13].bytes = deep;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    x3dScene s{};
    X3dSceneFree free_s{&s};
    EXPECT_EXIT(Load(r.bytes, &s), ::testing::ExitedWithCode(1),
                " -> mem\\.3ds, " + std::to_string(r.code) + "\nFile File3ds\nLine [0-9]+\n");
  }
}

TEST(X3d3ds, LongAndUnterminatedNamesAreCut) {
  std::string longName(400, 'N');
  x3dScene s{};
  X3dSceneFree free_s{&s};
  Load(Main(Editor(Mesh(longName, {0, 0, 0}, {}))), &s);
  EXPECT_EQ(std::string(s.objects[0].name), std::string(255, 'N'));
  // A material name that runs to the end of its chunk without a terminator.
  Load(Main(Editor(Chunk(0xAFFF, Chunk(0xA000, "Unterminated")))), &s);
  EXPECT_STREQ(s.materials[0].name, "Unterminated");
}

TEST(X3d3ds, NullArgumentsAreAssertions) {
  x3dScene s{};
  X3dSceneFree free_s{&s};
  EXPECT_EXIT(x3dLoad3dsMemory(nullptr, &s), ::testing::ExitedWithCode(1), "Assertion failed");
  xFileData fd{nullptr, 0, nullptr};
  EXPECT_EXIT(x3dLoad3dsMemory(&fd, nullptr), ::testing::ExitedWithCode(1), "Assertion failed");
}

}  // namespace
