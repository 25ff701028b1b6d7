// Robustness harnesses for the readers of untrusted input. Each fuzz_<target>.cpp has
// one entry qvfuzz_<target>::qvFuzzOne(data, size) that feeds the bytes to one reader and
// releases what it built. Bad input may end the program through the engine's fatal
// error path (message on stderr, exit 1..255); anything else must return normally.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "file/xfile.h"

// With -DQV_LIBFUZZER a target file also becomes a libFuzzer program on its own.
#ifdef QV_LIBFUZZER
#define QV_FUZZ_LIBFUZZER_ENTRY(ns) \
  extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) { return ns::qvFuzzOne(data, size); }
#else
#define QV_FUZZ_LIBFUZZER_ENTRY(ns)
#endif

#define QV_FUZZ_DECLARE(t) \
  namespace qvfuzz_##t {   \
  int qvFuzzOne(const uint8_t* data, size_t size); \
  }
QV_FUZZ_DECLARE(tga)
QV_FUZZ_DECLARE(pcx)
QV_FUZZ_DECLARE(gif)
QV_FUZZ_DECLARE(jpeg)
QV_FUZZ_DECLARE(image)
QV_FUZZ_DECLARE(flc)
QV_FUZZ_DECLARE(3ds)
QV_FUZZ_DECLARE(script)
QV_FUZZ_DECLARE(zip)
#undef QV_FUZZ_DECLARE

// A record over the caller's bytes (never freed through xFile); sizes above 2 GiB - 1
// are cut, as no reader takes more.
inline xFileData qvFuzzRecord(const uint8_t* data, size_t size, const char* name) {
  xFileData fd;
  fd.name = const_cast<char*>(name);
  fd.size = size > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int32_t>(size);
  fd.data = const_cast<uint8_t*>(data);
  return fd;
}

// Writes the bytes to a private temporary file for readers that take a path; returns
// its name, or an empty string when it cannot be written. The caller removes it.
std::string qvFuzzTempFile(const uint8_t* data, size_t size, const char* suffix);

// Small valid files of each kind, so a run has seeds even without the sample corpus.
std::vector<std::vector<uint8_t>> qvFuzzBuiltinSeeds(const std::string& target);
