# Sourced by the Wine test scripts: a private Xvfb display for one test.
# start_xvfb sets DISPLAY; stop_xvfb ends Wine's processes and the server.

start_xvfb() {
    xvfb_number_file=$(mktemp)
    # -displayfd: the server picks a free display and writes its number.
    Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-640x480x24}" -nolisten tcp -noreset \
        3>"$xvfb_number_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        if [ -s "$xvfb_number_file" ]; then
            export DISPLAY=":$(tr -d '\n' <"$xvfb_number_file")"
            rm -f "$xvfb_number_file"
            return 0
        fi
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    echo "Xvfb did not start" >&2
    rm -f "$xvfb_number_file"
    return 1
}

stop_xvfb() {
    "${WINE_LOADER%/*}/wineserver" -k >/dev/null 2>&1 || true
    if [ -n "${xvfb_pid:-}" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
}
