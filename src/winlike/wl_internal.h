// Shared between the Windows-shaped layer's own files: the engine window's record and the
// state the queue, display, keyboard and script share. Nothing outside src/winlike includes this.
#pragma once
#include <cstdint>

#include "winlike/winlike.h"

struct WlWindowRec {
  bool used;
  bool shown;
  uint32_t style;
  WlWndProc proc;
  const PlatIcon* icon;
  PlatRect rect;  // window rectangle in screen coordinates
  char title[256];
};

WlWindowRec* wlWindowRec();  // the engine window or null
void wlClientOrigin(PlatPoint* screen);
void wlClientSize(int32_t* width, int32_t* height);
// Tells the platform where the window is now (after the record changed).
void wlWindowChanged();
// The application became (in)active: WM_ACTIVATEAPP and keyboard foreground.
void wlSetForeground(bool foreground);
bool wlIsForeground();
void wlScriptRun();          // fires due scripted events
int64_t wlScriptNextTime();  // -1 when none is left
void wlScriptClear();
void wlDDReset();  // forget every object (platShutdown)
void wlDIReset();
// The dialog's handles (wl_dialog.cpp): wlGetWindowRect and wlSetWindowPos for its handle
// (false for any other).
bool wlDlgGetRect(WlHwnd dialog, PlatRect* rect);
bool wlDlgSetPos(WlHwnd dialog, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags);
// MB_ styles as the platform's box flags, and its answers as ID values.
uint32_t wlBoxFlags(uint32_t style);
int wlBoxAnswer(PlatAnswer answer);
