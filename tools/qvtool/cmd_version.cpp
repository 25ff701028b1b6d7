#include <cstdio>

#include "qvtool/qvtool.h"

int qvCmdVersion(int, char**) {
  std::printf("qvtool 0.1\n");
  return 0;
}
