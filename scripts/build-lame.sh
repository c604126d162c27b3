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
# (set -e does not hold inside an if: each step goes on only after the one before.)
if ! (
    cd "$work" &&
        apt-get source -qq --download-only lame &&
        dpkg-source -x lame_*.dsc src &&
        cd src &&
        ./configure -q --host=x86_64-w64-mingw32 --disable-shared --enable-static &&
        make -s -j2 LDFLAGS=-all-static
) >"$work/build.log" 2>&1; then
    tail -30 "$work/build.log"
    echo "build-lame.sh: building lame.exe failed"
    exit 1
fi
mkdir -p "$cache"
cp "$work/src/frontend/lame.exe" "$cache/lame.exe.part"
mv "$cache/lame.exe.part" "$cache/lame.exe"
echo "lame.exe in $cache"
