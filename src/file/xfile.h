// Whole-file access to the resource archive (a ZIP file) or to the disk.
// Results are minizip-style codes; the caller reports failures itself.
#pragma once
#include <cstdint>

enum : int32_t {
  XFILE_OK = 0,
  XFILE_NOT_FOUND = -100,   // no such entry in the archive
  XFILE_BAD_PARAM = -102,   // no archive, or a name of 256 characters or more
  XFILE_OPEN_ERROR = -103,  // disk file cannot be opened; also the success code of Open in archive mode
  XFILE_READ_ERROR = -104,  // memory exhausted or fewer bytes than announced
  XFILE_CRC_ERROR = -105,   // CRC-32 mismatch after reading (data is kept)
  XFILE_NO_MEMORY = -106,   // xFileReadDisk only: no buffer for the contents
};

// What lies under a disk path: the archive and the module must be regular files (a FIFO
// would block the program's start for ever).
enum : int32_t { XFILE_KIND_REGULAR, XFILE_KIND_MISSING, XFILE_KIND_OTHER, XFILE_KIND_UNREADABLE };
int32_t xFileKind(const char* path);

// The one whole-file disk reader: the file into a new malloc'd buffer of exactly *size bytes
// (one byte allocated for an empty file; not terminated) that the caller frees. Returns
// XFILE_OK; XFILE_BAD_PARAM (no path); XFILE_OPEN_ERROR; XFILE_NO_MEMORY; XFILE_READ_ERROR
// (not a regular file, 2 GiB or more, or a short read). *data and *size are set only on success.
int32_t xFileReadDisk(const char* path, uint8_t** data, int32_t* size);

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
