// The audio component: the module replayer behind the calls the presentation makes.
#pragma once
#include <cstdint>

#include "platform/platform.h"

// Flags of BASS_MusicLoad.
enum : uint32_t { BASS_MUSIC_RAMP = 1, BASS_MUSIC_LOOP = 4 };
int32_t BASS_Init(int32_t device, uint32_t freq, uint32_t flags, PlatHwnd window);
int32_t BASS_Start();
uint32_t BASS_MusicLoad(int32_t mem, const char* file, uint32_t offset, uint32_t length, uint32_t flags);
int32_t BASS_MusicPlay(uint32_t handle);
int32_t BASS_Pause();
uint32_t BASS_ChannelGetPosition(uint32_t handle);
int32_t BASS_ChannelSetPosition(uint32_t handle, uint32_t position);
void BASS_Free();
void qvAudioSetMute(bool mute);
bool qvAudioHasDevice();
