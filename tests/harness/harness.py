# SPDX-License-Identifier: MIT
"""The end-to-end harness: private X displays, the programs on them, their
windows and screenshots, and the waits in between. Standard library only;
it calls Xvfb, Xephyr, xdpyinfo, xwininfo, xdotool and xwd.

    sys.path.insert(0, "tests/harness")
    from harness import XDisplay, check

    with XDisplay.xvfb(1024, 768) as x:                  # a free display in :200-:299
        proc = x.start("pelmic", "/S")
        window = x.wait_for_window("Pelmic")             # (id, title, left, top, width, height)
        check(x.screenshot().pale_count() > 0, "nothing drawn")
        x.run("xdotool", "key", "a")

A display that outlives its process (a ctest fixture) is started with
XDisplay.xinerama(...) or .xvfb(...) without `with`, and found again by
XDisplay(number, pids); close() ends its servers.
"""

import os
import re
import signal
import struct
import subprocess
import sys
import time

# Displays that tests start for themselves; a display needs no TCP port.
XVFB_DISPLAYS = range(200, 300)
XINERAMA_DISPLAYS = range(90, 200)


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


# ---------------------------------------------------------------- X servers

def _lock_owner(number):
    try:
        with open(f"/tmp/.X{number}-lock") as lock:
            return int(lock.read().strip())
    except (OSError, ValueError):
        return None


def _is_free(number):
    return not (os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"))


def _start_server(command, number, env=None):
    """Starts an X server on display `number`: the process, or None if it lost
    the display to another test or did not come up.

    -noreset (in every command): by default a server resets whenever its last
    client leaves, and a program connecting during that reset is refused."""
    proc = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline and proc.poll() is None:
        probe = subprocess.run(["xdpyinfo", "-display", f":{number}"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # The display answering may be another test's server that won the
        # race for this number; the lock file names the real owner.
        if probe.returncode == 0 and _lock_owner(number) == proc.pid:
            return proc
        time.sleep(0.05)
    stop(proc)
    return None


def _free_numbers(numbers, width=1):
    """Display numbers from `numbers` whose `width` consecutive displays are
    free, starting at a place of this process's own: tests running side by
    side then do not all reach for the number another has just released (a
    server still shutting down there can remove the new one's socket)."""
    first = os.getpid() % len(numbers)
    for offset in range(len(numbers) - width + 1):
        number = numbers[(first + offset) % (len(numbers) - width + 1)]
        if all(_is_free(number + i) for i in range(width)):
            yield number


class XDisplay:
    """A running X display: `name` (":N"), `env` for its clients, the X
    clients that look at it, and the servers behind it (`pids`)."""

    def __init__(self, number, pids, servers=()):
        self.number, self.name, self.pids = number, f":{number}", list(pids)
        self._servers = servers  # the processes, where this process started them

    @classmethod
    def xvfb(cls, width=1024, height=768, numbers=XVFB_DISPLAYS):
        """One screen of width x height on a free display."""
        for n in _free_numbers(numbers):
            server = _start_server(["Xvfb", f":{n}", "-screen", "0", f"{width}x{height}x24",
                                    "-nolisten", "tcp", "-noreset"], n)
            if server is not None:
                return cls(n, [server.pid], [server])
        raise RuntimeError(f"no free X display in :{numbers[0]}-:{numbers[-1]}")

    @classmethod
    def xinerama(cls, screens, numbers=XINERAMA_DISPLAYS):
        """Screens of (width, height) side by side, left to right, as Xephyr
        screens joined by Xinerama inside a host Xvfb on the display before
        it. Without RandR, programs take their monitors from Xinerama."""
        host_size = f"{sum(w for w, _ in screens)}x{max(h for _, h in screens)}x24"
        for n in _free_numbers(numbers, width=2):
            host = _start_server(["Xvfb", f":{n}", "-screen", "0", host_size, "-nolisten", "tcp", "-noreset"], n)
            if host is None:
                continue
            nested = _start_server(
                ["Xephyr", f":{n + 1}", "-extension", "RANDR", "+xinerama",
                 *(arg for w, h in screens for arg in ("-screen", f"{w}x{h}")), "-nolisten", "tcp", "-noreset"],
                n + 1, env=dict(os.environ, DISPLAY=f":{n}"))
            if nested is not None:
                return cls(n + 1, [nested.pid, host.pid], [nested, host])
            stop(host)
        raise RuntimeError(f"no free pair of X displays in :{numbers[0]}-:{numbers[-1]}")

    def close(self):
        """Ends the servers, the nested one first."""
        for pid in self.pids:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        for server in self._servers:
            if wait_exit(server, 5) is None:
                stop(server)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    @property
    def env(self):
        """The environment for clients; SDL programs use X11 even where a
        Wayland session is around."""
        return dict(os.environ, DISPLAY=self.name, SDL_VIDEODRIVER="x11")

    def run(self, *args, check=True):
        """Runs an X client (xdotool, xwininfo ...) on this display; its stdout."""
        result = subprocess.run(list(args), env=self.env, capture_output=True, text=True)
        if check and result.returncode != 0:
            raise RuntimeError(f"{args[0]} failed: {result.stderr.strip()}")
        return result.stdout

    def start(self, program, *args, env=None):
        """A program on this display, its output piped; `env` adds variables."""
        return subprocess.Popen([program, *args], env=dict(self.env, **(env or {})),
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def programs(self, names=("pelmic", "zenity")):
        """Pids of processes with one of these names on this display (other
        tests' copies run on other displays). Daemons name the screen too:
        ":N.0". A dialog's own process counts: zenity, or SDL's fork."""
        return processes((f"DISPLAY={self.name}", f"DISPLAY={self.name}.0"), names=names)

    # --- windows -------------------------------------------------------------

    def top_windows(self, title=None):
        """[(id, title, left, top, width, height)] of the root's mapped
        children (with that title).

        xwininfo lists only mapped windows' geometry reliably; SDL message boxes
        are missed by xdotool's search, so the tree is read instead."""
        out = self.run("xwininfo", "-root", "-children")
        windows = []
        pattern = re.compile(r'^\s+(0x[0-9a-f]+) "(.*)": .*?(\d+)x(\d+)\+(-?\d+)\+(-?\d+)')
        for line in out.splitlines():
            match = pattern.match(line)
            if match and title in (None, match.group(2)):
                wid, name, w, h, x, y = match.groups()
                if "IsViewable" in self.run("xwininfo", "-id", wid, check=False):
                    windows.append((wid, name, int(x), int(y), int(w), int(h)))
        return windows

    def wait_for_window(self, title, timeout=10):
        """The first mapped top window with this title, or None after `timeout` s."""
        windows = wait_until(lambda: self.top_windows(title), timeout)
        return windows[0] if windows else None

    def geometry(self, window):
        """(left, top, width, height) of any window, on the screen."""
        info = dict(line.strip().split(": ", 1) for line in self.run("xwininfo", "-id", window).splitlines()
                    if ": " in line)
        return tuple(int(info[key]) for key in ("Absolute upper-left X", "Absolute upper-left Y", "Width", "Height"))

    def wait_for_picture(self, timeout=5):
        return wait_for_picture(self, timeout)

    def screenshot(self, window="-root"):
        """An Image of the whole screen (or one window id) from xwd."""
        target = ["-root"] if window == "-root" else ["-id", window]
        data = subprocess.run(["xwd", "-silent", *target], env=self.env, capture_output=True, check=True).stdout
        return Image.from_xwd(data)


# ------------------------------------------------------------------ screenshots

class Image:
    """A 24-bit true-colour screenshot: width, height, rgb(x, y). Counts take
    optional bounds = (left, top, width, height); without, the whole image."""

    def __init__(self, width, height, stride, pixels, offsets):
        self.width, self.height, self.stride = width, height, stride
        self.pixels = pixels
        self.red_at, self.green_at, self.blue_at = offsets

    @staticmethod
    def from_xwd(data):
        fields = struct.unpack(">25I", data[:100])
        header_size, width, height = fields[0], fields[4], fields[5]
        byte_order, stride, visual_class = fields[7], fields[12], fields[13]
        red_mask, ncolors = fields[14], fields[19]
        if stride < 4 * width or red_mask != 0xFF0000:
            raise ValueError("expected a screenshot of 4-byte xRGB pixels")
        # A screen showing windows of several visuals comes as a DirectColor
        # image (24 bits in 4 bytes) whose colour map must be the identity.
        cells = [data[header_size + 12 * i + 4:header_size + 12 * i + 10] for i in range(ncolors)]
        if visual_class == 5 and cells != [bytes([i]) * 6 for i in range(ncolors)]:
            raise ValueError("a DirectColor screenshot whose colour map is not the identity")
        start = header_size + 12 * ncolors
        pixels = data[start:start + stride * height]
        # Least significant byte first (0) stores B, G, R, X.
        offsets = (2, 1, 0) if byte_order == 0 else (1, 2, 3)
        return Image(width, height, stride, pixels, offsets)

    def rgb(self, x, y):
        base = y * self.stride + 4 * x
        p = self.pixels
        return (p[base + self.red_at], p[base + self.green_at], p[base + self.blue_at])

    def _channel(self, offset, bounds):
        left, top, width, height = bounds or (0, 0, self.width, self.height)
        if bounds is None and self.stride == 4 * self.width:
            return self.pixels[offset::4][:self.width * self.height]
        return b"".join(self.pixels[y * self.stride + 4 * left + offset:y * self.stride + 4 * (left + width):4]
                        for y in range(top, top + height))

    def _mask(self, bounds, minimums):
        """One bit per pixel (as one byte each) where every channel reaches
        its minimum (red, green, blue): an int, so that counts and set
        differences of whole screenshots run at C speed (mask.bit_count(), a & ~b)."""
        mask = -1
        for offset, minimum in zip((self.red_at, self.green_at, self.blue_at), minimums):
            if minimum == 0:
                continue
            table = bytes(1 if value >= minimum else 0 for value in range(256))
            mask &= int.from_bytes(self._channel(offset, bounds).translate(table), "little")
        return mask

    def pale_mask(self, bounds=None):
        """Pixels in the saver's pen colours: red >= 122, green and blue >= 222."""
        return self._mask(bounds, (122, 222, 222))

    def pale_count(self, bounds=None):
        return self.pale_mask(bounds).bit_count()

    def black_count(self, bounds=None):
        width, height = (bounds or (0, 0, self.width, self.height))[2:]
        lit = (self._mask(bounds, (1, 0, 0)) | self._mask(bounds, (0, 1, 0)) | self._mask(bounds, (0, 0, 1)))
        return width * height - lit.bit_count()

    def black_fraction(self, bounds=None):
        width, height = (bounds or (0, 0, self.width, self.height))[2:]
        return self.black_count(bounds) / (width * height)

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


# ------------------------------------------------------------ waits, processes

def run_case(case, name, display):
    """Runs `case` on `display` (closed after it) and prints its verdict; the
    driver's exit status."""
    with display:
        try:
            case(display)
        except Failure as failure:
            print(f"FAIL {name}: {failure}")
            return 1
    print(f"ok {name}")
    return 0


def wait_for_picture(display, timeout=5):
    """The first screenshot of `display` (anything with a screenshot() that
    gives an Image) with something pale drawn on it."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        shot = display.screenshot()
        if shot.pale_count():
            return shot
        time.sleep(0.05)
    raise Failure(f"nothing pale on the screen within {timeout} s")


def wait_until(condition, timeout):
    """Polls `condition` until it holds or `timeout` s have passed; its last value."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    return condition()


def wait_exit(proc, timeout):
    """The exit status, or None if the process still runs after `timeout` s."""
    try:
        return proc.wait(timeout)
    except subprocess.TimeoutExpired:
        return None


def finish(proc, timeout):
    """The exit status within `timeout` s, or None: the process is then killed."""
    status = wait_exit(proc, timeout)
    stop(proc)
    return status


def stop(proc):
    if proc.poll() is None:
        proc.send_signal(signal.SIGKILL)
        proc.wait()


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


def processes(variables, names=(), command_part=None):
    """Pids of the processes whose environment holds one of `variables`
    ("NAME=value") and whose name is one of `names` or whose command line
    holds `command_part`."""
    found, wanted = [], {v.encode() for v in variables}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if (_read(pid, "comm").decode().strip() not in names
                    and not (command_part and command_part in _read(pid, "cmdline"))):
                continue
            if wanted & set(_read(pid, "environ").split(b"\0")):
                found.append(int(pid))
        except OSError:
            continue
    return found


def _read(pid, name):
    with open(f"/proc/{pid}/{name}", "rb") as file:
        return file.read()


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


if __name__ == "__main__":
    # harness.py PROGRAM [ARGS...]: runs a test program on a private Xvfb
    # display of its own; the program's exit status.
    with XDisplay.xvfb() as display:
        sys.exit(subprocess.run(sys.argv[1:], env=display.env).returncode)
