// How the sdl backend puts the frame on the screen: scaling, filter, vsync, monitor, and the
// geometry both backends share. The headless backend accepts the settings and ignores them.
#pragma once
#include <cstdint>

// Set before platInit.
// The enums follow the order of the option words "fit|integer|stretch" and "nearest|sharp|linear".
enum PlatScaling : int32_t { PLAT_SCALING_FIT = 0, PLAT_SCALING_INTEGER = 1, PLAT_SCALING_STRETCH = 2 };
enum PlatFilter : int32_t { PLAT_FILTER_NEAREST = 0, PLAT_FILTER_SHARP = 1, PLAT_FILTER_LINEAR = 2 };
struct PlatPresentation {
  PlatScaling scaling;  // fit: largest size in the frame's aspect; integer: largest whole multiple; stretch: fill
  PlatFilter filter;    // sharp: whole-multiple nearest blow-up, then linear to the final size
  bool vsync;           // wait for the display's refresh
  int32_t display;      // monitor index for full screen, 0 the first
};
// fit, sharp, vsync on, display 0.
void platPresentationDefaults(PlatPresentation* presentation);
void platSetPresentation(const PlatPresentation* presentation);
const PlatPresentation* platPresentation();

// Where a srcW x srcH frame goes in an outW x outH output: the destination rectangle (centred
// on black unless stretched) and, for the sharp filter, the size of the nearest-neighbour
// intermediate (0 x 0 when the frame is drawn straight: the destination is itself a whole
// multiple, or the blow-up would be 1). linear: the last step filters linearly.
struct PlatPresentGeometry {
  int32_t x, y, width, height;
  int32_t preWidth, preHeight;
  bool linear;
};
void platPresentGeometry(int32_t outW, int32_t outH, int32_t srcW, int32_t srcH, PlatScaling scaling, PlatFilter filter,
                         PlatPresentGeometry* geometry);
// The largest whole k with k*srcW <= outW and k*srcH <= outH; 0 when not even 1 fits.
int32_t platIntegerFactor(int32_t outW, int32_t outH, int32_t srcW, int32_t srcH);
