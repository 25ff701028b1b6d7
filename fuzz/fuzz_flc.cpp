// Fuzz entry: FLC/FLI load, then every block played once and a rewind.
#include "image/xflc.h"
#include "qvfuzz.h"

namespace qvfuzz_flc {
static xFlc anim;  // module state: a fatal error leaves it for qvFuzzReset

void qvFuzzReset() { xFlcFree(&anim); }

int qvFuzzOne(const uint8_t* data, size_t size) {
  int32_t n = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(size);
  if (xFlcLoad(data, n, &anim) != XFLC_OK) return 0;
  xFlcSelect(&anim);
  // The header's frame count may lie; the walk stops at the end of the data (an
  // all-zero header) and never takes more than 4096 blocks.
  for (int32_t pass = 0; pass < 2; pass++) {
    for (int32_t i = 0; i < 4096; i++) {
      xFlcFrameHeader fh;
      xFlcReadFrameHeader(&fh);
      if (fh.size == 0 && fh.type == 0) break;
      xFlcDecodeFrame(&fh);
    }
    xFlcRewind();
  }
  xFlcFree(&anim);
  return 0;
}
}  // namespace qvfuzz_flc
