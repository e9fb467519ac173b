#!/usr/bin/env bash
# Installs every Debian package Ambrelo needs to build, test and run.
# Quiet and quick when everything is already there. Run as root on Debian 12.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config git
  clang libclang-rt-14-dev
  ffmpeg libavformat-dev libavcodec-dev libavutil-dev libswscale-dev libswresample-dev
  libopencv-core-dev libopencv-imgproc-dev libopencv-imgcodecs-dev libopencv-videoio-dev
  libjpeg62-turbo-dev
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libqt6opengl6-dev
  libgtest-dev googletest libcli11-dev
  fonts-noto-cjk xvfb xauth
  time
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages: ${missing[*]}" >&2
  echo "setup: run this script as root to install them" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
