#!/usr/bin/env bash
# One display and one Wine server for every Windows test of a ctest run, which
# runs them two at a time: wine-session.sh start|stop PREFIX. ctest calls start
# before the first of them and stop after the last (the wine_session fixture).
# A test that ended the server or the display would take its neighbour's
# programs with it; inside a session no test ends either.
set -u
action=$1
prefix=$2
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/wine-env.sh
source "$here/wine-env.sh"

stop_session() {
    local display xvfb_pid=0 watcher_pid=0
    read -r display xvfb_pid watcher_pid 2>/dev/null <"$session_file"
    rm -f "$session_file"
    "$wineserver" -k 2>/dev/null
    [ "$xvfb_pid" != 0 ] && kill "$xvfb_pid" 2>/dev/null
    [ "$watcher_pid" != 0 ] && [ "$watcher_pid" != $$ ] && kill "$watcher_pid" 2>/dev/null
    return 0
}

case $action in
start)
    # What an earlier run left (cut short, or a binary run alone) goes first.
    [ -f "$session_file" ] && stop_session
    "$wineserver" -k 2>/dev/null
    xvfb_pid=0
    if [ -z "${DISPLAY:-}" ]; then
        start_xvfb || exit 1
    fi
    prepare_prefix
    # Persistent: it and Wine's own processes stay between tests, on this display.
    "$wineserver" -p </dev/null >/dev/null 2>&1 || { echo "wineserver did not start" >&2; exit 1; }
    # When ctest ends without the stop (Ctrl+C, a crash), the watcher stops the session.
    setsid "$here/wine-session.sh" watch "$prefix" "$PPID" </dev/null >/dev/null 2>&1 &
    echo "$DISPLAY $xvfb_pid $!" >"$session_file"
    echo "Windows tests on display $DISPLAY"
    ;;
stop)
    stop_session
    ;;
watch)
    owner=$3
    while kill -0 "$owner" 2>/dev/null; do sleep 1; done
    read -r _ _ watcher_pid 2>/dev/null <"$session_file" && [ "$watcher_pid" = $$ ] && stop_session
    ;;
*)
    echo "usage: wine-session.sh start|stop PREFIX" >&2
    exit 2
    ;;
esac
