#!/usr/bin/env bash
# The Linux side of the lame e2e test: the .mp3 that Quillmere's job wrote
# with lame.exe decodes natively to exactly the input's sample count.
set -eu
dir=$1
# No lame.exe built: the job test was skipped, and so is this one.
[ -f "$dir/song.mp3" ] || { echo "no $dir/song.mp3: skipped"; exit 77; }
lame --quiet --decode "$dir/song.mp3" "$dir/decoded.wav"
input=$(soxi -s "$dir/song.wav")
decoded=$(soxi -s "$dir/decoded.wav")
echo "input: $input samples, decoded mp3: $decoded samples"
[ "$input" = "$decoded" ]
