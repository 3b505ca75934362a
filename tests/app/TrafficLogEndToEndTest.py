"""The traffic log window of the real console, opened as a user does (the
main window's shortcut), showing a command and a reading as rows and saving
them as CSV. Run under tests/support/with-desktop.sh; argument: the build's
bin folder."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from AccessibleApp import _walk, wait_until  # noqa: E402
from ConsoleOnSim import MAIN, ConsoleOnSim  # noqa: E402
from Xlib import X, XK, display  # noqa: E402
from Xlib.ext import xtest  # noqa: E402

BIN = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else None
LOG = "Registro comunicazioni"


def press_keys(*names):
    """Holds the keys down in order and lets them go, as a user's chord."""
    x = display.Display()
    codes = [x.keysym_to_keycode(XK.string_to_keysym(name)) for name in names]
    for code in codes:
        xtest.fake_input(x, X.KeyPress, code)
    for code in reversed(codes):
        xtest.fake_input(x, X.KeyRelease, code)
    x.sync()
    x.close()


class TrafficLogEndToEndTest(unittest.TestCase):
    def setUp(self):
        self.session = ConsoleOnSim(BIN, 8, b" 8 \r\n9600\r\n 1 \r\n", ["--reader", "1"])
        self.app = self.session.app

    def tearDown(self):
        self.session.stop()

    def cells(self, window):
        return [acc.name for acc in _walk(window) if acc.getRoleName() == "table cell"]

    def test_command_and_reading_shown_and_saved(self):
        app = self.app
        wait_until(lambda: app.window(MAIN).getState().contains(__import__("pyatspi").STATE_ACTIVE),
                   "the main window active")
        press_keys("Control_L", "Shift_L", "r")
        log = app.window(LOG)

        app.press("CmdGetFirmwareVersion")
        self.session.sim_command("multimaster on")
        self.session.sim_command("present 1 0000012345")
        wait_until(lambda: "reading" in self.cells(log), "a reading row")
        cells = self.cells(log)
        self.assertIn("command", cells)
        self.assertIn("02 30 21 32 03 22", cells)

        csv = os.path.join(self.session.folder, "registro.csv")
        app.press("cmdSalvaCsv")
        dialog = app.window("Salva CSV")
        name = app.child(dialog, ["text"])
        name.queryEditableText().setTextContents(csv)
        app.press_accessible(app.child(dialog, ["push button"], "Save"))
        wait_until(lambda: os.path.exists(csv), "the CSV file")
        with open(csv, encoding="latin-1") as f:
            lines = f.read().splitlines()
        self.assertEqual(lines[0], "time,direction,kind,dialect,address,type,data,check,hex,text,note")
        self.assertTrue(any(",TX,command,Sibrant2,1,P,2,check character good,02 30 21 32 03 22," in line
                            for line in lines), lines)
        self.assertTrue(any(",RX,reading,Sibrant2,1,P," in line for line in lines), lines)


if __name__ == "__main__":
    unittest.main(verbosity=2)
