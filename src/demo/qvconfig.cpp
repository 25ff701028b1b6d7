#include "demo/qvconfig.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/plat_present.h"
#include "system/xlog.h"

// What the file held; -1 for a key it did not have.
struct QvConfigValues {
  int32_t fullScreen, scaling, filter, display;
};
static QvConfigValues qvConfigHeld = {-1, -1, -1, -1};

static const char* const qvConfigModes[] = {"windowed", "fullscreen"};
static const char* const qvConfigScalings[] = {"fit", "integer", "stretch"};
static const char* const qvConfigFilters[] = {"nearest", "sharp", "linear"};

// One line on standard error, and in the log when it is open.
static void qvConfigWarn(const std::string& text) {
  std::fprintf(stderr, "quorvane: %s\n", text.c_str());
  if (xLog.IsOpen()) xLog.Print(text.c_str());
}

std::string qvConfigPath() {
  // As desktop conventions have it: a relative XDG_CONFIG_HOME is ignored.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return std::string(xdg) + "/quorvane/quorvane.conf";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/.config/quorvane/quorvane.conf";
  return "";
}

static int32_t qvConfigWord(const std::string& v, const char* const* words, int32_t count) {
  for (int32_t i = 0; i < count; i++)
    if (v == words[i]) return i;
  return -1;
}

// One "key = value" line into *c; false when it makes no sense. Unknown keys are skipped, so
// that a newer program's file still serves.
static bool qvConfigLine(std::string line, QvConfigValues* c) {
  size_t end = line.find_last_not_of(" \t\r");
  line.erase(end == std::string::npos ? 0 : end + 1);
  size_t start = line.find_first_not_of(" \t");
  if (start == std::string::npos || line[start] == '#') return true;
  size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  std::string key = line.substr(start, eq - start), v = line.substr(eq + 1);
  key.erase(key.find_last_not_of(" \t") + 1);
  v.erase(0, v.find_first_not_of(" \t"));
  if (key.empty() || v.empty()) return false;
  if (key == "display-mode") return (c->fullScreen = qvConfigWord(v, qvConfigModes, 2)) >= 0;
  if (key == "scaling") return (c->scaling = qvConfigWord(v, qvConfigScalings, 3)) >= 0;
  if (key == "filter") return (c->filter = qvConfigWord(v, qvConfigFilters, 3)) >= 0;
  if (key == "display") {
    char* e;
    long n = std::strtol(v.c_str(), &e, 10);
    if (*e || v[0] < '0' || v[0] > '9' || n > 63) return false;  // the range of --display
    c->display = (int32_t)n;
  }
  return true;
}

// The file's settings; false (with the reason in *why) when it cannot be read or makes no sense.
static bool qvConfigRead(const std::string& path, QvConfigValues* c, std::string* why) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    *why = std::strerror(errno);
    return false;
  }
  // A settings file is a few lines: anything much longer is not one.
  char buf[4096];
  size_t n = std::fread(buf, 1, sizeof buf, f);
  bool failed = std::ferror(f), tooLong = n == sizeof buf;
  int err = errno;
  std::fclose(f);
  if (failed) *why = std::strerror(err);
  else if (tooLong) *why = "longer than 4 KiB";
  else if (std::memchr(buf, 0, n)) *why = "not a text file";
  if (failed || tooLong || std::memchr(buf, 0, n)) return false;
  std::string text(buf, n);
  int32_t number = 1;
  for (size_t at = 0; at < text.size(); number++) {
    size_t nl = text.find('\n', at);
    if (nl == std::string::npos) nl = text.size();
    if (!qvConfigLine(text.substr(at, nl - at), c)) {
      *why = "line " + std::to_string(number) + " is not a known 'key = value'";
      return false;
    }
    at = nl + 1;
  }
  return true;
}

void qvConfigLoad(qvOptions* o) {
  if (o->noConfig) return;
  std::string path = qvConfigPath(), why;
  struct stat st;
  if (path.empty() || (stat(path.c_str(), &st) != 0 && errno == ENOENT)) return;  // nothing remembered yet
  QvConfigValues c = {-1, -1, -1, -1};
  if (!qvConfigRead(path, &c, &why)) {
    qvConfigWarn("ignoring the settings in " + path + ": " + why);
    return;
  }
  qvConfigHeld = c;
  if (!o->displayGiven && c.fullScreen >= 0) o->fullScreen = c.fullScreen;
  if (!o->scalingGiven && c.scaling >= 0) o->scaling = c.scaling;
  if (!o->filterGiven && c.filter >= 0) o->filter = c.filter;
  if (!o->monitorGiven && c.display >= 0) o->display = c.display;
}

// Creates the folders of path's folder, as mkdir -p; false with errno set.
static bool qvConfigMakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1)) {
    std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

void qvConfigSave(const qvOptions& o, int32_t fullScreen, bool dialogShown) {
  if (o.noConfig || (!dialogShown && !o.scalingGiven && !o.filterGiven && !o.monitorGiven)) return;
  std::string path = qvConfigPath();
  if (path.empty()) return;
  QvConfigValues c = qvConfigHeld;
  if (dialogShown) c.fullScreen = fullScreen ? 1 : 0;
  if (o.scalingGiven) c.scaling = o.scaling;
  if (o.filterGiven) c.filter = o.filter;
  if (o.monitorGiven) c.display = o.display;
  std::string text = "# quorvane's remembered settings, written by the program\n";
  if (c.fullScreen >= 0) text += std::string("display-mode = ") + qvConfigModes[c.fullScreen] + "\n";
  if (c.scaling >= 0 && c.scaling < 3) text += std::string("scaling = ") + qvConfigScalings[c.scaling] + "\n";
  if (c.filter >= 0 && c.filter < 3) text += std::string("filter = ") + qvConfigFilters[c.filter] + "\n";
  if (c.display >= 0) text += "display = " + std::to_string(c.display) + "\n";
  // Written beside and renamed over the old file, so that a failed write never leaves half a file.
  std::string temp = path + ".new";
  bool ok = qvConfigMakeFolders(path);
  FILE* f = ok ? std::fopen(temp.c_str(), "wb") : nullptr;
  ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
  int err = errno;
  if (f && std::fclose(f) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (ok && std::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    err = errno;
  }
  if (!ok) {
    if (f) std::remove(temp.c_str());
    qvConfigWarn("cannot write " + path + ": " + std::strerror(err));
    return;
  }
  qvConfigHeld = c;
}
