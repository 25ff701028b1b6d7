// The web backend (emscripten builds): the frame goes to the page's canvas through putImageData,
// keys come from the window's keyboard events, time from the page's clock, boxes become page
// messages (yes/no questions a confirm). The program's loops block; they are compiled with
// ASYNCIFY and every sleep or wait here gives the browser its turn (emscripten_sleep). The page
// (web/index.html) sets Module.canvas and may provide qvMessage(caption, text, isError).
#include <emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/plat_internal.h"
#include "platform/plat_web.h"

static double webStart = 0;      // emscripten_get_now() at init (ms)
static PlatEvent webQueue[256];  // events not yet polled (a ring)
static int32_t webHead = 0, webCount = 0;
static std::vector<uint8_t> webRgba;    // the frame as the canvas takes it (R, G, B, A bytes)
static double webLastYield = 0;         // when the browser last had its turn (ms)
static const double WEB_YIELD_MS = 50;  // a loop that never sleeps still yields this often (ms)

// clang-format off
EM_JS(void, webJsTitle, (const char* title), { document.title = UTF8ToString(title); });
EM_JS(void, webJsBlit, (const uint8_t* rgba, int32_t w, int32_t h), {
  var c = Module['canvas'];
  if (!c) return;
  /* A view of the program's memory, no copy: both paths draw it before returning. */
  var image = new ImageData(new Uint8ClampedArray(HEAPU8.buffer, rgba, w * h * 4), w, h);
  if (Module['qvShow']) Module['qvShow'](image);  // the page scales it onto the canvas
  else { c.width = w; c.height = h; c.getContext('2d').putImageData(image, 0, 0); }
});
// Whether this is the page (node runs the same code with neither document nor canvas).
EM_JS(int32_t, webJsIsPage, (), { return typeof document == 'object' && Module['canvas'] ? 1 : 0; });
EM_JS(void, webJsDownload, (const char* name), {
  try {
    var path = UTF8ToString(name), a = document.createElement('a');
    a.href = URL.createObjectURL(new Blob([FS.readFile(path)], {type: 'image/png'}));
    a.download = path.split('/').pop();
    document.body.appendChild(a);
    a.click();
    a.remove();
  } catch (e) {}
});
EM_JS(void, webJsCursor, (int32_t visible), {
  if (Module['canvas']) Module['canvas'].style.cursor = visible ? 'default' : 'none';
});
EM_JS(int32_t, webJsBox, (const char* text, const char* caption, int32_t flags), {
  var t = UTF8ToString(text), c = UTF8ToString(caption);
  if (flags & 1) return typeof confirm == 'function' && !confirm(c + '\n\n' + t) ? 2 : 1;
  if (Module['qvMessage']) Module['qvMessage'](c, t, (flags & 4) != 0);
  return 0;
});
EM_JS(void, webJsViewer, (const char* name), {
  try {
    var data = FS.readFile(UTF8ToString(name));
    window.open(URL.createObjectURL(new Blob([data], {type: 'text/plain'})), '_blank');
  } catch (e) {}
});
EM_JS(int32_t, webJsScreen, (int32_t height), {
  if (typeof screen != 'object') return height ? 768 : 1024;
  return height ? screen.height : screen.width;
});
// clang-format on

static void webPush(const PlatEvent& e) {
  if (webCount == 256) return;  // nobody is reading: drop
  webQueue[(webHead + webCount++) % 256] = e;
}

// KeyboardEvent.code as PC set-1 scan codes (extended keys + 0x80); 0 when unknown.
static uint32_t webScanCode(const char* code) {
  static const struct {
    const char* code;
    uint8_t scan;
  } keys[] = {
      {"Escape", 0x01},         {"Minus", 0x0C},        {"Equal", 0x0D},
      {"Backspace", 0x0E},      {"Tab", 0x0F},          {"BracketLeft", 0x1A},
      {"BracketRight", 0x1B},   {"Enter", 0x1C},        {"ControlLeft", 0x1D},
      {"Semicolon", 0x27},      {"Quote", 0x28},        {"Backquote", 0x29},
      {"ShiftLeft", 0x2A},      {"Backslash", 0x2B},    {"Comma", 0x33},
      {"Period", 0x34},         {"Slash", 0x35},        {"ShiftRight", 0x36},
      {"NumpadMultiply", 0x37}, {"AltLeft", 0x38},      {"Space", 0x39},
      {"CapsLock", 0x3A},       {"NumLock", 0x45},      {"ScrollLock", 0x46},
      {"Numpad7", 0x47},        {"Numpad8", 0x48},      {"Numpad9", 0x49},
      {"NumpadSubtract", 0x4A}, {"Numpad4", 0x4B},      {"Numpad5", 0x4C},
      {"Numpad6", 0x4D},        {"NumpadAdd", 0x4E},    {"Numpad1", 0x4F},
      {"Numpad2", 0x50},        {"Numpad3", 0x51},      {"Numpad0", 0x52},
      {"NumpadDecimal", 0x53},  {"F11", 0x57},          {"F12", 0x58},
      {"NumpadEnter", 0x9C},    {"ControlRight", 0x9D}, {"NumpadDivide", 0xB5},
      {"AltRight", 0xB8},       {"Pause", 0xC5},        {"Home", 0xC7},
      {"ArrowUp", 0xC8},        {"PageUp", 0xC9},       {"ArrowLeft", 0xCB},
      {"ArrowRight", 0xCD},     {"End", 0xCF},          {"ArrowDown", 0xD0},
      {"PageDown", 0xD1},       {"Insert", 0xD2},       {"Delete", 0xD3},
      {"MetaLeft", 0xDB},
  };
  static const uint8_t letters[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
                                      0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
  if (!std::strncmp(code, "Key", 3) && code[3] >= 'A' && code[3] <= 'Z' && !code[4]) return letters[code[3] - 'A'];
  if (!std::strncmp(code, "Digit", 5) && code[5] >= '0' && code[5] <= '9' && !code[6])
    return code[5] == '0' ? 0x0B : 0x02 + (uint32_t)(code[5] - '1');
  if (code[0] == 'F' && code[1] >= '1' && code[1] <= '9') {
    int n = 0;
    if (std::sscanf(code + 1, "%d", &n) == 1 && n >= 1 && n <= 10) return 0x3B + (uint32_t)(n - 1);
  }
  for (const auto& k : keys)
    if (!std::strcmp(code, k.code)) return k.scan;
  return 0;
}

static EM_BOOL webKey(int type, const EmscriptenKeyboardEvent* k, void*) {
  uint32_t scan = webScanCode(k->code);
  if (!scan) return EM_FALSE;
  PlatEvent e = {};
  e.kind = PLAT_EVENT_KEY;
  e.key = scan;
  e.down = type == EMSCRIPTEN_EVENT_KEYDOWN;
  e.alt = k->altKey;
  webPush(e);
  // The browser keeps F5 (reload); the page switches full screen itself (a browser grants it only
  // inside the key's own handler, which the program's loop is not).
  return scan != 0x3F && scan != 0x57;
}

static EM_BOOL webFocus(int type, const EmscriptenFocusEvent*, void*) {
  PlatEvent e = {};
  e.kind = PLAT_EVENT_FOCUS;
  e.down = type == EMSCRIPTEN_EVENT_FOCUS;
  webPush(e);
  return EM_FALSE;
}

static void webListen(bool on) {
  const char* w = EMSCRIPTEN_EVENT_TARGET_WINDOW;
  emscripten_set_keydown_callback(w, nullptr, EM_TRUE, on ? webKey : nullptr);
  emscripten_set_keyup_callback(w, nullptr, EM_TRUE, on ? webKey : nullptr);
  emscripten_set_focus_callback(w, nullptr, EM_TRUE, on ? webFocus : nullptr);
  emscripten_set_blur_callback(w, nullptr, EM_TRUE, on ? webFocus : nullptr);
}

static bool webInit(char* err, size_t errSize) {
  if (!webJsIsPage()) {
    std::snprintf(err, errSize, "no page to show the presentation in (under node, use --headless)");
    return false;
  }
  webStart = webLastYield = emscripten_get_now();
  webHead = webCount = 0;
  webListen(true);
  return true;
}
static void webShutdown() {
  webListen(false);
  webRgba.clear();
}

// ---- Time: every wait is a turn of the browser ----------------------------------------------
static double webNow() { return emscripten_get_now() - webStart; }
static uint32_t webTicks(bool) { return (uint32_t)(int64_t)webNow(); }
static void webYield(double ms) {
  emscripten_sleep((unsigned)(ms > 0 ? ms : 0));
  webLastYield = emscripten_get_now();
}
static void webSleep(uint32_t ms) { webYield(ms); }
static void webSleepUntil(uint32_t tick) {
  int32_t left = (int32_t)(tick - webTicks(false));
  webYield(left > 0 ? left : 0);
}
static int64_t webMicros() { return (int64_t)(webNow() * 1000.0); }

static bool webPoll(PlatEvent* e) {
  if (!webCount) return false;
  *e = webQueue[webHead];
  webHead = (webHead + 1) % 256, webCount--;
  return true;
}
// Sleeps in slices of a frame or less until an event came or the time is up.
static bool webWait(int32_t timeoutMs) {
  double end = webNow() + timeoutMs;
  for (;;) {
    if (webCount) return true;
    double left = timeoutMs < 0 ? 16 : end - webNow();
    if (left <= 0) return true;
    webYield(left < 16 ? left : 16);
  }
}

// ---- Display ----------------------------------------------------------------------------------
static void webDesktop(int32_t* w, int32_t* h, PlatPixelFormat* f) {
  *w = webJsScreen(0), *h = webJsScreen(1);
  platFormatForBits(32, f);
}
static int32_t webModes(PlatMode* out, int32_t max) {
  PlatMode all[9];
  int32_t n = 0;
  platStandardModes(all, &n);
  n = n < max ? n : max;
  std::memcpy(out, all, sizeof(PlatMode) * (size_t)n);
  return n;
}
static bool webDisplayAvailable() { return true; }
static void webWindowUpdate(const PlatWindowState* s) {
  if (s->open && s->title) webJsTitle(s->title);
}
// The page owns full screen: its buttons and F11, Alt+Enter or F request it while the gesture lasts.
static void webSetFullscreen(bool) {}

// One channel of a pixel widened to 8 bits by repeating its top bits (5 bits: abcde -> abcdeabc).
static uint8_t webChannel(uint32_t p, uint32_t mask) {
  if (!mask) return 0;
  int32_t shift = __builtin_ctz(mask), bits = __builtin_popcount(mask);
  uint32_t v = (p & mask) >> shift;
  if (bits >= 8) return (uint8_t)(v >> (bits - 8));
  return (uint8_t)((v << (8 - bits)) | (v >> (2 * bits - 8 > 0 ? 2 * bits - 8 : 0)));
}

void platWebToRgba(const uint8_t* pixels, int32_t w, int32_t h, int32_t pitch, const PlatPixelFormat* f, uint8_t* out) {
  int32_t bytes = (int32_t)(f->bitCount + 7) / 8;
  for (int32_t y = 0; y < h; y++) {
    const uint8_t* s = pixels + (size_t)y * (size_t)pitch;
    uint8_t* o = out + (size_t)y * (size_t)w * 4;
    for (int32_t x = 0; x < w; x++, s += bytes, o += 4) {
      uint32_t p = 0;
      for (int32_t b = 0; b < bytes; b++) p |= (uint32_t)s[b] << (8 * b);  // little-endian pixels
      if (bytes == 1) o[0] = o[1] = o[2] = (uint8_t)p;                     // palette indices: no palette here, grey
      else o[0] = webChannel(p, f->rBitMask), o[1] = webChannel(p, f->gBitMask), o[2] = webChannel(p, f->bBitMask);
      o[3] = 255;
    }
  }
}

static void webBlit(const uint8_t* pixels, int32_t w, int32_t h, int32_t pitch, const PlatPixelFormat* f) {
  webRgba.resize((size_t)w * (size_t)h * 4);
  platWebToRgba(pixels, w, h, pitch, f, webRgba.data());
  webJsBlit(webRgba.data(), w, h);
}
static void webPresent(const uint8_t* pixels, int32_t w, int32_t h, int32_t pitch, const PlatPixelFormat* f, bool) {
  webBlit(pixels, w, h, pitch, f);
  if (emscripten_get_now() - webLastYield >= WEB_YIELD_MS) webYield(0);
}

void platWebMirror(const uint8_t* pixels, int32_t w, int32_t h, int32_t pitch, const PlatPixelFormat* f) {
  if (!webJsIsPage()) return;
  webBlit(pixels, w, h, pitch, f);
  webYield(0);  // the page paints each virtual frame
}
void platWebDownload(const char* fileName) {
  if (webJsIsPage()) webJsDownload(fileName);
}

// ---- Boxes, cursor, viewer, dialogs -----------------------------------------------------------
static PlatAnswer webShowBox(const char* text, const char* caption, uint32_t flags) {
  int32_t a = webJsBox(text, caption, (int32_t)flags);
  if (!(flags & PLAT_BOX_YESNO)) return PLAT_ANSWER_OK;
  return a == 2 ? PLAT_ANSWER_NO : PLAT_ANSWER_YES;
}
static void webCursorVisible(bool visible) { webJsCursor(visible); }
static bool webCursorPos(PlatPoint*, PlatPoint*) { return false; }
static void webOpenViewer(const char* fileName) { webJsViewer(fileName); }
// The setup dialog is the page's own (its buttons pass --windowed or --fullscreen).
static bool webDialogOpen(PlatDlgWindow*) { return false; }
static void webDialogRun(PlatDlgWindow*) {}
static void webDialogClose(PlatDlgWindow*) {}
static PlatAnswer webDialogShowBox(PlatDlgWindow*, const char* text, const char* caption, uint32_t flags) {
  return webShowBox(text, caption, flags);
}

void platSetWindowScale(int32_t) {}  // the page scales the canvas

const PlatBackendOps platWebOps = {
    "web",           webInit,          webShutdown,       webTicks,          webSleep,         webSleepUntil,
    webMicros,       webPoll,          webWait,           webDesktop,        webModes,         webDisplayAvailable,
    webWindowUpdate, webSetFullscreen, webPresent,        webShowBox,        webCursorVisible, webCursorPos,
    webOpenViewer,   platWebAudioOpen, platWebAudioPause, platWebAudioClose, webDialogOpen,    webDialogRun,
    webDialogClose,  webDialogShowBox,
};
