// The event script, replayed on whichever backend runs, at times in ms from platInit:
//   ITEM[,ITEM...] with ITEM = TIME:ACTION[:ARG]
//   key:NAME (press and release), down:NAME, up:NAME, deactivate, activate, close,
//   lose (surfaces lost), move:X:Y (the user drags the window to X,Y)
// NAME is a key name (ESC, ENTER, LALT, RALT, SPACE, A..Z, 0..9, F1..F12, UP, ...) or a scan code.
#pragma once
#include <cstddef>
#include <cstdint>

// False with a one-line reason when the text is malformed; nothing is added then. The script
// is kept until platShutdown.
bool wlScriptAdd(const char* script, char* err, size_t errSize);
void wlScriptClear();
int32_t wlScriptPending();
