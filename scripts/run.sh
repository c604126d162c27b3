#!/usr/bin/env bash
# Builds the Windows programs and starts Corvandale and Quillmere under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset win64 >/dev/null
cmake --build --preset win64

# Each program runs from its own build folder, which is its program directory
# (settings and logs are written there). Test copies elsewhere are ignored.
programs=()
for exe in build/win64/analyser/Corvandale.exe build/win64/batcher/Quillmere.exe; do
    [ -f "$exe" ] && programs+=("$exe")
done
if [ ${#programs[@]} -eq 0 ]; then
    echo "Built. There is no program to start yet."
    exit 0
fi

if [ -z "${DISPLAY:-}" ]; then
    echo "No display: DISPLAY is not set, so the programs have nowhere to show their windows."
    echo "Run this from a desktop session, or with a virtual one: xvfb-run -a $0"
    exit 1
fi

export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-corvandale} WINEDEBUG=-all
wine=/usr/lib/wine/wine64
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)
for program in "${programs[@]}"; do
    (cd "$(dirname "$program")" && "$wine" "$(basename "$program")") &
done
wait
