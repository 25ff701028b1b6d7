// Capture of the whole presentation to video: headless and deterministic at a fixed frame
// rate, to OUT.y4m + OUT.wav, or streamed into ffmpeg for OUT.mp4, OUT.mkv or OUT.webm.
#pragma once
#include <cstdint>

struct qvOptions;

struct QvCaptureSettings {
  const char* out;  // OUT (y4m + wav) or a file name ending in .mp4, .mkv, .webm
  uint32_t fpsNum, fpsDen;
  int32_t scale;          // --capture-scale (0 = not given)
  int32_t width, height;  // --capture-size (0 = not given)
  bool nearest;           // --capture-filter nearest: plain blocks at the largest whole scale
  bool overwrite;         // --overwrite: existing files may be replaced
};

// Parses "N" or "N/D" (1..1000 frames per second); false when malformed.
bool qvParseFps(const char* text, uint32_t* num, uint32_t* den);
// Parses "WxH"; false when malformed.
bool qvParseSize(const char* text, int32_t* width, int32_t* height);

// Prepares the outputs before the start-up (false with a one-line reason: bad settings, a start
// with nothing to capture, an unknown extension, a missing folder, an existing file without
// --overwrite, no ffmpeg for a video file, a file that cannot be created); the frames are taken from the
// first frame of the presentation on. qvCaptureFinish completes the files after the run and
// prints the summary; false when something could not be written.
bool qvCaptureBegin(const QvCaptureSettings& settings, int32_t startOrder, char* err, int32_t errSize);
bool qvCaptureFinish();
// True after a signal (Ctrl+C, SIGTERM, SIGHUP) stopped the capture after a whole frame; the
// program then ends with 128 + the signal (130, 143, 129).
bool qvCaptureInterrupted();
// The refresh the headless display runs at while capturing (frames per second num/den).
void qvCaptureRefresh(uint32_t* num, uint32_t* den);
