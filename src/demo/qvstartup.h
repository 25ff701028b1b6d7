// Start-up services shared by the program, the timing run and the viewer.
#pragma once
#include <cstdint>
#include <string>

#include "demo/qvoptions.h"

// Everything before the message loop: platform, system driver, setup dialog, engine, loaders,
// music, timers and the fade. Returns 0, or the exit status when the platform cannot start
// (fatal errors end the process themselves). Tools and benchmarks start the program with it.
int32_t qvStartup(const qvOptions& opts);

// "quorvane: MESSAGE" and the pointer to --help on stderr; returns 2, the status of bad usage.
int32_t qvUsageLine(const char* message);

// A path the user gave, made absolute against the folder the program was started in (the
// program may then have moved to the folder holding its data).
std::string qvUserPath(const char* path);

// Outputs named by the user, checked before the run so that it does not fail at its end: each
// false with "cannot write PATH: REASON" (the system's reason) in err, and nothing left behind.
// A file: it can be made in its folder, or it is there and can be written.
bool qvCheckOutputFile(const char* path, char* err, int32_t errSize);
// A folder of outputs: made when missing (not its parents), and a file can be made in it.
bool qvCheckOutputFolder(const char* dir, char* err, int32_t errSize);
// "quorvane: TEXT" on stderr; returns 1, the exit status of an output that cannot be written.
int32_t qvOutputFailed(const char* text);

// Notes the folder the program was started in for qvUserPath (a handle on it when its path is
// too long to name); before qvFindData.
void qvRememberStartFolder();
// Moves to the folder holding the data when the current one has none (see qvstartup.cpp),
// noting the folders looked in for the message when none has it.
void qvFindData();

// Set while a capture runs: headless presents then follow the capture's frame rate.
extern bool qvCapturing;
