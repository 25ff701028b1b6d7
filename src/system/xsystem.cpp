#include "system/xsystem.h"

#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "system/xerror.h"
#include "system/xlog.h"
#include "xmath/xrand.h"

uint8_t xSysActive = 0;
char* xSysTitle = nullptr;
const PlatIcon* xSysIcon = nullptr;
WlHwnd xSysWindow = nullptr;
uint32_t xSysRandSeed = 0;

static uint32_t xSysPausedAt = 0;
// One spare entry per list stands for the end marker.
static xSysResponder xSysResponders[XSYS_EVENT_KINDS][XSYS_MAX_RESPONDERS + 1];
static int32_t xSysResponderLen[XSYS_EVENT_KINDS];
static uint32_t xSysLevels[XSYS_LEVELS];
static int32_t xSysLevelIndex = 0;
static xSysTimer xSysTimers[XSYS_MAX_TIMERS + 1];
static int32_t xSysTimerLen = 0;

void xSysInit(const char* title, const PlatIcon* icon, const char* logFileName) {
  xSysRandSeed = (uint32_t)(platCalendarSeconds() % 60);
  xMathSeed(xSysRandSeed);
  if (logFileName) {
    xLog.Open(logFileName);
    xLog.Print(xFormat("Initializing system driver for %s", title ? title : ""));
  }
  std::memset(xSysResponders, 0, sizeof xSysResponders);
  std::memset(xSysResponderLen, 0, sizeof xSysResponderLen);
  // The emptied lists give back the level-stack slots their registrations used.
  std::memset(xSysLevels, 0, sizeof xSysLevels);
  xSysLevelIndex = 0;
  std::free(xSysTitle);
  xSysTitle = strdup(title ? title : "");
  if (!xSysTitle) xErrCode("Xsystem", 40, 1, nullptr);
  xSysIcon = icon;
  xSysSetActive(0);
}

void xSysDone() {
  std::memset(xSysResponders, 0, sizeof xSysResponders);
  std::memset(xSysResponderLen, 0, sizeof xSysResponderLen);
  std::memset(xSysTimers, 0, sizeof xSysTimers);
  xSysTimerLen = 0;
  std::memset(xSysLevels, 0, sizeof xSysLevels);
  xSysLevelIndex = 0;
  std::free(xSysTitle);
  xSysTitle = nullptr;
  xSysIcon = nullptr;
}

void xSysAddResponder(xSysResponderProc callback, uint32_t kind, uint32_t priority) {
  xAssert(kind < XSYS_EVENT_KINDS, "Xsystem", 100);
  int32_t& len = xSysResponderLen[kind];
  if (len >= XSYS_MAX_RESPONDERS)
    xErrMsg(xFormat("xSysAddResponder() - limit of %u responders exceeded", (unsigned)XSYS_MAX_RESPONDERS));
  xSysResponder* list = xSysResponders[kind];
  int32_t at = 0;
  while (at < len && list[at].priority <= priority) at++;
  std::memmove(&list[at + 1], &list[at], sizeof(xSysResponder) * (size_t)(len - at));
  list[at] = {callback, kind, xSysLevels[xSysLevelIndex], priority};
  // Each registration uses one slot of the level stack; the top stays inside the stack so the
  // next read is in bounds (a full stack then fails the dispatch check below).
  if (xSysLevelIndex < XSYS_LEVELS - 1) xSysLevelIndex++;
  len++;
}

void xSysDispatch(uint32_t kind, void* record) {
  xAssert(kind < XSYS_EVENT_KINDS, "Xsystem", 62);
  int32_t end = xSysResponderLen[kind];
  if (end == 0) return;
  uint32_t level = xSysLevels[xSysLevelIndex];
  xAssert(xSysLevelIndex + 1 < XSYS_LEVELS, "Xsystem", 66);
  xSysLevels[++xSysLevelIndex] = level;
  const xSysResponder* list = xSysResponders[kind];
  for (int32_t i = 0; i < end; i++)
    if (list[i].level <= level && list[i].callback) list[i].callback(record);
  xSysLevelIndex--;
  xSysLevels[xSysLevelIndex] = xSysLevels[xSysLevelIndex + 1];
}

void xSysSetActive(uint32_t active) {
  uint8_t flag = (uint8_t)(active & 0xff);
  if (flag == xSysActive) return;
  uint32_t record = flag;
  xSysDispatch(XSYS_ACTIVATED, &record);
  xSysActive = flag;
  uint32_t now = platGetTickCount();
  if (flag) {
    // Resume where the timers stopped rather than firing for the time spent inactive.
    uint32_t d = now - xSysPausedAt + 1;
    for (int32_t i = 0; i < xSysTimerLen; i++) xSysTimers[i].due += d;
  } else {
    xSysPausedAt = now;
  }
}

void xSysAddTimer(xSysTimerProc callback, uint32_t frequency) {
  if (frequency > 1000) xErrMsg(xFormat("xSysAddTimer() - invalid frequency %u", frequency));
  xAssert(callback != nullptr, "Xsystem", 138);
  for (int32_t i = 0; i < xSysTimerLen; i++)
    if (xSysTimers[i].callback == callback) return;
  if (xSysTimerLen >= XSYS_MAX_TIMERS)
    xErrMsg(xFormat("xSysAddTimer() - limit of %u timers exceeded", (unsigned)XSYS_MAX_TIMERS));
  uint32_t period = frequency ? 1000 / frequency : 0;
  xSysTimers[xSysTimerLen++] = {callback, platGetTickCount() + period, period};
}

void xSysRemoveTimer(xSysTimerProc callback) {
  for (int32_t i = 0; i < xSysTimerLen; i++) {
    if (xSysTimers[i].callback != callback) continue;
    std::memmove(&xSysTimers[i], &xSysTimers[i + 1], sizeof(xSysTimer) * (size_t)(xSysTimerLen - i - 1));
    xSysTimerLen--;
    xSysTimers[xSysTimerLen] = {nullptr, 0, 0};
    return;
  }
  // The address as bare hex after "0x" (glibc's %p would add a second "0x").
  xErrMsg(xFormat("xSysRemoveTimer() - cannot find timer 0x%" PRIxPTR, (uintptr_t)callback));
}

static void xSysRunTimers() {
  // The length is read again at every step: callbacks add and remove timers.
  for (int32_t i = 0; i < xSysTimerLen; i++) {
    xSysTimer& t = xSysTimers[i];
    if (t.period == 0) {
      t.callback(1);
      continue;
    }
    uint32_t now = platGetTickCount();
    int32_t late = (int32_t)(now - t.due);
    if (late < 0) continue;
    // Missed periods are dropped, not caught up.
    if ((uint32_t)late >= t.period) t.due = now + t.period;
    else t.due += t.period;
    t.callback((uint32_t)late / t.period + 1);
  }
}

void xSysRun() {
  uint32_t record = 0;
  xSysDispatch(XSYS_RUN, &record);
  platSignalWatch(true);
  for (;;) {
    if (platSignalCaught()) xSysQuit();  // the program ends in order, with the signal's status
    if (xSysActive) xSysRunTimers();
    else wlWaitMessage();
    WlMsg msg;
    while (wlPeekMessage(&msg, true)) {
      wlDispatchMessage(&msg);
      if (msg.message == WM_QUIT) {
        platSignalWatch(false);
        record = 1;
        xSysDispatch(XSYS_RUN, &record);
        return;
      }
    }
  }
}

void xSysQuit() { wlPostQuitMessage(0); }

int32_t xSysTimerCount() { return xSysTimerLen; }
const xSysTimer* xSysTimerAt(int32_t index) {
  return index >= 0 && index < xSysTimerLen ? &xSysTimers[index] : nullptr;
}
int32_t xSysResponderCount(uint32_t kind) { return kind < XSYS_EVENT_KINDS ? xSysResponderLen[kind] : 0; }
int32_t xSysLevelTop() { return xSysLevelIndex; }
