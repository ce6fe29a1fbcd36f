#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds every target and runs every test:
# the native suite plain and under AddressSanitizer + UndefinedBehaviorSanitizer,
# the million-frame soak in an optimised build, then a minute of each fuzz target.
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

# The million-frame soak needs an optimised build.
echo "== release (soak) =="
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target scene_soak
ctest --preset release -L soak

echo "== fuzz =="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
scripts/fuzz.sh 60
