// The composition of "rul-quor.s3m": instruments, harmony, parts and the
// section plan that follows the presentation's timeline.
#pragma once
#include "s3m_writer.h"

// Instruments (1-based, as the patterns name them).
enum MusIns {
  kInsKick = 1,
  kInsSnare,
  kInsClosedHat,
  kInsOpenHat,
  kInsCrash,
  kInsBass,
  kInsPad,
  kInsLead,
  kInsPluck,
  kInsRiser,
  kInsCount = kInsRiser
};

// Channels of the patterns.
enum MusChannel {
  kChKick,
  kChSnare,
  kChHat,
  kChCrash,
  kChBass,
  kChPad1,
  kChPad2,
  kChPad3,
  kChLead,
  kChEcho,
  kChArp,
  kChRiser,
  kChHarmony,
  kMusChannels
};

// The complete song, ready for s3mWrite. Deterministic.
S3mSong musComposeSong();

struct MusInstrument;
// The ten instruments in MusIns order (index 0 is instrument 1).
void musMakeInstruments(std::vector<MusInstrument>* out);
