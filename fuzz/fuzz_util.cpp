// Temporary files for the harnesses whose readers open paths.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qvfuzz.h"

std::string qvFuzzTempFile(const uint8_t* data, size_t size, const char* suffix) {
  const char* dir = std::getenv("TMPDIR");
  std::string name = std::string(dir && *dir ? dir : "/tmp") + "/qv_fuzz_XXXXXX" + suffix;
  std::vector<char> buf(name.begin(), name.end());
  buf.push_back('\0');
  int fd = mkstemps(buf.data(), static_cast<int>(std::strlen(suffix)));
  if (fd < 0) return std::string();
  size_t done = 0;
  while (done < size) {
    ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  if (done != size) {
    unlink(buf.data());
    return std::string();
  }
  return std::string(buf.data());
}
