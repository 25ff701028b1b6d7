// Subcommands of qvtool. Each returns the process exit status: 0 success,
// 1 failure, 2 bad usage.
#pragma once

#define QV_COMMAND(name, fn, usage) int fn(int argc, char** argv);
#include "qvtool/commands.inc"
#undef QV_COMMAND
