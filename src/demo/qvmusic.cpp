#include "demo/qvmusic.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <vector>

#include "demo/qvcapout.h"
#include "demo/qvdemo.h"
#include "file/xfile.h"

std::unique_ptr<openmpt::module> qvMusicOpen(const char* path, bool ramp, bool loop) {
  xFile disk(0);
  xFileData fd = {nullptr, 0, nullptr};
  if (disk.Read(path, &fd) != XFILE_OK) return nullptr;
  std::unique_ptr<openmpt::module> mod;
  try {
    // The replayer's own messages (warnings, why a file is not a module) are not ours to print.
    std::ostringstream quiet;
    mod = std::make_unique<openmpt::module>(fd.data, (std::size_t)fd.size, quiet);
    mod->set_repeat_count(loop ? -1 : 0);
    // -1 is the replayer's default ramp, 0 switches ramping off.
    mod->set_render_param(openmpt::module::RENDER_VOLUMERAMPING_STRENGTH, ramp ? -1 : 0);
    // Dither noise is random: without it the samples repeat exactly.
    mod->ctl_set_integer("dither", 0);
  } catch (...) {
    mod.reset();
  }
  disk.Free(&fd);
  return mod;
}

uint32_t qvMusicRowMs(const char* path) {
  std::unique_ptr<openmpt::module> mod = qvMusicOpen(path, false, false);
  int32_t speed = mod ? mod->get_current_speed() : 0, tempo = mod ? mod->get_current_tempo() : 0;
  if (speed <= 0 || tempo <= 0) return 120;
  return (uint32_t)((2500 * speed + tempo / 2) / tempo);
}

double qvMusicEndSeconds(openmpt::module& mod) {
  double end = mod.set_position_order_row(QV_END_ORDER, 0);
  mod.set_position_order_row(0, 0);
  return end;
}

void qvMusicFade(int16_t* frames, size_t count, int32_t rate, double at, double end) {
  const double stop = end - 0.2, start = stop - 1.8;
  // A module without the end order (end 0) plays as it is.
  if (end <= 0 || at + (double)count / rate <= start) return;
  for (size_t i = 0; i < count; i++) {
    double t = at + (double)i / rate;
    // Squared: the level falls evenly to the ear rather than hanging on and dropping at the end.
    double g = t <= start ? 1 : t >= stop ? 0 : (stop - t) / (stop - start);
    g *= g;
    frames[2 * i] = (int16_t)std::lrint(frames[2 * i] * g);
    frames[2 * i + 1] = (int16_t)std::lrint(frames[2 * i + 1] * g);
  }
}

bool qvMusicRenderWav(const char* modulePath, int32_t startOrder, uint64_t frames, const char* wavPath) {
  std::unique_ptr<openmpt::module> mod = qvMusicOpen(modulePath, true, true);
  if (!mod) return false;
  // Seconds of the sample frames since the start order: exact to the frame, past a loop too.
  const double end = qvMusicEndSeconds(*mod), base = mod->set_position_order_row(startOrder, 0);
  QvWavWriter wav;
  if (!wav.Begin(wavPath, 44100)) return false;
  std::vector<int16_t> buf(4096 * 2);
  bool ok = true;
  for (uint64_t done = 0; done < frames && ok;) {
    size_t n = frames - done < 4096 ? (size_t)(frames - done) : 4096;
    size_t got = mod->read_interleaved_stereo(44100, n, buf.data());
    if (got < n) std::fill(buf.begin() + (ptrdiff_t)got * 2, buf.begin() + (ptrdiff_t)n * 2, 0);
    qvMusicFade(buf.data(), n, 44100, base + (double)done / 44100, end);
    ok = wav.Append(buf.data(), (uint32_t)n);
    done += n;
  }
  return wav.Finish() && ok;
}

uint64_t qvMusicSpanMs(const char* path, int32_t from, int32_t to) {
  std::unique_ptr<openmpt::module> mod = qvMusicOpen(path, false, false);
  if (!mod) return 0;
  double a = mod->set_position_order_row(from, 0), b = mod->set_position_order_row(to, 0);
  return b > a ? (uint64_t)((b - a) * 1000 + 0.5) : 0;
}
