#!/usr/bin/env bash
# Races between the audio thread and the main loop: the real (sdl) backend under ThreadSanitizer,
# with SDL's dummy video and its disk audio driver (the callback thread runs as with a sound
# card, writing to /dev/null), for 20 s of the presentation. Fails on any race report.
#   tsan.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}
cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_TSAN=ON -DQV_TESTS=OFF -DQV_BENCH=OFF >/dev/null
cmake --build build-tsan -j"$(nproc)" --target quorvane
log=$(mktemp)
trap 'rm -f "$log"' EXIT
(cd build-tsan && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null \
   TSAN_OPTIONS="halt_on_error=1 exitcode=66 suppressions=$PWD/../scripts/tsan.supp" \
   ./quorvane --windowed --script "$((seconds * 1000)):key:ESC") 2>"$log" && rc=0 || rc=$?
if [ "$rc" -ne 0 ] || grep -q "WARNING: ThreadSanitizer" "$log"; then
  cat "$log" >&2
  echo "tsan: the presentation ended with $rc or a race was reported" >&2
  exit 1
fi
echo "tsan: ${seconds} s of the presentation with the audio thread, no race reported"
