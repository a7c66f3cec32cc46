#!/usr/bin/python3
"""kwin_screenshot.py OUT.png: the whole workspace of a KWin started with
KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1, through its ScreenShot2 D-Bus method (on the session bus
of the environment), as a PNG made by ImageMagick from the raw pixels it hands over a pipe."""
import os
import subprocess
import sys
import threading

import dbus


def main():
    bus = dbus.SessionBus()
    shooter = bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2")
    read_end, write_end = os.pipe()
    chunks = []

    def read_all():
        with os.fdopen(read_end, "rb") as pipe:
            chunks.append(pipe.read())

    reader = threading.Thread(target=read_all)
    reader.start()
    options = dbus.Dictionary({"native-resolution": True}, signature="sv")
    result = shooter.CaptureWorkspace(options, dbus.types.UnixFd(write_end),
                                      dbus_interface="org.kde.KWin.ScreenShot2")
    os.close(write_end)
    reader.join()
    width, height, stride = int(result["width"]), int(result["height"]), int(result["stride"])
    rows = b"".join(chunks[0][y * stride:y * stride + width * 4] for y in range(height))
    # QImage's 32-bit formats are blue, green, red, alpha in memory on a little-endian machine.
    subprocess.run(["/usr/bin/convert", "-size", f"{width}x{height}", "-depth", "8", "bgra:-",
                    "-alpha", "off", sys.argv[1]], input=rows, check=True)


main()
