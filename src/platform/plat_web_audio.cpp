// The web backend's audio device: a Web Audio script processor at the asked rate pulls blocks
// of s16 stereo from the fill (on the page's one thread, between the program's turns) and plays
// them as floats. The page creates Module.qvAudio from its Play button (browsers start sound only
// after a gesture); without it the context is made here and resumed by the next key press.
#include <emscripten.h>

#include <cstdio>
#include <vector>

#include "platform/plat_internal.h"
#include "platform/plat_web.h"

enum : int32_t { WA_BLOCK = 2048 };  // frames per pull: 46 ms at 44100 Hz
static PlatAudioFill waFill = nullptr;
static void* waUser = nullptr;
static bool waPaused = true;
static std::vector<int16_t> waBlock;

// Called by the processor for each block: the frames to play, or null for silence.
extern "C" EMSCRIPTEN_KEEPALIVE const int16_t* platWebAudioPull(int32_t frames) {
  if (!waFill || waPaused) return nullptr;
  waBlock.resize((size_t)frames * 2);
  waFill(waUser, waBlock.data(), frames);
  return waBlock.data();
}

// clang-format off
EM_JS(int32_t, waJsOpen, (int32_t rate, int32_t block), {
  try {
    var ctx = Module['qvAudio'];
    if (!ctx || ctx.sampleRate != rate) {
      ctx = Module['qvAudio'] = new (window.AudioContext || window.webkitAudioContext)({sampleRate: rate});
      var resume = function() { if (ctx.state != 'running') ctx.resume(); };
      window.addEventListener('keydown', resume);
      window.addEventListener('click', resume);
    }
    var node = ctx.createScriptProcessor(block, 0, 2);
    node.onaudioprocess = function(ev) {
      var l = ev.outputBuffer.getChannelData(0), r = ev.outputBuffer.getChannelData(1), n = l.length;
      var p = _platWebAudioPull(n);
      if (!p) { l.fill(0); r.fill(0); return; }
      Module['qvAudioBlocks'] = (Module['qvAudioBlocks'] || 0) + 1;  // played blocks, for the page test
      var s = HEAP16.subarray(p >> 1, (p >> 1) + 2 * n);
      for (var i = 0; i < n; i++) { l[i] = s[2 * i] / 32768; r[i] = s[2 * i + 1] / 32768; }
    };
    node.connect(ctx.destination);
    Module['qvAudioNode'] = node;
    return 1;
  } catch (e) {
    return 0;
  }
});
// What the context adds after a block leaves the processor, in frames at rate (0 when unknown).
EM_JS(int32_t, waJsLatency, (int32_t rate), {
  var ctx = Module['qvAudio'];
  return ctx ? Math.round(((ctx.baseLatency || 0) + (ctx.outputLatency || 0)) * rate) : 0;
});
EM_JS(void, waJsClose, (), {
  var node = Module['qvAudioNode'];
  if (!node) return;
  node.onaudioprocess = null;
  node.disconnect();
  Module['qvAudioNode'] = null;
});
// clang-format on

bool platWebAudioOpen(int32_t rate, PlatAudioFill fill, void* user, PlatAudioInfo* info) {
  platWebAudioClose();
  if (!waJsOpen(rate, WA_BLOCK)) {
    std::snprintf(info->reason, sizeof info->reason, "this browser has no Web Audio at %d Hz", (int)rate);
    return false;
  }
  waFill = fill, waUser = user, waPaused = true;
  // A block is pulled one block ahead of what is heard, plus the context's own latency: the
  // music position then names the sound coming out now.
  info->queuedFrames = WA_BLOCK + waJsLatency(rate);
  return true;
}

void platWebAudioPause(bool pause) { waPaused = pause; }

void platWebAudioClose() {
  waJsClose();
  waFill = nullptr, waUser = nullptr, waPaused = true;
}
