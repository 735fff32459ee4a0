#!/usr/bin/env bash
# Prints the lines of product code, of test code (tests/, fuzz/ and the simulated
# desktop, which exists only for the tests) and their ratio. C++, C, shell and Python.
set -euo pipefail
cd "$(dirname "$0")/.."
lines() {
  find "$@" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.c' -o -name '*.sh' -o -name '*.py' \) -print0 |
    xargs -0 cat | wc -l
}
fake=$(lines src/platform/fake)
product=$(( $(lines src) - fake ))
tests=$(( $(lines tests fuzz) + fake ))
echo "product code: $product lines (src/ without the simulated desktop)"
echo "test code:    $tests lines (tests/, fuzz/, src/platform/fake)"
echo "tests / product: $(( 100 * tests / product )) %"
