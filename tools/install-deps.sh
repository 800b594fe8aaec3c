#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Only missing packages are installed; through sudo when not root.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  clang libclang-rt-14-dev
  qt6-base-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libfftw3-dev
  fonts-ipafont-gothic
  portaudio19-dev
  libfluidsynth-dev libasound2-dev timgm6mb-soundfont
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  ffmpeg lame flac vorbis-tools opus-tools sox
  pulseaudio pulseaudio-utils libasound2-plugins libpulse-dev
  dpkg-dev fakeroot lintian desktop-file-utils appstream
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
