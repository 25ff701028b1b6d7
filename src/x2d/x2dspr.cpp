// x2dSprite creation, sizing and destruction; the class is chosen once from x2dUseMMX.
#include "x2d/x2dspr.h"

#include <cstdint>
#include <cstdlib>
#include <new>

#include "system/xerror.h"
#include "x2d/x2d.h"

x2dSprite::~x2dSprite() {
  if (!ownsMemory) return;
  std::free(pixels);
  std::free(alphaLayer);
  pixels = nullptr;
  alphaLayer = nullptr;
  skip = pitch = height = width = 0;
}

void x2dSprite::Init(int32_t w, int32_t h) {
  xAssert(w >= 1 && h >= 1, "X2dspr", 60);
  // w x h x 4 bytes must fit the allocator and a row's byte count an int32: an absurd
  // size is an allocation failure.
  const uint64_t bytes = static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 4u;
  if (w > INT32_MAX / 4 || bytes > (static_cast<uint64_t>(1) << 40))
    xErrMsg("x2dSprite::Init( int , int ) -> Can't allocate memory block");
  width = w;
  height = h;
  color = 0;
  pitch = w * 4;
  skip = x2dWidth - w;
  // A view's buffers belong to another sprite: let go of them without freeing.
  if (ownsMemory) {
    std::free(alphaLayer);
    std::free(pixels);
  }
  alphaLayer = nullptr;
  pixels = static_cast<uint32_t*>(std::calloc(bytes / 4, 4));
  if (!pixels) xErrMsg("x2dSprite::Init( int , int ) -> Can't allocate memory block");
  ownsMemory = 1;
}

static x2dSprite* x2dSpriteNew() {
  x2dSprite* s;
  if (x2dUseMMX) s = new (std::nothrow) x2dSpriteMMX;
  else s = new (std::nothrow) x2dSpriteX86;
  if (!s) xErrMsg("x2dSpriteCreate() -> Can't create class object x2dSprite");
  s->className = x2dUseMMX ? "x2dSpriteMMX" : "x2dSpriteX86";
  return s;
}

x2dSprite* x2dSpriteCreate() { return x2dSpriteNew(); }

x2dSprite* x2dSpriteCreate(int32_t w, int32_t h) {
  x2dSprite* s = x2dSpriteNew();
  s->Init(w, h);
  return s;
}
