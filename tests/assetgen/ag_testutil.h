// Helpers shared by the generator's tests: temporary folders, running peer tools,
// and a generated asset set built once per test program.
#pragma once
#include <map>
#include <string>

#include "ag_writers.h"

std::string agtTempDir(const char* tag);                            // fresh empty folder under /tmp
std::string agtRun(const std::string& cmd, int* status = nullptr);  // stdout of a shell command
bool agtWrite(const std::string& path, const AgBytes& b);
// The assets written by agWriteAssets into one folder (generated on first use),
// and the archive's entries read back through minizip's unzip interface.
const std::string& agtAssetDir();
const std::map<std::string, std::string>& agtArchive();
