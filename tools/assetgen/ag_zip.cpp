#include <cstring>

#include <zlib.h>
#include <minizip/zip.h>

#include "ag_writers.h"

bool agZipWrite(const std::string& path, const std::vector<AgEntry>& entries) {
  std::remove(path.c_str());
  zipFile zf = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
  if (!zf) return false;
  bool ok = true;
  for (const AgEntry& e : entries) {
    zip_fileinfo zi;
    std::memset(&zi, 0, sizeof zi);
    zi.tmz_date.tm_year = 2024;  // one fixed time stamp for every entry and build
    zi.tmz_date.tm_mon = 0;
    zi.tmz_date.tm_mday = 1;
    zi.tmz_date.tm_hour = 12;
    if (zipOpenNewFileInZip(zf, e.name.c_str(), &zi, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED, 9) != ZIP_OK ||
        zipWriteInFileInZip(zf, e.data.data(), unsigned(e.data.size())) != ZIP_OK || zipCloseFileInZip(zf) != ZIP_OK) {
      ok = false;
      break;
    }
  }
  if (zipClose(zf, "Quorvane by Kelvo") != ZIP_OK) ok = false;
  return ok;
}
