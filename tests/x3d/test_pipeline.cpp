// Polygon pipeline: sphere outcodes, side-plane clipping, x3dDrawFace's
// preparation, default materials and choice of filler.
#include <gtest/gtest.h>

#include <cstring>

#include "x3drendertest.h"

namespace {

class Pipeline : public ::testing::Test {
 protected:
  RenderTestView view;
  x3dVertex verts[3];
  x3dFace face;
  x3dMaterial mat;
  void SetUp() override {
    view.init();
    std::memset(&face, 0, sizeof(face));
    std::memset(&mat, 0, sizeof(mat));
    const float sx[3] = {50, 150, 60}, sy[3] = {20, 40, 120};
    for (int i = 0; i < 3; i++) {
      verts[i] = screenVertex(sx[i], sy[i], 10.0f);
      // x3dDrawFace reads the view position (words 4-6).
      std::memcpy(verts[i].view, verts[i].pos, sizeof(verts[i].view));
      verts[i].intensity = 1.0f;
    }
    face.va = &verts[0], face.vb = &verts[1], face.vc = &verts[2];
  }
  int countLit() const {
    int n = 0;
    for (uint32_t px : view.pixels) n += px != 0;
    return n;
  }
};

TEST_F(Pipeline, SphereOutcode) {
  const float k = 0.70710678f;  // 90 degree field of view
  struct Row {
    float c[3], r;
    uint8_t code;
  } rows[] = {
      {{0, 0, 100}, 5, 0},                 // well inside
      {{0, 0, 100}, 80, 0x0F},             // crosses all four planes
      {{-100, 0, 100}, 5, X3D_CLIP_LEFT},  // on the left plane
      {{100, 0, 100}, 5, X3D_CLIP_RIGHT},
      {{0, 100, 100}, 5, X3D_CLIP_TOP},
      {{0, -100, 100}, 5, X3D_CLIP_BOTTOM},
      {{-200, 0, 100}, 5, 0x80},  // wholly left
      {{0, 300, 100}, 5, 0x80},   // wholly above
      {{0, 0, -50}, 5, 0x80},     // behind the camera
  };
  for (const Row& r : rows)
    EXPECT_EQ(x3dSphereOutcode(k, k, r.c, r.r), r.code) << r.c[0] << "," << r.c[1] << "," << r.c[2];
}

TEST_F(Pipeline, BigTriangleBecomesSevenVertices) {
  x3dClipPolygon p;
  std::memset(&p, 0, sizeof(p));
  // Each edge cuts one corner of the view square (|x|, |y| <= 10 at z = 10); the fourth corner is inside.
  const float pos[3][3] = {{16, 0, 10}, {-5.25f, 21.25f, 10}, {-26.5f, -42.5f, 10}};
  for (int i = 0; i < 3; i++) {
    std::memcpy(p.v[i].pos, pos[i], sizeof(pos[i]));
    p.v[i].u = static_cast<float>(i * 100);
    p.v[i].intensity = 255.0f;
    p.v[i].flags = x3dOutcode(pos[i][0], pos[i][1], pos[i][2]);
  }
  p.count = 3;
  x3dClipPolygon a, b;
  x3dClipLeft(&p, &a);
  x3dClipRight(&a, &b);
  x3dClipTop(&b, &a);
  x3dClipBottom(&a, &b);
  ASSERT_EQ(b.count, 7);
  for (int i = 0; i < b.count; i++) {
    const float* q = b.v[i].pos;
    EXPECT_GE(q[0], -q[2] - 1e-4f);
    EXPECT_LE(q[0], q[2] + 1e-4f);
    EXPECT_GE(q[1], -q[2] - 1e-4f);
    EXPECT_LE(q[1], q[2] + 1e-4f);
    EXPECT_GE(b.v[i].u, 0.0f);  // interpolated, not left behind
    EXPECT_LE(b.v[i].u, 200.0f);
  }
  // Drawn as a fan of five triangles: the view less three cut corners.
  x3dFillFlat(&b, view.target(), 255, 255, 255);
  EXPECT_GT(countLit(), 320 * 200 * 8 / 10);
  EXPECT_LT(countLit(), 320 * 200);
  EXPECT_NE(view.at(2, 197), 0u);  // the corner left inside
  EXPECT_EQ(view.at(318, 1), 0u);  // a cut corner
}

TEST_F(Pipeline, ClipKeepsInsideVerticesWhole) {
  x3dClipPolygon p;
  std::memset(&p, 0, sizeof(p));
  for (int i = 0; i < 3; i++) {
    p.v[i].pos[0] = static_cast<float>(i) - 1.0f;
    p.v[i].pos[2] = 10.0f;
    p.v[i].fog = 0.25f * i;  // a word the clipper only copies
  }
  p.count = 3;
  x3dClipPolygon out;
  x3dClipLeft(&p, &out);
  ASSERT_EQ(out.count, 3);
  // Emitted in edge order: s of edge i is vertex i + 1.
  EXPECT_EQ(std::memcmp(&out.v[0], &p.v[1], sizeof(x3dVertex)), 0);
  EXPECT_EQ(std::memcmp(&out.v[2], &p.v[0], sizeof(x3dVertex)), 0);
}

TEST_F(Pipeline, ClipCodeZeroDrawsLikeTheFillerItself) {
  mat.renderFlags = X3D_RF_GOURAUD;
  mat.color = 0x80C0FF;
  face.material = &mat;
  verts[1].intensity = 0.5f;
  x3dDrawFace(&face, view.target(), X3D_MODE_PAINTER, 1);
  std::vector<uint32_t> viaFace = view.pixels;
  x3dClipPolygon p;
  std::memset(&p, 0, sizeof(p));
  for (int i = 0; i < 3; i++) {
    std::memcpy(p.v[i].pos, verts[i].view, sizeof(p.v[i].pos));
    p.v[i].intensity = verts[i].intensity * 255.0f;
  }
  p.count = 3;
  view.clear();
  x3dFillGouraud(&p, view.target(), 0x80C0FF);
  EXPECT_EQ(view.pixels, viaFace);
  EXPECT_GT(countLit(), 4000);
}

TEST_F(Pipeline, FarFacesAreSkipped) {
  mat.renderFlags = X3D_RF_FLAT;
  mat.r = 255;
  face.material = &mat;
  face.clipCode = 0x0F;
  for (auto& v : verts) v.flags = X3D_VTX_FAR;
  x3dDrawFace(&face, view.target(), X3D_MODE_PAINTER, 1);
  EXPECT_EQ(countLit(), 0);
  verts[2].flags = 0;  // one vertex nearer: drawn
  x3dDrawFace(&face, view.target(), X3D_MODE_PAINTER, 1);
  EXPECT_GT(countLit(), 0);
}

TEST_F(Pipeline, DefaultMaterialPerMode) {
  EXPECT_EQ(x3dDefaultMaterial(X3D_MODE_ZBUFFER)->color, 0xFFFFFFu);
  EXPECT_EQ(x3dDefaultMaterial(X3D_MODE_PAINTER)->color, 0xEC920Eu);
  EXPECT_EQ(x3dDefaultMaterial(X3D_MODE_PAINTER)->renderFlags, X3D_RF_WIRE);
  x3dLineTable(0, 0);  // plain lines show the colour itself
  x3dDrawFace(&face, view.target(), X3D_MODE_ZBUFFER, 1);
  for (uint32_t px : view.pixels) ASSERT_TRUE(px == 0 || px == 0xFFFFFF);
  EXPECT_GT(countLit(), 100);
  view.clear();
  x3dDrawFace(&face, view.target(), X3D_MODE_PAINTER, 1);
  for (uint32_t px : view.pixels) ASSERT_TRUE(px == 0 || px == 0xEC920E);
  EXPECT_GT(countLit(), 100);
  view.clear();
  x3dDrawFace(&face, view.target(), X3D_MODE_ZBUFFER, 2);  // the wire bit is not tested in pass 2
  EXPECT_EQ(countLit(), 0);
  x3dLineTable(1, 2);
}

TEST_F(Pipeline, UntexturedWithoutShadingBits) {
  mat.renderFlags = 0;
  mat.color = 0xFFFFFF;
  face.material = &mat;
  EXPECT_EQ(x3dChooseFiller(0, 0, X3D_MODE_PAINTER, 1), X3D_FILL_NONE);
  x3dDrawFace(&face, view.target(), X3D_MODE_PAINTER, 1);
  EXPECT_EQ(countLit(), 0);
  x3dBuildFogTable(0, 0, 0);
  EXPECT_EQ(x3dChooseFiller(0, 1, X3D_MODE_PAINTER, 1), X3D_FILL_GOURAUD_FOG);
  for (auto& v : verts) v.fog = 0.0f;
  x3dDrawFace(&face, view.target(), X3D_MODE_PAINTER, 1);
  // Fog 0, intensity 1 in word 13: level 255 leaves the colour as it is.
  EXPECT_EQ(view.at(70, 50), 0xFFFFFFu);
  for (auto& v : verts) v.intensity = 0.5f;
  x3dDrawFace(&face, view.target(), X3D_MODE_PAINTER, 1);
  EXPECT_EQ(view.at(70, 50), 0x7E7E7Eu);  // level 127: (127 x 255) >> 8 = 126
}

TEST_F(Pipeline, FillerChoiceTable) {
  struct Row {
    int32_t flags;
    uint8_t fog;
    int32_t mode, pass, want;
  } rows[] = {
      {0x020, 0, X3D_MODE_PAINTER, 1, X3D_FILL_WIRE},
      {0x020, 0, X3D_MODE_ZBUFFER, 2, X3D_FILL_NONE},       // wire not tested in pass 2
      {0x0C8, 1, X3D_MODE_PAINTER, 1, X3D_FILL_PERSP_FOG},  // 0x080 plays no part with fog
      {0x008, 1, X3D_MODE_PAINTER, 1, X3D_FILL_TEX_FOG},
      {0x001, 1, X3D_MODE_PAINTER, 1, X3D_FILL_GOURAUD_FOG},  // flat drawn by Gouraud fog
      {0x0C8, 0, X3D_MODE_PAINTER, 1, X3D_FILL_PERSP},
      {0x048, 0, X3D_MODE_PAINTER, 1, X3D_FILL_PERSP_LIT},
      {0x088, 0, X3D_MODE_PAINTER, 1, X3D_FILL_TEX},
      {0x008, 0, X3D_MODE_PAINTER, 1, X3D_FILL_TEX_LIT},
      {0x003, 0, X3D_MODE_PAINTER, 1, X3D_FILL_FLAT},  // flat wins over Gouraud
      {0x002, 0, X3D_MODE_PAINTER, 1, X3D_FILL_GOURAUD},
      {0x188, 0, X3D_MODE_PAINTER, 1, X3D_FILL_TEX | X3D_FILL_ADD},
      {0x088, 0, X3D_MODE_ZBUFFER, 1, X3D_FILL_TEX | X3D_FILL_Z},
      {0x101, 0, X3D_MODE_ZBUFFER, 2, X3D_FILL_FLAT | X3D_FILL_Z | X3D_FILL_ADD},
      {0x118, 0, X3D_MODE_ZBUFFER, 2, X3D_FILL_TEX_LIT | X3D_FILL_Z | X3D_FILL_ADD},  // env map: lit texture
  };
  for (const Row& r : rows)
    EXPECT_EQ(x3dChooseFiller(r.flags, r.fog, r.mode, r.pass), r.want) << std::hex << r.flags << " fog " << int(r.fog);
}

TEST_F(Pipeline, AdditiveBehindOpaqueLeavesPicture) {
  x3dMaterial opaque = mat, add = mat;
  opaque.renderFlags = X3D_RF_FLAT;
  opaque.r = 100, opaque.g = 50, opaque.b = 25;
  add.renderFlags = X3D_RF_FLAT | X3D_RF_ADDITIVE;
  add.r = add.g = add.b = 200;
  face.material = &opaque;
  x3dDrawFace(&face, view.target(), X3D_MODE_ZBUFFER, 1);
  std::vector<uint32_t> before = view.pixels;
  x3dVertex back[3];
  for (int i = 0; i < 3; i++) {
    back[i] = verts[i];
    for (int k = 0; k < 3; k++) back[i].view[k] *= 2.0f;  // same screen place, twice as far
  }
  x3dFace behind = face;
  behind.va = &back[0], behind.vb = &back[1], behind.vc = &back[2];
  behind.material = &add;
  x3dDrawFace(&behind, view.target(), X3D_MODE_ZBUFFER, 2);
  EXPECT_EQ(view.pixels, before);
  // In front, the same face adds.
  for (int i = 0; i < 3; i++)
    for (int k = 0; k < 3; k++) back[i].view[k] = verts[i].view[k] * 0.5f;
  x3dDrawFace(&behind, view.target(), X3D_MODE_ZBUFFER, 2);
  EXPECT_NE(view.pixels, before);
}

TEST_F(Pipeline, EnvironmentMapUsesViewNormals) {
  std::vector<uint32_t> tex = coordTexture();
  mat.renderFlags = 0x098;  // environment map, unlit
  mat.reflection.image = tex.data();
  face.material = &mat;
  for (auto& v : verts) v.viewNormal[0] = 0.0f, v.viewNormal[1] = -0.5f;
  x3dDrawFace(&face, view.target(), X3D_MODE_PAINTER, 1);
  // u = (0 + 1) x 127.5, v = (-0.5 + 1) x 127.5
  EXPECT_EQ(view.at(70, 50), 63u << 8 | 127u);
}

}  // namespace
