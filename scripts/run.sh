#!/usr/bin/env bash
# Builds everything (release) and runs the presentation. Extra arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
QV_WITH_PEERS=0 bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
cd build && exec ./quorvane "$@"
