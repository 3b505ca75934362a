"""The console's configuration panels driven through the accessibility tree
against the virtual reader on a pseudo-terminal: what a user reads in the
result boxes, and what the reader's log says reached the line.
Run under tests/support/with-desktop.sh; argument: the build's bin folder."""

import os
import re
import sys
import unittest

import pyatspi

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from AccessibleApp import wait_until  # noqa: E402
from ConsoleOnSim import ConsoleOnSim  # noqa: E402

BIN = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else None
CARD = "0000012345"
VERSION = "SIM LETTORE 1.00"


class ConfigurationPanelsEndToEndTest(unittest.TestCase):
    """One console at 9600 baud on terminal 3; reader 3 holds the card,
    reader 1 listens at 2400 baud. The steps run in their numbered order."""

    @classmethod
    def setUpClass(cls):
        cls.line = ConsoleOnSim(BIN, 6, b" 6 \r\n9600\r\n 3 \r\n",
                                ["--reader", "1:baud=2400", "--reader", "3:card=" + CARD])
        cls.app = cls.line.app

    @classmethod
    def tearDownClass(cls):
        cls.line.stop()

    def heard(self):
        """The frames the readers' line heard, as (baud, hex) in order."""
        return re.findall(r" RX (\d+) \[([0-9A-F ]*)\]", self.line.sim_log())

    def wait_for_log(self, text, timeout=10.0):
        wait_until(lambda: text in self.line.sim_log(), "the reader's log saying " + text, timeout)

    def press_for_result(self, button, result_box, timeout=10.0):
        """Empties the result box, presses the button, returns the box's
        text once the command wrote it."""
        self.app.set_text(result_box, "")
        self.app.press(button)
        return wait_until(lambda: self.app.text(result_box), result_box + " written", timeout)

    def answer_password(self, text):
        dialog = self.app.window("Password richiesta")
        box = self.app.child(dialog, ["password text", "text"])
        box.queryEditableText().setTextContents(text)
        self.app.press_accessible(self.app.child(dialog, ["push button"], "OK"))

    def dismiss(self, message):
        box = self.app.dialog_saying(message)
        self.app.press_accessible(self.app.child(box, ["push button"], "OK"))
        wait_until(lambda: not box.getState().contains(pyatspi.STATE_SHOWING), message + " closed")

    def firmware_version(self):
        self.app.set_text("TxtFirmwareVersion", "")
        return self.press_for_result("CmdGetFirmwareVersion", "TxtEsito(7)"), self.app.text("TxtFirmwareVersion")

    def test_1_output(self):
        for box, text in (("Text3", "001"), ("Text4", "002"), ("Text5", "003")):
            self.app.set_text(box, text)
        self.assertEqual(self.press_for_result("Command1", "TxtEsito(2)"), "0")
        self.assertEqual(self.heard()[-1], ("9600", "02 30 33 33 30 30 31 30 30 32 30 30 33 03 01"))
        self.wait_for_log("reader 3 outputs: relay 001, buzzer 002, green LED 003")

    def test_2_setup_base_and_its_read_back(self):
        app = self.app
        # A bad field is told and nothing goes out.
        frames = len(self.heard())
        app.set_text("Text11(4)", "8")
        app.press("Command4")
        self.dismiss("errore dati TMac")
        app.set_text("Text11(4)", "2")

        app.set_text("Text11(0)", "0020")
        self.assertEqual(self.press_for_result("Command4", "TxtEsito(1)"), "0")
        self.assertEqual(self.heard()[frames:],
                         [("9600", "02 30 33 31 30 30 32 30 30 30 35 30 35 30 30 31 30 32 31 03 03")])

        app.set_text("Text11(11)", "")
        self.assertEqual(self.press_for_result("Command6", "TxtEsito(4)"), "0")
        self.assertEqual([app.text("Text11(%d)" % i) for i in range(6, 12)],
                         ["1", "2", "010", "050", "005", "0020"])
        self.assertEqual(self.heard()[-1], ("9600", "02 30 23 31 03 23"))

    def test_3_loop_baudrate_finds_the_reader_at_2400(self):
        app = self.app
        app.choose("CmbTerminale", "001")
        app.choose("CmbNewAddr", "005")
        app.choose("CobNewBaudRate", "19200")
        frames = len(self.heard())
        app.set_text("TxtEsito(0)", "")
        app.press("Command10")
        self.answer_password("7391")
        # Five of the six passes wait out their 5 s time-out.
        wait_until(lambda: app.text("TxtEsito(0)") and app.enabled("Command10"), "the loop's end", 45)
        self.assertEqual(app.text("TxtEsito(0)"), "1")
        setup = "02 30 31 32 30 35 34 03 03"
        self.assertEqual(self.heard()[frames:],
                         [(rate, setup) for rate in ("1200", "2400", "4800", "9600", "19200", "38400")])
        self.assertIn("reader 1 is now reader 5 at 19200", self.line.sim_log())
        self.assertEqual(app.name("CmbBaudRate"), "9600")

        app.choose("CmbBaudRate", "19200")
        app.choose("CmbTerminale", "005")
        self.assertEqual(self.firmware_version(), ("0", VERSION))
        self.assertEqual(self.heard()[-1], ("19200", "02 30 25 32 03 26"))

    def test_4_set_indirizzo_moves_the_reader_holding_the_card(self):
        app = self.app
        app.choose("CmbBaudRate", "9600")
        app.choose("cmbSetIndirizzo", "007")
        app.set_text("txtCodeAddr", CARD)
        self.assertEqual(self.press_for_result("cmdSetIndirizzo", "TxtEsito(9)"), "0")
        self.wait_for_log("reader 3 is now reader 7 at 9600")
        self.assertEqual(self.heard()[-1],
                         ("9600", "02 60 60 35 30 37 30 30 30 30 30 31 32 33 34 35 03 32"))
        app.choose("CmbTerminale", "007")
        self.assertEqual(self.firmware_version(), ("0", VERSION))
        self.assertEqual(self.heard()[-1], ("9600", "02 30 27 32 03 24"))

    def test_5_serial_setup_behind_the_password(self):
        app = self.app
        frames = len(self.heard())
        app.press("CmdSetSetupSeriale")
        self.answer_password("1234")
        self.dismiss("Password errata!")
        self.assertEqual(len(self.heard()), frames)

        app.choose("CmbNewAddr", "008")
        app.choose("CobNewBaudRate", "9600")
        app.set_text("TxtEsito(0)", "")
        app.press("CmdSetSetupSeriale")
        self.answer_password("7391")
        self.assertEqual(wait_until(lambda: app.text("TxtEsito(0)"), "TxtEsito(0) written"), "0")
        self.wait_for_log("reader 7 is now reader 8 at 9600")
        self.assertEqual(self.heard()[-1], ("9600", "02 30 37 32 30 38 33 03 0F"))


if __name__ == "__main__":
    unittest.main(verbosity=2)
