// The audio component. The module is rendered by the platform's audio fill: on the device's own
// thread (sdl) or in lockstep with the virtual clock (headless). Without a device (none found, or
// muted) the main thread renders it silently, as far as the clock has run while started, so the
// position advances in real time all the same.
#include "demo/qvbass.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "demo/qvmusic.h"
#include "system/xerror.h"
#include "system/xlog.h"

namespace {

enum : int32_t { kSlice = 256, kHistory = 64 };  // 5.8 ms slices at 44.1 kHz; 370 ms kept

// Everything the fill touches, under one lock. libopenmpt objects are not thread-safe: the module
// is only ever used with the lock held. The fill never waits for it (see qaFill); readers of the
// position do not take it (QaPublished).
struct QaShared {
  std::mutex lock;
  std::unique_ptr<openmpt::module> mod;
  int32_t rate = 44100;
  int32_t queued = 0;   // frames the device still holds after a fill: heard that much later
  uint32_t handle = 0;  // of the loaded module, 0: none
  bool playing = false;
  bool loop = true;
  uint64_t rendered = 0;    // frames rendered since the last play or move
  double startSeconds = 0;  // the module's time at the last play or move (the ending's fade)
  double endSeconds = 0;    // the module's time at the presentation's end order
  // Position after each of the newest slices: entry i holds (frames rendered, order | row << 16).
  uint64_t histFrame[kHistory];
  uint32_t histPos[kHistory];
  uint32_t histCount = 0;  // entries written since the last play or move
};
QaShared qa;

// What readers see without the lock: frames rendered and the position heard now, written under
// the lock after every fill and move, behind a sequence count (odd while a write is under way).
struct QaPublished {
  std::atomic<uint32_t> seq{0};
  std::atomic<uint64_t> frames{0};
  std::atomic<uint32_t> pos{0};
};
QaPublished qaPub;

// The level applied to what is rendered, in 1/256 (256: unchanged); read by the fill's thread.
std::atomic<int32_t> qaGain{256};

// Main thread only.
bool qaInit = false, qaDevice = false, qaMute = false, qaStarted = false, qaExitHook = false;
uint32_t qaNextHandle = 1;
uint32_t qaSilentTick = 0;  // silent play: clock at the last catch-up
uint64_t qaSilentMs = 0;    // ms played since the last play or move

// ---- Under the lock -------------------------------------------------------------------

uint32_t qaModulePos() { return (uint32_t)qa.mod->get_current_order() | (uint32_t)qa.mod->get_current_row() << 16; }

uint32_t qaOrderRow(uint32_t pos) { return (pos & 0xffff) << 16 | pos >> 16; }

void qaRecord() {
  uint32_t pos = qaModulePos();
  // Played once, the replayer reports the start again while its last notes die away: the
  // position stays at the end instead.
  if (!qa.loop && qa.histCount) {
    uint32_t last = qa.histPos[(qa.histCount - 1) % kHistory];
    if (qaOrderRow(pos) < qaOrderRow(last)) pos = last;
  }
  uint32_t i = qa.histCount++ % kHistory;
  qa.histFrame[i] = qa.rendered;
  qa.histPos[i] = pos;
}

uint32_t qaHeardPos();

// Under the lock, after the state changed. The fences order the data stores between the two
// counts for a reader that checks the count before and after (the usual sequence lock).
void qaPublish() {
  uint32_t s = qaPub.seq.load(std::memory_order_relaxed);
  qaPub.seq.store(s + 1, std::memory_order_relaxed);
  std::atomic_thread_fence(std::memory_order_release);
  qaPub.frames.store(qa.rendered, std::memory_order_relaxed);
  qaPub.pos.store(qaHeardPos(), std::memory_order_relaxed);
  qaPub.seq.store(s + 2, std::memory_order_release);
}

// Without the lock: retries only while a write is under way (a few stores).
void qaReadPublished(uint64_t* frames, uint32_t* pos) {
  for (;;) {
    uint32_t s = qaPub.seq.load(std::memory_order_acquire);
    uint64_t f = qaPub.frames.load(std::memory_order_relaxed);
    uint32_t p = qaPub.pos.load(std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_acquire);
    if (!(s & 1) && qaPub.seq.load(std::memory_order_relaxed) == s) {
      if (frames) *frames = f;
      if (pos) *pos = p;
      return;
    }
  }
}

// Back to a new start: nothing rendered, the position is where the module stands.
void qaRestart() {
  qa.rendered = 0;
  qa.histCount = 0;
  qaRecord();
  qaPublish();
}

void qaRenderSlices(int16_t* out, int32_t frames) {
  while (frames > 0) {
    int32_t n = frames < kSlice ? frames : kSlice;
    size_t got = qa.mod->read_interleaved_stereo(qa.rate, (size_t)n, out);
    // A module played once has ended: silence.
    if (got < (size_t)n) std::memset(out + got * 2, 0, ((size_t)n - got) * 4);
    qvMusicFade(out, (size_t)n, qa.rate, qa.startSeconds + (double)qa.rendered / qa.rate, qa.endSeconds);
    qa.rendered += (uint64_t)n;
    qaRecord();
    out += n * 2;
    frames -= n;
  }
}

void qaRender(int16_t* out, int32_t frames) {
  if (!qa.mod || !qa.playing) {
    std::memset(out, 0, (size_t)frames * 4);
    return;
  }
  qaRenderSlices(out, frames);
  int32_t gain = qaGain.load(std::memory_order_relaxed);
  if (gain != 256)
    for (int32_t i = 0; i < frames * 2; i++) out[i] = (int16_t)(out[i] * gain / 256);
  qaPublish();
}

// The position of the frame heard now: the newest slice end at or before it.
uint32_t qaHeardPos() {
  if (!qa.histCount) return 0;
  uint64_t heard = qa.rendered > (uint64_t)qa.queued ? qa.rendered - (uint64_t)qa.queued : 0;
  uint32_t kept = qa.histCount < (uint32_t)kHistory ? qa.histCount : (uint32_t)kHistory, pos = 0;
  for (uint32_t k = 1; k <= kept; k++) {
    uint32_t i = (qa.histCount - k) % kHistory;
    pos = qa.histPos[i];
    if (qa.histFrame[i] <= heard) break;
  }
  return pos;
}

// ---- Device and clock -------------------------------------------------------------------

// The device's thread never waits for the main thread: while a move holds the lock, this buffer
// is silence and the position holds (a move is a jump in the music anyway).
void qaFill(void*, int16_t* out, int32_t frames) {
  std::unique_lock<std::mutex> g(qa.lock, std::try_to_lock);
  if (!g.owns_lock()) {
    std::memset(out, 0, (size_t)frames * 4);
    return;
  }
  qaRender(out, frames);
}

// Silent play: render what the clock has played since the last call. Reads the clock before
// taking the lock (the headless clock may call a fill).
void qaSilentCatchUp() {
  if (qaDevice) return;
  uint32_t now = platPeekTickCount();
  if (qaStarted) qaSilentMs += now - qaSilentTick;
  qaSilentTick = now;
  static int16_t scratch[2 * 1024];
  std::lock_guard<std::mutex> g(qa.lock);
  if (!qa.playing) return;
  for (uint64_t due = qaSilentMs * (uint64_t)qa.rate / 1000; qa.rendered < due;) {
    int32_t n = due - qa.rendered < 1024 ? (int32_t)(due - qa.rendered) : 1024;
    qaRender(scratch, n);
  }
}

void qaAtExit() { BASS_Free(); }

}  // namespace

int32_t BASS_Init(int32_t, uint32_t freq, uint32_t, WlHwnd) {
  if (qaInit) return 0;
  qaInit = true;
  qaStarted = false;
  qaDevice = false;
  qaSilentTick = platPeekTickCount();
  {
    std::lock_guard<std::mutex> g(qa.lock);
    qa.rate = freq >= 8000 && freq <= 192000 ? (int32_t)freq : 44100;
    qa.queued = 0;
  }
  if (!qaExitHook) {
    qaExitHook = true;
    std::atexit(qaAtExit);
  }
  if (qaMute) {
    xLog.Print("audio: muted, the music plays silently");
    return 1;
  }
  PlatAudioInfo info;
  qaDevice = platAudioOpen(qa.rate, qaFill, nullptr, &info);
  if (!qaDevice) {
    // One line of the program's own on the terminal (the audio libraries' own are kept out of it).
    std::string line =
        xFormat("no sound device: %s; the music plays silently", info.reason[0] ? info.reason : "none found");
    xLog.Print(("audio: " + line).c_str());
    std::fprintf(stderr, "quorvane: %s\n", line.c_str());
    return 0;
  }
  // The device was opened paused: no fill has run yet.
  std::lock_guard<std::mutex> g(qa.lock);
  qa.queued = info.queuedFrames;
  return 1;
}

int32_t BASS_Start() {
  qaSilentCatchUp();
  qaStarted = true;
  if (qaDevice) platAudioPause(false);
  return 1;
}

int32_t BASS_Pause() {
  qaSilentCatchUp();
  qaStarted = false;
  if (qaDevice) platAudioPause(true);
  return 1;
}

uint32_t BASS_MusicLoad(int32_t mem, const char* file, uint32_t offset, uint32_t length, uint32_t flags) {
  if (mem || !file || offset || length) return 0;
  std::unique_ptr<openmpt::module> mod = qvMusicOpen(file, flags & BASS_MUSIC_RAMP, flags & BASS_MUSIC_LOOP);
  if (!mod) return 0;
  double end = qvMusicEndSeconds(*mod);
  {
    std::lock_guard<std::mutex> g(qa.lock);
    qa.mod.swap(mod);
    qa.startSeconds = 0;
    qa.endSeconds = end;
    qa.handle = qaNextHandle++;
    qa.loop = flags & BASS_MUSIC_LOOP;
    qa.playing = false;
    qa.rendered = 0;
    qa.histCount = 0;
    qaPublish();
  }
  // The module replaced, if any, is freed outside the lock.
  mod.reset();
  return qa.handle;
}

// Every move of the module (play from the start, start order, loop): the replayer set to the
// position under the lock, the counts started afresh and published at once.
static int32_t qaMove(uint32_t handle, uint32_t position, bool play) {
  qaSilentCatchUp();
  std::lock_guard<std::mutex> g(qa.lock);
  if (!handle || handle != qa.handle) return 0;
  qa.startSeconds = qa.mod->set_position_order_row((int32_t)(position & 0xffff), (int32_t)(position >> 16));
  if (play) qa.playing = true;
  qaRestart();
  qaSilentMs = 0;
  return 1;
}

int32_t BASS_MusicPlay(uint32_t handle) { return qaMove(handle, 0, true); }

int32_t BASS_ChannelSetPosition(uint32_t handle, uint32_t position) { return qaMove(handle, position, false); }

// qa.handle is only written by this (the main) thread: read without the lock.
uint32_t BASS_ChannelGetPosition(uint32_t handle) {
  qaSilentCatchUp();
  if (!handle || handle != qa.handle) return 0xffffffffu;
  uint32_t pos = 0;
  qaReadPublished(nullptr, &pos);
  return pos;
}

void BASS_Free() {
  // Closing joins the device's thread: after it no fill runs.
  if (qaDevice) platAudioClose();
  qaDevice = false;
  qaInit = false;
  qaStarted = false;
  std::unique_ptr<openmpt::module> mod;
  {
    std::lock_guard<std::mutex> g(qa.lock);
    qa.mod.swap(mod);
    qa.handle = 0;
    qa.playing = false;
    qa.rendered = 0;
    qa.histCount = 0;
    qaPublish();
  }
}

void qvAudioSetMute(bool mute) { qaMute = mute; }
bool qvAudioHasDevice() { return qaDevice; }

void qvAudioSetVolume(int32_t percent) {
  percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  qaGain.store(percent * 256 / 100, std::memory_order_relaxed);
}

uint64_t qvAudioFramesRendered() {
  uint64_t frames = 0;
  qaReadPublished(&frames, nullptr);
  return frames;
}
