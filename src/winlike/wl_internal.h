// Shared between the Windows-shaped layer's own files: the engine window's record and the
// state the queue, display, keyboard and script share. Nothing outside src/winlike includes this.
#pragma once
#include <cstdint>

#include "winlike/winlike.h"

struct PlatWindowRec {
  bool used;
  bool shown;
  uint32_t style;
  PlatWndProc proc;
  const PlatIcon* icon;
  PlatRect rect;  // window rectangle in screen coordinates
  char title[256];
};

PlatWindowRec* platWindowRec();  // the engine window or null
void platClientOrigin(PlatPoint* screen);
void platClientSize(int32_t* width, int32_t* height);
// Tells the platform where the window is now (after the record changed).
void platWindowChanged();
// The application became (in)active: WM_ACTIVATEAPP and keyboard foreground.
void platSetForeground(bool foreground);
bool platIsForeground();
void platScriptRun();          // fires due scripted events
int64_t platScriptNextTime();  // -1 when none is left
void platScriptClear();
void platDDReset();  // forget every object (platShutdown)
void platDIReset();
// The dialog's handles (wl_dialog.cpp): platGetWindowRect and platSetWindowPos for its handle
// (false for any other).
bool platDlgGetRect(PlatHwnd dialog, PlatRect* rect);
bool platDlgSetPos(PlatHwnd dialog, int32_t x, int32_t y, int32_t width, int32_t height, uint32_t flags);
// MB_ styles as the platform's box flags, and its answers as ID values.
uint32_t platBoxFlags(uint32_t style);
int platBoxAnswer(PlatAnswer answer);
