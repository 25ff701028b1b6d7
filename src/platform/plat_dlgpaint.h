// Drawing of a dialog into a pixel buffer (no SDL here): the font through FreeType, the layout
// of the template in pixels, and the controls in their current state.
#pragma once
#include <cstdint>

#include "platform/plat_dialog.h"

struct PlatDlgLayout {
  int32_t scale;                       // pixels per 96-dpi pixel, 1 or more
  int32_t baseX, baseY;                // the font's base units at 96 dpi (average character width, height)
  int32_t width, height;               // client size in pixels
  PlatRect items[PLAT_DLG_MAX_ITEMS];  // each control's rectangle in pixels
};

// Opens the dialog font (DejaVu Sans, else another sans-serif font found on the system; the
// environment variable QV_DIALOG_FONT names a file to use instead). Logs a missing font to
// stderr. False when no font can be opened: the caller then needs another way to show text.
bool platDlgFontOpen();
void platDlgFontClose();
// Base units of the font at `points` and 96 dpi, computed like Windows does from the average
// width of the 52 Latin letters and the ascent plus descent.
void platDlgBaseUnits(int32_t points, int32_t* baseX, int32_t* baseY);
// Whole scale for a dialog shown on a desktop of the given pixels at `dpi`: the display's
// scale (dpi / 96, rounded), grown while the dialog stays within about 45% of the desktop.
int32_t platDlgChooseScale(const PlatDlgTemplate* t, int32_t baseX, int32_t baseY, float dpi, int32_t desktopW,
                           int32_t desktopH);
// Dialog units to pixels at `scale` (the font is set to its points at 96 * scale dpi).
void platDlgLayoutMake(const PlatDlgTemplate* t, int32_t points, int32_t baseX, int32_t baseY, int32_t scale,
                       PlatDlgLayout* out);
// The control under a pixel (clickable controls only), or -1.
int32_t platDlgHitTest(const PlatDlgLayout* l, int32_t x, int32_t y);
// Paints the whole client area (0xFFRRGGBB, rows of `width` pixels) with the hovered and the
// pressed control (-1 for none).
void platDlgPaint(const PlatDlgLayout* l, uint32_t* pixels, int32_t hover, int32_t pressed);
