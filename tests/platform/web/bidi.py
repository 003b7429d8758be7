# SPDX-License-Identifier: MIT
"""Headless Firefox through WebDriver BiDi, which Firefox serves itself on the
port it writes into its profile; the WebSocket is the little of RFC 6455 a
local client needs. Standard library only."""

import base64
import json
import os
import shutil
import socket
import struct
import subprocess
import tempfile
import time

from cdp import Browser, ProtocolError, end
from webdriver import WebDriverPage


class Firefox(Browser):
    """Its headless screen is its own 1366x768: `screen` is not used."""

    def __init__(self, window=(1280, 800), screen=None):
        self._profile = tempfile.mkdtemp(prefix="pelmic-firefox-")
        self._process = subprocess.Popen(
            ["firefox-esr", "--headless", "--no-remote", "--profile", self._profile, "--remote-debugging-port=0",
             f"--window-size={window[0]},{window[1]}"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._socket, self._next_id = None, 0
        try:
            port = self._port()
            self._socket = socket.create_connection(("127.0.0.1", port), timeout=120)
            key = base64.b64encode(os.urandom(16)).decode()
            self._socket.sendall(f"GET /session HTTP/1.1\r\nHost: 127.0.0.1:{port}\r\nUpgrade: websocket\r\n"
                                 f"Connection: Upgrade\r\nSec-WebSocket-Key: {key}\r\n"
                                 "Sec-WebSocket-Version: 13\r\n\r\n".encode())
            self._file = self._socket.makefile("rb")
            while self._file.readline() not in (b"\r\n", b""):
                pass
            self.send("session.new", {"capabilities": {}})
        except BaseException:
            self.close()
            raise

    def _port(self):
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            try:
                with open(os.path.join(self._profile, "WebDriverBiDiServer.json")) as server:
                    return json.load(server)["ws_port"]
            except (OSError, ValueError, KeyError):
                time.sleep(0.1)
        raise TimeoutError("Firefox did not start its WebDriver BiDi server")

    def close(self):
        if self._socket:
            try:
                self.send("browser.close")
            except (OSError, ValueError, ProtocolError):
                pass
            self._socket.close()
        end(self._process)
        shutil.rmtree(self._profile, ignore_errors=True)

    def send(self, method, params=None):
        self._next_id += 1
        data, mask = json.dumps({"id": self._next_id, "method": method, "params": params or {}}).encode(), os.urandom(4)
        size = (struct.pack("!B", 0x80 | len(data)) if len(data) < 126 else struct.pack("!BH", 0xFE, len(data))
                if len(data) < 1 << 16 else struct.pack("!BQ", 0xFF, len(data)))
        self._socket.sendall(b"\x81" + size + mask + bytes(b ^ mask[i & 3] for i, b in enumerate(data)))
        while True:
            reply = self._receive()
            if reply.get("id") == self._next_id:
                if reply.get("type") == "error":
                    raise ProtocolError(f"{method}: {reply.get('error')}: {reply.get('message')}")
                return reply["result"]

    def _receive(self):
        """One text message; Firefox sends them unfragmented and unmasked."""
        header = self._file.read(2)
        if len(header) < 2 or header[0] & 0x0F == 8:
            raise ProtocolError("Firefox closed the WebSocket")
        size = header[1] & 0x7F
        if size >= 126:
            size = int.from_bytes(self._file.read(2 if size == 126 else 8), "big")
        return json.loads(self._file.read(size))

    def sized_page(self, width=None, height=None):
        """A page of width x height CSS pixels, or as large as the window."""
        context = self.send("browsingContext.create", {"type": "tab"})["context"]
        if width is not None:
            self.send("browsingContext.setViewport", {"context": context,
                                                      "viewport": {"width": width, "height": height}})
        return FirefoxPage(self, context)


class FirefoxPage(WebDriverPage):
    def __init__(self, browser, context):
        self.browser, self.context = browser, context

    def navigate(self, url):
        self.browser.send("browsingContext.navigate", {"context": self.context, "url": url, "wait": "interactive"})

    def run(self, script):
        reply = self.browser.send("script.callFunction", {"functionDeclaration": f"async function () {{ {script} }}",
                                                          "target": {"context": self.context}, "awaitPromise": True})
        if reply["type"] == "exception":
            raise ProtocolError(f"{script}: {reply['exceptionDetails']['text']}")
        return reply["result"].get("value")

    def screenshot(self, x, y, width, height):
        clip = {"type": "box", "x": x, "y": y, "width": width, "height": height}
        return base64.b64decode(self.browser.send("browsingContext.captureScreenshot",
                                                  {"context": self.context, "clip": clip})["data"])

    def perform(self, actions):
        self.browser.send("input.performActions", {"context": self.context, "actions": actions})
