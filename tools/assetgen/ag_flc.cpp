#include "ag_flc.h"

#include <cstring>

static void set32(AgBytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; i++) b[at + i] = uint8_t(v >> (8 * i));
}
static void set16(AgBytes& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}

// Byte run: per line a packet count, then packets of a signed size: s > 0 repeats
// the next byte s times, s < 0 copies -s literal bytes. Runs of 3 or more repeat.
AgBytes agFlcBrun(const uint8_t* px, int32_t w, int32_t h) {
  AgBytes b;
  for (int32_t y = 0; y < h; y++) {
    const uint8_t* row = px + size_t(y) * w;
    size_t countAt = b.size();
    b.push_back(0);
    int32_t packets = 0, x = 0;
    while (x < w) {
      int32_t run = 1;
      while (x + run < w && run < 127 && row[x + run] == row[x]) run++;
      if (run >= 3) {
        b.push_back(uint8_t(run));
        b.push_back(row[x]);
        x += run;
      } else {
        int32_t lit = 0;  // literal until a run of 3 starts or 127 bytes are taken
        while (x + lit < w && lit < 127) {
          if (x + lit + 2 < w && row[x + lit] == row[x + lit + 1] && row[x + lit] == row[x + lit + 2]) break;
          lit++;
        }
        b.push_back(uint8_t(-lit));
        b.insert(b.end(), row + x, row + x + lit);
        x += lit;
      }
      packets++;
    }
    b[countAt] = uint8_t(packets > 255 ? 255 : packets);  // readers count pixels, not packets, when above 255
  }
  return b;
}

// Byte-oriented delta: first changed line, line count, then per line packets of
// (skip, signed size): size > 0 copies, size < 0 repeats one byte.
AgBytes agFlcDeltaByte(const uint8_t* prev, const uint8_t* cur, int32_t w, int32_t h) {
  int32_t first = 0, last = h - 1;
  while (first < h && !std::memcmp(prev + size_t(first) * w, cur + size_t(first) * w, size_t(w))) first++;
  if (first == h) {
    AgBytes b;
    agPut16(b, 0);
    agPut16(b, 0);
    return b;
  }
  while (last > first && !std::memcmp(prev + size_t(last) * w, cur + size_t(last) * w, size_t(w))) last--;
  AgBytes b;
  agPut16(b, uint32_t(first));
  agPut16(b, uint32_t(last - first + 1));
  for (int32_t y = first; y <= last; y++) {
    const uint8_t *p = prev + size_t(y) * w, *c = cur + size_t(y) * w;
    size_t countAt = b.size();
    b.push_back(0);
    int32_t packets = 0, x = 0;
    while (x < w) {
      int32_t skip = 0;
      while (x < w && p[x] == c[x] && skip < 255) {
        x++;
        skip++;
      }
      if (x == w) break;
      // Changed span: up to the next 3 unchanged pixels, at most 127 bytes.
      int32_t end = x;
      while (end < w && end - x < 127) {
        if (end + 2 < w && p[end] == c[end] && p[end + 1] == c[end + 1] && p[end + 2] == c[end + 2]) break;
        if (end + 2 >= w && p[end] == c[end]) {
          bool same = true;
          for (int32_t k = end; k < w; k++) same &= p[k] == c[k];
          if (same) break;
        }
        end++;
      }
      if (end == x) end = x + 1;  // a skip that reached 255 on a changed pixel
      int32_t n = end - x;
      bool uniform = n >= 3;
      for (int32_t k = 1; k < n && uniform; k++) uniform = c[x + k] == c[x];
      b.push_back(uint8_t(skip));
      if (uniform) {
        b.push_back(uint8_t(-n));
        b.push_back(c[x]);
      } else {
        b.push_back(uint8_t(n));
        b.insert(b.end(), c + x, c + end);
      }
      x = end;
      packets++;
    }
    if (packets > 255) return {};  // cannot happen for widths up to 255 x 2; callers fall back to a byte run
    b[countAt] = uint8_t(packets);
  }
  return b;
}

// Word-oriented delta: a count of coded lines; per line, negative words skip
// lines, then a packet count and packets of (skip bytes, signed count of words):
// count > 0 copies pixel pairs, count < 0 repeats one pair. Widths must be even.
AgBytes agFlcDeltaWord(const uint8_t* prev, const uint8_t* cur, int32_t w, int32_t h) {
  AgBytes b;
  agPut16(b, 0);
  int32_t lines = 0, skipLines = 0;
  for (int32_t y = 0; y < h; y++) {
    const uint8_t *p = prev + size_t(y) * w, *c = cur + size_t(y) * w;
    if (!std::memcmp(p, c, size_t(w))) {
      skipLines++;
      continue;
    }
    if (skipLines) {
      agPut16(b, uint32_t(-skipLines) & 0xFFFF);
      skipLines = 0;
    }
    size_t countAt = b.size();
    agPut16(b, 0);
    int32_t packets = 0, x = 0;  // x counts pixel pairs
    int32_t pairs = w / 2;
    auto same = [&](int32_t i) { return p[2 * i] == c[2 * i] && p[2 * i + 1] == c[2 * i + 1]; };
    while (x < pairs) {
      int32_t skip = 0;
      while (x < pairs && same(x) && skip + 2 <= 255) {
        x++;
        skip += 2;
      }
      if (x == pairs) break;
      int32_t end = x;
      while (end < pairs && end - x < 127) {
        if (end + 1 < pairs && same(end) && same(end + 1)) break;
        if (end + 1 == pairs && same(end)) break;
        end++;
      }
      if (end == x) end = x + 1;
      int32_t n = end - x;
      bool uniform = n >= 2;
      for (int32_t k = 1; k < n && uniform; k++)
        uniform = c[2 * (x + k)] == c[2 * x] && c[2 * (x + k) + 1] == c[2 * x + 1];
      b.push_back(uint8_t(skip));
      if (uniform) {
        b.push_back(uint8_t(-n));
        b.push_back(c[2 * x]);
        b.push_back(c[2 * x + 1]);
      } else {
        b.push_back(uint8_t(n));
        b.insert(b.end(), c + 2 * x, c + 2 * end);
      }
      x = end;
      packets++;
    }
    set16(b, countAt, uint32_t(packets));
    lines++;
  }
  set16(b, 0, uint32_t(lines));
  return b;
}

// One packet holding all 256 entries (copy count 0 means 256).
AgBytes agFlcPalette(const std::array<uint8_t, 768>& pal, bool sixBit) {
  AgBytes b;
  agPut16(b, 1);
  b.push_back(0);
  b.push_back(0);
  for (uint8_t v : pal) b.push_back(sixBit ? uint8_t(v >> 2) : v);
  return b;
}

void agFlcBegin(AgFlcWriter& f, int32_t w, int32_t h, int32_t speedMs) {
  f = AgFlcWriter();
  f.w = w;
  f.h = h;
  f.speedMs = speedMs;
  f.prev.assign(size_t(w) * h, 0);
}

static void addChunk(AgBytes& frame, uint16_t type, const AgBytes& body) {
  uint32_t size = uint32_t(6 + body.size());
  bool pad = size & 1;  // chunks keep even sizes
  agPut32(frame, size + (pad ? 1 : 0));
  agPut16(frame, type);
  frame.insert(frame.end(), body.begin(), body.end());
  if (pad) frame.push_back(0);
}

void agFlcFrame(AgFlcWriter& f, const uint8_t* px, const std::array<uint8_t, 768>& pal, AgFlcDelta kind,
                AgFlcPal palKind) {
  AgBytes frame(16, 0);
  int32_t chunks = 0;
  if (palKind != AG_FLC_PAL_NONE) {
    addChunk(frame, uint16_t(palKind), agFlcPalette(pal, palKind == AG_FLC_PAL_64));
    chunks++;
  }
  AgBytes body;
  if (f.frameCount == 0) kind = AG_FLC_BRUN;
  if (kind == AG_FLC_DELTA_BYTE) body = agFlcDeltaByte(f.prev.data(), px, f.w, f.h);
  else if (kind == AG_FLC_DELTA_WORD) body = agFlcDeltaWord(f.prev.data(), px, f.w, f.h);
  if (kind == AG_FLC_BRUN || (kind == AG_FLC_DELTA_BYTE && body.empty())) {
    kind = AG_FLC_BRUN;
    body = agFlcBrun(px, f.w, f.h);
  }
  addChunk(frame, uint16_t(kind), body);
  chunks++;
  set32(frame, 0, uint32_t(frame.size()));
  set16(frame, 4, 0xF1FA);
  set16(frame, 6, uint32_t(chunks));
  if (f.frameCount == 1) f.secondFrameOffset = uint32_t(128 + f.frames.size());
  f.frames.insert(f.frames.end(), frame.begin(), frame.end());
  std::memcpy(f.prev.data(), px, f.prev.size());
  f.prevPal = pal;
  f.frameCount++;
}

AgBytes agFlcFinish(const AgFlcWriter& f) {
  AgBytes b;
  agPut32(b, uint32_t(128 + f.frames.size()));
  agPut16(b, 0xAF12);
  agPut16(b, uint32_t(f.frameCount));
  agPut16(b, uint32_t(f.w));
  agPut16(b, uint32_t(f.h));
  agPut16(b, 8);  // depth
  agPut16(b, 3);  // flags: file finished and updated
  agPut32(b, uint32_t(f.speedMs));
  agPut16(b, 0);  // reserved
  agPut32(b, 0);
  agPut32(b, 0);  // creation and update time (fixed for reproducible files)
  agPut32(b, 0);
  agPut32(b, 0);  // creator and updater serials
  agPut16(b, 1);
  agPut16(b, 1);  // aspect ratio
  b.resize(80, 0);
  agPut32(b, 128);                  // first frame
  agPut32(b, f.secondFrameOffset);  // second frame
  b.resize(128, 0);
  b.insert(b.end(), f.frames.begin(), f.frames.end());
  return b;
}
