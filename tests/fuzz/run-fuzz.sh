#!/usr/bin/env bash
# Runs one fuzz target for a bounded time over its seeds; fails on any crash.
set -euo pipefail
target=$1 work=$2 corpus=$3 seconds=$4
rm -rf "$work" && mkdir -p "$work/new" "$work/artifacts"
cd "$work"
exec "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
     -artifact_prefix="$work/artifacts/" "$work/new" "$corpus"
