#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test:
#   1. the whole suite (GoogleTest through CTest, Qt windows on the offscreen platform);
#   2. the whole suite again, built with AddressSanitizer and
#      UndefinedBehaviorSanitizer (every test program but the one that writes
#      files past 2 GiB, which the sanitizers would make too slow);
#   3. the tests that run work on threads of their own, built with
#      ThreadSanitizer: the command-line front-end (the job on its worker
#      thread, Ctrl-C from a signal handler, every output format) and the
#      picture control loaded from a worker while the user-interface thread
#      paints.
# Each stage prints its wall time. Set AMBRELO_SKIP_SANITIZERS=1 to run the
# first stage only.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

scripts/setup.sh

export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

stage() {
  echo "== $1 ($(( SECONDS - stage_start )) s)"
  stage_start=$SECONDS
}
stage_start=$SECONDS

echo "== build"
scripts/build.sh "$root/build"
stage "built"
(cd build && ctest --output-on-failure -j "$jobs")
stage "tests done"

if [ "${AMBRELO_SKIP_SANITIZERS:-0}" != "1" ]; then
  echo "== tests under AddressSanitizer + UndefinedBehaviorSanitizer"
  scripts/build.sh "$root/build-asan" -DAMBRELO_SANITIZE=address,undefined
  stage "built with AddressSanitizer + UndefinedBehaviorSanitizer"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    bash -c 'cd build-asan && ctest --output-on-failure -j "$0"' "$jobs"
  stage "tests under AddressSanitizer + UndefinedBehaviorSanitizer done"

  echo "== threaded tests under ThreadSanitizer"
  cmake -S "$root" -B "$root/build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DAMBRELO_SANITIZE=thread >/dev/null
  cmake --build "$root/build-tsan" -j "$jobs" --target ambrelo-cli e2e_cli_test reliability_picture_threads_test encode_final_test
  stage "built with ThreadSanitizer"
  # FFmpeg, OpenCV and Qt are not instrumented: scripts/sanitizers/tsan.supp
  # names the few reports that come from inside them, and why.
  TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/scripts/sanitizers/tsan.supp" \
    bash -c 'cd build-tsan && ctest --output-on-failure -j "$0" -R "^(Cli|PictureControlThreads|FinalEncode)\."' "$jobs"
  stage "tests under ThreadSanitizer done"
fi
