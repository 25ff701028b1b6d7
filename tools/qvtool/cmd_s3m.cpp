// qvtool s3m FILE [--wav OUT.wav [--orders A-B]]
// Prints an S3M module's header facts and, played through libopenmpt, the time
// each order starts with its peak and RMS level; or renders it to a WAV file.
#include <libopenmpt/libopenmpt.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/qvbytes.h"
#include "qvtool/qvtool.h"
#include "qvtool/qvutil.h"

namespace {

constexpr int32_t kRate = 44100;  // the presentation's output rate
constexpr size_t kChunk = 16;     // frames per read: order starts are found to 16 frames (0.4 ms)
constexpr size_t kMaxFile = 64u << 20;

struct S3mFacts {
  std::string title;
  int orders = 0;      // playable entries of the order list (markers and the end skipped)
  int orderSlots = 0;  // entries stored
  int patterns = 0, instruments = 0, speed = 0, tempo = 0, channels = 0;
  std::vector<int> orderList;  // pattern per order slot (254 marker, 255 end)
};

// The fixed header and the order list; false when the bytes are not an S3M module.
bool parseHeader(const std::vector<uint8_t>& b, S3mFacts* h, std::string* why) {
  if (b.size() < 0x60 || std::memcmp(&b[0x2c], "SCRM", 4) != 0 || b[0x1d] != 16) {
    *why = "not an S3M module";
    return false;
  }
  auto u16 = [&](size_t at) { return qvLe16(&b[at]); };
  for (int i = 0; i < 28 && b[(size_t)i]; i++)
    h->title += (b[(size_t)i] >= 32 && b[(size_t)i] < 127) ? (char)b[(size_t)i] : '?';
  h->orderSlots = u16(0x20);
  h->instruments = u16(0x22);
  h->patterns = u16(0x24);
  h->speed = b[0x31];
  h->tempo = b[0x32];
  for (int c = 0; c < 32; c++)
    if (b[0x40 + (size_t)c] < 16) h->channels++;  // PCM channels L1..R8 that are switched on
  if (h->orderSlots > 256 ||
      0x60u + (size_t)h->orderSlots + 2u * ((size_t)h->instruments + (size_t)h->patterns) > b.size()) {
    *why = "header lists more orders, instruments or patterns than the file holds";
    return false;
  }
  for (int i = 0; i < h->orderSlots; i++) {
    int p = b[0x60 + (size_t)i];
    h->orderList.push_back(p);
    if (p < 254) h->orders++;
  }
  return true;
}

struct OrderStat {
  int order;
  double start;  // seconds
  double peak, sumSq;
  size_t frames;
};

openmpt_module* loadModule(const std::vector<uint8_t>& b, std::string* why) {
  int err = 0;
  const char* msg = nullptr;
  openmpt_module* m = openmpt_module_create_from_memory2(b.data(), b.size(), openmpt_log_func_silent, nullptr,
                                                         openmpt_error_func_store, nullptr, &err, &msg, nullptr);
  if (!m) *why = msg ? msg : "libopenmpt cannot load it";
  if (msg) openmpt_free_string(msg);
  return m;
}

// Plays from order `first` until it leaves [first, last] (or the song ends),
// collecting each order's start and levels and, when `pcm` is given, the audio.
void play(openmpt_module* m, int first, int last, std::vector<OrderStat>* stats, std::vector<float>* pcm) {
  openmpt_module_set_repeat_count(m, 0);
  if (first > 0) openmpt_module_set_position_order_row(m, first, 0);
  float buf[kChunk * 2];
  size_t frame = 0;
  int cur = -1;
  for (;;) {
    size_t n = openmpt_module_read_interleaved_float_stereo(m, kRate, kChunk, buf);
    if (n == 0) break;
    int o = openmpt_module_get_current_order(m);
    if (o < first || o > last || o < cur) break;  // left the range, or wrapped to the start
    if (o != cur) {
      stats->push_back({o, (double)frame / kRate, 0, 0, 0});
      cur = o;
    }
    OrderStat& s = stats->back();
    for (size_t i = 0; i < 2 * n; i++) {
      double v = buf[i];
      s.peak = std::fmax(s.peak, std::fabs(v));
      s.sumSq += v * v;
    }
    s.frames += n;
    if (pcm) pcm->insert(pcm->end(), buf, buf + 2 * n);
    frame += n;
  }
}

double dbfs(double v) { return v > 1e-9 ? 20 * std::log10(v) : -180.0; }

std::string clock(double s) {
  char t[32];
  int ms = (int)std::floor(s * 1000 + 0.5);
  std::snprintf(t, sizeof t, "%d:%02d.%03d", ms / 60000, ms / 1000 % 60, ms % 1000);
  return t;
}

bool writeWav(const char* path, const std::vector<float>& pcm) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  uint32_t bytes = (uint32_t)(pcm.size() * 2);
  uint8_t h[44];
  auto p32 = [&](int at, uint32_t v) {
    for (int i = 0; i < 4; i++) h[at + i] = (uint8_t)(v >> (8 * i));
  };
  auto p16 = [&](int at, uint32_t v) { h[at] = (uint8_t)v, h[at + 1] = (uint8_t)(v >> 8); };
  std::memcpy(h, "RIFF", 4);
  p32(4, 36 + bytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  p32(16, 16);
  p16(20, 1);  // PCM
  p16(22, 2);
  p32(24, kRate);
  p32(28, kRate * 4);
  p16(32, 4);
  p16(34, 16);
  std::memcpy(h + 36, "data", 4);
  p32(40, bytes);
  bool ok = std::fwrite(h, 1, 44, f) == 44;
  std::vector<uint8_t> out(bytes);
  for (size_t i = 0; i < pcm.size(); i++) {
    double v = std::floor((double)pcm[i] * 32767.0 + 0.5);  // clipped, as a sound card would
    int16_t s = (int16_t)(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
    out[2 * i] = (uint8_t)s;
    out[2 * i + 1] = (uint8_t)((uint16_t)s >> 8);
  }
  // Orders that play nothing (markers only) give a valid WAV file without samples.
  if (!out.empty()) ok = ok && std::fwrite(out.data(), 1, out.size(), f) == out.size();
  ok = std::fclose(f) == 0 && ok;
  return ok;
}

int usage() {
  std::fprintf(stderr, "usage: qvtool s3m FILE [--wav OUT.wav [--orders A-B]]\n");
  return 2;
}

}  // namespace

int qvCmdS3m(int argc, char** argv) {
  const char* file = nullptr;
  const char* wav = nullptr;
  int first = 0, last = -1;
  bool haveRange = false;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "--wav") && i + 1 < argc) wav = argv[++i];
    else if (!std::strcmp(argv[i], "--orders") && i + 1 < argc) {
      int32_t r[2];
      if (!qvParseInts(argv[++i], r, 2, '-') || r[0] < 0 || r[1] < r[0] || r[1] > 255) return usage();
      first = r[0], last = r[1], haveRange = true;
    } else if (argv[i][0] == '-' || file) return usage();
    else file = argv[i];
  }
  if (!file || (haveRange && !wav)) return usage();

  std::vector<uint8_t> bytes;
  if (!qvReadWholeFile(file, &bytes, kMaxFile)) return qvFileError("s3m", "read", file, qvReadWhy(file, "too large"));
  S3mFacts h;
  std::string why;
  if (!parseHeader(bytes, &h, &why)) {
    std::fprintf(stderr, "qvtool s3m: %s: %s\n", file, why.c_str());
    return 1;
  }
  openmpt_module* m = loadModule(bytes, &why);
  if (!m) {
    std::fprintf(stderr, "qvtool s3m: %s: %s\n", file, why.c_str());
    return 1;
  }
  int numOrders = openmpt_module_get_num_orders(m);
  if (last < 0) last = numOrders - 1;
  if (first >= numOrders || last >= numOrders) {
    std::fprintf(stderr, "qvtool s3m: %s: orders %d-%d outside 0-%d\n", file, first, last, numOrders - 1);
    openmpt_module_destroy(m);
    return 1;
  }
  std::vector<OrderStat> stats;
  std::vector<float> pcm;
  play(m, first, last, &stats, wav ? &pcm : nullptr);
  openmpt_module_destroy(m);

  if (wav) {
    errno = 0;
    if (!writeWav(wav, pcm)) return qvFileError("s3m", "write", wav, qvErrnoText());
    std::printf("%s: orders %d-%d, %s, %zu frames at %d Hz\n", wav, first, last,
                clock((double)pcm.size() / 2 / kRate).c_str(), pcm.size() / 2, kRate);
    return 0;
  }
  std::printf("title:       %s\norders:      %d\npatterns:    %d\ninstruments: %d\n", h.title.c_str(), h.orders,
              h.patterns, h.instruments);
  std::printf("speed:       %d\ntempo:       %d\nchannels:    %d\n", h.speed, h.tempo, h.channels);
  std::printf("order  pattern  start       peak dBFS  rms dBFS\n");
  double end = 0;
  for (const OrderStat& s : stats) {
    int pat = s.order < (int)h.orderList.size() ? h.orderList[(size_t)s.order] : -1;
    double rms = s.frames ? std::sqrt(s.sumSq / (2.0 * s.frames)) : 0;
    std::printf("%5d  %7d  %-10s  %9.1f  %8.1f\n", s.order, pat, clock(s.start).c_str(), dbfs(s.peak), dbfs(rms));
    end = s.start + (double)s.frames / kRate;
  }
  std::printf("length:      %s\n", clock(end).c_str());
  return 0;
}
