#!/usr/bin/env bash
# Builds Frostpane and runs every test headless. Installs what is missing.
#   ./test.sh             build (Release) and run all tests, the core also as WebAssembly,
#                         the browser edition in Chromium, Firefox and WebKit
#   ./test.sh --sanitize  the same under AddressSanitizer + UBSan (build-sanitize/)
#   ./test.sh --bench     build and run the benchmarks
set -euo pipefail
cd "$(dirname "$0")"

mode=test
case "${1:-}" in
  "") ;;
  --sanitize) mode=sanitize ;;
  --bench) mode=bench ;;
  *) echo "usage: $0 [--sanitize|--bench]" >&2; exit 2 ;;
esac

source tools/ensure_packages.sh
ensure_packages
[ "$mode" = test ] && ensure_web_packages

jobs=$(nproc)
# Emscripten's optimizer needs Debian's node modules; node from elsewhere
# does not look there by itself.
build_wasm() {
  NODE_PATH=/usr/share/nodejs emcmake cmake -S . -B build-wasm -DCMAKE_BUILD_TYPE=Release >/dev/null
  NODE_PATH=/usr/share/nodejs cmake --build build-wasm -j"$jobs"
}
export QT_QPA_PLATFORM=offscreen

case "$mode" in
  test)
    # Every C++ file as .clang-format lays it out.
    tools/check_format.sh
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build -j"$jobs"
    # The core again as WebAssembly, its tests under node, and the browser
    # edition with its tests in Chromium, Firefox and WebKit.
    build_wasm
    # The page's JavaScript against the boundary the build just generated.
    (cd web && npx --no-install tsc -p .)
    ctest --test-dir build-wasm --output-on-failure
    ctest --test-dir build --output-on-failure -j"$jobs"
    ;;
  sanitize)
    cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFROSTPANE_SANITIZE=ON \
      -DFROSTPANE_BUILD_BENCHMARKS=OFF -DFROSTPANE_BUILD_TOOLS=OFF >/dev/null
    cmake --build build-sanitize -j"$jobs"
    export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
    export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/tools/lsan.supp:print_suppressions=0}"
    export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
    ctest --test-dir build-sanitize --output-on-failure -j"$jobs"
    ;;
  bench)
    cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build -j"$jobs" --target frostpane_bench
    ./build/bench/frostpane_bench
    ;;
esac
