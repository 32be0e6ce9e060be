#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer) in
# build/fuzz and runs each one for a bounded time from its seed corpus in tests/data/fuzz.
#
#   bash tools/fuzz.sh [--seconds N] [--jobs N] [--build-only] [TARGET...] [-- LIBFUZZER-OPTION...]
#
#   --seconds N    seconds per target (default: FUZZ_SECONDS, else 10)
#   --jobs N       build jobs (default: FUZZ_JOBS, else the number of processors)
#   --build-only   build the targets, run none
#   TARGET...      targets to run (default: FUZZ_TARGETS, else every one: normalisers chain ini
#                  rules link bridge adsc)
#   -- ...         further options handed to every target (e.g. -fork=2)
#
# The build is the cheapest that still fuzzes well: -O1 with line tables only, assertions on, only
# the fuzz targets and the core under them. Warnings are not errors here: -Werror is kept for the
# GCC builds, and clang warns of other things.
#
# Inputs the fuzzer finds worth keeping go to build/fuzz/corpus/<target>, never into the seeds;
# a crash, a slow input or one that takes too much memory is written to build/fuzz/ as
# <target>-crash-*, <target>-timeout-* or <target>-oom-* and ends the script with an error.
set -euo pipefail
cd "$(dirname "$0")/.."

all_targets="normalisers chain ini rules link bridge adsc"
seconds="${FUZZ_SECONDS:-10}"
jobs="${FUZZ_JOBS:-$(nproc)}"
build_only=false
targets=()
extra=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="${2:?--seconds needs a number}"; shift 2 ;;
    --seconds=*) seconds="${1#*=}"; shift ;;
    --jobs) jobs="${2:?--jobs needs a number}"; shift 2 ;;
    --jobs=*) jobs="${1#*=}"; shift ;;
    --build-only) build_only=true; shift ;;
    -h | --help) sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$0"; exit 0 ;;
    --) shift; extra=("$@"); break ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
case "$seconds" in
  '' | *[!0-9]* | 0) echo "fuzz.sh: --seconds needs a whole number above 0, not \"$seconds\"" >&2; exit 2 ;;
esac
if [ ${#targets[@]} -eq 0 ]; then read -r -a targets <<< "${FUZZ_TARGETS:-$all_targets}"; fi
for target in "${targets[@]}"; do
  case " $all_targets " in
    *" $target "*) ;;
    *) echo "fuzz.sh: no target \"$target\" ($all_targets)" >&2; exit 2 ;;
  esac
done

cxx="$(command -v clang++-14 || command -v clang++ || true)"
if [ -z "$cxx" ]; then
  echo "fuzz.sh: clang is needed (Debian: clang-14 libclang-rt-14-dev)" >&2
  exit 2
fi
launcher=()
if command -v ccache > /dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE=Fuzz \
  -DCMAKE_CXX_FLAGS_FUZZ="-O1 -gline-tables-only" -DKORVAL_FUZZ=ON -DKORVAL_CORE_ONLY=ON \
  -DKORVAL_TESTS=OFF -DKORVAL_BENCH=OFF -DKORVAL_WERROR=OFF "${launcher[@]}" > /dev/null
cmake --build build/fuzz -j"$jobs" --target "${targets[@]/#/fuzz_}"
if $build_only; then exit 0; fi

for target in "${targets[@]}"; do
  corpus="build/fuzz/corpus/$target"
  mkdir -p "$corpus"
  options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="build/fuzz/$target-")
  # Messages up to 16 KiB: a quadratic path shows as a timeout there.
  if [ "$target" = chain ]; then options+=(-max_len=16384); fi
  echo "== fuzz_$target for ${seconds}s"
  # libFuzzer stops itself after --seconds; the outer limit only ends a run that hangs outside it.
  timeout -k 10 $((seconds * 2 + 60)) "build/fuzz/fuzz/fuzz_$target" "${options[@]}" "${extra[@]}" "$corpus" "tests/data/fuzz/$target"
done
