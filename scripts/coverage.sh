#!/usr/bin/env bash
# Line coverage of the portable code by the native unit and CLI tests: builds
# the coverage preset (clang with coverage counters), runs its tests and prints
# the lines covered per folder and in all. Code under tests/, bench/, build/ and
# win/ folders is not counted. Run by hand; the test command does not.
set -euo pipefail
cd "$(dirname "$0")/.."

profdata=$(command -v llvm-profdata-14 || command -v llvm-profdata)
llvm_cov=$(command -v llvm-cov-14 || command -v llvm-cov)
build=build/coverage
profiles=$PWD/$build/profiles

cmake --preset coverage >/dev/null
cmake --build --preset coverage
rm -rf "$profiles"
# %m: every process of one binary adds its counts to that binary's one file.
if ! LLVM_PROFILE_FILE="$profiles/%m.profraw" ctest --preset coverage >"$build/ctest.log" 2>&1; then
    tail -30 "$build/ctest.log"
    echo "FAILED: tests of the coverage build (see $build/ctest.log)"
    exit 1
fi
"$profdata" merge -sparse "$profiles"/*.profraw -o "$build/tests.profdata"

# Every binary the tests ran whose code they reach: the test runners, the CLI
# they start, and the shared ssrc library one of them loads.
objects=("$build/tests/unit/unit_tests")
for extra in "$build/tests/cli/cli_tests" "$build/cli/corvandale-cli" "$build"/ssrc/libssrcdll.so; do
    [ -f "$extra" ] && objects+=(-object "$extra")
done
# The project's portable sources: tracked files outside tests/, bench/ and win/.
mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.c' | grep -Ev '(^|/)(tests|bench|win)/')
sources=("${sources[@]/#/$PWD/}")
"$llvm_cov" report "${objects[@]}" -instr-profile="$build/tests.profdata" "${sources[@]}" >"$build/report.txt"

# Per folder from the per-file rows (Lines and Missed Lines are columns 8 and 9).
awk -v root="$PWD/" '
    $1 ~ /\.(cpp|h|c)$/ && NF >= 10 {
        file = $1; if (index(file, root) == 1) file = substr(file, length(root) + 1)
        folder = file; sub("/[^/]*$", "", folder); if (folder == file) folder = "."
        lines[folder] += $8; missed[folder] += $9
    }
    END { for (f in lines) print f, lines[f], missed[f] }' "$build/report.txt" | sort |
    awk '
    function row(name, n, m) { printf "%-28s %8d %8d %7.2f%%\n", name, n, m, 100 * (n - m) / n }
    BEGIN { printf "%-28s %8s %8s %8s\n", "folder", "lines", "missed", "covered" }
    { row($1, $2, $3); lines += $2; missed += $3 }
    END { row("all portable code", lines, missed) }'
echo "Per file: $build/report.txt"
