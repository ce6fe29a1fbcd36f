#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds the Linux program and runs the
# saver: in a window when $DISPLAY reaches an X server, otherwise it renders
# a picture of the scene without a display and says where it is.
# Options given to this script go to the program (e.g. -fullscreen, -fps).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target cascade
program=build/release/linux/cascade

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Running Cascade on $DISPLAY: Escape or q ends it."
  exec "$program" "$@"
fi

picture=build/cascade.png
"$program" -render "$picture" -size 800x600 -frames 400 -frame-ms 16
echo "No usable display (DISPLAY='${DISPLAY:-}'): rendered the scene to $(pwd)/$picture"
