// The command line of the program, described once in a table that both the parser and
// --help read.
#pragma once
#include <cstddef>
#include <cstdint>

struct qvOptions {
  int32_t fullScreen;        // 1 full screen (the default), 0 windowed
  bool displayGiven;         // --windowed or --fullscreen given: no setup dialog
  bool noConfig;             // --no-config: the remembered settings are neither read nor written
  bool scalingGiven;         // --scaling given (remembered)
  bool filterGiven;          // --filter given (remembered)
  bool monitorGiven;         // --display given (remembered)
  int32_t scale;             // window scale, 0 = automatic
  int32_t scaling;           // --scaling: PlatScaling (fit, integer, stretch)
  int32_t filter;            // --filter: PlatFilter (nearest, sharp, linear)
  bool noVsync;              // --no-vsync
  int32_t display;           // --display N: the monitor for full screen
  bool headless;             // --headless or QV_BACKEND=headless
  const char* logName;       // --log FILE: the engine log
  const char* x3dLogName;    // --x3d-log FILE
  const char* script;        // --script EVENTS
  const char* modes;         // --headless-modes LIST
  const char* answers;       // --headless-answers LIST
  const char* dialog;        // --headless-dialog LIST
  int32_t desktopBits;       // --headless-desktop BITS
  int32_t startOrder;        // --start-order N
  bool mute;                 // --mute
  bool noMusic;              // --no-music
  bool loop;                 // --loop
  const char* dumpFrames;    // --dump-frames DIR[:EVERY_MS]
  const char* capture;       // --capture OUT
  const char* fps;           // --fps N or N/D
  int32_t captureScale;      // --capture-scale K
  const char* captureSize;   // --capture-size WxH
  int32_t captureFilter;     // --capture-filter: 0 sharp, 1 nearest
  bool overwrite;            // --overwrite or -y
  bool timedemo;             // --timedemo
  int32_t frames;            // --frames N (timedemo)
  bool scalar;               // --scalar: the plain sprite class
  const char* timedemoJson;  // --timedemo-json FILE
  bool help;
  bool version;
  bool man;
};

// What an option does with its value.
enum QvOptionKind : int32_t {
  QV_OPT_FLAG,     // sets a bool
  QV_OPT_INT,      // whole number lo..hi into an int32_t
  QV_OPT_TEXT,     // non-empty text
  QV_OPT_CHOICE,   // one of the words of arg ("a|b|c") into an int32_t: its index
  QV_OPT_SPECIAL,  // handled by name in the parser (display choice, help, version, depth)
  QV_OPT_HEADING   // not an option: help holds the heading of the rows after it
};
struct QvOptionDef {
  const char* name;  // "--log"; null for a heading
  const char* arg;   // "FILE", or null for none
  QvOptionKind kind;
  size_t field;      // offsetof(qvOptions, ...)
  int32_t lo, hi;    // QV_OPT_INT range
  const char* help;  // one or more lines; "\n" starts a continuation line
};
extern const QvOptionDef qvOptionTable[];
extern const int32_t qvOptionCount;

// Parses argv into opts. Returns 0 when the program should run, 2 after a usage message
// (unknown option or bad value, written to stderr), and 1 for --help, --version or --man.
int32_t qvParseOptions(int32_t argc, char** argv, qvOptions* opts);
void qvPrintHelp();
void qvPrintVersion();
// The manual page, troff, from the same table as --help.
void qvPrintMan();
// The whole program: options, platform, then the presentation. Returns the exit status.
int32_t qvMain(int32_t argc, char** argv);
