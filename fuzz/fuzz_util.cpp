// Temporary files for the harnesses whose readers open paths.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qvfuzz.h"

#ifdef QV_FUZZ_BUILD
#include <csetjmp>

#include "system/xerror.h"

static jmp_buf qvFuzzJump;

// The fatal routine's last step: back to qvFuzzGuarded, whose frame is still live.
static void qvFuzzBack(int) { std::longjmp(qvFuzzJump, 1); }

int qvFuzzGuarded(QvFuzzFn fn, QvFuzzResetFn reset, const uint8_t* data, size_t size) {
  xErrSetLastStep(qvFuzzBack);
  if (setjmp(qvFuzzJump) != 0) {
    xErrSetLastStep(nullptr);
    reset();
    return 1;
  }
  fn(data, size);
  xErrSetLastStep(nullptr);
  return 0;
}
#else
int qvFuzzGuarded(QvFuzzFn fn, QvFuzzResetFn, const uint8_t* data, size_t size) {
  fn(data, size);
  return 0;
}
#endif

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
