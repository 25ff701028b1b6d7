// Slow, per-pixel reference model of the sprite operations of both classes, and the
// helpers the x2d tests share.
#pragma once
#include <cstdint>
#include <vector>

#include "x2d/x2d.h"
#include "x2d/x2dspr.h"

// The 22 operations in table order.
enum RefOp {
  OP_Draw,
  OP_Fill,
  OP_Clear,
  OP_DrawNoClip,
  OP_DrawAddNoClip,
  OP_DrawBlendNoClip,
  OP_DrawAlphaNoClip,
  OP_DrawAlphaLevelNoClip,
  OP_DrawKeyNoClip,
  OP_DrawLayerNoClip,
  OP_DrawLayerLevelNoClip,
  OP_DrawAdd,
  OP_DrawBlendScaled,
  OP_DrawBlend,
  OP_DrawAlphaScaled,
  OP_DrawAlpha,
  OP_DrawAlphaLevelScaled,
  OP_DrawAlphaLevel,
  OP_DrawKey,
  OP_DrawLayerScaled,
  OP_DrawLayer,
  OP_DrawLayerLevel,
  OP_COUNT
};
extern const char* const refOpName[OP_COUNT];

enum RefPlace { PLACE_NOCLIP, PLACE_CLIP, PLACE_SCALED, PLACE_SELF };
RefPlace refPlacement(RefOp op);
bool refUsesLayer(RefOp op);
bool refUsesLevel(RefOp op);

enum RefClass { REF_X86, REF_MMX };

// floor(a / b) for b > 0.
inline int32_t refFloorDiv(int32_t a, int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

// One blended pixel by the class's formula, straight from its definition.
uint32_t refBlend(RefClass c, uint32_t s, uint32_t d, int32_t a);
// The new destination pixel for one source pixel (or layer byte) of op.
uint32_t refPixel(RefClass c, RefOp op, uint32_t s, uint8_t l, uint32_t d, int32_t level, uint32_t ink);

struct RefSprite {
  int32_t w, h;
  std::vector<uint32_t> px;
  std::vector<uint8_t> layer;
  uint32_t color;
};

// Applies op to target (a buffer laid out like the frame buffer, x2dWidth wide) the slow way.
void refApply(RefClass c, RefOp op, const RefSprite& s, int32_t x, int32_t y, float scale, int32_t level,
              uint32_t* target);
// Calls op on a real sprite.
void refCall(x2dSprite* spr, RefOp op, int32_t x, int32_t y, float scale, int32_t level, uint32_t colour,
             uint32_t* target);
