"""A private X display for end-to-end tests of the SDL front end.

Each test script starts its own Xvfb on a free display in :200-:299 (the
Windows tests use :90-:199), runs the real `pelmic` on it, drives it with
xdotool and looks at it through xwd screenshots. Python standard library only.
"""

import os
import re
import signal
import struct
import subprocess
import time

DISPLAY_RANGE = range(200, 300)


class XvfbDisplay:
    """Context manager: a running Xvfb; `env` is the environment for clients."""

    def __init__(self, width=1024, height=768):
        self.size = (width, height)
        self.proc = None
        self.name = None

    def __enter__(self):
        # Start the search at a place of our own, so that tests running side by
        # side do not all reach for the number another test has just released:
        # a server still shutting down there can remove the new one's socket.
        first = os.getpid() % len(DISPLAY_RANGE)
        for offset in range(len(DISPLAY_RANGE)):
            number = DISPLAY_RANGE[(first + offset) % len(DISPLAY_RANGE)]
            if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
                continue
            if self._try_start(number):
                return self
        raise RuntimeError("no free X display in :200-:299")

    def __exit__(self, *exc):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def _try_start(self, number):
        name = f":{number}"
        width, height = self.size
        # Another test may grab the same number between the check and here;
        # Xvfb then exits at once and the next number is tried. -noreset: by
        # default the server resets whenever its last client leaves, and a
        # program connecting during that reset is refused ("x11 not available").
        proc = subprocess.Popen(
            ["Xvfb", name, "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp", "-noreset"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            if proc.poll() is not None:
                return False
            probe = subprocess.run(["xdpyinfo", "-display", name],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            # The display answering may be another test's server that won the
            # race for this number; the lock file names the real owner.
            if probe.returncode == 0 and self._lock_owner(number) == proc.pid:
                self.proc, self.name = proc, name
                return True
            time.sleep(0.05)
        proc.kill()
        proc.wait()
        return False

    @staticmethod
    def _lock_owner(number):
        try:
            with open(f"/tmp/.X{number}-lock") as lock:
                return int(lock.read().strip())
        except (OSError, ValueError):
            return None

    @property
    def env(self):
        env = dict(os.environ)
        env["DISPLAY"] = self.name
        env["SDL_VIDEODRIVER"] = "x11"
        return env

    def run(self, *args, check=True):
        """Runs an X client (xdotool, xwininfo ...) on this display; its stdout."""
        result = subprocess.run(list(args), env=self.env, capture_output=True, text=True)
        if check and result.returncode != 0:
            raise RuntimeError(f"{args[0]} failed: {result.stderr.strip()}")
        return result.stdout

    def programs(self, names=("pelmic", "zenity")):
        """Pids of processes with one of these names on this display (other
        tests' copies run on other displays). Daemons name the screen too:
        ":N.0". A dialog's own process counts: zenity, or SDL's fork."""
        found, ours = [], (f"DISPLAY={self.name}".encode(), f"DISPLAY={self.name}.0".encode())
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open(f"/proc/{pid}/comm") as comm:
                    if comm.read().strip() not in names:
                        continue
                with open(f"/proc/{pid}/environ", "rb") as environ:
                    if any(variable in ours for variable in environ.read().split(b"\0")):
                        found.append(int(pid))
            except OSError:
                continue
        return found

    def start(self, program, *args):
        return subprocess.Popen([program, *args], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    # --- windows -------------------------------------------------------------

    def top_windows(self):
        """[(id, title, x, y, width, height)] of the root's mapped children.

        xwininfo lists only mapped windows' geometry reliably; SDL message boxes
        are missed by xdotool's search, so the tree is read instead."""
        out = self.run("xwininfo", "-root", "-children")
        windows = []
        pattern = re.compile(r'^\s+(0x[0-9a-f]+) "(.*)": .*?(\d+)x(\d+)\+(-?\d+)\+(-?\d+)')
        for line in out.splitlines():
            match = pattern.match(line)
            if match:
                wid, title, w, h, x, y = match.groups()
                if self._mapped(wid):
                    windows.append((wid, title, int(x), int(y), int(w), int(h)))
        return windows

    def _mapped(self, wid):
        info = self.run("xwininfo", "-id", wid, check=False)
        return "IsViewable" in info

    def wait_for_window(self, title, timeout=10):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            for window in self.top_windows():
                if window[1] == title:
                    return window
            time.sleep(0.1)
        return None

    # --- screenshots ---------------------------------------------------------

    def screenshot(self, window="-root"):
        """An Image of the whole screen (or one window id) from xwd."""
        target = ["-root"] if window == "-root" else ["-id", window]
        data = subprocess.run(["xwd", "-silent", *target], env=self.env,
                              capture_output=True, check=True).stdout
        return Image.from_xwd(data)


class Image:
    """A 24-bit true-colour screenshot: width, height, rgb(x, y)."""

    def __init__(self, width, height, stride, pixels, offsets):
        self.width, self.height, self.stride = width, height, stride
        self.pixels = pixels
        self.red_at, self.green_at, self.blue_at = offsets

    @staticmethod
    def from_xwd(data):
        fields = struct.unpack(">25I", data[:100])
        header_size, width, height = fields[0], fields[4], fields[5]
        byte_order, bits_per_pixel, stride = fields[7], fields[11], fields[12]
        red_mask, ncolors = fields[14], fields[19]
        if bits_per_pixel != 32 or red_mask != 0xFF0000:
            raise ValueError("expected a 32-bit xRGB screenshot")
        start = header_size + 12 * ncolors
        pixels = data[start:start + stride * height]
        # Least significant byte first (0) stores B, G, R, X.
        offsets = (2, 1, 0) if byte_order == 0 else (1, 2, 3)
        return Image(width, height, stride, pixels, offsets)

    def rgb(self, x, y):
        base = y * self.stride + 4 * x
        p = self.pixels
        return (p[base + self.red_at], p[base + self.green_at], p[base + self.blue_at])

    def _channel(self, offset):
        return self.pixels[offset::4][:self.width * self.height] if self.stride == 4 * self.width \
            else b"".join(self.pixels[y * self.stride + offset:(y + 1) * self.stride:4][:self.width]
                          for y in range(self.height))

    def _mask(self, offset, minimum):
        """One bit per pixel (as one byte each) where the channel >= minimum."""
        table = bytes(1 if value >= minimum else 0 for value in range(256))
        return int.from_bytes(self._channel(offset).translate(table), "little")

    def pale_mask(self):
        """Pixels in the saver's pen colours (red >= 122, green and blue >= 222),
        one byte-sized bit each: an int, so that counts and set differences of
        whole screenshots run at C speed (mask.bit_count(), a & ~b)."""
        return (self._mask(self.red_at, 122) & self._mask(self.green_at, 222)
                & self._mask(self.blue_at, 222))

    def pale_count(self, bounds):
        """Pixels of pale_mask within bounds = (left, top, width, height)."""
        left, top, width, height = bounds
        mask, row = self.pale_mask(), (1 << 8 * width) - 1
        return sum(((mask >> 8 * (y * self.width + left)) & row).bit_count() for y in range(top, top + height))

    def black_fraction(self):
        table = bytes(0 if value == 0 else 1 for value in range(256))
        lit = (int.from_bytes(self._channel(self.red_at).translate(table), "little")
               | int.from_bytes(self._channel(self.green_at).translate(table), "little")
               | int.from_bytes(self._channel(self.blue_at).translate(table), "little"))
        return 1 - lit.bit_count() / (self.width * self.height)

    def runs_of(self, colour, y):
        """[(x_start, x_end)] of horizontal runs of one colour in row y."""
        runs, start = [], None
        for x in range(self.width):
            if self.rgb(x, y) == colour:
                if start is None:
                    start = x
            elif start is not None:
                runs.append((start, x))
                start = None
        if start is not None:
            runs.append((start, self.width))
        return runs


def wait_until(condition, timeout):
    """Polls `condition` until it holds or `timeout` s have passed; its last value."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.05)
    return condition()


def wait_exit(proc, timeout):
    """The exit status, or None if the process still runs after `timeout` s."""
    try:
        return proc.wait(timeout)
    except subprocess.TimeoutExpired:
        return None


def wait_for_handler(proc, signum=signal.SIGTERM, timeout=10):
    """Waits until the process catches `signum`: the earliest moment it can.
    Before main runs (while the system loads the program) no program can."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline and proc.poll() is None:
        try:
            with open(f"/proc/{proc.pid}/status") as status:
                caught = next(line for line in status if line.startswith("SigCgt:"))
        except (OSError, StopIteration):
            continue
        if int(caught.split()[1], 16) >> (signum - 1) & 1:
            return
    raise RuntimeError(f"the program did not catch signal {signum} within {timeout} s")


def stop(proc):
    if proc.poll() is None:
        proc.send_signal(signal.SIGKILL)
        proc.wait()


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


if __name__ == "__main__":
    # xsession.py PROGRAM [ARGS...]: runs a test program on a private display
    # of its own; the program's exit status.
    import sys
    with XvfbDisplay() as display:
        sys.exit(subprocess.run(sys.argv[1:], env=display.env).returncode)
