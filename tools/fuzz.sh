#!/usr/bin/env bash
# Builds the frame-conversion fuzzer with clang (in build-fuzz/) and runs it
# for a bounded time, starting from the seeds in tests/camera/fuzz_seeds/.
#   tools/fuzz.sh [SECONDS]     default 60
# Exits non-zero when the fuzzer finds a crash, a leak or undefined behaviour.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

source tools/ensure_packages.sh
ensure_packages

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DFROSTPANE_BUILD_BENCHMARKS=OFF -DFROSTPANE_BUILD_TOOLS=OFF >/dev/null
cmake --build build-fuzz --target fuzz_frame_conversion -j"$(nproc)"

corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp tests/camera/fuzz_seeds/* "$corpus"/
./build-fuzz/tests/fuzz_frame_conversion -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix=build-fuzz/ "$corpus"
