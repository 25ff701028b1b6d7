#!/usr/bin/env bash
# Checks the layout of the sources, then builds and runs every test: the release build, then
# the ASan+UBSan build with leak detection, then each fuzz target for a short fixed time after
# a replay of its stored corpus (libFuzzer, clang), then 20 s of the presentation under
# ThreadSanitizer.
# QV_SANITIZE=0 skips the sanitizer pass, QV_FUZZ=0 the fuzz step, QV_TSAN=0 the race check.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
bash scripts/format.sh --check
jobs=$(nproc)
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")
if [ "${QV_SANITIZE:-1}" = 1 ]; then
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_BENCH=OFF >/dev/null
  cmake --build build-asan -j"$jobs"
  # Leaks count; the suppressions name system libraries only.
  supp="$PWD/scripts/lsan.supp"
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$supp:print_suppressions=0" \
    ctest --output-on-failure -j"$jobs")
fi
if [ "${QV_FUZZ:-1}" = 1 ]; then
  bash scripts/fuzz.sh 15
fi
if [ "${QV_TSAN:-1}" = 1 ]; then
  # The audio thread against the main loop, on the real backend with SDL's dummy drivers.
  bash scripts/tsan.sh 20
fi
