# shellcheck shell=bash
# Sourced by wine-run.sh and wine-session.sh with $prefix set: the Wine of this
# machine on a prefix of the build's own, and the display session of a ctest run.
export WINEPREFIX=$prefix
export WINEDEBUG=-all
# No Mono/Gecko installer prompts; no menu entries on the Linux desktop for
# the shortcuts the installer tests make.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
wineserver=${wine%/*}/wineserver
[ -x "$wineserver" ] || wineserver=$(command -v wineserver)

# While a ctest run's session lives: "DISPLAY XVFB_PID WATCHER_PID" (pid 0 when
# the session did not start that process).
session_file=$prefix.session

# Starts an Xvfb on a free display number: sets DISPLAY and xvfb_pid.
start_xvfb() {
    local fifo display_number=
    fifo=$(mktemp -u) && mkfifo "$fifo" || return 1
    Xvfb -displayfd 7 -screen 0 1280x1024x24 -nolisten tcp 7>"$fifo" </dev/null >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r display_number <"$fifo"
    rm -f "$fifo"
    [ -n "$display_number" ] || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$display_number"
}

# Prints the display of the running session, if there is one and its Xvfb lives.
session_display() {
    local display xvfb_pid
    read -r display xvfb_pid _ 2>/dev/null <"$session_file" || return 1
    [ -n "$display" ] && { [ "$xvfb_pid" = 0 ] || kill -0 "$xvfb_pid" 2>/dev/null; } || return 1
    echo "$display"
}

# The Wine a prefix is made for: its version, and whether it runs 32-bit
# programs. A prefix made before wine32 was installed has no 32-bit system
# ("could not load kernel32.dll" for every 32-bit program), so a prefix made
# for another Wine is made anew.
wine_build() {
    local loader32=${wine%64}
    echo "$("$wine" --version 2>/dev/null)$([ "$loader32" != "$wine" ] && [ -x "$loader32" ] && echo ' +32-bit')"
}

# Makes the prefix once, under a lock: binaries racing to create it can fail.
prepare_prefix() {
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        local build
        build=$(wine_build)
        if [ "$(cat "$prefix/.corv-ready" 2>/dev/null)" != "$build" ]; then
            if [ -d "$prefix" ]; then
                echo "Wine prefix $prefix was made for another Wine: making it anew" >&2
                "$wineserver" -k 2>/dev/null
                rm -rf "$prefix"
            fi
            "$wine" wineboot --init >/dev/null 2>&1
            # Xvfb has no window manager: Wine draws the title bars itself and
            # does not wait a second or two for one whenever a window closes.
            "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
            "$wineserver" -w 2>/dev/null
            echo "$build" >"$prefix/.corv-ready"
        fi
    ) 9>"$prefix.lock"
}
