// The remembered settings: the setup dialog's last choice and the --scaling, --filter and
// --display given on a command line, in $XDG_CONFIG_HOME/quorvane/quorvane.conf (by default
// ~/.config/quorvane/quorvane.conf), one "key = value" a line. A file that cannot be read or
// makes no sense is ignored, and one that cannot be written is left, each with one line on
// standard error and in the log: the settings never stop the program.
#pragma once
#include <cstdint>
#include <string>

#include "demo/qvoptions.h"

// The file's path, or "" when there is no home folder to put it in.
std::string qvConfigPath();
// Reads the file into the options not given on the command line: fullScreen (the dialog's
// preselection), scaling, filter and display. Nothing with --no-config.
void qvConfigLoad(qvOptions* o);
// Writes the file when the setup dialog was shown (fullScreen is its choice) or a remembered
// option was given; the other settings keep what the file held. Nothing with --no-config.
void qvConfigSave(const qvOptions& o, int32_t fullScreen, bool dialogShown);
