#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian/Ubuntu machine.
# Idempotent: when everything is there it only checks and returns.
set -euo pipefail

packages=(
    cmake ninja-build g++ make git
    clang libclang-rt-14-dev            # libFuzzer targets with ASan/UBSan
    googletest                          # GoogleTest sources, built per toolchain
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64 xvfb xauth              # Windows programs and tests under Wine
    sox                                 # independent WAVE files for interop tests
    libsoxr-dev libsamplerate0-dev      # resampler baselines of the benchmarks
    libfftw3-dev                        # spectra measured by the benchmarks
    nlohmann-json3-dev libcli11-dev     # corvandale-cli: JSON output and its options (header-only)
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
