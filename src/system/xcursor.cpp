#include "system/xcursor.h"

#include "winlike/winlike.h"

void xSysShowCursor(bool visible) {
  if (visible) {
    while (platShowCursor(1) < 0) {
    }
  } else {
    while (platShowCursor(0) >= 0) {
    }
  }
}
