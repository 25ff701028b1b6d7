// Instrument synthesis: additive tones with a gliding low-pass, and drums made
// of swept sines and filtered noise. Everything is computed, nothing sampled.
#include "music_dsp.h"

#include <cmath>

namespace {
constexpr double kPi = 3.141592653589793;

// Soft saturation, a rational tanh for |x| <= 3 (exact at the ends).
double musSoftClip(double x) {
  if (x > 3) x = 3;
  if (x < -3) x = -3;
  return x * (27 + x * x) / (27 + 9 * x * x);
}

// Fades the last `ms` milliseconds to zero so a one-shot ends without a click.
void musFadeTail(std::vector<double>& x, double rate, double ms) {
  size_t n = (size_t)(rate * ms / 1000);
  if (n > x.size()) n = x.size();
  for (size_t i = 0; i < n; i++) x[x.size() - 1 - i] *= (double)i / (double)n;
}
}  // namespace

double musSin(double x) {
  x -= std::floor(x / (2 * kPi) + 0.5) * (2 * kPi);  // now in [-pi, pi]
  if (x > kPi / 2) x = kPi - x;
  else if (x < -kPi / 2) x = -kPi - x;
  // Taylor series to x^19 on [-pi/2, pi/2], Horner form.
  double x2 = x * x, t = 1.0;
  for (int n = 19; n >= 3; n -= 2) t = 1.0 - t * x2 / (double)(n * (n - 1));
  return x * t;
}

double musExp(double x) {
  const double ln2 = 0.6931471805599453;
  double k = std::floor(x / ln2 + 0.5);
  double r = x - k * ln2;  // |r| <= ln2 / 2
  double t = 1.0;
  for (int n = 13; n >= 1; n--) t = 1.0 + t * r / (double)n;
  return std::ldexp(t, (int)k);
}

void MusSvf::set(double cutoffHz, double q, double rate) {
  double w = kPi * cutoffHz / rate;
  double g = musSin(w) / musSin(w + kPi / 2);
  k = 1.0 / q;
  a1 = 1.0 / (1.0 + g * (g + k));
  a2 = g * a1;
  a3 = g * a2;
}

void MusSvf::run(double x) {
  double v3 = x - ic2;
  double v1 = a1 * ic1 + a2 * v3;
  double v2 = ic2 + a2 * ic1 + a3 * v3;
  ic1 = 2 * v1 - ic1;
  ic2 = 2 * v2 - ic2;
  low = v2;
  band = v1;
  high = x - k * v1 - v2;
}

std::vector<int16_t> musQuantise(const std::vector<double>& x, double peak) {
  double m = 0;
  for (double v : x) m = std::fmax(m, std::fabs(v));
  double s = m > 0 ? peak * 32767.0 / m : 0;
  std::vector<int16_t> out(x.size());
  for (size_t i = 0; i < x.size(); i++) {
    double v = std::floor(x[i] * s + 0.5);
    out[i] = (int16_t)(v > 32767 ? 32767 : v < -32767 ? -32767 : v);
  }
  return out;
}

MusInstrument musTone(const char* name, const char* file, const MusToneSpec& sp) {
  MusInstrument ins;
  ins.name = name;
  ins.fileName = file;
  ins.baseMidi = sp.baseMidi;
  ins.rate = (uint32_t)std::floor(musMidiHz(sp.baseMidi) * sp.period + 0.5);
  const double rate = ins.rate, f0 = rate / sp.period;
  const int N = sp.detune > 0 ? sp.detune : 1;
  const int voices = sp.detune > 0 ? sp.voices : 1;
  const int64_t L = (int64_t)sp.period * N;  // samples after which every oscillator repeats
  const int mul[3] = {N, N + 1, N - 1};      // cycles per L of each oscillator, per harmonic
  // Harmonics below half the sample rate, for the sharpest oscillator too.
  int K = sp.detune > 0 ? (int)((sp.period / 2 - 1) * (int64_t)N / (N + 1)) : sp.period / 2 - 1;
  if (K > 96) K = 96;

  std::vector<double> table((size_t)L);
  for (int64_t i = 0; i < L; i++) table[(size_t)i] = musSin(2 * kPi * (double)i / (double)L);
  std::vector<int64_t> idx((size_t)(voices * K)), step((size_t)(voices * K));
  for (int j = 0; j < voices; j++)
    for (int k = 1; k <= K; k++) {
      step[(size_t)(j * K + k - 1)] = (int64_t)k * mul[j] % L;
      idx[(size_t)(j * K + k - 1)] = (int64_t)k * (L * j / 3) % L;  // oscillators start a third apart
    }

  size_t pre = (size_t)std::floor(sp.length * rate + 0.5);
  size_t total = sp.loop ? pre + (size_t)L : pre;
  std::vector<double> x(total);
  std::vector<double> w((size_t)K);
  const double tail = musExp(-(sp.length - sp.attack) / sp.decay);
  for (size_t n0 = 0; n0 < total; n0 += 16) {
    // Harmonic weights for this block: waveform times the low-pass response.
    double t = (double)(n0 < pre ? n0 : pre) / rate;
    double fc = sp.cutEnd;
    if (t < sp.cutTime) fc *= musExp2(sp.cutOctaves * (1.0 - t / sp.cutTime));
    for (int k = 1; k <= K; k++) {
      double a = sp.saw / k + ((k & 1) ? (1.0 - sp.saw) / k : 0.0);
      if (k == 1) a *= 1.0 + sp.fundBoost;
      double r = k * f0 / fc;
      w[(size_t)(k - 1)] = a / std::sqrt(1.0 + r * r * r * r) / voices;
    }
    for (size_t n = n0; n < n0 + 16 && n < total; n++) {
      double s = 0;
      for (int j = 0; j < voices; j++)
        for (int k = 0; k < K; k++) {
          int64_t& p = idx[(size_t)(j * K + k)];
          s += w[(size_t)k] * table[(size_t)p];
          p += step[(size_t)(j * K + k)];
          if (p >= L) p -= L;
        }
      // Envelope: linear attack, then an exponential fall that reaches the
      // sustain level exactly where the loop begins.
      double tn = (double)n / rate, env;
      if (tn < sp.attack) env = tn / sp.attack;
      else if (n >= pre) env = sp.sustain;
      else {
        double e = musExp(-(tn - sp.attack) / sp.decay) - tail;
        env = sp.sustain + (1.0 - sp.sustain) * (e > 0 ? e : 0) / (1.0 - tail);
      }
      x[n] = s * env;
    }
  }
  if (!sp.loop) musFadeTail(x, rate, 8);
  ins.pcm = musQuantise(x, 0.9);
  ins.loop = sp.loop;
  ins.loopStart = (uint32_t)(sp.loop ? pre : 0);
  ins.loopEnd = (uint32_t)(sp.loop ? total : 0);
  return ins;
}

MusInstrument musKick() {
  const double rate = 32000;
  std::vector<double> x((size_t)(rate * 0.5));
  MusNoise noise;
  MusSvf click;
  click.set(3000, 0.7, rate);
  double phase = 0;
  for (size_t n = 0; n < x.size(); n++) {
    double t = n / rate;
    double f = 46 + 125 * musExp(-t / 0.035);  // pitch drops from 171 Hz to 46 Hz
    phase += 2 * kPi * f / rate;
    double amp = (t < 0.001 ? t / 0.001 : 1.0) * musExp(-t / 0.3);
    click.run(noise.next());
    double v = 1.6 * amp * musSin(phase) + 0.5 * click.low * musExp(-t / 0.004);
    x[n] = musSoftClip(v);
  }
  musFadeTail(x, rate, 30);
  return {"Kick", "kick.smp", musQuantise(x, 0.95), false, 0, 0, (uint32_t)rate, 60};
}

MusInstrument musSnare() {
  const double rate = 32000;
  std::vector<double> x((size_t)(rate * 0.35));
  MusNoise noise;
  noise.s = 0x1234567u;
  MusSvf band;
  band.set(3800, 0.8, rate);
  for (size_t n = 0; n < x.size(); n++) {
    double t = n / rate;
    double body =
        0.55 * musSin(2 * kPi * 185 * t) * musExp(-t / 0.05) + 0.3 * musSin(2 * kPi * 330 * t) * musExp(-t / 0.035);
    band.run(noise.next());
    double rattle = (0.8 * band.band + 0.35 * band.high) * musExp(-t / 0.12);
    x[n] = (t < 0.0008 ? t / 0.0008 : 1.0) * (body + rattle);
  }
  musFadeTail(x, rate, 20);
  return {"Snare", "snare.smp", musQuantise(x, 0.9), false, 0, 0, (uint32_t)rate, 60};
}

MusInstrument musHat(bool open) {
  const double rate = 32000;
  std::vector<double> x((size_t)(rate * (open ? 0.7 : 0.15)));
  MusNoise noise;
  noise.s = open ? 0xabcdef1u : 0x7654321u;
  MusSvf hp, bp;
  hp.set(7500, 0.9, rate);
  bp.set(10500, 2.0, rate);
  double tau = open ? 0.22 : 0.028;
  for (size_t n = 0; n < x.size(); n++) {
    double t = n / rate, v = noise.next();
    hp.run(v);
    bp.run(v);
    x[n] = (hp.high + 0.6 * bp.band) * musExp(-t / tau);
  }
  musFadeTail(x, rate, open ? 40 : 10);
  if (open) return {"Open hat", "ohat.smp", musQuantise(x, 0.9), false, 0, 0, (uint32_t)rate, 60};
  return {"Closed hat", "chat.smp", musQuantise(x, 0.9), false, 0, 0, (uint32_t)rate, 60};
}

MusInstrument musCrash() {
  const double rate = 32000;
  std::vector<double> x((size_t)(rate * 2.4));
  MusNoise noise;
  noise.s = 0x5eed5eedu;
  MusSvf hp, bp;
  hp.set(3200, 0.7, rate);
  bp.set(5200, 1.5, rate);
  for (size_t n = 0; n < x.size(); n++) {
    double t = n / rate, v = noise.next();
    hp.run(v);
    bp.run(v);
    double env = (t < 0.002 ? t / 0.002 : 1.0) * (0.75 * musExp(-t / 0.7) + 0.25 * musExp(-t / 0.08));
    x[n] = (hp.high + 0.8 * bp.band) * env;
  }
  musFadeTail(x, rate, 200);
  return {"Crash", "crash.smp", musQuantise(x, 0.9), false, 0, 0, (uint32_t)rate, 60};
}

MusInstrument musRiser(double seconds) {
  const double rate = 22050;
  std::vector<double> x((size_t)std::floor(rate * seconds + 0.5));
  MusNoise noise;
  noise.s = 0x0badf00du;
  MusSvf bp;
  double len = (double)x.size();
  for (size_t n = 0; n < x.size(); n++) {
    double u = n / len;                       // 0..1 over the rise
    bp.set(250 * musExp2(5 * u), 3.5, rate);  // 250 Hz up five octaves to 8 kHz
    bp.run(noise.next());
    double amp = 0.1 + 0.9 * u * u;
    x[n] = bp.band * amp;
  }
  musFadeTail(x, rate, 6);
  return {"Riser", "riser.smp", musQuantise(x, 0.9), false, 0, 0, (uint32_t)rate, 60};
}
