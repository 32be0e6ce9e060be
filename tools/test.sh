#!/usr/bin/env bash
# The test command: builds KORVAL every way it ships and runs every test. One leg at a time, each
# timed; the first failing leg ends the command with its status.
#
#   format   every C++ file as the project's .clang-format lays it out
#   core     the core alone (KORVAL_CORE_ONLY=ON): it builds without Qt
#   asan     Debug with AddressSanitizer + UBSan and -Werror: every test, the fuzz targets' smoke
#            runs among them (each target over its seeds and their mutations for two seconds),
#            but the package's
#   release  Release with -Werror: the programs and benchmarks, each benchmark run once, briefly;
#            the Debian package made and checked
#   fuzz     the fuzz targets built by clang with libFuzzer, each run five seconds (not run by
#            default: tools/fuzz.sh is how they are fuzzed for hours)
#
#   bash tools/test.sh             format core asan release
#   bash tools/test.sh asan fuzz   only these legs
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh

jobs=$(nproc)
# A compiler cache, where the machine has one, makes a rebuild of unchanged files cheap.
cache=()
if command -v ccache >/dev/null 2>&1; then
    cache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    # Paths below the source folder hashed as relative ones: the core leg's objects are the release
    # leg's, compiled once. The precompiled headers are hashed by content.
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1 CCACHE_SLOPPINESS=pch_defines,time_macros
fi

# The core and release legs build alike, so the core's objects serve both: -O2 (what Debian builds
# packages with) rather than CMake's -O3, and the gold linker.
release=(-DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold)

leg_format() {
    local files
    mapfile -t files < <(git ls-files '*.cpp' '*.h')
    clang-format --dry-run --Werror "${files[@]}"
    echo "${#files[@]} files formatted as .clang-format says"
}

leg_core() {
    cmake -S . -B build/core -DCMAKE_BUILD_TYPE=Release -DKORVAL_CORE_ONLY=ON -DKORVAL_WERROR=ON \
        -DKORVAL_BENCH=OFF "${release[@]}" "${cache[@]}" >/dev/null
    cmake --build build/core -j"$jobs" --target korval_core korval-replay korval-demo
}

leg_asan() {
    # Line tables are all a sanitizer report needs, and gold links the test programs in half the time.
    cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DKORVAL_SANITIZE=ON -DKORVAL_WERROR=ON \
        -DKORVAL_BENCH=OFF -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold "${cache[@]}" >/dev/null
    cmake --build build/asan -j"$jobs"
    # One test more than processors: many of them wait on sockets and child programs.
    # The package is checked in the release leg, made of the programs as they ship.
    ctest --test-dir build/asan --output-on-failure -j"$((jobs + 1))" --label-exclude package
}

leg_release() {
    # The tests run in the asan leg; here the programs and benchmarks are built as shipped.
    cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DKORVAL_WERROR=ON -DKORVAL_BENCH=ON \
        -DKORVAL_TESTS=OFF "${release[@]}" "${cache[@]}" >/dev/null
    cmake --build build/release -j"$jobs"
    # Each benchmark once with the shortest time, so none can rot unseen.
    local b
    while IFS= read -r b; do
        echo "== $b"
        QT_QPA_PLATFORM=offscreen timeout 300 "$b" --benchmark_min_time=0.001 >/dev/null
    done < <(find build/release/bench -type f -perm -u+x -name 'bench_*' | sort)
    bash tests/package/check_package.sh build/release build/release/package-check >build/release/package-check.log
    tail -n 1 build/release/package-check.log
}

leg_fuzz() {
    bash tools/fuzz.sh --seconds 5 --jobs "$jobs"
}

legs=("$@")
[ ${#legs[@]} -gt 0 ] || legs=(format core asan release)
report=()
for leg in "${legs[@]}"; do
    declare -F "leg_$leg" >/dev/null || {
        echo "test.sh: no leg \"$leg\" (format core asan release fuzz)" >&2
        exit 2
    }
    echo "==== test.sh: $leg"
    start=$(date +%s)
    "leg_$leg"
    report+=("$leg $(($(date +%s) - start)) s")
done
echo "==== test.sh: every leg passed"
printf '  %s\n' "${report[@]}"
