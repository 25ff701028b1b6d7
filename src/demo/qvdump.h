// Frame dumps: the presented view as PNG files, every so many ms of the presentation's time
// and at each segment's first and last frame.
#pragma once
#include <cstdint>

// setting is DIR or DIR:EVERY_MS (default 1000), DIR as the user gave it (before the program
// moves to its data). 0, then dumps from the next frame on; 2 with a one-line reason when the
// setting is malformed, 1 when the folder cannot be made or written into.
int32_t qvDumpStart(const char* setting, char* err, int32_t errSize);
// Each file: DIR/tTTTTTTT_sSS_oOO_rRR[_first|_last].png (ms since the first frame, segment
// 1..15, music order and row); the names sort by time.
