#!/usr/bin/env bash
# Fuzzing campaign: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]
# Builds the libFuzzer programs with clang, ASan and UBSan in build-fuzz/, replays the
# stored corpus fuzz/corpus/NAME of every target (or of the targets named), runs each
# target for SECONDS_PER_TARGET (default 300) from the stored and the local corpus
# (build-fuzz/corpus/NAME, not committed), merges the new inputs into the local corpus
# and prints a table. Findings are kept in build-fuzz/findings/NAME/; the exit status is
# 1 when there is any. QV_FUZZ_JOBS sets the build's parallel jobs (default: nproc);
# QV_FUZZ_RUNS ends each target's run after that many inputs if it comes first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && mapfile -t targets < <(sed -n 's/^QV_FUZZ_TARGET(\([a-z0-9]*\)).*/\1/p' fuzz/targets.inc)
QV_WITH_PEERS=${QV_WITH_PEERS:-0} QV_FUZZ=1 bash scripts/deps.sh
build=build-fuzz
jobs=${QV_FUZZ_JOBS:-$(nproc)}
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_SANITIZE=ON -DQV_LIBFUZZER=ON \
  -DQV_BENCH=OFF >/dev/null
programs=()
for t in "${targets[@]}"; do programs+=("fuzz_${t}_libfuzzer"); done
cmake --build "$build" -j"$jobs" --target "${programs[@]}" >/dev/null

# Reports stop the program (halt_on_error); leaks of an input count as findings.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
# Targets that read paths write each input to a file: memory-backed when there is one.
[ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm
run=$(mktemp -d)
trap 'rm -rf "$run"' EXIT
status=0
rows=()
for t in "${targets[@]}"; do
  prog="$build/fuzz/fuzz_${t}_libfuzzer"
  stored="fuzz/corpus/$t"
  local_dir="$build/corpus/$t"
  findings="$build/findings/$t"
  mkdir -p "$local_dir" "$findings" "$run/$t"
  extra=()
  [ -f "fuzz/dict/$t.dict" ] && extra+=(-dict="fuzz/dict/$t.dict")
  [ -n "${QV_FUZZ_RUNS:-}" ] && extra+=(-runs="$QV_FUZZ_RUNS")
  before=$(find "$findings" -type f | wc -l)
  # The stored inputs once each: any report here is a regression.
  replayed=$(find "$stored" -type f | wc -l)
  "$prog" -runs=0 -close_fd_mask=3 -artifact_prefix="$findings/" "$stored" >"$run/$t.replay" 2>&1 || true
  # New inputs land in the first folder: a scratch one, merged afterwards.
  "$prog" "${extra[@]}" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 -print_final_stats=1 \
    -close_fd_mask=3 -artifact_prefix="$findings/" "$run/$t" "$local_dir" "$stored" >"$run/$t.log" 2>&1 || true
  "$prog" -merge=1 -close_fd_mask=3 "$local_dir" "$run/$t" >"$run/$t.merge" 2>&1 || true
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/$t.log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$run/$t.log" | tail -1)
  first=$(grep -m1 -o 'INITED cov: [0-9]*' "$run/$t.log" | grep -o '[0-9]*$' || true)
  last=$(grep -o 'cov: [0-9]*' "$run/$t.log" | tail -1 | grep -o '[0-9]*$' || true)
  found=$(( $(find "$findings" -type f | wc -l) - before ))
  if [ "$found" -gt 0 ]; then
    status=1
    echo "== $t: findings in $findings" >&2
    grep -E -A24 'ERROR: |runtime error:' "$run/$t.replay" "$run/$t.log" | head -40 >&2 || true
  elif [ -z "$execs" ]; then
    status=1
    found="no run"
    tail -20 "$run/$t.log" >&2
  fi
  rows+=("$(printf '%-7s %8s %12s %9s %7s -> %-7s %s' "$t" "$replayed" "${execs:-?}" "${rate:-?}" "${first:-?}" \
    "${last:-?}" "$found")")
done
printf '%-7s %8s %12s %9s %18s %s\n' target replayed executions execs/s "coverage edges" findings
printf '%s\n' "${rows[@]}"
exit "$status"
