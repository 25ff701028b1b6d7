// Robustness harnesses for the readers of untrusted input. Each target (fuzz_<target>.cpp,
// or fuzz_decoders.cpp for the picture decoders) has an entry qvfuzz_<target>::qvFuzzOne(data, size) that feeds the
// bytes to one reader and releases what it built, and qvFuzzReset() that releases what an input ended by the engine's
// fatal error left behind (so the harness keeps its records in module state, not on the stack). The mutation driver
// runs each input in a forked child, where the fatal error ends the child; libFuzzer programs return to the entry
// instead.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "file/xfile.h"

typedef int (*QvFuzzFn)(const uint8_t* data, size_t size);
typedef void (*QvFuzzResetFn)();

#define QV_FUZZ_TARGET(t)                            \
  namespace qvfuzz_##t {                             \
    int qvFuzzOne(const uint8_t* data, size_t size); \
    void qvFuzzReset();                              \
  }
#define QV_FUZZ_DECODER(t, loader)
#include "targets.inc"
#undef QV_FUZZ_DECODER
#undef QV_FUZZ_TARGET

// Runs one input. In fuzz builds (QV_FUZZ_BUILD) a fatal error inside returns here:
// the reset releases the target's leftovers and the input counts as handled (returns 1;
// 0 when the target returned by itself). Elsewhere the fatal error ends the process.
int qvFuzzGuarded(QvFuzzFn fn, QvFuzzResetFn reset, const uint8_t* data, size_t size);

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

// The scene target's archive as ZIP bytes: a 3DS scene ("scene.3ds": Camera01,
// Light01, material Mat on object Tri), its textures ("tex.tga", "flare.pcx") and
// the script under test ("fuzz.scr").
std::vector<uint8_t> qvFuzzSceneArchive(const uint8_t* script, size_t size);
