"""A real console on a line of the virtual reader: a program folder of its
own (a copy of the console and its chime, a Seriale.cfg, the COM<N> link to
the line), lettore-sim logging every frame, and the console started from
another folder, found on the desktop through its accessibility tree."""

import os
import shutil
import subprocess
import tempfile

from AccessibleApp import AccessibleApp, wait_until

MAIN = "Test lettore Sibrant"


class ConsoleOnVirtualLine:
    def __init__(self, bin_dir, port, settings, sim_args):
        """port: the number the line is reached by; settings: the bytes of
        Seriale.cfg; sim_args: lettore-sim's options besides the line and log."""
        self.folder = tempfile.mkdtemp(prefix="lettore-console-")
        self.console = None
        for name in ("lettore-console", "LetturaOk.wav"):
            shutil.copy(os.path.join(bin_dir, name), self.folder)
        with open(os.path.join(self.folder, "Seriale.cfg"), "wb") as f:
            f.write(settings)
        self.log = os.path.join(self.folder, "sim.log")
        self.sim = subprocess.Popen(
            [os.path.join(bin_dir, "lettore-sim"), "--link", os.path.join(self.folder, "COM%d" % port),
             "--log", self.log] + list(sim_args),
            stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True)
        try:
            wait_until(lambda: "line open" in self.sim_log(), "the virtual line")
            # Started from another folder: the console makes its own folder current.
            self.console = subprocess.Popen([os.path.join(self.folder, "lettore-console")], cwd="/")
            # Generous: other builds may be loading the machine.
            self.app = AccessibleApp("lettore-console", timeout=30.0)
            self.app.window(MAIN)
        except BaseException:
            self.close()
            raise

    def sim_log(self):
        with open(self.log, encoding="latin-1") as f:
            return f.read()

    def sim_command(self, line):
        self.sim.stdin.write(line + "\n")
        self.sim.stdin.flush()

    def close(self):
        for process in (self.console, self.sim):
            if process is not None:
                if process.poll() is None:
                    process.kill()
                process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)
