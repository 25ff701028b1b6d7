// Helpers shared by the picture decoders.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/qvbytes.h"  // the decoders' little-endian fields

// A heap block for picture data, zero-filled; blocks above 1 GiB count as failed
// allocations. Either way the coded error 1 ("Can't allocate memory") ends the program.
uint8_t* xImageAlloc(size_t bytes, const char* module, int line);

struct xFileData;
struct xImage;

// A decoder over a whole file in memory; name is used in its messages.
typedef void (*xImageDecodeFn)(const uint8_t* data, int32_t size, const char* name, xImage& img);

// The two ways into a decoder: a record already read, or a disk path read here. Both end
// with "<loader>::Can't access file -> name" when there is nothing to read, and the disk
// form with "<loader>::Can't read file -> path" when the file cannot be read completely.
void xImageDecodeRecord(xFileData* fd, const char* loader, xImageDecodeFn decode, xImage& img);
void xImageDecodeDisk(const char* path, const char* loader, xImageDecodeFn decode, xImage& img);
