#include "demo/qvdemotest.h"

#include <gtest/gtest.h>
#include <strings.h>
#include <sys/wait.h>
#include <unistd.h>
#include <unzip.h>
#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include "common/qvtest.h"
#include "demo/qvmusic.h"
#include "demo/qvoptions.h"
#include "demo/qvstartup.h"

std::string qvFreshDir(const std::string& name) {
  // Named after the build folder too, so that two builds testing at once never share a folder.
  static const std::string build = std::to_string(std::hash<std::string>{}(QV_BINARY_DIR) % 1000000);
  std::string dir = ::testing::TempDir() + "qvdemo" + build + "_" + name;
  std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
  if (std::system(cmd.c_str()) != 0) return "";
  return dir;
}

bool qvCopyBuilt(const std::string& dir, const char* name) {
  std::string bytes = qvReadFile(std::string(QV_BINARY_DIR) + "/" + name);
  std::ofstream out(dir + "/" + name, std::ios::binary);
  out << bytes;
  return !bytes.empty() && out.good();
}

// The bytes of one entry of the built archive ("" when missing).
static std::string qvEntry(const char* name) {
  std::string from = std::string(QV_BINARY_DIR) + "/quorvane.kvo", bytes;
  unzFile in = unzOpen(from.c_str());
  unz_file_info info;
  if (in && unzLocateFile(in, name, 2) == UNZ_OK &&
      unzGetCurrentFileInfo(in, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK &&
      unzOpenCurrentFile(in) == UNZ_OK) {
    bytes.resize(info.uncompressed_size);
    if (unzReadCurrentFile(in, bytes.data(), (unsigned)bytes.size()) != (int)bytes.size()) bytes.clear();
    unzCloseCurrentFile(in);
  }
  if (in) unzClose(in);
  return bytes;
}

// The built archive copied into dir/quorvane.kvo with the changes of qvWriteArchive; the entry
// `swap` gets the bytes `swapped`.
static bool qvCopyArchive(const std::string& dir, const char* drop, const char* cut, size_t keep, const char* swap,
                          const std::string& swapped) {
  std::string from = std::string(QV_BINARY_DIR) + "/quorvane.kvo", to = dir + "/quorvane.kvo";
  unzFile in = unzOpen(from.c_str());
  zipFile out = zipOpen(to.c_str(), APPEND_STATUS_CREATE);
  bool ok = in && out;
  for (int r = ok ? unzGoToFirstFile(in) : UNZ_END_OF_LIST_OF_FILE; ok && r == UNZ_OK; r = unzGoToNextFile(in)) {
    char name[256];
    unz_file_info info;
    ok = unzGetCurrentFileInfo(in, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK;
    if (!ok || (drop && !strcasecmp(name, drop))) continue;
    std::vector<char> data(info.uncompressed_size);
    ok = unzOpenCurrentFile(in) == UNZ_OK &&
         unzReadCurrentFile(in, data.data(), (unsigned)data.size()) == (int)data.size() &&
         unzCloseCurrentFile(in) == UNZ_OK;
    if (cut && !strcasecmp(name, cut) && keep < data.size()) data.resize(keep);
    if (swap && !strcasecmp(name, swap)) data.assign(swapped.begin(), swapped.end());
    zip_fileinfo zi;
    std::memset(&zi, 0, sizeof zi);
    ok = ok && zipOpenNewFileInZip(out, name, &zi, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 1) == ZIP_OK &&
         zipWriteInFileInZip(out, data.data(), (unsigned)data.size()) == ZIP_OK && zipCloseFileInZip(out) == ZIP_OK;
  }
  if (in) unzClose(in);
  if (out && zipClose(out, nullptr) != ZIP_OK) ok = false;
  return ok;
}

bool qvWriteArchive(const std::string& dir, const char* drop, const char* cut, size_t keep, const char* swap,
                    const char* swapFrom) {
  return qvCopyArchive(dir, drop, cut, keep, swap, swap ? qvEntry(swapFrom) : "");
}

bool qvWriteArchiveWith(const std::string& dir, const char* entry, const std::string& bytes) {
  return qvCopyArchive(dir, nullptr, nullptr, 0, entry, bytes);
}

std::string qvAssetDir(const char* name, const char* drop, const char* cut, size_t keep) {
  std::string dir = qvFreshDir(name);
  EXPECT_TRUE(qvWriteArchive(dir, drop, cut, keep));
  EXPECT_TRUE(qvCopyBuilt(dir, QV_MUSIC_FILE));
  return dir;
}

// The user's remembered settings never decide a test: the program started inside a test
// process keeps its settings in a folder of its own (tests run in parallel processes), and
// each run of the built program in its run folder.
[[maybe_unused]] static const bool qvConfigKeptAside = [] {
  std::string dir = qvFreshDir("config" + std::to_string(getpid()));  // one per test process
  return !dir.empty() && setenv("XDG_CONFIG_HOME", dir.c_str(), 1) == 0;
}();

// env takes its -u NAME options before any NAME=VALUE assignment.
static std::string qvEnvOrder(const std::string& words) {
  std::string unset, set;
  for (size_t at = 0; at < words.size();) {
    size_t end = words.find(' ', at);
    if (end == std::string::npos) end = words.size();
    std::string w = words.substr(at, end - at);
    at = end + 1;
    if (w == "-u" && at < words.size()) {
      size_t e2 = words.find(' ', at);
      if (e2 == std::string::npos) e2 = words.size();
      unset += "-u " + words.substr(at, e2 - at) + " ";
      at = e2 + 1;
    } else if (!w.empty()) {
      set += w + " ";
    }
  }
  return unset + set;
}

int qvRunProgram(const std::string& cwd, const std::string& args, std::string* out, std::string* err,
                 const std::string& env) {
  std::string o = cwd + "/.stdout", e = cwd + "/.stderr";
  std::string settings =
      env.find("XDG_CONFIG_HOME=") == std::string::npos ? "XDG_CONFIG_HOME='" + cwd + "/.config' " : "";
  std::string cmd = "cd '" + cwd + "' && env " + qvEnvOrder(settings + env) + " '" + QV_BINARY_DIR + "/quorvane' " +
                    args + " >'" + o + "' 2>'" + e + "'";
  int st = std::system(cmd.c_str());
  if (out) *out = qvReadFile(o);
  if (err) *err = qvReadFile(e);
  return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

std::string qvLogLines(const std::string& log, const char* prefix) {
  std::istringstream in(log);
  std::string line, all;
  while (std::getline(in, line))
    if (line.rfind(prefix, 0) == 0) all += line + "\n";
  return all;
}

void qvTestStartup(const char* extra) {
  static bool started = false;
  if (started) return;
  started = true;
  ASSERT_EQ(chdir(QV_BINARY_DIR), 0);
  std::vector<const char*> argv = {"quorvane", "--headless", "--windowed"};
  if (extra) argv.push_back(extra);
  qvOptions o;
  ASSERT_EQ(qvParseOptions((int32_t)argv.size(), (char**)argv.data(), &o), 0);
  ASSERT_EQ(qvStartup(o), 0);
}
