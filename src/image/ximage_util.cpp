#include <climits>
#include <cstdio>
#include <cstdlib>

#include "image/ximage_internal.h"
#include "system/xerror.h"

uint8_t* xImageAlloc(size_t bytes, const char* module, int line) {
  uint8_t* p = bytes <= ((size_t)1 << 30) ? (uint8_t*)std::calloc(bytes ? bytes : 1, 1) : nullptr;
  if (!p) xErrCode(module, line, 1, nullptr);
  return p;
}

int32_t xImageReadDisk(const char* path, uint8_t** data, int32_t* size) {
  FILE* f = path ? std::fopen(path, "rb") : nullptr;
  if (!f) return 0;
  long length = -1;
  if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
  if (length < 0 || length > INT32_MAX || std::fseek(f, 0, SEEK_SET) != 0) {
    std::fclose(f);
    return -1;
  }
  uint8_t* block = (uint8_t*)std::malloc(length ? (size_t)length : 1);
  if (!block) xErrCode("Ximage", __LINE__, 1, nullptr);
  if (std::fread(block, 1, (size_t)length, f) != (size_t)length) {
    std::fclose(f);
    std::free(block);
    return -1;
  }
  std::fclose(f);
  *data = block;
  *size = (int32_t)length;
  return 1;
}
