// libFuzzer entry for one target, chosen at build time with -DQV_FUZZ_ENTRY=qvfuzz_<name>.
// An input that reaches the engine's fatal error returns here as handled.
#include "qvfuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qvFuzzGuarded(QV_FUZZ_ENTRY::qvFuzzOne, QV_FUZZ_ENTRY::qvFuzzReset, data, size);
  return 0;
}
