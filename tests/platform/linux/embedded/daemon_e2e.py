#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The installed `pelmic` run by the real screen-saver daemon (xscreensaver)
on a private Xvfb display.

    daemon_e2e.py

The daemon will not start its programs as root, so as root it runs as the
user nobody, with a private home whose settings list only pelmic; the program
is the installed package's, which that user can run. Ask the daemon to
activate: a pelmic process runs and the screen shows the pale pen colour on
black. Ask it to deactivate: every pelmic process of this display has ended
within 2 s.
"""

import os
import pwd
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "harness"))
from harness import Failure, XDisplay, check, stop, wait_until  # noqa: E402

SETTINGS = """\
mode:\t\tone
selected:\t0
timeout:\t10:00:00
cycle:\t\t0
lock:\t\tFalse
fade:\t\tFalse
unfade:\t\tFalse
splash:\t\tFalse
dpmsEnabled:\tFalse
programs:\t"Pelmic"  pelmic --root  \\n
"""
STARTED_WITHIN_S = 3
GONE_WITHIN_S = 2


def daemon_home():
    home = tempfile.mkdtemp(prefix="pelmic-daemon-")
    with open(os.path.join(home, ".xscreensaver"), "w") as settings:
        settings.write(SETTINGS)
    if os.getuid() == 0:
        nobody = pwd.getpwnam("nobody")
        for path in (home, os.path.join(home, ".xscreensaver")):
            os.chown(path, nobody.pw_uid, nobody.pw_gid)
    os.chmod(home, 0o755)
    return home


def start_daemon(x, home, log):
    env = dict(x.env, HOME=home)
    command = ["xscreensaver", "-no-splash", "-verbose"]
    if os.getuid() == 0:
        command = ["runuser", "-u", "nobody", "--", "env", f"HOME={home}", f"DISPLAY={x.name}", *command]
    return subprocess.Popen(command, env=env, stdout=log, stderr=subprocess.STDOUT)


def command(x, what):
    # The daemon may still be starting: it answers once it has taken its place.
    for _ in range(50):
        if subprocess.run(["xscreensaver-command", what], env=x.env, capture_output=True).returncode == 0:
            return
        time.sleep(0.1)
    raise Failure(f"xscreensaver-command {what} failed")


def where(pids):
    """Each pid with its state and the kernel function it waits in: what a stuck copy was doing."""
    def read(pid, name):
        try:
            with open(f"/proc/{pid}/{name}") as f:
                return f.read().strip().splitlines()
        except OSError:
            return ["?"]
    return [(pid, [l for l in read(pid, "status") if l.startswith("State")], read(pid, "wchan")) for pid in pids]


def run(x, home, log_path):
    check(shutil.which("pelmic") and os.path.exists("/usr/libexec/xscreensaver/pelmic"),
          "pelmic is not installed (install the package first)")
    with open(log_path, "w") as log:
        daemon = start_daemon(x, home, log)
    try:
        command(x, "-activate")
        check(wait_until(x.programs, STARTED_WITHIN_S), f"no pelmic process within {STARTED_WITHIN_S} s of activating")
        shot = x.wait_for_picture(5)
        check(shot.black_fraction() >= 0.8, f"the background is not black ({shot.black_fraction():.2f} black)")
        command(x, "-deactivate")
        started = time.monotonic()
        check(wait_until(lambda: not x.programs(), GONE_WITHIN_S),
              f"pelmic still runs {GONE_WITHIN_S} s after deactivating: {where(x.programs())}")
        print(f"all pelmic processes ended {1e3 * (time.monotonic() - started):.0f} ms after deactivating")
    finally:
        stop(daemon)


def main():
    home = daemon_home()
    log_path = os.path.join(home, "daemon.log")
    try:
        with XDisplay.xvfb(1024, 768) as x:
            run(x, home, log_path)
    except Failure as failure:
        with open(log_path) as log:
            print(f"FAIL daemon: {failure}\n--- daemon log ---\n{log.read()}")
        return 1
    finally:
        shutil.rmtree(home, ignore_errors=True)
    print("ok daemon")
    return 0


if __name__ == "__main__":
    sys.exit(main())
