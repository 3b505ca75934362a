"""Photographs the console's windows on the virtual reader: screenshots.py BIN FOLDER, run on a desktop of its own
(tests/support/with-desktop.sh). Each window is taken with its frame and title bar, as the window manager draws it,
into FOLDER as console.png, monitor.png (compact), monitor-esteso.png and registro.png."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib

from Xlib import X, XK, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from AccessibleApp import AccessibleApp, wait_until  # noqa: E402

MAIN, MONITOR, LOG = "Test lettore Sibrant", "Monitor Comunicazioni", "Registro comunicazioni"


def write_png(path, width, height, bgrx):
    """An RGB PNG of an X image's 32-bit BGRX pixels."""
    rows = bytearray()
    for y in range(height):
        row = bgrx[y * width * 4:(y + 1) * width * 4]
        rgb = bytearray(width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::4], row[1::4], row[0::4]
        rows += b"\0" + rgb
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


class Desktop:
    def __init__(self):
        self.x = display.Display()
        self.root = self.x.screen().root

    def client(self, title):
        """The top-level X window whose title is `title`."""
        def find(window):
            try:
                if window.get_wm_name() == title and window.get_attributes().map_state == X.IsViewable:
                    return window
                return next(filter(None, map(find, window.query_tree().children)), None)
            except Exception:  # gone since it was listed
                return None
        return wait_until(lambda: find(self.root), "the X window " + title)

    def frame(self, window):
        """The window manager's frame around a client window: its child of the root."""
        while window.query_tree().parent != self.root:
            window = window.query_tree().parent
        return window

    def activate(self, title):
        window = self.client(title)
        event = display.event.ClientMessage(window=window, client_type=self.x.intern_atom("_NET_ACTIVE_WINDOW"),
                                            data=(32, [2, X.CurrentTime, 0, 0, 0]))
        self.root.send_event(event, event_mask=X.SubstructureRedirectMask | X.SubstructureNotifyMask)
        self.x.sync()
        active = self.x.intern_atom("_NET_ACTIVE_WINDOW")
        wait_until(lambda: self.root.get_full_property(active, X.AnyPropertyType).value[0] == window.id,
                   title + " active")

    def keys(self, *names):
        codes = [self.x.keysym_to_keycode(XK.string_to_keysym(name)) for name in names]
        for event, code in [(X.KeyPress, c) for c in codes] + [(X.KeyRelease, c) for c in codes[::-1]]:
            xtest.fake_input(self.x, event, code)
        self.x.sync()

    def shoot(self, title, path):
        time.sleep(0.5)  # the last paint and the window manager's frame settle
        frame, screen = self.frame(self.client(title)).get_geometry(), self.root.get_geometry()
        # Taken from the screen, so a window larger than the screen is cut at its edge, as the user sees it.
        left, top = max(frame.x, 0), max(frame.y, 0)
        width = min(frame.x + frame.width + 2 * frame.border_width, screen.width) - left
        height = min(frame.y + frame.height + 2 * frame.border_width, screen.height) - top
        image = self.root.get_image(left, top, width, height, X.ZPixmap, 0xFFFFFFFF)
        write_png(path, width, height, image.data)


def main(bin_folder, out):
    folder = tempfile.mkdtemp(prefix="lettore-screenshots-")
    sim = console = None
    try:
        shutil.copy(os.path.join(bin_folder, "lettore-console"), folder)
        with open(os.path.join(folder, "Seriale.cfg"), "wb") as f:
            f.write(b" 7 \r\n9600\r\n 1 \r\n")
        log = os.path.join(folder, "sim.log")
        sim = subprocess.Popen([os.path.join(bin_folder, "lettore-sim"), "--reader", "1", "--log", log,
                                "--link", os.path.join(folder, "COM7")], stdin=subprocess.PIPE,
                               stdout=subprocess.DEVNULL, text=True)
        wait_until(lambda: "line open" in open(log, encoding="latin-1").read(), "the virtual line")
        console = subprocess.Popen([os.path.join(folder, "lettore-console")], cwd=folder)
        app, desktop = AccessibleApp("lettore-console", timeout=30.0), Desktop()
        app.window(MAIN)
        # Something on every window: a few exchanges and a reading.
        for button, result in (("CmdGetFirmwareVersion", "TxtEsito(7)"), ("Command6", "TxtEsito(4)"),
                               ("CmdGetPrima", "TxtEsitoGetMatricola")):
            app.press(button)
            wait_until(lambda: app.text(result) != "", button + " answered")
        sim.stdin.write("present 1 0000012345\n")
        sim.stdin.flush()
        app.press("Command8")
        app.window(MONITOR)
        desktop.activate(MAIN)
        desktop.shoot(MAIN, os.path.join(out, "console.png"))
        desktop.activate(MONITOR)
        desktop.shoot(MONITOR, os.path.join(out, "monitor.png"))
        desktop.keys("Control_L", "l")
        desktop.shoot(MONITOR, os.path.join(out, "monitor-esteso.png"))
        desktop.keys("Control_L", "Shift_L", "r")
        app.window(LOG)
        desktop.shoot(LOG, os.path.join(out, "registro.png"))
    finally:
        for process in filter(None, (console, sim)):
            process.kill()
            process.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
