#!/usr/bin/env bash
# The C++ sources as .clang-format lays them out. `format.sh` rewrites them in place;
# `format.sh --check` lists the files that differ and fails (the test command runs it).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "format: clang-format is missing (apt-get install -y clang-format)" >&2; exit 1; }
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tools/*.cpp' 'tools/*.h' 'tests/*.cpp' 'tests/*.h' \
                                   'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h')
if [ "${1:-}" != --check ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -ne 0 ]; then
  printf 'format: not as .clang-format lays it out: %s\n' "${bad[@]}" >&2
  echo "format: run scripts/format.sh to rewrite them" >&2
  exit 1
fi
echo "format: ${#files[@]} files as .clang-format lays them out"
