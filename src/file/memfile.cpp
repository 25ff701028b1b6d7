// Memory files: a byte stream over a buffer with a read position.
#include "file/memfile.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "system/xerror.h"

MFILE* mopen(const char* path) {
  FILE* f = path ? std::fopen(path, "rb") : nullptr;
  if (!f) xErrMsg(xFormat("mopen:: unable to open file -> %s", path ? path : "(null)"));
  MFILE* m = (MFILE*)std::malloc(sizeof(MFILE));
  if (!m) xErrCode("Memfile", 16, 1, nullptr);
  long length = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
  if (length <= 0 || length > INT32_MAX || std::fseek(f, 0, SEEK_SET) != 0) {
    // Empty, unseekable or oversized: nothing can be read into a buffer.
    std::fclose(f);
    std::free(m);
    xErrMsg(xFormat("mopen::unable to read file -> %s", path));
  }
  m->size = (int32_t)length;
  m->data = (uint8_t*)std::malloc((size_t)m->size);
  if (!m->data) xErrCode("Memfile", 22, 1, nullptr);
  // A short read would leave the tail of the buffer undefined: treated like no read.
  size_t got = std::fread(m->data, 1, (size_t)m->size, f);
  std::fclose(f);
  if (got != (size_t)m->size) {
    std::free(m->data);
    std::free(m);
    xErrMsg(xFormat("mopen::unable to read file -> %s", path));
  }
  m->position = 0;
  return m;
}

int32_t mread(void* dest, int32_t length, MFILE* f) {
  // 2 = "File read error ( access denied )": nothing is copied, the position stays.
  if (!f || length < 0 || f->position < 0) return 2;
  if ((int64_t)f->position + length > (int64_t)f->size) return 2;
  if (length) std::memcpy(dest, f->data + f->position, (size_t)length);
  f->position += length;
  return 0;
}

int32_t mtell(MFILE* f) { return f->position; }

int32_t mseek(MFILE* f, int32_t position) {
  f->position = position;
  return 0;
}

void mclose(MFILE* f) {
  xAssert(f != nullptr, "Memfile", 53);
  std::free(f->data);
  f->data = nullptr;
  f->position = 0;
  f->size = 0;
  std::free(f);
}
