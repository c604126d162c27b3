#!/usr/bin/env bash
# corvandale-cli against sox doing the same work (and against cp for the raw
# copy), every side run in turn in this one run: the median CPU time (user +
# system) and wall-clock time of whole processes per side, then the speed
# ratio. Several builds of corvandale-cli can be timed in the same run. With
# --big, also the peak resident memory of converting a 5 GB file.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
clis=()
seconds=300
runs=5
big=0
work_parent=${TMPDIR:-/tmp}

usage() {
    cat <<USAGE
Usage: bench/cli_vs_sox.sh [--cli PATH]... [--seconds N | --minutes N] [--runs N] [--dir DIR] [--big]
  --cli PATH    corvandale-cli to time (default: build/native/cli/corvandale-cli,
                else build/native-cli/cli/corvandale-cli); given more than once,
                each build gets its line against the same baseline runs
  --seconds N   length of the 44.1 kHz stereo test file (default 300)
  --minutes N   the same in minutes
  --runs N      runs of each side per case, taken in turn; the median counts
                (default 5)
  --dir DIR     where the scratch folder goes (default \$TMPDIR or /tmp)
  --big         also convert a 5 GB file and report peak resident memory
                (needs 10 GB free in DIR; skipped with a message otherwise)
USAGE
}

while [ $# -gt 0 ]; do
    case $1 in
    --cli) clis+=("$2"); shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --minutes) seconds=$(($2 * 60)); shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --dir) work_parent=$2; shift 2 ;;
    --big) big=1; shift ;;
    -h | --help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
    esac
done

if [ ${#clis[@]} = 0 ]; then
    for candidate in build/native/cli/corvandale-cli build/native-cli/cli/corvandale-cli; do
        if [ -x "$root/$candidate" ]; then clis=("$root/$candidate"); break; fi
    done
fi
[ ${#clis[@]} -gt 0 ] || { echo "corvandale-cli not found: build the corvandale-cli target or pass --cli PATH" >&2; exit 1; }
for cli in "${clis[@]}"; do
    [ -x "$cli" ] || { echo "not a program: $cli" >&2; exit 1; }
done
for tool in sox cp awk; do
    command -v "$tool" >/dev/null || { echo "$tool not found (scripts/setup.sh installs sox)" >&2; exit 1; }
done

work=$(mktemp -d "$work_parent/cli_vs_sox.XXXXXX")
trap 'rm -rf "$work"' EXIT
out=$work/out

# timed CMD...: "wall cpu" in seconds of one run, CPU as user + system; the
# output folder is emptied first so no run finds names taken.
timed() {
    local wall user sys
    rm -rf "$out" && mkdir "$out"
    local TIMEFORMAT='%3R %3U %3S'
    if ! { time "$@" >/dev/null 2>"$work/stderr.txt"; } 2>"$work/time.txt"; then
        echo "failed: $*" >&2
        cat "$work/stderr.txt" >&2
        exit 1
    fi
    read -r wall user sys <"$work/time.txt"
    awk -v w="$wall" -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f %.3f\n", w, u + s }'
}

median() { # numbers on stdin
    sort -g | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}

# The speed of corvandale-cli relative to the baseline: above 1 is faster.
ratio() {
    awk -v base="$1" -v ours="$2" 'BEGIN { if (ours > 0) printf "%.2f", base / ours; else print "-" }'
}

# row CASE BASELINE-NAME OURS BASELINE: OURS and BASELINE are functions
# that run one command, OURS with the corvandale-cli to use as its argument.
# Every side (each build, the baseline) runs $runs times, in turn, starting
# one later each round, so a load that comes and goes falls on all of them;
# then one line per build with the medians and the ratios.
row() {
    local name=$1 base=$2 sides=$((${#clis[@]} + 1)) i k side w c
    local -a wall cpu
    for ((i = 0; i < runs; i++)); do
        for ((k = 0; k < sides; k++)); do
            side=$(((i + k) % sides))
            if [ "$side" = "${#clis[@]}" ]; then
                read -r w c <<<"$(timed "$4")"
            else
                read -r w c <<<"$(timed "$3" "${clis[$side]}")"
            fi
            [ -n "$c" ] || exit 1 # the command failed, and said so
            wall[$side]+="$w " cpu[$side]+="$c "
        done
    done
    local bw bc ow oc label
    bw=$(printf '%s\n' ${wall[${#clis[@]}]} | median)
    bc=$(printf '%s\n' ${cpu[${#clis[@]}]} | median)
    for ((side = 0; side < ${#clis[@]}; side++)); do
        ow=$(printf '%s\n' ${wall[$side]} | median)
        oc=$(printf '%s\n' ${cpu[$side]} | median)
        label=$name
        [ ${#clis[@]} -gt 1 ] && label="$name [$((side + 1))]"
        printf "%-38s %-4s %8.3f %8.3f %6sx   %8.3f %8.3f %6sx\n" "$label" "$base" "$oc" "$bc" \
            "$(ratio "$bc" "$oc")" "$ow" "$bw" "$(ratio "$bw" "$ow")"
    done
}

for ((k = 0; k < ${#clis[@]}; k++)); do
    echo "corvandale-cli$([ ${#clis[@]} -gt 1 ] && echo " [$((k + 1))]"): ${clis[$k]}"
done
echo "input: $seconds s, 44100 Hz, stereo (1 kHz sine left, white noise right), median of $runs runs per side"
sox -n -r 44100 -c 2 -b 16 "$work/in16.wav" synth "$seconds" sine 1000 whitenoise vol 0.5
sox "$work/in16.wav" -b 24 "$work/in24.wav"
sox "$work/in16.wav" -e floating-point -b 32 "$work/inf.wav"

echo
printf "%-38s %-4s %8s %8s %7s   %8s %8s %7s\n" "case" "vs" "cli cpu" "base cpu" "speed" "cli s" "base s" "speed"
# The build to run comes first.
cli_convert() { "$@" --out "$out/"; }
ours_16_24() { cli_convert "$1" convert --type 24bit "$work/in16.wav"; }
sox_16_24() { sox "$work/in16.wav" -b 24 "$out/sox.wav"; }
ours_dither() { cli_convert "$1" convert --type 16bit --dither --pdf tri --shaping 1 "$work/in24.wav"; }
sox_dither() { sox "$work/in24.wav" -b 16 "$out/sox.wav" dither; }
ours_shaped() { cli_convert "$1" convert --type 16bit --dither --pdf tri --shaping 3 "$work/in24.wav"; }
sox_shaped() { sox "$work/in24.wav" -b 16 "$out/sox.wav" dither -s; }
ours_float() { cli_convert "$1" convert --type 16bit --dither --pdf tri --shaping 1 "$work/inf.wav"; }
sox_float() { sox "$work/inf.wav" -b 16 "$out/sox.wav" dither; }
ours_normalize() { cli_convert "$1" convert --normalize 95 --scope file "$work/in16.wav"; }
sox_normalize() { sox --norm=-0.45 "$work/in16.wav" "$out/sox.wav"; }
ours_copy() { cli_convert "$1" convert --format pcm "$work/in16.wav"; }
cp_copy() { cp "$work/in16.wav" "$out/cp.wav"; }
row "16 -> 24 bit" sox ours_16_24 sox_16_24
row "24 -> 16 bit, triangular dither" sox ours_dither sox_dither
row "24 -> 16 bit, noise shaping" sox ours_shaped sox_shaped
row "float -> 16 bit, triangular dither" sox ours_float sox_float
row "normalize 95 %, each file" sox ours_normalize sox_normalize
row "raw copy (16-bit PCM to PCM)" cp ours_copy cp_copy
echo "speed: baseline time / corvandale-cli time, medians (above 1: corvandale-cli is faster)"

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
for case in "raw copy|--format pcm" "16 -> 24 bit|--type 24bit" "16 -> 8 bit, dither|--type 8bit --dither"; do
    rm -rf "$out" && mkdir "$out"
    /usr/bin/time -f "%e %M" -o "$work/time.txt" "${clis[0]}" convert ${case#*|} --out "$out/" "$work/big.wav" \
        >/dev/null 2>"$work/stderr.txt" || { echo "failed: ${case%%|*}" >&2; cat "$work/stderr.txt" >&2; exit 1; }
    read -r wall rss_kb <"$work/time.txt"
    written=$(du -k --apparent-size "$out" | awk '{ printf "%.2f", $1 / 1024 / 1024 }')
    printf "%-20s %7.1f MB peak RSS   %s   %8.1f s   %s GiB written\n" "${case%%|*}" "$(awk -v k="$rss_kb" 'BEGIN { print k / 1024 }')" \
        "$(awk -v k="$rss_kb" 'BEGIN { print (k < 100 * 1024 ? "under 100 MB" : "OVER 100 MB") }')" "$wall" "$written"
    rm -rf "$out"
done
