# SPDX-License-Identifier: MIT
"""A private headless sway (no X server) for end-to-end tests on Wayland.

Each test script starts its own sway in a runtime folder of its own, runs the
real `pelmic` there, types with wtype, moves and clicks with a virtual pointer
(wayland_pointer.py) and looks with grim. sway refuses to run as root, so when
the tests run as root, sway and every client run as `nobody`. Python standard
library only.
"""

import glob
import json
import os
import pwd
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "harness"))
from harness import Image, stop, wait_exit, wait_until  # noqa: E402

OUTPUT = "HEADLESS-1"


class SwayDisplay:
    """Context manager: a running headless sway with one output of `size`;
    `outputs` names further ones by their size, placed to the right, added
    with create_output. `env` is the environment for its clients."""

    def __init__(self, size=(1280, 720), outputs=(), xwayland=False):
        self.sizes = [size, *outputs]
        self.xwayland = xwayland
        self.proc = None
        self.runtime = None
        self.user = pwd.getpwnam("nobody") if os.geteuid() == 0 else None

    @property
    def outputs(self):
        return [f"HEADLESS-{n + 1}" for n in range(len(self.sizes))]

    def __enter__(self):
        self.runtime = tempfile.mkdtemp(prefix="pelmic-sway-")
        os.chmod(self.runtime, 0o700)
        if self.user:
            os.chown(self.runtime, self.user.pw_uid, self.user.pw_gid)
        config = os.path.join(self.runtime, "config")
        with open(config, "w") as out:
            left = 0
            for name, (width, height) in zip(self.outputs, self.sizes):
                out.write(f"output {name} mode {width}x{height} position {left} 0\n")
                left += width
            out.write(f"xwayland {'enable' if self.xwayland else 'disable'}\n")
        env = {"XDG_RUNTIME_DIR": self.runtime, "HOME": self.runtime, "WLR_BACKENDS": "headless",
               "WLR_LIBINPUT_NO_DEVICES": "1", "WLR_RENDERER": "pixman", "PATH": os.environ["PATH"]}
        self.proc = subprocess.Popen(["sway", "-c", config], env=env, **self._as_user(),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not wait_until(lambda: self._sockets() or self.proc.poll() is not None, 10) or not self._sockets():
            self.__exit__()
            raise RuntimeError("sway did not start")
        for _ in self.outputs[1:]:
            self.run("swaymsg", "create_output")
        if not wait_until(lambda: len(self.tree_outputs()) == len(self.sizes), 10):
            self.__exit__()
            raise RuntimeError(f"sway has outputs {self.tree_outputs()}, not {self.outputs}")
        return self

    def __exit__(self, *exc):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            if wait_exit(self.proc, 5) is None:
                stop(self.proc)
        if self.runtime:
            shutil.rmtree(self.runtime, ignore_errors=True)

    def _sockets(self):
        """(wayland socket, sway IPC socket) once both exist."""
        wayland = [p for p in glob.glob(os.path.join(self.runtime, "wayland-*")) if not p.endswith(".lock")]
        ipc = glob.glob(os.path.join(self.runtime, "sway-ipc.*.sock"))
        return (wayland[0], ipc[0]) if wayland and ipc else None

    def _as_user(self):
        if not self.user:
            return {}
        return {"user": self.user.pw_uid, "group": self.user.pw_gid, "extra_groups": []}

    @property
    def env(self):
        """The display as an absolute path: the program's one-copy token
        names it, so that tests side by side do not see each other's copy."""
        wayland, ipc = self._sockets()
        env = {key: value for key, value in os.environ.items()
               if key not in ("DISPLAY", "SDL_VIDEODRIVER", "WAYLAND_DISPLAY")}
        env.update(XDG_RUNTIME_DIR=self.runtime, HOME=self.runtime, WAYLAND_DISPLAY=wayland, SWAYSOCK=ipc)
        return env

    def start(self, program, *args, env=None):
        return subprocess.Popen([program, *args], env=env or self.env, **self._as_user(),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def run(self, *args, check=True):
        """Runs a client (swaymsg, wtype, grim ...); its stdout as bytes."""
        result = subprocess.run(list(args), env=self.env, **self._as_user(), capture_output=True)
        if check and result.returncode != 0:
            raise RuntimeError(f"{args[0]} failed: {result.stderr.decode(errors='replace').strip()}")
        return result.stdout

    def type_key(self, key="a"):
        """One key through wtype's virtual keyboard, which exists only while
        wtype runs: it waits 300 ms first, so that clients see the keyboard."""
        self.run("wtype", "-s", "300", *(["-k", key] if len(key) > 1 else [key]))

    # --- windows -------------------------------------------------------------

    def tree(self):
        return json.loads(self.run("swaymsg", "-t", "get_tree", "-r"))

    def tree_outputs(self):
        return [node["name"] for node in self.tree()["nodes"] if node["name"] != "__i3"]

    def windows(self):
        """[(output, title, app_id, fullscreen, (x, y, width, height))] of every
        mapped client window."""
        found = []

        def walk(node, output):
            if node["type"] == "output":
                output = node["name"]
            if node.get("pid") and node.get("visible") is not False:
                rect = node["rect"]
                found.append((output, node["name"], node.get("app_id"), node.get("fullscreen_mode") == 1,
                              (rect["x"], rect["y"], rect["width"], rect["height"])))
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                walk(child, output)
        walk(self.tree(), None)
        return found

    # As XvfbDisplay names it, so that the X11 driver's checks run here too.
    top_windows = windows

    def wait_for_window(self, title, timeout=10, count=1):
        """The windows titled `title` once there are `count` of them, or []."""
        matching = lambda: [w for w in self.windows() if w[1] == title]
        wait_until(lambda: len(matching()) >= count, timeout)
        found = matching()
        return found if len(found) >= count else []

    # --- screenshots ---------------------------------------------------------

    def screenshot(self, output=OUTPUT):
        """An Image of one output from grim."""
        return image_from_ppm(self.run("grim", "-o", output, "-t", "ppm", "-"))


def image_from_ppm(data):
    """A binary PPM (P6, maxval 255) as an Image: padded to 32-bit pixels, so
    that the X11 tests' pixel counting works unchanged."""
    magic, width, height, maxval, pixels = data.split(maxsplit=4)
    if magic != b"P6" or maxval != b"255":
        raise ValueError("expected an 8-bit binary PPM")
    width, height = int(width), int(height)
    padded = bytearray(4 * width * height)
    for channel in range(3):
        padded[channel::4] = pixels[channel:3 * width * height:3]
    return Image(width, height, 4 * width, bytes(padded), (0, 1, 2))

