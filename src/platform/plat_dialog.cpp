// Modal dialogs, the part both backends share: the controls' check state and focus, clicks
// and keyboard navigation turned into commands for the layer above, the end and its result.
// The backends only show the window and feed input.
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/plat_headless.h"
#include "platform/plat_internal.h"

static bool dlgOpen = false;
static PlatDlgWindow dlgWindow;
static bool dlgChecked[PLAT_DLG_MAX_ITEMS];
static const PlatDlgTemplate* dlgTmpl = nullptr;
static PlatDlgCommand dlgCommandFn = nullptr;
static void* dlgUser = nullptr;
static int32_t dlgFocusIndex = -1;
static bool dlgEnd = false;
static intptr_t dlgResult = 0;
static char dlgTrace[4096];
static int32_t dlgFrame = PLAT_FRAME, dlgCaption = PLAT_CAPTION;  // window rectangle around the client

const PlatDlgTemplate* platDlgTemplate() { return dlgOpen ? dlgTmpl : nullptr; }
bool platDlgEnded() { return dlgEnd; }
int32_t platDlgFocus() { return dlgFocusIndex; }
const char* platDialogTrace() { return dlgTrace; }
void platDialogTraceClear() { dlgTrace[0] = 0; }

void platDlgTraceAdd(const char* fmt, ...) {
  size_t used = std::strlen(dlgTrace);
  if (used + 2 >= sizeof dlgTrace) return;  // full: the first 4 KB are kept
  if (used) dlgTrace[used++] = ' ';
  va_list ap;
  va_start(ap, fmt);
  std::vsnprintf(dlgTrace + used, sizeof dlgTrace - used, fmt, ap);
  va_end(ap);
}

static bool dlgValidIndex(int32_t i) { return dlgOpen && i >= 0 && i < dlgTmpl->itemCount; }
static const PlatDlgItem& dlgItem(int32_t i) { return dlgTmpl->items[i]; }
static bool dlgIsRadio(int32_t i) { return dlgItem(i).kind == PLAT_DLG_AUTORADIO; }
static bool dlgIsPush(int32_t i) {
  return dlgItem(i).kind == PLAT_DLG_PUSHBUTTON || dlgItem(i).kind == PLAT_DLG_DEFPUSHBUTTON;
}
bool platDlgIsButton(int32_t i) { return dlgValidIndex(i) && (dlgIsRadio(i) || dlgIsPush(i)); }
bool platDlgChecked(int32_t i) { return dlgValidIndex(i) && dlgChecked[i]; }

int32_t platDlgFindReplayName(const char* name) {
  if (!dlgOpen || !name) return -1;
  for (int32_t i = 0; i < dlgTmpl->itemCount; i++)
    if (dlgItem(i).replayName && std::strcmp(dlgItem(i).replayName, name) == 0) return i;
  return -1;
}

// The run of consecutive radio buttons around i: [first, last].
static void dlgGroup(int32_t i, int32_t* first, int32_t* last) {
  *first = *last = i;
  while (*first > 0 && dlgIsRadio(*first - 1)) (*first)--;
  while (*last + 1 < dlgTmpl->itemCount && dlgIsRadio(*last + 1)) (*last)++;
}

static void dlgSend(int32_t id, int32_t item) {
  if (dlgCommandFn && dlgOpen) dlgCommandFn(dlgUser, id, item);
}

// A press: check an auto radio button (unchecking its group), then the command.
static void dlgButtonClick(int32_t i) {
  if (dlgIsRadio(i)) {
    int32_t first, last;
    dlgGroup(i, &first, &last);
    for (int32_t j = first; j <= last; j++) dlgChecked[j] = j == i;
  }
  platDlgTraceAdd("command:%d", dlgItem(i).id);
  dlgSend(dlgItem(i).id, i);
}

static void dlgSetFocusIndex(int32_t i) {
  if (i == dlgFocusIndex) return;
  dlgFocusIndex = i;
  if (i >= 0) platDlgTraceAdd("focus:%d", dlgItem(i).id);
}

void platDlgClick(int32_t i) {
  if (!platDlgIsButton(i) || dlgEnd) return;
  dlgSetFocusIndex(i);
  dlgButtonClick(i);
}

void platDlgCommand(int32_t id) {
  if (!dlgOpen || dlgEnd) return;
  platDlgTraceAdd("command:%d", id);
  dlgSend(id, -1);
}

// A tab stop: every push button; for a radio group only its checked button (the first when none is).
static bool dlgIsTabStop(int32_t i) {
  if (dlgIsPush(i)) return true;
  if (!dlgIsRadio(i)) return false;
  int32_t first, last;
  dlgGroup(i, &first, &last);
  for (int32_t j = first; j <= last; j++)
    if (dlgChecked[j]) return j == i;
  return i == first;
}

void platDlgTab(bool backwards) {
  if (!dlgOpen || dlgEnd) return;
  int32_t n = dlgTmpl->itemCount, at = dlgFocusIndex < 0 ? (backwards ? 0 : n - 1) : dlgFocusIndex;
  for (int32_t step = 1; step <= n; step++) {
    int32_t j = ((at + (backwards ? -step : step)) % n + n) % n;
    if (dlgIsTabStop(j)) {
      dlgSetFocusIndex(j);
      return;
    }
  }
}

void platDlgArrow(bool backwards) {
  if (!dlgOpen || dlgEnd) return;
  int32_t i = dlgFocusIndex;
  if (i < 0 || !dlgIsRadio(i)) {
    platDlgTab(backwards);
    return;
  }
  int32_t first, last;
  dlgGroup(i, &first, &last);
  int32_t j = backwards ? (i == first ? last : i - 1) : (i == last ? first : i + 1);
  platDlgClick(j);  // an auto radio button is checked as the focus reaches it
}

int32_t platDlgDefault() {
  if (!dlgOpen) return -1;
  if (dlgFocusIndex >= 0 && dlgIsPush(dlgFocusIndex)) return dlgFocusIndex;
  for (int32_t i = 0; i < dlgTmpl->itemCount; i++)
    if (dlgItem(i).kind == PLAT_DLG_DEFPUSHBUTTON) return i;
  return -1;
}

void platDlgEnter() {
  int32_t d = platDlgDefault();
  if (d >= 0) platDlgClick(d);
  else platDlgCommand(PLAT_DLG_OK);  // no default button: the OK command, as a dialog without one gets
}

void platDlgSetClientSize(int32_t width, int32_t height, int32_t frame, int32_t caption) {
  dlgFrame = frame, dlgCaption = caption;
  int32_t w = width + 2 * frame, h = height + caption + 2 * frame;
  dlgWindow.rect.right = dlgWindow.rect.left + w;
  dlgWindow.rect.bottom = dlgWindow.rect.top + h;
}

void platDlgClientOrigin(PlatPoint* screen) {
  screen->x = dlgWindow.rect.left + dlgFrame;
  screen->y = dlgWindow.rect.top + dlgCaption + dlgFrame;
}

// ---- The contract's calls ------------------------------------------------------------

static bool dlgTemplateOk(const PlatDlgTemplate* t) {
  if (!t || !t->items || t->itemCount < 0 || t->itemCount > PLAT_DLG_MAX_ITEMS || t->width <= 0 || t->height <= 0)
    return false;
  for (int32_t i = 0; i < t->itemCount; i++) {
    const PlatDlgItem& it = t->items[i];
    if (it.width < 0 || it.height < 0) return false;
    if (it.kind == PLAT_DLG_BITMAP && (!it.pixels || it.pixelWidth <= 0 || it.pixelHeight <= 0)) return false;
  }
  return true;
}

bool platDialogOpen(const PlatDlgTemplate* tmpl, PlatDlgCommand command, void* user) {
  const PlatBackendOps* ops = platOps();
  if (!ops || !command || dlgOpen || !dlgTemplateOk(tmpl)) return false;
  std::memset(&dlgWindow, 0, sizeof dlgWindow);
  std::memset(dlgChecked, 0, sizeof dlgChecked);
  dlgOpen = true;
  std::snprintf(dlgWindow.title, sizeof dlgWindow.title, "%s", tmpl->caption ? tmpl->caption : "");
  dlgTmpl = tmpl;
  dlgCommandFn = command;
  dlgUser = user;
  dlgFocusIndex = -1;
  dlgEnd = false;
  dlgResult = 0;
  if (!ops->dialogOpen(&dlgWindow)) {
    dlgOpen = false;
    return false;
  }
  platDlgTraceAdd("init");
  return true;
}

intptr_t platDialogRun() {
  if (!dlgOpen) return -1;
  if (!dlgEnd) platOps()->dialogRun(&dlgWindow);
  return dlgEnd ? dlgResult : -1;
}

void platDialogEnd(intptr_t result) {
  if (!dlgOpen) return;
  if (!dlgEnd) platDlgTraceAdd("end:%ld", (long)result);
  dlgEnd = true;
  dlgResult = result;
}

void platDialogClose() {
  if (!dlgOpen) return;
  platOps()->dialogClose(&dlgWindow);
  dlgOpen = false;
  dlgFocusIndex = -1;
}

bool platDialogIsOpen() { return dlgOpen; }
bool platDialogChecked(int32_t i) { return platDlgChecked(i); }
void platDialogSetChecked(int32_t i, bool on) {
  if (dlgValidIndex(i)) dlgChecked[i] = on;
}
int32_t platDialogFocus() { return dlgOpen ? dlgFocusIndex : -1; }
void platDialogSetFocus(int32_t i) {
  if (platDlgIsButton(i)) dlgSetFocusIndex(i);
}
void platDialogPress(int32_t i) {
  if (platDlgIsButton(i)) dlgButtonClick(i);
}

bool platDialogGetRect(PlatRect* rect) {
  if (!dlgOpen) return false;
  *rect = dlgWindow.rect;
  return true;
}

bool platDialogSetRect(const PlatRect* r, bool show) {
  if (!dlgOpen) return false;
  dlgWindow.rect = *r;
  if (show) dlgWindow.shown = true;
  platDlgTraceAdd("pos:%d,%d,%d,%d", r->left, r->top, r->right - r->left, r->bottom - r->top);
  return true;
}

PlatAnswer platDialogShowBox(const char* text, const char* caption, uint32_t flags) {
  const PlatBackendOps* ops = platOps();
  if (!ops || !dlgOpen) return platShowBox(text, caption, flags);
  text = text ? text : "";
  caption = caption ? caption : "";
  std::fprintf(stderr, "%s %s\n", caption, text);
  std::fflush(stderr);
  return ops->dialogShowBox(&dlgWindow, text, caption, flags);
}

// ---- The headless dialog: never shown; it replays a list of clicks -------------------------

// Words of a replay list; close and escape are the cancel command, the others name controls.
static const char* const hlDlgWords[] = {"ok",       "cancel",    "windowed", "fullscreen",
                                         "infofile", "greetings", "close",    "escape"};
enum : int32_t { HL_DLG_WORDS = 8, HL_DLG_FIRST_CANCEL = 6, HL_DLG_MAX = 64 };
static int32_t hlDlgItems[HL_DLG_MAX];
static int32_t hlDlgCount = 0;

bool platHlDialogParse(const char* list, char* err, size_t errSize) {
  hlDlgCount = 0;
  if (!list) return true;
  const char* p = list;
  for (;;) {
    size_t len = std::strcspn(p, ",");
    int32_t word = -1;
    for (int32_t w = 0; w < HL_DLG_WORDS; w++)
      if (std::strlen(hlDlgWords[w]) == len && std::strncmp(p, hlDlgWords[w], len) == 0) word = w;
    if (word < 0 || hlDlgCount == HL_DLG_MAX) {
      if (word < 0)
        std::snprintf(err, errSize,
                      "bad dialog item '%.*s' (ok, cancel, close, escape, windowed, fullscreen, "
                      "infofile or greetings)",
                      (int)(len > 40 ? 40 : len), p);
      else std::snprintf(err, errSize, "dialog list too long (at most %d items)", (int)HL_DLG_MAX);
      hlDlgCount = 0;
      return false;
    }
    hlDlgItems[hlDlgCount++] = word;
    if (!p[len]) return true;
    p += len + 1;
  }
}

// Windows' base units of 8-point Tahoma at 96 dpi (6 x 13 pixels), so headless runs always
// see the same dialog size.
bool platHlDialogOpen(PlatDlgWindow*) {
  const PlatDlgTemplate* t = platDlgTemplate();
  platDlgSetClientSize((t->width * 6 + 2) / 4, (t->height * 13 + 4) / 8, PLAT_FRAME, PLAT_CAPTION);
  return true;
}

static void hlDlgOk() {
  int32_t i = platDlgFindReplayName("ok");
  if (i >= 0) platDlgClick(i);
  else platDlgEnter();
}

void platHlDialogRun(PlatDlgWindow*) {
  for (int32_t n = 0; n < hlDlgCount && !platDlgEnded(); n++) {
    int32_t word = hlDlgItems[n];
    if (word >= HL_DLG_FIRST_CANCEL) {
      platDlgCommand(PLAT_DLG_CANCEL);
      continue;
    }
    int32_t i = platDlgFindReplayName(hlDlgWords[word]);
    if (i < 0) std::fprintf(stderr, "quorvane: the dialog has no control '%s'; item skipped\n", hlDlgWords[word]);
    else platDlgClick(i);
  }
  if (!platDlgEnded()) hlDlgOk();
  if (!platDlgEnded()) std::fprintf(stderr, "quorvane: the dialog did not close after the replayed list\n");
}

void platHlDialogClose(PlatDlgWindow*) {}
