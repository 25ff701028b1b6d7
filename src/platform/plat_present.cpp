// How the frame fills the output: the presentation settings and the geometry of scaling,
// shared by the backends (only the sdl backend draws with them).
#include "platform/plat_present.h"

static PlatPresentation platPresent = {PLAT_SCALING_FIT, PLAT_FILTER_SHARP, true, 0};

void platPresentationDefaults(PlatPresentation* p) { *p = {PLAT_SCALING_FIT, PLAT_FILTER_SHARP, true, 0}; }
void platSetPresentation(const PlatPresentation* p) { platPresent = *p; }
const PlatPresentation* platPresentation() { return &platPresent; }

int32_t platIntegerFactor(int32_t outW, int32_t outH, int32_t srcW, int32_t srcH) {
  if (outW <= 0 || outH <= 0 || srcW <= 0 || srcH <= 0) return 0;
  int32_t kx = outW / srcW, ky = outH / srcH;
  return kx < ky ? kx : ky;
}

void platPresentGeometry(int32_t outW, int32_t outH, int32_t srcW, int32_t srcH, PlatScaling scaling, PlatFilter filter,
                         PlatPresentGeometry* g) {
  *g = {0, 0, outW > 0 ? outW : 0, outH > 0 ? outH : 0, 0, 0, filter == PLAT_FILTER_LINEAR};
  if (outW <= 0 || outH <= 0 || srcW <= 0 || srcH <= 0) return;
  int32_t k = platIntegerFactor(outW, outH, srcW, srcH);
  if (scaling == PLAT_SCALING_INTEGER && k >= 1) {
    g->width = k * srcW, g->height = k * srcH;
  } else if (scaling != PLAT_SCALING_STRETCH) {
    // Fit (and integer in an output smaller than the frame): the side that limits is filled,
    // the other rounded to the nearest pixel.
    if ((int64_t)outW * srcH <= (int64_t)outH * srcW) {
      g->width = outW;
      g->height = (int32_t)(((int64_t)outW * srcH + srcW / 2) / srcW);
    } else {
      g->height = outH;
      g->width = (int32_t)(((int64_t)outH * srcW + srcH / 2) / srcH);
    }
    if (g->width < 1) g->width = 1;
    if (g->height < 1) g->height = 1;
  }
  g->x = (outW - g->width) / 2;
  g->y = (outH - g->height) / 2;
  if (filter != PLAT_FILTER_SHARP) return;
  // Sharp: blow up by whole multiples (per axis when stretched, so both stay as large as they
  // can), then smooth the remainder. A whole-multiple destination needs no smoothing at all.
  int32_t kx = g->width / srcW, ky = g->height / srcH;
  if (scaling != PLAT_SCALING_STRETCH) kx = ky = kx < ky ? kx : ky;
  if (kx < 1) kx = 1;
  if (ky < 1) ky = 1;
  if (kx * srcW == g->width && ky * srcH == g->height) return;  // nearest straight there
  g->linear = true;
  if (kx == 1 && ky == 1) return;  // below twice the size: linear straight there
  g->preWidth = kx * srcW, g->preHeight = ky * srcH;
}
