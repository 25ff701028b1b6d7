// The white line grid of the instrument-panel segments, drawn with the 2D engine's
// clipped lines.
#include "fx/fxtoolkit.h"
#include "x2d/x2d.h"

void fxGrid(int32_t x0, int32_t y0, int32_t spacing, int32_t n, uint32_t* target) {
  const int32_t length = (n - 1) * spacing;
  for (int32_t k = 0; k < n; k++) {
    // Vertical lines end one short of y0 + length (exclusive end); the last horizontal
    // line, drawn with its end point included, closes the corners.
    x2dVLine(x0 + k * spacing, y0, y0 + length, 0xffffff, target);
    x2dHLine(x0, x0 + length + 1, y0 + k * spacing, 0xffffff, target);
  }
}
