# SPDX-License-Identifier: MIT
"""Moves and clicks on a Wayland compositor through a virtual pointer
(wlr-virtual-pointer, which sway offers), for tests on a headless sway, which
has no pointer device of its own.

    with VirtualPointer(socket_path) as pointer:   # the device appears
        pointer.move(0, 0)                          # where it rests: clients see it enter
        pointer.move(40, 30)
        pointer.click()

The device exists only while the object does, and a client learns of it
only a moment after it appears, so the device waits SETTLE_S after it appears
and after each action. The protocol is spoken directly on the socket (a few
requests, no events needed beyond a round trip). Python standard library only.
"""

import socket
import struct
import time

SETTLE_S = 0.3
BTN_LEFT = 0x110

# Object ids: 1 is the display; ours follow in the order they are made.
DISPLAY, REGISTRY, CALLBACK, MANAGER, POINTER = 1, 2, 3, 4, 5
MANAGER_INTERFACE = "zwlr_virtual_pointer_manager_v1"


def _string(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


def _fixed(value):
    return struct.pack("<i", int(round(value * 256)))


class VirtualPointer:
    def __init__(self, socket_path):
        self.path = socket_path
        self.sock = None
        self.buffer = b""

    def __enter__(self):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.connect(self.path)
        self._send(DISPLAY, 1, struct.pack("<I", REGISTRY))  # get_registry
        name = self._find_global(MANAGER_INTERFACE)
        self._send(REGISTRY, 0, struct.pack("<I", name) + _string(MANAGER_INTERFACE) + struct.pack("<II", 1, MANAGER))
        self._send(MANAGER, 0, struct.pack("<II", 0, POINTER))  # create_virtual_pointer on the default seat
        time.sleep(SETTLE_S)
        return self

    def __exit__(self, *exc):
        time.sleep(SETTLE_S)
        self._send(POINTER, 8, b"")  # destroy
        self.sock.close()

    def move(self, dx, dy):
        self._send(POINTER, 0, struct.pack("<I", self._time()) + _fixed(dx) + _fixed(dy))
        self._frame()

    def move_to(self, x, y, extent):
        """To (x, y) of a layout of `extent` = (width, height) pixels."""
        self._send(POINTER, 1, struct.pack("<IIIII", self._time(), x, y, *extent))
        self._frame()

    def click(self, button=BTN_LEFT):
        for state in (1, 0):  # pressed, released
            self._send(POINTER, 2, struct.pack("<III", self._time(), button, state))
            self._frame()
        time.sleep(SETTLE_S)

    def _frame(self):
        self._send(POINTER, 4, b"")
        time.sleep(SETTLE_S)

    @staticmethod
    def _time():
        return int(time.monotonic() * 1000) & 0xFFFFFFFF

    def _send(self, obj, opcode, args):
        self.sock.sendall(struct.pack("<II", obj, (8 + len(args)) << 16 | opcode) + args)

    def _find_global(self, interface):
        """The registry name of `interface`, after a round trip (wl_display.sync)."""
        self._send(DISPLAY, 0, struct.pack("<I", CALLBACK))
        found = None
        while True:
            obj, opcode, args = self._receive()
            if obj == REGISTRY and opcode == 0:  # global: name, interface, version
                name, length = struct.unpack_from("<II", args)
                if args[8:8 + length - 1].decode() == interface:
                    found = name
            elif obj == CALLBACK:  # done: every global has been announced
                if found is None:
                    raise RuntimeError(f"the compositor offers no {interface}")
                return found
            elif obj == DISPLAY and opcode == 0:
                raise RuntimeError("the compositor reported a protocol error")

    def _receive(self):
        while len(self.buffer) < 8 or len(self.buffer) < (struct.unpack_from("<I", self.buffer, 4)[0] >> 16):
            chunk = self.sock.recv(4096)
            if not chunk:
                raise RuntimeError("the compositor closed the connection")
            self.buffer += chunk
        obj, header = struct.unpack_from("<II", self.buffer)
        size = header >> 16
        message, self.buffer = self.buffer[:size], self.buffer[size:]
        return obj, header & 0xFFFF, message[8:]
