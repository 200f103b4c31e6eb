#!/usr/bin/env bash
# The core's per-frame work natively and as WebAssembly under node, side by
# side in one run: each program three times, taking turns, then the median of
# each case and the WebAssembly/native ratio.
#   tools/measure_core_speed.sh [SECONDS_PER_CASE]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-2}
export NODE_PATH=/usr/share/nodejs
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target frostpane_core_speed >/dev/null
emcmake cmake -S . -B build-wasm -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-wasm -j"$(nproc)" --target frostpane_core_speed >/dev/null

out=$(mktemp)
trap 'rm -f "$out"' EXIT
for _ in 1 2 3; do
  ./build/bench/frostpane_core_speed "$seconds" | sed 's/^/native /' >>"$out"
  node build-wasm/frostpane_core_speed.js "$seconds" | sed 's/^/wasm /' >>"$out"
done
python3 - "$out" <<'PY'
import statistics, sys
runs = {}
targets = {}
for line in open(sys.argv[1]):
    kind, name, value, _unit, target = line.split()
    runs.setdefault((kind, name), []).append(float(value))
    targets[kind] = target.strip('()')
print(f"{'case':22} {'native (' + targets['native'] + ')':>16} {'wasm (' + targets['wasm'] + ')':>14} {'ratio':>6}")
for name in dict.fromkeys(n for _, n in runs):
    native = statistics.median(runs[('native', name)])
    wasm = statistics.median(runs[('wasm', name)])
    print(f"{name:22} {native:13.1f} us {wasm:11.1f} us {wasm / native:6.2f}")
PY
