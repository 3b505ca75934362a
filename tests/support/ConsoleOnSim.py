"""The real console started in a folder of its own, on a virtual reader line made by lettore-sim."""

import os
import shutil
import subprocess
import tempfile

from AccessibleApp import AccessibleApp, wait_until

MAIN = "Test lettore Sibrant"


class ConsoleOnSim:
    """lettore-sim on port `port` of a fresh folder with `sim_arguments`, logging to sim.log, and
    lettore-console from that folder with Seriale.cfg holding `settings`; stop() ends both."""

    def __init__(self, bin_folder, port, settings, sim_arguments=()):
        self.folder = tempfile.mkdtemp(prefix="lettore-console-")
        for name in ("lettore-console", "LetturaOk.wav"):
            shutil.copy(os.path.join(bin_folder, name), self.folder)
        with open(os.path.join(self.folder, "Seriale.cfg"), "wb") as f:
            f.write(settings)
        self.log = os.path.join(self.folder, "sim.log")
        self.sim = self.console = None
        try:
            self.sim = subprocess.Popen(
                [os.path.join(bin_folder, "lettore-sim"), "--link",
                 os.path.join(self.folder, "COM%d" % port), "--log", self.log, *sim_arguments],
                stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
            wait_until(lambda: "line open" in self.sim_log(), "the virtual line")
            # Started from another folder: the console makes its own folder current.
            self.console = subprocess.Popen([os.path.join(self.folder, "lettore-console")], cwd="/")
            self.app = AccessibleApp("lettore-console", timeout=30.0)
            self.app.window(MAIN)
        except BaseException:
            # Nothing may outlive a failed start: a process left running
            # holds the test runner's output open.
            self.stop()
            raise

    def stop(self):
        for process in (p for p in (self.console, self.sim) if p is not None):
            if process.poll() is None:
                process.kill()
            process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)

    def sim_log(self):
        with open(self.log, encoding="latin-1") as f:
            return f.read()

    def sim_command(self, line):
        self.sim.stdin.write(line + "\n")
        self.sim.stdin.flush()
