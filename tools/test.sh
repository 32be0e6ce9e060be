#!/usr/bin/env bash
# Builds KORVAL with AddressSanitizer and UBSan and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DKORVAL_SANITIZE=ON -DKORVAL_WERROR=ON -DKORVAL_BENCH=ON
cmake --build build/asan -j"$(nproc)"
ctest --test-dir build/asan --output-on-failure -j"$(nproc)"
