#!/usr/bin/env bash
# The Linux side of the real-encoder jobs: each output that Quillmere's job
# wrote in DIR/real-<encoder>/ decodes natively to the input's length.
# check_real_outputs.sh DIR [ENCODER...] (all five when none is named).
set -eu
dir=$1
shift
[ $# -gt 0 ] || set -- twolame flac wavpack mpc lame
status=0 checked=0
for encoder in "$@"; do
    job=$dir/real-$encoder
    # An MPEG layer II file has no gapless information: it decodes to whole
    # frames of 1152 samples, less the decoder's delay; the others exactly.
    slack=0
    case $encoder in
    twolame) output=somefile.mp2 decode=(lame --quiet --decode --mp2input) slack=1152 ;;
    flac) output=somefile.flac decode=(flac --silent --decode -o) ;;
    wavpack) output=somefile.wv decode=(wvunpack -q -y -o) ;;
    mpc) output=somefile.mpc decode=(mpcdec) ;;
    lame) output=somefile.mp3 decode=(lame --quiet --decode) ;;
    *) echo "unknown encoder $encoder"; exit 2 ;;
    esac
    # No encoder built: its job test was skipped, and so is this check.
    [ -f "$job/$output" ] || { echo "$encoder: no $output, skipped"; continue; }
    rm -f "$job/decoded.wav"
    case $encoder in
    flac | wavpack) "${decode[@]}" "$job/decoded.wav" "$job/$output" ;;
    *) "${decode[@]}" "$job/$output" "$job/decoded.wav" >/dev/null 2>&1 ;;
    esac
    input=$(soxi -s "$job/somefile.wav")
    decoded=$(soxi -s "$job/decoded.wav")
    echo "$encoder: input $input samples, decoded $output $decoded samples"
    checked=$((checked + 1))
    difference=$((decoded > input ? decoded - input : input - decoded))
    [ "$difference" -le "$slack" ] || status=1
done
[ "$checked" -gt 0 ] || exit 77
exit $status
