// The sdl backend's audio device: SDL's audio thread asks the fill for each buffer.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/plat_internal.h"

struct SdlAudioClient {
  PlatAudioFill fill;
  void* user;
};
static SDL_AudioDeviceID sdlAudio = 0;
// Written only while no device is open (before the audio thread starts, after it is joined).
static SdlAudioClient sdlAudioClient = {nullptr, nullptr};

static void sdlAudioCallback(void* userdata, Uint8* stream, int len) {
  const SdlAudioClient* c = (const SdlAudioClient*)userdata;
  c->fill(c->user, (int16_t*)stream, len / 4);
}

bool platSdlAudioOpen(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info) {
  if (sdlAudio) {
    std::snprintf(info->reason, sizeof info->reason, "the audio device is already open");
    return false;
  }
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::snprintf(info->reason, sizeof info->reason, "no sound (%s)", SDL_GetError());
    return false;
  }
  sdlAudioClient = {fill, user};
  SDL_AudioSpec want, have;
  SDL_zero(want);
  want.freq = rate;
  want.format = AUDIO_S16SYS;
  want.channels = 2;
  want.samples = 1024;  // 23 ms at 44.1 kHz
  want.callback = sdlAudioCallback;
  want.userdata = &sdlAudioClient;
  // No changes allowed: SDL converts to whatever the device takes, the callback sees this format.
  sdlAudio = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (!sdlAudio) {
    std::snprintf(info->reason, sizeof info->reason, "no sound device (%s)", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sdlAudioClient = {nullptr, nullptr};
    return false;
  }
  // What the callback just wrote is heard once the buffer before it has played.
  info->queuedFrames = have.samples;
  return true;
}

void platSdlAudioPause(bool pause) {
  if (sdlAudio) SDL_PauseAudioDevice(sdlAudio, pause ? 1 : 0);
}

void platSdlAudioClose() {
  if (!sdlAudio) return;
  // Joins the audio thread: no callback runs after this.
  SDL_CloseAudioDevice(sdlAudio);
  sdlAudio = 0;
  sdlAudioClient = {nullptr, nullptr};
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
