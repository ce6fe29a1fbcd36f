#!/usr/bin/env python3
# Screenshots and input for a test in GNOME's compositor, through its own
# D-Bus APIs: a monitor's picture by ScreenCast and PipeWire, keys and motion
# by one RemoteDesktop session held open (it dies with its connection). With
# GNOME Shell, its overview, and an inhibitor held on this connection. One
# command a line on stdin, "ok" or "error: ..." a line on stdout:
#   key KEYSYM        press and release a key
#   move DX DY        move the pointer by DX, DY
#   shot CONNECTOR FILE   a PNG of one monitor
#   overview-set true|false   open or close GNOME Shell's overview
#   overview-is true|false    an error unless the overview is open (closed)
#   inhibit, uninhibit        hold or drop a freedesktop screen saver inhibitor
import subprocess, sys
import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib

bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
MUTTER = "org.gnome.Mutter."
SHOT_SECONDS = 30 # a try at a picture; the test waits 120 s for any answer

def call(path, interface, method, args=None, reply=None):
    return bus.call_sync(MUTTER + interface.split(".")[0], path, MUTTER + interface, method, args,
                         reply and GLib.VariantType(reply), Gio.DBusCallFlags.NONE, 10000, None)

def remote_session():
    path = call("/org/gnome/Mutter/RemoteDesktop", "RemoteDesktop", "CreateSession", None, "(o)").unpack()[0]
    call(path, "RemoteDesktop.Session", "Start")
    return path

def shot_once(connector, file):
    path = call("/org/gnome/Mutter/ScreenCast", "ScreenCast", "CreateSession",
                GLib.Variant("(a{sv})", ({},)), "(o)").unpack()[0]
    stream = call(path, "ScreenCast.Session", "RecordMonitor",
                  GLib.Variant("(sa{sv})", (connector, {})), "(o)").unpack()[0]
    loop = GLib.MainLoop()
    node = []
    def added(_c, _s, _p, _i, _n, params):
        node.append(params.unpack()[0]); loop.quit()
    sub = bus.signal_subscribe(None, MUTTER + "ScreenCast.Stream", "PipeWireStreamAdded", stream, None,
                               Gio.DBusSignalFlags.NONE, added)
    call(path, "ScreenCast.Session", "Start")
    limit = GLib.timeout_add_seconds(10, loop.quit)
    loop.run()
    if node: # the limit still waits, and would end a later shot's wait early
        GLib.source_remove(limit)
    bus.signal_unsubscribe(sub)
    try:
        if not node:
            raise RuntimeError("no PipeWire stream for " + connector)
        subprocess.run(["gst-launch-1.0", "-q", "pipewiresrc", "path=%d" % node[0], "num-buffers=3", "!",
                        "videoconvert", "!", "pngenc", "snapshot=true", "!", "filesink", "location=" + file],
                       check=True, timeout=SHOT_SECONDS, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    except subprocess.CalledProcessError as e:
        raise RuntimeError(e.stderr.decode(errors="replace").strip()[-300:])
    except subprocess.TimeoutExpired:
        raise RuntimeError("no picture from PipeWire in %d s" % SHOT_SECONDS)
    finally:
        call(path, "ScreenCast.Session", "Stop")

# A stream that PipeWire fails to negotiate under load is no fault of the
# picture's: a new session is asked for before the shot is called failed.
SHOT_TRIES = 3
def shot(connector, file):
    for attempt in range(SHOT_TRIES):
        try:
            return shot_once(connector, file)
        except RuntimeError as e:
            print("shot of %s, try %d: %s" % (connector, attempt + 1, e), file=sys.stderr, flush=True)
            if attempt + 1 == SHOT_TRIES:
                raise

session = remote_session()
def key(keysym):
    for state in (True, False):
        call(session, "RemoteDesktop.Session", "NotifyKeyboardKeysym",
             GLib.Variant("(ub)", (int(keysym, 0), state)))

def move(dx, dy):
    call(session, "RemoteDesktop.Session", "NotifyPointerMotionRelative",
         GLib.Variant("(dd)", (float(dx), float(dy))))

SHELL = ("org.gnome.Shell", "/org/gnome/Shell", "org.freedesktop.DBus.Properties")
def overview_set(value):
    bus.call_sync(*SHELL, "Set", GLib.Variant("(ssv)", ("org.gnome.Shell", "OverviewActive",
                                                      GLib.Variant("b", value == "true"))),
                  None, Gio.DBusCallFlags.NONE, 10000, None)

def overview_is(value):
    active = bus.call_sync(*SHELL, "Get", GLib.Variant("(ss)", ("org.gnome.Shell", "OverviewActive")),
                           GLib.VariantType("(v)"), Gio.DBusCallFlags.NONE, 10000, None).unpack()[0]
    if active != (value == "true"):
        raise RuntimeError("the overview is " + ("open" if active else "closed"))

SCREEN_SAVER = ("org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver")
cookies = []
def inhibit():
    cookies.append(bus.call_sync(*SCREEN_SAVER, "Inhibit", GLib.Variant("(ss)", ("gnome_remote", "a test")),
                                 GLib.VariantType("(u)"), Gio.DBusCallFlags.NONE, 10000, None).unpack()[0])

def uninhibit():
    bus.call_sync(*SCREEN_SAVER, "UnInhibit", GLib.Variant("(u)", (cookies.pop(),)), None,
                  Gio.DBusCallFlags.NONE, 10000, None)

# The first event of each device only announces it.
move(0, 0)
key("0xffe1")
for line in sys.stdin:
    words = line.split()
    try:
        {"key": key, "move": move, "shot": shot, "overview-set": overview_set, "overview-is": overview_is,
         "inhibit": inhibit, "uninhibit": uninhibit}[words[0]](*words[1:])
        print("ok", flush=True)
    except Exception as e:
        print("error:", str(e).replace("\n", " "), flush=True)
