// Whole-file reads from the resource archive (minizip) or from the disk.
#include "file/xfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static char* xFileCopyName(const char* name) {
  size_t n = std::strlen(name) + 1;
  char* copy = (char*)std::malloc(n);
  if (copy) std::memcpy(copy, name, n);
  return copy;
}

xFile::xFile(int32_t m) : mode(m), archive(nullptr) {}

xFile::~xFile() {
  if (archive) unzClose((unzFile)archive);
}

int32_t xFile::Open(const char* archiveName) {
  if (!mode) return 0;
  if (archive) {
    unzClose((unzFile)archive);
    archive = nullptr;
  }
  if (!archiveName) return 0;
  // A pipe or device under the archive's name would block the open or never end.
  if (xFileKind(archiveName) != XFILE_KIND_REGULAR) return 0;
  archive = unzOpen(archiveName);
  // The open archive is reported with -103 (the start-up tests for exactly that).
  return archive ? XFILE_OPEN_ERROR : 0;
}

// Archive mode: the record is filled only when the data is there (success or CRC
// mismatch); every other failure leaves it untouched and frees what was taken.
static int32_t xFileReadArchive(unzFile zip, const char* name, xFileData* out) {
  if (!zip || !name) return XFILE_BAD_PARAM;
  int32_t r = unzLocateFile(zip, name, 2);  // 2: letter case is ignored
  if (r != UNZ_OK) return r;
  unz_file_info info;
  char stored[256];
  std::memset(stored, 0, sizeof stored);
  r = unzGetCurrentFileInfo(zip, &info, stored, sizeof stored - 1, nullptr, 0, nullptr, 0);
  if (r != UNZ_OK) return r;
  if (info.uncompressed_size > (uLong)INT32_MAX) return XFILE_READ_ERROR;
  int32_t size = (int32_t)info.uncompressed_size;
  uint8_t* data = (uint8_t*)std::malloc(size ? size : 1);
  char* copy = xFileCopyName(stored);
  if (!data || !copy) {
    std::free(data);
    std::free(copy);
    return XFILE_READ_ERROR;
  }
  r = unzOpenCurrentFile(zip);
  if (r != UNZ_OK) {
    std::free(data);
    std::free(copy);
    return r;
  }
  int32_t got = size ? unzReadCurrentFile(zip, data, (unsigned)size) : 0;
  if (got != size) {
    unzCloseCurrentFile(zip);
    std::free(data);
    std::free(copy);
    return XFILE_READ_ERROR;
  }
  // 0, or -105 when the CRC-32 of the data disagrees with the archive's (data kept).
  r = unzCloseCurrentFile(zip);
  if (r != UNZ_OK && r != UNZ_CRCERROR) {
    std::free(data);
    std::free(copy);
    return r;
  }
  out->name = copy;
  out->size = size;
  out->data = data;
  return r;
}

int32_t xFileKind(const char* path) {
  struct stat st;
  if (!path || stat(path, &st) != 0) return XFILE_KIND_MISSING;
  if (!S_ISREG(st.st_mode)) return XFILE_KIND_OTHER;
  return access(path, R_OK) == 0 ? XFILE_KIND_REGULAR : XFILE_KIND_UNREADABLE;
}

int32_t xFileReadDisk(const char* path, uint8_t** data, int32_t* size) {
  if (!path) return XFILE_BAD_PARAM;
  // Opened without waiting: a FIFO with no writer would otherwise block here for ever.
  int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return XFILE_OPEN_ERROR;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return XFILE_READ_ERROR;
  }
  FILE* f = fdopen(fd, "rb");
  if (!f) {
    close(fd);
    return XFILE_OPEN_ERROR;
  }
  long length = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
  if (length < 0 || length > INT32_MAX || std::fseek(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    return XFILE_READ_ERROR;
  }
  uint8_t* block = (uint8_t*)std::malloc(length ? (size_t)length : 1);
  if (!block) {
    std::fclose(f);
    return XFILE_NO_MEMORY;
  }
  // A short read (a directory, a file cut while reading) is a failure, not a success.
  size_t got = std::fread(block, 1, (size_t)length, f);
  std::fclose(f);
  if (got != (size_t)length) {
    std::free(block);
    return XFILE_READ_ERROR;
  }
  *data = block;
  *size = (int32_t)length;
  return XFILE_OK;
}

static int32_t xFileReadWhole(const char* path, xFileData* out) {
  uint8_t* data = nullptr;
  int32_t size = 0;
  int32_t r = xFileReadDisk(path, &data, &size);
  if (r == XFILE_NO_MEMORY) r = XFILE_READ_ERROR;
  if (r != XFILE_OK) return r;
  char* copy = xFileCopyName(path);
  if (!copy) {
    std::free(data);
    return XFILE_READ_ERROR;
  }
  out->name = copy;
  out->size = size;
  out->data = data;
  return XFILE_OK;
}

int32_t xFile::Read(const char* name, xFileData* out) {
  if (!out) return XFILE_BAD_PARAM;
  if (mode) return xFileReadArchive((unzFile)archive, name, out);
  return xFileReadWhole(name, out);
}

int32_t xFile::Free(xFileData* fd) {
  if (!fd) return 0;
  std::free(fd->data);
  std::free(fd->name);
  // Cleared so that a second Free of the same record is harmless.
  fd->data = nullptr;
  fd->name = nullptr;
  fd->size = 0;
  return 0;
}
