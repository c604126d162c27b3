#!/usr/bin/env bash
# Runs a Windows binary under Wine for ctest: wine-run.sh PREFIX PROGRAM [ARGS...]
# A private prefix in the build tree (made once, under a lock), no Wine debug
# noise, and a throw-away Xvfb display when none is set.
set -u
prefix=$1
shift

export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono/Gecko installer prompts

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)

started_xvfb=
cleanup() {
    if [ -n "$started_xvfb" ]; then
        "${wine%/*}/wineserver" -k 2>/dev/null || wineserver -k 2>/dev/null
        kill "$started_xvfb" 2>/dev/null
        wait "$started_xvfb" 2>/dev/null
    fi
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp 7>"$fifo" 2>/dev/null &
    started_xvfb=$!
    read -r display_number <"$fifo"
    rm -f "$fifo"
    export DISPLAY=":$display_number"
fi

mkdir -p "$(dirname "$prefix")"
(
    flock 9
    if [ ! -f "$prefix/.corv-ready" ]; then
        "$wine" wineboot --init >/dev/null 2>&1
        "${wine%/*}/wineserver" -w 2>/dev/null || wineserver -w 2>/dev/null
        touch "$prefix/.corv-ready"
    fi
) 9>"$prefix.lock"

"$wine" "$@"
