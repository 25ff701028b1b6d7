// X3D: the software 3D engine's shared records, module state and core calls.
// Single-precision floats, y-up, 3x4 row-major matrices (translation in
// column 3), quaternions (w, x, y, z); keyframe time in 3DS frames.
#pragma once
#include <cmath>
#include <cstdint>
#include <cstring>

struct x3dTrack;
struct x3dMaterial;
struct x3dLensFlare;

// Object flags.
enum : int32_t {
  X3D_OBJ_HIDDEN_TRACK = 0x01,  // hidden by the hide track this frame
  X3D_OBJ_HIDDEN = 0x02,        // hidden by the keyframer node flag
  X3D_OBJ_DUMMY = 0x04,         // "$$$DUMMY" node: no geometry
  X3D_OBJ_MORPH = 0x08,         // morph track active
  X3D_OBJ_NOLIGHT = 0x10,       // drawn unlit
};

// Vertex flags (word 0).
enum : uint32_t {
  X3D_VTX_USED = 0x01,
  X3D_VTX_FADE = 0x02,
  X3D_VTX_FOG = 0x04,
  X3D_VTX_FAR = 0x08,
};

// Face flags of the frame (x3dFace::frameFlags).
enum : uint16_t {
  X3D_FACE_VISIBLE = 0x04,  // faces the eye
  X3D_FACE_NOLIGHT = 0x08,  // its object is drawn unlit
  X3D_FACE_FADE = 0x10,     // in the fade zone
  X3D_FACE_FOG = 0x20,      // in the fog zone
};

// Light kinds.
enum : int32_t { X3D_LIGHT_OMNI = 1, X3D_LIGHT_SPOT = 2, X3D_LIGHT_ATTENUATED = 0x04 };

// Keyframer node kinds.
enum : int32_t {
  X3D_NODE_CAMERA = 1,
  X3D_NODE_TARGET = 2,
  X3D_NODE_OMNI = 4,
  X3D_NODE_SPOT = 8,
  X3D_NODE_SPOT_TARGET = 16,
  X3D_NODE_OBJECT = 32,
  X3D_NODE_AMBIENT = 64,
};

// Twenty 32-bit words; the polygon pipeline numbers them 0..19 in this order.
struct x3dVertex {
  uint32_t flags;       // 0: X3D_VTX_*; in a clip polygon bits 16-19 hold the outcode
  float pos[3];         // 1-3: object position (file y and z exchanged, pivot subtracted)
  float view[3];        // 4-6: view position this frame
  float normal[3];      // 7-9: unit object-space vertex normal
  float viewNormal[3];  // 10-12
  float u, v;           // 13-14: texels (file value x 255.9)
  float sx, sy, rz;     // 15-17: screen x, y and 1/z, written by the fillers
  float intensity;      // 18: 0..1
  float fog;            // 19: 0..1
};
static_assert(sizeof(x3dVertex) == 80, "x3dVertex is twenty 32-bit words");

struct x3dFace {
  uint16_t a, b, c;         // vertex indices
  uint16_t frameFlags;      // X3D_FACE_*
  uint16_t clipCode;        // owning object's clip code (X3D_CLIP_*); X3D_CLIP_BACKFACE back-facing
  uint16_t materialNumber;  // low 16 bits of the material id
  x3dVertex* va;
  x3dVertex* vb;
  x3dVertex* vc;
  float normal[3];
  float morphNormal[3];
  x3dMaterial* material;  // null: the renderer's default material
};

// Texture, reflection or bump map of a material.
struct x3dMap {
  char* name;  // file name, null = no map
  uint16_t tiling;
  float uScale, vScale, uOffset, vOffset, rotation;
  uint32_t* image;  // 32-bit pixels of the loaded texture (shared), null until loaded
};

struct x3dMaterial {
  char* name;
  int32_t id;
  int32_t renderFlags;                        // x3dRenderFlags
  int32_t optionFlags;                        // 0x01, 0x02, 0x04, 0x08 from the file; recorded only
  float ambient[3], diffuse[3], specular[3];  // 0..1
  float shininess, shininessStrength, transparency, transparencyFalloff, reflectionBlur, selfIllum;
  x3dMap texture, reflection, bump;
  uint8_t r, g, b;  // flat colour
  uint32_t color;   // 0x00RRGGBB
};

// Lens flare of a light (zeroed when created by the scene script).
struct x3dLensFlare {
  int32_t width, height;  // texture size, from the texture list
  x3dMap map;             // its image gives the pixels
  float scale;
};

struct x3dObject {
  char* name;
  int32_t id;
  int32_t parentId;  // -1 none
  int32_t vertexCount;
  int32_t faceCount;
  int32_t flags;     // X3D_OBJ_*
  int32_t clipCode;  // X3D_CLIP_*; X3D_CLIP_OUTSIDE wholly outside
  x3dVertex* vertices;
  x3dFace* faces;
  float pivot[3];
  float position[3];
  float scale[3];
  float rotation[4];   // w, x, y, z
  float matrix[3][4];  // object to world
  int16_t morphSource, morphTarget;
  float morphFactor;
  float boxMin[3], boxMax[3];
  float radius;
  float centre[3];
};

struct x3dCamera {
  char* name;
  int32_t id;
  int32_t parentId, targetParentId;
  float position[3], target[3];
  float fov;   // degrees the projection was last built for; 0 forces a rebuild
  float roll;  // degrees
  float width, height;
  float halfWidth, halfHeight;
  float view[3][4];  // world to camera
  float projection[3][4];
  float sideSine;   // 1 / sqrt(M^2 + 1), M = projection[0][0]: the left and right planes
  float sideSineY;  // 1 / sqrt(M^2 + 1), M = projection[1][1]: the top and bottom planes
  float fileFov;    // degrees from the 3DS lens; used when no track sets one
};

struct x3dLight {
  char* name;
  int32_t id;
  int32_t parentId, targetParentId;
  int32_t kind;  // X3D_LIGHT_*
  float position[3], target[3];
  float viewPosition[3], viewTarget[3];
  float viewDirection[3];
  float roll;
  float cosHotspot, cosFalloff;
  float spotFactor;
  float innerRange, outerRange;
  x3dLensFlare* flare;
  float color[3];  // 0..1
};

struct x3dAmbient {
  char* name;
  int32_t id;
  float color[3];
};

// Tracks owned by one keyframer node; slot meaning depends on the node kind.
enum { X3D_TRACK_SLOTS = 5 };
struct x3dTrackSet {
  int32_t count;  // slots used by this kind: 1, 2, 3 or 5
  x3dTrack* track[X3D_TRACK_SLOTS];
};

struct x3dNode {
  int32_t kind;  // X3D_NODE_*
  int32_t id;    // node id from the file
  x3dTrackSet* tracks;
  void* owner;          // x3dObject, x3dCamera, x3dLight or x3dAmbient
  int32_t parent;       // array index, -1 none
  int32_t firstChild;   // array index, 0 none
  int32_t nextSibling;  // array index, 0 none
  x3dNode* next;
  x3dNode* prev;
  // The point a camera, target or light node had before its first update. The hierarchy
  // pass moves that point in place, so every update starts again from it; otherwise a
  // child without a position track would drift by its parent's transform each frame.
  float rest[3];
  int32_t restSaved;
};

enum : int32_t { X3D_LIST_FACE = 1, X3D_LIST_FLARE = 2 };
struct x3dSceneList {
  void* item;  // x3dFace or x3dLight
  float depth;
  int32_t kind;
};

struct x3dScene {
  float startFrame, endFrame, frame;
  int32_t objectCount, lightCount, cameraCount, materialCount, ambientCount;
  x3dObject* objects;
  x3dLight* lights;
  x3dCamera* cameras;
  x3dMaterial* materials;
  x3dAmbient* ambients;
  int32_t nodeCount;
  x3dNode* nodes;
  x3dSceneList* listA;
  x3dSceneList* listB;
  int32_t listCount;
  x3dLight** visibleLights;
  int32_t visibleLightCount;
  char* texturePath;
  float distance;
  uint8_t fog;
  float fogColor[3];  // 0..255
  uint8_t zbuffer;    // 1 z-buffer mode, 0 painter mode
};

// ---- engine state ----
extern int32_t x3dWidth, x3dHeight, x3dHalfWidth, x3dHalfHeight, x3dPixelCount;
extern int32_t* x3dLineOffset;  // byte offset of each view line
extern int32_t x3dLineRows;     // entries in x3dLineOffset
extern uint8_t* x3dShadeTable;  // [level * 256 + value] = (level * value) >> 8
extern uint8_t* x3dFogTable;    // three 256 x 256 planes: red, green, blue
extern uint32_t x3dFogColor;    // 0x00RRGGBB
extern float x3dFogRGB[3];
extern int32_t* x3dZBuffer;  // 16.16 camera-space z per pixel, or null
extern x3dScene* x3dActiveScene;
extern x3dCamera* x3dActiveCamera;
extern uint8_t x3dFogOn;
extern float x3dFarDistance, x3dFadeDistance, x3dFogDistance, x3dFadeFactor, x3dFogFactor;

enum : int32_t { X3D_SHADE_TABLE_SIZE = 65536, X3D_FOG_TABLE_SIZE = 196608 };

void x3dInit(int32_t width, int32_t height, const char* logName);
void x3dInitZBuffer();
void x3dSetScene(x3dScene* scene);
void x3dSetCamera(x3dCamera* camera);
void x3dSetFrame(float frame);
x3dCamera* x3dFindCamera(const char* name, x3dScene* scene);
x3dObject* x3dFindObject(const char* name, x3dScene* scene);
x3dLight* x3dFindLight(const char* name, x3dScene* scene);
x3dMaterial* x3dFindMaterial(const char* name, x3dScene* scene);
void x3dCameraViewport(x3dCamera* camera, int32_t width, int32_t height);
float x3dLensToFov(float lens);
void x3dCameraMatrix(x3dCamera* camera);
// Rebuilds the projection for a field of view in degrees.
void x3dCameraProjection(x3dCamera* camera, float fov);
// Fills the three fog planes for a colour of 0..255 per channel and turns fog on.
void x3dBuildFogTable(float red, float green, float blue);

// ---- fast square root ----
// 256 entries: float pattern of sqrt of (1 + m/128) x (2 when bit 7), minus 1.0f's pattern.
extern const int32_t* const x3dSqrtTable;

// Table square root of a positive float, within about 0.4 %.
inline float x3dFastSqrt(float f) {
  int32_t x;
  std::memcpy(&x, &f, 4);
  int32_t d = x - 0x3F800000;
  int32_t index = ((x & 0x7FFFFF) | (d & 0x800000)) >> 16;
  int32_t r = x3dSqrtTable[index] + ((d & (int32_t)0xFF000000) >> 1) + 0x3F800000;
  float out;
  std::memcpy(&out, &r, 4);
  return out;
}
