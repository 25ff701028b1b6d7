// Materials and the engine-wide texture list.
#pragma once
#include <cstdint>

#include "x3d/x3d.h"

class xFile;

struct x3dTexture {
  char* path;        // owned copy
  uint32_t* pixels;  // 0x00RRGGBB, width x height, bottom row first
  int32_t width, height;
};

struct x3dTextureList {
  int32_t count;
  x3dTexture* entries;
};
extern x3dTextureList x3dTextures;

// Loads texturePath + name through file into map->image; 0 or an error code.
int32_t x3dTextureLoad(const char* name, const char* texturePath, x3dMap* map, xFile* file);
// The same from disk; 5 when the file cannot be opened.
int32_t x3dTextureLoadFile(const char* name, const char* texturePath, x3dMap* map);
x3dTexture* x3dTextureFind(const char* path);
void x3dTextureAdd(const char* path, uint32_t* pixels, int32_t width, int32_t height);
void x3dTextureDump();
// texturePath + name with backslashes turned into slashes, at most 255 characters.
void x3dTexturePath(const char* texturePath, const char* name, char out[256], bool slashes);

// Flat colour from the light model, then texture and reflection maps of every
// material of the active scene; file null reads the maps from disk.
void x3dLoadMaterialTextures(xFile* file);
void x3dLoadMaterialTextures();
// The flat colour of the 3DS light model for one material.
void x3dMaterialColor(x3dMaterial* m);
