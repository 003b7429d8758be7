"""A headless Firefox driven through WebDriver BiDi, which it serves itself.

    with Firefox(window=(1100, 800)) as browser:
        page = browser.sized_page(1100, 800)
        page.navigate("file:///.../index.html?seed=7")
        page.wait_for("document.title.endsWith('done')")

Firefox writes the port it listens on into its profile. The WebSocket is the
little of RFC 6455 that a local client needs. Standard library only.
"""

import base64
import json
import os
import shutil
import socket
import struct
import subprocess
import tempfile
import time

from cdp import Polling, ProtocolError

FIREFOX = os.environ.get("PELMIC_FIREFOX", "/usr/bin/firefox-esr")
# No first-run pages; full screen without its animation and its notice.
PREFERENCES = {
    "browser.shell.checkDefaultBrowser": False,
    "full-screen-api.transition-duration.enter": "0 0",
    "full-screen-api.transition-duration.leave": "0 0",
    "full-screen-api.warning.timeout": 0,
}


class WebSocket:
    def __init__(self, host, port, path):
        self._socket = socket.create_connection((host, port), timeout=120)
        key = base64.b64encode(os.urandom(16)).decode()
        self._socket.sendall(f"GET {path} HTTP/1.1\r\nHost: {host}:{port}\r\nUpgrade: websocket\r\n"
                             f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                             "Sec-WebSocket-Version: 13\r\n\r\n".encode())
        self._file = self._socket.makefile("rb")
        if b" 101 " not in self._file.readline():
            raise ProtocolError("Firefox refused the WebSocket")
        while self._file.readline() not in (b"\r\n", b""):
            pass

    def send(self, text):
        data, mask = text.encode(), os.urandom(4)
        size = len(data)
        header = (struct.pack("!BB", 0x81, 0x80 | size) if size < 126 else
                  struct.pack("!BBH", 0x81, 0xFE, size) if size < 1 << 16 else struct.pack("!BBQ", 0x81, 0xFF, size))
        masked = bytes(b ^ mask[i & 3] for i, b in enumerate(data))
        self._socket.sendall(header + mask + masked)

    def receive(self):
        message = b""
        while True:
            first, second = self._file.read(2)
            size = second & 0x7F
            if size >= 126:
                size = struct.unpack("!H" if size == 126 else "!Q", self._file.read(2 if size == 126 else 8))[0]
            payload, opcode = self._file.read(size), first & 0x0F
            if opcode == 8:
                raise ProtocolError("Firefox closed the WebSocket")
            if opcode in (0, 1):
                message += payload
                if first & 0x80:
                    return json.loads(message)

    def close(self):
        self._socket.close()


class Firefox:
    def __init__(self, window=(1280, 800), screen=None):
        """Headless Firefox has a screen of its own, 1366x768; `screen` is not used."""
        self._profile = tempfile.mkdtemp(prefix="pelmic-firefox-")
        with open(os.path.join(self._profile, "user.js"), "w") as preferences:
            preferences.writelines(f"user_pref({json.dumps(k)}, {json.dumps(v)});\n" for k, v in PREFERENCES.items())
        self._process = subprocess.Popen(
            [FIREFOX, "--headless", "--no-remote", "--profile", self._profile, "--remote-debugging-port=0",
             f"--window-size={window[0]},{window[1]}", "about:blank"],
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._socket = None
        self._next_id = 0
        self.events = []
        try:
            self._socket = WebSocket("127.0.0.1", self._port(), "/session")
            self.send("session.new", {"capabilities": {}})
        except BaseException:
            self.close()
            raise

    def _port(self):
        server = os.path.join(self._profile, "WebDriverBiDiServer.json")
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            try:
                with open(server) as file:
                    return json.load(file)["ws_port"]
            except (OSError, ValueError, KeyError):
                time.sleep(0.1)
        raise TimeoutError("Firefox did not start its WebDriver BiDi server")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self._socket:
            try:
                self.send("browser.close", timeout=10)
            except (OSError, ProtocolError, TimeoutError):
                pass
            self._socket.close()
        try:
            self._process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self._process.kill()
            self._process.wait()
        shutil.rmtree(self._profile, ignore_errors=True)

    def send(self, method, params=None, timeout=60):
        self._next_id += 1
        self._socket.send(json.dumps({"id": self._next_id, "method": method, "params": params or {}}))
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            reply = self._socket.receive()
            if reply.get("id") == self._next_id:
                if reply.get("type") == "error":
                    raise ProtocolError(f"{method}: {reply.get('error')}: {reply.get('message')}")
                return reply.get("result", {})
            self.events.append(reply)
        raise TimeoutError(f"no reply from Firefox to {method}")

    def sized_page(self, width=None, height=None):
        """A page of width x height CSS pixels, or as large as the window."""
        context = self.send("browsingContext.create", {"type": "tab"})["context"]
        if width is not None:
            self.send("browsingContext.setViewport", {"context": context,
                                                      "viewport": {"width": width, "height": height}})
        return FirefoxPage(self, context)


class FirefoxPage(Polling):
    def __init__(self, browser, context):
        self.browser = browser
        self.context = context

    def navigate(self, url):
        self.browser.send("browsingContext.navigate", {"context": self.context, "url": url, "wait": "interactive"})

    def evaluate(self, expression):
        reply = self.browser.send("script.evaluate", {
            "expression": f"Promise.resolve({expression}).then(value => JSON.stringify(value))",
            "target": {"context": self.context}, "awaitPromise": True, "userActivation": False})
        if reply["type"] == "exception":
            raise ProtocolError(f"{expression}: {reply['exceptionDetails']['text']}")
        return json.loads(reply["result"]["value"]) if reply["result"]["type"] == "string" else None

    def screenshot(self, x, y, width, height):
        clip = {"type": "box", "x": x, "y": y, "width": width, "height": height}
        reply = self.browser.send("browsingContext.captureScreenshot", {"context": self.context, "clip": clip})
        return base64.b64decode(reply["data"])

    def key(self, key="a", code=None, key_code=None):
        keys = {"type": "key", "id": "keyboard",
                "actions": [{"type": "keyDown", "value": key}, {"type": "keyUp", "value": key}]}
        self.browser.send("input.performActions", {"context": self.context, "actions": [keys]})
