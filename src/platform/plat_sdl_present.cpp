// The sdl backend's presentation: one upload of the frame into a streaming texture of the
// frame's own format, then drawn into the window as platPresentGeometry says: straight
// (nearest or linear), or for the sharp filter through a render target blown up by whole
// multiples with nearest, smoothed from there to the final size.
#include "platform/plat_sdl_present.h"

#include "platform/plat_present.h"

static SDL_Renderer* psRenderer = nullptr;
static SDL_Texture* psTexture = nullptr;  // the frame, in its own format
static int32_t psTexW = 0, psTexH = 0;
static uint32_t psTexFormat = 0;
static SDL_Texture* psTarget = nullptr;  // the sharp filter's blow-up
static int32_t psTargetW = 0, psTargetH = 0;
static bool psHaveFrame = false;

bool platSdlPresentOpen(SDL_Window* window) {
  platSdlPresentClose();
  uint32_t vsync = platPresentation()->vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
  SDL_SetHint(SDL_HINT_RENDER_VSYNC, vsync ? "1" : "0");
  psRenderer = SDL_CreateRenderer(window, -1, vsync | SDL_RENDERER_TARGETTEXTURE);
  if (!psRenderer) psRenderer = SDL_CreateRenderer(window, -1, vsync);
  if (!psRenderer) psRenderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
  return psRenderer != nullptr;
}

void platSdlPresentClose() {
  if (psTarget) SDL_DestroyTexture(psTarget);
  if (psTexture) SDL_DestroyTexture(psTexture);
  if (psRenderer) SDL_DestroyRenderer(psRenderer);
  psTarget = psTexture = nullptr;
  psRenderer = nullptr;
  psTexW = psTexH = psTargetW = psTargetH = 0;
  psTexFormat = 0;
  psHaveFrame = false;
}

static void psGeometry(PlatPresentGeometry* g) {
  int ow = 0, oh = 0;
  SDL_GetRendererOutputSize(psRenderer, &ow, &oh);
  const PlatPresentation* p = platPresentation();
  platPresentGeometry(ow, oh, psTexW, psTexH, p->scaling, p->filter, g);
}

// The intermediate of the sharp filter, made when its size changes; null when the renderer
// cannot draw into textures (the picture is then smoothed straight from the frame).
static SDL_Texture* psBlowUp(int32_t w, int32_t h) {
  if (psTarget && psTargetW == w && psTargetH == h) return psTarget;
  if (psTarget) SDL_DestroyTexture(psTarget);
  psTarget = nullptr;
  psTargetW = psTargetH = 0;
  if (!SDL_RenderTargetSupported(psRenderer)) return nullptr;
  psTarget = SDL_CreateTexture(psRenderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_TARGET, w, h);
  if (!psTarget) return nullptr;
  SDL_SetTextureBlendMode(psTarget, SDL_BLENDMODE_NONE);
  SDL_SetTextureScaleMode(psTarget, SDL_ScaleModeLinear);
  psTargetW = w, psTargetH = h;
  return psTarget;
}

static void psDraw() {
  PlatPresentGeometry g;
  psGeometry(&g);
  SDL_Texture* from = psTexture;
  SDL_SetTextureScaleMode(psTexture, g.linear ? SDL_ScaleModeLinear : SDL_ScaleModeNearest);
  if (g.preWidth > 0) {
    SDL_Texture* t = psBlowUp(g.preWidth, g.preHeight);
    if (t && SDL_SetRenderTarget(psRenderer, t) == 0) {
      SDL_SetTextureScaleMode(psTexture, SDL_ScaleModeNearest);
      SDL_RenderCopy(psRenderer, psTexture, nullptr, nullptr);
      SDL_SetRenderTarget(psRenderer, nullptr);
      from = t;
    }
  }
  SDL_SetRenderDrawColor(psRenderer, 0, 0, 0, 255);
  SDL_RenderClear(psRenderer);
  SDL_Rect dst = {g.x, g.y, g.width, g.height};
  SDL_RenderCopy(psRenderer, from, nullptr, &dst);
  SDL_RenderPresent(psRenderer);
}

void platSdlPresentFrame(const uint8_t* pixels, int32_t w, int32_t h, int32_t pitch, const PlatPixelFormat* f) {
  if (!psRenderer || w <= 0 || h <= 0) return;
  uint32_t fmt = SDL_MasksToPixelFormatEnum((int)f->bitCount, f->rBitMask, f->gBitMask, f->bBitMask, 0);
  if (fmt == SDL_PIXELFORMAT_UNKNOWN) return;
  if (!psTexture || psTexW != w || psTexH != h || psTexFormat != fmt) {
    if (psTexture) SDL_DestroyTexture(psTexture);
    psTexture = SDL_CreateTexture(psRenderer, fmt, SDL_TEXTUREACCESS_STREAMING, w, h);
    psTexW = w, psTexH = h, psTexFormat = fmt;
    psHaveFrame = false;
    if (!psTexture) return;
    SDL_SetTextureBlendMode(psTexture, SDL_BLENDMODE_NONE);
  }
  // The texture has the frame's format, so this is the only copy (an upload on accelerated
  // renderers, which read the padded rows in place).
  SDL_UpdateTexture(psTexture, nullptr, pixels, pitch);
  psHaveFrame = true;
  psDraw();
}

void platSdlPresentRedraw() {
  if (psRenderer && psTexture && psHaveFrame) psDraw();
}

bool platSdlPresentToFrame(int32_t outX, int32_t outY, int32_t* frameX, int32_t* frameY) {
  if (!psRenderer || !psTexture || !psHaveFrame) return false;
  PlatPresentGeometry g;
  psGeometry(&g);
  if (g.width <= 0 || g.height <= 0) return false;
  // Floor division, so points left of or above the picture stay outside it.
  int64_t nx = (int64_t)(outX - g.x) * psTexW, ny = (int64_t)(outY - g.y) * psTexH;
  *frameX = (int32_t)(nx >= 0 ? nx / g.width : -((-nx + g.width - 1) / g.width));
  *frameY = (int32_t)(ny >= 0 ? ny / g.height : -((-ny + g.height - 1) / g.height));
  return true;
}
