// Engine state, initialisation, scene/camera activation, lookups and camera set-up.
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "system/xerror.h"
#include "system/xlog.h"
#include "x3d/raster/x3dpolygons.h"
#include "x3d/x3d.h"
#include "xmath/xmath.h"

int32_t x3dWidth, x3dHeight, x3dHalfWidth, x3dHalfHeight, x3dPixelCount;
int32_t* x3dLineOffset;
int32_t x3dLineRows;
uint8_t* x3dShadeTable;
uint8_t* x3dFogTable;
uint32_t x3dFogColor;
float x3dFogRGB[3];
int32_t* x3dZBuffer;
x3dScene* x3dActiveScene;
x3dCamera* x3dActiveCamera;
uint8_t x3dFogOn;
float x3dFarDistance, x3dFadeDistance, x3dFogDistance, x3dFadeFactor, x3dFogFactor;

static const char* const kModule = "X3d";

static void* x3dAlloc(size_t bytes, int line) {
  void* p = std::malloc(bytes ? bytes : 1);
  if (!p) xErrCode(kModule, line, 1, nullptr);
  return p;
}

void x3dInit(int32_t width, int32_t height, const char* logName) {
  xAssert(width > 0 && height > 0, kModule, __LINE__);
  x3dWidth = width;
  x3dHeight = height;
  x3dHalfWidth = width >> 1;
  x3dHalfHeight = height >> 1;
  x3dPixelCount = width * height;

  std::free(x3dLineOffset);
  x3dLineOffset = static_cast<int32_t*>(x3dAlloc(sizeof(int32_t) * height, __LINE__));
  x3dLineRows = height;
  for (int32_t y = 0; y < height; y++) x3dLineOffset[y] = y * width * 4;

  if (!x3dShadeTable) x3dShadeTable = static_cast<uint8_t*>(x3dAlloc(X3D_SHADE_TABLE_SIZE, __LINE__));
  for (int32_t level = 0; level < 256; level++)
    for (int32_t value = 0; value < 256; value++)
      x3dShadeTable[level * 256 + value] = static_cast<uint8_t>((level * value) >> 8);
  if (!x3dFogTable) {
    x3dFogTable = static_cast<uint8_t*>(x3dAlloc(X3D_FOG_TABLE_SIZE, __LINE__));
    std::memset(x3dFogTable, 0, X3D_FOG_TABLE_SIZE);
  }

  x3dLineTable(1, 2);

  // A new view size needs a new z-buffer; the old one is released.
  std::free(x3dZBuffer);
  x3dZBuffer = nullptr;

  if (logName) x3dLog.Open(logName);
  x3dLog.Print("Initializing X3D Engine..");
  x3dLog.Print(xFormat("SizeX = %d SizeY = %d", width, height));
}

void x3dInitZBuffer() {
  if (x3dZBuffer) return;
  size_t bytes = static_cast<size_t>(x3dPixelCount) * 4;
  x3dZBuffer = static_cast<int32_t*>(x3dAlloc(bytes, __LINE__));
  for (int32_t i = 0; i < x3dPixelCount; i++) x3dZBuffer[i] = 0x7FFFFFFF;
  x3dLog.Print(xFormat("Initializing Zbuffer - %d bytes size", static_cast<int32_t>(bytes)));
}

void x3dSetScene(x3dScene* scene) {
  xAssert(scene != nullptr, kModule, __LINE__);
  float d = scene->distance;
  x3dFarDistance = d;
  x3dFadeDistance = 0.75f * d;
  x3dFogDistance = 0.5f * d;
  // A zero distance would divide by zero; the factors then stay 0 (no fade, no fog ramp).
  x3dFadeFactor = (d - 0.75f * d) != 0.0f ? 1.0f / (d - 0.75f * d) : 0.0f;
  x3dFogFactor = (d - 0.5f * d) != 0.0f ? 1.0f / (d - 0.5f * d) : 0.0f;
  x3dFogOn = scene->fog;
  if (scene->fog) x3dBuildFogTable(scene->fogColor[0], scene->fogColor[1], scene->fogColor[2]);
  x3dActiveScene = scene;
}

void x3dSetCamera(x3dCamera* camera) {
  xAssert(camera != nullptr, kModule, __LINE__);
  x3dActiveCamera = camera;
}

void x3dSetFrame(float frame) {
  x3dScene* s = x3dActiveScene;
  if (!s) return;
  if (s->endFrame != s->startFrame && s->startFrame <= frame && frame < s->endFrame) s->frame = frame;
}

// Exact, case-sensitive; the last record of that name wins.
#define X3D_FIND(array, count)                                                                         \
  if (!name || !scene || !scene->array) return nullptr;                                                \
  for (int32_t i = scene->count - 1; i >= 0; i--)                                                      \
    if (scene->array[i].name && std::strcmp(scene->array[i].name, name) == 0) return &scene->array[i]; \
  return nullptr;

x3dCamera* x3dFindCamera(const char* name, x3dScene* scene){
    X3D_FIND(cameras, cameraCount)} x3dObject* x3dFindObject(const char* name, x3dScene* scene){
    X3D_FIND(objects, objectCount)} x3dLight* x3dFindLight(const char* name, x3dScene* scene){
    X3D_FIND(lights, lightCount)} x3dMaterial* x3dFindMaterial(const char* name, x3dScene* scene) {
  X3D_FIND(materials, materialCount)
}
#undef X3D_FIND

void x3dCameraViewport(x3dCamera* camera, int32_t width, int32_t height) {
  xAssert(camera != nullptr, kModule, __LINE__);
  camera->fov = 0.0f;
  camera->width = static_cast<float>(width);
  camera->height = static_cast<float>(height);
  camera->halfWidth = camera->width * 0.5f;
  camera->halfHeight = camera->height * 0.5f;
  x3dPolygonsInit(width, height);
}

float x3dLensToFov(float lens) {
  static const float kTable[9][2] = {
      {15.0f, 115.0f}, {20.0f, 94.285713f}, {24.0f, 84.0f},  {28.0f, 76.36364f}, {35.0f, 63.0f},
      {50.0f, 46.0f},  {85.0f, 28.0f},      {135.0f, 18.0f}, {200.0f, 12.0f},
  };
  for (const auto& row : kTable)
    if (lens == row[0]) return row[1];
  return 15.0f / lens * 160.0f;
}

void x3dCameraMatrix(x3dCamera* cam) {
  float dx = cam->target[0] - cam->position[0];
  float dy = cam->target[1] - cam->position[1];
  float dz = cam->target[2] - cam->position[2];
  float len = std::sqrt(dx * dx + dy * dy + dz * dz);
  if (len == 0.0f) len = 1.0f;
  float yaw = -xMathAtan2f(dx, dz);
  float ratio = dy / len;
  if (ratio > 1.0f) ratio = 1.0f;  // rounding can push |dy| / len just past 1
  if (ratio < -1.0f) ratio = -1.0f;
  float pitch = xMathAsinf(ratio);
  float r = cam->roll * -0.017453294f;
  float sR = xMathSinf(r), cR = xMathCosf(r);
  float sY = xMathSinf(yaw), cY = xMathCosf(yaw);
  float sP = xMathSinf(pitch), cP = xMathCosf(pitch);
  float(*m)[4] = cam->view;
  m[0][0] = sR * sY * sP + cR * cY;
  m[0][1] = sR * cP;
  m[0][2] = sY * cR - cY * sP * sR;
  m[1][0] = sY * sP * cR - sR * cY;
  m[1][1] = cR * cP;
  m[1][2] = -cY * sP * cR - sY * sR;
  m[2][0] = -sY * cP;
  m[2][1] = sP;
  m[2][2] = cY * cP;
  for (int i = 0; i < 3; i++)
    m[i][3] = -(m[i][0] * cam->position[0] + m[i][1] * cam->position[1] + m[i][2] * cam->position[2]);
}

void x3dCameraProjection(x3dCamera* cam, float fov) {
  // fov is the horizontal field: x = +-z at the left and right edges. y is scaled by the
  // viewport's width / height as well, so that y = +-z lands on the top and bottom edges
  // with square pixels (the screen mapping stretches x by half the width, y by half the height).
  float m = 1.0f / xMathTanf(fov * 0.5f * 0.017453292519944444f);
  float aspect = cam->height > 0.0f && cam->width > 0.0f ? cam->width / cam->height : 1.0f;
  float my = m * aspect;
  std::memset(cam->projection, 0, sizeof(cam->projection));
  cam->projection[0][0] = m;
  cam->projection[1][1] = my;
  cam->projection[2][2] = 1.0f;
  cam->sideSine = 1.0f / x3dFastSqrt(m * m + 1.0f);
  cam->sideSineY = 1.0f / x3dFastSqrt(my * my + 1.0f);
  cam->fov = fov;
}
