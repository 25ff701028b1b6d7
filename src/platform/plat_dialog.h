// The platform contract's modal dialog: a template of controls the backend shows (sdl: a
// window of its own; headless: replays PlatHeadlessConfig::dialog), the state the user changes,
// and commands for the layer above. One dialog at a time.
#pragma once
#include <cstdint>

#include "platform/platform.h"

// Positions in dialog units: x quarters of the font's average character width, y eighths of
// its height.
enum PlatDlgKind : int32_t {
  PLAT_DLG_DEFPUSHBUTTON,
  PLAT_DLG_PUSHBUTTON,
  PLAT_DLG_BITMAP,
  PLAT_DLG_GROUPBOX,
  PLAT_DLG_AUTORADIO,
};
struct PlatDlgItem {
  int32_t id;  // -1 for controls that send nothing (picture, group box)
  PlatDlgKind kind;
  const char* text;
  int32_t x, y, width, height;  // dialog units
  const uint32_t* pixels;       // BITMAP: 0xAARRGGBB, top row first
  int32_t pixelWidth, pixelHeight;
  const char* replayName;  // the control's word in a headless replay list (e.g. "ok"), or null
};
// Consecutive radio buttons are one group and one tab stop; tab order is table order.
struct PlatDlgTemplate {
  const char* caption;
  int32_t width, height;  // client area, dialog units
  const char* fontName;
  int32_t fontPoints;
  const PlatDlgItem* items;
  int32_t itemCount;  // at most PLAT_DLG_MAX_ITEMS
};
enum : int32_t { PLAT_DLG_MAX_ITEMS = 32, PLAT_DLG_OK = 1, PLAT_DLG_CANCEL = 2 };
// A click (item = its index) or a command without a control (item -1: PLAT_DLG_CANCEL for
// Escape and the close box, PLAT_DLG_OK for Enter without a default button).
typedef void (*PlatDlgCommand)(void* user, int32_t id, int32_t item);
// Opens it hidden with its window rectangle sized; false when it cannot be shown.
bool platDialogOpen(const PlatDlgTemplate* tmpl, PlatDlgCommand command, void* user);
// Shows it and feeds input until platDialogEnd; that result, or -1 if it never ended.
intptr_t platDialogRun();
void platDialogEnd(intptr_t result);
void platDialogClose();
bool platDialogIsOpen();
// State of push and radio buttons: check marks, keyboard focus (item or -1), a press (BM_CLICK).
bool platDialogChecked(int32_t item);
void platDialogSetChecked(int32_t item, bool on);
int32_t platDialogFocus();
void platDialogSetFocus(int32_t item);
void platDialogPress(int32_t item);
// Its window rectangle in screen units; moving it moves the shown dialog.
bool platDialogGetRect(PlatRect* rect);
bool platDialogSetRect(const PlatRect* rect, bool show);
PlatAnswer platDialogShowBox(const char* text, const char* caption, uint32_t flags);  // above it
