// Writers of a capture: YUV4MPEG2 video (4:2:0, BT.601 limited range) of the 320x240 frame
// buffer scaled by a whole factor onto a canvas, and 16-bit stereo WAV audio.
#pragma once
#include <cstdint>
#include <cstdio>
#include <vector>

// Where the 320x240 picture lands on the output canvas.
struct QvCanvas {
  int32_t width, height;  // even, at least 320x240
  int32_t scale;          // whole factor, at least 1: of the picture, or of the blow-up before smoothing
  int32_t left, top;      // offset of the picture (even)
  int32_t picW, picH;     // size of the picture on the canvas: 320 x scale by 240 x scale unless smoothed
};
// Canvas for --capture-scale K (K >= 1) or --capture-size WxH (the largest whole scale that
// fits, centred on black). False when the size cannot hold the picture once.
bool qvCanvasForScale(int32_t scale, QvCanvas* canvas);
bool qvCanvasForSize(int32_t width, int32_t height, QvCanvas* canvas);
// The sharp canvas for WxH: the largest 4:3 picture that fits (e.g. 1440x1080 in 1920x1080),
// made by a blow-up to the next whole multiple (each pixel a block) smoothed down to that size,
// so that every pixel keeps one width. A size that is a whole multiple gives plain blocks.
bool qvCanvasSharp(int32_t width, int32_t height, QvCanvas* canvas);

// A YUV4MPEG2 stream: header once, then one FRAME per call. The conversion tables are built
// from the canvas once; each frame costs one pass over the canvas.
class QvY4mWriter {
 public:
  // fpsNum/fpsDen frames per second. The file is written through `out` (a file or a pipe).
  bool Begin(FILE* out, const QvCanvas& canvas, uint32_t fpsNum, uint32_t fpsDen);
  // 0x00RRGGBB pixels of the 320x240 frame buffer. False when the write fails.
  bool Frame(const uint32_t* pixels);

 private:
  void FrameBlocks(const uint32_t* pixels);  // each pixel a scale x scale block
  void FrameSmooth(const uint32_t* pixels);  // blown up, then smoothed to picW x picH
  void Smooth(const uint32_t* pixels);       // the picture into rgb_
  FILE* out_ = nullptr;
  QvCanvas c_{};
  std::vector<uint8_t> y_, u_, v_;  // one frame's planes
  // Smoothing: per picture column / row, the two source pixels and the weight of the second (0..256).
  std::vector<int32_t> colA_, colB_, colW_, rowA_, rowB_, rowW_;
  std::vector<uint32_t> rgb_;  // the smoothed picture
};

// Y, Cb, Cr of one pixel in BT.601 limited range (Y 16..235, C 16..240), rounded to nearest.
void qvRgbToYuv601(uint32_t rgb, uint8_t* y, uint8_t* cb, uint8_t* cr);

// A 44.1 kHz 16-bit stereo WAV file whose sizes are filled in by Finish (or kept right after
// every Append, so that a file cut short by an interrupt still plays).
class QvWavWriter {
 public:
  bool Begin(const char* path, int32_t rate);
  bool Append(const int16_t* frames, uint32_t count);  // interleaved left, right
  bool Finish();
  uint32_t Frames() const { return frames_; }

 private:
  bool WriteHeader();
  FILE* f_ = nullptr;
  int32_t rate_ = 44100;
  uint32_t frames_ = 0;
};
