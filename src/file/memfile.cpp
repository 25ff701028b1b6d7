// Memory files: a byte stream over a buffer with a read position.
#include "file/memfile.h"

#include <cstdlib>
#include <cstring>

#include "file/xfile.h"
#include "system/xerror.h"

// Both messages are shown verbatim, uneven spacing after "::" included.
MFILE* mopen(const char* path) {
  uint8_t* data = nullptr;
  int32_t size = 0;
  int32_t r = xFileReadDisk(path, &data, &size);
  if (r == XFILE_BAD_PARAM || r == XFILE_OPEN_ERROR)
    xErrMsg(xFormat("mopen:: unable to open file -> %s", path ? path : "(null)"));
  MFILE* m = (MFILE*)std::malloc(sizeof(MFILE));
  if (!m) xErrCode("Memfile", 16, 1, nullptr);
  if (r == XFILE_NO_MEMORY) xErrCode("Memfile", 22, 1, nullptr);
  if (r != XFILE_OK || size == 0) {
    // Empty, unseekable, oversized or cut short: nothing can be read into a buffer.
    std::free(data);
    std::free(m);
    xErrMsg(xFormat("mopen::unable to read file -> %s", path));
  }
  m->data = data;
  m->size = size;
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
