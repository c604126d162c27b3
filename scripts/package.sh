#!/usr/bin/env bash
# Makes the release of a configured Windows build: the portable zip and the
# per-user installer, and prints their SHA-256. The same build gives the same
# bytes: fixed file times, sorted names, stripped binaries.
#   scripts/package.sh [BUILD_DIR [OUT_DIR]]   (build/win64, BUILD_DIR/release)
# `cmake --build --preset win64 --target release` builds the programs first
# and then calls this.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build_dir=$(cd "${1:-$source_dir/build/win64}" && pwd)
out_dir=${2:-$build_dir/release}
# shellcheck source=/dev/null
source "$build_dir/release-inputs.sh" # written by cmake/Release.cmake
name=Corvandale-$version-$variant

# One time for every file: the commit's, or SOURCE_DATE_EPOCH when set. strip
# writes it into the PE headers too (instead of the time of day).
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$source_dir" log -1 --format=%ct 2>/dev/null || echo 1767225600)}
export SOURCE_DATE_EPOCH=$epoch

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder=$work/$name
mkdir -p "$folder/unzipper" "$folder/licenses" "$out_dir"

# Stripped: the debug sections would also carry this build's paths.
"$strip_tool" -o "$folder/Corvandale.exe" "$Corvandale_exe"
"$strip_tool" -o "$folder/Quillmere.exe" "$Quillmere_exe"
"$strip_tool" -o "$folder/ssrcdll.dll" "$ssrcdll_dll"
"$strip_tool" -o "$folder/corvandale-cli.exe" "$corvandale_cli_exe"
"$strip_tool" -o "$folder/unzipper/unzip.exe" "$unzip_exe"

# Texts with Windows line ends. The licences of what the programs link
# statically: zlib (unzip.exe), the mingw-w64 runtime and winpthreads, and
# GCC's runtime (libgcc, libstdc++).
crlf() { sed 's/\r$//; s/$/\r/' "$1" >"$2"; }
sed "s/@VERSION@/$version/g" "$source_dir/packaging/README.txt" >"$work/README.txt"
crlf "$work/README.txt" "$folder/README.txt"
crlf /usr/share/doc/libz-mingw-w64-dev/copyright "$folder/licenses/zlib.txt"
crlf /usr/share/doc/mingw-w64-common/copyright "$folder/licenses/mingw-w64.txt"
crlf /usr/share/doc/gcc-mingw-w64-base/copyright "$folder/licenses/gcc-runtime.txt"

(cd "$folder" && find . -type f | sed 's|^\./||' | LC_ALL=C sort) >"$work/files"

python3 - "$work/files" "$work" "$name" "$epoch" "$out_dir/$name.zip" <<'PY'
import sys, time, zipfile
files, root, name, epoch, target = sys.argv[1:]
stamp = time.gmtime(max(int(epoch), 315532800))[:6]  # zip times start in 1980
with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
    for path in open(files).read().split("\n")[:-1]:
        entry = zipfile.ZipInfo(f"{name}/{path}", date_time=stamp)
        entry.create_system = 0  # as made on Windows: no Unix modes
        entry.compress_type = zipfile.ZIP_DEFLATED
        with open(f"{root}/{name}/{path}", "rb") as source:
            archive.writestr(entry, source.read())
PY

# The installer's file lists, from the same sorted list.
{
    dir=
    while read -r path; do
        [[ $path == */* ]] && here=${path%/*} || here=
        if [ "$here" != "$dir" ] || [ -z "${started:-}" ]; then
            echo "SetOutPath \"\$INSTDIR${here:+\\${here//\//\\}}\""
            dir=$here started=1
        fi
        echo "File \"$folder/$path\""
    done <"$work/files"
} >"$work/install.nsh"
{
    while read -r path; do echo "Delete \"\$INSTDIR\\${path//\//\\}\""; done <"$work/files"
    grep / "$work/files" | sed 's|/[^/]*$||' | LC_ALL=C sort -u -r |
        while read -r dir; do echo "RMDir \"\$INSTDIR\\${dir//\//\\}\""; done
} >"$work/uninstall.nsh"

makensis -V2 -NOCD -DVERSION="$version" -DNSIS_TARGET="$nsis_target" -DFILES="$work" \
    -DOUTFILE="$out_dir/$name-setup.exe" "$source_dir/packaging/installer.nsi" >/dev/null

(cd "$out_dir" && sha256sum "$name.zip" "$name-setup.exe" | tee SHA256SUMS)
