# SPDX-License-Identifier: MIT
"""WebKitGTK's MiniBrowser through W3C WebDriver (WebKitWebDriver), on a private
Xvfb whose window manager lets it take full screen. Standard library only."""

import base64
import glob
import json
import os
import socket
import subprocess
import time
import urllib.error
import urllib.request

from cdp import Browser, Polling, ProtocolError, end

MINIBROWSER = (glob.glob("/usr/lib/*/webkit2gtk-4.*/MiniBrowser") or ["MiniBrowser"])[0]


class WebDriverPage(Polling):
    """What the WebDriver engines share: scripts and key presses."""

    def evaluate(self, expression):
        value = self.run(f"return JSON.stringify(await ({expression}));")
        return None if value is None else json.loads(value)

    def key_down(self, key):
        self.perform([{"type": "key", "id": "keyboard", "actions": [{"type": "keyDown", "value": KEYS.get(key, key)}]}])

    def key_up(self, key):
        self.perform([{"type": "key", "id": "keyboard", "actions": [{"type": "keyUp", "value": KEYS.get(key, key)}]}])

    def pointer(self, kind, x, y, touch=False):
        """Raises TouchRefused where the automation sends no touch. The engines
        take whole CSS pixels: a fraction is lost."""
        if touch and not self.browser.sends_touch:
            raise TouchRefused(f"{type(self.browser).__name__}'s automation sends touch as a mouse")
        moves = [] if kind == "up" else [{"type": "pointerMove", "x": x, "y": y, "duration": 0}]
        presses = [] if kind == "move" else [{"type": "pointer" + kind.capitalize(), "button": 0}]
        source = {"type": "pointer", "id": "finger" if touch else "mouse",
                  "parameters": {"pointerType": "touch" if touch else "mouse"}, "actions": moves + presses}
        self.perform([source])


class TouchRefused(ProtocolError):
    pass


KEYS = {"Shift": "\ue008"}


class WebKit(Browser):
    # WebKitWebDriver delivers touch actions as a mouse's (measured: pointerType "mouse").
    sends_touch = False

    def __init__(self, window=(1280, 800), screen=(1600, 1200)):
        self._processes, self._session = [], None
        try:
            read, write = os.pipe()  # Xvfb writes the free display it took
            self._start(["Xvfb", "-displayfd", str(write), "-screen", "0", f"{screen[0]}x{screen[1]}x24",
                         "-nolisten", "tcp"], pass_fds=(write,))
            os.close(write)
            with os.fdopen(read) as display:
                self._environment = dict(os.environ, DISPLAY=":" + display.readline().strip())
            self._start(["openbox", "--sm-disable"])
            with socket.socket() as probe:
                probe.bind(("127.0.0.1", 0))
                self._url = f"http://127.0.0.1:{probe.getsockname()[1]}"
            self._start(["WebKitWebDriver", f"--port={self._url.rsplit(':', 1)[1]}"])
            options = {"binary": MINIBROWSER, "args": ["--automation"]}
            capabilities = {"alwaysMatch": {"webkitgtk:browserOptions": options}}
            self._session = self._call("POST", "/session", {"capabilities": capabilities})["sessionId"]
            self.send("POST", "window/rect", {"width": window[0], "height": window[1]})
        except BaseException:
            self.close()
            raise

    def park_pointer(self, x, y):
        """Moves the X server's pointer, which the page sees whenever the window
        changes under it, as on entering full screen (the window is then at 0, 0)."""
        subprocess.run(["xdotool", "mousemove", str(x), str(y)], env=self._environment, check=True)

    def _start(self, command, pass_fds=()):
        self._processes.append(subprocess.Popen(command, pass_fds=pass_fds, env=getattr(self, "_environment", None),
                                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

    def close(self):
        if self._session:
            try:
                self.send("DELETE", "")
            except (OSError, ProtocolError):
                pass
        for process in reversed(self._processes):  # the display last: the MiniBrowser ends with it
            process.terminate()
            end(process)

    def _call(self, method, path, body=None):
        request = urllib.request.Request(self._url + path, data=json.dumps(body).encode() if body else None,
                                         method=method, headers={"Content-Type": "application/json"})
        for attempt in range(100):
            try:
                with urllib.request.urlopen(request, timeout=120) as reply:
                    return json.loads(reply.read())["value"]
            except urllib.error.HTTPError as error:
                raise ProtocolError(f"{method} {path}: {error.read().decode(errors='replace')}") from None
            except urllib.error.URLError:
                if self._session or attempt == 99:
                    raise
                time.sleep(0.1)  # the driver is still starting

    def send(self, method, command, body=None):
        return self._call(method, f"/session/{self._session}/{command}".rstrip("/"), body)

    def sized_page(self, width=None, height=None):
        """The one window, resized so that its viewport is width x height CSS pixels."""
        page = WebKitPage(self)
        for _ in range(3 if width is not None else 0):
            inner, outer = page.evaluate("[innerWidth, innerHeight]"), self.send("GET", "window/rect")
            self.send("POST", "window/rect", {"width": outer["width"] + width - inner[0],
                                              "height": outer["height"] + height - inner[1]})
        return page


class WebKitPage(WebDriverPage):
    def __init__(self, browser):
        self.browser = browser

    def navigate(self, url):
        self.browser.send("POST", "url", {"url": url})

    def run(self, script):
        return self.browser.send("POST", "execute/sync", {"script": f"return (async () => {{ {script} }})();",
                                                          "args": []})

    def screenshot(self, x, y, width, height):
        """The whole viewport: WebDriver has no clip; the caller crops."""
        return base64.b64decode(self.browser.send("GET", "screenshot"))

    def perform(self, actions):
        self.browser.send("POST", "actions", {"actions": actions})
