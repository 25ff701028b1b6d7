// The headless backend: no display, a virtual clock advanced by every tick query, an audio
// device pulled in lockstep with that clock, a configurable desktop and mode list, scripted
// message-box answers, frames kept in memory.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/plat_headless.h"
#include "platform/plat_internal.h"
#ifdef __EMSCRIPTEN__
#include "platform/plat_web.h"
#endif

static PlatHeadlessConfig hlConfig = {1024, 768, 32, nullptr, nullptr, nullptr};
static PlatMode hlModes[1024];
static int32_t hlModeCount = 0;
enum : int32_t { HL_ANSWER_HOLD = 100 };  // a box that stays up until a signal comes
static PlatAnswer hlAnswers[64];
static int32_t hlAnswerCount = 0, hlAnswerNext = 0;
static uint32_t hlClock = 0;
static std::vector<uint8_t> hlFrame;
static PlatFrame hlFrameInfo;
static bool hlHaveFrame = false;
static int32_t hlBoxes = 0;
static char hlBoxText[256], hlBoxCaption[256], hlViewer[256];
static PlatPoint hlCursor = {0, 0};
static int32_t hlFailRestores = 0;
static uint64_t hlRefreshNum = 0, hlRefreshDen = 1, hlRefreshCarry = 0;
static PlatAudioFill hlAudioFill = nullptr;
static void* hlAudioUser = nullptr;
static bool hlAudioRunning = false, hlAudioInFill = false;
static uint64_t hlAudioRate = 0, hlAudioMs = 0, hlAudioFrames = 0;
static uint64_t hlAudioTotal = 0;  // frames asked for since platInit, for tests
static int32_t hlAudioPeak = 0;    // loudest sample since the last platHeadlessAudioPeak, for tests

void platHeadlessDefaults(PlatHeadlessConfig* c) { *c = {1024, 768, 32, nullptr, nullptr, nullptr}; }

static bool hlParseModes(const char* s, char* err, size_t errSize) {
  if (!s || !*s) {
    platStandardModes(hlModes, &hlModeCount);
    return true;
  }
  if (!std::strncmp(s, "count:", 6)) {
    char* end;
    long n = std::strtol(s + 6, &end, 10);
    if (*end || n < 1 || n > 1024) {
      std::snprintf(err, errSize, "bad mode count '%s' (1..1024)", s + 6);
      return false;
    }
    hlModes[0] = {320, 240, 32};
    for (long i = 1; i < n; i++) hlModes[i] = {640 + 8 * (int32_t)i, 480, 16};
    hlModeCount = (int32_t)n;
    return true;
  }
  int32_t n = 0;
  const char* p = s;
  while (*p) {
    int w, h, b, used = 0;
    if (std::sscanf(p, "%dx%dx%d%n", &w, &h, &b, &used) != 3 || w < 1 || h < 1 || w > 8192 || h > 8192 ||
        (b != 16 && b != 24 && b != 32 && b != 8) || n == 1024) {
      std::snprintf(err, errSize, "bad mode list '%s' (expected WxHxBITS,...)", s);
      return false;
    }
    hlModes[n++] = {w, h, b};
    p += used;
    if (*p == ',') p++;
    else if (*p) {
      std::snprintf(err, errSize, "bad mode list '%s' (expected WxHxBITS,...)", s);
      return false;
    }
  }
  hlModeCount = n;
  return true;
}

static bool hlParseAnswers(const char* s, char* err, size_t errSize) {
  hlAnswerCount = hlAnswerNext = 0;
  if (!s) return true;
  char buf[512];
  std::snprintf(buf, sizeof buf, "%s", s);
  char* save = nullptr;
  for (char* a = strtok_r(buf, ",", &save); a; a = strtok_r(nullptr, ",", &save)) {
    if (hlAnswerCount == 64) break;
    if (!std::strcmp(a, "yes")) hlAnswers[hlAnswerCount++] = PLAT_ANSWER_YES;
    else if (!std::strcmp(a, "no")) hlAnswers[hlAnswerCount++] = PLAT_ANSWER_NO;
    else if (!std::strcmp(a, "ok")) hlAnswers[hlAnswerCount++] = PLAT_ANSWER_OK;
    else if (!std::strcmp(a, "hold")) hlAnswers[hlAnswerCount++] = (PlatAnswer)HL_ANSWER_HOLD;
    else {
      std::snprintf(err, errSize, "bad message-box answer '%s' (yes, no, ok or hold)", a);
      return false;
    }
  }
  return true;
}

bool platHeadlessConfigure(const PlatHeadlessConfig* c, char* err, size_t errSize) {
  if (c->desktopBits != 15 && c->desktopBits != 16 && c->desktopBits != 24 && c->desktopBits != 32) {
    std::snprintf(err, errSize, "bad desktop depth %d (15, 16, 24 or 32)", c->desktopBits);
    return false;
  }
  if (c->desktopWidth < 320 || c->desktopHeight < 200 || c->desktopWidth > 8192 || c->desktopHeight > 8192) {
    std::snprintf(err, errSize, "bad desktop size %dx%d", c->desktopWidth, c->desktopHeight);
    return false;
  }
  if (!hlParseModes(c->modes, err, errSize) || !hlParseAnswers(c->answers, err, errSize) ||
      !platHlDialogParse(c->dialog, err, errSize))
    return false;
  hlConfig = *c;
  return true;
}

static bool hlInit(char*, size_t) {
  if (hlModeCount == 0) platStandardModes(hlModes, &hlModeCount);
  hlAnswerNext = 0;
  hlClock = 0;
  hlAudioTotal = 0;
  hlAudioPeak = 0;
  hlHaveFrame = false;
  hlBoxes = 0;
  hlBoxText[0] = hlBoxCaption[0] = hlViewer[0] = 0;
  return true;
}

static void hlShutdown() {
  hlFrame.clear();
  hlFrame.shrink_to_fit();
  hlHaveFrame = false;
  // The next run starts from the defaults unless configured again.
  platHeadlessDefaults(&hlConfig);
  hlModeCount = 0;
  hlAnswerCount = hlAnswerNext = 0;
  hlRefreshNum = 0;
  hlRefreshCarry = 0;
  hlFailRestores = 0;
  platHlDialogParse(nullptr, nullptr, 0);
}

// ---- Audio: a device that plays as fast as the virtual clock runs ----------------------

// The clock moved by ms: ask for the frames that make floor(ms x rate / 1000) in all.
static void hlAudioCatchUp(uint32_t ms) {
  // A fill that reads the clock itself is not asked again from inside.
  if (!hlAudioFill || !hlAudioRunning || !ms || hlAudioInFill) return;
  hlAudioMs += ms;
  hlAudioInFill = true;
  static int16_t buf[2 * 1024];
  for (uint64_t due = hlAudioMs * hlAudioRate / 1000; hlAudioFrames < due;) {
    int32_t n = due - hlAudioFrames < 1024 ? (int32_t)(due - hlAudioFrames) : 1024;
    hlAudioFill(hlAudioUser, buf, n);
    for (int32_t i = 0; i < 2 * n; i++) hlAudioPeak = std::max(hlAudioPeak, std::abs((int32_t)buf[i]));
    hlAudioFrames += (uint64_t)n;
    hlAudioTotal += (uint64_t)n;
  }
  hlAudioInFill = false;
}

static bool hlAudioOpen(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info) {
  if (hlAudioFill) {
    std::snprintf(info->reason, sizeof info->reason, "the audio device is already open");
    return false;
  }
  hlAudioFill = fill;
  hlAudioUser = user;
  hlAudioRate = (uint64_t)rate;
  hlAudioRunning = false;
  hlAudioMs = hlAudioFrames = 0;
  info->queuedFrames = 0;
  return true;
}
static void hlAudioPause(bool pause) { hlAudioRunning = hlAudioFill && !pause; }
static void hlAudioClose() {
  hlAudioFill = nullptr;
  hlAudioUser = nullptr;
  hlAudioRunning = false;
}
uint64_t platHeadlessAudioFrames() { return hlAudioTotal; }
int32_t platHeadlessAudioPeak() {
  int32_t peak = hlAudioPeak;
  hlAudioPeak = 0;
  return peak;
}

static void hlAdvance(uint32_t ms) {
  hlClock += ms;
  hlAudioCatchUp(ms);
}

static uint32_t hlTicks(bool advance) {
  uint32_t now = hlClock;
  if (advance) hlAdvance(1);
  return now;
}
static void hlSleep(uint32_t ms) { hlAdvance(ms); }
// The virtual clock moves only when asked: nothing to sleep through.
static void hlSleepUntil(uint32_t) {}
static int64_t hlMicros() { return (int64_t)hlClock * 1000; }
void platHeadlessAdvance(uint32_t ms) { hlAdvance(ms); }

void platHeadlessSetRefresh(uint32_t num, uint32_t den) {
  hlRefreshNum = num;
  hlRefreshDen = den ? den : 1;
  hlRefreshCarry = 0;
}
static bool hlPoll(PlatEvent*) { return false; }

static bool hlWait(int32_t timeoutMs) {
  if (timeoutMs < 0) return false;
  hlAdvance((uint32_t)timeoutMs);
  return true;
}

static void hlDesktop(int32_t* w, int32_t* h, PlatPixelFormat* f) {
  *w = hlConfig.desktopWidth;
  *h = hlConfig.desktopHeight;
  platFormatForBits(hlConfig.desktopBits, f);
}

static int32_t hlModesOp(PlatMode* out, int32_t max) {
  int32_t n = hlModeCount < max ? hlModeCount : max;
  std::memcpy(out, hlModes, sizeof(PlatMode) * (size_t)n);
  return n;
}

static bool hlDisplayAvailable() {
  if (hlFailRestores <= 0) return true;
  hlFailRestores--;
  return false;
}
void platHeadlessFailRestores(int32_t n) { hlFailRestores = n; }

static void hlWindowUpdate(const PlatWindowState*) {}
static void hlSetFullscreen(bool) {}

static void hlPresent(const uint8_t* pixels, int32_t w, int32_t h, int32_t pitch, const PlatPixelFormat* f,
                      bool fullscreen) {
  int32_t bytes = (int32_t)(f->bitCount + 7) / 8;
  int32_t row = w * bytes;
  hlFrame.resize((size_t)row * (size_t)h);
  for (int32_t y = 0; y < h; y++)
    std::memcpy(hlFrame.data() + (size_t)y * row, pixels + (size_t)y * pitch, (size_t)row);
  hlFrameInfo = {hlFrame.data(), w, h, row, *f, fullscreen};
  hlHaveFrame = true;
#ifdef __EMSCRIPTEN__
  platWebMirror(pixels, w, h, pitch, f);
#endif
  if (hlRefreshNum) {
    // Carry in units of 1/num ms: den x 1000 per period.
    hlRefreshCarry += hlRefreshDen * 1000;
    hlAdvance((uint32_t)(hlRefreshCarry / hlRefreshNum));
    hlRefreshCarry %= hlRefreshNum;
  }
}

bool platHeadlessLastFrame(PlatFrame* frame) {
  if (!hlHaveFrame) return false;
  *frame = hlFrameInfo;
  return true;
}

// A box nobody answers: a child process that waits for ever, as the sdl backend's box process
// would; only a signal ends it (and then the wait, with the default answer).
static void hlHoldChild(int32_t, void*) {
  for (;;) pause();
}

static PlatAnswer hlShowBox(const char* text, const char* caption, uint32_t flags) {
  hlBoxes++;
  std::snprintf(hlBoxText, sizeof hlBoxText, "%s", text);
  std::snprintf(hlBoxCaption, sizeof hlBoxCaption, "%s", caption);
  PlatAnswer answer = hlAnswerNext < hlAnswerCount ? hlAnswers[hlAnswerNext++] : PLAT_ANSWER_YES;
  int32_t held = 0;
  if (answer == (PlatAnswer)HL_ANSWER_HOLD)
    answer = platRunChild(hlHoldChild, nullptr, &held) ? (PlatAnswer)held : PLAT_ANSWER_YES;
  if (!(flags & PLAT_BOX_YESNO)) return PLAT_ANSWER_OK;
  return answer == PLAT_ANSWER_NO ? PLAT_ANSWER_NO : PLAT_ANSWER_YES;
}

static PlatAnswer hlDialogShowBox(PlatDlgWindow*, const char* text, const char* caption, uint32_t flags) {
  return hlShowBox(text, caption, flags);
}

int32_t platHeadlessBoxCount() { return hlBoxes; }
const char* platHeadlessLastBoxText() { return hlBoxText; }
const char* platHeadlessLastBoxCaption() { return hlBoxCaption; }
const char* platHeadlessLastViewer() { return hlViewer; }

void platHeadlessSetCursor(int32_t x, int32_t y) { hlCursor = {x, y}; }
static void hlCursorVisible(bool) {}
static bool hlCursorPos(PlatPoint* screen, PlatPoint*) {
  *screen = hlCursor;
  return false;
}
static void hlOpenViewer(const char* f) { std::snprintf(hlViewer, sizeof hlViewer, "%s", f); }

const PlatBackendOps platHeadlessOps = {
    "headless",        hlInit,          hlShutdown,   hlTicks,      hlSleep,          hlSleepUntil,
    hlMicros,          hlPoll,          hlWait,       hlDesktop,    hlModesOp,        hlDisplayAvailable,
    hlWindowUpdate,    hlSetFullscreen, hlPresent,    hlShowBox,    hlCursorVisible,  hlCursorPos,
    hlOpenViewer,      hlAudioOpen,     hlAudioPause, hlAudioClose, platHlDialogOpen, platHlDialogRun,
    platHlDialogClose, hlDialogShowBox,
};
