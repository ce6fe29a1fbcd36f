#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds every target and runs every test:
# the native suite plain and under AddressSanitizer + UndefinedBehaviorSanitizer,
# then a minute of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
for preset in ci ci-asan; do
  echo "== $preset =="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done

echo "== fuzz =="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
scripts/fuzz.sh 60
