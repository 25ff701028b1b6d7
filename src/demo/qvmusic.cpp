#include "demo/qvmusic.h"

#include <libopenmpt/libopenmpt.hpp>

#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "demo/qvcapout.h"

bool qvMusicRenderWav(const char* modulePath, int32_t startOrder, uint64_t frames, const char* wavPath) {
  std::ifstream in(modulePath, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.empty()) return false;
  std::unique_ptr<openmpt::module> mod;
  try {
    mod = std::make_unique<openmpt::module>(bytes.data(), bytes.size());
  } catch (...) {
    return false;
  }
  mod->set_repeat_count(-1);
  // No dither: its noise is random, and two renderings must give the same bytes.
  mod->ctl_set_integer("dither", 0);
  if (startOrder) mod->set_position_order_row(startOrder, 0);
  QvWavWriter wav;
  if (!wav.Begin(wavPath, 44100)) return false;
  std::vector<int16_t> buf(4096 * 2);
  bool ok = true;
  for (uint64_t done = 0; done < frames && ok;) {
    size_t n = frames - done < 4096 ? (size_t)(frames - done) : 4096;
    size_t got = mod->read_interleaved_stereo(44100, n, buf.data());
    if (got < n) std::fill(buf.begin() + (ptrdiff_t)got * 2, buf.begin() + (ptrdiff_t)n * 2, 0);
    ok = wav.Append(buf.data(), (uint32_t)n);
    done += n;
  }
  return wav.Finish() && ok;
}
