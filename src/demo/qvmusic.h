// The music module: one place that opens it (playback and offline rendering share the settings).
#pragma once
#include <cstdint>
#include <memory>

#include <libopenmpt/libopenmpt.hpp>

// The presentation's module, read from the disk beside the program (not from the archive). It
// keeps one speed and tempo throughout: an order is 64 rows of 120 ms.
inline constexpr char QV_MUSIC_FILE[] = "rul-quor.s3m";
enum : int32_t {
  QV_END_ORDER = 26,   // the music order at which the presentation ends
  QV_ORDER_MS = 7680,  // one order of the module, in ms
};

// Reads the module file from the disk (not the archive) and sets the replayer up: volume ramping
// on or off, looping forever or playing once, no dither (two renderings give the same samples).
// Null when the file is missing, unreadable or not a module; nothing is printed then.
std::unique_ptr<openmpt::module> qvMusicOpen(const char* path, bool ramp, bool loop);

// Renders `frames` sample frames of 44.1 kHz 16-bit stereo from order startOrder of the module
// file into a WAV file. False when the module cannot be read or the file cannot be written.
bool qvMusicRenderWav(const char* modulePath, int32_t startOrder, uint64_t frames, const char* wavPath);

// Milliseconds per row at the module's initial speed and tempo (2.5 ms x speed / tempo x 1000);
// 120 (speed 6 at 125 beats a minute, the format's default) when the file cannot be read.
uint32_t qvMusicRowMs(const char* path);

// Milliseconds the module plays from the start of order `from` to the start of order `to`, by the
// replayer's own timing (tempo changes included); 0 when the file cannot be read.
uint64_t qvMusicSpanMs(const char* path, int32_t from, int32_t to);

// The ending: the music fades out over the last 1.8 s before the end order's start and is silent
// from 0.2 s before it, so that it stops without a click when the closing frame is shown.
// qvMusicEndSeconds gives the end order's start in the module's seconds (the module is left at
// order 0); qvMusicFade scales `count` interleaved stereo frames whose first plays at `at` seconds.
double qvMusicEndSeconds(openmpt::module& mod);
void qvMusicFade(int16_t* frames, size_t count, int32_t rate, double at, double end);
