#!/usr/bin/env bash
# Runs one Windows program under Wine (WINE_LOADER, WINEPREFIX) on a private
# Xvfb display that lives as long as the program; exits with its exit code.
set -u
: "${WINE_LOADER:?}" "${WINEPREFIX:?}"
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
. "$(dirname "$0")/xvfb.sh"
trap stop_xvfb EXIT
start_xvfb || exit 1
"$WINE_LOADER" "$@"
