// Little-endian fields of the files the program and its tools read (pictures, FLC, 3DS,
// S3M, icons), from bytes at any alignment. Kept in the lowest layer so that every library,
// tool, test and fuzz harness shares one reader.
#pragma once
#include <cstdint>

inline uint16_t qvLe16(const uint8_t* p) { return (uint16_t)(p[0] | p[1] << 8); }
inline int16_t qvLeS16(const uint8_t* p) { return (int16_t)qvLe16(p); }
inline uint32_t qvLe32(const uint8_t* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}
