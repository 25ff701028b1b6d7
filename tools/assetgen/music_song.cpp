// The composition: a section plan per order (and per row where the picture
// changes mid-order), the harmony, and one writer per part. A bar is 16 rows
// (four beats of four rows), an order is four bars, one chord per bar.
#include "music_song.h"

#include <cmath>
#include <cstdlib>

#include "music_dsp.h"
#include "music_timing.h"

namespace {

struct Chord {
  int root;  // pitch class, C = 0
  bool minor;
};
const Chord kProgressions[4][4] = {
    {{9, true}, {5, false}, {0, false}, {7, false}},  // Am F C G: the main theme
    {{5, false}, {7, false}, {4, true}, {9, true}},   // F G Em Am: the answer
    {{2, true}, {9, true}, {5, false}, {4, false}},   // Dm Am F E: the bridge
    {{9, true}, {9, true}, {9, true}, {9, true}},     // Am held: the ending
};
enum { kProgA, kProgB, kProgC, kProgEnd };

enum Drums { kDrNone, kDrPulse, kDrFull, kDrHalf, kDrDrive, kDrHats };
enum Bass { kBsNone, kBsHold, kBsPulse, kBsGroove, kBsDrive };
enum Arp { kArNone, kArQuarter, kArEighth, kArSixteenth, kArStab };
enum Lead { kLdNone, kLdThemeA, kLdThemeB, kLdThemeC, kLdRiff };

struct Section {
  int start;  // global row (order x 64 + row)
  uint8_t prog, drums, bass;
  uint8_t pad;  // pad volume, 0 = silent
  uint8_t arp, lead;
  uint8_t fill;  // row of the order where a snare fill begins, 0 = none
  bool crash;    // a crash on the first row
  bool harmony;  // the lead doubled a third below
};
constexpr int O(int order, int row = 0) { return order * kMusRowsPerOrder + row; }

// Rows where the picture changes are section boundaries too, so the music turns with it.
const Section kPlan[] = {
    {O(0), kProgA, kDrNone, kBsNone, 36, kArQuarter, kLdNone, 0, false, false},     // intro
    {O(1, 6), kProgA, kDrHats, kBsPulse, 38, kArEighth, kLdNone, 0, false, false},  // build begins with segment 2
    {O(1, 16), kProgA, kDrPulse, kBsPulse, 38, kArEighth, kLdNone, 56, false, false},
    {O(2), kProgA, kDrHalf, kBsHold, 44, kArSixteenth, kLdNone, 0, true, false},   // lands on the logo
    {O(2, 58), kProgA, kDrNone, kBsNone, 0, kArNone, kLdNone, 58, false, false},   // the logo fades
    {O(3), kProgA, kDrFull, kBsGroove, 34, kArEighth, kLdThemeA, 0, true, false},  // credits
    {O(4), kProgB, kDrFull, kBsGroove, 34, kArEighth, kLdThemeB, 24, false, false},
    {O(4, 31), kProgB, kDrDrive, kBsDrive, 38, kArSixteenth, kLdRiff, 0, true, false},
    {O(5), kProgA, kDrFull, kBsGroove, 34, kArEighth, kLdThemeA, 0, true, false},
    {O(5, 55), kProgA, kDrNone, kBsNone, 34, kArNone, kLdNone, 0, true, false},     // break, riser
    {O(6), kProgB, kDrDrive, kBsDrive, 38, kArSixteenth, kLdRiff, 0, true, false},  // twin tunnels
    {O(7), kProgB, kDrDrive, kBsDrive, 38, kArSixteenth, kLdThemeB, 56, false, false},
    {O(8), kProgC, kDrHats, kBsHold, 44, kArStab, kLdThemeC, 0, true, false},       // picture strip
    {O(9), kProgC, kDrPulse, kBsPulse, 40, kArEighth, kLdThemeC, 48, false, true},  // planet
    {O(10), kProgA, kDrFull, kBsGroove, 34, kArEighth, kLdThemeA, 0, true, false},  // thumbnail
    {O(11), kProgB, kDrFull, kBsGroove, 34, kArEighth, kLdThemeB, 58, false, false},
    {O(12), kProgA, kDrDrive, kBsDrive, 36, kArSixteenth, kLdRiff, 0, true, false},   // tunnel 1
    {O(13), kProgC, kDrHalf, kBsHold, 44, kArEighth, kLdThemeC, 0, true, false},      // scroller
    {O(14), kProgB, kDrDrive, kBsDrive, 36, kArSixteenth, kLdRiff, 60, true, false},  // tunnel 2
    {O(15), kProgA, kDrNone, kBsHold, 44, kArQuarter, kLdThemeA, 0, true, false},     // warped plane: calm
    {O(16), kProgA, kDrFull, kBsGroove, 36, kArSixteenth, kLdThemeA, 0, true, true},  // rotating layers
    {O(17), kProgB, kDrFull, kBsGroove, 36, kArSixteenth, kLdThemeB, 0, false, false},
    {O(17, 55), kProgB, kDrNone, kBsNone, 36, kArNone, kLdNone, 0, true, false},       // animation scene, riser
    {O(18), kProgC, kDrFull, kBsGroove, 40, kArSixteenth, kLdThemeC, 0, true, false},  // the animation runs
    {O(19), kProgC, kDrDrive, kBsDrive, 40, kArSixteenth, kLdThemeC, 56, false, true},
    {O(20), kProgA, kDrFull, kBsGroove, 34, kArEighth, kLdThemeA, 0, true, false},  // panel
    {O(21), kProgB, kDrFull, kBsGroove, 34, kArEighth, kLdThemeB, 0, false, false},
    {O(22), kProgA, kDrDrive, kBsDrive, 36, kArSixteenth, kLdRiff, 56, false, false},
    {O(23), kProgA, kDrDrive, kBsGroove, 40, kArSixteenth, kLdThemeA, 0, true, true},  // finale
    {O(24), kProgB, kDrDrive, kBsGroove, 40, kArSixteenth, kLdThemeB, 0, false, true},
    {O(25), kProgA, kDrFull, kBsGroove, 40, kArEighth, kLdThemeA, 0, false, true},  // fading
    {O(26), kProgEnd, kDrNone, kBsHold, 44, kArQuarter, kLdNone, 0, false, false},
    {O(27), kProgEnd, kDrNone, kBsNone, 14, kArNone, kLdNone, 0, false, false},  // coda before the loop
};
constexpr int kPlanSize = sizeof(kPlan) / sizeof(kPlan[0]);

// Riser starts: (global row, sample offset in 256-sample steps). An offset
// shortens the rise so it still ends on the next order's first row.
struct Riser {
  int row;
  uint8_t offset;
};
const Riser kRisers[] = {{O(1, 32), 0}, {O(5, 55), 238}, {O(9, 32), 0}, {O(17, 55), 238}, {O(22, 32), 0}};

// Melodies: (row in the order, length in rows, MIDI note, slide into it).
struct Tone {
  int row, len, midi;
  bool slide = false;
};
const Tone kThemeA[] = {{0, 6, 76},  {6, 6, 74},  {12, 4, 72}, {16, 6, 69}, {22, 6, 72}, {28, 4, 77},
                        {32, 6, 76}, {38, 6, 74}, {44, 4, 72}, {48, 6, 71}, {54, 6, 74}, {60, 4, 79}};
const Tone kThemeB[] = {{0, 6, 81},  {6, 6, 79},  {12, 4, 77}, {16, 6, 79}, {22, 6, 74},
                        {28, 4, 71}, {32, 6, 76}, {38, 6, 79}, {44, 4, 83}, {48, 16, 81, true}};
const Tone kThemeC[] = {{0, 4, 77},  {4, 4, 76},  {8, 6, 74},  {14, 2, 69}, {16, 6, 72}, {22, 2, 71}, {24, 8, 69},
                        {32, 6, 81}, {38, 2, 79}, {40, 4, 77}, {44, 4, 76}, {48, 4, 71}, {52, 4, 76}, {56, 8, 80}};

struct Score {
  S3mSong song;
  int baseMidi[kInsCount + 1] = {};
  int voicing[3] = {57, 60, 64};
  int voicedBar = -1;

  S3mCell& at(int g, int ch) { return song.patterns[(size_t)(g / kMusRowsPerOrder)].cell[g % kMusRowsPerOrder][ch]; }
  void note(int g, int ch, int ins, int midi, int vol, uint8_t cmd = 0, uint8_t info = 0) {
    if (g >= kMusOrders * kMusRowsPerOrder) return;
    int n = midi - baseMidi[ins] + 48;   // C-4 plays the sample's natural pitch
    if (n < 12 || n > 95) std::abort();  // a part left the range every player supports
    S3mCell& c = at(g, ch);
    c.note = s3mNote(n);
    c.ins = (uint8_t)ins;
    c.vol = (uint8_t)(vol > 64 ? 64 : vol);
    c.cmd = cmd;
    c.info = info;
  }
  void cut(int g, int ch) {
    if (g >= kMusOrders * kMusRowsPerOrder) return;
    S3mCell& c = at(g, ch);
    c = S3mCell();
    c.note = kS3mNoteCut;
  }
};

const Section& sectionAt(int g) {
  int i = 0;
  while (i + 1 < kPlanSize && kPlan[i + 1].start <= g) i++;
  return kPlan[i];
}
Chord chordAt(int g) { return kProgressions[sectionAt(g).prog][(g % kMusRowsPerOrder) / 16]; }
bool inChord(const Chord& c, int midi) {
  int pc = ((midi % 12) - c.root + 12) % 12;
  return pc == 0 || pc == (c.minor ? 3 : 4) || pc == 7;
}
// Chord tones from lo to hi, rising.
int chordTones(const Chord& c, int lo, int hi, int* out, int room) {
  int n = 0;
  for (int m = lo; m <= hi && n < room; m++)
    if (inChord(c, m)) out[n++] = m;
  return n;
}
int bassRoot(const Chord& c) { return 33 + (c.root - 9 + 12) % 12; }  // A1 .. G#2

// Three pad voices, each chord tone once, within a tenth, moving as little as possible.
void voiceLead(Score& s, const Chord& c) {
  int tones[3] = {c.root, (c.root + (c.minor ? 3 : 4)) % 12, (c.root + 7) % 12};
  int best[3] = {0, 0, 0}, bestCost = 1 << 30;
  for (int a = 55; a <= 76; a++)
    for (int b = a + 1; b <= 76; b++)
      for (int d = b + 1; d <= 76 && d - a <= 15; d++) {
        int pcs[3] = {a % 12, b % 12, d % 12}, hit = 0;
        for (int t : tones)
          for (int p : pcs) hit += (t == p);
        if (hit != 3 || pcs[0] == pcs[1] || pcs[1] == pcs[2] || pcs[0] == pcs[2]) continue;
        int cost = std::abs(a - s.voicing[0]) + std::abs(b - s.voicing[1]) + std::abs(d - s.voicing[2]);
        if (cost < bestCost) {
          bestCost = cost;
          best[0] = a, best[1] = b, best[2] = d;
        }
      }
  for (int i = 0; i < 3; i++) s.voicing[i] = best[i];
}

void writeDrums(Score& s, int g, const Section& sec, bool first) {
  int r = g % 16, bar = (g % kMusRowsPerOrder) / 16, row = g % kMusRowsPerOrder;
  bool filling = sec.fill && row >= sec.fill;
  if (sec.crash && first) s.note(g, kChCrash, kInsCrash, 60, 46);
  switch (sec.drums) {
    case kDrPulse:
      if (r % 4 == 0) s.note(g, kChKick, kInsKick, 60, 46);
      if (r % 4 == 2) s.note(g, kChHat, kInsClosedHat, 60, 30);
      break;
    case kDrFull:
      if (r % 4 == 0 || (r == 10 && bar % 2 == 1)) s.note(g, kChKick, kInsKick, 60, r == 10 ? 40 : 56);
      if ((r == 4 || r == 12) && !filling) s.note(g, kChSnare, kInsSnare, 60, 58);
      if (r == 14 && bar == 3) s.note(g, kChHat, kInsOpenHat, 60, 30);
      else if (r % 2 == 0) s.note(g, kChHat, kInsClosedHat, 60, r % 4 == 2 ? 36 : 22);
      break;
    case kDrHalf:
      if (r == 0 || r == 10) s.note(g, kChKick, kInsKick, 60, r ? 44 : 58);
      if (r == 8 && !filling) s.note(g, kChSnare, kInsSnare, 60, 60);
      if (r % 2 == 0) s.note(g, kChHat, kInsClosedHat, 60, r % 4 == 2 ? 30 : 22);
      break;
    case kDrDrive:
      if (r % 4 == 0) s.note(g, kChKick, kInsKick, 60, 58);
      if ((r == 4 || r == 12) && !filling) s.note(g, kChSnare, kInsSnare, 60, 60);
      if (r == 15 && bar % 2 == 1 && !filling) s.note(g, kChSnare, kInsSnare, 60, 18);
      if (r % 4 == 2) s.note(g, kChHat, kInsOpenHat, 60, 26);
      else s.note(g, kChHat, kInsClosedHat, 60, r % 2 ? 16 : 24);
      break;
    case kDrHats:
      if (r % 2 == 0) s.note(g, kChHat, kInsClosedHat, 60, r % 4 == 2 ? 30 : 20);
      break;
  }
  if (filling) {
    // Eighths, then sixteenths over the last half, growing louder to the downbeat.
    int left = kMusRowsPerOrder - row, span = kMusRowsPerOrder - sec.fill;
    if (left <= span / 2 || left <= 4 || row % 2 == 0)
      s.note(g, kChSnare, kInsSnare, 60, 24 + 38 * (span - left + 1) / span);
  }
}

void writeBass(Score& s, int g, const Section& sec, bool entering) {
  int r = g % 16;
  int root = bassRoot(chordAt(g));
  switch (sec.bass) {
    case kBsHold:
      if (r == 0 || entering) s.note(g, kChBass, kInsBass, root, 50);
      break;
    case kBsPulse:
      if (r % 2 == 0 || entering) s.note(g, kChBass, kInsBass, root, r % 4 == 0 ? 46 : 38);
      break;
    case kBsGroove: {
      // 1 . x 1 . . 8 . | 1 . 1 . 8 . 5 .   (x = stop, 8 = octave, 5 = fifth)
      static const int step[16] = {0, -1, -2, 0, -1, -1, 12, -1, 0, -1, 0, -1, 12, -1, 7, -1};
      static const int vol[16] = {52, 0, 0, 44, 0, 0, 44, 0, 50, 0, 40, 0, 44, 0, 42, 0};
      if (step[r] >= 0) s.note(g, kChBass, kInsBass, root + step[r], vol[r]);
      else if (entering) s.note(g, kChBass, kInsBass, root, 44);
      else if (step[r] == -2) s.cut(g, kChBass);
      break;
    }
    case kBsDrive:
      if (r % 2 == 0 || entering) s.note(g, kChBass, kInsBass, root + (r % 4 == 2 ? 12 : 0), r % 4 == 0 ? 50 : 42);
      break;
  }
}

void writePad(Score& s, int g, const Section& sec, bool entering, bool hold) {
  int r = g % 16;
  if (!((r == 0 && !hold) || entering)) return;
  int bar = g / 16;
  if (bar != s.voicedBar) {
    voiceLead(s, chordAt(g));
    s.voicedBar = bar;
  }
  const int ch[3] = {kChPad1, kChPad2, kChPad3};
  for (int i = 0; i < 3; i++) s.note(g, ch[i], kInsPad, s.voicing[i], sec.pad);
}

void writeArp(Score& s, int g, const Section& sec, int level) {
  int r = g % 16;
  Chord c = chordAt(g);
  int t[12];
  int n = chordTones(c, 64, 88, t, 12);
  static const int seq16[16] = {0, 1, 2, 3, 4, 3, 2, 1, 0, 1, 2, 3, 5, 4, 3, 2};
  static const int seq8[8] = {0, 2, 1, 3, 2, 4, 3, 5};
  static const int seq4[4] = {0, 2, 4, 2};
  int accent = r % 4 == 0 ? 6 : 0;
  switch (sec.arp) {
    case kArQuarter:
      if (r % 4 == 0) s.note(g, kChArp, kInsPluck, t[seq4[r / 4] % n], level + 2);
      break;
    case kArEighth:
      if (r % 2 == 0) s.note(g, kChArp, kInsPluck, t[seq8[r / 2] % n], level + accent);
      break;
    case kArSixteenth: s.note(g, kChArp, kInsPluck, t[seq16[r] % n], level - 4 + accent); break;
    case kArStab:
      // The chord as a tracker arpeggio on one note: root, third, fifth per tick.
      if (r == 0 || r == 6 || r == 8 || r == 14)
        s.note(g, kChArp, kInsPluck, t[0], level + 6, kS3mFxArpeggio, c.minor ? 0x37 : 0x47);
      break;
  }
}

// One note of a melody on the lead channel (and, in the finale, a third below).
void writeMelody(Score& s, int g0, const Tone* tones, int count, const Section& sec, int from, int to) {
  static const int scale[7] = {9, 11, 0, 2, 4, 5, 7};  // A minor
  for (int i = 0; i < count; i++) {
    const Tone& t = tones[i];
    int g = g0 + t.row;
    if (g < from || g >= to) continue;
    if (t.slide) {
      s.note(g, kChLead, kInsLead, t.midi, 54, kS3mFxTonePorta, 0x28);
      s.at(g, kChLead).ins = 0;  // slide without restarting the sample
    } else {
      s.note(g, kChLead, kInsLead, t.midi, 54);
    }
    for (int k = 4; k < t.len; k++)  // a little vibrato on held notes
      if (t.len >= 8 && g + k < to) {
        s.at(g + k, kChLead).cmd = kS3mFxVibrato;
        s.at(g + k, kChLead).info = 0x34;
      }
    int next = i + 1 < count ? tones[i + 1].row : kMusRowsPerOrder;
    if (t.row + t.len < next && g + t.len < to) s.cut(g + t.len, kChLead);
    if (sec.harmony) {
      int deg = 0;
      while (deg < 7 && scale[deg] != t.midi % 12) deg++;
      int below = t.midi - ((scale[deg % 7] - scale[(deg + 5) % 7] + 12) % 12);
      s.note(g, kChHarmony, kInsLead, below, 34);
      if (t.row + t.len < next && g + t.len < to) s.cut(g + t.len, kChHarmony);
    }
  }
}

void writeRiff(Score& s, int g, const Section&) {
  static const int rows[6] = {0, 3, 6, 8, 11, 14}, pick[6] = {2, 1, 2, 3, 2, 1};
  int r = g % 16, t[12];
  int n = chordTones(chordAt(g), 67, 86, t, 12);
  for (int i = 0; i < 6; i++)
    if (rows[i] == r) {
      s.note(g, kChLead, kInsLead, t[pick[i] % n], 46);
      s.cut(g + 2, kChLead);
    }
}

}  // namespace

// The module's settings, order list, empty patterns and the instruments.
static void composeSetup(Score& s) {
  S3mSong& song = s.song;
  song.title = "Quorvane - rul-quor";
  song.speed = kMusSpeed;
  song.tempo = kMusTempo;
  song.globalVolume = 64;
  song.masterVolume = 48;
  song.channels = kMusChannels;
  static const uint8_t pan[kMusChannels] = {7, 8, 10, 5, 7, 3, 12, 7, 6, 11, 10, 8, 9};
  for (int c = 0; c < kMusChannels; c++) song.pan[c] = pan[c];
  for (int o = 0; o < kMusOrders; o++) song.orders.push_back((uint8_t)o);
  song.patterns.resize(kMusOrders);

  std::vector<MusInstrument> ins;
  musMakeInstruments(&ins);
  for (size_t i = 0; i < ins.size(); i++) {
    S3mSample smp;
    smp.name = ins[i].name;
    smp.fileName = ins[i].fileName;
    smp.pcm = ins[i].pcm;
    smp.loop = ins[i].loop;
    smp.loopStart = ins[i].loopStart;
    smp.loopEnd = ins[i].loopEnd;
    smp.c2spd = ins[i].rate;
    song.samples.push_back(smp);
    s.baseMidi[i + 1] = ins[i].baseMidi;
  }
}

// Each section of the plan in turn: drums, bass, pad, arpeggio, riff and the themes.
static void composeSections(Score& s) {
  const int total = kMusOrders * kMusRowsPerOrder;
  for (int si = 0; si < kPlanSize; si++) {
    const Section& sec = kPlan[si];
    const Section* prev = si ? &kPlan[si - 1] : nullptr;
    int end = si + 1 < kPlanSize ? kPlan[si + 1].start : total;
    // Parts that stop with this section are cut on its first row.
    if (prev && prev->bass && !sec.bass) s.cut(sec.start, kChBass);
    if (prev && prev->pad && !sec.pad)
      for (int ch : {kChPad1, kChPad2, kChPad3}) s.cut(sec.start, ch);
    if (prev && prev->lead && !sec.lead) s.cut(sec.start, kChLead);
    if (prev && prev->harmony && !sec.harmony) s.cut(sec.start, kChHarmony);
    bool hold = sec.prog == kProgEnd;
    for (int g = sec.start; g < end; g++) {
      bool first = g == sec.start;
      writeDrums(s, g, sec, first);
      if (sec.bass) writeBass(s, g, sec, first && (!prev || !prev->bass || prev->bass != sec.bass));
      if (sec.pad) writePad(s, g, sec, first && (!prev || !prev->pad || hold), hold);
      if (sec.arp) writeArp(s, g, sec, si == 0 ? 20 : 32);
      if (sec.lead == kLdRiff) writeRiff(s, g, sec);
    }
    if (sec.lead >= kLdThemeA && sec.lead <= kLdThemeC) {
      const Tone* t = sec.lead == kLdThemeA ? kThemeA : sec.lead == kLdThemeB ? kThemeB : kThemeC;
      int n = sec.lead == kLdThemeA ? 12 : sec.lead == kLdThemeB ? 10 : 14;
      for (int o = sec.start / kMusRowsPerOrder; o * kMusRowsPerOrder < end; o++)
        writeMelody(s, o * kMusRowsPerOrder, t, n, sec, sec.start, end);
    }
  }
}

static void composeIntro(Score& s) {
  // The intro's pad swells in over the first eight rows (volume slide up 1 per tick).
  for (int ch : {kChPad1, kChPad2, kChPad3}) {
    s.at(0, ch).vol = 0;
    for (int g = 0; g < 8; g++) s.at(g, ch).cmd = kS3mFxVolSlide, s.at(g, ch).info = 0x10;
  }
  // Speed and tempo restated on the first row, so a loop always restarts in time.
  s.at(0, kChKick).cmd = kS3mFxSpeed, s.at(0, kChKick).info = kMusSpeed;
  s.at(0, kChSnare).cmd = kS3mFxTempo, s.at(0, kChSnare).info = kMusTempo;
}

static void composeEcho(Score& s) {
  const int total = kMusOrders * kMusRowsPerOrder;
  // Lead echo: the lead three rows (a dotted eighth) later, softer, on the other side.
  for (int g = total - 1 - 3; g >= 0; g--) {
    S3mCell c = s.at(g, kChLead);
    if (c.note == kS3mNoNote) continue;
    S3mCell& e = s.at(g + 3, kChEcho);
    e = c;
    if (c.vol != kS3mNoVolume) e.vol = (uint8_t)(c.vol * 2 / 5);
    if (c.cmd != kS3mFxTonePorta) e.cmd = 0, e.info = 0;
  }
}

static void composeEndFade(Score& s) {
  // The end fade over orders 25 and 26: every note's volume scaled, and every
  // other row the volume of each sounding channel restated at the lower level.
  int fade0 = kMusFadeOrder * kMusRowsPerOrder, fade1 = fade0 + 2 * kMusRowsPerOrder;
  int base[kMusChannels] = {};
  for (int g = 0; g < fade1; g++)
    for (int ch = 0; ch < kMusChannels; ch++) {
      S3mCell& c = s.at(g, ch);
      if (c.note == kS3mNoteCut) base[ch] = 0;
      else if (c.note != kS3mNoNote) base[ch] = c.vol == kS3mNoVolume ? 64 : c.vol;
      if (g < fade0) continue;
      double u = 1.0 - (double)(g - fade0) / (fade1 - fade0);
      double gain = u * std::sqrt(u);
      if (c.note != kS3mNoNote && c.note != kS3mNoteCut) c.vol = (uint8_t)std::floor(base[ch] * gain + 0.5);
      else if (base[ch] && g % 2 == 0 && c.vol == kS3mNoVolume) c.vol = (uint8_t)std::floor(base[ch] * gain + 0.5);
    }
  // The coda starts from silence.
  for (int ch = 0; ch < kMusChannels; ch++)
    if (s.at(fade1, ch).note == kS3mNoNote) s.cut(fade1, ch);
}

S3mSong musComposeSong() {
  Score s;
  composeSetup(s);
  composeSections(s);
  for (const Riser& r : kRisers) s.note(r.row, kChRiser, kInsRiser, 60, 40, r.offset ? kS3mFxOffset : 0, r.offset);
  composeIntro(s);
  composeEcho(s);
  composeEndFade(s);
  return s.song;
}
