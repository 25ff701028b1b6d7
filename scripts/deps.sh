#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail
need=(build-essential pkg-config cmake clang-format libsdl2-dev libopenmpt-dev libminizip-dev zlib1g-dev
      libjpeg62-turbo-dev libpng-dev libgtest-dev libbenchmark-dev libfreetype-dev fonts-dejavu-core)
# Peer tools the tests use to check our writers; tests that need one skip when it is absent.
peers=(imagemagick ffmpeg assimp-utils openmpt123 desktop-file-utils appstream man-db dpkg-dev)
[ "${QV_WITH_PEERS:-1}" = 1 ] && need+=("${peers[@]}")
# The fuzz step builds with clang and links libFuzzer and the sanitizer runtimes.
[ "${QV_FUZZ:-1}" = 1 ] && need+=(clang libclang-rt-dev llvm)
missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "quorvane: missing Debian packages: ${missing[*]}" >&2
  echo "quorvane: run as root, or install them with: sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "quorvane: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}"
