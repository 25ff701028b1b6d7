// Scene animation: track time, hide and morph, matrices, hierarchy, cameras.
#include <gtest/gtest.h>

#include <cmath>

#include "x3dtestfree.h"
#include "x3d/x3danim.h"
#include "x3d/x3dspline.h"
#include "x3dtest3ds.h"

using namespace t3ds;

namespace {

std::string Objects() {
  return Editor(Mesh("Box", {0, 0, 0}, {}) + Mesh("Child", {1, 1, 1}, {}) + Mesh("Other", {2, 2, 2}, {}) +
                Camera("Camera01", {0, 0, 0, 0, 10, 0}, 0, 50) + Omni("Omni01", 1, 2, 3));
}

struct Posed {
  x3dScene s{};
  X3dSceneFree free_s{&s};
  explicit Posed(const std::string& kf) {
    x3dInit(320, 200, nullptr);
    Load(Main(Objects() + Keyframer(kf)), &s);
    x3dSetScene(&s);
  }
  void At(float frame) {
    s.frame = frame;
    x3dUpdateScene();
  }
  x3dObject* Obj(const char* n) { return x3dFindObject(n, &s); }
};

TEST(X3dAnim, RepeatTrackAtItsLastKeyIsTimeZero) {
  Posed p(Chunk(
      0xB002, NodeHeader("Box", 0, 0xFFFF) + Track(0xB020, 0x0002, {{0, Floats({1, 0, 0})}, {20, Floats({5, 0, 0})}})));
  struct Row {
    float frame, x;
  } rows[] = {
      {0, 1},   // first key
      {10, 3},  // half way, linear two-key track
      {20, 1},  // last key frame wraps to 0
      {30, 3},  // 30 mod 20 = 10
      {19.5f, 4.9f},
  };
  for (const Row& r : rows) {
    p.At(r.frame);
    EXPECT_NEAR(p.Obj("Box")->position[0], r.x, 1e-4) << r.frame;
    EXPECT_NEAR(p.Obj("Box")->matrix[0][3], r.x, 1e-4) << r.frame;
  }
  // A single (non-repeating) track holds its last key.
  Posed q(Chunk(0xB002,
                NodeHeader("Box", 0, 0xFFFF) + Track(0xB020, 0, {{0, Floats({1, 0, 0})}, {20, Floats({5, 0, 0})}})));
  q.At(20);
  EXPECT_NEAR(q.Obj("Box")->position[0], 5.0f, 1e-5);
  q.At(50);
  EXPECT_NEAR(q.Obj("Box")->position[0], 5.0f, 1e-5);
}

TEST(X3dAnim, FirstKeyHeldBeforeItsFrame) {
  Posed p(Chunk(0xB002,
                NodeHeader("Box", 0, 0xFFFF) + Track(0xB020, 0, {{10, Floats({7, 0, 0})}, {20, Floats({9, 0, 0})}})));
  p.At(2);
  EXPECT_EQ(p.Obj("Box")->position[0], 7.0f);
}

TEST(X3dAnim, HideTrackTenToTwenty) {
  Posed p(Chunk(0xB002, NodeHeader("Box", 0, 0xFFFF) + HideTrack({10, 20})));
  struct Row {
    float frame;
    bool hidden;
  } rows[] = {
      {0, false},                                  // before the first key: shown
      {9.9f, false}, {10, true},                   // first key hides
      {15, true},    {19.99f, true}, {20, false},  // second key shows
      {50, false},   {12, true},                   // jumping back
  };
  for (const Row& r : rows) {
    p.At(r.frame);
    EXPECT_EQ((p.Obj("Box")->flags & X3D_OBJ_HIDDEN_TRACK) != 0, r.hidden) << r.frame;
  }
}

TEST(X3dAnim, SingleRotationKeyHeld) {
  Posed p(Chunk(0xB002, NodeHeader("Box", 0, 0xFFFF) + Track(0xB021, 0, {{0, Floats({1.5707964f, 0, 0, 1})}}) +
                            Track(0xB022, 0, {{0, Floats({2, 2, 2})}})));
  for (float f : {0.0f, 33.0f, 99.0f}) {
    p.At(f);
    x3dObject* o = p.Obj("Box");
    EXPECT_NEAR(o->rotation[0], std::cos(0.7853982f), 1e-6);
    // A quarter turn about the engine y axis, scaled by 2: x goes to -z.
    EXPECT_NEAR(o->matrix[0][0], 0.0f, 1e-5);
    EXPECT_NEAR(o->matrix[2][0], -2.0f, 1e-5);
    EXPECT_NEAR(o->matrix[1][1], 2.0f, 1e-5);
  }
}

TEST(X3dAnim, MorphFactorAndFlag) {
  std::string morph = Chunk(0xB026, U16(0) + std::string(8, '\0') + U32(2) + U32(0) + U16(0) + Name("Child") + U32(10) +
                                        U16(0) + Name("Other"));
  Posed p(Chunk(0xB002, NodeHeader("Box", 0, 0xFFFF) + morph) + Chunk(0xB002, NodeHeader("Child", 0, 0xFFFF)));
  int32_t child = p.Obj("Child")->id, other = p.Obj("Other")->id;
  struct Row {
    float frame;
    int32_t src, dst;
    float factor;
  } rows[] = {
      {5, child, other, 0.5f},   // between the keys
      {0, child, other, 0.0f},   // at the first key
      {15, child, other, 1.0f},  // after the last key: predecessor to last, factor 1
  };
  for (const Row& r : rows) {
    p.At(r.frame);
    x3dObject* o = p.Obj("Box");
    EXPECT_TRUE(o->flags & X3D_OBJ_MORPH);
    EXPECT_EQ(o->morphSource, r.src) << r.frame;
    EXPECT_EQ(o->morphTarget, r.dst) << r.frame;
    EXPECT_NEAR(o->morphFactor, r.factor, 1e-6) << r.frame;
  }
  EXPECT_FALSE(p.Obj("Child")->flags & X3D_OBJ_MORPH);  // no morph track
}

TEST(X3dAnim, ObjectHierarchyMultipliesMatrices) {
  Posed p(Chunk(0xB002, NodeId(0) + NodeHeader("Box", 0, 0xFFFF) + Track(0xB020, 0, {{0, Floats({10, 0, 0})}}) +
                            Track(0xB021, 0, {{0, Floats({1.5707964f, 0, 0, 1})}})) +
          Chunk(0xB002, NodeId(1) + NodeHeader("Child", 0, 0) + Track(0xB020, 0, {{0, Floats({1, 0, 0})}})) +
          Chunk(0xB005, NodeId(2) + NodeHeader("Omni01", 0, 0) + Track(0xB020, 0, {{0, Floats({0, 0, 0})}})));
  p.At(1);
  x3dObject* c = p.Obj("Child");
  // Child at (1,0,0) in the parent's frame: rotated a quarter turn about y, then moved by 10.
  EXPECT_NEAR(c->matrix[0][3], 10.0f, 1e-5);
  EXPECT_NEAR(c->matrix[2][3], -1.0f, 1e-5);
  EXPECT_NEAR(c->matrix[2][0], -1.0f, 1e-5);
  // The light child gets the parent's transform of its position.
  EXPECT_NEAR(p.s.lights[0].position[0], 10.0f, 1e-5);
  // Evaluated again, nothing accumulates.
  p.At(2);
  EXPECT_NEAR(c->matrix[0][3], 10.0f, 1e-5);
}

TEST(X3dAnim, LightParentedToCameraFollowsPositionOnly) {
  Posed p(Chunk(0xB003, NodeId(0) + NodeHeader("Camera01", 0, 0xFFFF) +
                            Track(0xB020, 0, {{0, Floats({0, 0, 0})}, {10, Floats({10, 0, 0})}}) +
                            Track(0xB024, 0, {{0, F32(90)}})) +
          Chunk(0xB004, NodeId(1) + NodeHeader("Camera01", 0, 0xFFFF) + Track(0xB020, 0, {{0, Floats({0, 50, 0})}})) +
          Chunk(0xB005, NodeId(2) + NodeHeader("Omni01", 0, 0) + Track(0xB020, 0, {{0, Floats({0, 0, 1})}})));
  p.At(5);
  x3dLight* l = &p.s.lights[0];
  EXPECT_NEAR(l->position[0], 5.0f, 1e-4);  // camera x 5 plus light x 0
  EXPECT_NEAR(l->position[1], 1.0f, 1e-5);  // file z 1 -> engine y, unrotated by the roll
  EXPECT_NEAR(l->position[2], 0.0f, 1e-5);
  // The camera's view matrix was rebuilt from position, target and roll.
  x3dCamera* cam = &p.s.cameras[0];
  EXPECT_NEAR(cam->position[0], 5.0f, 1e-4);
  EXPECT_NEAR(cam->target[2], 50.0f, 1e-5);
  float z = cam->view[2][0] * cam->target[0] + cam->view[2][1] * cam->target[1] + cam->view[2][2] * cam->target[2] +
            cam->view[2][3];
  EXPECT_NEAR(z, std::sqrt(50.f * 50 + 25), 1e-3);
}

// Children without a position track start every update from their file position,
// so repeated updates do not drift by the parent's transform.
TEST(X3dAnim, TracklessChildrenDoNotDrift) {
  Posed p(Chunk(0xB002, NodeId(0) + NodeHeader("Box", 0, 0xFFFF) + Track(0xB020, 0, {{0, Floats({10, 0, 0})}})) +
          Chunk(0xB005, NodeId(1) + NodeHeader("Omni01", 0, 0)));
  const float file[3] = {p.s.lights[0].position[0], p.s.lights[0].position[1], p.s.lights[0].position[2]};
  for (int frame = 0; frame < 5; frame++) {
    p.At(static_cast<float>(frame));
    EXPECT_NEAR(p.s.lights[0].position[0], file[0] + 10.0f, 1e-4) << "update " << frame;
    EXPECT_NEAR(p.s.lights[0].position[1], file[1], 1e-4);
    EXPECT_NEAR(p.s.lights[0].position[2], file[2], 1e-4);
  }
  Posed q(Chunk(0xB003, NodeId(0) + NodeHeader("Camera01", 0, 0xFFFF) +
                            Track(0xB020, 0, {{0, Floats({0, 0, 0})}, {10, Floats({10, 0, 0})}})) +
          Chunk(0xB005, NodeId(1) + NodeHeader("Omni01", 0, 0)));
  const float lx = q.s.lights[0].position[0];
  q.At(5);
  q.At(5);
  EXPECT_NEAR(q.s.lights[0].position[0], lx + 5.0f, 1e-4);  // camera x 5 added once
}

TEST(X3dAnim, CameraProjectionRebuiltOnlyWhenFovChanges) {
  Posed p(Chunk(0xB003, NodeHeader("Camera01", 0, 0xFFFF) + Track(0xB023, 0, {{0, F32(90)}})));
  x3dCamera* cam = &p.s.cameras[0];
  x3dCameraViewport(cam, 320, 200);
  p.At(0);
  EXPECT_EQ(cam->fov, 90.0f);
  EXPECT_NEAR(cam->projection[0][0], 1.0f, 1e-6);
  cam->projection[0][0] = 123.0f;  // marker: a rebuild would overwrite it
  p.At(1);
  EXPECT_EQ(cam->projection[0][0], 123.0f);
  // Without a field-of-view track the file's lens gives the projection.
  Posed q(Chunk(0xB003, NodeHeader("Camera01", 0, 0xFFFF)));
  x3dCamera* c2 = &q.s.cameras[0];
  x3dCameraViewport(c2, 320, 200);
  q.At(0);
  EXPECT_EQ(c2->fov, 46.0f);  // 50 mm lens
  EXPECT_NEAR(c2->projection[0][0], 1 / std::tan(23 * 0.017453292f), 1e-5);
}

TEST(X3dAnim, ColourTracksOfLightsAndAmbient) {
  Posed p(Chunk(0xB005, NodeHeader("Omni01", 0, 0xFFFF) +
                            Track(0xB025, 0x0002, {{0, Floats({0, 0, 0})}, {10, Floats({1, 0.5f, 0})}})) +
          Chunk(0xB001, NodeHeader("$AMBIENT$", 0, 0xFFFF) + Track(0xB025, 0, {{0, Floats({0.2f, 0.2f, 0.2f})}})));
  p.At(15);  // colours use the unwrapped frame: past the last key they hold it
  EXPECT_NEAR(p.s.lights[0].color[0], 1.0f, 1e-5);
  EXPECT_NEAR(p.s.lights[0].color[1], 0.5f, 1e-5);
  EXPECT_NEAR(p.s.ambients[0].color[2], 0.2f, 1e-6);
}

TEST(X3dAnim, ObjectsWithoutNodesKeepIdentity) {
  Posed p("");
  p.At(0);
  x3dObject* o = p.Obj("Box");
  EXPECT_EQ(o->matrix[0][0], 1.0f);
  EXPECT_EQ(o->matrix[1][1], 1.0f);
  EXPECT_EQ(o->scale[2], 1.0f);
  EXPECT_EQ(x3dUpdateScene(), 0);
}

}  // namespace
