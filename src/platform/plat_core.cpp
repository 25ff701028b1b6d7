// The contract's calls: backend choice, the reset hooks of the layers above, and each call
// handed to the running backend (with the answer it has before platInit).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/plat_headless.h"
#include "platform/plat_internal.h"
#ifdef __EMSCRIPTEN__
#include "platform/plat_web.h"
#endif

static const PlatBackendOps* platCurrent = nullptr;
static PlatBackendKind platKind = PLAT_BACKEND_HEADLESS;
static uint32_t platStartTick = 0;
static uint32_t platPresents = 0;
static PlatResetHook platHooks[4];
static int32_t platHookCount = 0;

const PlatBackendOps* platOps() { return platCurrent; }
bool platIsInitialised() { return platCurrent != nullptr; }
PlatBackendKind platBackend() { return platKind; }

void platAddResetHook(PlatResetHook hook) {
  for (int32_t i = 0; i < platHookCount; i++)
    if (platHooks[i] == hook) return;
  if (platHookCount < 4) platHooks[platHookCount++] = hook;
}

static void platRunHooks(bool shutdown) {
  for (int32_t i = 0; i < platHookCount; i++) platHooks[i](shutdown);
}

bool platInit(PlatBackendKind kind, char* err, size_t errSize) {
  if (platCurrent) platShutdown();
  platSignalsInstall();
  platRunHooks(false);
  platDialogTraceClear();
  const PlatBackendOps* ops = kind == PLAT_BACKEND_SDL ? &platWindowedOps : &platHeadlessOps;
  if (!ops->init(err, errSize)) return false;
  platCurrent = ops;
  platKind = kind;
  platStartTick = ops->ticks(false);
  return true;
}

void platShutdown() {
  if (!platCurrent) return;
  platCurrent->audioClose();
  platRunHooks(true);
  platPresents = 0;
  platCurrent->shutdown();
  platCurrent = nullptr;
  platDialogTraceClear();
}

// ---- Time ------------------------------------------------------------------------------

uint32_t platGetTickCount() { return platCurrent ? platCurrent->ticks(true) : 0; }
uint32_t platPeekTickCount() { return platCurrent ? platCurrent->ticks(false) : 0; }
int64_t platTicksSinceInit() {
  return platCurrent ? (int64_t)(uint32_t)(platCurrent->ticks(false) - platStartTick) : 0;
}
void platSleep(uint32_t ms) {
  if (platCurrent) platCurrent->sleep(ms);
}
void platSleepUntilTick(uint32_t tick) {
  if (platCurrent) platCurrent->sleepUntil(tick);
}
int64_t platMicroseconds() { return platCurrent ? platCurrent->micros() : 0; }
int64_t platCalendarSeconds() {
  if (platCurrent == &platHeadlessOps) return 0;
  return (int64_t)std::time(nullptr);
}

// ---- Display ------------------------------------------------------------------------------

void platFormatForBits(int32_t bits, PlatPixelFormat* f) {
  std::memset(f, 0, sizeof *f);
  f->flags = PLAT_PF_RGB;
  if (bits == 8) {
    f->bitCount = 8;  // palette indices: no channel masks
  } else if (bits == 15) {
    f->bitCount = 16;
    f->rBitMask = 0x7C00, f->gBitMask = 0x03E0, f->bBitMask = 0x001F;
  } else if (bits == 16) {
    f->bitCount = 16;
    f->rBitMask = 0xF800, f->gBitMask = 0x07E0, f->bBitMask = 0x001F;
  } else {
    f->bitCount = bits == 24 ? 24 : 32;
    f->rBitMask = 0xFF0000, f->gBitMask = 0x00FF00, f->bBitMask = 0x0000FF;
  }
}

void platStandardModes(PlatMode* out, int32_t* count) {
  static const int32_t sizes[3][2] = {{320, 200}, {320, 240}, {640, 480}};
  static const int32_t depths[3] = {16, 24, 32};
  int32_t n = 0;
  for (auto& s : sizes)
    for (int32_t d : depths) out[n++] = {s[0], s[1], d};
  *count = n;
}

void platDesktop(int32_t* width, int32_t* height, PlatPixelFormat* format) {
  *width = 1024, *height = 768;
  platFormatForBits(32, format);
  if (platCurrent) platCurrent->desktop(width, height, format);
}
int32_t platDisplayModes(PlatMode* out, int32_t max) { return platCurrent ? platCurrent->modes(out, max) : 0; }
bool platDisplayAvailable() { return !platCurrent || platCurrent->displayAvailable(); }
void platSetFullscreen(bool on) {
  if (platCurrent) platCurrent->setFullscreen(on);
}
void platPresent(const uint8_t* pixels, int32_t width, int32_t height, int32_t pitch, const PlatPixelFormat* format,
                 bool fullscreen) {
  if (!platCurrent) return;
  platPresents++;
  platCurrent->present(pixels, width, height, pitch, format, fullscreen);
}
uint32_t platPresentCount() { return platPresents; }

// ---- Window, events, cursor -------------------------------------------------------------------

void platWindowUpdate(const PlatWindowState* state) {
  if (platCurrent) platCurrent->windowUpdate(state);
}
void platSetCursorVisible(bool visible) {
  if (platCurrent) platCurrent->cursorVisible(visible);
}
bool platCursorPos(PlatPoint* screen, PlatPoint* client) {
  screen->x = screen->y = 0;
  return platCurrent && platCurrent->cursorPos(screen, client);
}
bool platPollEvent(PlatEvent* event) { return platCurrent && platCurrent->poll(event); }
bool platWaitEvents(int32_t timeoutMs) { return platCurrent && platCurrent->wait(timeoutMs); }

// ---- Boxes, viewer, audio ------------------------------------------------------------

PlatAnswer platShowBox(const char* text, const char* caption, uint32_t flags) {
  std::fprintf(stderr, "%s %s\n", caption ? caption : "", text ? text : "");
  std::fflush(stderr);
  if (!platCurrent) return (flags & PLAT_BOX_YESNO) ? PLAT_ANSWER_YES : PLAT_ANSWER_OK;
  return platCurrent->showBox(text ? text : "", caption ? caption : "", flags);
}

void platOpenViewer(const char* fileName) {
  if (platCurrent && fileName) platCurrent->openViewer(fileName);
}
// Natively the file is already in the folder the viewer started the program from.
void platOfferFile(const char* fileName) {
#ifdef __EMSCRIPTEN__
  if (fileName) platWebDownload(fileName);
#else
  (void)fileName;
#endif
}

bool platAudioOpen(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info) {
  PlatAudioInfo scratch;
  if (!info) info = &scratch;
  info->queuedFrames = 0;
  std::snprintf(info->reason, sizeof info->reason, "%s", !platCurrent ? "no platform" : "bad parameters");
  if (!platCurrent || !fill || rate < 8000 || rate > 192000) return false;
  info->reason[0] = 0;
  return platCurrent->audioOpen(rate, fill, user, info);
}
void platAudioPause(bool pause) {
  if (platCurrent) platCurrent->audioPause(pause);
}
void platAudioClose() {
  if (platCurrent) platCurrent->audioClose();
}

static bool platScalarForced = false;
void platForceScalar(bool scalar) { platScalarForced = scalar; }

bool platCpuHasSSE2() {
  if (platScalarForced) return false;
  const char* force = std::getenv("QV_SCALAR");
  if (force && *force && *force != '0') return false;
#if defined(__x86_64__) || defined(__i386__)
  return __builtin_cpu_supports("sse2");
#elif defined(__wasm_simd128__)
  return true;  // the SSE2 intrinsics were compiled to WebAssembly SIMD, which the module requires
#else
  return false;
#endif
}
