#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the whole suite (GoogleTest through CTest, Qt windows on the offscreen platform);
#   2. the test programs marked "sanitize" again, built with AddressSanitizer
#      and UndefinedBehaviorSanitizer (a sanitizer build makes only those).
# Set AMBRELO_SKIP_SANITIZERS=1 to run the first stage only.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

echo "== build"
scripts/build.sh "$root/build"
echo "== tests"
(cd build && ctest --output-on-failure -j "$jobs")

if [ "${AMBRELO_SKIP_SANITIZERS:-0}" != "1" ]; then
  echo "== tests under AddressSanitizer + UndefinedBehaviorSanitizer"
  scripts/build.sh "$root/build-asan" -DAMBRELO_SANITIZE=address,undefined -DAMBRELO_BUILD_GUI=OFF
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd build-asan && ctest --output-on-failure -j "$jobs")
fi
