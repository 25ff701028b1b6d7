#include "system/xcursor.h"

#include "winlike/winlike.h"

void xSysShowCursor(bool visible) {
  if (visible) {
    while (wlShowCursor(1) < 0) {
    }
  } else {
    while (wlShowCursor(0) >= 0) {
    }
  }
}
