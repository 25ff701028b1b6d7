#include "demo/qvoptions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/plat_present.h"

#define QV_FIELD(f) offsetof(qvOptions, f)

// clang-format off
const QvOptionDef qvOptionTable[] = {
  {nullptr, nullptr, QV_OPT_HEADING, 0, 0, 0, "Viewing"},
  {"--windowed", nullptr, QV_OPT_SPECIAL, 0, 0, 0, "show the presentation in a window (no setup dialog)"},
  {"--fullscreen", nullptr, QV_OPT_SPECIAL, 0, 0, 0, "show it full screen (no setup dialog)"},
  {"--scale", "N", QV_OPT_INT, QV_FIELD(scale), 1, 16,
   "window scale 1..16 (default: the largest that fits in about half the desktop);\n"
   "the window can then be resized, the picture keeps its shape"},
  {"--scaling", "fit|integer|stretch", QV_OPT_CHOICE, QV_FIELD(scaling), 0, 0,
   "how the picture fills the screen or window: fit (the default) the largest\n"
   "size in its 4:3 shape, integer the largest whole multiple, both centred on\n"
   "black; stretch fills it all"},
  {"--filter", "nearest|sharp|linear", QV_OPT_CHOICE, QV_FIELD(filter), 0, 0,
   "how pixels are enlarged: sharp (the default) keeps them crisp and all of one\n"
   "width at any size (whole-multiple blow-up, then smoothed to the final size);\n"
   "nearest plain blocks (uneven at sizes between multiples); linear smooth"},
  {"--no-vsync", nullptr, QV_OPT_FLAG, QV_FIELD(noVsync), 0, 0,
   "do not wait for the display's refresh before showing a frame (may tear)"},
  {"--display", "N", QV_OPT_INT, QV_FIELD(display), 0, 63, "the monitor for full screen, numbered from 0 (the default)"},
  {"--start-order", "N", QV_OPT_INT, QV_FIELD(startOrder), 0, 26,
   "start the music at order N (0..26) and the presentation at the part playing there\n"
   "(26 is the closing frame alone, which a capture refuses)"},
  {"--loop", nullptr, QV_OPT_FLAG, QV_FIELD(loop), 0, 0, "start again at the end instead of quitting (party screens)"},
  {"--mute", nullptr, QV_OPT_FLAG, QV_FIELD(mute), 0, 0, "no sound; the music still drives the timing"},
  {"--no-config", nullptr, QV_OPT_FLAG, QV_FIELD(noConfig), 0, 0,
   "neither read nor write the remembered settings (the setup choice, --scaling,\n"
   "--filter, --display) in $XDG_CONFIG_HOME/quorvane/quorvane.conf"},
  {nullptr, nullptr, QV_OPT_HEADING, 0, 0, 0, "Capture and timing"},
  {"--capture", "OUT", QV_OPT_TEXT, QV_FIELD(capture), 0, 0,
   "capture the whole presentation headless at a fixed frame rate into OUT.y4m\n"
   "(YUV 4:2:0, BT.601 limited range) and OUT.wav (44.1 kHz 16-bit stereo), or,\n"
   "when OUT ends in .mp4, .mkv or .webm, through ffmpeg into that file"},
  {"--fps", "N[/D]", QV_OPT_TEXT, QV_FIELD(fps), 0, 0, "capture frame rate, e.g. 60 (the default), 50 or 60000/1001"},
  {"--capture-scale", "K", QV_OPT_INT, QV_FIELD(captureScale), 1, 16,
   "capture at K times 320x240, each pixel a KxK block (e.g. 4 gives 1280x960)"},
  {"--capture-size", "WxH", QV_OPT_TEXT, QV_FIELD(captureSize), 0, 0,
   "capture at WxH, the picture centred on black (see --capture-filter)"},
  {"--capture-filter", "sharp|nearest", QV_OPT_CHOICE, QV_FIELD(captureFilter), 0, 0,
   "how --capture-size enlarges: sharp (the default) fills the height in 4:3 (e.g.\n"
   "1440x1080 in 1920x1080), blown up to a whole multiple then smoothed to that size;\n"
   "nearest plain blocks at the largest whole scale"},
  {"--overwrite", nullptr, QV_OPT_FLAG, QV_FIELD(overwrite), 0, 0,
   "replace capture files that already exist (also -y); without it they are kept"},
  {"--dump-frames", "DIR[:MS]", QV_OPT_TEXT, QV_FIELD(dumpFrames), 0, 0,
   "write the presented view as PNG into DIR every MS ms of the presentation\n"
   "(default 1000) and at each part's first and last frame; names give the time,\n"
   "part, order and row (qvtool sheet DIR -o SHEET.png makes a contact sheet)"},
  {"--timedemo", nullptr, QV_OPT_FLAG, QV_FIELD(timedemo), 0, 0,
   "time the start-up, then draw every part --frames times at 20 ms of virtual time\n"
   "each and print a table: mean, median and p99 ms per frame, fps, and 'x memcpy':\n"
   "the median frame divided by the median time of copying the 320x200 view (250 KiB)\n"
   "in the cache, measured in the same run (printed in ms, with a copy from memory), so\n"
   "that runs on one machine compare and machines compare roughly"},
  {"--frames", "N", QV_OPT_INT, QV_FIELD(frames), 1, 100000, "frames per part in the timedemo (default 300)"},
  {"--timedemo-json", "FILE", QV_OPT_TEXT, QV_FIELD(timedemoJson), 0, 0, "also write the timedemo's results to FILE as JSON"},
  {"--scalar", nullptr, QV_OPT_FLAG, QV_FIELD(scalar), 0, 0, 
   "use the plain (non-SIMD) routines everywhere (as QV_SCALAR=1), as on a processor\n"
   "without SIMD: that includes its sprite class, whose blends round differently"},
  {nullptr, nullptr, QV_OPT_HEADING, 0, 0, 0, "Testing"},
  {"--no-music", nullptr, QV_OPT_FLAG, QV_FIELD(noMusic), 0, 0,
   "do not load the module: the clock counts 64 rows an order by itself (tests)"},
  {"--log", "FILE", QV_OPT_TEXT, QV_FIELD(logName), 0, 0,
   "write the engine log to FILE: start-up, one line per part with its music\n"
   "position, time and frames, and the count and hash of the presented frames"},
  {"--x3d-log", "FILE", QV_OPT_TEXT, QV_FIELD(x3dLogName), 0, 0, "write the 3D engine's log to FILE"},
  {"--headless", nullptr, QV_OPT_FLAG, QV_FIELD(headless), 0, 0,
   "run without display or sound (also QV_BACKEND=headless) on a virtual clock that\n"
   "advances 1 ms per reading and 1/60 s per presented frame; prints the count and\n"
   "hash of the presented frames at the end"},
  {"--script", "EVENTS", QV_OPT_TEXT, QV_FIELD(script), 0, 0,
   "replay events at times in ms from the start, comma-separated TIME:ACTION[:ARG]:\n"
   "  key:NAME (press and release)  down:NAME  up:NAME\n"
   "  deactivate  activate  close  lose (surfaces lost)\n"
   "  move:X:Y\n"
   "NAME: ESC, ENTER, LALT, RALT, SPACE, A..Z, 0..9, F1..F12, UP, ... or a scan code\n"
   "e.g. --script \"2000:key:ESC\" or \"1000:down:LALT,1010:key:ENTER,1020:up:LALT\""},
  {"--headless-dialog", "LIST", QV_OPT_TEXT, QV_FIELD(dialog), 0, 0,
   "headless: run the setup dialog with these answers, e.g. windowed,ok or cancel\n"
   "(ok, cancel, close, escape, windowed, fullscreen, infofile, greetings)"},
  {"--headless-desktop", "BITS", QV_OPT_SPECIAL, QV_FIELD(desktopBits), 0, 0,
   "headless desktop depth: 15, 16, 24 or 32 (default 32)"},
  {"--headless-modes", "LIST", QV_OPT_TEXT, QV_FIELD(modes), 0, 0,
   "headless display modes, e.g. 320x240x16,640x480x32, or count:N"},
  {"--headless-answers", "LIST", QV_OPT_TEXT, QV_FIELD(answers), 0, 0,
   "headless message-box answers in order, e.g. no or yes,no"},
  {nullptr, nullptr, QV_OPT_HEADING, 0, 0, 0, "Information"},
  {"--version", nullptr, QV_OPT_SPECIAL, 0, 0, 0, "show the version and exit"},
  {"--man", nullptr, QV_OPT_SPECIAL, 0, 0, 0, "print this manual as a troff page (quorvane.6) and exit"},
  {"--help", nullptr, QV_OPT_SPECIAL, 0, 0, 0, "show this help and exit"},
};
// clang-format on
const int32_t qvOptionCount = (int32_t)(sizeof qvOptionTable / sizeof qvOptionTable[0]);

void qvPrintVersion() { std::printf("quorvane %s\n", QV_VERSION); }

// The column of the options' texts; a name and argument that would come closer than two
// blanks to it get a line of their own.
enum { QV_HELP_COLUMN = 24 };

// An option's text from the column on, filled to 79 columns; lines that start with blanks
// (lists, examples) keep their line.
static void qvHelpText(const char* help) {
  // Columns used on the current line; 0 when the next text starts a new one (indented).
  int32_t used = QV_HELP_COLUMN;
  auto startLine = [&used]() {
    if (!used) std::printf("\n%*s", QV_HELP_COLUMN, "");
    if (!used) used = QV_HELP_COLUMN;
  };
  for (const char* p = help; *p;) {
    const char* nl = std::strchr(p, '\n');
    std::string line(p, nl ? (size_t)(nl - p) : std::strlen(p));
    p = nl ? nl + 1 : p + line.size();
    if (line.rfind("e.g. ", 0) == 0 && used > QV_HELP_COLUMN) used = 0;  // examples start a line
    if (!line.empty() && line[0] == ' ') {
      if (used > QV_HELP_COLUMN) used = 0;
      startLine();
      std::printf("%s", line.c_str());
      used = 0;
      continue;
    }
    for (size_t at = 0; at < line.size();) {
      size_t end = line.find(' ', at);
      if (end == std::string::npos) end = line.size();
      int32_t len = (int32_t)(end - at);
      if (used > QV_HELP_COLUMN && used + 1 + len > 79) used = 0;
      startLine();
      if (used > QV_HELP_COLUMN) std::putchar(' '), used++;
      std::printf("%.*s", len, line.c_str() + at);
      used += len;
      at = end + 1;
    }
  }
}

void qvPrintHelp() {
  std::printf("Usage: quorvane [OPTIONS]\nA software-rendered 320x240 audiovisual demo.\n");
  for (int32_t i = 0; i < qvOptionCount; i++) {
    const QvOptionDef& d = qvOptionTable[i];
    if (d.kind == QV_OPT_HEADING) {
      std::printf("\n%s:\n", d.help);
      continue;
    }
    std::string head = std::string("  ") + d.name + (d.arg ? std::string(" ") + d.arg : "");
    if (head.size() + 2 > QV_HELP_COLUMN) std::printf("%s\n%*s", head.c_str(), QV_HELP_COLUMN, "");
    else std::printf("%-*s", QV_HELP_COLUMN, head.c_str());
    qvHelpText(d.help);
    std::putchar('\n');
  }
  std::printf(
      "\nWithout --windowed or --fullscreen a setup dialog asks.\n"
      "Keys: Escape or Q quits; Alt+Enter, F11 or F switches between window and full\n"
      "screen; Space pauses; F1 shows the timing; F12 saves a screenshot; M mutes the\n"
      "music, 9 and 0 or - and + (keypad too) turn it down and up; Page Down or N and\n"
      "Page Up or P skip to the next and the previous segment.\n"
      "Exit status: 0 at the end of the presentation or when quit; 1 on a fatal error\n"
      "or a file that cannot be written; 2 for a bad command line.\n");
}

// Text for troff: a leading dot or quote would start a request; backslashes and dashes are
// escaped so that options print as typed.
static void qvTroff(const char* text) {
  for (const char* p = text; *p; p++) {
    if ((p == text || p[-1] == '\n') && (*p == '.' || *p == '\'')) std::fputs("\\&", stdout);
    if (*p == '\\') std::fputs("\\e", stdout);
    else if (*p == '-') std::fputs("\\-", stdout);
    else std::putchar(*p);
  }
}

void qvPrintMan() {
  std::printf(".TH QUORVANE 6 \"2026\" \"quorvane " QV_VERSION
              "\" \"Games\"\n.SH NAME\nquorvane \\- a software-rendered audiovisual "
              "demo\n");
  std::printf(".nh\n.SH SYNOPSIS\n.B quorvane\n[\\fIOPTIONS\\fR]\n.SH DESCRIPTION\n");
  std::printf(
      "A 320x240 picture drawn by the processor into one 32-bit frame buffer: fifteen parts\n"
      "(3D scenes, tunnels, rotating and warped textures, an animation, sprites and scrollers)\n"
      "synchronised to a music module. Without \\fB\\-\\-windowed\\fR or \\fB\\-\\-fullscreen\\fR a setup\n"
      "dialog asks how to show it.\n.SH OPTIONS\n");
  for (int32_t i = 0; i < qvOptionCount; i++) {
    const QvOptionDef& d = qvOptionTable[i];
    if (d.kind == QV_OPT_HEADING) {
      std::printf(".SS %s\n", d.help);
      continue;
    }
    std::printf(".TP\n.B ");
    qvTroff(d.name);
    if (d.arg) {
      std::printf(" \\fI");
      qvTroff(d.arg);
      std::printf("\\fR");
    }
    std::printf("\n");
    // Continuation lines that start with blanks are examples or lists: they keep their lines
    // and blanks (no fill), and the text after them starts a line of its own.
    bool verbatim = false;
    for (const char* p = d.help; *p;) {
      const char* nl = std::strchr(p, '\n');
      std::string line(p, nl ? (size_t)(nl - p) : std::strlen(p));
      bool listed = !line.empty() && line[0] == ' ';
      if (listed != verbatim) std::printf(listed ? ".nf\n" : ".fi\n");
      if (!listed && line.rfind("e.g. ", 0) == 0) std::printf(".br\n");  // examples start a line
      verbatim = listed;
      qvTroff(line.c_str());
      std::printf("\n");
      p = nl ? nl + 1 : p + line.size();
    }
    if (verbatim) std::printf(".fi\n");
  }
  std::printf(
      ".SH KEYS\n.TP\n.B Escape\\fR, \\fBQ\nend the presentation\n.TP\n.B Alt+Enter\\fR, \\fBF11\\fR, \\fBF\n"
      "switch between window and full screen\n.TP\n.B Space\npause and resume\n.TP\n.B F1\nshow or hide the "
      "timing overlay below the picture\n.TP\n.B F12\nsave a screenshot (without the overlay) as "
      "quorvane\\-NNNN.png in the current folder\n.TP\n.B M\nmute or unmute the music\n.TP\n"
      ".B 9\\fR, \\fB0\\fR, \\fB\\-\\fR, \\fB+\nturn the music down or up (the keypad's \\- and + too)\n.TP\n"
      ".B Page Down\\fR, \\fBN\\fR, \\fBPage Up\\fR, \\fBP\nskip to the next or the previous segment\n");
  std::printf(
      ".SH FILES\n.TP\n.I quorvane.kvo\nthe resource archive (pictures, scenes, textures, animation)\n"
      ".TP\n.I rul\\-quor.s3m\nthe music module\n.TP\n.I qvane.nfo\nthe info file shown from the setup dialog\n"
      ".PP\nThey are read from the current folder; when it has no archive, from the program's own\n"
      "folder, its ../share/quorvane, or the installed data folder.\n"
      ".TP\n.I $XDG_CONFIG_HOME/quorvane/quorvane.conf\n(by default ~/.config/quorvane/quorvane.conf) the remembered "
      "settings:\nthe setup dialog's last choice and the \\-\\-scaling, \\-\\-filter and \\-\\-display last given, "
      "one\n"
      "\\fIkey\\fR = \\fIvalue\\fR a line (display\\-mode, scaling, filter, display); a file that cannot be read is\n"
      "ignored, see \\fB\\-\\-no\\-config\\fR\n");
  std::printf(
      ".SH EXIT STATUS\n.TP\n.B 0\nthe presentation ended, was quit, or the setup dialog was cancelled\n"
      ".TP\n.B 1\na fatal error (its message is shown and written to standard error), or a file named on\n"
      "the command line that cannot be written (one line on standard error: its name and the reason)\n"
      ".TP\n.B 2\na bad command line\n.TP\n.B 130\na capture interrupted by Ctrl+C (its files hold what was "
      "captured)\n");
  std::printf(".SH SEE ALSO\n.BR qvtool (1),\n.BR ffmpeg (1)\n");
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

// Numbers inside a text value are checked here, before any parser can wrap them: every run
// of digits in v at most max (a longer run is out of range too).
static bool qvDigitsAtMost(const char* v, int32_t max) {
  for (const char* p = v; *p;) {
    if (*p < '0' || *p > '9') {
      p++;
      continue;
    }
    int64_t n = 0;
    for (; *p >= '0' && *p <= '9'; p++)
      if ((n = n * 10 + (*p - '0')) > max) return false;
  }
  return true;
}

// --capture-size WxH: two whole numbers, within the largest capture (the program then checks
// the smallest size and the evenness).
static int32_t qvCheckCaptureSize(const char* v) {
  size_t w = std::strspn(v, "0123456789");
  size_t h = w && v[w] == 'x' ? std::strspn(v + w + 1, "0123456789") : 0;
  if (!h || v[w + 1 + h]) return qvUsage("--capture-size needs WxH, e.g. 1920x1080, not '%s'", v);
  if (!qvDigitsAtMost(v, 7680) || !qvDigitsAtMost(v + w + 1, 4320))
    return qvUsage("--capture-size needs an even size of at least 320x240 and at most 7680x4320, not '%s'", v);
  return 0;
}

// Range checks of the text values that hold numbers; 0, or 2 after a usage message.
static int32_t qvCheckTextNumbers(const char* name, const char* v) {
  if (!std::strcmp(name, "--capture-size")) return qvCheckCaptureSize(v);
  // Mode sizes are at most 8192 on a side, depths 32, counts 1024.
  if (!std::strcmp(name, "--headless-modes") && !qvDigitsAtMost(v, 8192))
    return qvUsage("--headless-modes: a number in '%s' is out of range (sizes at most 8192)", v);
  return 0;
}

// The index of word among "a|b|c".
static bool qvChoice(const char* words, const char* word, int32_t* out) {
  size_t n = std::strlen(word);
  int32_t index = 0;
  for (const char* p = words; n; index++) {
    const char* bar = std::strchr(p, '|');
    size_t len = bar ? (size_t)(bar - p) : std::strlen(p);
    if (len == n && !std::strncmp(p, word, n)) {
      *out = index;
      return true;
    }
    if (!bar) break;
    p = bar + 1;
  }
  return false;
}

// "--scaling needs fit, integer or stretch, not 'zoom'"
static int32_t qvBadChoice(const QvOptionDef* d, const char* value) {
  std::string list(d->arg);
  size_t bar, last = list.rfind('|');
  if (last != std::string::npos) list.replace(last, 1, " or ");
  while ((bar = list.find('|')) != std::string::npos) list.replace(bar, 1, ", ");
  std::fprintf(stderr, "quorvane: %s needs %s", d->name, list.c_str());
  if (value) std::fprintf(stderr, ", not '%s'", value);
  std::fprintf(stderr, "\nTry 'quorvane --help' for the options.\n");
  return 2;
}

// The options that set up a capture: alone they would do nothing.
static bool qvCaptureSetting(const QvOptionDef* d) {
  const size_t fields[] = {QV_FIELD(fps), QV_FIELD(captureScale), QV_FIELD(captureSize), QV_FIELD(captureFilter),
                           QV_FIELD(overwrite)};
  for (size_t f : fields)
    if (d->field == f) return true;
  return false;
}

static const QvOptionDef* qvFindOption(const char* name) {
  if (!std::strcmp(name, "-h")) name = "--help";
  if (!std::strcmp(name, "-y")) name = "--overwrite";
  for (int32_t i = 0; i < qvOptionCount; i++)
    if (qvOptionTable[i].name && !std::strcmp(qvOptionTable[i].name, name)) return &qvOptionTable[i];
  return nullptr;
}

int32_t qvParseOptions(int32_t argc, char** argv, qvOptions* o) {
  std::memset(o, 0, sizeof *o);
  o->fullScreen = 1;
  o->desktopBits = 32;
  o->scaling = PLAT_SCALING_FIT;
  o->filter = PLAT_FILTER_SHARP;
  const char* env = std::getenv("QV_BACKEND");
  o->headless = env && std::strcmp(env, "headless") == 0;
  const char* captureSetting = nullptr;  // the first option given that only a capture reads
  bool filterGiven = false;              // --capture-filter, which only --capture-size reads
  for (int32_t i = 1; i < argc; i++) {
    const char* a = argv[i];
    const QvOptionDef* d = qvFindOption(a);
    if (!d) return qvUsage("unknown option '%s'", a);
    const char* v = nullptr;
    if (d->arg) {
      if (i + 1 >= argc) {
        if (d->kind == QV_OPT_CHOICE) return qvBadChoice(d, nullptr);
        return d->kind == QV_OPT_INT ? qvUsage("%s needs a whole number", a) : qvUsage("%s needs a value", a);
      }
      v = argv[++i];
    }
    char* field = (char*)o + d->field;
    o->scalingGiven |= d->field == QV_FIELD(scaling);
    o->filterGiven |= d->field == QV_FIELD(filter);
    o->monitorGiven |= d->field == QV_FIELD(display);
    if (!captureSetting && qvCaptureSetting(d)) captureSetting = a;
    filterGiven |= d->field == QV_FIELD(captureFilter);
    switch (d->kind) {
      case QV_OPT_FLAG: *(bool*)field = true; break;
      case QV_OPT_HEADING: break;
      case QV_OPT_INT:
        if (!qvInt(v, d->lo, d->hi, (int32_t*)field)) {
          std::fprintf(stderr, "quorvane: %s needs a whole number %d..%d, not '%s'\n", a, d->lo, d->hi, v);
          std::fprintf(stderr, "Try 'quorvane --help' for the options.\n");
          return 2;
        }
        break;
      case QV_OPT_TEXT:
        if (!*v) return qvUsage("%s needs a value", a);
        if (int32_t r = qvCheckTextNumbers(a, v)) return r;
        *(const char**)field = v;
        break;
      case QV_OPT_CHOICE:
        if (!qvChoice(d->arg, v, (int32_t*)field)) return qvBadChoice(d, v);
        break;
      case QV_OPT_SPECIAL:
        if (!std::strcmp(a, "--windowed") || !std::strcmp(a, "--fullscreen")) {
          o->fullScreen = a[2] == 'f';
          o->displayGiven = true;
        } else if (!std::strcmp(a, "--headless-desktop")) {
          if (!qvInt(v, 15, 32, &o->desktopBits) ||
              (o->desktopBits != 15 && o->desktopBits != 16 && o->desktopBits != 24 && o->desktopBits != 32))
            return qvUsage("--headless-desktop needs 15, 16, 24 or 32, not '%s'", v);
        } else {
          (d->name[2] == 'h' ? o->help : d->name[2] == 'm' ? o->man : o->version) = true;
          return 1;
        }
        break;
    }
  }
  if (captureSetting && !o->capture) return qvUsage("%s needs --capture", captureSetting);
  if (filterGiven && !o->captureSize) return qvUsage("%s needs --capture-size", "--capture-filter");
  return 0;
}
