// assetgen OUTDIR: writes every asset of the presentation into OUTDIR.
#include <cstdio>

#include "assetgen.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: assetgen OUTDIR\n");
    return 2;
  }
  if (agWriteMusic(argv[1]) != 0) return 1;
  if (agWriteAssets(argv[1]) != 0) return 1;
  return 0;
}
