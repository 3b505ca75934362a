"""The console and lettore as a user runs them.

  InstalledConsoleTest.py build BIN_FOLDER
      The console copied into a folder of its own, as a build has it, keeps
      Seriale.cfg and its COM<N> link beside itself, and writes the file
      when it is asked to end (SIGTERM).
  InstalledConsoleTest.py package BUILD_FOLDER
      The package built from BUILD_FOLDER, installed with apt-get: the
      programs run from PATH, the console from its installed path keeps
      Seriale.cfg and its COM<N> link in the user's folder, lettore reads
      them there, and apt-get remove takes it all away. Needs root; skips
      otherwise, and when a lettore package is already installed.
"""

import glob
import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77  # CTest's skip status for this test

# Written back at close as " 9 ", "19200", " 1 ": a file that changes
# form shows that the console wrote it.
SETTINGS = b"9\r\n19200\r\n1\r\n"
WRITTEN = b" 9 \r\n19200\r\n 1 \r\n"


def wait_until(condition, what, timeout=20.0):
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError("timed out waiting for " + what)
        time.sleep(0.05)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=120, **kwargs)


def holds(pid, device):
    """Whether process `pid` has `device` open."""
    folder = "/proc/%d/fd" % pid
    try:
        return any(os.path.realpath(os.path.join(folder, fd)) == device for fd in os.listdir(folder))
    except OSError:
        return False


def console_closes_saving_settings(console, sim, settings_folder, env):
    """Starts `console` offscreen with Seriale.cfg for port 9 in
    `settings_folder` and lettore-sim (`sim`) behind its COM9 link there:
    the console opens the device the link names, and writes the file when
    SIGTERM asks it to end."""
    os.makedirs(settings_folder, exist_ok=True)
    with open(os.path.join(settings_folder, "Seriale.cfg"), "wb") as f:
        f.write(SETTINGS)
    link = os.path.join(settings_folder, "COM9")
    line = subprocess.Popen([sim, "--link", link, "--reader", "1:baud=19200"],
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, env=env)
    app = None
    try:
        device = line.stdout.readline().strip()
        wait_until(lambda: os.path.islink(link), "the COM9 link")
        app = subprocess.Popen([console], cwd="/", env=dict(env, QT_QPA_PLATFORM="offscreen"),
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: holds(app.pid, device), "the console to open port 9, " + device)
        app.terminate()
        check(app.wait(timeout=20) == 0, "the console did not end normally on SIGTERM")
        with open(os.path.join(settings_folder, "Seriale.cfg"), "rb") as f:
            written = f.read()
        check(written == WRITTEN, "Seriale.cfg at close: %r" % written)
        return line
    except BaseException:
        for process in (app, line):
            if process is not None and process.poll() is None:
                process.kill()
        raise


def build_mode(bin_folder):
    folder = tempfile.mkdtemp(prefix="lettore-build-layout-")
    try:
        console = shutil.copy(os.path.join(bin_folder, "lettore-console"), folder)
        line = console_closes_saving_settings(console, os.path.join(bin_folder, "lettore-sim"),
                                              folder, dict(os.environ))
        line.kill()
        line.wait()
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    return 0


def installed():
    status = run(["dpkg-query", "-W", "-f=${Status}", "lettore"]).stdout
    return "ok installed" in status


def apt(*arguments):
    # Waits for a dpkg lock held by another installation instead of failing.
    result = run(["apt-get", "-y", "-qq", "-o", "DPkg::Lock::Timeout=120", *arguments],
                 env=dict(os.environ, DEBIAN_FRONTEND="noninteractive"))
    check(result.returncode == 0, "apt-get %s: %s%s" % (" ".join(arguments), result.stdout, result.stderr))


def package_mode(build_folder):
    if os.geteuid() != 0:
        print("skipped: installing the package needs root")
        return SKIP
    if installed():
        print("skipped: a lettore package is already installed here; this test does not replace it")
        return SKIP
    work = tempfile.mkdtemp(prefix="lettore-package-")
    we_installed = False
    try:
        made = run(["cpack", "-G", "DEB", "-B", work, "--config",
                    os.path.join(build_folder, "CPackConfig.cmake")])
        check(made.returncode == 0, "cpack: " + made.stdout + made.stderr)
        deb = glob.glob(os.path.join(work, "lettore_*.deb"))[0]
        depends = run(["dpkg-deb", "-f", deb, "Depends"]).stdout
        check("libqt6serialport6" in depends, "dependencies not computed from the programs: " + depends)

        we_installed = True
        apt("install", "--no-install-recommends", deb)
        home = os.path.join(work, "home")
        os.makedirs(home)
        env = dict(os.environ, HOME=home)
        env.pop("XDG_CONFIG_HOME", None)
        for program in ("lettore", "lettore-sim"):
            check(shutil.which(program) == "/usr/bin/" + program, program + " is not on PATH")
            result = run([program, "--help"], env=env)
            check(result.returncode == 0 and "Usage" in result.stdout, program + " --help: " + result.stderr)

        user_folder = os.path.join(home, ".config", "lettore")
        line = console_closes_saving_settings("/usr/bin/lettore-console", "/usr/bin/lettore-sim",
                                              user_folder, env)
        try:
            # lettore, from anywhere, takes port, rate and terminal from there.
            answer = run(["lettore", "GetVersioneFirmware"], env=env, cwd=work)
            check(answer.returncode == 0 and answer.stdout.startswith("esito 0"),
                  "lettore with the user's settings: " + answer.stdout + answer.stderr)
        finally:
            line.kill()
            line.wait()
        check(not os.path.exists("/usr/bin/Seriale.cfg"), "Seriale.cfg written beside the installed program")

        apt("remove", "lettore")
        check(not installed() and not os.path.exists("/usr/bin/lettore-console"), "apt-get remove left it")
        we_installed = False
    finally:
        # Whatever failed, the machine is left without the test's package.
        if we_installed and installed():
            run(["dpkg", "--purge", "lettore"])
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    mode, folder = sys.argv[1], sys.argv[2]
    sys.exit(build_mode(folder) if mode == "build" else package_mode(folder))
