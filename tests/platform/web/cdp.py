# SPDX-License-Identifier: MIT
"""A headless Chromium driven through the DevTools protocol over a pipe.

    with Chromium(window=(1280, 800)) as browser:
        page = browser.open_page()
        page.navigate("file:///.../index.html?seed=7")
        page.wait_for("document.title.endsWith('done')")
        png = page.screenshot(0, 0, 800, 600)

Chromium reads commands on its descriptor 3 and writes replies and events on
its descriptor 4, each message JSON ending in a NUL byte. Standard library only.
"""

import base64
import json
import os
import shutil
import subprocess
import tempfile
import time

CHROMIUM = os.environ.get("PELMIC_CHROMIUM", "/usr/bin/chromium")


class ProtocolError(RuntimeError):
    pass


class Browser:
    """What every browser driver shares: a `with` block closes it."""

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def park_pointer(self, x, y):
        """Where the system's own pointer rests, in CSS pixels of a full-screen
        page: a headless engine has none."""


def end(process, timeout=10):
    """Waits for `process` to end, then kills it."""
    try:
        process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class Chromium(Browser):
    def __init__(self, window=(1280, 800), scale=1, extra_args=(), screen=None):
        self._profile = tempfile.mkdtemp(prefix="pelmic-chromium-")
        commands_read, self._commands = os.pipe()
        self._replies, replies_write = os.pipe()
        args = [CHROMIUM, "--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                "--no-first-run", "--no-default-browser-check", "--remote-debugging-pipe",
                f"--user-data-dir={self._profile}", f"--force-device-scale-factor={scale}",
                f"--window-size={window[0]},{window[1]}", *extra_args, "about:blank"]
        if screen:
            args.insert(1, f"--screen-info={{{screen[0]}x{screen[1]}}}")

        def on_descriptors_3_and_4():
            # Copies out of the way first, so that neither dup2 overwrites the
            # other's source. Only 3 and 4 are inheritable: the rest close on exec.
            high_read = os.dup(commands_read)
            high_write = os.dup(replies_write)
            os.dup2(high_read, 3, inheritable=True)
            os.dup2(high_write, 4, inheritable=True)

        self._process = subprocess.Popen(args, close_fds=False, preexec_fn=on_descriptors_3_and_4,
                                         stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(commands_read)
        os.close(replies_write)
        self._buffer = b""
        self._next_id = 0
        self.events = []

    def close(self):
        try:
            self.send("Browser.close")
        except (OSError, ProtocolError):
            pass
        end(self._process)
        os.close(self._commands)
        os.close(self._replies)
        shutil.rmtree(self._profile, ignore_errors=True)

    def send(self, method, params=None, session=None, timeout=60):
        self._next_id += 1
        message = {"id": self._next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self._commands, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            reply = self._read(deadline)
            if reply.get("id") == self._next_id:
                if "error" in reply:
                    raise ProtocolError(f"{method}: {reply['error']}")
                return reply.get("result", {})
            self.events.append(reply)

    def _read(self, deadline):
        while b"\0" not in self._buffer:
            if time.monotonic() > deadline:
                raise TimeoutError("no reply from Chromium")
            chunk = os.read(self._replies, 1 << 20)
            if not chunk:
                raise ProtocolError("Chromium closed its pipe")
            self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\0", 1)
        return json.loads(line)

    def pump(self, seconds):
        """Reads events for a while (a ping's reply returns everything queued)."""
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self.send("Browser.getVersion")
            time.sleep(0.02)

    def open_page(self, url="about:blank"):
        target = self.send("Target.createTarget", {"url": url})["targetId"]
        session = self.send("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        return Page(self, session, target)

    def sized_page(self, width=None, height=None, scale=1):
        """A page of width x height CSS pixels, or as large as the window."""
        page = self.open_page()
        if width is None:
            return page
        page.send("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": scale, "mobile": False})
        return page


class Polling:
    """What every engine's page offers on top of its own evaluate(), key_down()
    and key_up() (of "f", "a" or "Shift"; a key already down repeats), and
    pointer("down" | "move" | "up", x, y, touch) in CSS pixels."""

    def key(self, key):
        self.key_down(key)
        self.key_up(key)

    def wait_for(self, expression, timeout=120, poll=0.05):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            value = self.evaluate(expression)
            if value:
                return value
            time.sleep(poll)
        raise TimeoutError(f"still false after {timeout} s: {expression}")


class Page(Polling):
    def __init__(self, browser, session, target):
        self.browser = browser
        self.session = session
        self.target = target
        self._keys_down, self._touch = set(), False
        for domain in ("Page", "Runtime", "Network", "Log"):
            self.send(f"{domain}.enable")

    def send(self, method, params=None, timeout=60):
        return self.browser.send(method, params, session=self.session, timeout=timeout)

    def events(self, method):
        return [e["params"] for e in self.browser.events
                if e.get("method") == method and e.get("sessionId") == self.session]

    def navigate(self, url):
        """Returns once the new document is parsed and its deferred scripts have run."""
        self.send("Page.navigate", {"url": url})
        self.wait_for(f"location.href === {json.dumps(url)} && document.readyState !== 'loading'", timeout=30)

    def evaluate(self, expression):
        reply = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                               "awaitPromise": True})
        if "exceptionDetails" in reply:
            raise ProtocolError(f"{expression}: {reply['exceptionDetails']}")
        return reply["result"].get("value")


    def screenshot(self, x, y, width, height):
        """PNG bytes of a rectangle of the page, in CSS pixels at scale 1."""
        clip = {"x": x, "y": y, "width": width, "height": height, "scale": 1}
        reply = self.send("Page.captureScreenshot", {"format": "png", "clip": clip})
        return base64.b64decode(reply["data"])

    def key_down(self, key):
        code, key_code = KEYS[key]
        self.send("Input.dispatchKeyEvent", {"type": "rawKeyDown", "key": key, "code": code,
                                             "windowsVirtualKeyCode": key_code, "autoRepeat": key in self._keys_down,
                                             "modifiers": 8 if key == "Shift" else 0})
        self._keys_down.add(key)

    def key_up(self, key):
        code, key_code = KEYS[key]
        self.send("Input.dispatchKeyEvent", {"type": "keyUp", "key": key, "code": code,
                                             "windowsVirtualKeyCode": key_code})
        self._keys_down.discard(key)

    def pointer(self, kind, x, y, touch=False):
        if not touch:
            pressed = kind != "move"
            self.send("Input.dispatchMouseEvent", {"type": MOUSE[kind], "x": x, "y": y,
                                                   "button": "left" if pressed else "none", "clickCount": int(pressed)})
            return
        if not self._touch:
            self.send("Emulation.setTouchEmulationEnabled", {"enabled": True, "maxTouchPoints": 5})
            self._touch = True
        self.send("Input.dispatchTouchEvent", {"type": TOUCH[kind],
                                               "touchPoints": [] if kind == "up" else [{"x": x, "y": y}]})


KEYS = {"f": ("KeyF", 70), "a": ("KeyA", 65), "Shift": ("ShiftLeft", 16)}
MOUSE = {"down": "mousePressed", "move": "mouseMoved", "up": "mouseReleased"}
TOUCH = {"down": "touchStart", "move": "touchMove", "up": "touchEnd"}
