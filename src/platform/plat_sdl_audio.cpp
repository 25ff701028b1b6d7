// The sdl backend's audio device: SDL's audio thread asks the fill for each buffer.
#include <SDL.h>

#include <fcntl.h>
#include <unistd.h>

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

// ALSA writes its own lines to stderr when it finds no card; the program says what happened in
// one line of its own. stderr goes to /dev/null while SDL opens the device; -1: nothing to undo.
static int sdlQuietBegin() {
  std::fflush(stderr);
  int saved = fcntl(2, F_DUPFD_CLOEXEC, 3);
  int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (saved >= 0 && null >= 0 && dup2(null, 2) < 0) {
    close(saved);
    saved = -1;
  }
  if (null >= 0) close(null);
  if (null < 0 && saved >= 0) {
    close(saved);
    saved = -1;
  }
  return saved;
}

static void sdlQuietEnd(int saved) {
  if (saved < 0) return;
  std::fflush(stderr);
  dup2(saved, 2);
  close(saved);
}

static bool sdlAudioOpenQuiet(SDL_AudioSpec* want, SDL_AudioSpec* have, PlatAudioInfo* info) {
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::snprintf(info->reason, sizeof info->reason, "%s", SDL_GetError());
    return false;
  }
  // No changes allowed: SDL converts to whatever the device takes, the callback sees this format.
  sdlAudio = SDL_OpenAudioDevice(nullptr, 0, want, have, 0);
  if (!sdlAudio) {
    std::snprintf(info->reason, sizeof info->reason, "%s", SDL_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  return true;
}

bool platSdlAudioOpen(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info) {
  if (sdlAudio) {
    std::snprintf(info->reason, sizeof info->reason, "the audio device is already open");
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
  int quiet = sdlQuietBegin();
  bool opened = sdlAudioOpenQuiet(&want, &have, info);
  sdlQuietEnd(quiet);
  if (!opened) {
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
