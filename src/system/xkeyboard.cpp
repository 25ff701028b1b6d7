#include "system/xkeyboard.h"

#include <cstring>

#include "system/xerror.h"
#include "system/xlog.h"
#include "system/xsystem.h"

uint8_t xKeyState[256];
LPDIRECTINPUT lpDI = nullptr;
LPDIRECTINPUTDEVICE lpDI_Keyboard = nullptr;

const char* xDIErrorName(int32_t result) {
  switch ((uint32_t)result) {
    case 0x80004001u: return "DIERR_UNSUPPORTED";
    case 0x80040207u: return "DIERR_NOTBUFFERED";
    case 0x80070002u: return "DIERR_OBJECTNOTFOUND";
    case 0x80070005u: return "DIERR_OTHERAPPHASPRIO";
    case 0x80070006u: return "DIERR_E_HANDLE";
    case 0x8007000cu: return "DIERR_NOTACQUIRED";
    case 0x8007000eu: return "DIERR_OUTOFMEMORY";
    case 0x80070015u: return "DIERR_NOTINITIALIZED";
    case 0x8007001eu: return "DIERR_INPUTLOST";
    case 0x80070057u: return "DIERR_INVALIDPARAM";
    case 0x800700aau: return "DIERR_ACQUIRED";
    case 0x8007047eu: return "DIERR_OLDDIRECTINPUTVERISON";
    case 0x80070481u: return "DIERR_BETADIRECTINPUTVERSION";
    default: return "DIERR_UNKNOWN";
  }
}

static void xKeyboardCheck(int32_t result, const char* step) {
  if (result < 0) xErrMsg(xFormat("%s: %s", step, xDIErrorName(result)));
}

void xKeyboardInit(WlHwnd window) {
  xLog.Print("Initializing keyboard driver");
  xKeyboardCheck(wlDICreate(0x500, &lpDI), "xKeyboardInit::DirectInputCreate()");
  xKeyboardCheck(wlDICreateKeyboard(lpDI, &lpDI_Keyboard), "xKeyboardInit::DInput->CreateDeviceEx");
  xKeyboardCheck(wlDIDevSetDataFormatKeyboard(lpDI_Keyboard), "xKeyboardInit::lpDI_Keyboard->SetDataFormat");
  if (!window) xErrMsg("xKeyboardInit::No main window to set cooperative level");
  xKeyboardCheck(wlDIDevSetCooperativeLevel(lpDI_Keyboard, window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
                 "xKeyboardInit::lpDI_Keyboard->SetCooperativeLevel");
  DIPropDword prop;
  prop.diph = {sizeof(DIPropDword), sizeof(DIPropHeader), 0, DIPH_DEVICE};
  prop.data = 16;
  xKeyboardCheck(wlDIDevSetBufferSize(lpDI_Keyboard, &prop), "xKeyboardInit::lpDI_Keyboard->SetProperty");
  xKeyboardCheck(wlDIDevAcquire(lpDI_Keyboard), "xKeyboardInit::lpDI_Keyboard->Acquire()");
  xSysAddTimer(xKeyboardTimer, 0);
  std::memset(xKeyState, 0, sizeof xKeyState);
}

void xKeyboardTimer(uint32_t) {
  DIDeviceObjectData records[16];
  std::memset(records, 0, sizeof records);
  uint32_t n = 16;
  int32_t r = wlDIDevGetDeviceData(lpDI_Keyboard, sizeof(DIDeviceObjectData), records, &n, 0);
  if (r != 0) {
    if (r == DIERR_INPUTLOST || r == DIERR_NOTACQUIRED) {
      // Bounded: while another application has the keyboard, try again on the next pass
      // so the message loop keeps running.
      int32_t a = DIERR_OTHERAPPHASPRIO;
      for (int32_t i = 0; i < XKEYBOARD_ACQUIRE_TRIES && a != 0; i++) {
        a = wlDIDevAcquire(lpDI_Keyboard);
        if (a != 0 && a != DIERR_OTHERAPPHASPRIO)
          xErrMsg(xFormat("xKeyboardTimer::lpDI_Keyboard->Acquire() : %s", xDIErrorName(a)));
      }
      if (a != 0) return;
      n = 16;
      r = wlDIDevGetDeviceData(lpDI_Keyboard, sizeof(DIDeviceObjectData), records, &n, 0);
      xKeyboardCheck(r, "xKeyboradTimer::lpDI_Keyborad->GetDeviceData(..)");
    } else {
      xKeyboardCheck(r, "xKeyboradTimer::GetDeviceData()");
    }
  }
  for (uint32_t i = 0; i < n; i++) {
    uint32_t code = records[i].ofs & 0xff;
    if (records[i].data & 0x80) {
      xKeyState[code] = 1;
      xSysDispatch(XSYS_KEY_PRESSED, &code);
    } else {
      xKeyState[code] = 0;
      xSysDispatch(XSYS_KEY_RELEASED, &code);
    }
  }
}
