#!/usr/bin/env bash
# Installs what is missing, builds, then reverses a video with ambrelo-cli.
#   scripts/run.sh [VIDEO] [OPTIONS]    e.g. scripts/run.sh holiday.mp4 --format mp4
#   scripts/run.sh                      makes a short demo clip and reverses it
#   scripts/run.sh --gui [VIDEO]        starts the window instead
# Options are those of `ambrelo-cli --help`.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

"$root/scripts/setup.sh"
"$root/scripts/build.sh" "$root/build" >/dev/null

if [ "${1:-}" = "--gui" ]; then
  shift
  exec "$root/build/app/ambrelo" "$@"
fi

if [ $# -eq 0 ] || [[ "$1" == -* ]]; then
  exec "$root/build/cli/ambrelo-cli" --demo "$@"
fi
exec "$root/build/cli/ambrelo-cli" "$@"
