#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer and
# runs them all (unit, widget and the end-to-end tests, which start their own
# headless X servers), then builds the benchmarks and runs each briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANE_SANITIZE=ON
cmake --build build/test -j "$jobs"
ctest --test-dir build/test --output-on-failure -j "$jobs" --timeout 300

cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_TESTS=OFF -DORVANE_BENCH=ON
cmake --build build/bench -j "$jobs"
for b in build/bench/bench/bench_*; do
  if [ -f "$b" ] && [ -x "$b" ]; then
    echo "running $b briefly"
    "$b" --benchmark_min_time=0.05 >/dev/null
  fi
done
echo "benchmarks built and run"
