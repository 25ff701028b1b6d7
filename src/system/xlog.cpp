#include "system/xlog.h"

#include <cstdlib>
#include <cstring>

#include "system/xerror.h"

xLogFile xLog("XLOG", "xLog");
xLogFile x3dLog(nullptr, "x3dLog");

xLogFile::~xLogFile() { Close(); }

bool xLogFile::Close() {
  bool ok = true;
  if (file_) {
    ok = !std::ferror(file_);
    // The last buffered lines are written here: the close fails on a full disk.
    ok = std::fclose(file_) == 0 && ok;
  }
  std::free(name_);
  file_ = nullptr;
  name_ = nullptr;
  return ok;
}

void xLogFile::Open(const char* fileName) {
  Close();
  file_ = std::fopen(fileName, "w+");
  if (!file_) xErrMsg(xFormat("%s error: file create error %s\n", errorName_, fileName));
  name_ = strdup(fileName);
}

xLogFile& xLogFile::Print(const char* message) {
  if (!file_) return *this;
  if (prefix_) std::fprintf(file_, "%s: %s\n", prefix_, message);
  else std::fprintf(file_, "X3D: %s\n", message);
  return *this;
}
