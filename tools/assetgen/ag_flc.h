// FLC animation writer (8 bits per pixel): the first frame is a byte run, later
// frames byte-oriented or word-oriented deltas against the previous frame, and
// any frame may carry a 256-level or 64-level palette chunk.
#pragma once
#include "ag_image.h"

enum AgFlcDelta { AG_FLC_BRUN = 15, AG_FLC_DELTA_WORD = 7, AG_FLC_DELTA_BYTE = 12 };
enum AgFlcPal { AG_FLC_PAL_NONE = 0, AG_FLC_PAL_256 = 4, AG_FLC_PAL_64 = 11 };

struct AgFlcWriter {
  int32_t w = 0, h = 0, speedMs = 70;
  int32_t frameCount = 0;
  AgBytes frames;             // frame blocks after the 128-byte header
  std::vector<uint8_t> prev;  // picture of the previous frame
  std::array<uint8_t, 768> prevPal{};
  uint32_t secondFrameOffset = 0;
};

void agFlcBegin(AgFlcWriter& f, int32_t w, int32_t h, int32_t speedMs);
// Adds one frame. pal64 components must be multiples of 4 to survive the 6-bit chunk.
void agFlcFrame(AgFlcWriter& f, const uint8_t* pixels, const std::array<uint8_t, 768>& pal, AgFlcDelta kind,
                AgFlcPal palKind);
AgBytes agFlcFinish(const AgFlcWriter& f);

// The chunk bodies alone (after the 6-byte chunk header), for tests.
AgBytes agFlcBrun(const uint8_t* px, int32_t w, int32_t h);
AgBytes agFlcDeltaByte(const uint8_t* prev, const uint8_t* cur, int32_t w, int32_t h);
AgBytes agFlcDeltaWord(const uint8_t* prev, const uint8_t* cur, int32_t w, int32_t h);
AgBytes agFlcPalette(const std::array<uint8_t, 768>& pal, bool sixBit);
