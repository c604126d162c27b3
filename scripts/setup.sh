#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian/Ubuntu machine.
# Idempotent: when everything is there it only checks and returns.
set -euo pipefail

packages=(
    cmake ninja-build g++ make git
    clang libclang-rt-14-dev            # libFuzzer targets with ASan/UBSan
    clang-format                        # the layout check of scripts/test.sh
    googletest libgtest-dev             # GoogleTest: sources for mingw, the built library natively
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    wine wine64 xvfb xauth              # Windows programs and tests under Wine
    wine32:i386                         # the 32-bit programs and their tests (i386 added below)
    sox                                 # independent WAVE files for interop tests
    ffmpeg                              # RF64 files and ffprobe's reading of ours (about 150 MB)
    libsoxr-dev libsamplerate0-dev      # resampler baselines of the benchmarks
    libfftw3-dev                        # spectra measured by the benchmarks
    nlohmann-json3-dev libcli11-dev     # corvandale-cli: JSON output and its options (header-only)
    dpkg-dev lame flac                  # lame.exe and flac.exe built from Debian's source; their outputs decoded natively
    zlib1g-dev libz-mingw-w64-dev       # unzip: inflate natively and for Windows
    libssl-dev                          # MD5 of downloads natively (Windows has BCrypt)
    zip python3 openssl ca-certificates # download tests: archives, our HTTPS server, signed lists
    nsis                                # makensis: the Windows installer (scripts/package.sh)
)

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

# scripts/build-encoders.sh fetches the encoders' source packages: apt needs a deb-src line.
sources_dir=/etc/apt/sources.list.d
need_update=
if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list "$sources_dir"; then
    echo "Adding a deb-src line for Debian's source packages"
    . /etc/os-release
    if [ "${ID:-}" = ubuntu ]; then
        mirror=http://archive.ubuntu.com/ubuntu components="main universe" keyring=ubuntu-archive-keyring.gpg
    else
        mirror=http://deb.debian.org/debian components=main keyring=debian-archive-keyring.gpg
    fi
    src_list=$(mktemp)
    printf 'Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\nSigned-By: /usr/share/keyrings/%s\n' \
        "$mirror" "$VERSION_CODENAME" "$components" "$keyring" >"$src_list"
    "${sudo_cmd[@]}" install -m 644 "$src_list" "$sources_dir/corvandale-src.sources"
    rm -f "$src_list"
    need_update=1
fi

# wine32 comes from Debian's i386 architecture, installed beside the amd64 one.
if [ "$(dpkg --print-architecture)" = amd64 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "Adding the i386 architecture for wine32"
    "${sudo_cmd[@]}" dpkg --add-architecture i386
    need_update=1
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
    [ -n "$need_update" ] && "${sudo_cmd[@]}" apt-get update -qq
    exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
