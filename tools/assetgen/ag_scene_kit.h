// Helpers for building the presentation's scenes: materials, meshes, lights and
// cameras with their keyframer nodes, and common motions (orbits, spins).
#pragma once
#include <string>

#include "ag_3ds.h"

struct AgV3 {
  float x, y, z;
};

struct AgSceneKit {
  Ag3dsScene s;
  std::string script;  // the scene script being written, CR LF line ends

  Ag3dsMaterial& material(const std::string& name, uint32_t diffuse, int32_t shading, const std::string& tex = "",
                          const std::string& refl = "");
  Ag3dsMesh& mesh(const std::string& name, AgV3 origin);
  int32_t objectNode(const std::string& name, int32_t parent, AgV3 pos);  // node with one position key
  int32_t dummyNode(const std::string& instance, int32_t parent, AgV3 pos);
  int32_t camera(const std::string& name, AgV3 pos, AgV3 target, float lens);  // camera node; target node follows it
  int32_t omni(const std::string& name, AgV3 pos, uint32_t colour, float range);
  int32_t spot(const std::string& name, AgV3 pos, AgV3 target, uint32_t colour, float hotspot, float falloff);
  void line(const std::string& text) { script += text + "\r\n"; }
  // Script lines: the header (fog colour 0xRRGGBB, only written with fog on), a material's render
  // type with its colour, a light's lens flare.
  void scriptHeader(const char* about, const char* file3ds, bool fog, uint32_t fogColour, bool zbuffer,
                    int32_t distance);
  void renderType(const char* mat, int32_t type, uint32_t colour);
  void flare(const char* light, int32_t scale);
  // A sky sphere seen from inside (faces turned inward) with its texture tiled uTiles x vTiles
  // times; large enough to hold the camera's path, but inside 0.75 x DISTANCE so it does not fade.
  void skyDome(const char* name, const char* material, float r, float uTiles, float vTiles);
};

Ag3dsKey agKey(int32_t frame, float x, float y = 0, float z = 0, float w = 0);
// Position keys on a circle around centre c (radius r, height z over c), n keys over
// frames 0..end, first key equal to the last so the path closes.
Ag3dsTrack agOrbit(AgV3 c, float r, float z, float phase, int32_t end, int32_t n, float turns = 1);
// Rotation keys: turns whole turns about an axis over frames 0..end, in quarter turns.
Ag3dsTrack agSpin(AgV3 axis, float turns, int32_t end);
Ag3dsTrack agPath(std::initializer_list<Ag3dsKey> keys);
