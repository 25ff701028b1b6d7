#include <cstdio>

#include "qvtool/qvtool.h"

int qvCmdVersion(int, char**) {
  std::printf("qvtool %s\n", QV_VERSION);
  return 0;
}
