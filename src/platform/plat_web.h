// Shared between the web backend's files (emscripten builds only).
#pragma once
#include <cstdint>

#include "platform/platform.h"

// A frame in any of the contract's direct-colour formats as R, G, B, 255 bytes, rows of w pixels.
void platWebToRgba(const uint8_t* pixels, int32_t w, int32_t h, int32_t pitch, const PlatPixelFormat* f, uint8_t* out);
// The audio device over Web Audio (plat_web_audio.cpp).
bool platWebAudioOpen(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info);
void platWebAudioPause(bool pause);
void platWebAudioClose();
// On the page (not under node): shows a headless frame on the canvas and gives the browser its
// turn, so that a virtual-clock run can be watched and checked there.
void platWebMirror(const uint8_t* pixels, int32_t w, int32_t h, int32_t pitch, const PlatPixelFormat* f);
// On the page: the browser downloads the file from the virtual file system.
void platWebDownload(const char* fileName);
