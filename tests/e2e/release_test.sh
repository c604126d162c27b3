#!/usr/bin/env bash
# Makes the zip and the installer twice from the same build (the same bytes
# both times), unpacks the zip as a user would and runs release_tests under
# Wine on them.
#   release_test.sh BUILD_DIR WORK_DIR WINE_RUN PREFIX RELEASE_TESTS_EXE
set -euo pipefail
build_dir=$1 work=$2
shift 2
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$work"
mkdir -p "$work"
for round in first second; do
    "$source_dir/scripts/package.sh" "$build_dir" "$work/$round" >/dev/null
done
for artefact in "$work"/first/*.zip "$work"/first/*-setup.exe; do
    cmp "$artefact" "$work/second/${artefact##*/}" || { echo "packaged twice, ${artefact##*/} differs"; exit 1; }
done
mv "$work"/first/* "$work"
python3 -m zipfile -e "$work"/*.zip "$work/unpacked"
"$@" "Z:$work"
