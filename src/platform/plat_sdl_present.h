// The sdl backend's picture: the renderer of the engine window, the frame's texture and the
// sharp filter's intermediate target. Only the sdl backend's files include this.
#pragma once
#include <SDL.h>

#include <cstdint>

#include "platform/platform.h"

// Makes the window's renderer (vsync as the presentation settings say). False when none can be made.
bool platSdlPresentOpen(SDL_Window* window);
void platSdlPresentClose();
// Uploads the frame into the texture (one copy, in the frame's own format) and shows it scaled
// to the window as the presentation settings say.
void platSdlPresentFrame(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch,
                         const PlatPixelFormat* format);
// Shows the last frame again at the window's current size (after a resize), without an upload.
void platSdlPresentRedraw();
// A point of the window's output (physical pixels) in frame pixels; false before the first frame.
bool platSdlPresentToFrame(int32_t outX, int32_t outY, int32_t* frameX, int32_t* frameY);
