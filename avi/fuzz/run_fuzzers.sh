#!/usr/bin/env bash
# Builds the two fuzz targets with clang, makes a seed corpus, and runs each
# fuzzer for SECONDS (default 300) in the background-friendly nice level.
#   avi/fuzz/run_fuzzers.sh [SECONDS]
# Crash inputs land in build-fuzz/artifacts/; turn each into a text fixture with
#   xxd -p CRASH > tests/avi/corpus/NAME.hex
# so that the corpus replay test feeds it through the reader from then on.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
seconds="${1:-300}"
build="${AMBRELO_FUZZ_BUILD:-$root/build-fuzz}"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DAMBRELO_FUZZ=ON -DAMBRELO_BUILD_GUI=OFF -DAMBRELO_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target avi_reader_fuzzer wav_reader_fuzzer -j 2 >/dev/null

corpus="$build/corpus"
mkdir -p "$corpus/avi" "$corpus/wav" "$build/artifacts"
seeds="$(mktemp -d)"
trap 'rm -rf "$seeds"' EXIT
"$root/avi/fuzz/make_seeds.sh" "$seeds"
# The replay test adds our own OpenDML files (several RIFF parts, with sound).
replay="${AMBRELO_REPLAY_TEST:-$root/build-avi/tests/avi/avi_corpus_replay_test}"
if [ -x "$replay" ]; then
  AMBRELO_SEED_DIR="$seeds" "$replay" --gtest_filter=CorpusReplay.SeedsReadCleanly >/dev/null
fi
# Every text fixture of the replay test (crashes found before, hand-made cases).
for hex in "$root"/tests/avi/corpus/*.hex; do
  [ -e "$hex" ] || continue
  grep -v '^#' "$hex" | xxd -r -p > "$seeds/$(basename "$hex" .hex)"
done
cp "$seeds"/*.avi "$corpus/avi/"
cp "$seeds"/*.wav "$corpus/wav/"
for f in "$seeds"/*; do case "$f" in *.avi|*.wav) ;; *) cp "$f" "$corpus/avi/"; cp "$f" "$corpus/wav/";; esac; done

run() {
  local name="$1" dir="$2"
  nice -n 10 "$build/avi/fuzz/$name" "$dir" -max_total_time="$seconds" -max_len=16384 \
    -artifact_prefix="$build/artifacts/$name-" -print_final_stats=1 2>"$build/$name.log" || true
  grep -E "stat::number_of_executed_units|ERROR|SUMMARY" "$build/$name.log" || true
}
run avi_reader_fuzzer "$corpus/avi" &
run wav_reader_fuzzer "$corpus/wav" &
wait
