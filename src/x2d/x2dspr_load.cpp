// x2dSprite loaders: pictures from the archive or the disk into the pixel buffer,
// 8-bit pictures into the top bytes (alpha channel) or into a separate alpha layer.
#include <cstdlib>

#include "file/xfile.h"
#include "image/ximage.h"
#include "system/xerror.h"
#include "x2d/x2d.h"
#include "x2d/x2dspr.h"

void x2dSprite::InitFromImage(xImage& image) {
  // The buffer is adopted as 32-bit pixels, so anything but a non-empty format-6
  // picture would be read past its end.
  xAssert(image.pixels && image.format == XIMAGE_XRGB32 && image.width >= 1 && image.height >= 1, "X2dspr", 97);
  if (ownsMemory) {
    std::free(alphaLayer);
    std::free(pixels);
  }
  alphaLayer = nullptr;
  width = image.width;
  height = image.height;
  pitch = width * 4;
  skip = x2dWidth - width;
  color = 0;
  pixels = reinterpret_cast<uint32_t*>(image.pixels);
  image.pixels = nullptr;  // the sprite owns the buffer now
  ownsMemory = 1;
  std::free(image.palette);
  image.palette = nullptr;
}

void x2dSprite::Load(const char* path, xFile* file) {
  xFileData fd = {nullptr, 0, nullptr};
  if (!path || !file || file->Read(path, &fd) != XFILE_OK)
    xErrMsg(xFormat("x2dSprite::Load(..) -> Error loading %s", path ? path : "(null)"));
  xImage image = {0, 0, 0, nullptr, nullptr};
  xImageLoad(&fd, image);
  xImageConvert(&image, XIMAGE_XRGB32);
  file->Free(&fd);
  InitFromImage(image);
}

void x2dSprite::LoadAlphaChannel(const char* path, xFile* file) {
  xAssert(path != nullptr, "X2dspr", 181);
  xFileData fd = {nullptr, 0, nullptr};
  if (!file || file->Read(path, &fd) != XFILE_OK)
    xErrMsg(xFormat("x2dSprite::LoadAlphaChannel() -> Can't load %s", path));
  xImage image = {0, 0, 0, nullptr, nullptr};
  xImageLoad(&fd, image);
  file->Free(&fd);
  xAssert(image.pixels != nullptr, "X2dspr", 190);
  // A sprite without pixels (empty, or re-sized by LoadAlphaLayer) has nothing to receive them.
  if (image.format != XIMAGE_INDEXED8 || image.width != width || image.height != height || !pixels)
    xErrMsg(xFormat("x2dSprite::LoadAlphaChannel() -> Incorrect mode or size -> %s", path));
  const int64_t n = static_cast<int64_t>(width) * height;
  for (int64_t i = 0; i < n; i++)
    pixels[i] = (pixels[i] & 0x00FFFFFFu) | (static_cast<uint32_t>(image.pixels[i]) << 24);
  std::free(image.pixels);
  std::free(image.palette);
}

void x2dSprite::LoadAlphaLayer(const char* path, xFile* file, uint32_t colour) {
  xAssert(path != nullptr, "X2dspr", 271);
  xFileData fd = {nullptr, 0, nullptr};
  if (!file || file->Read(path, &fd) != XFILE_OK)
    xErrMsg(xFormat("x2dSprite::LoadAlphaLayer() -> Can't load %s", path));
  xImage image = {0, 0, 0, nullptr, nullptr};
  xImageLoad(&fd, image);
  file->Free(&fd);
  if (image.format != XIMAGE_INDEXED8 || !image.pixels || image.width < 1 || image.height < 1)
    xErrMsg(xFormat("x2dSprite::LoadAlphaLayer() -> Wrong format %s", path));
  std::free(image.palette);
  // The pixel buffer stays, but only while it still covers the new size; otherwise the
  // pixel operations would read past its end, so it is dropped and they draw nothing.
  if (pixels && static_cast<int64_t>(width) * height < static_cast<int64_t>(image.width) * image.height) {
    if (ownsMemory) std::free(pixels);
    pixels = nullptr;
  }
  if (ownsMemory) std::free(alphaLayer);
  width = image.width;
  height = image.height;
  pitch = 0;
  skip = x2dWidth - width;
  alphaLayer = image.pixels;
  if (colour != 0xFFFFFFFFu) color = colour;
}
