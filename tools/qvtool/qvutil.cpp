// Helpers shared by the qvtool commands.
#include "qvtool/qvutil.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int qvUsageError(const char* command) {
  static const char* const kUsage[] = {
#define QV_COMMAND(name, fn, usage) usage,
#include "qvtool/commands.inc"
#undef QV_COMMAND
  };
  // The synopsis ends where two spaces start the description.
  for (const char* u : kUsage) {
    size_t n = std::strlen(command);
    if (std::strncmp(u, command, n) != 0 || u[n] != ' ') continue;
    const char* gap = std::strstr(u, "  ");
    std::fprintf(stderr, "usage: qvtool %.*s\n", gap ? (int)(gap - u) : (int)std::strlen(u), u);
  }
  return 2;
}

int qvFileError(const char* command, const char* what, const std::string& path, const char* why) {
  std::fprintf(stderr, "qvtool %s: cannot %s %s: %s\n", command, what, path.c_str(), why);
  return 1;
}

const char* qvErrnoText() { return std::strerror(errno ? errno : EIO); }

const char* qvReadWhy(const std::string& path, const char* otherwise) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return std::strerror(errno);
  if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
  if (!S_ISREG(st.st_mode)) return "not a regular file";
  if (access(path.c_str(), R_OK) != 0) return std::strerror(errno);
  return otherwise;
}

bool qvReadWholeFile(const char* path, std::vector<uint8_t>* out, size_t maxBytes) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  out->clear();
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
    out->insert(out->end(), buf, buf + n);
    if (out->size() > maxBytes) break;
  }
  const bool ok = !std::ferror(f) && out->size() <= maxBytes;
  std::fclose(f);
  return ok;
}

bool qvParseInts(const char* s, int32_t* out, int n, char sep) {
  for (int i = 0; i < n; i++) {
    char* end;
    const long long v = std::strtoll(s, &end, 10);
    if (end == s || v < -2000000000LL || v > 2000000000LL) return false;
    out[i] = (int32_t)v;
    if (i + 1 < n) {
      if (*end != sep) return false;
      s = end + 1;
    } else if (*end) {
      return false;
    }
  }
  return true;
}

bool qvParseFloats(const char* s, float* out, int n) {
  for (int i = 0; i < n; i++) {
    char* end;
    const double v = std::strtod(s, &end);
    if (end == s || !std::isfinite(v) || std::fabs(v) > 1e9) return false;
    out[i] = (float)v;
    if (i + 1 < n) {
      if (*end != ',') return false;
      s = end + 1;
    } else if (*end) {
      return false;
    }
  }
  return true;
}
