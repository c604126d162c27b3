#!/usr/bin/env bash
# Runs a Windows binary under Wine for ctest: wine-run.sh PREFIX PROGRAM [ARGS...]
# A private prefix in the build tree (made once, under a lock) and no Wine debug
# noise. Inside a ctest run the display and the Wine server are the run's own
# session (wine-session.sh) and this script ends neither. A binary run alone
# without DISPLAY gets a throw-away Xvfb, and the Wine server it started on that
# display goes with it.
set -u
prefix=$1
shift
# shellcheck source=scripts/wine-env.sh
source "$(dirname "$0")/wine-env.sh"

own_xvfb=
output=$(mktemp -d)
cleanup() {
    if [ -n "$own_xvfb" ]; then
        "$wineserver" -k 2>/dev/null
        kill "$own_xvfb" 2>/dev/null
        wait "$own_xvfb" 2>/dev/null
    fi
    rm -rf "$output"
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
    if display=$(session_display); then
        export DISPLAY=$display
    else
        start_xvfb || exit 1
        own_xvfb=$xvfb_pid
    fi
fi

prepare_prefix

# Wine's own processes started by this program (services, desktop, console) may
# outlive it and keep what they inherit open; ctest would wait for its output
# pipes until they end. So the program writes to files that are copied out
# while it runs, and the copying stops when the program does.
: >"$output/out" && : >"$output/err"
"$wine" "$@" <&0 >"$output/out" 2>"$output/err" &
program=$!
tail -n +1 -s 0.1 -f --pid=$program "$output/out" &
copy_out=$!
tail -n +1 -s 0.1 -f --pid=$program "$output/err" >&2 &
copy_err=$!
wait $program
status=$?
wait $copy_out $copy_err
exit $status
