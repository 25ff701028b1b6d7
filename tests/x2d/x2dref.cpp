#include "x2dref.h"

const char* const refOpName[OP_COUNT] = {"Draw",
                                         "Fill",
                                         "Clear",
                                         "DrawNoClip",
                                         "DrawAddNoClip",
                                         "DrawBlendNoClip",
                                         "DrawAlphaNoClip",
                                         "DrawAlphaLevelNoClip",
                                         "DrawKeyNoClip",
                                         "DrawLayerNoClip",
                                         "DrawLayerLevelNoClip",
                                         "DrawAdd",
                                         "DrawBlendScaled",
                                         "DrawBlend",
                                         "DrawAlphaScaled",
                                         "DrawAlpha",
                                         "DrawAlphaLevelScaled",
                                         "DrawAlphaLevel",
                                         "DrawKey",
                                         "DrawLayerScaled",
                                         "DrawLayer",
                                         "DrawLayerLevel"};

RefPlace refPlacement(RefOp op) {
  switch (op) {
    case OP_Fill:
    case OP_Clear: return PLACE_SELF;
    case OP_DrawNoClip:
    case OP_DrawAddNoClip:
    case OP_DrawBlendNoClip:
    case OP_DrawAlphaNoClip:
    case OP_DrawAlphaLevelNoClip:
    case OP_DrawKeyNoClip:
    case OP_DrawLayerNoClip:
    case OP_DrawLayerLevelNoClip: return PLACE_NOCLIP;
    case OP_DrawBlendScaled:
    case OP_DrawAlphaScaled:
    case OP_DrawAlphaLevelScaled:
    case OP_DrawLayerScaled: return PLACE_SCALED;
    default: return PLACE_CLIP;
  }
}

bool refUsesLayer(RefOp op) {
  return op == OP_DrawLayerNoClip || op == OP_DrawLayerLevelNoClip || op == OP_DrawLayerScaled || op == OP_DrawLayer ||
         op == OP_DrawLayerLevel;
}

bool refUsesLevel(RefOp op) {
  return op == OP_DrawBlendNoClip || op == OP_DrawAlphaLevelNoClip || op == OP_DrawLayerLevelNoClip ||
         op == OP_DrawBlendScaled || op == OP_DrawBlend || op == OP_DrawAlphaLevelScaled || op == OP_DrawAlphaLevel ||
         op == OP_DrawLayerLevel;
}

uint32_t refBlend(RefClass c, uint32_t s, uint32_t d, int32_t a) {
  uint32_t out = 0;
  for (int32_t ch = 0; ch < 4; ch++) {
    const int32_t sc = (s >> (8 * ch)) & 0xFF, dc = (d >> (8 * ch)) & 0xFF;
    int32_t r;
    if (c == REF_X86) {
      if (ch == 3) break;  // top byte of a blended pixel is 0
      r = dc + refFloorDiv(a * (sc - dc), 256);
    } else {
      r = dc + refFloorDiv(refFloorDiv(sc - dc, 2) * a, 128);
      r = r < 0 ? 0 : (r > 255 ? 255 : r);
    }
    out |= static_cast<uint32_t>(r) << (8 * ch);
  }
  return out;
}

static uint32_t refAdd(RefClass c, uint32_t s, uint32_t d) {
  if (c == REF_X86 && s == 0) return d;
  uint32_t out = c == REF_X86 ? (d & 0xFF000000u) : 0;
  for (int32_t ch = 0; ch < (c == REF_X86 ? 3 : 4); ch++) {
    uint32_t v = ((s >> (8 * ch)) & 0xFF) + ((d >> (8 * ch)) & 0xFF);
    out |= (v > 255 ? 255 : v) << (8 * ch);
  }
  return out;
}

static int32_t levelAlpha(int32_t level, int32_t a) { return a == 255 ? level : (level * a) >> 8; }

uint32_t refPixel(RefClass c, RefOp op, uint32_t s, uint8_t l, uint32_t d, int32_t level, uint32_t ink) {
  const int32_t A = s >> 24;
  switch (op) {
    case OP_Draw:
    case OP_DrawNoClip: return s;
    case OP_DrawAdd:
    case OP_DrawAddNoClip: return refAdd(c, s, d);
    case OP_DrawBlendNoClip: return level == 0 ? d : level == 255 ? s : refBlend(c, s, d, level);
    case OP_DrawBlend:
      if (c == REF_MMX) return refBlend(c, s, d, level);
      return level == 0 ? d : level == 255 ? s : refBlend(c, s, d, level);
    case OP_DrawBlendScaled: return refBlend(c, s, d, level);
    case OP_DrawAlpha:
    case OP_DrawAlphaNoClip: return A == 0 ? d : A == 255 ? s : refBlend(c, s, d, A);
    case OP_DrawAlphaScaled:
      if (A == 255) return s;
      if (A == 0 && c == REF_MMX) return d;
      return refBlend(c, s, d, A);
    case OP_DrawAlphaLevel:
    case OP_DrawAlphaLevelNoClip:
      if (level == 0) return d;
      if (level == 255) return refPixel(c, OP_DrawAlpha, s, l, d, level, ink);
      return A == 0 ? d : refBlend(c, s, d, levelAlpha(level, A));
    case OP_DrawAlphaLevelScaled:
      if (level == 0) return d;
      if (level == 255) return refPixel(c, OP_DrawAlphaScaled, s, l, d, level, ink);
      return refBlend(c, s, d, levelAlpha(level, A));
    case OP_DrawKey:
    case OP_DrawKeyNoClip: return s == ink ? d : s;
    case OP_DrawLayer:
    case OP_DrawLayerNoClip: return l == 0 ? d : l == 255 ? ink : refBlend(c, ink, d, l);
    case OP_DrawLayerScaled:
      if (l == 255) return ink;
      if (l == 0 && c == REF_MMX) return d;
      return refBlend(c, ink, d, l);
    case OP_DrawLayerLevel:
    case OP_DrawLayerLevelNoClip:
      if (level == 0) return d;
      if (level == 255) return refPixel(c, OP_DrawLayer, s, l, d, level, ink);
      return l == 0 ? d : refBlend(c, ink, d, levelAlpha(level, l));
    default: return d;
  }
}

void refApply(RefClass c, RefOp op, const RefSprite& s, int32_t x, int32_t y, float scale, int32_t level,
              uint32_t* target) {
  const RefPlace place = refPlacement(op);
  int64_t dw = s.w, dh = s.h, stepX = 65536, stepY = 65536;
  if (place == PLACE_SCALED) {
    const double fw = static_cast<double>(s.w) * scale, fh = static_cast<double>(s.h) * scale;
    dw = fw >= 1.0 ? static_cast<int64_t>(fw) : 0;
    dh = fh >= 1.0 ? static_cast<int64_t>(fh) : 0;
    if (dw == 0 || dh == 0) return;
    stepX = static_cast<int64_t>(static_cast<double>(s.w) / static_cast<double>(dw) * 65536.0);
    stepY = static_cast<int64_t>(static_cast<double>(s.h) / static_cast<double>(dh) * 65536.0);
  }
  // Every target pixel of the placed rectangle that the clip window admits.
  for (int64_t ty = y; ty < y + dh; ty++) {
    for (int64_t tx = x; tx < x + dw; tx++) {
      if (place != PLACE_NOCLIP &&
          (tx < x2dClipWindow[0] || tx >= x2dClipWindow[2] || ty < x2dClipWindow[1] || ty >= x2dClipWindow[3]))
        continue;
      const int64_t sx = ((tx - x) * stepX) >> 16, sy = ((ty - y) * stepY) >> 16;
      const int64_t i = sy * s.w + sx;
      uint32_t& d = target[ty * x2dWidth + tx];
      d = refPixel(c, op, s.px.empty() ? 0 : s.px[i], s.layer.empty() ? 0 : s.layer[i], d, level, s.color);
    }
  }
}

void refCall(x2dSprite* spr, RefOp op, int32_t x, int32_t y, float scale, int32_t level, uint32_t colour, uint32_t* t) {
  switch (op) {
    case OP_Draw: spr->Draw(x, y, t); break;
    case OP_Fill: spr->Fill(colour); break;
    case OP_Clear: spr->Clear(); break;
    case OP_DrawNoClip: spr->DrawNoClip(x, y, t); break;
    case OP_DrawAddNoClip: spr->DrawAddNoClip(x, y, t); break;
    case OP_DrawBlendNoClip: spr->DrawBlendNoClip(x, y, level, t); break;
    case OP_DrawAlphaNoClip: spr->DrawAlphaNoClip(x, y, t); break;
    case OP_DrawAlphaLevelNoClip: spr->DrawAlphaLevelNoClip(x, y, level, t); break;
    case OP_DrawKeyNoClip: spr->DrawKeyNoClip(x, y, t); break;
    case OP_DrawLayerNoClip: spr->DrawLayerNoClip(x, y, t); break;
    case OP_DrawLayerLevelNoClip: spr->DrawLayerLevelNoClip(x, y, level, t); break;
    case OP_DrawAdd: spr->DrawAdd(x, y, t); break;
    case OP_DrawBlendScaled: spr->DrawBlendScaled(x, y, scale, level, t); break;
    case OP_DrawBlend: spr->DrawBlend(x, y, level, t); break;
    case OP_DrawAlphaScaled: spr->DrawAlphaScaled(x, y, scale, t); break;
    case OP_DrawAlpha: spr->DrawAlpha(x, y, t); break;
    case OP_DrawAlphaLevelScaled: spr->DrawAlphaLevelScaled(x, y, scale, level, t); break;
    case OP_DrawAlphaLevel: spr->DrawAlphaLevel(x, y, level, t); break;
    case OP_DrawKey: spr->DrawKey(x, y, t); break;
    case OP_DrawLayerScaled: spr->DrawLayerScaled(x, y, scale, t); break;
    case OP_DrawLayer: spr->DrawLayer(x, y, t); break;
    case OP_DrawLayerLevel: spr->DrawLayerLevel(x, y, level, t); break;
    default: break;
  }
}
