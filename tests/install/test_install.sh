#!/usr/bin/env bash
# The install and the packages: cmake --install into a temporary prefix, the portable TGZ and
# the .deb (unpacked, not installed); each runs the whole presentation headless from an
# unrelated folder. Desktop file, metainfo and manual page checked with their own tools when
# they are installed; --help and the manual list the same options.
#   test_install.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs an installed program from an unrelated folder; it must find its data and play to the end.
play() {
  local exe=$1 name=$2
  mkdir -p "$work/elsewhere"
  (cd "$work/elsewhere" && "$exe" --headless --no-config --log "$name.log" >/dev/null) || fail "$name: the presentation did not end with 0"
  grep -q "XLOG: segment 14 -> 15" "$work/elsewhere/$name.log" || fail "$name: did not reach the last part"
  grep "XLOG: data: " "$work/elsewhere/$name.log"
}

cmake --install "$build" --prefix "$work/prefix" >/dev/null
for f in bin/quorvane bin/qvtool share/quorvane/quorvane.kvo share/quorvane/rul-quor.s3m share/quorvane/qvane.nfo \
         share/applications/quorvane.desktop share/metainfo/org.kelvo.quorvane.metainfo.xml share/man/man6/quorvane.6.gz \
         share/man/man1/qvtool.1.gz share/doc/quorvane/copyright \
         share/icons/hicolor/32x32/apps/quorvane.png share/icons/hicolor/256x256/apps/quorvane.png; do
  [ -f "$work/prefix/$f" ] || fail "install lacks $f"
done
play "$work/prefix/bin/quorvane" prefix

# One version: the programs, the metainfo and the package.
version=$("$work/prefix/bin/quorvane" --version | sed 's/^quorvane //')
[ "$("$work/prefix/bin/qvtool" --version)" = "qvtool $version" ] || fail "qvtool --version is not $version"
grep -q "<release version=\"$version\"" "$work/prefix/share/metainfo/org.kelvo.quorvane.metainfo.xml" ||
  fail "the metainfo's release is not $version"

if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$work/prefix/share/applications/quorvane.desktop" || fail "desktop file"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net --pedantic "$work/prefix/share/metainfo/org.kelvo.quorvane.metainfo.xml" >/dev/null ||
    fail "metainfo"
fi
if command -v man >/dev/null; then
  MANWIDTH=100 man -l "$work/prefix/share/man/man6/quorvane.6.gz" > "$work/man.txt" 2>/dev/null || fail "man -l"
  MANWIDTH=100 man -l "$work/prefix/share/man/man1/qvtool.1.gz" 2>/dev/null | grep -q "qvtool - " || fail "qvtool(1)"
  # Every option of --help is in the manual and the other way round.
  "$work/prefix/bin/quorvane" --help | grep -oE '^  --[a-z0-9-]+' | tr -d ' ' | sort > "$work/help.opts"
  grep -oE '^ {7}--[a-z0-9-]+' "$work/man.txt" | tr -d ' ' | sort > "$work/man.opts"
  diff "$work/help.opts" "$work/man.opts" || fail "--help and the manual list different options"
  [ -s "$work/help.opts" ] || fail "no options found in --help"
  # The --script list keeps its own lines, the text after it starts a line.
  grep -qE '^ +move:X:Y$' "$work/man.txt" || fail "the manual runs the --script list together"
  grep -qE '^ +NAME: ESC,' "$work/man.txt" || fail "the manual joins the --script names to the list"
fi

if command -v cpack >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
  (cd "$work" && cpack -G "TGZ;DEB" --config "$build/CPackConfig.cmake" >/dev/null) || fail "cpack"
  mkdir -p "$work/portable" && tar -xzf "$work"/quorvane-*-Linux.tar.gz -C "$work/portable"
  play "$(ls -d "$work"/portable/quorvane-*/)bin/quorvane" portable
  deb=$(ls "$work"/quorvane_"$version"_*.deb) || fail "no package of version $version"
  dpkg-deb -I "$deb" > "$work/deb.txt"
  for lib in libsdl2 libopenmpt libminizip libjpeg libpng; do
    grep -q "^ Depends:.*$lib" "$work/deb.txt" || fail ".deb does not depend on $lib"
  done
  mkdir -p "$work/root" && dpkg -x "$deb" "$work/root"
  for f in usr/share/doc/quorvane/copyright usr/share/man/man6/quorvane.6.gz usr/share/man/man1/qvtool.1.gz; do
    [ -f "$work/root/$f" ] || fail ".deb lacks $f"
  done
  play "$work/root/usr/bin/quorvane" deb
fi
echo "install, portable folder and package: all play"
