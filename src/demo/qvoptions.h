// The command line of the program: display choice, backend, logs and the event script.
#pragma once
#include <cstdint>

// Log file of the 3D engine (--x3d-log), null when not asked for; read by the 3D engine's start-up.
extern const char* qvX3dLogName;

struct qvOptions {
  int32_t fullScreen;     // 1 full screen (the default), 0 windowed
  int32_t scale;          // window scale, 0 = automatic
  bool headless;          // --headless or QV_BACKEND=headless
  const char* logName;    // --log FILE: the engine log
  const char* x3dLogName; // --x3d-log FILE
  const char* script;     // --script EVENTS
  const char* modes;      // --headless-modes LIST
  const char* answers;    // --headless-answers LIST
  int32_t desktopBits;    // --headless-desktop BITS
  bool help;
};

// Parses argv into opts. Returns 0 when the program should run, 2 after a usage message
// (unknown option or bad value, written to stderr), and 1 with opts->help set for --help.
int32_t qvParseOptions(int32_t argc, char** argv, qvOptions* opts);
void qvPrintHelp();
// The whole program: options, platform, then the presentation. Returns the exit status.
int32_t qvMain(int32_t argc, char** argv);
