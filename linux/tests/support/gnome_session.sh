# shellcheck shell=bash
# Sourced by the GNOME stage tests after wayland_support.sh, with $monitors
# (WIDTHxHEIGHT of each virtual monitor) set: GNOME Shell under gnome-session,
# headless, on session and system buses of the test's own, with stand-ins for
# GDM and logind on the latter (desktop_services.py); PipeWire, and
# gnome_remote.py for pictures and input (ask COMMAND; output_shot FILE
# OUTPUT); gnome_set SCHEMA KEY VALUE for GNOME's settings. Monitors are
# Meta-0, Meta-1... in $outputs.
outputs=()
for i in "${!monitors[@]}"; do outputs+=("Meta-$i"); done
readonly outputs
readonly shot_type=png
install -m 644 "$(dirname "${BASH_SOURCE[0]}")/gnome_remote.py" "$scratch/gnome_remote.py"

# The session bus.
"${user[@]}" dbus-daemon --session --address="unix:path=$runtime/bus" --nofork --nopidfile \
  >"$work/bus.log" 2>&1 &
helper_pids+=("$!")
user+=(DBUS_SESSION_BUS_ADDRESS="unix:path=$runtime/bus")
wait_for_socket "$runtime/bus"
# gnome-session does not start without a system bus, and GNOME Shell offers
# no lock screen without GDM and logind.
start_system_services

# GNOME: gnome-session with GNOME Shell, headless with two virtual monitors,
# and the freedesktop screen saver interface that holds its inhibitors;
# PipeWire for its pictures.
data=$scratch/data
mkdir -p "$data/gnome-session/sessions" "$data/applications" "$scratch/config"
cat >"$data/gnome-session/sessions/cascade.session" <<EOF
[GNOME Session]
Name=Cascade's stage
RequiredComponents=cascade-shell;cascade-screensaver-proxy;
DesktopName=GNOME
EOF
cat >"$data/applications/cascade-shell.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=GNOME Shell, headless
Exec=gnome-shell --headless --wayland --no-x11 --wayland-display=wayland-gnome $(printf -- " --virtual-monitor %s" "${monitors[@]}")
X-GNOME-Autostart-Phase=DisplayServer
X-GNOME-Autostart-Notify=true
X-GNOME-AutoRestart=false
EOF
cat >"$data/applications/cascade-screensaver-proxy.desktop" <<EOF
[Desktop Entry]
Type=Application
Name=GNOME's freedesktop screen saver interface
Exec=/usr/libexec/gsd-screensaver-proxy
X-GNOME-Autostart-Phase=Initialization
X-GNOME-Autostart-Notify=true
X-GNOME-AutoRestart=false
EOF
user+=(XDG_DATA_DIRS="$data:/usr/share" XDG_CONFIG_DIRS="$scratch/config")
# gnome-session as the session manager itself, not as the leader that asks
# systemd's user manager for one (there is none here): GNOME 48's has no
# --builtin, and 43's runs the session's components itself either way.
untraced=1 start_compositor gnome-session --systemd-service --session=cascade
# Processes of this test's session: their environment names its runtime folder.
session_processes() { grep -lsz "^XDG_RUNTIME_DIR=$runtime\$" /proc/[0-9]*/environ | cut -d/ -f3; }
# Ends GNOME, the session first (without its bus, gnome-session would call
# the session failed and say so on screen), then whatever it left, then the
# test's own helpers.
end_all() {
  local pid
  [ -n "$compositor_pid" ] && kill "$compositor_pid" && wait_ended "$compositor_pid"
  for pid in $(session_processes); do
    [[ " ${helper_pids[*]} " = *" $pid "* ]] || kill -KILL "$pid"
  done
  stop_all
}
trap end_all EXIT
# GNOME Shell 43 forks an input method daemon at start from a JavaScript
# child setup, which can hang the child before it runs anything, on a lock
# another thread held at the fork, and GNOME Shell with it, waiting for the
# child. A child still GNOME Shell after a second is such a fork: ending it
# lets GNOME Shell go on (there is no such daemon to start here anyway).
readonly shell_start_limit=40 # seconds for GNOME Shell to answer on the bus
shell_answers() {
  "${user[@]}" gdbus call --session -t 1 -d org.gnome.Shell -o /org/gnome/Shell \
    -m org.freedesktop.DBus.Properties.Get org.gnome.Shell OverviewActive >/dev/null 2>&1
}
wait_for_shell() {
  local end=$((SECONDS + shell_start_limit)) shell child
  until shell_answers; do
    [ $SECONDS -lt $end ] || { echo "FAIL: GNOME Shell did not start: $(tail "$work/compositor.log")" >&2; exit 1; }
    for shell in $(pgrep -P "$compositor_pid" -x gnome-shell); do
      for child in $(pgrep -P "$shell" -x -O 1 gnome-shell); do kill -KILL "$child"; done
    done
    sleep 0.5
  done
}
wait_for_shell
# WirePlumber once PipeWire's socket is there: 0.5 (trixie's) gives up at
# once where it finds none, and no stream, no picture, comes without it.
"${user[@]}" pipewire >"$work/pipewire.log" 2>&1 &
helper_pids+=("$!")
wait_for_socket "$runtime/pipewire-0"
"${user[@]}" wireplumber >"$work/wireplumber.log" 2>&1 &
helper_pids+=("$!")
coproc remote { exec "${user[@]}" python3 "$scratch/gnome_remote.py" 2>"$work/remote.err"; }
helper_pids+=("$remote_PID")
ask() {
  local answer
  echo "$*" >&"${remote[1]}" && read -r -t 120 answer <&"${remote[0]}" && [ "$answer" = ok ] ||
    fail "GNOME did not take '$*': ${answer:-no answer} $(tail -n 2 "$work/remote.err")"
}
# The throwaway user may not write in the work folder: its pictures land in
# a folder of its own first.
install -d -o "$user_id" -g "$user_id" "$scratch/shots"
gnome_set() { "${user[@]}" gsettings set "org.gnome.desktop.$1" "$2" "$3" || fail "gsettings set $*"; } # SCHEMA KEY VALUE
output_shot() { ask shot "$2" "$scratch/shots/picture.png" && mv "$scratch/shots/picture.png" "$1"; } # FILE OUTPUT
