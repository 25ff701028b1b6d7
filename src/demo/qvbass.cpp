// Stand-in until the replayer lands: a module of 64-row orders at 120 ms per row.
#include "demo/qvbass.h"

#include <cstdio>

static uint32_t bStart = 0, bHeld = 0, bBase = 0;
static bool bPlaying = false, bPaused = true;
int32_t BASS_Init(int32_t, uint32_t, uint32_t, PlatHwnd) { return 1; }
int32_t BASS_Start() {
  if (bPaused) bStart = platPeekTickCount() - bHeld;
  bPaused = false;
  return 1;
}
uint32_t BASS_MusicLoad(int32_t, const char* file, uint32_t, uint32_t, uint32_t) {
  FILE* f = std::fopen(file, "rb");
  if (!f) return 0;
  char head[48] = {0};
  size_t n = std::fread(head, 1, sizeof head, f);
  std::fclose(f);
  return n == sizeof head && head[44] == 'S' && head[45] == 'C' && head[46] == 'R' && head[47] == 'M';
}
int32_t BASS_MusicPlay(uint32_t) {
  bPlaying = true;
  bHeld = 0;
  bStart = platPeekTickCount();
  return 1;
}
int32_t BASS_Pause() {
  if (!bPaused) bHeld = platPeekTickCount() - bStart;
  bPaused = true;
  return 1;
}
uint32_t BASS_ChannelGetPosition(uint32_t) {
  uint32_t ms = bBase + (!bPlaying ? 0 : bPaused ? bHeld : platPeekTickCount() - bStart);
  return (ms / 7680) | ((ms % 7680) / 120) << 16;
}
int32_t BASS_ChannelSetPosition(uint32_t, uint32_t position) {
  bBase = (position & 0xffff) * 7680 + (position >> 16) * 120;
  bHeld = 0;
  bStart = platPeekTickCount();
  return 1;
}
void BASS_Free() {}
void qvAudioSetMute(bool) {}
bool qvAudioHasDevice() { return false; }
