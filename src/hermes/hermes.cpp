// Pixel-format conversion by channel masks.
//
// Channel values change width like this: a narrower channel is first widened to
// 8 bits by exact scaling rounded down, v8 = v * 255 / max (5-bit 31 -> 255, 16 -> 131,
// as ImageMagick widens), then cut to the destination width by dropping low bits.
// Equal widths copy the value; a 5- or 6-bit value survives the trip to 8 bits and back.
#include <cstring>

#include "hermes/hermes_internal.h"
#include "platform/qvbytes.h"

enum { HERMES_MAX_CONVERTERS = 32, HERMES_MAX_PALETTES = 32 };

static HermesConverter hermesConverters[HERMES_MAX_CONVERTERS];
static struct {
  int32_t used;
  uint32_t entries[256];
} hermesPalettes[HERMES_MAX_PALETTES];
static int32_t hermesInitCount = 0;

HermesKernels hermesKernels = {hermesRow32to16};
static bool hermesKernelsInstalled = false;

void hermesInstallKernels(bool scalar) {
  hermesKernels.row32to16 = hermesRow32to16;
#if QV_SSE2
  if (!scalar && qvUseSSE2()) hermesKernels.row32to16 = hermesRow32to16Sse2;
#endif
  hermesKernelsInstalled = true;
}

int32_t Hermes_Init() {
  if (!hermesKernelsInstalled) hermesInstallKernels(false);
  hermesInitCount++;
  return 1;
}

int32_t Hermes_Done() {
  if (hermesInitCount > 0) hermesInitCount--;
  return 1;
}

// ---- masks ----

static int32_t hermesLowBit(uint32_t m) { return m ? __builtin_ctz(m) : 0; }
static int32_t hermesBitCount(uint32_t m) { return __builtin_popcount(m); }
static bool hermesContiguous(uint32_t m) {
  if (!m) return true;
  uint32_t v = m >> hermesLowBit(m);
  return (v & (v + 1)) == 0;
}

static bool hermesValidFormat(const HermesFormat* f) {
  if (f->bits != 8 && f->bits != 16 && f->bits != 24 && f->bits != 32) return false;
  if (f->indexed) return f->bits == 8;
  uint64_t limit = (uint64_t)1 << f->bits;
  uint32_t m[4] = {f->r, f->g, f->b, f->a};
  uint32_t all = 0;
  for (int i = 0; i < 4; i++) {
    if (m[i] >= limit || !hermesContiguous(m[i]) || (all & m[i])) return false;
    all |= m[i];
  }
  return f->r && f->g && f->b;
}

static bool hermesSameFormat(const HermesFormat* a, const HermesFormat* b) {
  if (a->bits != b->bits || !a->indexed != !b->indexed) return false;
  if (a->indexed) return true;
  return a->r == b->r && a->g == b->g && a->b == b->b && a->a == b->a;
}

// Value of an n-bit channel as an m-bit channel (n, m from 1 to 8).
static uint32_t hermesRescale(uint32_t v, int32_t n, int32_t m) {
  if (n == m) return v;
  uint32_t max = (1u << n) - 1;
  uint32_t v8 = n >= 8 ? v : v * 255 / max;
  return m >= 8 ? v8 : v8 >> (8 - m);
}

// Builds the channel tables for source mask sm and destination mask dm.
static void hermesBuildChannel(HermesChannel* ch, uint32_t sm, uint32_t dm) {
  std::memset(ch, 0, sizeof *ch);
  if (!sm || !dm) return;
  int32_t n = hermesBitCount(sm), m = hermesBitCount(dm);
  // Channels wider than 8 bits are read through their top 8 bits.
  int32_t drop = n > 8 ? n - 8 : 0;
  ch->shift = hermesLowBit(sm) + drop;
  n -= drop;
  ch->mask = (1u << n) - 1;
  int32_t dshift = hermesLowBit(dm);
  int32_t mm = m > 8 ? 8 : m;
  for (uint32_t v = 0; v <= ch->mask; v++) {
    uint32_t out = hermesRescale(v, n, mm);
    if (m > 8) out = (out << (m - 8)) | (out >> (16 - m > 0 ? 16 - m : 0));
    ch->lut[v] = (out << dshift) & dm;
  }
}

// ---- rows ----

static inline uint32_t hermesRead(const uint8_t* p, int32_t bytes) {
  switch (bytes) {
    case 1: return p[0];
    case 2: return qvLe16(p);
    case 3: return p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16;
    default: return qvLe32(p);
  }
}

static inline void hermesWrite(uint8_t* p, int32_t bytes, uint32_t v) {
  p[0] = (uint8_t)v;
  if (bytes > 1) p[1] = (uint8_t)(v >> 8);
  if (bytes > 2) p[2] = (uint8_t)(v >> 16);
  if (bytes > 3) p[3] = (uint8_t)(v >> 24);
}

template <int SB, int DB>
static void hermesRowGeneric(HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width) {
  const HermesChannel* ch = c->ch;
  const uint32_t fill = c->fill;
  for (int32_t x = 0; x < width; x++, s += SB, d += DB) {
    uint32_t p = hermesRead(s, SB);
    uint32_t o = ch[0].lut[(p >> ch[0].shift) & ch[0].mask] | ch[1].lut[(p >> ch[1].shift) & ch[1].mask] |
                 ch[2].lut[(p >> ch[2].shift) & ch[2].mask] | ch[3].lut[(p >> ch[3].shift) & ch[3].mask] | fill;
    hermesWrite(d, DB, o);
  }
}

template <int DB>
static void hermesRowIndexed(HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width) {
  const uint32_t* lut = c->indexLut;
  if (DB == 4) {
    uint32_t* d32 = (uint32_t*)(void*)d;
    for (int32_t x = 0; x < width; x++) {
      uint32_t v = lut[s[x]];
      std::memcpy(d32 + x, &v, 4);
    }
    return;
  }
  for (int32_t x = 0; x < width; x++, d += DB) hermesWrite(d, DB, lut[s[x]]);
}

static void hermesRowCopy(HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width) {
  std::memcpy(d, s, (size_t)width * c->sBytes);
}

void hermesRow32to16(HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width) {
  const int32_t s0 = c->fs[0], s1 = c->fs[1], s2 = c->fs[2];
  const int32_t d0 = c->fd[0], d1 = c->fd[1], d2 = c->fd[2];
  const uint32_t m0 = c->fm[0], m1 = c->fm[1], m2 = c->fm[2];
  for (int32_t x = 0; x < width; x++, s += 4, d += 2) {
    uint32_t p = hermesRead(s, 4);
    uint32_t o = ((p >> s0) & m0) << d0 | ((p >> s1) & m1) << d1 | ((p >> s2) & m2) << d2 | c->fill;
    d[0] = (uint8_t)o;
    d[1] = (uint8_t)(o >> 8);
  }
}

static void hermesRow32to24(HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width) {
  const int32_t s0 = c->fs[0], s1 = c->fs[1], s2 = c->fs[2];
  const int32_t d0 = c->fd[0], d1 = c->fd[1], d2 = c->fd[2];
  for (int32_t x = 0; x < width; x++, s += 4, d += 3) {
    uint32_t p = hermesRead(s, 4);
    uint32_t o = ((p >> s0) & 0xFF) << d0 | ((p >> s1) & 0xFF) << d1 | ((p >> s2) & 0xFF) << d2 | c->fill;
    d[0] = (uint8_t)o;
    d[1] = (uint8_t)(o >> 8);
    d[2] = (uint8_t)(o >> 16);
  }
}

// Stores the low 3 (DB = 3) or all 4 (DB = 4) bytes of a pixel, little-endian.
template <int DB>
static inline void hermesStoreBytes(uint8_t* d, uint32_t o) {
  if (DB == 4) {
    std::memcpy(d, &o, 4);
  } else {
    d[0] = (uint8_t)o;
    d[1] = (uint8_t)(o >> 8);
    d[2] = (uint8_t)(o >> 16);
  }
}

// 24/32-bit to 24/32-bit with whole-byte channels: each channel is one byte moved.
template <int SB, int DB>
static void hermesRowBytes(HermesConverter* c, const uint8_t* s, uint8_t* d, int32_t width) {
  const int32_t o0 = c->fs[0], o1 = c->fs[1], o2 = c->fs[2];
  const int32_t d0 = c->fd[0], d1 = c->fd[1], d2 = c->fd[2];
  for (int32_t x = 0; x < width; x++, s += SB, d += DB) {
    uint32_t o = (uint32_t)s[o0] << d0 | (uint32_t)s[o1] << d1 | (uint32_t)s[o2] << d2;
    hermesStoreBytes<DB>(d, o);
  }
}

// The same move with the channels in the three low bytes of both pixels, kept in
// order (ORDER 0) or reversed (ORDER 1, red and blue exchanged): constant shifts.
template <int SB, int DB, int ORDER>
static void hermesRowBytesFixed(HermesConverter*, const uint8_t* s, uint8_t* d, int32_t width) {
  for (int32_t x = 0; x < width; x++, s += SB, d += DB) {
    uint32_t o = ORDER == 0 ? (s[0] | (uint32_t)s[1] << 8 | (uint32_t)s[2] << 16)
                            : (s[2] | (uint32_t)s[1] << 8 | (uint32_t)s[0] << 16);
    hermesStoreBytes<DB>(d, o);
  }
}

template <int SB, int DB>
static HermesRowFn hermesBytesFor(const HermesConverter* c) {
  bool same = true, reversed = true;
  for (int i = 0; i < 3; i++) {
    same = same && c->fs[i] * 8 == c->fd[i] && c->fs[i] < 3;
    reversed = reversed && (2 - c->fs[i]) * 8 == c->fd[i] && c->fs[i] < 3;
  }
  if (same) return hermesRowBytesFixed<SB, DB, 0>;
  if (reversed) return hermesRowBytesFixed<SB, DB, 1>;
  return hermesRowBytes<SB, DB>;
}

static bool hermesByteChannel(uint32_t m) { return hermesBitCount(m) == 8 && hermesLowBit(m) % 8 == 0; }

static HermesRowFn hermesPlanBytes(HermesConverter* c) {
  const HermesFormat& s = c->source;
  const HermesFormat& d = c->dest;
  if (s.indexed || d.indexed || d.a || s.bits < 24 || d.bits < 24) return nullptr;
  uint32_t sm[3] = {s.r, s.g, s.b}, dm[3] = {d.r, d.g, d.b};
  for (int i = 0; i < 3; i++) {
    if (!hermesByteChannel(sm[i]) || !hermesByteChannel(dm[i])) return nullptr;
    c->fs[i] = hermesLowBit(sm[i]) / 8;  // byte of the source pixel
    c->fd[i] = hermesLowBit(dm[i]);      // bit position in the destination
  }
  if (s.bits == 24) return d.bits == 24 ? hermesBytesFor<3, 3>(c) : hermesBytesFor<3, 4>(c);
  return d.bits == 24 ? hermesBytesFor<4, 3>(c) : hermesBytesFor<4, 4>(c);
}

template <int SB>
static HermesRowFn hermesGenericFor(int32_t db) {
  switch (db) {
    case 1: return hermesRowGeneric<SB, 1>;
    case 2: return hermesRowGeneric<SB, 2>;
    case 3: return hermesRowGeneric<SB, 3>;
    default: return hermesRowGeneric<SB, 4>;
  }
}

// 32-bit source with 8-bit channels and a destination without alpha whose channels
// are at most 8 bits: each channel is a shift and a mask.
static bool hermesPlanFast32(HermesConverter* c) {
  const HermesFormat& s = c->source;
  const HermesFormat& d = c->dest;
  if (s.bits != 32 || s.indexed || d.indexed || d.a) return false;
  uint32_t sm[3] = {s.r, s.g, s.b}, dm[3] = {d.r, d.g, d.b};
  for (int i = 0; i < 3; i++) {
    if (hermesBitCount(sm[i]) != 8 || hermesBitCount(dm[i]) > 8) return false;
    int32_t m = hermesBitCount(dm[i]);
    c->fs[i] = hermesLowBit(sm[i]) + 8 - m;
    c->fm[i] = (1u << m) - 1;
    c->fd[i] = hermesLowBit(dm[i]);
    if (d.bits == 24 && m != 8) return false;
  }
  return d.bits == 16 || d.bits == 24;
}

// ---- converters ----

static HermesConverter* hermesConverter(HermesHandle h) {
  if (h < 1 || h > HERMES_MAX_CONVERTERS || !hermesConverters[h - 1].used) return nullptr;
  return &hermesConverters[h - 1];
}

static uint32_t* hermesPalette(HermesHandle h) {
  if (h < 1 || h > HERMES_MAX_PALETTES || !hermesPalettes[h - 1].used) return nullptr;
  return hermesPalettes[h - 1].entries;
}

HermesHandle Hermes_ConverterInstance(unsigned long flags) {
  for (int32_t i = 0; i < HERMES_MAX_CONVERTERS; i++) {
    if (!hermesConverters[i].used) {
      std::memset(&hermesConverters[i], 0, sizeof hermesConverters[i]);
      hermesConverters[i].used = 1;
      hermesConverters[i].flags = flags;
      return i + 1;
    }
  }
  return 0;
}

void Hermes_ConverterReturn(HermesHandle handle) {
  if (HermesConverter* c = hermesConverter(handle)) c->used = 0;
}

int32_t Hermes_ConverterRequest(HermesHandle handle, HermesFormat* source, HermesFormat* dest) {
  HermesConverter* c = hermesConverter(handle);
  if (!c || !source || !dest) return 0;
  c->ready = 0;
  if (!hermesValidFormat(source) || !hermesValidFormat(dest)) return 0;
  if (dest->indexed && !source->indexed) return 0;  // no colour quantisation
  c->source = *source;
  c->dest = *dest;
  c->sBytes = source->bits / 8;
  c->dBytes = dest->bits / 8;
  c->fill = 0;
  if (hermesSameFormat(source, dest)) {
    c->row = hermesRowCopy;
    c->ready = 1;
    return 1;
  }
  // An indexed source is read through its palette entries, 0x00RRGGBB.
  HermesFormat eff = *source;
  if (source->indexed) eff = HermesFormat{0xFF0000, 0xFF00, 0xFF, 0, 32, 0, 0, 0};
  hermesBuildChannel(&c->ch[0], eff.r, dest->r);
  hermesBuildChannel(&c->ch[1], eff.g, dest->g);
  hermesBuildChannel(&c->ch[2], eff.b, dest->b);
  hermesBuildChannel(&c->ch[3], eff.a, dest->a);
  if (!eff.a) c->fill = dest->a;  // no source alpha: opaque
  if (source->indexed) {
    switch (c->dBytes) {
      case 1: c->row = hermesRowIndexed<1>; break;
      case 2: c->row = hermesRowIndexed<2>; break;
      case 3: c->row = hermesRowIndexed<3>; break;
      default: c->row = hermesRowIndexed<4>; break;
    }
  } else if (HermesRowFn bytes = hermesPlanBytes(c)) {
    c->row = bytes;
  } else if (hermesPlanFast32(c)) {
    c->row = dest->bits == 24 ? hermesRow32to24 : hermesKernels.row32to16;
  } else {
    switch (c->sBytes) {
      case 1: c->row = hermesGenericFor<1>(c->dBytes); break;
      case 2: c->row = hermesGenericFor<2>(c->dBytes); break;
      case 3: c->row = hermesGenericFor<3>(c->dBytes); break;
      default: c->row = hermesGenericFor<4>(c->dBytes); break;
    }
  }
  c->ready = 1;
  return 1;
}

int32_t Hermes_ConverterPalette(HermesHandle handle, HermesHandle sourcePal, HermesHandle /*destPal*/) {
  HermesConverter* c = hermesConverter(handle);
  if (!c || !hermesPalette(sourcePal)) return 0;
  c->palette = sourcePal;
  return 1;
}

int32_t Hermes_ConverterCopy(HermesHandle handle, void* s_pixels, int32_t s_x, int32_t s_y, int32_t s_width,
                             int32_t s_height, int32_t s_pitch, void* d_pixels, int32_t d_x, int32_t d_y,
                             int32_t d_width, int32_t d_height, int32_t d_pitch) {
  HermesConverter* c = hermesConverter(handle);
  if (!c || !c->ready || !s_pixels || !d_pixels) return 0;
  if (s_width != d_width || s_height != d_height) return 0;  // no scaling
  if (s_width < 0 || s_height < 0 || s_x < 0 || s_y < 0 || d_x < 0 || d_y < 0) return 0;
  if (s_width == 0 || s_height == 0) return 1;
  if (c->source.indexed && !c->dest.indexed) {
    const uint32_t* pal = hermesPalette(c->palette);
    if (!pal) return 0;
    for (int32_t i = 0; i < 256; i++) {
      uint32_t p = pal[i];
      c->indexLut[i] =
          c->ch[0].lut[(p >> 16) & 0xFF] | c->ch[1].lut[(p >> 8) & 0xFF] | c->ch[2].lut[p & 0xFF] | c->fill;
    }
  }
  const uint8_t* s = (const uint8_t*)s_pixels + (intptr_t)s_y * s_pitch + (intptr_t)s_x * c->sBytes;
  uint8_t* d = (uint8_t*)d_pixels + (intptr_t)d_y * d_pitch + (intptr_t)d_x * c->dBytes;
  for (int32_t y = 0; y < s_height; y++, s += s_pitch, d += d_pitch) c->row(c, s, d, s_width);
  return 1;
}

// ---- palettes ----

HermesHandle Hermes_PaletteInstance() {
  for (int32_t i = 0; i < HERMES_MAX_PALETTES; i++) {
    if (!hermesPalettes[i].used) {
      std::memset(&hermesPalettes[i], 0, sizeof hermesPalettes[i]);
      hermesPalettes[i].used = 1;
      return i + 1;
    }
  }
  return 0;
}

void Hermes_PaletteReturn(HermesHandle handle) {
  if (hermesPalette(handle)) hermesPalettes[handle - 1].used = 0;
}

void Hermes_PaletteSet(HermesHandle handle, const uint32_t* palette) {
  uint32_t* p = hermesPalette(handle);
  if (p && palette) std::memcpy(p, palette, 256 * sizeof(uint32_t));
}
