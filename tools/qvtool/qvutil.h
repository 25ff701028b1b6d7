// Small helpers shared by the qvtool commands: whole files, number lists (file-name tails:
// platform/qvtext.h, shared with the program).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/qvtext.h"

// Whole file into memory; false when unreadable or longer than maxBytes.
bool qvReadWholeFile(const char* path, std::vector<uint8_t>* out, size_t maxBytes);

// The command's synopsis as commands.inc gives it ("usage: qvtool NAME ARGS"), on stderr.
// Returns 2, the status of bad usage.
int qvUsageError(const char* command);

// One line for a file the command cannot use, "qvtool COMMAND: cannot WHAT PATH: WHY", on
// stderr. Returns 1, the status of a failed command.
int qvFileError(const char* command, const char* what, const std::string& path, const char* why);
// The system's reason for the file call that failed last (errno, cleared before the call; an
// input/output error when the call left none).
const char* qvErrnoText();
// Why the input `path` could not be used: the system's reason when it cannot be opened, a folder
// or other file that is not a regular one as such, else `otherwise` (its bytes are wrong).
const char* qvReadWhy(const std::string& path, const char* otherwise);

// Exactly n integers in -2e9..2e9 separated by sep ("320x200", "1,2,3", "4-7").
bool qvParseInts(const char* s, int32_t* out, int n, char sep = ',');

// Exactly n finite numbers of magnitude up to 1e9 separated by commas.
bool qvParseFloats(const char* s, float* out, int n);
