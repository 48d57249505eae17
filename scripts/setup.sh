#!/usr/bin/env bash
# Installs what building needs on Debian 12 (as root, or through sudo), once.
set -euo pipefail
packages=(cmake ninja-build g++ qtbase5-dev qtbase5-dev-tools libqt5concurrent5 fonts-dejavu-core xvfb doxygen
  zlib1g-dev libdeflate-dev)
missing=()
for package in "${packages[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
