// The viewer's keys during the presentation: Space pauses and resumes, F1 shows an overlay of
// the timing in the bottom border (lines 220-239, outside the view), F12 saves a screenshot.
#pragma once
#include <cstdint>

// Registers the overlay with the present event (after the frame counter's responder is in place).
void qvViewerInit();
// Handles a key-pressed scan code; false when the key is not one of the viewer's.
bool qvViewerKey(uint32_t scanCode);
// Writes the whole frame buffer to the first free quorvane-NNNN.png of the current folder;
// returns the name ("" when it could not be written).
const char* qvScreenshot();
