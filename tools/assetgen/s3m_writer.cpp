// Scream Tracker 3 file image: header, order list, parapointers, panning,
// instrument headers, packed patterns, then the sample data (16-bit unsigned).
#include "s3m_writer.h"

#include <cstring>

namespace {

void put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  b[at] = (uint8_t)v;
  b[at + 1] = (uint8_t)(v >> 8);
}
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  put16(b, at, v & 0xffff);
  put16(b, at + 2, v >> 16);
}
void putText(std::vector<uint8_t>& b, size_t at, const std::string& s, size_t room) {
  // Zero padded; the last byte always stays 0 so readers find a terminator.
  for (size_t i = 0; i < s.size() && i + 1 < room; i++) b[at + i] = (uint8_t)s[i];
}
void align16(std::vector<uint8_t>& b) {
  while (b.size() & 15) b.push_back(0);
}

}  // namespace

std::vector<uint8_t> s3mPackPattern(const S3mPattern& pat, int channels) {
  std::vector<uint8_t> b(2, 0);
  for (int r = 0; r < kS3mRows; r++) {
    for (int c = 0; c < channels; c++) {
      const S3mCell& x = pat.cell[r][c];
      if (x.empty()) continue;
      uint8_t what = (uint8_t)c;
      if (x.note != kS3mNoNote || x.ins) what |= 0x20;
      if (x.vol != kS3mNoVolume) what |= 0x40;
      if (x.cmd) what |= 0x80;
      b.push_back(what);
      if (what & 0x20) {
        b.push_back(x.note);
        b.push_back(x.ins);
      }
      if (what & 0x40) b.push_back(x.vol > 64 ? 64 : x.vol);
      if (what & 0x80) {
        b.push_back(x.cmd);
        b.push_back(x.info);
      }
    }
    b.push_back(0);
  }
  put16(b, 0, (uint32_t)b.size());
  return b;
}

// The song's counts and references within what the format holds; "" or what is wrong.
static std::string s3mCheck(const S3mSong& song) {
  if (song.channels < 1 || song.channels > kS3mMaxChannels) return "channel count must be 1..16";
  if (song.orders.empty() || song.orders.size() > 256 || song.samples.size() > 99 || song.patterns.empty() ||
      song.patterns.size() > 100)
    return "order, instrument or pattern count out of range";
  for (uint8_t o : song.orders)
    if (o >= song.patterns.size()) return "order list names a missing pattern";
  for (const S3mSample& s : song.samples)
    if (s.loop && (s.loopStart >= s.loopEnd || s.loopEnd > s.pcm.size()))
      return "sample loop outside the sample: " + s.name;
  return "";
}

// The 0x60-byte header and the channel settings: left channels take L1..L8 (0..7), right
// ones R1..R8 (8..15).
static void s3mPutHeader(std::vector<uint8_t>& b, const S3mSong& song, size_t ordNum) {
  putText(b, 0x00, song.title, 28);
  b[0x1c] = 0x1a;
  b[0x1d] = 16;  // module type: ST3
  put16(b, 0x20, (uint32_t)ordNum);
  put16(b, 0x22, (uint32_t)song.samples.size());
  put16(b, 0x24, (uint32_t)song.patterns.size());
  put16(b, 0x26, 0);       // flags
  put16(b, 0x28, 0x1320);  // made with: ST3.20
  put16(b, 0x2a, 2);       // sample format: unsigned
  std::memcpy(&b[0x2c], "SCRM", 4);
  b[0x30] = song.globalVolume;
  b[0x31] = song.speed;
  b[0x32] = song.tempo;
  b[0x33] = (uint8_t)(0x80 | (song.masterVolume & 0x7f));  // stereo
  b[0x34] = 16;                                            // click removal channels
  b[0x35] = 252;                                           // the panning table below is valid
  int nextLeft = 0, nextRight = 8;
  for (int c = 0; c < 32; c++) {
    uint8_t v = 255;
    if (c < song.channels) {
      bool left = song.pan[c] < 8;
      if (left && nextLeft > 7) left = false;
      if (!left && nextRight > 15) left = true;
      v = (uint8_t)(left ? nextLeft++ : nextRight++);
    }
    b[0x40 + c] = v;
  }
}

// One instrument header at h, its sample data appended at `para` (16-byte units).
static void s3mPutSample(std::vector<uint8_t>& b, size_t h, size_t para, const S3mSample& s) {
  b[h] = 1;  // PCM sample
  putText(b, h + 0x01, s.fileName, 13);
  b[h + 0x0d] = (uint8_t)(para >> 16);
  put16(b, h + 0x0e, (uint32_t)(para & 0xffff));
  put32(b, h + 0x10, (uint32_t)s.pcm.size());
  put32(b, h + 0x14, s.loop ? s.loopStart : 0);
  put32(b, h + 0x18, s.loop ? s.loopEnd : 0);
  b[h + 0x1c] = s.volume > 64 ? 64 : s.volume;
  b[h + 0x1e] = 0;                                // not packed
  b[h + 0x1f] = (uint8_t)((s.loop ? 1 : 0) | 4);  // loop, 16-bit
  put32(b, h + 0x20, s.c2spd);
  putText(b, h + 0x30, s.name, 28);
  std::memcpy(&b[h + 0x4c], "SCRS", 4);
  for (int16_t v : s.pcm) {
    uint16_t u = (uint16_t)(v + 32768);
    b.push_back((uint8_t)u);
    b.push_back((uint8_t)(u >> 8));
  }
}

bool s3mWrite(const S3mSong& song, std::vector<uint8_t>* out, std::string* err) {
  *err = s3mCheck(song);
  if (!err->empty()) return false;
  // The order count is kept even, as the original tracker expects; 255 marks the end.
  size_t ordNum = song.orders.size() + (song.orders.size() & 1);
  size_t insNum = song.samples.size(), patNum = song.patterns.size();
  std::vector<uint8_t> b(0x60, 0);
  s3mPutHeader(b, song, ordNum);
  for (size_t i = 0; i < ordNum; i++) b.push_back(i < song.orders.size() ? song.orders[i] : 255);
  size_t insPtrAt = b.size();
  b.resize(b.size() + 2 * insNum + 2 * patNum, 0);
  size_t patPtrAt = insPtrAt + 2 * insNum;
  for (int c = 0; c < 32; c++) b.push_back(c < song.channels ? (uint8_t)(0x20 | (song.pan[c] & 15)) : 0);

  align16(b);
  std::vector<size_t> insAt(insNum);
  for (size_t i = 0; i < insNum; i++) {
    insAt[i] = b.size();
    b.resize(b.size() + 0x50, 0);
  }
  for (size_t p = 0; p < patNum; p++) {
    align16(b);
    if (b.size() >> 4 > 0xffff) {
      *err = "patterns lie beyond the 1 MiB a parapointer reaches";
      return false;
    }
    put16(b, patPtrAt + 2 * p, (uint32_t)(b.size() >> 4));
    std::vector<uint8_t> packed = s3mPackPattern(song.patterns[p], song.channels);
    b.insert(b.end(), packed.begin(), packed.end());
  }
  for (size_t i = 0; i < insNum; i++) {
    align16(b);
    size_t para = b.size() >> 4;
    if (para > 0xffffff) {
      *err = "sample data too large";
      return false;
    }
    put16(b, insPtrAt + 2 * i, (uint32_t)(insAt[i] >> 4));
    s3mPutSample(b, insAt[i], para, song.samples[i]);
  }
  align16(b);
  *out = std::move(b);
  return true;
}
