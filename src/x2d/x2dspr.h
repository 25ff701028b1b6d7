// x2dSprite: a 32-bit bitmap (top byte = per-pixel alpha) with an optional 8-bit
// alpha layer and 22 drawing operations into buffers laid out like the frame buffer.
// Two classes implement the operations: x2dSpriteX86 (plain integer code and the
// blend table) and x2dSpriteMMX (packed 16-bit lane arithmetic); x2dSpriteCreate
// picks one from x2dUseMMX. The order of the operations below is part of the
// interface: keep it.
#pragma once
#include <cstdint>

class xFile;
struct xImage;

// The 22 operations in table order: X(name, parameter list).
#define X2D_SPRITE_OPERATIONS(X)                                                                \
  X(Draw, (int32_t x, int32_t y, uint32_t * target))                                            \
  X(Fill, (uint32_t colour))                                                                    \
  X(Clear, ())                                                                                  \
  X(DrawNoClip, (int32_t x, int32_t y, uint32_t * target))                                      \
  X(DrawAddNoClip, (int32_t x, int32_t y, uint32_t * target))                                   \
  X(DrawBlendNoClip, (int32_t x, int32_t y, int32_t level, uint32_t * target))                  \
  X(DrawAlphaNoClip, (int32_t x, int32_t y, uint32_t * target))                                 \
  X(DrawAlphaLevelNoClip, (int32_t x, int32_t y, int32_t level, uint32_t * target))             \
  X(DrawKeyNoClip, (int32_t x, int32_t y, uint32_t * target))                                   \
  X(DrawLayerNoClip, (int32_t x, int32_t y, uint32_t * target))                                 \
  X(DrawLayerLevelNoClip, (int32_t x, int32_t y, int32_t level, uint32_t * target))             \
  X(DrawAdd, (int32_t x, int32_t y, uint32_t * target))                                         \
  X(DrawBlendScaled, (int32_t x, int32_t y, float scale, int32_t level, uint32_t* target))      \
  X(DrawBlend, (int32_t x, int32_t y, int32_t level, uint32_t * target))                        \
  X(DrawAlphaScaled, (int32_t x, int32_t y, float scale, uint32_t* target))                     \
  X(DrawAlpha, (int32_t x, int32_t y, uint32_t * target))                                       \
  X(DrawAlphaLevelScaled, (int32_t x, int32_t y, float scale, int32_t level, uint32_t* target)) \
  X(DrawAlphaLevel, (int32_t x, int32_t y, int32_t level, uint32_t * target))                   \
  X(DrawKey, (int32_t x, int32_t y, uint32_t * target))                                         \
  X(DrawLayerScaled, (int32_t x, int32_t y, float scale, uint32_t* target))                     \
  X(DrawLayer, (int32_t x, int32_t y, uint32_t * target))                                       \
  X(DrawLayerLevel, (int32_t x, int32_t y, int32_t level, uint32_t * target))

class x2dSprite {
 public:
  x2dSprite() = default;
  x2dSprite(const x2dSprite&) = delete;
  x2dSprite& operator=(const x2dSprite&) = delete;

#define X2D_PURE(name, params) virtual void name params = 0;
  X2D_SPRITE_OPERATIONS(X2D_PURE)
#undef X2D_PURE
  // Declared after the operations so that they keep the first 22 slots of the table.
  virtual ~x2dSprite();

  void Init(int32_t w, int32_t h);
  void InitFromImage(xImage& image);
  void Load(const char* path, xFile* file);
  void LoadAlphaChannel(const char* path, xFile* file);
  void LoadAlphaLayer(const char* path, xFile* file, uint32_t colour);

  const char* className = nullptr;  // "x2dSpriteX86" or "x2dSpriteMMX"
  int32_t width = 0;
  int32_t height = 0;
  uint32_t* pixels = nullptr;     // width x height, row-major; owned unless a view
  int32_t pitch = 0;              // width x 4; 0 for a sprite made by LoadAlphaLayer
  int32_t skip = 0;               // frame-buffer width - width, fixed when the size is set
  uint32_t color = 0;             // colour key of the key draws, ink of the layer draws
  uint8_t* alphaLayer = nullptr;  // width x height bytes; owned; only after LoadAlphaLayer
  uint8_t ownsMemory = 1;         // the destructor frees pixels and alphaLayer only when set
};

class x2dSpriteX86 final : public x2dSprite {
 public:
#define X2D_OVERRIDE(name, params) void name params override;
  X2D_SPRITE_OPERATIONS(X2D_OVERRIDE)
#undef X2D_OVERRIDE
};

class x2dSpriteMMX final : public x2dSprite {
 public:
#define X2D_OVERRIDE(name, params) void name params override;
  X2D_SPRITE_OPERATIONS(X2D_OVERRIDE)
#undef X2D_OVERRIDE
};

// An empty sprite (no pixels), or one of w x h zeroed pixels; class from x2dUseMMX.
x2dSprite* x2dSpriteCreate();
x2dSprite* x2dSpriteCreate(int32_t w, int32_t h);
