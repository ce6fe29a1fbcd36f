#!/usr/bin/env python3
"""Checks that Wine's X11 driver finds every X library it asks for.

The driver loads its X extensions' libraries (Xinerama, XRandR, XRender, XInput2,
Xcursor, Xcomposite, ...) by name at run time, and does without any it cannot
find: Debian only recommends them, so an install without them still starts,
and then reports one monitor where the display has two, or draws GL in a
child window differently. Each Wine process of one program run on a private
display (WINE_LOADER and WINEPREFIX as wine_run.sh wants them) leaves the
dynamic loader's account of its loads; every library the driver asked for
must have been mapped.

    wine_x11_libraries.py PROGRAM WORK_DIR
"""
import glob
import os
import re
import shutil
import subprocess
import sys

DRIVER = "winex11.so"
REQUEST = re.compile(r"file=(\S+) \[0\];  dynamically loaded by (\S+)")
MAPPED = re.compile(r"file=(\S+) \[0\];  generating link map")


def requests_and_maps(path):
    requested, mapped = set(), set()
    with open(path, errors="replace") as f:
        for line in f:
            request = REQUEST.search(line)
            if request and request.group(2).endswith("/" + DRIVER):
                requested.add(request.group(1))
            found = MAPPED.search(line)
            if found:
                mapped.add(os.path.basename(found.group(1)))
    return requested, mapped


def main():
    program, work = sys.argv[1], sys.argv[2]
    accounts = os.path.join(work, "loader")
    shutil.rmtree(accounts, ignore_errors=True)
    os.makedirs(accounts)
    env = dict(os.environ, LD_DEBUG="files", LD_DEBUG_OUTPUT=os.path.join(accounts, "ld"))
    run_wine = os.path.join(os.path.dirname(os.path.abspath(__file__)), "wine_run.sh")
    subprocess.run([run_wine, program, "desktop"], env=env, stdout=subprocess.DEVNULL, timeout=600)
    asked, missing = set(), set()
    for path in glob.glob(os.path.join(accounts, "ld.*")):
        requested, mapped = requests_and_maps(path)
        asked |= requested
        missing |= requested - mapped
    if not asked:
        print(f"FAIL: no Wine process loaded its X11 driver ({DRIVER}); nothing was checked")
        return 1
    print("the X11 driver asked for:", " ".join(sorted(asked)))
    if missing:
        print("FAIL: Wine's X11 driver could not load:", " ".join(sorted(missing)),
              "(install them for this Wine's architecture)")
        return 1
    print("PASS: each was loaded")
    return 0


if __name__ == "__main__":
    sys.exit(main())
