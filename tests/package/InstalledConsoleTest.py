"""The package built from the build folder given, installed with apt-get: the programs run from PATH and take their
settings from the user's folder; apt-get remove takes them away. Skips without root or with lettore installed."""

import glob
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from AccessibleApp import wait_until  # noqa: E402

SKIP = 77


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=120, **kwargs)


def installed():
    return "ok installed" in run(["dpkg-query", "-W", "-f=${Status}", "lettore"]).stdout


def apt(*arguments):
    result = run(["apt-get", "-y", "-qq", "-o", "DPkg::Lock::Timeout=120", *arguments],
                 env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    assert result.returncode == 0, "apt-get %s: %s" % (arguments[0], result.stdout + result.stderr)


def package(build_folder, work):
    made = run(["cpack", "-G", "DEB", "-B", work, "--config", os.path.join(build_folder, "CPackConfig.cmake")])
    assert made.returncode == 0, "cpack: " + made.stdout + made.stderr
    deb = glob.glob(os.path.join(work, "lettore_*.deb"))[0]
    depends = run(["dpkg-deb", "-f", deb, "Depends"]).stdout
    assert "libqt6serialport6" in depends, "dependencies not found from the programs: " + depends
    apt("install", "--no-install-recommends", deb)
    env = dict(os.environ, HOME=os.path.join(work, "home"))
    env.pop("XDG_CONFIG_HOME", None)
    # The console, with Seriale.cfg for port 9 in the user's folder and lettore-sim (from PATH) behind the COM9 link
    # there, opens that line.
    folder = os.path.join(env["HOME"], ".config", "lettore")
    os.makedirs(folder)
    with open(os.path.join(folder, "Seriale.cfg"), "wb") as f:
        f.write(b"9\r\n19200\r\n1\r\n")
    link = os.path.join(folder, "COM9")
    line = subprocess.Popen(["lettore-sim", "--link", link, "--reader", "1:baud=19200"], env=env,
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    app = None
    try:
        device = line.stdout.readline().strip()
        wait_until(lambda: os.path.islink(link), "the COM9 link")
        app = subprocess.Popen(["/usr/bin/lettore-console"], cwd="/", env=dict(env, QT_QPA_PLATFORM="offscreen"),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        fds = "/proc/%d/fd/" % app.pid
        wait_until(lambda: device in [os.path.realpath(fds + fd) for fd in os.listdir(fds)],
                   "the console to open port 9, " + device, timeout=20.0)
        app.terminate()  # the port free for lettore
        assert app.wait(timeout=20) == 0, "the console did not end normally on SIGTERM"
        # lettore, from anywhere, takes port, rate and terminal from there too.
        answer = run(["lettore", "GetVersioneFirmware"], env=env, cwd=work)
        assert answer.stdout.startswith("esito 0"), "lettore with the user's settings: " + answer.stdout + answer.stderr
        # The dissector for the captures lies where the help and the README say.
        assert os.path.isfile("/usr/share/lettore/lettore.lua"), "the capture dissector is not installed"
    finally:
        for process in (app, line):
            if process and process.poll() is None:
                process.kill()
    apt("remove", "lettore")
    assert not installed() and not os.path.exists("/usr/bin/lettore-console"), "not removed"


if __name__ == "__main__":
    if os.geteuid() != 0 or installed():
        print("skipped: this test installs the package: it needs root, and no lettore package yet")
        sys.exit(SKIP)
    work = tempfile.mkdtemp(prefix="lettore-package-")
    try:
        package(sys.argv[1], work)
    finally:
        # Whatever failed, the machine is left without the test's package.
        if installed():
            run(["dpkg", "--purge", "lettore"])
        shutil.rmtree(work, ignore_errors=True)
