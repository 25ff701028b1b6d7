// The song's instruments: drums from noise and swept sines, pitched parts from
// additive tones (see music_dsp.cpp). Rates are chosen so a tracker's C-4 at the
// sample's C2 speed sounds the instrument's natural pitch.
#include "music_dsp.h"
#include "music_song.h"
#include "music_timing.h"

void musMakeInstruments(std::vector<MusInstrument>* out) {
  out->clear();
  out->push_back(musKick());
  out->push_back(musSnare());
  out->push_back(musHat(false));
  out->push_back(musHat(true));
  out->push_back(musCrash());

  // Bass: a saw/square mix whose low-pass falls from 2.2 kHz to 550 Hz, C2 at 256 samples a period.
  MusToneSpec bass = {36, 256, 0, 1, 0.6, 0.8, 550, 2.0, 0.25, 0.004, 0.18, 0.65, 0.35, true};
  out->push_back(musTone("Bass", "bass.smp", bass));
  // Pad: three saws detuned by 1/128 (13.5 cents), dark and slow to rise.
  MusToneSpec pad = {60, 64, 128, 3, 1.0, 0.3, 1300, 0.0, 0.0, 0.22, 0.5, 0.85, 0.3, true};
  out->push_back(musTone("Pad", "pad.smp", pad));
  // Lead: two oscillators detuned by 1/256, half saw half square, bright attack.
  MusToneSpec lead = {72, 64, 256, 2, 0.5, 0.2, 3200, 1.0, 0.2, 0.006, 0.25, 0.7, 0.3, true};
  out->push_back(musTone("Lead", "lead.smp", lead));
  // Pluck: a saw whose filter snaps shut; not looped, it dies away in half a second.
  MusToneSpec pluck = {72, 64, 0, 1, 1.0, 0.0, 700, 3.0, 0.12, 0.002, 0.16, 0.0, 0.5, false};
  out->push_back(musTone("Pluck", "pluck.smp", pluck));
  // Riser: a noise sweep lasting 32 rows at its natural rate.
  out->push_back(musRiser(32 * musRowSeconds()));
}
