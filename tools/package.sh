#!/usr/bin/env bash
# Builds the Debian package of KORVAL from a Release build: build/release/korval_VERSION_ARCH.deb.
# Installs the Debian packages the build needs when any is missing (as tools/run.sh does).
#
#   bash tools/package.sh && sudo apt install ./build/release/korval_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake --preset release -DKORVAL_BENCH=OFF >/dev/null
cmake --build build/release -j"$(nproc)" --target korval korval-link korval-demo korval-replay
(cd build/release && cpack -G DEB)
ls build/release/korval_*.deb
