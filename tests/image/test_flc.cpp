// FLC player on hand-built streams: each chunk type, the loop rewind, and broken sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "image/xflc.h"

namespace {

using Bytes = std::vector<uint8_t>;

void put16(Bytes& b, int v) { b.push_back((uint8_t)v), b.push_back((uint8_t)(v >> 8)); }
void put32(Bytes& b, uint32_t v) { put16(b, (int)(v & 0xffff)), put16(b, (int)(v >> 16)); }
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A chunk: size (header included) and type, then the payload. sizeDelta breaks the size.
Bytes chunk(int type, const Bytes& payload, int sizeDelta = 0) {
  Bytes b;
  put32(b, (uint32_t)(6 + payload.size() + sizeDelta));
  put16(b, type);
  return cat({b, payload});
}
// A frame block of the given chunks; sizeDelta breaks the size, chunkCount overrides.
Bytes frame(const std::vector<Bytes>& chunks, int sizeDelta = 0, int chunkCount = -1, int type = 0xF1FA) {
  Bytes body;
  for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
  Bytes b;
  put32(b, (uint32_t)(16 + body.size() + sizeDelta));
  put16(b, type);
  put16(b, chunkCount < 0 ? (int)chunks.size() : chunkCount);
  b.resize(16, 0);
  return cat({b, body});
}
// A file: 128-byte header (size, magic, frame count, width, height) and the blocks.
Bytes file(int w, int h, int frames, const Bytes& blocks, int sizeDelta = 0) {
  Bytes b;
  put32(b, (uint32_t)(128 + blocks.size() + sizeDelta));
  put16(b, 0xAF12);
  put16(b, frames);
  put16(b, w);
  put16(b, h);
  put16(b, 8);
  b.resize(128, 0);
  return cat({b, blocks});
}

// Loads into an exact-size heap copy (so stray reads are caught by the sanitizer) and selects.
struct Anim {
  xFlc flc{};
  int32_t result;
  explicit Anim(const Bytes& data) {
    uint8_t* copy = new uint8_t[data.size() ? data.size() : 1];
    if (!data.empty()) std::memcpy(copy, data.data(), data.size());
    result = xFlcLoad(copy, (int32_t)data.size(), &flc);
    delete[] copy;
    if (result == XFLC_OK) xFlcSelect(&flc);
  }
  ~Anim() { xFlcFree(&flc); }
  // Reads and decodes one block; returns the decoder's answer.
  int step() {
    xFlcFrameHeader fh;
    xFlcReadFrameHeader(&fh);
    return xFlcDecodeFrame(&fh);
  }
  Bytes pixels() const { return Bytes(flc.pixels, flc.pixels + xFlcState.width * xFlcState.height); }
};

// A byte-run frame painting every pixel of a w x h picture with one value per line.
Bytes brunFill(int w, int h, int value) {
  Bytes p;
  for (int y = 0; y < h; y++) {
    p.push_back(1);                                        // one packet
    p.push_back((uint8_t)w), p.push_back((uint8_t)value);  // w repeats (w < 128)
  }
  return chunk(15, p);
}

TEST(FlcPalette, CopyCountZeroReplacesAllEntries) {
  Bytes p;
  put16(p, 1);
  p.push_back(0), p.push_back(0);  // skip 0, count 0 = 256
  for (int i = 0; i < 256; i++) p.push_back((uint8_t)i), p.push_back((uint8_t)(255 - i)), p.push_back(7);
  Anim a(file(2, 1, 1, frame({chunk(4, p)})));
  ASSERT_EQ(a.result, XFLC_OK);
  EXPECT_EQ(a.step(), 1);
  for (int i = 0; i < 256; i++) {
    ASSERT_EQ(a.flc.palette[i * 3], i);
    ASSERT_EQ(a.flc.palette[i * 3 + 1], 255 - i);
    ASSERT_EQ(a.flc.palette[i * 3 + 2], 7);
  }
}

TEST(FlcPalette, SixtyFourLevelsSkipsAndEmptyChunks) {
  Bytes p;
  put16(p, 2);
  p.push_back(10), p.push_back(1), p.push_back(63), p.push_back(1), p.push_back(0);  // entry 10
  p.push_back(2), p.push_back(1), p.push_back(32), p.push_back(0), p.push_back(63);  // skip 2 after 11: entry 13
  Bytes none;
  put16(none, -1);  // a packet count of 0 or less changes nothing
  Anim a(file(2, 1, 1, frame({chunk(11, p), chunk(4, none)})));
  ASSERT_EQ(a.step(), 1);
  const uint8_t expect10[3] = {252, 4, 0}, expect13[3] = {128, 0, 252};
  EXPECT_EQ(0, std::memcmp(a.flc.palette + 30, expect10, 3));
  EXPECT_EQ(0, std::memcmp(a.flc.palette + 39, expect13, 3));
  for (int i : {0, 9, 11, 12, 14, 255}) EXPECT_EQ(a.flc.palette[i * 3], 0) << i;
}

TEST(FlcDelta, WordDeltaLineSkipRepeatPairAndCopy) {
  const int w = 8, h = 8;
  Bytes d;
  put16(d, 2);                                                               // two packet lines
  put16(d, -5);                                                              // skip lines 0-4; does not count as a line
  put16(d, 2);                                                               // line 5: two packets
  d.push_back(1), d.push_back((uint8_t)-2), d.push_back(3), d.push_back(7);  // skip 1, pair 3,7 twice
  d.push_back(1), d.push_back(1), d.push_back(9), d.push_back(8);            // skip 1, copy one pair
  put16(d, 0);                                                               // line 6: no packets, still counts
  Anim a(file(w, h, 2, cat({frame({brunFill(w, h, 1)}), frame({chunk(7, d)})})));
  ASSERT_EQ(a.step(), 1);
  ASSERT_EQ(a.step(), 1);
  const Bytes px = a.pixels();
  for (int y = 0; y < h; y++) {
    if (y == 5) continue;
    for (int x = 0; x < w; x++) ASSERT_EQ(px[y * w + x], 1) << x << "," << y;
  }
  const uint8_t line5[8] = {1, 3, 7, 3, 7, 1, 9, 8};
  EXPECT_EQ(0, std::memcmp(px.data() + 5 * w, line5, 8));
}

TEST(FlcDelta, WordDeltaLastByteOfOddWidthLine) {
  const int w = 5, h = 2;
  Bytes d;
  put16(d, 1);
  put16(d, 0x8000 | 0x44);  // last pixel of line 0 = 0x44; packet count follows
  put16(d, 1);
  d.push_back(0), d.push_back(1), d.push_back(5), d.push_back(6);
  Anim a(file(w, h, 1, frame({chunk(7, d)})));
  ASSERT_EQ(a.step(), 1);
  const uint8_t expect[10] = {5, 6, 0, 0, 0x44, 0, 0, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(a.flc.pixels, expect, 10));
}

TEST(FlcDelta, ByteDeltaFromFirstLine) {
  const int w = 6, h = 4;
  Bytes d;
  put16(d, 1);                                                                     // first line 1
  put16(d, 2);                                                                     // two lines
  d.push_back(2), d.push_back(1), d.push_back(2), d.push_back(4), d.push_back(5);  // 2 packets: skip 1, copy 4 5
  d.push_back(0), d.push_back((uint8_t)-3), d.push_back(9);                        // skip 0, 9 three times
  d.push_back(1), d.push_back(4), d.push_back((uint8_t)-1), d.push_back(6);        // line 2: skip 4, one 6
  Bytes none;
  put16(none, 0), put16(none, 0);  // a line count of 0 changes nothing
  Anim a(file(w, h, 1, frame({chunk(12, d), chunk(12, none)})));
  ASSERT_EQ(a.step(), 1);
  const uint8_t expect[24] = {0, 0, 0, 0, 0, 0, 0, 4, 5, 9, 9, 9, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(a.flc.pixels, expect, 24));
}

TEST(FlcRun, ByteRunContinuesAcrossLines) {
  const int w = 4, h = 2;
  Bytes p;
  p.push_back(2), p.push_back(3), p.push_back(1), p.push_back((uint8_t)-2), p.push_back(7),
      p.push_back(8);                              // 1 1 1 7 8
  p.push_back(1), p.push_back(3), p.push_back(2);  // line 2 goes on at pixel 5: 2 2 2
  Anim a(file(w, h, 1, frame({chunk(15, p)})));
  ASSERT_EQ(a.step(), 1);
  const uint8_t expect[8] = {1, 1, 1, 7, 8, 2, 2, 2};
  EXPECT_EQ(0, std::memcmp(a.flc.pixels, expect, 8));
}

TEST(FlcFrames, OtherChunksAndBlocksAreSkipped) {
  const int w = 4, h = 2;
  const Bytes prefix = frame({chunk(1, Bytes(20, 0xEE))}, 0, -1, 0xF100);  // not a frame
  const Bytes f1 = frame({brunFill(w, h, 5)});
  const Bytes f2 = frame({chunk(13, {}), chunk(16, Bytes(8, 9)), chunk(18, Bytes(30, 1))});  // black, copy, stamp
  Anim a(file(w, h, 2, cat({prefix, f1, f2})));
  EXPECT_EQ(a.step(), 0);
  EXPECT_EQ(xFlcState.cursor, (int32_t)prefix.size());
  EXPECT_EQ(a.step(), 1);
  EXPECT_EQ(a.pixels(), Bytes(8, 5));
  EXPECT_EQ(a.step(), 1);
  EXPECT_EQ(a.pixels(), Bytes(8, 5));  // the black-frame chunk leaves the picture unchanged
  EXPECT_EQ(xFlcState.cursor, xFlcState.frameBytes);
}

TEST(FlcFrames, RewindDecodesTheFirstFrameOntoTheLastPicture) {
  const int w = 4, h = 2;
  Bytes d1;  // first frame: a byte delta that only sets pixel 1
  put16(d1, 0), put16(d1, 1);
  d1.push_back(1), d1.push_back(1), d1.push_back(1), d1.push_back(6);
  Anim a(file(w, h, 2, cat({frame({chunk(12, d1)}), frame({brunFill(w, h, 3)})})));
  EXPECT_EQ(xFlcState.frameCount, 2);
  a.step();
  a.step();
  xFlcRewind();
  EXPECT_EQ(a.step(), 1);
  const uint8_t expect[8] = {3, 6, 3, 3, 3, 3, 3, 3};  // the delta lands on the last picture
  EXPECT_EQ(0, std::memcmp(a.flc.pixels, expect, 8));

  // A byte-run first frame sets every pixel again.
  Anim b(file(w, h, 2, cat({frame({brunFill(w, h, 1)}), frame({brunFill(w, h, 2)})})));
  b.step(), b.step();
  EXPECT_EQ(b.pixels(), Bytes(8, 2));
  xFlcRewind();
  b.step();
  EXPECT_EQ(b.pixels(), Bytes(8, 1));
}

TEST(FlcBroken, HeaderRejected) {
  EXPECT_EQ(Anim(Bytes(100, 0)).result, XFLC_ERR_SHORT);
  EXPECT_EQ(Anim(file(4, 2, 1, {}, -128)).result, XFLC_ERR_SIZE);  // file size 0
  EXPECT_EQ(Anim(file(0, 2, 1, frame({}))).result, XFLC_ERR_DIMS);
  EXPECT_EQ(Anim(file(4, 0, 1, frame({}))).result, XFLC_ERR_DIMS);
  EXPECT_EQ(Anim(file(40000, 2, 1, frame({}))).result, XFLC_ERR_DIMS);
  xFlc none;
  EXPECT_EQ(xFlcLoad(nullptr, 500, &none), XFLC_ERR_SHORT);
}

TEST(FlcBroken, FileSizePastTheData) {
  Anim a(file(4, 2, 1, frame({brunFill(4, 2, 4)}), 5000));
  ASSERT_EQ(a.result, XFLC_OK);
  EXPECT_EQ(a.flc.frameBytes, (int32_t)frame({brunFill(4, 2, 4)}).size());
  EXPECT_EQ(a.step(), 1);
  EXPECT_EQ(a.pixels(), Bytes(8, 4));
  // Past the end a header reads as zeros and the block is no frame.
  EXPECT_EQ(a.step(), 0);
  EXPECT_EQ(a.step(), 0);
  EXPECT_EQ(xFlcState.cursor, xFlcState.frameBytes);
}

TEST(FlcBroken, FrameSizes) {
  // A frame size past the data: the chunks that are there still decode.
  Anim a(file(4, 2, 1, frame({brunFill(4, 2, 4)}, 100000)));
  EXPECT_EQ(a.step(), 1);
  EXPECT_EQ(a.pixels(), Bytes(8, 4));
  EXPECT_EQ(xFlcState.cursor, xFlcState.frameBytes);
  // A frame size below its own header (0): no step backwards, the data ends there.
  for (int type : {0xF1FA, 0x1234}) {
    Anim b(file(4, 2, 2, cat({frame({}, -16, -1, type), frame({brunFill(4, 2, 4)})})));
    b.step();
    EXPECT_EQ(xFlcState.cursor, xFlcState.frameBytes);
    EXPECT_EQ(b.pixels(), Bytes(8, 0));
  }
  // More chunks announced than the frame holds.
  Anim c(file(4, 2, 1, frame({brunFill(4, 2, 4)}, 0, 9)));
  EXPECT_EQ(c.step(), 1);
  EXPECT_EQ(c.pixels(), Bytes(8, 4));
}

TEST(FlcBroken, ChunkSizes) {
  // A chunk size past the frame: read only to the frame's end.
  Bytes p;
  put16(p, 1);
  p.push_back(0), p.push_back(0);  // 256 entries promised, 2 given
  p.push_back(1), p.push_back(2), p.push_back(3), p.push_back(4), p.push_back(5), p.push_back(6);
  Anim a(file(2, 1, 1, frame({chunk(4, p, 1000)})));
  EXPECT_EQ(a.step(), 1);
  EXPECT_EQ(a.flc.palette[0], 0);  // the short packet is dropped whole
  // Chunk sizes below the chunk header stop the frame instead of looping.
  for (int delta : {-6, -5}) {  // sizes 0 and 1
    Anim b(file(4, 2, 1, frame({chunk(15, Bytes(0), delta), brunFill(4, 2, 4)})));
    EXPECT_EQ(b.step(), 1);
    EXPECT_EQ(b.pixels(), Bytes(8, 0)) << delta;
  }
  // A byte run cut off in the middle of a packet.
  Bytes r = {1, 100, 9};  // 100 repeats of 9 into 8 pixels, then the data ends
  Anim c(file(4, 2, 1, frame({chunk(15, r), chunk(15, {1, (uint8_t)-50, 1, 2})})));
  EXPECT_EQ(c.step(), 1);
  EXPECT_EQ(c.pixels(), Bytes(8, 9));  // the 50-byte copy with 2 bytes left writes nothing
}

TEST(FlcBroken, DeltasStayInsidePixels) {
  const int w = 4, h = 2;
  // Byte delta: a line past the picture, then a fill running off the last line.
  Bytes d;
  put16(d, 1), put16(d, 3);
  d.push_back(1), d.push_back(2), d.push_back((uint8_t)-127), d.push_back(7);  // 127 sevens from pixel 6
  d.push_back(1), d.push_back(0), d.push_back((uint8_t)-1), d.push_back(8);    // line 2: past the end
  // Word delta: a repeat of 100 pairs and a big copy on the last line.
  Bytes wd;
  put16(wd, 3);
  put16(wd, -1);
  put16(wd, 2);
  wd.push_back(3), wd.push_back((uint8_t)-100), wd.push_back(5), wd.push_back(6);
  wd.push_back(200), wd.push_back(1), wd.push_back(1), wd.push_back(1);
  put16(wd, 1);  // line 2 does not exist
  wd.push_back(0), wd.push_back(1), wd.push_back(2), wd.push_back(2);
  // Byte run: a copy and a fill past the end.
  Bytes br = {3, (uint8_t)-3, 1, 2, 3, 120, 4, 127, 5};
  Anim a(file(w, h, 3, cat({frame({chunk(12, d)}), frame({chunk(7, wd)}), frame({chunk(15, br)})})));
  EXPECT_EQ(a.step(), 1);
  const uint8_t e1[8] = {0, 0, 0, 0, 0, 0, 7, 7};
  EXPECT_EQ(0, std::memcmp(a.flc.pixels, e1, 8));
  EXPECT_EQ(a.step(), 1);
  const uint8_t e2[8] = {0, 0, 0, 0, 0, 0, 7, 5};  // line 1 from pixel 4: skip 3, one byte of the pairs fits
  EXPECT_EQ(0, std::memcmp(a.flc.pixels, e2, 8));
  EXPECT_EQ(a.step(), 1);
  const uint8_t e3[8] = {1, 2, 3, 4, 4, 4, 4, 4};
  EXPECT_EQ(0, std::memcmp(a.flc.pixels, e3, 8));
}

TEST(FlcBroken, NothingSelected) {
  xFlc none{};
  xFlcSelect(&none);
  xFlcFrameHeader fh;
  xFlcReadFrameHeader(&fh);
  EXPECT_EQ(fh.size, 0u);
  EXPECT_EQ(xFlcDecodeFrame(&fh), 0);
}

}  // namespace
