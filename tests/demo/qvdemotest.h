// Helpers of the program's tests: folders of assets, altered archives, runs of the program.
#pragma once
#include <string>

// A new empty folder under the test's temporary directory.
std::string qvFreshDir(const std::string& name);
// Copies the built archive into dir/quorvane.kvo, leaving out the entry `drop` (case-insensitive),
// cutting the entry `cut` to `keep` bytes and giving the entry `swap` the bytes of the entry
// `swapFrom` (null: none).
bool qvWriteArchive(const std::string& dir, const char* drop, const char* cut = nullptr, size_t keep = 0,
                    const char* swap = nullptr, const char* swapFrom = nullptr);
// The same with the entry `entry` holding `bytes` instead.
bool qvWriteArchiveWith(const std::string& dir, const char* entry, const std::string& bytes);
// Copies a file of the build folder (rul-quor.s3m, ...) into dir.
bool qvCopyBuilt(const std::string& dir, const char* name);
// A fresh folder holding the archive (altered as qvWriteArchive does) and the module: the
// current directory of a run.
std::string qvAssetDir(const char* name, const char* drop = nullptr, const char* cut = nullptr, size_t keep = 0);
// Runs the built program in cwd with the arguments; returns the exit status, stdout and stderr.
// env: assignments put before the program (e.g. "PATH=/nonexistent").
int qvRunProgram(const std::string& cwd, const std::string& args, std::string* out = nullptr,
                 std::string* err = nullptr, const std::string& env = "");
// The lines of a log that start with prefix.
std::string qvLogLines(const std::string& log, const char* prefix);
// Starts the program headless inside the test process (windowed, no dialog, from the build
// folder where the assets are), once per process; extra options are added to the command line.
// Segment tests then drive the segments' frames directly and read the view.
void qvTestStartup(const char* extra = nullptr);
