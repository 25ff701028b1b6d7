// The keyboard: a buffered DirectInput-like device drained by a system timer on every pass,
// keeping xKeyState and raising key-pressed (0) and key-released (1) events.
#pragma once
#include <cstdint>

#include "winlike/wl_dinput.h"

extern uint8_t xKeyState[256];  // 1 while the key (DIK_ scan code) is down
extern LPDIRECTINPUT lpDI;
extern LPDIRECTINPUTDEVICE lpDI_Keyboard;

// Name of a DirectInput result ("DIERR_UNKNOWN" for any other value).
const char* xDIErrorName(int32_t result);
void xKeyboardInit(WlHwnd window);
void xKeyboardTimer(uint32_t count);
// Re-acquire attempts per pass while another application has priority; the next pass tries again.
enum : int32_t { XKEYBOARD_ACQUIRE_TRIES = 8 };
