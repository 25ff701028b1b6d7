// Small deterministic synthesiser for the music's instruments. Only +, -, *, /
// and floor are used on doubles (no libm), so every build computes the same bits.
#pragma once
#include <cstdint>
#include <vector>

double musSin(double x);  // radians, any range; error below 1e-10
double musExp(double x);  // |x| < 700
inline double musExp2(double x) { return musExp(x * 0.6931471805599453); }
// Hz of a MIDI note number (69 = A4 = 440 Hz).
inline double musMidiHz(double midi) { return 440.0 * musExp2((midi - 69.0) / 12.0); }

// xorshift32 white noise in [-1, 1).
struct MusNoise {
  uint32_t s = 0x9e3779b9u;
  double next() {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return (double)s / 2147483648.0 - 1.0;
  }
};

// Two-pole state-variable filter (trapezoidal); set() may be called every sample.
struct MusSvf {
  double a1 = 0, a2 = 0, a3 = 0, k = 1, ic1 = 0, ic2 = 0;
  double low = 0, band = 0, high = 0;
  void set(double cutoffHz, double q, double rate);
  void run(double x);
};

// A rendered instrument: 16-bit PCM at `rate` Hz whose natural pitch is `baseMidi`
// (the note a tracker plays when it replays the sample at `rate`).
struct MusInstrument {
  const char* name;
  const char* fileName;
  std::vector<int16_t> pcm;
  bool loop = false;
  uint32_t loopStart = 0, loopEnd = 0;
  uint32_t rate = 0;
  int baseMidi = 60;
};

// A pitched tone built from harmonics of one period of `period` samples, so a
// loop of whole periods joins without a click. With `detune` > 0 a second and
// third oscillator run at (detune +- 1) / detune of the pitch and the loop spans
// `detune` periods, over which all of them repeat exactly.
struct MusToneSpec {
  int baseMidi;                   // pitch of one period
  int period;                     // samples per period; the sample rate is pitch x period
  int detune;                     // 0 = one oscillator
  int voices;                     // 1..3 when detuned
  double saw;                     // 1 = sawtooth, 0 = square, between = a mix
  double fundBoost;               // extra weight of the first harmonic
  double cutEnd;                  // low-pass cut-off (Hz) the tone settles on
  double cutOctaves;              // it starts this many octaves higher...
  double cutTime;                 // ...and glides down exponentially over this many seconds
  double attack, decay, sustain;  // s, time constant in s, level 0..1
  double length;                  // seconds before the loop (or the whole tone when not looped)
  bool loop;
};
MusInstrument musTone(const char* name, const char* file, const MusToneSpec& tone);

MusInstrument musKick();
MusInstrument musSnare();
MusInstrument musHat(bool open);
MusInstrument musCrash();
MusInstrument musRiser(double seconds);  // rises over exactly `seconds` at its natural rate

// Scales to the given peak (fraction of full scale) and rounds to 16 bits.
std::vector<int16_t> musQuantise(const std::vector<double>& x, double peak);
