#!/usr/bin/env bash
# Builds a Windows lame.exe from Debian's lame source package, once: the e2e
# test runs a real encoder job through it. The result is cached outside the
# checkout (~/.cache/corvandale/lame-<version>/lame.exe); a second call only
# checks that it is there. Needs the deb-src line that scripts/setup.sh adds.
set -euo pipefail

version=$(apt-cache showsrc lame 2>/dev/null | sed -n 's/^Version: //p' | head -1)
[ -n "$version" ] || { echo "build-lame.sh: no lame source package known to apt (deb-src missing?)"; exit 1; }
upstream=${version%%-*}
cache=${CORV_LAME_CACHE:-$HOME/.cache/corvandale}/lame-$upstream
[ -x "$cache/lame.exe" ] && exit 0

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "Building lame.exe $upstream for Windows (about two minutes, once)"
(
    cd "$work"
    apt-get source -qq --download-only lame >/dev/null
    dpkg-source -x lame_*.dsc src >/dev/null
    cd src
    ./configure -q --host=x86_64-w64-mingw32 --disable-shared --enable-static >/dev/null
    make -s -j2 LDFLAGS=-all-static >/dev/null 2>&1
)
mkdir -p "$cache"
cp "$work/src/frontend/lame.exe" "$cache/lame.exe.part"
mv "$cache/lame.exe.part" "$cache/lame.exe"
echo "lame.exe in $cache"
