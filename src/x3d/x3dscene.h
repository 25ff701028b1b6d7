// Scene scripts: load a 3DS scene and configure it for the engine.
#pragma once
#include <cstdint>

#include "x3d/x3d.h"

class xFile;
class xScript;

// Reads fileName through file and runs it (fatal on any failure).
void x3dLoadSceneScript(const char* fileName, x3dScene* scene, xFile* file);
// Runs a script from disk: SCENE_NAME and textures are read from disk too.
void x3dLoadSceneScriptFile(const char* fileName, x3dScene* scene);
// Interprets the script already handed to the reader (x3dSceneScript).
void x3dProcessSceneScript(x3dScene* scene);
// Per-frame polygon lists A and B and the visible-light list.
void x3dAllocFrameLists(x3dScene* scene);

extern xScript x3dSceneScript;

// Keyword codes.
enum : int32_t {
  X3D_KW_VERSION = 1,
  X3D_KW_TEXTURE_PATH = 2,
  X3D_KW_DISTANCE = 3,
  X3D_KW_FOG = 4,
  X3D_KW_SCENE_NAME = 5,
  X3D_KW_FOG_COLOR = 6,
  X3D_KW_CAMERA = 7,
  X3D_KW_CAMERA_SIZE = 8,
  X3D_KW_CAMERA_SETACTIVE = 9,
  X3D_KW_MATERIAL = 10,
  X3D_KW_RENDER_TYPE = 11,
  X3D_KW_MAT_COLOR = 12,
  X3D_KW_LENSFLARE = 13,
  X3D_KW_LENS_TEXTURE = 14,
  X3D_KW_LENS_SCALE = 15,
  X3D_KW_ZBUFFER = 16,
  X3D_KW_OBJECT = 17,
  X3D_KW_OBJ_NOLIGHT = 18,
};
// Code of a keyword, 0 when it is not one.
int32_t x3dSceneKeyword(const char* keyword);
