"""The badge and transaction panels of the real console, driven through
its accessibility tree against a virtual reader on a pseudo-terminal: the
result boxes as a user reads them, the virtual reader's log for what
reached the line. Run under tests/support/with-desktop.sh; argument: the
build's bin folder."""

import os
import re
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from AccessibleApp import wait_until  # noqa: E402
from ConsoleOnSim import ConsoleOnSim  # noqa: E402

BIN = os.path.abspath(sys.argv.pop(1)) if len(sys.argv) > 1 else None
SERIALS = "SN00000001+SN00000002"
# Two stored transactions: one code, then two.
TRANSACTIONS = "10000000042+100000000430000000044"


class BadgePanelsEndToEndTest(unittest.TestCase):
    """One console on one virtual line; the steps run in their numbered order."""

    @classmethod
    def setUpClass(cls):
        cls.session = ConsoleOnSim(
            BIN, 8, b" 8 \r\n9600\r\n 1 \r\n",
            ["--reader", "1:serials=%s,transactions=%s" % (SERIALS, TRANSACTIONS)])
        cls.app = cls.session.app

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()

    def heard(self):
        """What reader 1 heard, in order: the meaning the virtual reader logs."""
        return re.findall(r"reader 1 [SP]: (.*)", self.session.sim_log())

    def heard_since(self, count):
        return self.heard()[count:]

    def press_and_read(self, button, box, expected, frames=1):
        """Empties the result box, presses the button and waits until the
        box shows `expected` and the reader has logged `frames` frames;
        returns what the reader heard meanwhile."""
        before = len(self.heard())
        self.app.set_text(box, "")
        self.app.press(button)
        wait_until(lambda: self.app.text(box) == expected, "%s showing %r" % (box, expected))
        wait_until(lambda: len(self.heard_since(before)) >= frames, "%d frames heard" % frames)
        return self.heard_since(before)

    def test_1_white_list(self):
        app = self.app
        app.set_text("Text8", "0000000042")
        app.set_text("Text14", "0000000042")
        # "Aggiungi" shows the reader's status character; the code is then on the list.
        self.assertEqual(self.press_and_read("Command3(1)", "TxtEsito(5)", "0"),
                         ["white list add 0000000042"])
        self.assertEqual(self.press_and_read("Command5", "TxtEsito(3)", "0"),
                         ["white list check 0000000042"])
        self.assertEqual(app.text("Text15"), "1")
        self.assertEqual(self.press_and_read("Command3(2)", "TxtEsito(5)", "0"),
                         ["white list delete 0000000042"])
        self.press_and_read("Command5", "TxtEsito(3)", "0")
        self.assertEqual(app.text("Text15"), "0")
        self.assertEqual(self.press_and_read("Command3(0)", "TxtEsito(5)", "0"),
                         ["white list clear 0000000000"])

    def test_2_transactions(self):
        app = self.app
        # Without "Ack automatico" the same transaction stays until "Ack".
        app.press("ChkAutoAck")
        wait_until(lambda: not app.checked("ChkAutoAck"), "Ack automatico unticked")
        for box in ("TxtBadge(0)", "TxtBadge(1)"):
            app.set_text(box, "old")
        self.assertEqual(self.press_and_read("Command7", "TxtEsito(8)", "0"), ["transaction query"])
        self.assertEqual(app.text("TxtBadge(0)"), "0000000042")
        self.assertEqual(app.text("TxtBadge(1)"), "")
        before = len(self.heard())
        app.press("CmdAck")
        wait_until(lambda: self.heard_since(before) == ["acknowledgement"], "the acknowledgement")
        # Ticked, the next one is read and acknowledged in one go.
        app.press("ChkAutoAck")
        wait_until(lambda: app.checked("ChkAutoAck"), "Ack automatico ticked")
        self.assertEqual(self.press_and_read("Command7", "TxtEsito(8)", "0", frames=2),
                         ["transaction query", "acknowledgement"])
        self.assertEqual([app.text("TxtBadge(%d)" % i) for i in range(3)],
                         ["0000000043", "0000000044", ""])

    def test_3_serial_numbers(self):
        app = self.app
        walk = (("CmdGetPrima", "first", "SN00000001"), ("CmdGetProssima", "next", "SN00000002"),
                ("CmdGetCorrente", "current", "SN00000002"))
        for button, which, serial in walk:
            heard = self.press_and_read(button, "TxtEsitoGetMatricola", "0", frames=2)
            self.assertEqual(app.text("TxtRispGetMatricola"), serial)
            self.assertEqual(heard, [which + " serial number query", "acknowledgement"])

    def test_4_range(self):
        app = self.app
        app.set_text("TxtDa", "5")
        app.set_text("TxtA", "9")
        heard = self.press_and_read("Command11", "TxtRisposta", "0000000009 0", frames=5)
        self.assertEqual(heard, ["white list add 000000000%d" % n for n in range(5, 10)])


if __name__ == "__main__":
    unittest.main(verbosity=2)
