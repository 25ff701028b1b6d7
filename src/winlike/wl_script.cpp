// The event script: timed key changes, activation changes, close requests, lost surfaces and
// window moves, replayed by whichever backend runs (see wl_script.h for the syntax).
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "winlike/wl_ddraw.h"
#include "winlike/wl_dinput.h"
#include "winlike/wl_internal.h"
#include "winlike/wl_script.h"

enum PlatScriptKind { PS_DOWN, PS_UP, PS_DEACTIVATE, PS_ACTIVATE, PS_CLOSE, PS_LOSE, PS_MOVE };
struct PlatScriptItem {
  int64_t time;
  int32_t kind;
  int32_t a, b;
};

enum { PLAT_SCRIPT_MAX = 512 };
static PlatScriptItem platScript[PLAT_SCRIPT_MAX];
static int32_t platScriptCount = 0, platScriptNext = 0;

void wlScriptClear() { platScriptCount = platScriptNext = 0; }
int32_t wlScriptPending() { return platScriptCount - platScriptNext; }

static bool platScriptNumber(const char* s, int32_t* out, bool allowNegative) {
  if (!*s) return false;
  char* end;
  long v = std::strtol(s, &end, 10);
  if (*end || v > 100000000 || (!allowNegative && v < 0) || v < -100000000) return false;
  *out = (int32_t)v;
  return true;
}

bool wlScriptAdd(const char* script, char* err, size_t errSize) {
  if (!script) return true;
  PlatScriptItem items[PLAT_SCRIPT_MAX];
  int32_t n = 0;
  char buf[4096];
  if (std::strlen(script) >= sizeof buf) {
    std::snprintf(err, errSize, "script too long (at most %d characters)", (int)sizeof buf - 1);
    return false;
  }
  std::strcpy(buf, script);
  char* save = nullptr;
  for (char* item = strtok_r(buf, ",;", &save); item; item = strtok_r(nullptr, ",;", &save)) {
    char whole[256];
    std::snprintf(whole, sizeof whole, "%s", item);
    char* parts[4] = {nullptr, nullptr, nullptr, nullptr};
    int32_t np = 0;
    char* psave = nullptr;
    for (char* p = strtok_r(item, ":", &psave); p && np < 4; p = strtok_r(nullptr, ":", &psave)) parts[np++] = p;
    int32_t t;
    if (np < 2 || !platScriptNumber(parts[0], &t, false)) {
      std::snprintf(err, errSize, "bad script item '%s' (expected TIME:ACTION[:ARG])", whole);
      return false;
    }
    if (n + 2 > PLAT_SCRIPT_MAX - platScriptCount) {
      std::snprintf(err, errSize, "script too long (at most %d events)", PLAT_SCRIPT_MAX);
      return false;
    }
    const char* act = parts[1];
    bool keyAct = !std::strcmp(act, "key") || !std::strcmp(act, "down") || !std::strcmp(act, "up");
    if (keyAct) {
      uint32_t dik = np == 3 ? wlDIKFromName(parts[2]) : 0;
      if (!dik) {
        std::snprintf(err, errSize, "unknown key in script item '%s'", whole);
        return false;
      }
      if (std::strcmp(act, "up") != 0) items[n++] = {t, PS_DOWN, (int32_t)dik, 0};
      if (std::strcmp(act, "down") != 0) items[n++] = {t, PS_UP, (int32_t)dik, 0};
    } else if (!std::strcmp(act, "move")) {
      int32_t x, y;
      if (np != 4 || !platScriptNumber(parts[2], &x, true) || !platScriptNumber(parts[3], &y, true)) {
        std::snprintf(err, errSize, "bad script item '%s' (expected TIME:move:X:Y)", whole);
        return false;
      }
      items[n++] = {t, PS_MOVE, x, y};
    } else {
      static const struct {
        const char* name;
        int32_t kind;
      } simple[] = {{"deactivate", PS_DEACTIVATE}, {"activate", PS_ACTIVATE}, {"close", PS_CLOSE}, {"lose", PS_LOSE}};
      int32_t kind = -1;
      for (auto& s : simple)
        if (!std::strcmp(act, s.name)) kind = s.kind;
      if (kind < 0 || np != 2) {
        std::snprintf(err, errSize, "unknown script action '%s'", act);
        return false;
      }
      items[n++] = {t, kind, 0, 0};
    }
  }
  // Insert keeping time order; events of equal time stay in the order written.
  for (int32_t i = 0; i < n; i++) {
    int32_t j = platScriptCount;
    while (j > platScriptNext && platScript[j - 1].time > items[i].time) {
      platScript[j] = platScript[j - 1];
      j--;
    }
    platScript[j] = items[i];
    platScriptCount++;
  }
  return true;
}

int64_t wlScriptNextTime() { return platScriptNext < platScriptCount ? platScript[platScriptNext].time : -1; }

void wlScriptRun() {
  if (!platIsInitialised()) return;
  int64_t now = platTicksSinceInit();
  while (platScriptNext < platScriptCount && platScript[platScriptNext].time <= now) {
    const PlatScriptItem& it = platScript[platScriptNext++];
    WlWindowRec* w = wlWindowRec();
    switch (it.kind) {
      case PS_DOWN: wlDIKeyEvent((uint32_t)it.a, true); break;
      case PS_UP: wlDIKeyEvent((uint32_t)it.a, false); break;
      case PS_DEACTIVATE: wlSetForeground(false); break;
      case PS_ACTIVATE: wlSetForeground(true); break;
      case PS_CLOSE:
        if (w) wlPostMessage(w, WM_CLOSE, 0, 0);
        break;
      case PS_LOSE: wlDDLoseSurfaces(); break;
      case PS_MOVE:
        if (w) {
          int32_t width = w->rect.right - w->rect.left, height = w->rect.bottom - w->rect.top;
          w->rect = {it.a, it.b, it.a + width, it.b + height};
          wlWindowChanged();
          wlPostMessage(w, WM_MOVE, 0, 0);
          wlPostMessage(w, WM_EXITSIZEMOVE, 0, 0);
        }
        break;
    }
  }
}
