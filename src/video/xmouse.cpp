// The mouse poll: hides the cursor over the mouse area and reports positions inside it.
#include "system/xcursor.h"
#include "system/xsystem.h"
#include "video/xvideo.h"

PlatRect xMouseArea = {0, 0, 0, 0};
PlatPoint xMousePos = {0, 0};
uint8_t xMouseHidden = 0, xMouseInside = 0, xMouseHideAllowed = 0;

void xMouseSetArea(int32_t left, int32_t top, int32_t right, int32_t bottom) {
  xMouseArea = {left, top, right, bottom};
}

void xMousePoll() {
  PlatPoint p;
  wlGetCursorPos(&p);
  wlScreenToClient(xVideoWindow, &p);
  xMouseInside = p.y >= xMouseArea.top && p.y <= xMouseArea.bottom && p.x >= xMouseArea.left &&
                 p.x <= xMouseArea.right && xMouseHideAllowed;
  if (!xMouseInside) {
    xVideoPresent();
    xMouseHidden = 0;
    xSysShowCursor(true);
    return;
  }
  xSysShowCursor(false);
  xMouseHidden = 1;
  int32_t x = p.x, y = p.y;
  // Clamped to the area, right and bottom exclusive (an empty area reports its corner).
  if (x > xMouseArea.right - 1) x = xMouseArea.right - 1;
  if (x < xMouseArea.left) x = xMouseArea.left;
  if (y > xMouseArea.bottom - 1) y = xMouseArea.bottom - 1;
  if (y < xMouseArea.top) y = xMouseArea.top;
  xMousePos = {x, y};
  int32_t record[4] = {x, y, 0, 0};
  xSysDispatch(XSYS_MOUSE_MOVED, record);
}
