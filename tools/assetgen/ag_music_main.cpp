// Writes OUTDIR/rul-quor.s3m: the presentation's music, composed and synthesised here.
#include <cstdio>
#include <string>
#include <vector>

#include "assetgen.h"
#include "music_song.h"
#include "music_timing.h"
#include "s3m_writer.h"

int agWriteMusic(const char* outDir) {
  std::vector<uint8_t> bytes;
  std::string err;
  if (!s3mWrite(musComposeSong(), &bytes, &err)) {
    std::fprintf(stderr, "assetgen: " MUS_FILE_NAME ": %s\n", err.c_str());
    return 1;
  }
  std::string path = std::string(outDir) + "/" MUS_FILE_NAME;
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "assetgen: cannot create %s\n", path.c_str());
    return 1;
  }
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fclose(f) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
    return 1;
  }
  return 0;
}
