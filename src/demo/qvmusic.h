// Rendering the music module offline (captures): the same replayer settings as the playback.
#pragma once
#include <cstdint>

// Renders `frames` sample frames of 44.1 kHz 16-bit stereo from order startOrder of the module
// file into a WAV file. False when the module cannot be read or the file cannot be written.
bool qvMusicRenderWav(const char* modulePath, int32_t startOrder, uint64_t frames, const char* wavPath);
