#!/usr/bin/env bash
# Runs every benchmark executable built by the `benchmarks` target.
set -euo pipefail
build=${1:-build}
found=0
for exe in "$build"/bench/*; do
    [ -f "$exe" ] && [ -x "$exe" ] || continue
    found=1
    echo "== $(basename "$exe")"
    "$exe" --benchmark_counters_tabular=true
done
[ "$found" = 1 ] || echo "run-benchmarks: no benchmarks are built yet"
