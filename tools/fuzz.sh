#!/usr/bin/env bash
# Builds the core's libFuzzer targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer)
# in build/fuzz and runs each one for a short time from its seed corpus in tests/data/fuzz.
# Warnings are not errors here: -Werror is kept for the GCC builds, and clang warns of other
# things.
#
#   FUZZ_SECONDS   seconds per target (default 10)
#   FUZZ_TARGETS   targets to run, blank-separated (default: normalisers chain ini rules)
#   FUZZ_JOBS      build jobs (default: the number of processors)
#
# Inputs the fuzzer finds worth keeping go to build/fuzz/corpus/<target>, never into the seeds;
# a crash or a slow input is written to build/fuzz/ as crash-* or timeout-* and ends the script
# with an error.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${FUZZ_SECONDS:-10}"
read -r -a targets <<< "${FUZZ_TARGETS:-normalisers chain ini rules}"
jobs="${FUZZ_JOBS:-$(nproc)}"

cxx="$(command -v clang++-14 || command -v clang++ || true)"
if [ -z "$cxx" ]; then
  echo "fuzz.sh: clang is needed (Debian: clang-14 libclang-rt-14-dev)" >&2
  exit 2
fi
launcher=()
if command -v ccache > /dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKORVAL_FUZZ=ON -DKORVAL_CORE_ONLY=ON -DKORVAL_BENCH=OFF -DKORVAL_WERROR=OFF "${launcher[@]}" > /dev/null
cmake --build build/fuzz -j"$jobs" --target "${targets[@]/#/fuzz_}"

for target in "${targets[@]}"; do
  corpus="build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="build/fuzz/$target-")
  # Messages up to 16 KiB: a quadratic path shows as a timeout there.
  if [ "$target" = chain ]; then options+=(-max_len=16384); fi
  echo "== fuzz_$target for ${seconds}s"
  "build/fuzz/fuzz/fuzz_$target" "${options[@]}" "$corpus" "tests/data/fuzz/$target"
done
