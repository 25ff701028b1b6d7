#!/usr/bin/env bash
# Checks the layout of the sources, then builds and runs every test: the release build, then
# the ASan+UBSan build with leak detection, then each fuzz target for a short fixed time after
# a replay of its stored corpus (libFuzzer, clang), then 20 s of the presentation under
# ThreadSanitizer, then the web build: its headless presentation under node against this native
# build (count, hash, golden frames) and the page in headless Chromium. Ends with a table of the
# stages and their times, also after a failure.
# QV_SANITIZE=0 skips the sanitizer pass, QV_FUZZ=0 the fuzz step, QV_TSAN=0 the race check,
# QV_WEB=0 the web build (its libraries are built once into build-web/deps and kept).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
rows=()
# Runs one stage, timing it; a failing stage ends the script (the table still prints).
stage() {
  local name=$1 t0=$SECONDS rc=0
  shift
  "$@" || rc=$?
  rows+=("$(printf '%-22s %6d s  %s' "$name" $((SECONDS - t0)) "$([ $rc -eq 0 ] && echo ok || echo "FAILED ($rc)")")")
  return $rc
}
table() {
  local rc=$?
  echo
  printf '%-22s %8s  %s\n' stage time result
  printf '%s\n' "${rows[@]}"
  printf '%-22s %6d s  %s\n' total "$SECONDS" "$([ $rc -eq 0 ] && echo ok || echo FAILED)"
}
trap table EXIT
build() { cmake -S . -B "$1" "${@:2}" >/dev/null && cmake --build "$1" -j"$jobs"; }
release_tests() { (cd build && ctest --output-on-failure -j"$jobs"); }
asan_tests() {
  # Leaks count; the suppressions name system libraries only.
  local supp="$PWD/scripts/lsan.supp"
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$supp:print_suppressions=0" \
    ctest --output-on-failure -j"$jobs")
}

stage "dependencies" bash scripts/deps.sh
stage "format check" bash scripts/format.sh --check
stage "release build" build build -DCMAKE_BUILD_TYPE=Release
stage "release tests" release_tests
if [ "${QV_SANITIZE:-1}" = 1 ]; then
  stage "asan+ubsan build" build build-asan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_BENCH=OFF
  stage "asan+ubsan tests" asan_tests
fi
# Each fuzz target 15 s after its corpus replay.
[ "${QV_FUZZ:-1}" = 1 ] && stage "fuzz" bash scripts/fuzz.sh 15
# The audio thread against the main loop, on the real backend with SDL's dummy drivers.
[ "${QV_TSAN:-1}" = 1 ] && stage "thread sanitizer" bash scripts/tsan.sh 20
if [ "${QV_WEB:-1}" = 1 ]; then
  export QV_WEB_HOST=$PWD/build
  stage "web libraries" bash scripts/web.sh --deps
  stage "web build" bash scripts/web.sh
  stage "web tests" bash scripts/web.sh --test
fi
exit 0
