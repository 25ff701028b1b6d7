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

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    qvUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  for (const QvCommand& c : qvCommands)
    if (!std::strcmp(argv[1], c.name)) return c.run(argc - 1, argv + 1);
  std::fprintf(stderr, "qvtool: unknown command '%s'\n", argv[1]);
  qvUsage(stderr);
  return 2;
}
