// A byte stream over a buffer in memory with a read position.
#pragma once
#include <cstdint>

struct MFILE {
  uint8_t* data;
  int32_t size;
  int32_t position;
};

MFILE* mopen(const char* path);                       // whole disk file; fatal on failure
int32_t mread(void* dest, int32_t length, MFILE* f);  // 0, or 2 (nothing copied) past the end
int32_t mtell(MFILE* f);
int32_t mseek(MFILE* f, int32_t position);  // absolute, unchecked; returns 0
void mclose(MFILE* f);
