#!/usr/bin/env python3
# A picture of KWin's whole workspace through its own screenshot interface
# (org.kde.KWin.ScreenShot2 on the session bus), written as a PPM: KWin
# draws the lock screen into it too, where grim has no protocol to ask.
# KWin answers a test only with KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 in its
# environment. Usage: kwin_screenshot.py OUT.ppm
import os
import sys

import gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio, GLib

# QImage's formats KWin hands out: 32 bits a pixel, B G R A in memory.
FOUR_BYTE_FORMATS = {4, 5, 6}


def capture():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION)
    read_end, write_end = os.pipe()
    fds = Gio.UnixFDList.new()
    fds.append(write_end)
    os.close(write_end)
    reply, _ = bus.call_with_unix_fd_list_sync(
        "org.kde.KWin", "/org/kde/KWin/ScreenShot2", "org.kde.KWin.ScreenShot2",
        "CaptureWorkspace", GLib.Variant("(a{sv}h)", ({}, 0)), GLib.VariantType("(a{sv})"),
        Gio.DBusCallFlags.NONE, 20000, fds, None)
    del fds
    meta = reply.unpack()[0]
    data = b""
    with os.fdopen(read_end, "rb") as pipe:
        while chunk := pipe.read(1 << 20):
            data += chunk
    return meta, data


def main():
    meta, data = capture()
    width, height, stride = meta["width"], meta["height"], meta["stride"]
    if meta.get("format") not in FOUR_BYTE_FORMATS or len(data) < stride * height:
        sys.exit(f"kwin_screenshot: unexpected picture {meta}, {len(data)} bytes")
    rows = bytearray()
    for y in range(height):
        row = data[y * stride:y * stride + 4 * width]
        pixels = bytearray(3 * width)
        pixels[0::3], pixels[1::3], pixels[2::3] = row[2::4], row[1::4], row[0::4]
        rows += pixels
    with open(sys.argv[1], "wb") as out:
        out.write(b"P6 %d %d 255\n" % (width, height) + bytes(rows))


main()
