#!/usr/bin/env bash
# Installs everything the build, the tests and the application need on Debian 12.
# Quick when everything is already there: apt is asked only for what is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache
  juce-modules-source
  libgtest-dev libgmock-dev libbenchmark-dev
  libasound2-dev libx11-dev libxext-dev libxinerama-dev libxrandr-dev libxcursor-dev
  libfreetype-dev libfontconfig1-dev libpng-dev libjpeg-dev
  xvfb xauth xdotool x11-utils imagemagick
  clang-format
  fonts-dejavu-core
  clang libclang-rt-14-dev llvm-14
  python3
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
