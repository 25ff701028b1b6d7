// qvtool kvo list|extract|pack ARCHIVE ...: the resource archive (a ZIP file).
#include <dirent.h>
#include <sys/stat.h>
#include <unzip.h>
#include <zip.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "file/xfile.h"
#include "qvtool/qvtool.h"
#include "qvtool/qvutil.h"

static const char* qvKvoUsage =
    "usage: qvtool kvo list ARCHIVE\n"
    "       qvtool kvo extract ARCHIVE [ENTRY] -o DIR\n"
    "       qvtool kvo pack ARCHIVE FOLDER\n";

struct QvKvoEntry {
  std::string name;
  uint32_t size, crc;
};

static bool qvKvoEntries(const char* archive, std::vector<QvKvoEntry>* out) {
  // Only a regular file: a pipe would block the open.
  unzFile z = xFileKind(archive) == XFILE_KIND_REGULAR ? unzOpen(archive) : nullptr;
  if (!z) return false;
  for (int r = unzGoToFirstFile(z); r == UNZ_OK; r = unzGoToNextFile(z)) {
    unz_file_info info;
    char name[256] = {0};
    if (unzGetCurrentFileInfo(z, &info, name, sizeof name - 1, nullptr, 0, nullptr, 0) != UNZ_OK) break;
    out->push_back({name, (uint32_t)info.uncompressed_size, (uint32_t)info.crc});
  }
  unzClose(z);
  return true;
}

// Entry names that would leave the target folder are refused.
static bool qvKvoSafeName(const std::string& name) {
  if (name.empty() || name[0] == '/' || name.find('\\') != std::string::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find('/', start);
    if (end == std::string::npos) end = name.size();
    if (name.compare(start, end - start, "..") == 0 && end - start == 2) return false;
    start = end + 1;
  }
  return true;
}

static bool qvMakeParents(const std::string& path) {
  for (size_t at = path.find('/', 1); at != std::string::npos; at = path.find('/', at + 1)) {
    std::string dir = path.substr(0, at);
    if (mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return true;
}

// Why an archive cannot be opened: the system's reason, or its bytes are no ZIP archive.
static const char* qvKvoWhy(const char* archive) { return qvReadWhy(archive, "not a ZIP archive"); }

static int qvKvoList(const char* archive) {
  std::vector<QvKvoEntry> entries;
  if (!qvKvoEntries(archive, &entries)) return qvFileError("kvo", "open archive", archive, qvKvoWhy(archive));
  for (const QvKvoEntry& e : entries) std::printf("%10u  %08x  %s\n", e.size, e.crc, e.name.c_str());
  std::printf("%zu entries\n", entries.size());
  return 0;
}

static int qvKvoExtract(const char* archive, const char* only, const std::string& dir) {
  xFile kvo(1);
  std::vector<QvKvoEntry> entries;
  if (kvo.Open(archive) != XFILE_OPEN_ERROR || !qvKvoEntries(archive, &entries))
    return qvFileError("kvo", "open archive", archive, qvKvoWhy(archive));
  std::vector<std::string> names;
  if (only) {
    names.push_back(only);
  } else {
    for (const QvKvoEntry& e : entries)
      if (e.name.empty() || e.name.back() != '/') names.push_back(e.name);
  }
  int status = 0;
  for (const std::string& name : names) {
    xFileData fd = {nullptr, 0, nullptr};
    int32_t r = kvo.Read(name.c_str(), &fd);
    if (r != 0 && r != XFILE_CRC_ERROR) {
      std::fprintf(stderr, "qvtool kvo: cannot read %s from %s (%d)\n", name.c_str(), archive, r);
      status = 1;
      continue;
    }
    if (r == XFILE_CRC_ERROR) {
      std::fprintf(stderr, "qvtool kvo: %s is damaged (CRC mismatch), not written\n", fd.name);
      kvo.Free(&fd);
      status = 1;
      continue;
    }
    if (!qvKvoSafeName(fd.name)) {
      std::fprintf(stderr, "qvtool kvo: refusing entry name %s\n", fd.name);
      kvo.Free(&fd);
      status = 1;
      continue;
    }
    std::string path = dir + "/" + fd.name;
    errno = 0;
    FILE* f = qvMakeParents(path) ? std::fopen(path.c_str(), "wb") : nullptr;
    bool ok = f && std::fwrite(fd.data, 1, (size_t)fd.size, f) == (size_t)fd.size;
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) {
      status = qvFileError("kvo", "write", path, qvErrnoText());
    } else {
      std::printf("%s\n", path.c_str());
    }
    kvo.Free(&fd);
  }
  return status;
}

// Files below a folder, relative names with '/', sorted so archives are reproducible.
static bool qvKvoWalk(const std::string& root, const std::string& rel, std::vector<std::string>* out) {
  DIR* d = opendir((root + (rel.empty() ? "" : "/" + rel)).c_str());
  if (!d) return false;
  std::vector<std::string> names;
  while (dirent* e = readdir(d))
    if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..")) names.push_back(e->d_name);
  closedir(d);
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) {
    std::string r = rel.empty() ? n : rel + "/" + n;
    struct stat st;
    if (stat((root + "/" + r).c_str(), &st) != 0) return false;
    if (S_ISDIR(st.st_mode)) {
      if (!qvKvoWalk(root, r, out)) return false;
    } else if (S_ISREG(st.st_mode)) {
      out->push_back(r);
    }
  }
  return true;
}

static int qvKvoPack(const char* archive, const char* folder) {
  std::vector<std::string> files;
  errno = 0;
  if (!qvKvoWalk(folder, "", &files)) return qvFileError("kvo", "read the folder", folder, qvErrnoText());
  // An archive without entries is no resource archive (and minizip cannot open one).
  if (files.empty()) {
    std::fprintf(stderr, "qvtool kvo: no files in %s to pack\n", folder);
    return 1;
  }
  for (const std::string& f : files)
    if (f.size() >= 256) {
      std::fprintf(stderr, "qvtool kvo: name too long for the archive: %s\n", f.c_str());
      return 1;
    }
  errno = 0;
  zipFile z = zipOpen(archive, APPEND_STATUS_CREATE);
  if (!z) return qvFileError("kvo", "write", archive, qvErrnoText());
  bool ok = true;
  for (const std::string& name : files) {
    std::string path = std::string(folder) + "/" + name;
    xFile disk(0);
    xFileData fd = {nullptr, 0, nullptr};
    if (disk.Read(path.c_str(), &fd) != XFILE_OK) {
      qvFileError("kvo", "read", path, qvReadWhy(path, std::strerror(EIO)));
      ok = false;
      break;
    }
    errno = 0;
    zip_fileinfo zi;
    std::memset(&zi, 0, sizeof zi);
    ok = zipOpenNewFileInZip(z, name.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9) == ZIP_OK &&
         zipWriteInFileInZip(z, fd.data, (unsigned)fd.size) == ZIP_OK && zipCloseFileInZip(z) == ZIP_OK;
    disk.Free(&fd);
    if (!ok) {
      qvFileError("kvo", ("add " + name + " to").c_str(), archive, qvErrnoText());
      break;
    }
  }
  if (zipClose(z, nullptr) != ZIP_OK && ok) {
    qvFileError("kvo", "write", archive, qvErrnoText());
    ok = false;
  }
  if (!ok) {
    std::remove(archive);
    return 1;
  }
  std::printf("%s: %zu entries\n", archive, files.size());
  return 0;
}

int qvCmdKvo(int argc, char** argv) {
  if (argc < 3) {
    std::fputs(qvKvoUsage, stderr);
    return 2;
  }
  const std::string action = argv[1];
  const char* archive = argv[2];
  if (action == "list" && argc == 3) return qvKvoList(archive);
  if (action == "pack" && argc == 4) return qvKvoPack(archive, argv[3]);
  if (action == "extract") {
    const char* only = nullptr;
    std::string dir;
    for (int i = 3; i < argc; i++) {
      if (!std::strcmp(argv[i], "-o") && i + 1 < argc) {
        dir = argv[++i];
      } else if (argv[i][0] != '-' && !only) {
        only = argv[i];
      } else {
        std::fputs(qvKvoUsage, stderr);
        return 2;
      }
    }
    // Entries go where they are asked to, never silently into the current folder.
    if (dir.empty()) {
      std::fprintf(stderr, "qvtool kvo: extract needs -o DIR, the folder to write into\n%s", qvKvoUsage);
      return 2;
    }
    return qvKvoExtract(archive, only, dir);
  }
  std::fputs(qvKvoUsage, stderr);
  return 2;
}
