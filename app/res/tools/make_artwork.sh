#!/usr/bin/env bash
# Draws the artwork of app/res/ again (needs only the Qt development
# packages of scripts/setup.sh). The drawn files are committed.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++20 -O1 -fPIC "$here/make_artwork.cpp" -o "$tmp/make_artwork" $(pkg-config --cflags --libs Qt6Gui)
"$tmp/make_artwork" "$here/.."
