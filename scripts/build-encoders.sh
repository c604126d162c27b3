#!/usr/bin/env bash
# Builds Windows (x86_64) console encoders from Debian's source packages, each
# once: build-encoders.sh [lame] [flac] [wavpack] [twolame] [mpc] (all when
# none is named). Each lands in ~/.cache/corvandale/<name>-<version>/, outside
# the checkout, linked statically so that it runs alone under Wine; a second
# call only checks that it is there. Needs the deb-src line that
# scripts/setup.sh adds. CORV_ENCODER_CACHE moves the cache.
set -euo pipefail

host=x86_64-w64-mingw32
cache_root=${CORV_ENCODER_CACHE:-$HOME/.cache/corvandale}
all=(lame flac wavpack twolame mpc)

# The upstream version of a source package: no epoch, Debian revision or
# repack suffix ("2:0.1~r495-2" -> "0.1~r495", "1.4.2+ds-2" -> "1.4.2").
upstream_version() {
    local version
    version=$(apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | head -1)
    [ -n "$version" ] || return 1
    version=${version#*:}
    version=${version%-*}
    echo "${version%%+*}"
}

# The source package unpacked into ./src. A package whose Debian tarball the
# mirror lacks (libmpc) is built from its .orig tarball alone.
fetch() {
    apt-get source -qq --download-only "$1" || true
    ls "$1"_*.orig.tar.* >/dev/null
    if ls "$1"_*.debian.tar.* >/dev/null 2>&1; then
        dpkg-source -x "$1"_*.dsc src
    else
        mkdir src && tar xf "$1"_*.orig.tar.* -C src --strip-components=1
    fi
}

# libtool passes -static on to the linker only when spelled -all-static.
autotools_build() {
    ./configure -q --host=$host --disable-shared --enable-static "$@"
    make -s -j2 LDFLAGS=-all-static
}

cmake_build() {
    cmake -S . -B build -G Ninja -DCMAKE_SYSTEM_NAME=Windows -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_C_COMPILER=$host-gcc -DCMAKE_CXX_COMPILER=$host-g++ \
        -DCMAKE_RC_COMPILER=$host-windres -DCMAKE_EXE_LINKER_FLAGS=-static "$@"
    cmake --build build -j2
}

# Each recipe runs in an empty folder, its output going to the build log, and
# tells the path of the .exe it built on descriptor 3.
build_lame() {
    fetch lame
    cd src
    autotools_build
    echo "$PWD/frontend/lame.exe" >&3
}

build_flac() {
    fetch flac
    cd src
    # A Debian patch touches doc/Makefile.am; the shipped generated files are
    # made current, so make does not ask for the autotools.
    touch aclocal.m4
    find . -name Makefile.in -exec touch {} +
    touch config.h.in configure
    autotools_build --disable-ogg --disable-cpplibs --disable-doxygen-docs --disable-examples
    echo "$PWD/src/flac/flac.exe" >&3
}

build_wavpack() {
    fetch wavpack
    cd src
    autotools_build
    echo "$PWD/cli/wavpack.exe" >&3
}

# twolame reads its input through libsndfile, built first into a private
# prefix that pkg-config alone is pointed at.
build_twolame() {
    local prefix=$PWD/sndfile
    mkdir libsndfile twolame
    cd libsndfile
    fetch libsndfile
    cd src
    cmake_build -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
        -DENABLE_EXTERNAL_LIBS=OFF -DENABLE_MPEG=OFF -DBUILD_PROGRAMS=OFF \
        -DBUILD_EXAMPLES=OFF -DBUILD_TESTING=OFF -DENABLE_CPACK=OFF
    cmake --install build
    cd ../../twolame
    fetch twolame
    cd src
    PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig autotools_build
    echo "$PWD/frontend/twolame.exe" >&3
}

# libmpc: mpcgain and mpcchap need libraries we do not build; with GCC 10 and
# later some tables land in read-only data without -fcommon, and mpcenc.exe
# crashes at start-up.
build_mpc() {
    fetch libmpc
    cd src
    sed -i -e '/add_subdirectory(mpc\(gain\|chap\))/d' -e 's/-O3 -Wall/-O3 -Wall -fcommon/' CMakeLists.txt
    cmake_build -DSHARED=OFF
    echo "$PWD/build/mpcenc/mpcenc.exe" >&3
}

# A statically linked encoder imports nothing but the system's own DLLs.
check_imports() {
    local foreign
    foreign=$($host-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p' |
        grep -viE '^(kernel32|msvcrt|user32|advapi32|shell32|ws2_32|ole32|gdi32|winmm)\.dll$|^api-ms-win-' || true)
    [ -z "$foreign" ] || { echo "$1 imports $foreign"; return 1; }
}

declare -A package=([lame]=lame [flac]=flac [wavpack]=wavpack [twolame]=twolame [mpc]=libmpc)
# The file name the batcher runs: Musepack's encoder is known as mppenc.exe.
declare -A installed=([lame]=lame.exe [flac]=flac.exe [wavpack]=wavpack.exe [twolame]=twolame.exe [mpc]=mppenc.exe)

build_one() {
    local name=$1 version cache work exe
    version=$(upstream_version "${package[$name]}") ||
        { echo "build-encoders.sh: no ${package[$name]} source package known to apt (deb-src missing?)"; return 1; }
    cache=$cache_root/$name-$version
    [ -x "$cache/${installed[$name]}" ] && return 0
    work=$(mktemp -d)
    echo "Building ${installed[$name]} $version for Windows (a few minutes, once)"
    # The recipe runs as a process of its own, where set -e holds.
    if ! "$0" --recipe "$name" "$work" >"$work/exe.txt" 2>"$work/build.log" ||
        ! exe=$(tail -1 "$work/exe.txt") || [ ! -f "$exe" ] || ! check_imports "$exe" >>"$work/build.log"; then
        tail -30 "$work/build.log"
        echo "build-encoders.sh: building ${installed[$name]} failed"
        rm -rf "$work"
        return 1
    fi
    mkdir -p "$cache"
    cp "$exe" "$cache/${installed[$name]}.part"
    mv "$cache/${installed[$name]}.part" "$cache/${installed[$name]}"
    rm -rf "$work"
    echo "${installed[$name]} in $cache"
}

if [ "${1:-}" = --recipe ]; then
    cd "$3"
    "build_$2" 3>&1 >&2
    exit 0
fi

[ $# -gt 0 ] || set -- "${all[@]}"
status=0
for name in "$@"; do
    [ -n "${package[$name]:-}" ] || { echo "build-encoders.sh: unknown encoder $name (${all[*]})"; exit 2; }
    build_one "$name" || status=1
done
exit $status
