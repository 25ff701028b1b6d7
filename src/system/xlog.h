// Optional text logs: the engine's ("XLOG: msg") and the 3D engine's ("X3D: msg").
// Writes before Open do nothing.
#pragma once
#include <cstdio>

class xLogFile {
 public:
  xLogFile(const char* prefix, const char* errorName) : prefix_(prefix), errorName_(errorName) {}
  ~xLogFile();
  void Open(const char* fileName);
  xLogFile& Print(const char* message);
  bool IsOpen() const { return file_ != nullptr; }
  const char* Name() const { return name_; }
  // False when something written since Open was lost (a full disk, a write error); errno
  // then tells why.
  bool Close();

 private:
  FILE* file_ = nullptr;
  char* name_ = nullptr;
  const char* prefix_;     // "XLOG", or null for the 3D log
  const char* errorName_;  // "xLog" or "x3dLog", for the open failure message
};

extern xLogFile xLog;
extern xLogFile x3dLog;
