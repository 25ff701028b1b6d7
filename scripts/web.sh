#!/usr/bin/env bash
# Builds the web version into build-web/: emscripten from Debian, the libraries from their Debian
# source packages (built once into build-web/deps/NAME-VERSION and reused), the assets from a native
# host build (build-web/host), then the program (build-web/wasm) and the page (build-web/site).
#   scripts/web.sh            build everything that is missing or out of date
#   scripts/web.sh --deps     only the libraries
#   scripts/web.sh --node     also run the headless presentation under node: the native count and
#                             hash, and the golden frames
#   scripts/web.sh --test     also that, then the page in headless Chromium (screenshot in build-web/page.png)
#   scripts/web.sh --serve    build, then serve build-web/site on http://127.0.0.1:${QV_WEB_PORT:-8080}/
# QV_WEB_HOST names a native build to use for the assets and the reference runs (default build-web/host).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-web
deps=$out/deps
jobs=${QV_WEB_JOBS:-2}
# The Debian source versions built (epochs dropped in the folder names).
declare -A srcver=([zlib]=1:1.2.13.dfsg-1 [libpng1.6]=1.6.39-2+deb12u5 [minizip]=1.1-8+deb12u1
                   [libjpeg-turbo]=1:2.1.5-2 [libopenmpt]=0.6.9-1)
srclist=/etc/apt/sources.list.d/quorvane-web-src.sources
# A point release may replace a pinned version in the archive; the version fetched instead is
# kept in build-web/src/PKG.version and built from then on.
for p in "${!srcver[@]}"; do
  [ -f "$out/src/$p.version" ] && srcver[$p]=$(cat "$out/src/$p.version")
done

log() { echo "web: $*" >&2; }
die() {
  log "$*"
  exit 1
}
depdir() { echo "$deps/$1-${srcver[$1]#*:}"; }
have() { [ -f "$(depdir "$1")/.built" ]; }

# ---- Toolchain ------------------------------------------------------------------------------
toolchain() {
  local want=()
  command -v emcc >/dev/null || want+=(emscripten)
  dpkg -L node-acorn >/dev/null 2>&1 || want+=(node-acorn)
  command -v node >/dev/null || want+=(nodejs)
  command -v npm >/dev/null || want+=(npm)
  if [ ${#want[@]} -gt 0 ]; then
    [ "$(id -u)" -eq 0 ] || die "missing: ${want[*]}: run as root or apt-get install -y ${want[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${want[@]}" >&2
  fi
  # Debian's emscripten looks for acorn through node's module path, which this node lacks.
  NODE_PATH=$(dirname "$(dpkg -L node-acorn | grep -m1 '/nodejs/acorn$')")
  export NODE_PATH
  mkdir -p "$out"
  # emcmake's own emulator passes a flag newer node rejects; 3.1.6's JS needs fetch off under node.
  printf '#!/bin/sh\nexec node --no-experimental-fetch "$@"\n' >"$out/node-run.sh"
  chmod +x "$out/node-run.sh"
}

# ---- Debian sources -------------------------------------------------------------------------
# deb-src lines for the suites the machine already uses, present only while fetching.
src_add() {
  [ "$(id -u)" -eq 0 ] || die "fetching Debian sources needs root (apt-get source with deb-src lines)"
  trap src_remove EXIT
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources >"$srclist"
  else
    grep -h '^deb ' /etc/apt/sources.list | sed -e 's/^deb /deb-src /' >"${srclist%.sources}.list"
  fi
  apt-get update -qq >&2
}
src_remove() {
  [ -f "$srclist" ] || [ -f "${srclist%.sources}.list" ] || return 0
  rm -f "$srclist" "${srclist%.sources}.list"
  apt-get update -qq >&2 || true
}
srcdir() { echo "$out/src/$1-${srcver[$1]#*:}/tree"; }
# fetch PKG: unpacks the pinned source into srcdir PKG (once), or the archive's current one.
fetch() {
  local pkg=$1 dir dsc
  dir=$(dirname "$(srcdir "$pkg")")
  [ -d "$dir/tree" ] && return 0
  [ -f "$srclist" ] || [ -f "${srclist%.sources}.list" ] || src_add
  rm -rf "$dir" && mkdir -p "$dir"
  if ! (cd "$dir" && apt-get source -qq "$pkg=${srcver[$pkg]}" >&2); then
    log "$pkg ${srcver[$pkg]} is no longer in the archive: taking its current version"
    rm -rf "$dir" && mkdir -p "$dir"
    (cd "$dir" && apt-get source -qq "$pkg" >&2) || die "cannot fetch the Debian source of $pkg"
    dsc=$(basename "$(ls "$dir"/*.dsc | head -1)" .dsc)  # NAME_VERSION, without the epoch
    srcver[$pkg]=${dsc#*_}
    echo "${srcver[$pkg]}" >"$out/src/$pkg.version"
    local to
    to=$(dirname "$(srcdir "$pkg")")
    rm -rf "$to" && mv "$dir" "$to" && dir=$to
  fi
  mv "$(find "$dir" -mindepth 1 -maxdepth 1 -type d | head -1)" "$dir/tree"
}

# ---- Library builds (each: sources, emcc, headers and one static library) --------------------
# cc_lib NAME OUT SRC... : compiles C sources with emcc into OUT/lib/libNAME.a.
cc_lib() {
  local name=$1 dest=$2 objs=() o
  shift 2
  mkdir -p "$dest/obj" "$dest/lib" "$dest/include"
  for s in "$@"; do
    o=$dest/obj/$(basename "${s%.*}").o
    nice -n 5 emcc -O2 -c "$s" -o "$o" ${CFLAGS_DEP:-}
    objs+=("$o")
  done
  emar rcs "$dest/lib/lib$name.a" "${objs[@]}"
}

build_zlib() {
  local t d
  t=$(srcdir zlib) d=$(depdir zlib)
  [ -f "$t/zconf.h" ] || cp "$t/zconf.h.in" "$t/zconf.h"
  CFLAGS_DEP="-DHAVE_UNISTD_H -DHAVE_STDARG_H" cc_lib z "$d" "$t"/{adler32,compress,crc32,deflate,gzclose,gzlib,gzread,gzwrite,infback,inffast,inflate,inftrees,trees,uncompr,zutil}.c
  cp "$t"/{zlib.h,zconf.h} "$d/include/"
}
build_png() {
  local t d
  t=$(srcdir libpng1.6) d=$(depdir libpng1.6)
  cp "$t/scripts/pnglibconf.h.prebuilt" "$t/pnglibconf.h"
  CFLAGS_DEP="-I$(depdir zlib)/include" cc_lib png16 "$d" "$t"/{png,pngerror,pngget,pngmem,pngpread,pngread,pngrio,pngrtran,pngrutil,pngset,pngtrans,pngwio,pngwrite,pngwtran,pngwutil}.c
  cp "$t"/{png.h,pngconf.h,pnglibconf.h} "$d/include/"
}
build_minizip() {
  local t d
  t=$(srcdir minizip) d=$(depdir minizip)
  CFLAGS_DEP="-I$(depdir zlib)/include -DIOAPI_NO_64" cc_lib minizip "$d" "$t"/{ioapi,unzip,zip,mztools}.c
  mkdir -p "$d/include/minizip" && cp "$t"/{ioapi,unzip,zip,mztools,crypt}.h "$d/include/minizip/"
}
build_jpeg() {
  local t d
  t=$(srcdir libjpeg-turbo) d=$(depdir libjpeg-turbo)
  nice -n 5 emcmake cmake -S "$t" -B "$d/build" -DCMAKE_BUILD_TYPE=Release -DWITH_SIMD=0 -DENABLE_SHARED=0 \
    -DWITH_TURBOJPEG=0 -DCMAKE_INSTALL_PREFIX="$d" -DCMAKE_CROSSCOMPILING_EMULATOR="$out/node-run.sh" >&2
  nice -n 5 cmake --build "$d/build" -j"$jobs" --target jpeg-static >&2
  mkdir -p "$d/lib" "$d/include"
  cp "$d/build/libjpeg.a" "$d/lib/"
  cp "$t"/{jpeglib.h,jmorecfg.h,jerror.h} "$d/build/jconfig.h" "$d/include/"
}

# dep NAME FUNCTION: builds a library once, timing it.
dep() {
  have "$1" && return 0
  local t0=$SECONDS
  rm -rf "$(depdir "$1")"
  "$2"
  touch "$(depdir "$1")/.built"
  log "$1 ${srcver[$1]} built in $((SECONDS - t0)) s"
}
all_deps() {
  for p in "${!srcver[@]}"; do have "$p" || fetch "$p"; done
  src_remove
  trap - EXIT
  dep zlib build_zlib
  dep libpng1.6 build_png
  dep minizip build_minizip
  dep libjpeg-turbo build_jpeg
  dep libopenmpt build_openmpt
}

# libopenmpt: the autotools tarball has no emscripten makefile; its library is the .cpp files
# Makefile.am lists (about 130), compiled two at a time. zlib only, no mpg123/ogg/vorbis.
build_openmpt() {
  local t d
  t=$(srcdir libopenmpt) d=$(depdir libopenmpt)
  mkdir -p "$d/obj" "$d/lib" "$d/include/libopenmpt"
  awk '/^(MPT_FILES_(COMMON|SOUNDLIB|SOUNDDSP)|libopenmpt_la_SOURCES) \+?= .*\.cpp$/ {print $3}' "$t/Makefile.am" |
    (cd "$t" && nice -n 5 xargs -P "$jobs" -I{} sh -c 'emcc -O2 -std=c++17 -DLIBOPENMPT_BUILD -DMPT_WITH_ZLIB \
      -I"$2" -Ibuild/svn_version -I. -Isrc -Icommon -c "$1" -o "$3/obj/$(echo "$1" | tr / _).o"' \
      _ {} "$(depdir zlib)/include" "$d")
  emar rcs "$d/lib/libopenmpt.a" "$d"/obj/*.o
  cp "$t"/libopenmpt/libopenmpt{.h,.hpp,_config.h,_version.h} "$d/include/libopenmpt/"
}

# ---- The program -----------------------------------------------------------------------------
# The asset generator and the reference program run natively: a host build (shared ccache, no
# tests), or an existing native build named by QV_WEB_HOST (the test command passes its own).
host=${QV_WEB_HOST:-$out/host}
host_assets() {
  local t0=$SECONDS launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  if [ "$host" = "$out/host" ]; then
    cmake -S "$root" -B "$host" -DCMAKE_BUILD_TYPE=Release -DQV_TESTS=OFF -DQV_BENCH=OFF "${launcher[@]}" >/dev/null
  fi
  nice -n 5 cmake --build "$host" -j"$jobs" --target assets quorvane >/dev/null
  log "host assets ready in $((SECONDS - t0)) s"
}
program() {
  local t0=$SECONDS
  emcmake cmake -S "$root" -B "$out/wasm" -DCMAKE_BUILD_TYPE=Release -DQV_WEB=ON -DQV_WEB_DEPS="$deps" \
    -DQV_HOST_BUILD="$host" -DCMAKE_CROSSCOMPILING_EMULATOR="$out/node-run.sh" >/dev/null
  nice -n 5 cmake --build "$out/wasm" -j"$jobs" --target quorvane quorvane_page >&2
  log "program built in $((SECONDS - t0)) s"
}
# The page: our own HTML (emcc's page writer fails in Debian's 3.1.6) beside the program's files.
site() {
  mkdir -p "$out/site"
  cp "$root/web/index.html" "$out/wasm/site/"quorvane.{js,wasm,data} "$out/site/"
}
# The headless presentation under node against the native program: the same count and hash,
# and the golden frames of the desktop tests.
node_run() {
  local want got t0=$SECONDS
  rm -rf "$out/frames" && mkdir -p "$out/frames"
  want=$("$host/quorvane" --headless --no-config | tail -1)
  got=$(cd "$out/wasm" && "$out/node-run.sh" quorvane.js --headless --no-config --dump-frames "$out/frames:1000" | tail -1)
  log "native: $want"
  log "web:    $got ($((SECONDS - t0)) s for both)"
  [ "$want" = "$got" ] || die "the web build presents other frames than the native program"
  # Without a page only the headless run has somewhere to go: a clear message, status 1.
  got=$(cd "$out/wasm" && "$out/node-run.sh" quorvane.js --windowed --no-config 2>&1 >/dev/null) && die "--windowed under node did not fail"
  [ "$got" = "quorvane: no page to show the presentation in (under node, use --headless)" ] || die "--windowed under node: $got"
  pw_modules
  NODE_PATH=$out/pw/node_modules node "$root/tests/web/golden_check.cjs" "$out/frames" "$root/tests/data/golden"
}
# npm's playwright-core (driving Debian's chromium) and pngjs, kept in build-web/pw.
pw_modules() {
  [ -d "$out/pw/node_modules/playwright-core" ] && return 0
  mkdir -p "$out/pw"
  (cd "$out/pw" && npm init -y >/dev/null && npm install -s --no-audit --no-fund playwright-core@1.65.2 pngjs@7 >&2)
}
# The page in headless Chromium, its virtual-clock run checked against the native program's.
page_test() {
  local line
  if ! command -v chromium >/dev/null; then
    [ "$(id -u)" -eq 0 ] || die "chromium missing: run as root or apt-get install -y chromium"
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq chromium >&2
  fi
  pw_modules
  rm -rf "$out/ref" && mkdir -p "$out/ref"
  line=$("$host/quorvane" --headless --no-config --start-order 9 --script 4000:key:ESC --dump-frames "$out/ref:100000" | tail -1)
  NODE_PATH=$out/pw/node_modules node "$root/tests/web/page_test.cjs" "$out/site" "$out/page.png" \
    "$(ls "$out"/ref/*_last.png)" "$line"
}
serve() {
  log "serving http://127.0.0.1:${QV_WEB_PORT:-8080}/"
  exec python3 -m http.server -b 127.0.0.1 -d "$out/site" "${QV_WEB_PORT:-8080}"
}

main() {
  case "${1:-}" in
    --deps) toolchain && all_deps ;;
    "" | --node | --test | --serve)
      toolchain
      all_deps
      host_assets
      program
      site
      case "${1:-}" in
        --node) node_run ;;
        --test) node_run && page_test ;;
        --serve) serve ;;
      esac
      ;;
    *) die "usage: scripts/web.sh [--deps | --node | --test | --serve]" ;;
  esac
}
main "$@"
