"""The real console under a busy line and a hurried hand, driven through its
accessibility tree against the virtual reader: typing a port number while
readings arrive, and a long range stopped by the user and by the reader's
line going away. Run under tests/support/with-desktop.sh; argument: the
build's bin folder."""

import os
import re
import sys
import time
import unittest

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from AccessibleApp import wait_until  # noqa: E402
from ConsoleOnSim import ConsoleOnSim  # noqa: E402

BIN = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else None
RANGE_RUNNING = re.compile(r"Comando in corso: Inserisci Badge — codice (\d+) di 32768$")
RANGE_BROKEN = re.compile(r"Inserisci Badge fermato al codice (\d{10}) \((\d+) di 32768\): "
                          r"errore della porta seriale$")


class ConsoleResponsivenessEndToEndTest(unittest.TestCase):
    """One console on one virtual line, port 9; the steps run in their
    numbered order, the last one ends the virtual reader."""

    @classmethod
    def setUpClass(cls):
        # Paced at the line's byte time, a range takes long enough to be
        # stopped halfway.
        cls.session = ConsoleOnSim(BIN, 9, b" 9 \r\n9600\r\n 1 \r\n", ["--pace", "--reader", "1"])
        cls.app = cls.session.app

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()

    def status(self):
        """The status line: the name of the bar that holds the stop button."""
        return self.app.control("CmdStop").parent.name

    def present_and_see(self, code):
        """Reader 1 reads `code`; waits until the console shows it."""
        self.session.sim_command("present 1 " + code)
        wait_until(lambda: self.app.text("TxtBadgeMM") == code, "reading " + code + " shown")

    def start_long_range(self):
        """Presses "Inserisci Badge" for 0..32767 and waits until the status
        line counts past code 20: the window answers while the range runs."""
        self.app.set_text("TxtDa", "0")
        self.app.set_text("TxtA", "32767")
        self.app.press("Command11")
        wait_until(lambda: int(RANGE_RUNNING.match(self.status()).group(1)) > 20, "the range under way")

    def type_key(self, char):
        pyatspi.Registry.generateKeyboardEvent(ord(char), None, pyatspi.KEY_SYM)

    def test_1_typing_a_port_while_readings_arrive(self):
        app = self.app
        app.press("optMultiMaster(1)")
        wait_until(lambda: app.checked("optMultiMaster(1)"), "Multimaster selected")
        self.session.sim_command("multimaster on")
        self.present_and_see("0000000001")

        box = app.control("TxtNumCom")
        app.set_text("TxtNumCom", "")
        box.queryComponent().grabFocus()
        wait_until(lambda: box.getState().contains(pyatspi.STATE_FOCUSED), "Seriale n. focused")
        code = 2
        for typed in ("1", "12"):
            self.type_key(typed[-1])
            wait_until(lambda: app.text("TxtNumCom") == typed, "Seriale n. reading " + typed)
            # Readings every half second while the user is in the box.
            for _ in range(3):
                self.present_and_see("%010d" % code)
                code += 1
                time.sleep(0.5)
                self.assertTrue(box.getState().contains(pyatspi.STATE_FOCUSED), "the focus left the box")
                self.assertEqual(app.text("TxtNumCom"), typed)
        # Every reading reached the console on port 9 and was acknowledged there.
        wait_until(lambda: self.session.sim_log().count("reader 1 P: acknowledgement") == code - 1,
                   "every reading acknowledged")

        app.set_text("TxtNumCom", "9")
        app.press("optMultiMaster(0)")
        self.session.sim_command("multimaster off")

    def test_2_stop_button_ends_a_long_range(self):
        app = self.app
        self.start_long_range()
        app.press("CmdStop")
        wait_until(lambda: app.enabled("Command11"), "the range ended")
        shown = app.text("TxtRisposta")
        sent = int(shown.split()[0]) + 1
        self.assertLess(sent, 32768)
        time.sleep(0.3)
        self.assertEqual(app.text("TxtRisposta"), shown)
        self.assertEqual(self.session.sim_log().count("white list add"), sent)

    def test_3_line_gone_ends_the_range_where_it_failed(self):
        app = self.app
        self.start_long_range()
        self.session.sim.kill()
        self.session.sim.wait()
        # The window answers at once: the range ends at the first code
        # that fails, not after trying every code left.
        broken = wait_until(lambda: RANGE_BROKEN.match(self.status()), "the range stopped by the port",
                            timeout=3.0)
        self.assertTrue(app.enabled("Command11"))
        self.assertLess(int(broken.group(2)), 32768)
        self.assertTrue(app.text("TxtRisposta").startswith(broken.group(1)), app.text("TxtRisposta"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
