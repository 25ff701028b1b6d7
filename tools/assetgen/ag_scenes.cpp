// The ten scenes and their scripts. Coordinates are the 3DS file's (z up); each
// scene's frame range matches how long its segment shows it, and looping scenes
// end where they began so the wrap is invisible.
#include <cmath>
#include <cstdio>
#include <utility>

#include "ag_content.h"
#include "ag_scene_kit.h"
#include "xmath/xmath.h"

namespace {
const float kPi = 3.14159265f;

void emit(std::vector<AgEntry>& out, AgSceneKit& k, int32_t n) {
  char name[32];
  std::snprintf(name, sizeof name, "scene_%d.3ds", n);
  out.push_back({name, ag3dsWrite(k.s)});
  std::snprintf(name, sizeof name, "scene_%d.x3d", n);
  out.push_back({name, AgBytes(k.script.begin(), k.script.end())});
}

// 1: a field of crystals under fog; the camera sweeps down and closes in, then holds.
void scene1(std::vector<AgEntry>& out) {
  AgSceneKit k;
  k.s.endFrame = 225;
  k.material("GRID", 0x2aa8c8, 1);
  k.material("ROCK", 0x304868, 2);
  k.material("CRYSTAL", 0x80e0ff, 2, "TEXTURE4.TGA");
  k.material("OBSIDIAN", 0x1a2440, 1);
  float o[3] = {0, 0, 0};
  Ag3dsMesh& g = k.mesh("Floor", {0, 0, 0});
  agMeshGrid(g, o, 1600, 16, 8);
  agMeshAllFaces(g, "GRID");
  k.objectNode("Floor", -1, {0, 0, 0});
  for (int32_t i = 0; i < 8; i++) {
    float a = float(i) * kPi / 4, r = 260 + 80 * float(i % 2);
    AgV3 p{r * xMathCosf(a), r * xMathSinf(a), 0};
    char nm[16];
    std::snprintf(nm, sizeof nm, "Crystal%02d", i + 1);
    float c[3] = {p.x, p.y, 60.0f + 20 * float(i % 3)};
    Ag3dsMesh& m = k.mesh(nm, p);
    agMeshCrystal(m, c, 18 + 4 * float(i % 3), 70 + 20 * float(i % 3), 6, 30, 20);
    agMeshAllFaces(m, "CRYSTAL");
    int32_t n = k.objectNode(nm, -1, p);
    k.s.nodes[size_t(n)].rot = agSpin({0, 0, 1}, i % 2 ? 0.5f : -0.5f, 225);
    std::snprintf(nm, sizeof nm, "Rock%02d", i + 1);
    AgV3 q{p.x * 0.7f + 40, p.y * 0.7f, 0};
    float cq[3] = {q.x, q.y, 10};
    Ag3dsMesh& rm = k.mesh(nm, q);
    agMeshSphere(rm, cq, 22, 8, 5);
    agMeshAllFaces(rm, "ROCK");
    k.objectNode(nm, -1, q);
  }
  float cc[3] = {0, 0, 110};
  Ag3dsMesh& big = k.mesh("Monolith", {0, 0, 0});
  agMeshCrystal(big, cc, 50, 160, 8, 60, 10);
  agMeshAllFaces(big, "OBSIDIAN");
  int32_t mono = k.objectNode("Monolith", -1, {0, 0, 0});
  k.s.nodes[size_t(mono)].rot = agSpin({0, 0, 1}, 0.25f, 225);
  int32_t cam = k.camera("Camera01", {0, -1100, 420}, {0, 0, 80}, 28);
  Ag3dsKey a = agKey(0, 0, -1100, 420), b = agKey(90, 420, -560, 90), c = agKey(170, 160, -320, 120),
           d = agKey(225, 40, -250, 140);
  a.easeFrom = 0.5f;
  d.easeTo = 1.0f;
  b.tension = 0.2f;
  c.continuity = -0.3f;
  k.s.nodes[size_t(cam)].pos = agPath({a, b, c, d});
  k.s.nodes[size_t(cam) + 1].pos = agPath({agKey(0, 0, 0, 80), agKey(120, 60, 0, 90), agKey(225, 0, 0, 150)});
  k.s.nodes[size_t(cam)].fov = agPath({agKey(0, 60), agKey(225, 42)});
  k.s.nodes[size_t(cam)].roll = agPath({agKey(0, 0), agKey(90, 8), agKey(225, 0)});
  k.omni("Omni01", {0, 0, 330}, 0xc0e0ff, 1400);
  k.spot("Spot01", {-500, -400, 500}, {0, 0, 0}, 0xffb050, 25, 50);
  k.scriptHeader("scene_1: the crystal field", "scene_1.3ds", true, 0x040c24, true, 3000);
  k.renderType("GRID", 0, 0x2aa8c8);
  k.renderType("ROCK", 2, 0x406890);
  k.renderType("CRYSTAL", 7, 0x80e0ff);
  k.renderType("OBSIDIAN", 1, 0x203058);
  k.flare("Omni01", 70);
  emit(out, k, 1);
}

// 2: rings turning around a core behind the group logo; from 350 the camera backs away and holds at 600.
void scene2(std::vector<AgEntry>& out) {
  AgSceneKit k;
  k.s.endFrame = 600;
  k.material("RINGA", 0x104870, 1);
  k.material("RINGB", 0x603810, 2);
  k.material("CORE", 0x80c0e0, 2, "TEXTURE.TGA");
  int32_t pivot = k.dummyNode("RingPivot", -1, {0, 0, 0});
  k.s.nodes[size_t(pivot)].rot = agSpin({0, 0, 1}, 1, 600);
  const char* names[3] = {"RingInner", "RingMid", "RingOuter"};
  for (int32_t i = 0; i < 3; i++) {
    float o[3] = {0, 0, 0};
    Ag3dsMesh& m = k.mesh(names[i], {0, 0, 0});
    agMeshTorus(m, o, 90 + 45 * float(i), 6 + 2 * float(i), 32, 6);
    agMeshAllFaces(m, i == 1 ? "RINGB" : "RINGA");
    int32_t n = k.objectNode(names[i], pivot, {0, 0, 0});
    AgV3 axis = i == 0 ? AgV3{1, 0, 0} : i == 1 ? AgV3{0, 1, 0} : AgV3{1, 1, 0};
    float len = std::sqrt(axis.x * axis.x + axis.y * axis.y);
    k.s.nodes[size_t(n)].rot = agSpin({axis.x / len, axis.y / len, 0}, float(i + 1) * (i % 2 ? -1.f : 1.f), 600);
  }
  float o[3] = {0, 0, 0};
  Ag3dsMesh& core = k.mesh("Core", {0, 0, 0});
  agMeshSphere(core, o, 45, 16, 10);
  agMeshAllFaces(core, "CORE");
  int32_t cn = k.objectNode("Core", -1, {0, 0, 0});
  Ag3dsKey s0 = agKey(0, 0.2f, 0.2f, 0.2f), s1 = agKey(300, 1, 1, 1), s2 = agKey(600, 1.3f, 1.3f, 1.3f);
  s1.bias = 0.4f;
  k.s.nodes[size_t(cn)].scale = agPath({s0, s1, s2});
  int32_t cam = k.camera("Camera01", {0, -420, 160}, {0, 0, 0}, 35);
  Ag3dsKey e = agKey(600, -200, -900, 380);
  e.easeTo = 1;
  k.s.nodes[size_t(cam)].pos =
      agPath({agKey(0, 300, -300, 60), agKey(200, 0, -380, 200), agKey(350, -120, -450, 120), e});
  k.omni("Omni01", {0, -200, 200}, 0xd0e8ff, 0);
  k.scriptHeader("scene_2: rings of the logo", "scene_2.3ds", false, 0, false, 3000);
  k.renderType("RINGA", 9, 0x184870);
  k.renderType("RINGB", 10, 0x805010);
  k.renderType("CORE", 11, 0x80c0e0);
  emit(out, k, 2);
}

// 3: a crystal cluster on a plate, an orbiting camera and a sweeping spot light (loops at 660).
void scene3(std::vector<AgEntry>& out) {
  AgSceneKit k;
  k.s.endFrame = 660;
  k.material("CLUSTER", 0x70d0f0, 2, "", "TEXTURE.TGA");
  k.material("BASE", 0x405060, 2, "TEXTURE5.TGA");
  k.material("SHARD", 0xd08020, 1);
  float o[3] = {0, 0, -20};
  Ag3dsMesh& base = k.mesh("Plate", {0, 0, 0});
  agMeshBox(base, o, 300, 300, 20);
  agMeshAllFaces(base, "BASE");
  k.objectNode("Plate", -1, {0, 0, 0});
  AgRng rng(303);
  for (int32_t i = 0; i < 7; i++) {
    char nm[16];
    std::snprintf(nm, sizeof nm, "Cluster%02d", i + 1);
    float a = float(i) * 2 * kPi / 7, r = i ? 70.f : 0.f;
    AgV3 p{r * xMathCosf(a), r * xMathSinf(a), 0};
    float c[3] = {p.x, p.y, 50 + float(rng.range(0, 40))};
    Ag3dsMesh& m = k.mesh(nm, p);
    agMeshCrystal(m, c, i ? 16.f : 26.f, i ? 70.f : 120.f, 6, 24, 4);
    agMeshAllFaces(m, i % 3 == 2 ? "SHARD" : "CLUSTER");
    k.objectNode(nm, -1, p);
  }
  int32_t cam = k.camera("Camera01", {0, -400, 160}, {0, 0, 50}, 35);
  k.s.nodes[size_t(cam)].pos = agOrbit({0, 0, 0}, 380, 150, -kPi / 2, 660, 8);
  int32_t sp = k.spot("Spot01", {300, -300, 400}, {0, 0, 0}, 0xffc070, 20, 40);
  k.s.nodes[size_t(sp) + 1].pos = agOrbit({0, 0, 0}, 80, 0, 0, 660, 6, 2);
  k.omni("Omni01", {-200, 200, 250}, 0x4080c0, 0);
  Ag3dsNode amb;  // ambient colour breathing between two blues
  amb.kind = AG_NODE_AMBIENT;
  amb.name = "$AMBIENT$";
  amb.colour =
      agPath({agKey(0, 0.05f, 0.08f, 0.15f), agKey(330, 0.12f, 0.16f, 0.25f), agKey(660, 0.05f, 0.08f, 0.15f)});
  k.s.nodes.push_back(amb);
  k.scriptHeader("scene_3: the cluster", "scene_3.3ds", false, 0, true, 3000);
  k.renderType("CLUSTER", 4, 0x70d0f0);
  k.renderType("BASE", 3, 0x405060);
  k.renderType("SHARD", 1, 0xd08020);
  emit(out, k, 3);
}

// 4: three interlocked rings glowing over the tunnels (loops at 340).
void scene4(std::vector<AgEntry>& out) {
  AgSceneKit k;
  k.s.endFrame = 340;
  k.material("GLOW", 0x3090c0, 2, "", "TEXTURE4.TGA");
  k.material("HALO", 0xc07020, 2, "TEXTURE.TGA");
  for (int32_t i = 0; i < 3; i++) {
    char nm[16];
    std::snprintf(nm, sizeof nm, "Torus%02d", i + 1);
    float o[3] = {0, 0, 0};
    Ag3dsMesh& m = k.mesh(nm, {0, 0, 0});
    agMeshTorus(m, o, 80, 14, 24, 8);
    agMeshAllFaces(m, i == 1 ? "HALO" : "GLOW");
    int32_t n = k.objectNode(nm, -1, {0, 0, 0});
    AgV3 ax = i == 0 ? AgV3{1, 0, 0} : i == 1 ? AgV3{0, 1, 0} : AgV3{0, 0, 1};
    k.s.nodes[size_t(n)].rot = agSpin(ax, i == 1 ? -1.f : 1.f, 340);
  }
  int32_t cam = k.camera("Camera01", {0, -360, 0}, {0, 0, 0}, 35);
  k.s.nodes[size_t(cam)].pos = agPath({agKey(0, 0, -360, 0), agKey(170, 0, -260, 40), agKey(340, 0, -360, 0)});
  k.s.nodes[size_t(cam)].roll = agPath({agKey(0, 0), agKey(340, 360)});
  k.omni("Omni01", {0, -200, 100}, 0xffffff, 0);
  k.scriptHeader("scene_4: rings over the tunnels", "scene_4.3ds", false, 0, false, 2000);
  k.renderType("GLOW", 12, 0x3090c0);
  k.renderType("HALO", 13, 0xc07020);
  emit(out, k, 4);
}

// 5: a living crystal blob that morphs between a sphere and a star, ringed by pillars (loops at 500).
void scene5(std::vector<AgEntry>& out) {
  AgSceneKit k;
  k.s.endFrame = 500;
  k.material("BLOB", 0x60b0e0, 2, "TEXTURE4.TGA");
  k.material("PILLAR", 0x806040, 2, "", "TEXTURE5.TGA");
  float o[3] = {0, 0, 80};
  Ag3dsMesh& blob = k.mesh("Blob", {0, 0, 80});
  agMeshSphere(blob, o, 60, 16, 10);
  agMeshAllFaces(blob, "BLOB");
  Ag3dsMesh spike = blob;  // the same vertices pushed out along alternate spokes
  spike.name = "BlobSpike";
  for (size_t i = 0; i < spike.v.size() / 3; i++) {
    float* p = &spike.v[i * 3];
    float dx = p[0], dy = p[1], dz = p[2] - 80;
    float k2 = (i % 3 == 0) ? 1.7f : 0.85f;
    p[0] = dx * k2;
    p[1] = dy * k2;
    p[2] = 80 + dz * k2;
  }
  k.s.meshes.push_back(spike);
  int32_t bn = k.objectNode("Blob", -1, {0, 0, 80});
  Ag3dsTrack mt;
  const char* seq[5] = {"Blob", "BlobSpike", "Blob", "BlobSpike", "Blob"};
  for (int32_t i = 0; i < 5; i++) {
    Ag3dsKey mk = agKey(i * 125, 0);
    mk.object = seq[i];
    mk.easeFrom = 0.3f;
    mk.easeTo = 0.3f;
    mt.keys.push_back(mk);
  }
  k.s.nodes[size_t(bn)].morph = mt;
  k.s.nodes[size_t(bn)].rot = agSpin({0, 0, 1}, 1, 500);
  int32_t sn = k.objectNode("BlobSpike", -1, {0, 0, 80});
  k.s.nodes[size_t(sn)].hide = agPath({agKey(0, 0)});  // the morph target is never shown itself
  for (int32_t i = 0; i < 6; i++) {
    char nm[16];
    std::snprintf(nm, sizeof nm, "Pillar%02d", i + 1);
    float a = float(i) * kPi / 3;
    AgV3 p{220 * xMathCosf(a), 220 * xMathSinf(a), 0};
    float c[3] = {p.x, p.y, 60};
    Ag3dsMesh& m = k.mesh(nm, p);
    agMeshBox(m, c, 24, 24, 120);
    agMeshAllFaces(m, "PILLAR");
    k.objectNode(nm, -1, p);
  }
  int32_t cam = k.camera("Camera01", {0, -420, 200}, {0, 0, 70}, 30);
  k.s.nodes[size_t(cam)].pos = agOrbit({0, 0, 0}, 420, 180, -kPi / 2, 500, 8);
  k.omni("Omni01", {0, 0, 300}, 0xffd8a0, 0);
  k.spot("Spot01", {-300, 300, 300}, {0, 0, 60}, 0x60a0ff, 30, 60);
  k.scriptHeader("scene_5: the living crystal", "scene_5.3ds", true, 0x020818, true, 2500);
  k.renderType("BLOB", 5, 0x60b0e0);
  k.renderType("PILLAR", 6, 0x806040);
  emit(out, k, 5);
}

// 6: the planet "JUPITER" (textured live by its segment) with moons, one of which hides in eclipse (loops at 190).
void scene6(std::vector<AgEntry>& out) {
  AgSceneKit k;
  k.s.endFrame = 190;
  k.material("JUPITER", 0xd0a060, 2, "TEXTURE5.TGA");
  k.material("MOON", 0x8090a0, 2, "TEXTURE.TGA");
  float o[3] = {0, 0, 0};
  Ag3dsMesh& j = k.mesh("Jupiter", {0, 0, 0});
  agMeshSphere(j, o, 110, 20, 12);
  agMeshAllFaces(j, "JUPITER");
  int32_t jn = k.objectNode("Jupiter", -1, {0, 0, 0});
  k.s.nodes[size_t(jn)].rot = agSpin({0, 0.2f, 0.98f}, 1, 190);
  for (int32_t i = 0; i < 2; i++) {
    char nm[16];
    std::snprintf(nm, sizeof nm, "Moon%02d", i + 1);
    Ag3dsMesh& m = k.mesh(nm, {0, 0, 0});
    agMeshSphere(m, o, 18 - 6 * float(i), 10, 6);
    agMeshAllFaces(m, "MOON");
    int32_t n = k.objectNode(nm, jn, {0, 0, 0});
    k.s.nodes[size_t(n)].pos =
        agOrbit({0, 0, 0}, 180 + 50 * float(i), 20 * float(i), float(i) * kPi, 190, 6, i ? -1.f : 1.f);
    if (i == 1) k.s.nodes[size_t(n)].hide = agPath({agKey(80, 0), agKey(110, 0)});  // behind the planet
  }
  int32_t cam = k.camera("Camera01", {0, -420, 90}, {0, 0, 0}, 35);
  k.s.nodes[size_t(cam)].pos = agPath({agKey(0, -60, -420, 90), agKey(95, 60, -400, 40), agKey(190, -60, -420, 90)});
  k.omni("Sun", {-600, -300, 200}, 0xfff0d0, 0);
  k.scriptHeader("scene_6: the live planet", "scene_6.3ds", false, 0, false, 3000);
  k.renderType("JUPITER", 3, 0xd0a060);
  k.renderType("MOON", 8, 0x8090a0);
  emit(out, k, 6);
}

// 7: a star system close up: a glowing sun, a ringed planet and its moon as a hierarchy
// against a field of stars; big and bright enough to read in the segment's thumbnail (loops at 330).
void scene7(std::vector<AgEntry>& out) {
  AgSceneKit k;
  k.s.endFrame = 330;
  k.s.ambient = 0x303848;
  k.material("SUN", 0xffc060, 2);
  k.material("CORONA", 0xffa040, 2, "TEXTURE4.TGA");
  k.material("PLANET", 0x60a0e0, 2, "TEXTURE5.TGA");
  k.material("MOON", 0xc0c8d0, 2, "TEXTURE4.TGA");
  k.material("ORBIT", 0x80c0ff, 1);
  k.material("HALO", 0x80c0ff, 2, "", "TEXTURE4.TGA");
  k.material("STAR", 0xc0d8ff, 1);
  float o[3] = {0, 0, 0};
  Ag3dsMesh& st = k.mesh("Stars", {0, 0, 0});
  AgRng rng(707);
  for (int32_t i = 0; i < 90; i++) {  // tiny crystals spread over a shell around the system
    float a = float(rng.range(0, 3599)) * kPi / 1800, e = float(rng.range(-600, 900)) * kPi / 3600;
    float c[3] = {1300 * xMathCosf(e) * xMathCosf(a), 1300 * xMathCosf(e) * xMathSinf(a), 1300 * xMathSinf(e)};
    agMeshCrystal(st, c, 4, 6, 3, 5, 5);
  }
  agMeshAllFaces(st, "STAR");
  k.objectNode("Stars", -1, {0, 0, 0});
  Ag3dsMesh& sun = k.mesh("Sun", {0, 0, 0});
  agMeshSphere(sun, o, 80, 20, 12);
  agMeshAllFaces(sun, "SUN");
  int32_t sn = k.objectNode("Sun", -1, {0, 0, 0});
  k.s.nodes[size_t(sn)].rot = agSpin({0, 0, 1}, 1, 330);
  Ag3dsMesh& co = k.mesh("Corona", {0, 0, 0});
  agMeshSphere(co, o, 90, 20, 12);
  agMeshAllFaces(co, "CORONA");
  int32_t cn = k.objectNode("Corona", -1, {0, 0, 0});
  k.s.nodes[size_t(cn)].rot = agSpin({0.3f, 0, 0.95f}, -1, 330);
  Ag3dsMesh& pl = k.mesh("Planet", {0, 0, 0});
  agMeshSphere(pl, o, 55, 18, 10);
  agMeshAllFaces(pl, "PLANET");
  int32_t pn = k.objectNode("Planet", sn, {220, 0, 0});
  Ag3dsMesh& pr = k.mesh("PlanetRing", {0, 0, 0});
  agMeshRing(pr, o, 70, 90, 32);
  agMeshAllFaces(pr, "HALO");
  k.objectNode("PlanetRing", pn, {0, 0, 0});
  Ag3dsMesh& mo = k.mesh("Moonlet", {0, 0, 0});
  agMeshSphere(mo, o, 20, 12, 8);
  agMeshAllFaces(mo, "MOON");
  int32_t mn = k.objectNode("Moonlet", pn, {110, 0, 20});
  k.s.nodes[size_t(mn)].pos = agOrbit({0, 0, 0}, 110, 20, 0, 330, 8, 3);
  Ag3dsMesh& ring = k.mesh("Orbit", {0, 0, 0});
  agMeshRing(ring, o, 216, 224, 48);
  agMeshAllFaces(ring, "ORBIT");
  k.objectNode("Orbit", -1, {0, 0, 0});
  int32_t cam = k.camera("Camera01", {0, -420, 170}, {0, 0, 0}, 30);
  k.s.nodes[size_t(cam)].pos = agOrbit({0, 0, 0}, 420, 170, -kPi / 2, 330, 6, 0.5f);
  k.s.nodes[size_t(cam)].pos.keys.back() = k.s.nodes[size_t(cam)].pos.keys.front();  // return to the start
  k.s.nodes[size_t(cam)].pos.keys.back().frame = 330;
  int32_t om = k.omni("SunLight", {0, 0, 0}, 0xffe0b0, 0);
  k.s.nodes[size_t(om)].colour =
      agPath({agKey(0, 1, 0.9f, 0.7f), agKey(165, 1, 0.75f, 0.5f), agKey(330, 1, 0.9f, 0.7f)});
  k.omni("Fill", {0, -400, 400}, 0x6080b0, 0);
  k.scriptHeader("scene_7: the star system", "scene_7.3ds", false, 0, true, 3000);
  k.renderType("SUN", 2, 0xffc060);
  k.renderType("CORONA", 15, 0xffa040);
  k.renderType("PLANET", 7, 0x60a0e0);
  k.renderType("MOON", 18, 0xc0c8d0);
  k.renderType("ORBIT", 0, 0x80c0ff);
  k.renderType("HALO", 14, 0x80c0ff);
  k.renderType("STAR", 1, 0xc0d8ff);
  for (const char* ob : {"OBJECT Sun", "OBJECT Stars"}) {  // self-lit: a steady 0.7 instead of the lights
    k.line(ob);
    k.line("OBJ_NOLIGHT");
  }
  k.flare("SunLight", 110);
  emit(out, k, 7);
}

// 11: chrome crystals drifting in a loop, each with an additive echo shell (loops at 650).
void scene11(std::vector<AgEntry>& out) {
  AgSceneKit k;
  k.s.endFrame = 650;
  k.material("CHROME", 0xa0c0e0, 2, "", "TEXTURE4.TGA");
  k.material("ECHO", 0x204060, 2, "", "TEXTURE.TGA");
  for (int32_t i = 0; i < 5; i++) {
    char nm[16];
    float o[3] = {0, 0, 0};
    std::snprintf(nm, sizeof nm, "Chrome%02d", i + 1);
    Ag3dsMesh& m = k.mesh(nm, {0, 0, 0});
    agMeshCrystal(m, o, 20, 40, 5, 30, 30);
    agMeshAllFaces(m, "CHROME");
    int32_t n = k.objectNode(nm, -1, {0, 0, 0});
    k.s.nodes[size_t(n)].pos = agOrbit({0, 0, 0}, 140, 40 * xMathSinf(float(i)), float(i) * 2 * kPi / 5, 650, 10);
    k.s.nodes[size_t(n)].rot = agSpin({0.6f, 0, 0.8f}, 2, 650);
    std::snprintf(nm, sizeof nm, "Echo%02d", i + 1);
    Ag3dsMesh& e = k.mesh(nm, {0, 0, 0});
    agMeshCrystal(e, o, 26, 50, 5, 36, 36);
    agMeshAllFaces(e, "ECHO");
    int32_t en = k.objectNode(nm, n, {0, 0, 0});
    k.s.nodes[size_t(en)].scale = agPath({agKey(0, 1, 1, 1), agKey(325, 1.4f, 1.4f, 1.4f), agKey(650, 1, 1, 1)});
  }
  k.camera("Camera01", {0, -420, 120}, {0, 0, 0}, 35);
  k.omni("Omni01", {0, -300, 300}, 0xffffff, 0);
  k.scriptHeader("scene_11: chrome drift", "scene_11.3ds", false, 0, false, 2000);
  k.renderType("CHROME", 16, 0xa0c0e0);
  k.renderType("ECHO", 17, 0x204060);
  emit(out, k, 11);
}

// 13: a long slow flight through a field of prisms in wire cages (loops at 2300). Its segment
// never clears the view and adds onto it, so an opaque sky dome repaints every pixel each frame.
void scene13(std::vector<AgEntry>& out) {
  AgSceneKit k;
  k.s.endFrame = 2300;
  k.material("PRISM", 0xe09030, 2, "TEXTURE4.TGA");
  k.material("CAGE", 0xffc040, 1);
  k.material("LAMP", 0xfff0d0, 1, "TEXTURE4.TGA");
  k.material("SKY", 0x203050, 1, "TEXTURE.TGA");
  k.skyDome("Sky", "SKY", 1400, 2, 1);
  AgRng rng(1313);
  for (int32_t i = 0; i < 10; i++) {
    char nm[16];
    float a = float(i) * 2 * kPi / 10, r = 300 + float(rng.range(-60, 60));
    AgV3 p{r * xMathCosf(a), r * xMathSinf(a), float(rng.range(-40, 60))};
    float c[3] = {p.x, p.y, p.z};
    std::snprintf(nm, sizeof nm, "Prism%02d", i + 1);
    Ag3dsMesh& m = k.mesh(nm, p);
    agMeshCrystal(m, c, 20, 50, 3, 25, 25);
    agMeshAllFaces(m, "PRISM");
    int32_t n = k.objectNode(nm, -1, p);
    k.s.nodes[size_t(n)].rot = agSpin({0, 0, 1}, float(1 + i % 3), 2300);
    std::snprintf(nm, sizeof nm, "Cage%02d", i + 1);
    Ag3dsMesh& cg = k.mesh(nm, p);
    agMeshBox(cg, c, 70, 70, 110);
    agMeshAllFaces(cg, "CAGE");
    k.objectNode(nm, -1, p);
  }
  float o[3] = {0, 0, 0};
  Ag3dsMesh& lamp = k.mesh("Lamp", {0, 0, 0});
  agMeshSphere(lamp, o, 20, 10, 6);
  agMeshAllFaces(lamp, "LAMP");
  lamp.unlit = true;
  k.objectNode("Lamp", -1, {0, 0, 0});
  int32_t cam = k.camera("Camera01", {0, -300, 40}, {0, 0, 0}, 30);
  k.s.nodes[size_t(cam)].pos = agOrbit({0, 0, 0}, 420, 60, -kPi / 2, 2300, 16, 2);
  k.s.nodes[size_t(cam) + 1].pos = agOrbit({0, 0, 0}, 120, 0, 0, 2300, 8, -1);
  k.omni("Omni01", {0, 0, 0}, 0xffe0b0, 0);
  k.spot("Spot01", {0, 0, 500}, {0, 0, 0}, 0x80c0ff, 40, 70);
  k.scriptHeader("scene_13: the prism field", "scene_13.3ds", false, 0, true, 3000);
  k.renderType("PRISM", 15, 0xe09030);
  k.renderType("CAGE", 0, 0xffc040);
  k.renderType("LAMP", 15, 0xfff0d0);
  k.renderType("SKY", 7, 0x203050);
  k.line("OBJECT Lamp");
  k.line("OBJ_NOLIGHT");
  for (int32_t i = 1; i <= 10; i += 3) {
    char nm[32];
    std::snprintf(nm, sizeof nm, "OBJECT Cage%02d", i);
    k.line(nm);
    k.line("OBJ_NOLIGHT");
  }
  k.flare("Omni01", 60);
  emit(out, k, 13);
}

// 14: a fogged terrain with beacons under the instrument panel (loops at 1400).
void scene14(std::vector<AgEntry>& out) {
  AgSceneKit k;
  k.s.endFrame = 1400;
  k.material("TERRAIN", 0x205878, 2);
  k.material("WIRE", 0x60e0ff, 1);
  k.material("BEACON", 0xf0a020, 1);
  float o[3] = {0, 0, 0};
  Ag3dsMesh& t = k.mesh("Terrain", {0, 0, 0});
  agMeshGrid(t, o, 1600, 20, 4);
  for (size_t i = 0; i < t.v.size() / 3; i++)  // rolling hills, periodic so the flight can circle
    t.v[i * 3 + 2] = 60 * agFbm(t.v[i * 3] / 200 + 8, t.v[i * 3 + 1] / 200 + 8, 16, 3, 1414) - 30;
  agMeshAllFaces(t, "TERRAIN");
  k.objectNode("Terrain", -1, {0, 0, 0});
  Ag3dsMesh& w = k.mesh("Wire", {0, 0, 0});
  float wo[3] = {0, 0, 120};
  agMeshGrid(w, wo, 1600, 8, 1);
  agMeshAllFaces(w, "WIRE");
  k.objectNode("Wire", -1, {0, 0, 0});
  for (int32_t i = 0; i < 6; i++) {
    char nm[16];
    std::snprintf(nm, sizeof nm, "Beacon%02d", i + 1);
    float a = float(i) * kPi / 3;
    AgV3 p{400 * xMathCosf(a), 400 * xMathSinf(a), 40};
    float c[3] = {p.x, p.y, p.z};
    Ag3dsMesh& m = k.mesh(nm, p);
    agMeshCrystal(m, c, 8, 20, 4, 20, 10);
    agMeshAllFaces(m, "BEACON");
    int32_t n = k.objectNode(nm, -1, p);
    k.s.nodes[size_t(n)].pos = agPath({agKey(0, p.x, p.y, 40), agKey(700, p.x, p.y, 70), agKey(1400, p.x, p.y, 40)});
  }
  int32_t cam = k.camera("Camera01", {0, -500, 120}, {0, 0, 0}, 28);
  k.s.nodes[size_t(cam)].pos = agOrbit({0, 0, 0}, 500, 110, -kPi / 2, 1400, 12, 1);
  k.s.nodes[size_t(cam) + 1].pos = agOrbit({0, 0, 0}, 200, 0, 0, 1400, 12, 1);
  k.omni("Omni01", {0, 0, 400}, 0xc0d8ff, 0);
  k.spot("Spot01", {600, 0, 300}, {0, 0, 0}, 0xffb060, 30, 60);
  k.scriptHeader("scene_14: the terrain panel", "scene_14.3ds", true, 0x061428, false, 1800);
  k.renderType("TERRAIN", 2, 0x205878);
  k.renderType("WIRE", 0, 0x60e0ff);
  k.renderType("BEACON", 9, 0xf0a020);
  emit(out, k, 14);
}
}  // namespace

void agAddScenes(std::vector<AgEntry>& out) {
  scene1(out);
  scene2(out);
  scene3(out);
  scene4(out);
  scene5(out);
  scene6(out);
  scene7(out);
  scene11(out);
  scene13(out);
  scene14(out);
}
