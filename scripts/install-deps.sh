#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need.
# Idempotent and quiet when everything is already there.
set -euo pipefail

packages=(
  # build and tests
  cmake ninja-build g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # drawing and the headless display
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev xvfb xauth
  # tests only: a window manager and a keyboard and mouse driven through the X server
  openbox xdotool
  # the window, menus and dialogs; the overlay's font
  qt6-base-dev libfreetype-dev fonts-dejavu-core
  # recording and output devices (and their headless disk and dummy drivers for the tests)
  libsdl2-dev
  # songs: decoding (MP3, WAV, OGG, WMA), resampling, and the 3D mixer with reverb
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev libopenal-dev
  # the ray tracer's intersection kernels
  libembree-dev
  # PNG output of the snapshot tool
  zlib1g-dev
  # tests only: an independent GIF encoder and decoder to compare with
  libgif-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
