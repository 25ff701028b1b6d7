// The audio component: the music module played through the platform's audio device, behind the
// calls the presentation makes. Positions are the module's order (low word) and row (high word)
// of the audio heard now.
#pragma once
#include <cstdint>

#include "winlike/winlike.h"

// Flags of BASS_MusicLoad.
enum : uint32_t { BASS_MUSIC_RAMP = 1, BASS_MUSIC_LOOP = 4 };

// Opens the output at freq Hz (device and window are not used: the platform's one device). 1 with
// a sound device or when muted, 0 when there is none: the music then plays silently, on the clock.
int32_t BASS_Init(int32_t device, uint32_t freq, uint32_t flags, WlHwnd window);
// Starts (or releases the held) output; the position advances again.
int32_t BASS_Start();
// Loads a whole module file from the disk (mem 0, offset 0, length 0; anything else is refused).
// A non-zero handle, or 0 when the file is missing, unreadable or not a module. Loading again
// replaces the module.
uint32_t BASS_MusicLoad(int32_t mem, const char* file, uint32_t offset, uint32_t length, uint32_t flags);
// Plays the module from its first order (heard once the output is started).
int32_t BASS_MusicPlay(uint32_t handle);
// Holds all output; the position does not advance until BASS_Start.
int32_t BASS_Pause();
// Order | row << 16 of what is heard now; 0xffffffff for a handle that is not the module's.
uint32_t BASS_ChannelGetPosition(uint32_t handle);
// Moves the module to order | row << 16.
int32_t BASS_ChannelSetPosition(uint32_t handle, uint32_t position);
// Closes the device (its thread has stopped when this returns) and frees the module. Also run
// at process exit, so that a fatal error does not leave the device reading freed memory.
void BASS_Free();

// Muted: no device is opened, the music plays silently on the clock. Set before BASS_Init.
void qvAudioSetMute(bool mute);
bool qvAudioHasDevice();
// The music's level in percent (0: silent, 100: as rendered, the start); the position and the
// timing are not touched. Takes effect with the next buffer the device asks for.
void qvAudioSetVolume(int32_t percent);
// Frames of the module rendered since the last play or move (tests compare renderings).
uint64_t qvAudioFramesRendered();
