// The mouse cursor shown or hidden outright, whatever its display count was.
// Lives here, the lowest layer above the platform, so that the error boxes use it too.
#pragma once

// Shows (display count raised until it is at least 0) or hides (lowered until it is
// below 0) the cursor; the count always moves by at least one step.
void xSysShowCursor(bool visible);
