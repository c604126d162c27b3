#!/usr/bin/env bash
# The real-encoder tier, not part of scripts/test.sh: builds TwoLAME, FLAC,
# WavPack, Musepack and LAME for Windows from Debian's source packages (once,
# into ~/.cache/corvandale/), runs a real job of each through Quillmere.exe
# under Wine, checks that each job log rises to 100, decodes each output
# natively to the input's length, and captures each encoder's screens in the
# batcher console (build/win64/tests/e2e/screens-<encoder>/).
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1
# pkg-config finds twolame's libsndfile; the native decoders of the outputs
# (lame comes with setup.sh).
tier_packages=(pkg-config flac wavpack musepack-tools)
missing=()
for package in "${tier_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo_cmd=()
    [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null || exit 1
fi
scripts/build-encoders.sh || exit 1

cmake --preset win64 >/dev/null || exit 1
cmake --build --preset win64 --target quillmere_real_encoders || exit 1

# One program runs every job; wine-run.sh gives it a display when none is set.
e2e=build/win64/tests/e2e
CORV_CAPTURE_SCREENS=1 scripts/wine-run.sh "$PWD/build/win64/wineprefix" "$e2e/quillmere_real_encoders.exe"
jobs=$?
tests/e2e/check_real_outputs.sh "$e2e"
decodes=$?
[ "$jobs" -eq 0 ] && [ "$decodes" -eq 0 ] && echo "Real encoders: all passed"
