#!/usr/bin/env bash
# corvandale-cli against sox doing the same work (and against cp for the raw
# copy), both timed in this one run: best of three for wall-clock and CPU time,
# then the speed ratio. With --big, also the peak resident memory of
# converting a 5 GB file.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cli=
minutes=10
runs=3
big=0
work_parent=${TMPDIR:-/tmp}

usage() {
    cat <<USAGE
Usage: bench/cli_vs_sox.sh [--cli PATH] [--minutes N] [--runs N] [--dir DIR] [--big]
  --cli PATH    corvandale-cli to time (default: build/native/cli/corvandale-cli,
                else build/native-cli/cli/corvandale-cli)
  --minutes N   length of the 44.1 kHz stereo test file (default 10)
  --runs N      runs per command; the best one counts (default 3)
  --dir DIR     where the scratch folder goes (default \$TMPDIR or /tmp)
  --big         also convert a 5 GB file and report peak resident memory
                (needs 10 GB free in DIR; skipped with a message otherwise)
USAGE
}

while [ $# -gt 0 ]; do
    case $1 in
    --cli) cli=$2; shift 2 ;;
    --minutes) minutes=$2; shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --dir) work_parent=$2; shift 2 ;;
    --big) big=1; shift ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
    esac
done

if [ -z "$cli" ]; then
    for candidate in build/native/cli/corvandale-cli build/native-cli/cli/corvandale-cli; do
        if [ -x "$root/$candidate" ]; then cli=$root/$candidate; break; fi
    done
fi
if [ -z "$cli" ] || [ ! -x "$cli" ]; then
    echo "corvandale-cli not found: build the corvandale-cli target or pass --cli PATH" >&2
    exit 1
fi
for tool in sox cp awk; do
    command -v "$tool" >/dev/null || { echo "$tool not found (scripts/setup.sh installs sox)" >&2; exit 1; }
done

work=$(mktemp -d "$work_parent/cli_vs_sox.XXXXXX")
trap 'rm -rf "$work"' EXIT
out=$work/out

# time_best CMD...: "wall cpu" in seconds, the best of $runs runs each; the
# output folder is emptied before every run so no run finds names taken.
time_best() {
    local best_wall= best_cpu= wall user sys cpu i
    for ((i = 0; i < runs; i++)); do
        rm -rf "$out" && mkdir "$out"
        local TIMEFORMAT='%3R %3U %3S'
        if ! { time "$@" >/dev/null 2>"$work/stderr.txt"; } 2>"$work/time.txt"; then
            echo "failed: $*" >&2
            cat "$work/stderr.txt" >&2
            exit 1
        fi
        read -r wall user sys <"$work/time.txt"
        cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
        best_wall=$(awk -v a="$wall" -v b="${best_wall:-$wall}" 'BEGIN { print (a < b ? a : b) }')
        best_cpu=$(awk -v a="$cpu" -v b="${best_cpu:-$cpu}" 'BEGIN { print (a < b ? a : b) }')
    done
    echo "$best_wall $best_cpu"
}

# The speed of corvandale-cli relative to the baseline: above 1 is faster.
ratio() {
    awk -v base="$1" -v ours="$2" 'BEGIN { if (ours > 0) printf "%.2f", base / ours; else print "-" }'
}

row() { # case, baseline name, ours "wall cpu", baseline "wall cpu"
    local ours_wall ours_cpu base_wall base_cpu
    read -r ours_wall ours_cpu <<<"$3"
    read -r base_wall base_cpu <<<"$4"
    printf "%-34s %-4s %8.3f %8.3f %6sx   %8.3f %8.3f %6sx\n" "$1" "$2" "$ours_wall" "$base_wall" \
        "$(ratio "$base_wall" "$ours_wall")" "$ours_cpu" "$base_cpu" "$(ratio "$base_cpu" "$ours_cpu")"
}

seconds=$((minutes * 60))
echo "corvandale-cli: $cli"
echo "input: $minutes min, 44100 Hz, stereo (1 kHz sine left, white noise right), best of $runs runs"
sox -n -r 44100 -c 2 -b 16 "$work/in16.wav" synth "$seconds" sine 1000 whitenoise vol 0.5
sox "$work/in16.wav" -b 24 "$work/in24.wav"

echo
printf "%-34s %-4s %8s %8s %7s   %8s %8s %7s\n" "case" "vs" "cli s" "base s" "speed" "cli cpu" "base cpu" "speed"
row "16 -> 24 bit" sox \
    "$(time_best "$cli" convert --type 24bit --out "$out/" "$work/in16.wav")" \
    "$(time_best sox "$work/in16.wav" -b 24 "$out/sox.wav")"
row "24 -> 16 bit, triangular dither" sox \
    "$(time_best "$cli" convert --type 16bit --dither --pdf tri --shaping 1 --out "$out/" "$work/in24.wav")" \
    "$(time_best sox "$work/in24.wav" -b 16 "$out/sox.wav" dither)"
row "normalize 95 %, each file" sox \
    "$(time_best "$cli" convert --normalize 95 --scope file --out "$out/" "$work/in16.wav")" \
    "$(time_best sox --norm=-0.45 "$work/in16.wav" "$out/sox.wav")"
row "raw copy (16-bit PCM to PCM)" cp \
    "$(time_best "$cli" convert --format pcm --out "$out/" "$work/in16.wav")" \
    "$(time_best cp "$work/in16.wav" "$out/cp.wav")"
echo "speed: baseline time / corvandale-cli time (above 1: corvandale-cli is faster)"

[ "$big" = 1 ] || exit 0

# A RIFF header over a sparse run of zero samples: quick to make, nothing on
# disk. Above 4 GB the header sizes are ignored and the file length counts.
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)) $(($1 >> 16 & 255)) $(($1 >> 24 & 255)); }
le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
sparse_wave() { # path, sample bytes
    {
        printf 'RIFF'; printf "$(le32 4294967295)"; printf 'WAVEfmt '; printf "$(le32 16)"
        printf "$(le16 1)$(le16 2)$(le32 44100)$(le32 176400)$(le16 4)$(le16 16)"
        printf 'data'; printf "$(le32 4294967295)"
    } >"$1"
    truncate -s $((44 + $2)) "$1"
}

echo
big_bytes=$((5 * 1000 * 1000 * 1000))
need_kb=$((10 * 1024 * 1024))
free_kb=$(df -Pk "$work" | awk 'NR == 2 { print $4 }')
if [ "$free_kb" -lt "$need_kb" ]; then
    echo "5 GB memory check skipped: $((free_kb / 1024 / 1024)) GB free in $work_parent, 10 GB needed"
    exit 0
fi
if [ ! -x /usr/bin/time ]; then
    echo "5 GB memory check skipped: /usr/bin/time (GNU time) not installed"
    exit 0
fi
sparse_wave "$work/big.wav" "$big_bytes"
echo "5 GB input (16-bit stereo, $(awk -v b="$big_bytes" 'BEGIN { printf "%.1f", b / 176400 / 3600 }') h): peak resident memory, goal < 100 MB"
for case in "raw copy|--format pcm" "16 -> 24 bit|--type 24bit"; do
    rm -rf "$out" && mkdir "$out"
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "$cli" convert ${case#*|} --out "$out/" "$work/big.wav" \
        >/dev/null 2>"$work/stderr.txt" || { echo "failed: ${case%%|*}" >&2; cat "$work/stderr.txt" >&2; exit 1; }
    read -r wall rss_kb <"$work/time.txt"
    written=$(du -k --apparent-size "$out" | awk '{ printf "%.2f", $1 / 1024 / 1024 }')
    printf "%-20s %7.1f MB peak RSS   %s   %8.1f s   %s GiB written\n" "${case%%|*}" "$(awk -v k="$rss_kb" 'BEGIN { print k / 1024 }')" \
        "$(awk -v k="$rss_kb" 'BEGIN { print (k < 100 * 1024 ? "under 100 MB" : "OVER 100 MB") }')" "$wall" "$written"
    rm -rf "$out"
done
