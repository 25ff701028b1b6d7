#include "demo/qvoptions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* qvX3dLogName = nullptr;

void qvPrintHelp() {
  std::printf(
      "Usage: quorvane [OPTIONS]\n"
      "A software-rendered 320x240 audiovisual demo.\n\n"
      "  --windowed            show the picture in a window\n"
      "  --fullscreen          show it full screen, scaled to fit (the default)\n"
      "  --scale N             window scale 1..16 (default: the largest that fits in about half the desktop)\n"
      "  --headless            run without display or sound (also QV_BACKEND=headless): a virtual clock\n"
      "                        that advances 1 ms per reading, frames kept in memory\n"
      "  --log FILE            write the engine log to FILE\n"
      "  --x3d-log FILE        write the 3D engine's log to FILE\n"
      "  --script EVENTS       replay events at times in ms from the start, comma-separated TIME:ACTION[:ARG]:\n"
      "                          key:NAME (press and release)  down:NAME  up:NAME\n"
      "                          deactivate  activate  close  lose (surfaces lost)  move:X:Y\n"
      "                        NAME: ESC, ENTER, LALT, RALT, SPACE, A..Z, 0..9, F1..F12, UP, ... or a scan code\n"
      "                        e.g. --script \"2000:key:ESC\" or \"1000:down:LALT,1010:key:ENTER,1020:up:LALT\"\n"
      "  --headless-desktop B  headless desktop depth: 15, 16, 24 or 32 (default 32)\n"
      "  --headless-modes L    headless display modes, e.g. 320x240x16,640x480x32, or count:N\n"
      "  --headless-answers L  headless message-box answers in order, e.g. no or yes,no\n"
      "  --help                show this help\n\n"
      "Keys: Escape quits, Alt+Enter switches between window and full screen.\n");
}

static int32_t qvUsage(const char* fmt, const char* arg) {
  std::fprintf(stderr, "quorvane: ");
  std::fprintf(stderr, fmt, arg);
  std::fprintf(stderr, "\nTry 'quorvane --help' for the options.\n");
  return 2;
}

static bool qvInt(const char* s, int32_t lo, int32_t hi, int32_t* out) {
  if (!s || !*s) return false;
  char* end;
  long v = std::strtol(s, &end, 10);
  if (*end || v < lo || v > hi) return false;
  *out = (int32_t)v;
  return true;
}

int32_t qvParseOptions(int32_t argc, char** argv, qvOptions* o) {
  std::memset(o, 0, sizeof *o);
  o->fullScreen = 1;
  o->desktopBits = 32;
  const char* env = std::getenv("QV_BACKEND");
  o->headless = env && std::strcmp(env, "headless") == 0;
  for (int32_t i = 1; i < argc; i++) {
    const char* a = argv[i];
    auto value = [&](const char** out) {
      if (i + 1 >= argc) return false;
      *out = argv[++i];
      return true;
    };
    const char* v = nullptr;
    if (!std::strcmp(a, "--windowed")) o->fullScreen = 0;
    else if (!std::strcmp(a, "--fullscreen")) o->fullScreen = 1;
    else if (!std::strcmp(a, "--headless")) o->headless = true;
    else if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
      o->help = true;
      return 1;
    } else if (!std::strcmp(a, "--scale")) {
      if (!value(&v) || !qvInt(v, 1, 16, &o->scale)) return qvUsage("--scale needs a whole number 1..16, not '%s'", v ? v : "");
    } else if (!std::strcmp(a, "--headless-desktop")) {
      if (!value(&v) || !qvInt(v, 15, 32, &o->desktopBits) ||
          (o->desktopBits != 15 && o->desktopBits != 16 && o->desktopBits != 24 && o->desktopBits != 32))
        return qvUsage("--headless-desktop needs 15, 16, 24 or 32, not '%s'", v ? v : "");
    } else if (!std::strcmp(a, "--log") || !std::strcmp(a, "--x3d-log") || !std::strcmp(a, "--script") ||
               !std::strcmp(a, "--headless-modes") || !std::strcmp(a, "--headless-answers")) {
      if (!value(&v) || !*v) return qvUsage("%s needs a value", a);
      if (!std::strcmp(a, "--log")) o->logName = v;
      else if (!std::strcmp(a, "--x3d-log")) o->x3dLogName = v;
      else if (!std::strcmp(a, "--script")) o->script = v;
      else if (!std::strcmp(a, "--headless-modes")) o->modes = v;
      else o->answers = v;
    } else {
      return qvUsage("unknown option '%s'", a);
    }
  }
  return 0;
}
