// DirectInput-like buffered keyboard. Scan codes are DirectInput DIK_ values; result codes are
// dinput.h's (the platform's key codes are the same set-1 scan codes). The platform's key
// events and the script feed key changes; the device buffers them while acquired.
#pragma once
#include <cstdint>

#include "winlike/winlike.h"

enum : int32_t {
  DI_OK = 0,
  DI_BUFFEROVERFLOW = 1,
  DIERR_UNSUPPORTED = (int32_t)0x80004001,
  DIERR_NOTBUFFERED = (int32_t)0x80040207,
  DIERR_OBJECTNOTFOUND = (int32_t)0x80070002,
  DIERR_OTHERAPPHASPRIO = (int32_t)0x80070005,
  DIERR_E_HANDLE = (int32_t)0x80070006,
  DIERR_NOTACQUIRED = (int32_t)0x8007000C,
  DIERR_OUTOFMEMORY = (int32_t)0x8007000E,
  DIERR_NOTINITIALIZED = (int32_t)0x80070015,
  DIERR_INPUTLOST = (int32_t)0x8007001E,
  DIERR_INVALIDPARAM = (int32_t)0x80070057,
  DIERR_ACQUIRED = (int32_t)0x800700AA,
  DIERR_OLDDIRECTINPUTVERSION = (int32_t)0x8007047E,
  DIERR_BETADIRECTINPUTVERSION = (int32_t)0x80070481,
};
enum : uint32_t { DISCL_EXCLUSIVE = 1, DISCL_NONEXCLUSIVE = 2, DISCL_FOREGROUND = 4, DISCL_BACKGROUND = 8 };
enum : uint32_t { DIPH_DEVICE = 0 };

// Scan codes used by the engine and the script names.
enum : uint32_t {
  DIK_ESCAPE = 0x01,
  DIK_1 = 0x02,
  DIK_9 = 0x0A,
  DIK_0 = 0x0B,
  DIK_MINUS = 0x0C,
  DIK_EQUALS = 0x0D,
  DIK_BACK = 0x0E,
  DIK_TAB = 0x0F,
  DIK_Q = 0x10,
  DIK_P = 0x19,
  DIK_RETURN = 0x1C,
  DIK_LCONTROL = 0x1D,
  DIK_A = 0x1E,
  DIK_F = 0x21,
  DIK_LSHIFT = 0x2A,
  DIK_N = 0x31,
  DIK_M = 0x32,
  DIK_RSHIFT = 0x36,
  DIK_LMENU = 0x38,
  DIK_SPACE = 0x39,
  DIK_F1 = 0x3B,
  DIK_F10 = 0x44,
  DIK_SUBTRACT = 0x4A,  // keypad -
  DIK_ADD = 0x4E,       // keypad +
  DIK_F11 = 0x57,
  DIK_F12 = 0x58,
  DIK_NUMPADENTER = 0x9C,
  DIK_RCONTROL = 0x9D,
  DIK_RMENU = 0xB8,
  DIK_UP = 0xC8,
  DIK_PRIOR = 0xC9,  // Page Up
  DIK_LEFT = 0xCB,
  DIK_RIGHT = 0xCD,
  DIK_DOWN = 0xD0,
  DIK_NEXT = 0xD1,  // Page Down
};

struct DIPropHeader {
  uint32_t size, headerSize, obj, how;
};
struct DIPropDword {
  DIPropHeader diph;
  uint32_t data;
};
// The device-object-data record: 16 bytes.
struct DIDeviceObjectData {
  uint32_t ofs, data, timeStamp, sequence;
};

typedef struct WlDIRec* LPDIRECTINPUT;
typedef struct WlDIDeviceRec* LPDIRECTINPUTDEVICE;

int32_t wlDICreate(uint32_t version, LPDIRECTINPUT* out);
int32_t wlDICreateKeyboard(LPDIRECTINPUT di, LPDIRECTINPUTDEVICE* out);
int32_t wlDIDevSetDataFormatKeyboard(LPDIRECTINPUTDEVICE dev);
int32_t wlDIDevSetCooperativeLevel(LPDIRECTINPUTDEVICE dev, WlHwnd window, uint32_t flags);
// DIPROP_BUFFERSIZE: the number of records kept between reads (1..1024).
int32_t wlDIDevSetBufferSize(LPDIRECTINPUTDEVICE dev, const DIPropDword* prop);
int32_t wlDIDevAcquire(LPDIRECTINPUTDEVICE dev);
int32_t wlDIDevUnacquire(LPDIRECTINPUTDEVICE dev);
// Moves up to *count records out of the buffer; *count receives the number moved.
int32_t wlDIDevGetDeviceData(LPDIRECTINPUTDEVICE dev, uint32_t recordSize, DIDeviceObjectData* records, uint32_t* count,
                             uint32_t flags);

// Input side: a key went down or up (scan code 1..255).
void wlDIKeyEvent(uint32_t dik, bool down);
// Input side: the application lost or regained the foreground (foreground devices lose input).
void wlDIForeground(bool foreground);

// "ESC", "ENTER", "LALT", "A", "F1", ... or a number ("28", "0x1c"); 0 when unknown.
uint32_t wlDIKFromName(const char* name);
