#!/usr/bin/env bash
# Creates the tests' private Wine prefix once per build tree: no window
# manager handling (Managed=N), so Wine never waits for one, and the
# registry settings the end-to-end tests rely on.
set -eu
: "${WINE_LOADER:?}" "${WINEPREFIX:?}"
here=$(cd "$(dirname "$0")" && pwd)
stamp="$WINEPREFIX/.cascade-ready"
want="$("$WINE_LOADER" --version) $(md5sum "$here/prefix_settings.reg" "$0" | md5sum | cut -c1-12)"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
    echo "prefix ready: $WINEPREFIX"
    exit 0
fi

export WINEDEBUG=-all
export WINEDLLOVERRIDES="winemenubuilder.exe=d;mscoree,mshtml="
. "$here/xvfb.sh"
trap stop_xvfb EXIT
start_xvfb
"${WINE_LOADER%/*}/wineserver" -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
"$WINE_LOADER" wineboot -i >/dev/null 2>&1
"${WINE_LOADER%/*}/wineserver" -w
# A win64 prefix made where 32-bit code cannot run lacks the 32-bit builtins.
if [ -n "${CASCADE_WOW64_DLLS:-}" ]; then
    cp "$CASCADE_WOW64_DLLS"/* "$WINEPREFIX/drive_c/windows/syswow64/"
fi
cp "$here/prefix_settings.reg" "$WINEPREFIX/drive_c/prefix_settings.reg"
"$WINE_LOADER" regedit /S 'C:\prefix_settings.reg' >/dev/null 2>&1
"${WINE_LOADER%/*}/wineserver" -w
grep -q '"Managed"="N"' "$WINEPREFIX/user.reg"
echo "$want" >"$stamp"
echo "prefix created: $WINEPREFIX"
