// FLC animation player: decodes 8-bit FLC/FLI frames held in memory into an indexed
// picture and a 256-entry palette of 8-bit components. It neither times, loops nor
// displays anything; the caller reads a frame header, decodes it and rewinds itself.
#pragma once
#include <cstdint>

// One loaded animation. Buffers are heap blocks kept for the whole run.
struct xFlc {
  uint8_t* frames;     // the file's bytes from offset 128 on
  uint8_t* pixels;     // width x height palette indices, rows top to bottom (cleared at load)
  uint8_t* palette;    // 768 bytes: 256 x (red, green, blue), 0..255 (cleared at load)
  uint8_t* header;     // copy of the 128-byte file header
  int32_t frameBytes;  // bytes held in frames: the header's file size - 128, or fewer
                       // when the file ends early
};

// The 16 bytes that start every frame block.
struct xFlcFrameHeader {
  uint32_t size;    // block size in bytes, these 16 included
  uint16_t type;    // 0xF1FA marks a frame
  uint16_t chunks;  // number of chunks in the frame
  uint8_t reserved[8];
};

// The player's program-wide state: the current animation and the read cursor.
struct xFlcPlayer {
  int16_t width;
  int16_t height;
  int32_t frameCount;  // the header's frame count: the caller's loop length
  uint8_t* pixels;
  uint8_t* palette;
  const uint8_t* frames;
  int32_t frameBytes;
  int32_t cursor;      // offset in frames of the next frame header
  int32_t frameStart;  // offset of the header last read
};
extern xFlcPlayer xFlcState;

enum : int32_t {
  XFLC_OK = 0,
  XFLC_ERR_SHORT = 1,  // fewer than the 128 header bytes
  XFLC_ERR_SIZE = 2,   // the header's file size is below 128
  XFLC_ERR_DIMS = 3,   // width or height is 0 or above 32767
  XFLC_ERR_MEMORY = 4,
};
enum : uint16_t { XFLC_FRAME = 0xF1FA };

// Header fields, little-endian (offsets 0, 4, 6, 8, 10).
uint32_t xFlcHeaderSize(const uint8_t* header);
uint16_t xFlcHeaderMagic(const uint8_t* header);
uint16_t xFlcHeaderFrames(const uint8_t* header);
uint16_t xFlcHeaderWidth(const uint8_t* header);
uint16_t xFlcHeaderHeight(const uint8_t* header);

// Builds an animation from a whole file in memory. size is the number of bytes
// available; frames beyond it are never read. Returns XFLC_OK or an XFLC_ERR_ code,
// in which case the record is left empty.
int32_t xFlcLoad(const uint8_t* bytes, int32_t size, xFlc* anim);
// Frees the buffers of a loaded animation (tools and tests; the presentation keeps them).
void xFlcFree(xFlc* anim);

// Makes the animation current and puts the cursor at its first frame.
void xFlcSelect(xFlc* anim);
// Puts the cursor back at the first frame (the caller's loop).
void xFlcRewind();
// Copies the 16 bytes at the cursor and moves past them. At the end of the data the
// header reads as all zeros.
void xFlcReadFrameHeader(xFlcFrameHeader* fh);
// Applies the frame after the header just read to pixels and palette and moves the
// cursor to the next block. Returns 1 for a frame (type 0xF1FA), 0 for any other block,
// which is skipped. Sizes that run past the data are cut at its end; deltas never
// write outside pixels.
int32_t xFlcDecodeFrame(const xFlcFrameHeader* fh);
