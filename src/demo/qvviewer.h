// The viewer's keys during the presentation: Space pauses and resumes, F1 shows an overlay of
// the timing in the bottom border (lines 220-239, outside the view), F12 saves a screenshot of
// the frame without it; M mutes, 9/0, -/+ (keypad too) change the music's volume (noted in the
// border for a moment); Page Down/Up and N/P skip to the next/previous segment.
#pragma once
#include <cstdint>

// Registers the overlay with the present event (after the frame counter's responder is in place).
void qvViewerInit();
// Handles a key-pressed scan code; false when the key is not one of the viewer's.
bool qvViewerKey(uint32_t scanCode);
// Writes the whole frame buffer, the overlay left out, to the first free quorvane-NNNN.png of the current folder;
// returns the name ("" when it could not be written).
const char* qvScreenshot();
