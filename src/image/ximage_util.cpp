#include <cstdlib>

#include "file/xfile.h"
#include "image/ximage_internal.h"
#include "system/xerror.h"

uint8_t* xImageAlloc(size_t bytes, const char* module, int line) {
  uint8_t* p = bytes <= ((size_t)1 << 30) ? (uint8_t*)std::calloc(bytes ? bytes : 1, 1) : nullptr;
  if (!p) xErrCode(module, line, 1, nullptr);
  return p;
}

void xImageDecodeRecord(xFileData* fd, const char* loader, xImageDecodeFn decode, xImage& img) {
  const char* name = fd->name ? fd->name : "";
  if (!fd->data || fd->size <= 0) xErrMsg(xFormat("%s::Can't access file -> %s", loader, name));
  decode(fd->data, fd->size, name, img);
}

void xImageDecodeDisk(const char* path, const char* loader, xImageDecodeFn decode, xImage& img) {
  uint8_t* data = nullptr;
  int32_t size = 0;
  int32_t r = xFileReadDisk(path, &data, &size);
  if (r == XFILE_NO_MEMORY) xErrCode("Ximage", __LINE__, 1, nullptr);
  if (r == XFILE_BAD_PARAM || r == XFILE_OPEN_ERROR) xErrMsg(xFormat("%s::Can't access file -> %s", loader, path));
  if (r != XFILE_OK) xErrMsg(xFormat("%s::Can't read file -> %s", loader, path));
  decode(data, size, path, img);
  std::free(data);
}
