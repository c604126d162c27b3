#!/usr/bin/env bash
# The Linux side of the real-encoder jobs: each output that Quillmere's jobs
# wrote in DIR/real-<name>/ decodes natively to the length of the .wav file
# it was made from. The name is the encoder's, optionally followed by "-" and
# more (real-lame-corvandale holds LAME's outputs of Corvandale's jobs).
# check_real_outputs.sh DIR [NAME...] (all five encoders when none is named).
set -eu
dir=$1
shift
declare -A extension=([twolame]=mp2 [flac]=flac [wavpack]=wv [mpc]=mpc [lame]=mp3)
decode() { # ENCODER FILE WAV
    case $1 in
    twolame) lame --quiet --decode --mp2input "$2" "$3" ;;
    flac) flac --silent --decode -o "$3" "$2" ;;
    wavpack) wvunpack -q -y -o "$3" "$2" ;;
    mpc) mpcdec "$2" "$3" 2>/dev/null ;;
    lame) lame --quiet --decode "$2" "$3" ;;
    esac
}
[ $# -gt 0 ] || set -- twolame flac wavpack mpc lame
status=0 checked=0
for name in "$@"; do
    encoder=${name%%-*}
    for output in "$dir/real-$name"/*."${extension[$encoder]}"; do
        # No encoder built: its job test was skipped, and so is this check.
        [ -f "$output" ] || { echo "$name: no output in $dir/real-$name, skipped"; continue; }
        rm -f "$output.wav"
        decode "$encoder" "$output" "$output.wav"
        input=$(soxi -s "${output%.*}.wav") decoded=$(soxi -s "$output.wav")
        echo "$name: input $input samples, decoded ${output##*/} $decoded samples"
        checked=$((checked + 1))
        # MPEG layer II keeps no length: it decodes to whole frames of 1152
        # samples, less the decoder's delay. The others decode exactly.
        slack=0
        if [ "$encoder" = twolame ]; then slack=1152; fi
        [ $((decoded > input ? decoded - input : input - decoded)) -le $slack ] || status=1
    done
done
[ "$checked" -gt 0 ] || exit 77
exit $status
