#include <climits>
#include <cstdio>
#include <cstdlib>

#include "file/xfile.h"
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

void xImageDecodeRecord(xFileData* fd, const char* loader, xImageDecodeFn decode, xImage& img) {
  const char* name = fd->name ? fd->name : "";
  if (!fd->data || fd->size <= 0) xErrMsg(xFormat("%s::Can't access file -> %s", loader, name));
  decode(fd->data, fd->size, name, img);
}

void xImageDecodeDisk(const char* path, const char* loader, xImageDecodeFn decode, xImage& img) {
  uint8_t* data = nullptr;
  int32_t size = 0;
  int32_t r = xImageReadDisk(path, &data, &size);
  if (r == 0) xErrMsg(xFormat("%s::Can't access file -> %s", loader, path));
  if (r < 0) xErrMsg(xFormat("%s::Can't read file -> %s", loader, path));
  decode(data, size, path, img);
  std::free(data);
}
