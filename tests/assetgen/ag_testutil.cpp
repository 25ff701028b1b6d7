#include "ag_testutil.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <minizip/unzip.h>

#include "assetgen.h"

std::string agtTempDir(const char* tag) {
  static int counter = 0;
  std::string dir = "/tmp/qv_agtest_" + std::to_string(getpid()) + "_" + tag + "_" + std::to_string(counter++);
  std::string cmd = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
  if (std::system(cmd.c_str()) != 0) return "/tmp";
  return dir;
}

std::string agtRun(const std::string& cmd, int* status) {
  std::string out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int st = pclose(p);
  if (status) *status = st;
  return out;
}

bool agtWrite(const std::string& path, const AgBytes& b) { return agWriteFile(path, b.data(), b.size()); }

const std::string& agtAssetDir() {
  static std::string dir;
  if (dir.empty()) {
    dir = agtTempDir("assets");
    if (agWriteAssets(dir.c_str()) != 0) dir = "/nonexistent";
  }
  return dir;
}

const std::map<std::string, std::string>& agtArchive() {
  static std::map<std::string, std::string> entries;
  if (!entries.empty()) return entries;
  unzFile z = unzOpen((agtAssetDir() + "/quorvane.kvo").c_str());
  if (!z) return entries;
  for (int r = unzGoToFirstFile(z); r == UNZ_OK; r = unzGoToNextFile(z)) {
    unz_file_info info;
    char name[256];
    unzGetCurrentFileInfo(z, &info, name, sizeof name, nullptr, 0, nullptr, 0);
    std::string data(info.uncompressed_size, '\0');
    unzOpenCurrentFile(z);
    int got = unzReadCurrentFile(z, data.data(), unsigned(data.size()));
    if (unzCloseCurrentFile(z) == UNZ_OK && got == int(data.size())) entries[name] = data;
  }
  unzClose(z);
  return entries;
}
