#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the program need,
# only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ ccache pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libxcb1-dev
  libbenchmark-dev
  clang-14 libclang-rt-14-dev clang-format-14
  xvfb xauth xdotool imagemagick
  fonts-noto-color-emoji fonts-dejavu-core fonts-inter fonts-noto-core fonts-quicksand
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
