#!/usr/bin/env bash
# Runs bench_gnome in a headless GNOME session (tests/gnome/gnome-session.sh),
# after bench_tick's X11 tick of a whole 1920x1080 frame at 100 % (on its own
# Xvfb), whose CPU per tick bench_gnome sets its frames against.
#   bench/run-gnome-bench.sh [BUILD_DIR [BENCH_GNOME FLAGS...]]   (BUILD_DIR: build/bench;
#   exit 77 where mutter or PipeWire is missing)
set -euo pipefail
here=$(dirname "$0")
build=${1:-build/bench}
shift || true
# (the tick's row needs the memcpy and the change it subtracts)
filter='^(memcpy/1920x1080|change/1920x1080/whole|tick/1920x1080/100/plain/persistent)(/real_time)?$'
rows=$("$build/bench/bench_tick" --whole-machine-seconds=0 --benchmark_min_time=0.5 --benchmark_filter="$filter" |
       grep -E '^(memcpy|change|tick)/' || true)
echo "$rows" >&2
tick=$(awk '/^tick\// { for (i = 1; i <= NF; ++i) if ($i ~ /^total_ms=/) print substr($i, 10) }' <<<"$rows")
exec "$here/../tests/gnome/gnome-session.sh" ORVANE_BINARY="$build/src/orvane" "$build/bench/bench_gnome" \
  ${tick:+--x11-tick-ms=$tick} "$@"
