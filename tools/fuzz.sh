#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) and runs each for a
# bounded time from the checked-in corpus (fuzz/corpus/NAME), on a copy so the
# tree is left as it is. Any crash, sanitizer report, failed check or hang
# ends the script with a failure; the input is kept in build/fuzz/findings.
#   tools/fuzz.sh [seconds-per-target]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_TESTS=OFF -DORVANE_FUZZ=ON >/dev/null
cmake --build build/fuzz -j "$(nproc)" --target fuzz_profile_file fuzz_settings fuzz_text_rules
mkdir -p build/fuzz/findings
for name in profile_file settings text_rules; do
  work="build/fuzz/corpus-$name"
  rm -rf "$work"
  cp -r "fuzz/corpus/$name" "$work"
  echo "fuzzing $name for ${seconds}s"
  build/fuzz/fuzz/fuzz_$name "$work" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=build/fuzz/findings/$name- -print_final_stats=1 2>build/fuzz/$name.log \
    || { tail -60 build/fuzz/$name.log >&2; echo "fuzz_$name failed" >&2; exit 1; }
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" build/fuzz/$name.log | sed "s/^/  /"
done
echo "fuzzing found nothing"
