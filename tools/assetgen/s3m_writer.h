// Scream Tracker 3 module writer: the in-memory song and its file image.
// Samples are 16-bit mono PCM; patterns are 64 rows of up to 16 channels.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int kS3mRows = 64;
constexpr int kS3mMaxChannels = 16;
constexpr uint8_t kS3mNoNote = 255;
constexpr uint8_t kS3mNoteCut = 254;
constexpr uint8_t kS3mNoVolume = 255;

// Effect letters as stored (A = 1 ... Z = 26).
enum : uint8_t {
  kS3mFxSpeed = 'A' - 64,      // Axx set speed (ticks per row)
  kS3mFxBreak = 'C' - 64,      // Cxx pattern break (row in BCD)
  kS3mFxVolSlide = 'D' - 64,   // Dxy volume slide
  kS3mFxTonePorta = 'G' - 64,  // Gxx tone portamento
  kS3mFxVibrato = 'H' - 64,    // Hxy vibrato
  kS3mFxArpeggio = 'J' - 64,   // Jxy arpeggio
  kS3mFxOffset = 'O' - 64,     // Oxx sample offset (xx * 256 samples)
  kS3mFxTempo = 'T' - 64,      // Txx set tempo (BPM)
};

struct S3mCell {
  uint8_t note = kS3mNoNote;   // (octave << 4) | semitone, kS3mNoNote or kS3mNoteCut
  uint8_t ins = 0;             // 1-based instrument, 0 = none
  uint8_t vol = kS3mNoVolume;  // 0..64 or kS3mNoVolume
  uint8_t cmd = 0;             // effect letter (1..26), 0 = none
  uint8_t info = 0;
  bool empty() const { return note == kS3mNoNote && ins == 0 && vol == kS3mNoVolume && cmd == 0; }
};

struct S3mPattern {
  S3mCell cell[kS3mRows][kS3mMaxChannels];
};

struct S3mSample {
  std::string name;      // up to 27 characters
  std::string fileName;  // up to 12 characters
  std::vector<int16_t> pcm;
  bool loop = false;
  uint32_t loopStart = 0;  // in samples; loopEnd is exclusive
  uint32_t loopEnd = 0;
  uint32_t c2spd = 8363;  // playback rate of note C-4 (octave 4, semitone 0), Hz
  uint8_t volume = 64;    // default volume 0..64
};

struct S3mSong {
  std::string title;    // up to 27 characters
  uint8_t speed = 6;    // ticks per row
  uint8_t tempo = 125;  // BPM: a tick lasts 2.5 / tempo seconds
  uint8_t globalVolume = 64;
  uint8_t masterVolume = 48;          // 16..127; written with the stereo bit set
  int channels = 0;                   // 1..16
  uint8_t pan[kS3mMaxChannels] = {};  // 0 (left) .. 15 (right)
  std::vector<uint8_t> orders;        // pattern numbers in play order
  std::vector<S3mSample> samples;
  std::vector<S3mPattern> patterns;
};

// Packs one pattern: a 16-bit length (counting itself) and 64 rows, each
// ended by a zero byte.
std::vector<uint8_t> s3mPackPattern(const S3mPattern& pat, int channels);

// The whole file image. Returns false with a reason in *err when the song
// cannot be stored (too many channels, orders, samples or bytes).
bool s3mWrite(const S3mSong& song, std::vector<uint8_t>* out, std::string* err);

// Note byte of a semitone number counted from C-0 (0..95).
inline uint8_t s3mNote(int semis) { return (uint8_t)(((semis / 12) << 4) | (semis % 12)); }
