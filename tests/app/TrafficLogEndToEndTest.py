"""The traffic log window of the real console, opened with the main
window's shortcut, showing a command and a reading as rows and saving them
as CSV. Run under tests/support/with-desktop.sh; argument: the bin folder."""

import os
import sys
import unittest

import pyatspi
from Xlib import X, XK, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from AccessibleApp import _walk, wait_until  # noqa: E402
from ConsoleOnSim import MAIN, ConsoleOnSim  # noqa: E402

BIN = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else None


def press_chord(*names):
    x = display.Display()
    codes = [x.keysym_to_keycode(XK.string_to_keysym(name)) for name in names]
    for event, order in ((X.KeyPress, codes), (X.KeyRelease, reversed(codes))):
        for code in order:
            xtest.fake_input(x, event, code)
    x.sync()
    x.close()


class TrafficLogEndToEndTest(unittest.TestCase):
    def test_command_and_reading_shown_and_saved(self):
        session = ConsoleOnSim(BIN, 8, b" 8 \r\n9600\r\n 1 \r\n", ["--reader", "1"])
        self.addCleanup(session.stop)
        app = session.app
        wait_until(lambda: app.window(MAIN).getState().contains(pyatspi.STATE_ACTIVE), "the main window active")
        press_chord("Control_L", "Shift_L", "r")
        log = app.window("Registro comunicazioni")

        app.press("CmdGetFirmwareVersion")
        session.sim_command("multimaster on")
        session.sim_command("present 1 0000012345")
        cells = wait_until(lambda: [acc.name for acc in _walk(log) if acc.getRoleName() == "table cell"]
                           if "reading" in [acc.name for acc in _walk(log)] else None, "a reading row")
        self.assertIn("02 30 21 32 03 22", cells)

        csv = os.path.join(session.folder, "registro.csv")
        app.press("cmdSalvaCsv")
        dialog = app.window("Salva CSV")
        app.child(dialog, "text").queryEditableText().setTextContents(csv)
        app.press_accessible(app.child(dialog, "push button", "Save"))
        wait_until(lambda: os.path.exists(csv), "the CSV file")
        with open(csv, encoding="latin-1") as f:
            lines = f.read().splitlines()
        self.assertEqual(lines[0], "time,direction,kind,dialect,address,type,data,check,hex,text,note")
        self.assertTrue(any(",TX,command,Sibrant2,1,P,2,check character good,02 30 21 32 03 22," in line
                            for line in lines), lines)
        self.assertTrue(any(",RX,reading,Sibrant2,1,P," in line for line in lines), lines)


if __name__ == "__main__":
    unittest.main(verbosity=2)
