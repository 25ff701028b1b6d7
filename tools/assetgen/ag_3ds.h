// 3DS scene writer: the editor part (materials, meshes, lights, cameras) and the
// keyframer (segment, nodes with hierarchy and pivot, animation tracks). All
// coordinates are the file's own: right-handed, z up; faces wind counter-clockwise
// seen from outside.
#pragma once
#include <string>

#include "ag_image.h"
#include "x3d/x3d3dsids.h"

struct Ag3dsMap {
  std::string file;
  float uScale = 1, vScale = 1;
};

struct Ag3dsMaterial {
  std::string name;
  uint32_t ambient = 0x101010, diffuse = 0x808080, specular = 0xffffff;    // 0x00RRGGBB
  int32_t shininess = 30, strength = 40, transparency = 0, selfIllum = 0;  // percent
  int32_t shading = 2;                                                     // 1 flat, 2 Gouraud, 3 Phong
  Ag3dsMap texture, reflection;
  bool twoSided = false;
};

struct Ag3dsMesh {
  std::string name;
  std::vector<float> v;                                               // x, y, z per vertex, world space
  std::vector<float> uv;                                              // u, v per vertex (may be empty)
  std::vector<uint16_t> f;                                            // a, b, c per face
  std::vector<std::pair<std::string, std::vector<uint16_t>>> groups;  // material name, faces
  float origin[3] = {0, 0, 0};                                        // local frame origin written in the mesh matrix
  bool unlit = false;  // writes the object-flag chunk the engine reads as "not lit"
};

struct Ag3dsLight {
  std::string name;
  float pos[3] = {0, 0, 0};
  uint32_t colour = 0xffffff;
  bool spot = false;
  float target[3] = {0, 0, 0}, hotspot = 30, falloff = 45;
  float inner = 0, outer = 0;  // ranges; 0 = not written
  bool attenuate = false;
};

struct Ag3dsCamera {
  std::string name;
  float pos[3] = {0, 0, 0}, target[3] = {0, 0, 0};
  float bank = 0, lens = 35;
};

struct Ag3dsKey {
  int32_t frame = 0;
  float tension = 0, continuity = 0, bias = 0, easeTo = 0, easeFrom = 0;
  float v[4] = {0, 0, 0, 0};  // position/scale/colour xyz; fov or roll v[0]; rotation angle, axis xyz
  std::string object;         // morph target
};

struct Ag3dsTrack {
  uint16_t flags = 0;  // 0 single, 2 repeat, 3 loop
  std::vector<Ag3dsKey> keys;
  bool empty() const { return keys.empty(); }
};

enum Ag3dsNodeKind : uint16_t {
  AG_NODE_AMBIENT = X3DS_NODE_AMBIENT,
  AG_NODE_OBJECT = X3DS_NODE_OBJECT,
  AG_NODE_CAMERA = X3DS_NODE_CAMERA,
  AG_NODE_TARGET = X3DS_NODE_TARGET,
  AG_NODE_OMNI = X3DS_NODE_OMNI,
  AG_NODE_SPOT_TARGET = X3DS_NODE_SPOT_TARGET,
  AG_NODE_SPOT = X3DS_NODE_SPOT,
};

struct Ag3dsNode {
  Ag3dsNodeKind kind = AG_NODE_OBJECT;
  std::string name;      // the object, light or camera it animates; "$$$DUMMY" for a dummy
  std::string instance;  // instance name of a dummy (empty: none)
  int32_t parent = -1;   // index into the node list, -1 for none
  float pivot[3] = {0, 0, 0};
  Ag3dsTrack pos, rot, scale, fov, roll, colour, morph, hide;
};

struct Ag3dsScene {
  std::vector<Ag3dsMaterial> materials;
  std::vector<Ag3dsMesh> meshes;
  std::vector<Ag3dsLight> lights;
  std::vector<Ag3dsCamera> cameras;
  uint32_t ambient = 0x181c28;
  int32_t startFrame = 0, endFrame = 100;
  std::vector<Ag3dsNode> nodes;  // parents before children
};

AgBytes ag3dsWrite(const Ag3dsScene& s);

// Mesh makers (faces wound outward). Each appends to the mesh given, offset by c.
void agMeshSphere(Ag3dsMesh& m, const float c[3], float r, int32_t segs, int32_t rings);
void agMeshTorus(Ag3dsMesh& m, const float c[3], float R, float r, int32_t segs, int32_t sides);
void agMeshCrystal(Ag3dsMesh& m, const float c[3], float r, float h, int32_t sides, float tipUp, float tipDown);
void agMeshBox(Ag3dsMesh& m, const float c[3], float sx, float sy, float sz);
void agMeshGrid(Ag3dsMesh& m, const float c[3], float size, int32_t cells, float tile);  // faces up (+z)
void agMeshRing(Ag3dsMesh& m, const float c[3], float r0, float r1, int32_t segs);       // flat, both faces
// Moves every vertex by a per-vertex function, for morph targets.
void agMeshAllFaces(Ag3dsMesh& m, const std::string& material);  // one group holding every face
