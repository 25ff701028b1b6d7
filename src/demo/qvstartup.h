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

// Notes the folder the program was started in for qvUserPath (a handle on it when its path is
// too long to name); before qvFindData.
void qvRememberStartFolder();
// Moves to the folder holding the data when the current one has none (see qvstartup.cpp),
// noting the folders looked in for the message when none has it.
void qvFindData();

// Set while a capture runs: headless presents then follow the capture's frame rate.
extern bool qvCapturing;
