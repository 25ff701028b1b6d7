// Helpers shared by the picture decoders.
#pragma once
#include <cstddef>
#include <cstdint>

// A heap block for picture data, zero-filled; blocks above 1 GiB count as failed
// allocations. Either way the coded error 1 ("Can't allocate memory") ends the program.
uint8_t* xImageAlloc(size_t bytes, const char* module, int line);

// Reads a whole disk file into a new heap block. Returns 1 on success, 0 when the file
// cannot be opened, -1 when it cannot be read completely.
int32_t xImageReadDisk(const char* path, uint8_t** data, int32_t* size);

// Little-endian fields.
inline uint32_t xImageU16(const uint8_t* p) { return p[0] | (uint32_t)p[1] << 8; }
inline int32_t xImageS16(const uint8_t* p) { return (int16_t)(p[0] | p[1] << 8); }
