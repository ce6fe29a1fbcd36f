#!/usr/bin/env python3
# Stand-ins, on a private system bus, for the two services that GNOME Shell
# asks before it offers a lock screen: GDM's display manager (its version)
# and logind: the user's session, which GNOME Shell marks locked, and which
# logind's callers lock and unlock (loginctl lock-session). Only what
# GNOME Shell 43 and 48 and KWin's lock screen read and call is here. Prints
# "ready" once both names are held.
import sys
import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib

SESSION_ID = "c1"
SESSION_PATH = "/org/freedesktop/login1/session/" + SESSION_ID
INTERFACES = Gio.DBusNodeInfo.new_for_xml("""<node>
  <interface name="org.gnome.DisplayManager.Manager">
    <method name="RegisterSession"><arg type="a{sv}" direction="in"/></method>
    <property name="Version" type="s" access="read"/>
  </interface>
  <interface name="org.freedesktop.login1.Manager">
    <method name="GetSession"><arg type="s" direction="in"/><arg type="o" direction="out"/></method>
    <method name="GetSessionByPID"><arg type="u" direction="in"/><arg type="o" direction="out"/></method>
    <method name="GetUser"><arg type="u" direction="in"/><arg type="o" direction="out"/></method>
    <method name="LockSession"><arg type="s" direction="in"/></method>
    <method name="UnlockSession"><arg type="s" direction="in"/></method>
  </interface>
  <interface name="org.freedesktop.login1.User">
    <property name="Display" type="(so)" access="read"/>
  </interface>
  <interface name="org.freedesktop.login1.Session">
    <method name="SetLockedHint"><arg type="b" direction="in"/></method>
    <method name="Lock"/>
    <signal name="Lock"/>
    <signal name="Unlock"/>
    <property name="Id" type="s" access="read"/>
    <property name="Active" type="b" access="read"/>
    <property name="LockedHint" type="b" access="read"/>
  </interface>
</node>""")
SESSION = "org.freedesktop.login1.Session"
USER_PATH = "/org/freedesktop/login1/user/self"
properties = {
    "org.freedesktop.login1.User": {"Display": GLib.Variant("(so)", (SESSION_ID, SESSION_PATH))},
    "org.gnome.DisplayManager.Manager": {"Version": GLib.Variant("s", "43.0")},
    SESSION: {"Id": GLib.Variant("s", SESSION_ID), "Active": GLib.Variant("b", True),
              "LockedHint": GLib.Variant("b", False)},
}

def log(*words):
    print(*words, file=sys.stderr, flush=True)

def emit_session(bus, signal):
    bus.emit_signal(None, SESSION_PATH, SESSION, signal, None)

def set_locked_hint(bus, locked):
    properties[SESSION]["LockedHint"] = GLib.Variant("b", locked)
    bus.emit_signal(None, SESSION_PATH, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                    GLib.Variant("(sa{sv}as)", (SESSION, {"LockedHint": GLib.Variant("b", locked)}, [])))

def method_call(bus, _sender, _path, interface, method, args, invocation):
    log(interface, method, args)
    reply = None
    if method in ("GetSession", "GetSessionByPID"):
        reply = GLib.Variant("(o)", (SESSION_PATH,))
    elif method == "GetUser": # GNOME Shell 48's way to the user; 43 takes user/self
        reply = GLib.Variant("(o)", (USER_PATH,))
    elif method in ("LockSession", "Lock"):
        emit_session(bus, "Lock")
    elif method == "UnlockSession":
        emit_session(bus, "Unlock")
    elif method == "SetLockedHint":
        set_locked_hint(bus, args.unpack()[0])
    invocation.return_value(reply)

def get_property(_bus, _sender, _path, interface, name):
    return properties[interface][name]

bus = Gio.bus_get_sync(Gio.BusType.SYSTEM, None)
for path, interface in (("/org/gnome/DisplayManager/Manager", "org.gnome.DisplayManager.Manager"),
                        ("/org/freedesktop/login1", "org.freedesktop.login1.Manager"),
                        (USER_PATH, "org.freedesktop.login1.User"),
                        (SESSION_PATH, SESSION),
                        # where GNOME Shell 48 reads the caller's session Id
                        ("/org/freedesktop/login1/session/auto", SESSION)):
    bus.register_object(path, INTERFACES.lookup_interface(interface), method_call, get_property, None)

owned = []
def name_owned(_bus, name):
    owned.append(name)
    if len(owned) == 2:
        print("ready", flush=True)

def lost(_bus, name):
    log("lost", name)
    sys.exit(1)

for name in ("org.gnome.DisplayManager", "org.freedesktop.login1"):
    Gio.bus_own_name_on_connection(bus, name, Gio.BusNameOwnerFlags.NONE, name_owned, lost)
GLib.MainLoop().run()
