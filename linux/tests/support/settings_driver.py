"""Drives cascade-settings through its accessibility tree, as a screen reader
or a test robot would: one command per run, its answer on stdout.

  dump                 the tree: role, name, states, actions
  toggle NAME          the toggle action of the switch named NAME
  press NAME           the click action of the button whose name starts with NAME
  set NAME VALUE       the value of the spin button named NAME
  value NAME           the value of the spin button named NAME
  shows TEXT           succeeds where a label holding TEXT is shown
  extents NAME         x y width height of the picture NAME in window coordinates
  tab-walk             presses Tab until the focus comes round again; fails
                       naming each control it never reached, and each
                       control without a name

Keys go through the program KEY_SENDER names: wtype (Wayland) or xdotool (X11).
"""
import os
import subprocess
import sys
import time

import pyatspi

APP = "cascade-settings"
# AT-SPI answers the program's own accessibility bus; it may take a moment to
# appear once the window shows.
FIND_SECONDS = 10
CONTROL_ROLES = {"check box", "push button", "spin button", "text", "combo box"}
# More than the window has controls and rows together.
MAX_TABS = 60
# An action or a key lands in the program a little later: poll this long.
LAND_SECONDS = 2
KEYMAP_MS = "100"
# The seat has no keyboard but wtype's: the window is active, and says which
# control has the focus, only while one is there. One sleeps through the walk.
KEYBOARD_HELD_MS = "600000"
KEYBOARD_BOUND_SECONDS = 0.5


def application():
    end = time.monotonic() + FIND_SECONDS
    while time.monotonic() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == APP:
                return app
        time.sleep(0.1)
    sys.exit(f"{APP} is not on the accessibility bus")


def nodes(root):
    yield root
    for index in range(root.childCount):
        child = root.getChildAtIndex(index)
        if child is not None:
            yield from nodes(child)


def states(node):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def actions(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


# The title bar's buttons are GTK's, out of its Tab order; the window
# manager's keys do what they do.
TITLE_BUTTONS = {"Close", "Minimize", "Maximize"}

def visible_controls(app):
    return [n for n in nodes(app) if n.getRoleName() in CONTROL_ROLES and "visible" in states(n)
            and n.name not in TITLE_BUTTONS]


def named(app, role, name, prefix=False):
    for node in nodes(app):
        if node.getRoleName() == role and "visible" in states(node):
            if node.name.startswith(name) if prefix else node.name == name:
                return node
    sys.exit(f"no {role} named {name!r} in {APP}")


def focused(app):
    return next((n for n in nodes(app) if "focused" in states(n)), None)


# Each wtype is a keyboard of its own, whose keymap the program must take
# before its keys; xdotool types on the X server's one keyboard.
KEY_COMMANDS = {"wtype": ["wtype", "-s", KEYMAP_MS, "-k"], "xdotool": ["xdotool", "key"]}
SENDER = os.environ.get("KEY_SENDER", "wtype")


def key(name):
    subprocess.run(KEY_COMMANDS[SENDER] + [name], check=True)


def next_focus(app, before):
    end = time.monotonic() + LAND_SECONDS
    while time.monotonic() < end:
        now = focused(app)
        if now is not None and now != before:
            return now
        time.sleep(0.05)
    return before


def tab_walk(app):
    if SENDER != "wtype":
        return walk_round(app)
    held = subprocess.Popen(["wtype", "-s", KEYBOARD_HELD_MS, "-k", "Shift_L"])
    try:
        time.sleep(KEYBOARD_BOUND_SECONDS)
        return walk_round(app)
    finally:
        held.kill()


def walk_round(app):
    wanted = {(n.getRoleName(), n.name): n for n in visible_controls(app)}
    unnamed = [role for role, name in wanted if not name]
    reached, first, now = set(), None, focused(app)
    for _ in range(MAX_TABS):
        key("Tab")
        now = next_focus(app, now)
        if now is None or now == first:
            break
        first = first or now
        reached.add((now.getRoleName(), now.name))
    missing = [f"{role} {name!r}" for role, name in wanted if (role, name) not in reached]
    for problem, items in (("never reached by Tab", missing), ("without a name", unnamed)):
        if items:
            print(f"{problem}: {', '.join(items)}")
    return not missing and not unnamed


def act(node, wanted):
    names = actions(node)
    if wanted not in names:
        sys.exit(f"{node.name!r} has no action {wanted!r}, only {names}")
    node.queryAction().doAction(names.index(wanted))


def main(command, *args):
    app = application()
    if command == "dump":
        for node in nodes(app):
            print(node.getRoleName(), repr(node.name), sorted(states(node)), actions(node))
    elif command == "toggle":
        act(named(app, "check box", args[0]), "toggle")
    elif command == "checked":
        sys.exit("checked" not in states(named(app, "check box", args[0])))
    elif command == "press":
        act(named(app, "push button", args[0], prefix=True), "click")
    elif command == "set":
        named(app, "spin button", args[0]).queryValue().currentValue = float(args[1])
    elif command == "value":
        print(int(named(app, "spin button", args[0]).queryValue().currentValue))
    elif command == "shows":
        sys.exit(not any(n.getRoleName() == "label" and args[0] in n.name for n in nodes(app)))
    elif command == "tab-walk":
        sys.exit(not tab_walk(app))
    elif command == "extents":
        box = named(app, "image", args[0]).queryComponent().getExtents(pyatspi.WINDOW_COORDS)
        print(box.x, box.y, box.width, box.height)
    else:
        sys.exit(f"unknown command {command}")


if __name__ == "__main__":
    main(*sys.argv[1:])
