// x2dSprite creation, sizing and destruction; the class is chosen once from x2dUseMMX.
#include "x2d/x2dspr.h"

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
  width = w;
  height = h;
  color = 0;
  pitch = w * 4;
  skip = x2dWidth - w;
  std::free(alphaLayer);
  alphaLayer = nullptr;
  std::free(pixels);
  pixels = nullptr;
  // w x h x 4 must fit the allocator's size type; an absurd size is an allocation failure.
  const uint64_t bytes = static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 4u;
  if (bytes <= (static_cast<uint64_t>(1) << 40)) pixels = static_cast<uint32_t*>(std::calloc(bytes / 4, 4));
  if (!pixels) xErrMsg("x2dSprite::Init( int , int ) -> Can't allocate memory block");
}

static x2dSprite* x2dSpriteNew() {
  x2dSprite* s;
  if (x2dUseMMX)
    s = new (std::nothrow) x2dSpriteMMX;
  else
    s = new (std::nothrow) x2dSpriteX86;
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
