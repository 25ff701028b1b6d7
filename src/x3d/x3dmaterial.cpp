// Texture list, texture loading and material preparation.
#include "x3d/x3dmaterial.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file/xfile.h"
#include "image/ximage.h"
#include "system/xerror.h"
#include "system/xlog.h"
#include "x3d/raster/x3dpolygons.h"
#include "x3d/x3drelease.h"
#include "xmath/xmath.h"

x3dTextureList x3dTextures;

static const char* const kModule = "Material";

// The file and the picture being decoded (heap name and data): a fatal error in a
// reader leaves them here for the next load or x3dFreeTextures.
static xFileData x3dTextureRecord;
static xImage x3dTextureImage;

static void ReleaseDecoding() {
  std::free(x3dTextureRecord.data);
  std::free(x3dTextureRecord.name);
  std::free(x3dTextureImage.pixels);
  std::free(x3dTextureImage.palette);
  x3dTextureRecord = xFileData{};
  x3dTextureImage = xImage{};
}

void x3dFreeTextures() {
  ReleaseDecoding();
  for (int32_t i = 0; i < x3dTextures.count; i++) {
    std::free(x3dTextures.entries[i].path);
    std::free(x3dTextures.entries[i].pixels);
  }
  std::free(x3dTextures.entries);
  x3dTextures.entries = nullptr;
  x3dTextures.count = 0;
}

void x3dTexturePath(const char* texturePath, const char* name, char out[256], bool slashes) {
  std::snprintf(out, 256, "%s%s", texturePath ? texturePath : "", name ? name : "");
  if (slashes)
    for (char* p = out; *p; p++)
      if (*p == '\\') *p = '/';
}

x3dTexture* x3dTextureFind(const char* path) {
  for (int32_t i = x3dTextures.count - 1; i >= 0; i--)
    if (std::strcmp(x3dTextures.entries[i].path, path) == 0) return &x3dTextures.entries[i];
  return nullptr;
}

void x3dTextureAdd(const char* path, uint32_t* pixels, int32_t width, int32_t height) {
  xAssert(path != nullptr && pixels != nullptr, kModule, __LINE__);
  void* grown = std::realloc(x3dTextures.entries, sizeof(x3dTexture) * (x3dTextures.count + 1));
  if (!grown) xErrCode(kModule, __LINE__, 1, nullptr);
  x3dTextures.entries = static_cast<x3dTexture*>(grown);
  x3dTexture* t = &x3dTextures.entries[x3dTextures.count++];
  t->path = strdup(path);
  if (!t->path) xErrCode(kModule, __LINE__, 1, nullptr);
  t->pixels = pixels;
  t->width = width;
  t->height = height;
}

// Recognises and decodes one picture, stores it bottom row first and lists it.
static int32_t Decode(const char* path, xFileData* fd, x3dMap* map) {
  const uint8_t* d = fd->data;
  int32_t n = fd->size;
  xImage& img = x3dTextureImage;
  int32_t (*loader)(xFileData*, xImage&) = nullptr;
  if (n >= 10 && std::memcmp(d + 6, "JFIF", 4) == 0) loader = xJpegLoad;
  else if (n >= 1 && d[0] == 0x0A) loader = xPcxLoad;
  else if (n >= 18 && (d[2] == 1 || d[2] == 2)) loader = xTargaLoad;
  else if (n >= 3 && std::memcmp(d, "GIF", 3) == 0) loader = xGifLoad;
  else return 2;
  x3dLog.Print(xFormat("Loading texture: %s", path));
  int32_t rc = loader(fd, img);
  if (rc) return rc;
  rc = xImageConvert(&img, XIMAGE_XRGB32);
  if (rc || img.width <= 0 || img.height <= 0 || !img.pixels) return rc ? rc : 6;
  size_t rowBytes = static_cast<size_t>(img.width) * 4;
  uint32_t* pixels = static_cast<uint32_t*>(std::malloc(rowBytes * img.height));
  if (!pixels) xErrCode(kModule, __LINE__, 1, nullptr);
  for (int32_t y = 0; y < img.height; y++)
    std::memcpy(reinterpret_cast<uint8_t*>(pixels) + rowBytes * y, img.pixels + rowBytes * (img.height - 1 - y),
                rowBytes);
  map->image = pixels;
  x3dTextureAdd(path, pixels, img.width, img.height);
  return 0;
}

int32_t x3dTextureLoad(const char* name, const char* texturePath, x3dMap* map, xFile* file) {
  xAssert(map != nullptr && file != nullptr, kModule, __LINE__);
  char path[256];
  x3dTexturePath(texturePath, name, path, true);
  if (x3dTexture* t = x3dTextureFind(path)) {
    map->image = t->pixels;
    return 0;
  }
  ReleaseDecoding();
  if (file->Read(path, &x3dTextureRecord) != XFILE_OK) xErrMsg(xFormat("x3dTextureLoad() -> Can't load %s", path));
  int32_t rc = Decode(path, &x3dTextureRecord, map);
  ReleaseDecoding();
  return rc;
}

int32_t x3dTextureLoadFile(const char* name, const char* texturePath, x3dMap* map) {
  xAssert(map != nullptr, kModule, __LINE__);
  char path[256];
  x3dTexturePath(texturePath, name, path, true);
  if (x3dTexture* t = x3dTextureFind(path)) {
    map->image = t->pixels;
    return 0;
  }
  ReleaseDecoding();
  xFileData& fd = x3dTextureRecord;
  fd = {strdup(path), 0, nullptr};
  if (!fd.name) xErrCode(kModule, __LINE__, 1, nullptr);
  int32_t r = xFileReadDisk(path, &fd.data, &fd.size);
  if (r == XFILE_BAD_PARAM || r == XFILE_OPEN_ERROR) {
    ReleaseDecoding();
    return 5;
  }
  if (r == XFILE_NO_MEMORY) xErrCode(kModule, __LINE__, 1, nullptr);
  int32_t rc = r == XFILE_OK ? Decode(path, &fd, map) : 2;
  ReleaseDecoding();
  return rc;
}

void x3dTextureDump() {
  if (!x3dLog.IsOpen()) return;
  x3dLog.Print("\nx3dTextures List dump info:\n");
  x3dLog.Print("-------------------------- \n");
  x3dLog.Print(xFormat(" Number of textures in list: %d\n", x3dTextures.count));
  x3dLog.Print(" List: \n\n");
  int64_t total = 0;
  for (int32_t i = 0; i < x3dTextures.count; i++) {
    const x3dTexture& t = x3dTextures.entries[i];
    x3dLog.Print(xFormat(" Texture %2d Name: %30s SizeX: %3d SizeY: %3d Adress: 0x%6lX\n", i + 1, t.path, t.width,
                         t.height, static_cast<unsigned long>(reinterpret_cast<uintptr_t>(t.pixels))));
    total += static_cast<int64_t>(t.width) * t.height * 4;
  }
  x3dLog.Print(xFormat("\nTotal eaten mem : %d bytes\n", static_cast<int32_t>(total)));
  x3dLog.Print("-------------------------- \n");
  x3dLog.Print("End of texture list dump info.\n\n");
}

void x3dMaterialColor(x3dMaterial* m) {
  float b = xMathCosf(m->shininess * m->shininessStrength * 255.0f * 0.006135923151542969f);
  float c = xMathPowf(b, m->shininess * 255.0f) * m->shininessStrength;
  uint8_t* out[3] = {&m->r, &m->g, &m->b};
  for (int i = 0; i < 3; i++) {
    float v = (c * m->specular[i] + b * m->diffuse[i] + m->ambient[i] * 0.25f) * 255.0f;
    // Values of 256 and more become 255; negative ones and NaN (from odd files) 0.
    int32_t t = v >= 255.0f ? 255 : v > 0.0f ? static_cast<int32_t>(v) : 0;
    *out[i] = static_cast<uint8_t>(t);
  }
  m->color = static_cast<uint32_t>(m->r) << 16 | static_cast<uint32_t>(m->g) << 8 | m->b;
}

// The face fillers address 256 x 256 texels; a picture of another size gets a
// nearest-neighbour 256 x 256 copy (listed under the path plus "#256") so no
// filler reads past its pixels.
static uint32_t* FillerImage(const char* path, uint32_t* image) {
  x3dTexture* t = x3dTextureFind(path);
  if (!t || (t->width == 256 && t->height == 256)) return image;
  char key[300];
  std::snprintf(key, sizeof key, "%s#256", path);
  if (x3dTexture* s = x3dTextureFind(key)) return s->pixels;
  uint32_t* px = static_cast<uint32_t*>(std::malloc(256 * 256 * 4));
  if (!px) xErrCode(kModule, __LINE__, 1, nullptr);
  for (int32_t y = 0; y < 256; y++)
    for (int32_t x = 0; x < 256; x++)
      px[y * 256 + x] = t->pixels[(y * t->height / 256) * t->width + x * t->width / 256];
  x3dTextureAdd(key, px, 256, 256);
  return px;
}

static bool LoadMap(x3dMap* map, const char* texturePath, xFile* file) {
  int32_t rc =
      file ? x3dTextureLoad(map->name, texturePath, map, file) : x3dTextureLoadFile(map->name, texturePath, map);
  if (rc) return false;
  char path[256];
  x3dTexturePath(texturePath, map->name, path, true);
  map->image = FillerImage(path, map->image);
  return true;
}

void x3dLoadMaterialTextures(xFile* file) {
  x3dScene* s = x3dActiveScene;
  if (!s) return;
  const char* texturePath = s->texturePath ? s->texturePath : "";
  for (int32_t i = 0; i < s->materialCount; i++) {
    x3dMaterial* m = &s->materials[i];
    x3dMaterialColor(m);
    if (m->texture.name) {
      if (LoadMap(&m->texture, texturePath, file)) {
        m->renderFlags |= X3D_RF_TEXTURE;
      } else {
        x3dLog.Print(xFormat("cant open texture: %s\n", m->texture.name));
        m->r = 255, m->g = 0, m->b = 0;
        m->color = 0xFF0000;
        m->renderFlags |= X3D_RF_WIRE;
      }
    }
    if (m->reflection.name) {
      if (LoadMap(&m->reflection, texturePath, file)) {
        m->renderFlags |= X3D_RF_TEXTURE | X3D_RF_ENVMAP;
      } else {
        x3dLog.Print(xFormat("cant open reflection: %s\n", m->reflection.name));
        m->r = 255, m->g = 0, m->b = 0;
        m->color = 0xFF0000;
        m->renderFlags |= X3D_RF_WIRE;
      }
    }
  }
}

void x3dLoadMaterialTextures() { x3dLoadMaterialTextures(nullptr); }
