#!/usr/bin/env bash
# Test lines over product lines: non-blank lines that are not // comments, in .cpp and .h
# files; the benchmarks (bench/) count as neither.
set -euo pipefail
cd "$(dirname "$0")/.."
count(){ find "$@" \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 cat | grep -v '^\s*$' | grep -v '^\s*//' | wc -l; }
tests=$(count tests)
product=$(count apps plugins document designer ranges labels columns expressions properties)
echo "tests   $tests"
echo "product $product"
awk -v t="$tests" -v p="$product" 'BEGIN { printf "ratio   %.2f\n", t / p }'
