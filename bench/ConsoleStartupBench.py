"""The console's start-up to a shown window, its resident memory, and the
CPU it uses when idle with the monitor shown, against the virtual reader.
Run on a desktop of its own:
    tests/support/with-desktop.sh /usr/bin/python3 bench/ConsoleStartupBench.py build/bin [runs]
The start-up time runs from the process's start until its main window is
shown in the accessibility tree, so it is an upper bound of what a user
waits."""

import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from AccessibleApp import AccessibleApp, wait_until  # noqa: E402

BIN = os.path.abspath(sys.argv[1])
RUNS = int(sys.argv[2]) if len(sys.argv) > 2 else 5


def cpu_seconds(pid):
    fields = open("/proc/%d/stat" % pid).read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_kib(pid):
    for line in open("/proc/%d/status" % pid):
        if line.startswith("VmRSS:"):
            return int(line.split()[1])
    return 0


def main():
    folder = tempfile.mkdtemp(prefix="lettore-bench-")
    shutil.copy(os.path.join(BIN, "lettore-console"), folder)
    with open(os.path.join(folder, "Seriale.cfg"), "wb") as f:
        f.write(b" 9 \r\n9600\r\n 1 \r\n")
    sim = subprocess.Popen([os.path.join(BIN, "lettore-sim"), "--link", os.path.join(folder, "COM9")],
                           stdout=subprocess.DEVNULL)
    try:
        wait_until(lambda: os.path.exists(os.path.join(folder, "COM9")), "the virtual line")
        startups, rss = [], []
        for run in range(RUNS):
            started = time.monotonic()
            console = subprocess.Popen([os.path.join(folder, "lettore-console")])
            app = AccessibleApp("lettore-console")
            app.window("Test lettore Sibrant")
            startups.append(time.monotonic() - started)
            rss.append(rss_kib(console.pid))
            if run == RUNS - 1:
                app.press("Command8")
                app.window("Monitor Comunicazioni")
                time.sleep(1)
                before = cpu_seconds(console.pid)
                time.sleep(10)
                idle = (cpu_seconds(console.pid) - before) / 10 * 100
            console.kill()
            console.wait()
        print("start-up to a shown window: median %.3f s, worst %.3f s (%d runs)"
              % (statistics.median(startups), max(startups), RUNS))
        print("resident memory once shown: median %.1f MB" % (statistics.median(rss) / 1024))
        print("idle with the monitor shown: %.2f %% of a core over 10 s" % idle)
    finally:
        sim.kill()
        sim.wait()
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
