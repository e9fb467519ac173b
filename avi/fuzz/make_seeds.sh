#!/usr/bin/env bash
# Writes the seed files of the fuzzers into DIR: small AVI files from ffmpeg's
# muxer (with and without sound) and WAV files (16-bit, 8-bit, extensible).
# The corpus replay test feeds the same seeds through the reader.
#   avi/fuzz/make_seeds.sh DIR
set -euo pipefail
dir="$1"
mkdir -p "$dir"
ff() { ffmpeg -nostdin -v error -y "$@"; }
grey="color=c=black:s=16x16:r=5:d=0.8,geq=lum='16+mod(40*N\,220)':cb=128:cr=128"
ff -f lavfi -i "$grey" -c:v mjpeg -q:v 31 "$dir/mjpeg.avi"
ff -f lavfi -i "$grey" -f lavfi -i "sine=f=440:r=8000:d=0.8" -c:v mjpeg -q:v 31 -c:a pcm_s16le "$dir/mjpeg_pcm.avi"
ff -f lavfi -i "sine=f=440:r=8000:d=0.05" -c:a pcm_s16le "$dir/mono.wav"
ff -f lavfi -i "sine=f=440:r=8000:d=0.05" -ac 2 -c:a pcm_u8 "$dir/stereo_u8.wav"
ff -f lavfi -i "sine=f=440:r=8000:d=0.05" -ac 3 -c:a pcm_s24le "$dir/extensible.wav"
