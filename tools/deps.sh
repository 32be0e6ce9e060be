#!/usr/bin/env bash
# Installs the Debian 12 packages KORVAL builds with, when any is missing. Needs root.
set -euo pipefail
packages=(build-essential cmake pkg-config g++ qt6-base-dev qt6-httpserver-dev qt6-websockets-dev
          libpcre2-dev nlohmann-json3-dev libgtest-dev libgmock-dev googletest libbenchmark-dev xvfb xauth
          fonts-dejavu-core chromium ccache clang-format
          clang-14 libclang-rt-14-dev)  # the last two: the fuzz targets (libFuzzer comes with the second)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
