#!/usr/bin/env bash
# A test program of this build with the other variant's Quillmere.exe (64-bit
# beside 32-bit, or the other way round), run from a folder of its own where
# that Quillmere.exe takes the place of this build's.
#   mixed_pair.sh OTHER_QUILLMERE_EXE E2E_DIR TEST_EXE GTEST_FILTER WINE_RUN PREFIX
set -eu
other=$1 e2e=$2 test=$3 filter=$4 mixed=$2/mixed-${3%.exe}
shift 4
[ -f "$other" ] || { echo "no $other: build the other variant first; skipped"; exit 77; }
rm -rf "$mixed"
mkdir -p "$mixed/corv-tree/tools" && ln -s . "$mixed/corv-tree/a-loop" # as beside the tests
cp -l "$e2e"/*.exe "$e2e"/*.dll "$mixed" # linked, not copied: the same files
rm "$mixed/Quillmere.exe" && cp "$other" "$mixed/Quillmere.exe"
exec "$@" "$mixed/$test" "--gtest_filter=$filter"
