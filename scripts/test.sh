#!/usr/bin/env bash
# Checks the layout (clang-format), builds everything (native, win64, win32,
# sanitize, fuzz) and runs every test tier: native unit tests, the same under
# ASan/UBSan, Windows tests under Wine (64-bit, then the 32-bit variant's
# chosen ones), and each fuzz target briefly.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh || exit 1
# The real encoders the e2e tests run (LAME, and FLAC for the queue two at once), built once.
scripts/build-encoders.sh lame flac || exit 1

# Each step says when it starts, so that a slow one shows against the budget.
step() { echo; echo "=== $* (at $((SECONDS / 60))m$((SECONDS % 60))s)"; }
fail() { echo "FAILED: $*"; exit 1; }

# Layout first: it takes seconds, a build takes minutes.
step "format: clang-format"
git ls-files -z '*.cpp' '*.h' '*.c' | xargs -0 clang-format --dry-run -Werror ||
    fail "not clang-formatted; fix with: git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format -i"

for preset in native win64 win32 sanitize fuzz; do
    step "configure and build: $preset"
    cmake --preset "$preset" >"build-$preset.log" 2>&1 || { cat "build-$preset.log"; fail "configure $preset"; }
    cmake --build --preset "$preset" >>"build-$preset.log" 2>&1 || { tail -50 "build-$preset.log"; fail "build $preset"; }
    rm -f "build-$preset.log"
done

passed=0 failed=0
run_ctest() {
    local preset=$1 log
    step "tests: $preset"
    log=$(mktemp)
    ctest --preset "$preset" 2>&1 | tee "$log"
    local line
    line=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$log" | tail -1)
    rm -f "$log"
    if [ -z "$line" ]; then failed=$((failed + 1)); return; fi
    local total bad
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.*tests passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
}
run_ctest native
run_ctest sanitize
run_ctest win64
run_ctest win32
run_ctest fuzz

echo
echo "Total: $passed passed, $failed failed, in $((SECONDS / 60))m$((SECONDS % 60))s"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
