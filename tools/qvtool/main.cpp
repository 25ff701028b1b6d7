// qvtool: the asset author's toolbox. One subcommand per file (cmd_NAME.cpp).
#include <cstdio>
#include <cstring>

#include "qvtool/qvtool.h"

struct QvCommand {
  const char* name;
  int (*run)(int argc, char** argv);  // argv[0] is the subcommand name
  const char* usage;
};

static const QvCommand qvCommands[] = {
#define QV_COMMAND(name, fn, usage) {name, fn, usage},
#include "qvtool/commands.inc"
#undef QV_COMMAND
};

static void qvUsage(FILE* out) {
  std::fprintf(out, "usage: qvtool COMMAND [ARGS...]\ncommands:\n");
  for (const QvCommand& c : qvCommands) std::fprintf(out, "  %s\n", c.usage);
}

// The manual page (qvtool.1), from the same table as the usage; "-" starts troff requests, so
// each command line is a paragraph of its own.
static void qvMan() {
  std::printf(
      ".TH QVTOOL 1 \"2026\" \"qvtool %s\" \"Quorvane\"\n.SH NAME\n"
      "qvtool \\- inspect and render the assets of Quorvane\n.SH SYNOPSIS\n.B qvtool\n"
      "\\fICOMMAND\\fR [\\fIARGS\\fR...]\n.SH DESCRIPTION\nThe asset author's toolbox: it decodes, "
      "lists and renders what the demo reads, as the demo reads it.\n.SH COMMANDS\n",
      QV_VERSION);
  // A usage line is the synopsis, two spaces or more, then what the command does.
  for (const QvCommand& c : qvCommands) {
    const char* text = std::strstr(c.usage, "  ");
    std::printf(".TP\n.B ");
    for (const char* p = c.usage; *p && p != text; p++) std::printf(*p == '-' ? "\\-" : "%c", *p);
    while (text && *text == ' ') text++;
    std::printf("\n%s\n", text ? text : "");
  }
  std::printf(
      ".SH OPTIONS\n.TP\n.B \\-\\-help\nthis list of commands\n.TP\n.B \\-\\-version\n"
      "the version\n.SH SEE ALSO\n.BR quorvane (6)\n");
}

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    qvUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  if (!std::strcmp(argv[1], "--version")) return qvCmdVersion(argc - 1, argv + 1);
  if (!std::strcmp(argv[1], "--man")) {
    qvMan();
    return 0;
  }
  for (const QvCommand& c : qvCommands)
    if (!std::strcmp(argv[1], c.name)) return c.run(argc - 1, argv + 1);
  std::fprintf(stderr, "qvtool: unknown command '%s'\n", argv[1]);
  qvUsage(stderr);
  return 2;
}
