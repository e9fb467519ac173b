#!/usr/bin/env bash
# Fast reversal of a Motion-JPEG AVI of about 1 GiB against `cp` of the same
# file, in the same run, with a warm cache. Goal: reversal time at most 2x the
# copy time, peak memory under 64 MiB.
#   bench/avi_fast_reverse.sh [BUILD_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$root/build-avi}"
cache="$root/bench/cache"
out="$root/bench/out"
mkdir -p "$cache" "$out"

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAMBRELO_BUILD_GUI=OFF >/dev/null
cmake --build "$build" --target avi_reverse_tool -j 2 >/dev/null
tool="$build/avi/avi_reverse_tool"

src="$cache/mjpeg_1g.avi"
if [ ! -f "$src" ]; then
  echo "== making $src"
  ffmpeg -nostdin -v error -y -f lavfi -i "testsrc2=s=1920x1080:r=25:d=2,noise=alls=60:allf=t" \
    -c:v mjpeg -q:v 2 "$cache/clip.avi"
  size=$(stat -c %s "$cache/clip.avi")
  loops=$(( (1024 * 1024 * 1024) / size ))
  ffmpeg -nostdin -v error -y -stream_loop "$loops" -i "$cache/clip.avi" -c copy "$src"
fi
echo "source: $(stat -c %s "$src") bytes, $(ffprobe -v error -count_packets -select_streams v:0 \
  -show_entries stream=nb_read_packets -of default=nw=1:nk=1 "$src") frames"

cat "$src" > /dev/null  # warm the cache
best_cp=""; best_rev=""; peak=0
for run in 1 2 3; do
  rm -f "$out/copy.avi" "$out/rev.avi"; sync
  t_cp=$( { /usr/bin/time -f "%e" cp "$src" "$out/copy.avi"; } 2>&1 )
  rm -f "$out/copy.avi"; sync
  line=$( { /usr/bin/time -f "%e %M" "$tool" "$src" "$out/rev.avi" >/dev/null; } 2>&1 )
  t_rev=${line% *}; rss=${line#* }
  echo "run $run: cp ${t_cp} s, fast reversal ${t_rev} s, peak ${rss} KiB"
  best_cp=$(echo "$best_cp $t_cp" | tr ' ' '\n' | grep . | sort -g | head -1)
  best_rev=$(echo "$best_rev $t_rev" | tr ' ' '\n' | grep . | sort -g | head -1)
  [ "$rss" -gt "$peak" ] && peak=$rss
done
rm -f "$out/copy.avi" "$out/rev.avi"
ratio=$(awk -v a="$best_rev" -v b="$best_cp" 'BEGIN { printf "%.2f", a / b }')
echo "best: cp ${best_cp} s, fast reversal ${best_rev} s, ratio ${ratio} (goal <= 2), peak $((peak / 1024)) MiB (goal < 64)"
awk -v r="$ratio" -v p="$peak" 'BEGIN { exit !(r <= 2.0 && p < 65536) }'
