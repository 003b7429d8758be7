"""WebKit (WebKitGTK's MiniBrowser) driven through W3C WebDriver, on a private Xvfb.

    with WebKit(screen=(1600, 1200)) as browser:
        page = browser.sized_page(1100, 800)
        page.navigate("file:///.../index.html?seed=7")
        page.wait_for("document.title.endsWith('done')")

WebKitWebDriver starts the MiniBrowser; a window manager on the display lets
it take full screen. Standard library only.
"""

import base64
import glob
import json
import os
import shutil
import socket
import subprocess
import time
import urllib.error
import urllib.request

from cdp import Polling, ProtocolError

DRIVER = os.environ.get("PELMIC_WEBKIT_DRIVER", "/usr/bin/WebKitWebDriver")
MINIBROWSER = (glob.glob("/usr/lib/*/webkit2gtk-4.*/MiniBrowser") or ["MiniBrowser"])[0]


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class WebKit:
    def __init__(self, window=(1280, 800), screen=(1600, 1200)):
        self._processes = []
        self._session = None
        try:
            display = self._start_display(screen)
            environment = dict(os.environ, DISPLAY=display)
            if shutil.which("openbox"):
                self._start(["openbox", "--sm-disable"], environment)
            self._url = f"http://127.0.0.1:{free_port()}"
            self._start([DRIVER, f"--port={self._url.rsplit(':', 1)[1]}"], environment)
            options = {"binary": MINIBROWSER, "args": ["--automation"]}
            capabilities = {"alwaysMatch": {"webkitgtk:browserOptions": options}}
            self._session = self._call("POST", "/session", {"capabilities": capabilities}, retry=True)["sessionId"]
            self.send("POST", "window/rect", {"width": window[0], "height": window[1]})
        except BaseException:
            self.close()
            raise

    def _start(self, command, environment=None):
        self._processes.append(subprocess.Popen(command, env=environment, stdin=subprocess.DEVNULL,
                                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))

    def _start_display(self, screen):
        """A free display number, from Xvfb itself."""
        read, write = os.pipe()
        self._processes.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-screen", "0", f"{screen[0]}x{screen[1]}x24", "-nolisten", "tcp"],
            pass_fds=(write,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        os.close(write)
        with os.fdopen(read) as number:
            return ":" + number.readline().strip()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self._session:
            try:
                self._call("DELETE", f"/session/{self._session}", timeout=10)
            except (OSError, ProtocolError):
                pass
        for process in reversed(self._processes):
            process.terminate()
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    def _call(self, method, path, body=None, timeout=120, retry=False):
        data = json.dumps(body).encode() if body is not None else None
        deadline = time.monotonic() + 30
        while True:
            request = urllib.request.Request(self._url + path, data=data, method=method,
                                             headers={"Content-Type": "application/json"})
            try:
                with urllib.request.urlopen(request, timeout=timeout) as reply:
                    return json.loads(reply.read())["value"]
            except urllib.error.HTTPError as error:
                raise ProtocolError(f"{method} {path}: {error.read().decode(errors='replace')}") from None
            except urllib.error.URLError:
                if not retry or time.monotonic() > deadline:
                    raise
                time.sleep(0.1)  # the driver is still starting

    def send(self, method, command, body=None):
        return self._call(method, f"/session/{self._session}/{command}", body)

    def sized_page(self, width=None, height=None):
        """The one window, resized so that its viewport is width x height."""
        page = WebKitPage(self)
        for _ in range(3 if width is not None else 0):
            inner = page.evaluate("[innerWidth, innerHeight]")
            if inner == [width, height]:
                break
            outer = self.send("GET", "window/rect")
            self.send("POST", "window/rect", {"width": outer["width"] + width - inner[0],
                                              "height": outer["height"] + height - inner[1]})
        return page


class WebKitPage(Polling):
    def __init__(self, browser):
        self.browser = browser

    def navigate(self, url):
        self.browser.send("POST", "url", {"url": url})

    def evaluate(self, expression):
        script = f"return Promise.resolve({expression}).then(value => JSON.stringify(value));"
        value = self.browser.send("POST", "execute/sync", {"script": script, "args": []})
        return json.loads(value) if isinstance(value, str) else None

    def screenshot(self, x, y, width, height):
        """The whole viewport: WebDriver has no clip; the caller crops."""
        return base64.b64decode(self.browser.send("GET", "screenshot"))

    def key(self, key="a", code=None, key_code=None):
        keys = {"type": "key", "id": "keyboard",
                "actions": [{"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]}
        self.browser.send("POST", "actions", {"actions": [keys]})
