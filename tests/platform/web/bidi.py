# SPDX-License-Identifier: MIT
"""Headless Firefox through WebDriver BiDi, which Firefox serves itself on the
port it writes into its profile, over a WebSocket (Debian's python3-websocket)."""

import base64
import json
import os
import shutil
import subprocess
import tempfile
import time

import websocket

from cdp import Browser, ProtocolError, end
from webdriver import WebDriverPage


class Firefox(Browser):
    """Its headless screen is its own 1366x768: `screen` is not used."""
    sends_touch = True

    def __init__(self, window=(1280, 800), screen=None):
        self._profile = tempfile.mkdtemp(prefix="pelmic-firefox-")
        self._process = subprocess.Popen(
            ["firefox-esr", "--headless", "--no-remote", "--profile", self._profile, "--remote-debugging-port=0",
             f"--window-size={window[0]},{window[1]}"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self._socket, self._next_id = None, 0
        try:
            # Firefox refuses a WebSocket whose request names an origin.
            self._socket = websocket.create_connection(f"ws://127.0.0.1:{self._port()}/session", timeout=120,
                                                       suppress_origin=True)
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
            except (OSError, websocket.WebSocketException, ProtocolError):
                pass
            self._socket.close()
        end(self._process)
        shutil.rmtree(self._profile, ignore_errors=True)

    def send(self, method, params=None):
        self._next_id += 1
        self._socket.send(json.dumps({"id": self._next_id, "method": method, "params": params or {}}))
        while True:
            reply = json.loads(self._socket.recv())
            if reply.get("id") == self._next_id:
                if reply.get("type") == "error":
                    raise ProtocolError(f"{method}: {reply.get('error')}: {reply.get('message')}")
                return reply["result"]

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
