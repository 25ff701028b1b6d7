// Controls of the headless backend, the contract's null twin (tests and --headless runs).
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

struct PlatHeadlessConfig {
  int32_t desktopWidth, desktopHeight;  // screen size in pixels (default 1024x768)
  int32_t desktopBits;                  // 15 (5-5-5), 16 (5-6-5), 24 or 32 (default 32)
  // Display modes offered, "WxHxB,WxHxB,..." in enumeration order; "count:N" lists N distinct
  // modes (N >= 1, the first being 320x240x32); null or "" gives the standard low-resolution list.
  const char* modes;
  // Message-box answers in order, "yes,no,..."; once used up every box answers yes (or OK).
  // "hold" keeps that box up, as a child process, until a signal (SIGINT, SIGTERM, SIGHUP) ends it.
  const char* answers;
  // Setup-dialog replay, "ITEM,ITEM,...": ok, cancel, windowed, fullscreen, infofile, greetings
  // click the control of that replay name; close and escape send IDCANCEL. A list that ends with
  // the dialog still open closes it with ok. Null: no list (the program then skips its dialog).
  const char* dialog;
};
// Defaults: 1024x768, 32 bits, standard modes, all answers yes.
void platHeadlessDefaults(PlatHeadlessConfig* config);
// Applies to the next platInit of the headless backend. False (with a reason) on a bad string.
bool platHeadlessConfigure(const PlatHeadlessConfig* config, char* err, size_t errSize);

// The picture last presented, in its own format.
struct PlatFrame {
  const uint8_t* pixels;
  int32_t width, height, pitch;
  PlatPixelFormat format;
  bool fullscreen;
};
bool platHeadlessLastFrame(PlatFrame* frame);
uint32_t platPresentCount();
int32_t platHeadlessBoxCount();
const char* platHeadlessLastBoxText();
const char* platHeadlessLastBoxCaption();
const char* platHeadlessLastViewer();
// What happened in the dialogs since platInit, e.g. "init pos:283,204,458,251 command:1002
// focus:1006 command:1000 command:1006 end:0" (both backends keep it).
const char* platDialogTrace();
void platDialogTraceClear();
// The next n platDisplayAvailable calls answer false (the display still taken by another program).
void platHeadlessFailRestores(int32_t n);
// Where the mouse cursor is, in screen coordinates.
void platHeadlessSetCursor(int32_t x, int32_t y);
// Moves the virtual clock forward.
void platHeadlessAdvance(uint32_t ms);
// A simulated display refresh of num/den frames per second: every present then takes one
// refresh period of virtual time (den x 1000 / num ms, the remainder carried to the next
// present so that n presents take exactly n periods). num 0 (the default) makes presents
// take no time. Each call starts the carry afresh.
void platHeadlessSetRefresh(uint32_t num, uint32_t den);

// Audio frames the headless device has asked its fill for since platInit.
uint64_t platHeadlessAudioFrames();
// The loudest sample (magnitude, 0..32768) the fill gave the headless device since the last call
// or platInit: 0 is silence.
int32_t platHeadlessAudioPeak();
