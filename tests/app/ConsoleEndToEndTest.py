"""The real console in a folder of its own with Seriale.cfg, beside the virtual reader's COM7 link, driven through its
accessibility tree as a screen-reader user would, in numbered steps; run under with-desktop.sh with the bin folder."""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

import pyatspi
from Xlib import X, XK, display
from Xlib.ext import xtest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from AccessibleApp import AccessibleApp, _walk, wait_until  # noqa: E402

BIN = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else None
MAIN, MONITOR = "Test lettore Sibrant", "Monitor Comunicazioni"
# Written back at close in its own form: a changed file shows the write.
SETTINGS, WRITTEN = b"7\r\n9600\r\n1\r\n", b" 7 \r\n9600\r\n 1 \r\n"


def press_chord(*names):
    x = display.Display()
    codes = [x.keysym_to_keycode(XK.string_to_keysym(name)) for name in names]
    for event, code in [(X.KeyPress, c) for c in codes] + [(X.KeyRelease, c) for c in codes[::-1]]:
        xtest.fake_input(x, event, code)
    x.sync()
    x.close()


class ConsoleEndToEndTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp(prefix="lettore-console-")
        for name in ("lettore-console", "LetturaOk.wav"):
            shutil.copy(os.path.join(BIN, name), cls.folder)
        with open(os.path.join(cls.folder, "Seriale.cfg"), "wb") as f:
            f.write(SETTINGS)
        cls.log = os.path.join(cls.folder, "sim.log")
        cls.sim = cls.console = None
        try:
            cls.sim = subprocess.Popen([os.path.join(BIN, "lettore-sim"), "--reader", "1", "--log", cls.log,
                                        "--link", os.path.join(cls.folder, "COM7")], stdin=subprocess.PIPE,
                                       stdout=subprocess.DEVNULL, text=True)
            wait_until(lambda: "line open" in cls.sim_log(), "the virtual line")
            cls.console = subprocess.Popen([os.path.join(cls.folder, "lettore-console")], cwd="/")
            cls.app = AccessibleApp("lettore-console", timeout=30.0)
            cls.app.window(MAIN)
        except BaseException:
            # A process left running would hold the test runner's output open.
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        for process in (p for p in (cls.console, cls.sim) if p is not None):
            if process.poll() is None:
                process.kill()
            process.wait()
        shutil.rmtree(cls.folder, ignore_errors=True)

    @classmethod
    def sim_log(cls):
        with open(cls.log, encoding="latin-1") as f:
            return f.read()

    @classmethod
    def sim_command(cls, line, logged=None):
        """Sends `line` to the simulator, and waits for `logged` in its log from then on if given."""
        mark = len(cls.sim_log())
        cls.sim.stdin.write(line + "\n")
        cls.sim.stdin.flush()
        if logged:
            wait_until(lambda: logged in cls.sim_log()[mark:], logged)

    def test_1_monitor_a_name_and_a_lamps_state(self):
        """The monitor shown, its title whole; a name in words, found by its design name (the other names are the
        offscreen tests'); the time-out lamp checked from a time-out to the next answer."""
        app = self.app
        app.press("Command8")
        app.window(MONITOR)
        self.assertEqual(app.title_bar(MONITOR), MONITOR)
        self.assertEqual(app.control("TxtEsito(1)").name, "Esito Setup base")
        lamp = app.control("Led_TO")
        self.sim_command("fault 1 silent", "reader 1: fault silent")
        app.press("CmdGetFirmwareVersion")
        wait_until(lambda: lamp.getState().contains(pyatspi.STATE_CHECKED), "the time-out lamp lit")
        self.sim_command("fault 1 none", "reader 1: fault none")
        app.press("CmdGetFirmwareVersion")
        wait_until(lambda: not lamp.getState().contains(pyatspi.STATE_CHECKED), "the time-out lamp out at the answer")

    def test_2_multimaster_readings_while_typing_a_port(self):
        """Each reading shown; the box keeps the focus; the link stays on port 7."""
        app, box = self.app, self.app.control("TxtNumCom")
        app.press("optMultiMaster(1)")
        option = app.control("optMultiMaster(1)")
        wait_until(lambda: option.getState().contains(pyatspi.STATE_CHECKED), "Multimaster")
        self.sim_command("multimaster on")
        app.set_text("TxtNumCom", "")
        box.queryComponent().grabFocus()
        wait_until(lambda: box.getState().contains(pyatspi.STATE_FOCUSED), "Seriale n. focused")
        for typed in ("1", "12"):
            pyatspi.Registry.generateKeyboardEvent(ord(typed[-1]), None, pyatspi.KEY_SYM)
            for i in range(3):
                code = "%08d%02d" % (len(typed), i)
                self.sim_command("present 1 " + code)
                wait_until(lambda: app.text("TxtBadgeMM") == code, "reading " + code + " shown")
                time.sleep(0.5)
            self.assertTrue(box.getState().contains(pyatspi.STATE_FOCUSED), "the focus left the box")
            self.assertEqual(app.text("TxtNumCom"), typed)
        wait_until(lambda: self.sim_log().count("reader 1 P: SendACK") == 6,
                   "each reading acknowledged once, on port 7")
        app.set_text("TxtNumCom", "7")

    def test_3_traffic_log_shows_and_saves_a_command_and_a_reading(self):
        app = self.app
        wait_until(lambda: app.window(MAIN).getState().contains(pyatspi.STATE_ACTIVE), "the main window active")
        press_chord("Control_L", "Shift_L", "r")
        log, mark = app.window("Registro comunicazioni"), len(self.sim_log())
        app.press("CmdGetFirmwareVersion")
        # The reading after the answer: one straight after an acknowledgement is logged as its answer.
        wait_until(lambda: "GetVersioneFirmware" in self.sim_log()[mark:], "the version asked")
        self.sim_command("present 1 0000054321")
        def rows_shown():
            cells = [acc.name for acc in _walk(log) if acc.getRoleName() == "table cell"]
            return "02 30 21 32 03 22" in cells and any('"00000054321"' in cell for cell in cells)
        wait_until(rows_shown, "the command and reading rows")
        csv = os.path.join(self.folder, "registro.csv")
        app.press("cmdSalvaCsv")
        dialog = app.window("Salva CSV")
        app.child(dialog, "text").queryEditableText().setTextContents(csv)
        app.press_accessible(app.child(dialog, "push button", "Salva"))  # Qt's own words in Italian
        wait_until(lambda: os.path.exists(csv), "the CSV file")
        with open(csv, encoding="latin-1") as f:
            # The code keeps its zeros in a spreadsheet: ="00000054321".
            self.assertIn(',RX,reading,Sibrant2,1,P,="00000054321",', f.read())

    def test_4_range_on_a_dropped_line_stops_at_its_first_code(self):
        """Within 3 s, the status line saying why; a single command's result 3 is the offscreen tests' (portFailure)."""
        app, mark = self.app, len(self.sim_log())
        self.sim_command("drop 3000", "line dropped on request")
        app.set_text("TxtDa", "0")
        app.set_text("TxtA", "2000")
        app.press("Command11")
        status = app.control("CmdStop").parent  # the status line is its name
        wait_until(lambda: status.name == "Inserisci Badge fermato al codice 0000000000 (1 di 2001): "
                   "errore della porta seriale", "the range stopped at its first code", timeout=3.0)
        wait_until(lambda: "line back on" in self.sim_log()[mark:], "the line back")

    def test_5_interrompi_ends_a_range_on_a_silent_reader(self):
        """The press returns at once, queries are answered within 0.3 s during the wait, and "Interrompi" 1.2 s into it
        gives the buttons back within 0.5 s, the status line naming the code reached."""
        app, mark = self.app, len(self.sim_log())
        self.sim_command("fault 1 silent", "reader 1: fault silent")
        app.set_text("TxtDa", "0")
        app.set_text("TxtA", "2000")
        run, stop = app.control("Command11"), app.control("CmdStop")
        started = time.monotonic()
        app.press_accessible(run)
        pressed = time.monotonic() - started
        wait_until(lambda: "reader 1 does not answer" in self.sim_log()[mark:], "the first code heard")
        action = stop.queryAction()  # a disabled button has no actions
        press = [action.getName(i).lower() for i in range(action.nActions)].index("press")
        times = [time.monotonic()]
        while times[-1] - started < 1.2:
            for query in (lambda: stop.parent.name, run.getState, lambda: action.getName(press)):
                query()
                times.append(time.monotonic())
        stopped = time.monotonic()
        action.doAction(press)
        wait_until(lambda: run.getState().contains(pyatspi.STATE_ENABLED), "the buttons back")
        took = (pressed, max(b - a for a, b in zip(times, times[1:])), time.monotonic() - stopped)
        print("press, slowest query, stop: %.3f %.3f %.3f s" % took, file=sys.stderr)
        for seconds, limit in zip(took, (0.3, 0.3, 0.5)):
            self.assertLess(seconds, limit)
        self.assertEqual(stop.parent.name, "Inserisci Badge interrotto al codice 0000000000 (1 di 2001)")

    def test_6_sigterm_ends_it_writing_the_settings(self):
        self.console.terminate()
        self.assertEqual(self.console.wait(timeout=20), 0)
        with open(os.path.join(self.folder, "Seriale.cfg"), "rb") as f:
            self.assertEqual(f.read(), WRITTEN)


if __name__ == "__main__":
    unittest.main(verbosity=2)
