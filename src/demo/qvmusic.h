// The music module: one place that opens it (playback and offline rendering share the settings).
#pragma once
#include <cstdint>
#include <memory>

#include <libopenmpt/libopenmpt.hpp>

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
