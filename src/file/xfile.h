// Whole-file access to the resource archive (a ZIP file) or to the disk.
// Results are minizip-style codes; the caller reports failures itself.
#pragma once
#include <cstdint>

enum : int32_t {
  XFILE_OK = 0,
  XFILE_NOT_FOUND = -100,     // no such entry in the archive
  XFILE_BAD_PARAM = -102,     // no archive, or a name of 256 characters or more
  XFILE_OPEN_ERROR = -103,    // disk file cannot be opened; also the success code of Open in archive mode
  XFILE_READ_ERROR = -104,    // memory exhausted or fewer bytes than announced
  XFILE_CRC_ERROR = -105,     // CRC-32 mismatch after reading (data is kept)
};

struct xFileData {
  char* name;     // heap copy: the name stored in the archive, or the disk path
  int32_t size;   // byte count of data
  uint8_t* data;  // heap buffer of exactly size bytes, not terminated
};

class xFile {
 public:
  explicit xFile(int32_t mode);  // non-zero: archive mode; 0: disk mode
  ~xFile();                      // closes the archive
  xFile(const xFile&) = delete;
  xFile& operator=(const xFile&) = delete;
  int32_t Open(const char* archiveName);
  int32_t Read(const char* name, xFileData* out);
  int32_t Free(xFileData* fd);

  int32_t mode;
  void* archive;  // minizip unzFile, null until Open succeeds
};
