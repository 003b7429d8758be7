#!/usr/bin/env python3
"""End-to-end tests of pelmic.scr: a build runs under wine on a private Xvfb
display and is driven with xdotool like a user would. The x86_64 build runs
under wine64, the shipped i686 one under 32-bit wine, natively or emulated
(cmake/wine-run.sh picks the route; setup and every case say which ran).

  e2e.py setup   --state DIR --wine-run WRAPPER --arch win64|win32 --exe PELMIC   (ctest fixture)
  e2e.py case NAME --state DIR --exe PELMIC --probe WINDOW_PROBE
  e2e.py cleanup --state DIR

setup creates (or reuses) a wine prefix under DIR, starts Xvfb on a free
display and a persistent wineserver, and writes DIR/state.json; every case
reads it. The program's PELMIC_TRACE output tells which texts it showed;
window_probe reads its windows through the Win32 window tree.
"""
import argparse
import json
import os
import re
import signal
import subprocess
import sys
import threading
import time

WINESERVER = "/usr/lib/wine/wineserver"
SCREEN = (1024, 768)
# Where the pointer rests while the saver starts: wine reports its first mouse
# move at the screen's centre, so a resting pointer elsewhere would look moved.
REST = (SCREEN[0] // 2, SCREEN[1] // 2)
# The second monitor, right of the primary: left, top, width, height.
SECOND = (SCREEN[0], 0, 800, 600)
# How long the program may take to end after its input.
EXIT_LIMIT = 1.0
# What starting and ending a wine process costs beyond that, by route: under
# qemu-i386 wine alone needs 0.6-1.3 s to start and end.
START_ALLOWANCE = {"qemu": 2.0}
PASSWORD_MESSAGE = "パスワードには対応していませんm(_ _)m"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


# ---------------------------------------------------------------- the fixture

def display_is_free(n):
    return not (os.path.exists(f"/tmp/.X{n}-lock") or os.path.exists(f"/tmp/.X11-unix/X{n}"))


def start_server(command, n, env=None):
    """Starts an X server on display :n; its pid, or None if it lost a race
    for the display or did not come up."""
    server = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              start_new_session=True)
    for _ in range(100):
        if server.poll() is not None:
            return None
        probe = subprocess.run(["xdpyinfo", "-display", f":{n}"],
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if probe.returncode == 0:
            return server.pid
        time.sleep(0.05)
    server.kill()
    return None


def start_display():
    """Two monitors side by side: the primary SCREEN and SECOND to its right,
    as Xephyr screens joined by Xinerama, inside a host Xvfb on the first
    free display pair in :90-:199. Without RandR, wine takes its monitors
    from Xinerama. Returns the test display and the servers' pids."""
    host_size = f"{SCREEN[0] + SECOND[2]}x{max(SCREEN[1], SECOND[3])}x24"
    for n in range(90, 199):
        if not (display_is_free(n) and display_is_free(n + 1)):
            continue
        host = start_server(["Xvfb", f":{n}", "-screen", "0", host_size, "-nolisten", "tcp", "-noreset"], n)
        if host is None:
            continue
        nested = start_server(
            ["Xephyr", f":{n + 1}", "-extension", "RANDR", "+xinerama", "-screen", f"{SCREEN[0]}x{SCREEN[1]}",
             "-screen", f"{SECOND[2]}x{SECOND[3]}", "-nolisten", "tcp", "-noreset"],
            n + 1, env=dict(os.environ, DISPLAY=f":{n}"))
        if nested is not None:
            return n + 1, [nested, host]
        os.kill(host, signal.SIGTERM)
    raise Failure("no free pair of X displays in :90-:199")


def wine_env(state):
    env = dict(os.environ)
    env.update(WINEPREFIX=state["prefix"], WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
               DISPLAY=f":{state['display']}", PELMIC_TRACE="1")
    return env


def start_wineserver(env):
    """A fresh persistent wineserver: one left over from an interrupted run
    knows an X display that is gone."""
    # Daemons must not hold on to ctest's output pipes, or ctest waits for them.
    quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run([WINESERVER, "-k"], env=env, **quiet)
    for _ in range(100):
        if subprocess.run([WINESERVER, "-p"], env=env, **quiet).returncode == 0:
            return
        time.sleep(0.1)  # the old server is still on its way out
    raise Failure("cannot start a wineserver for the test prefix")


def setup(args):
    os.makedirs(args.state, exist_ok=True)
    prefix = os.path.join(args.state, "prefix")
    runner = [args.wine_run, args.arch, prefix]
    subprocess.run(runner, check=True, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    display, server_pids = start_display()
    state = {"prefix": prefix, "display": display, "server_pids": server_pids, "runner": runner, "route": "wine64"}
    # Written at once, so that cleanup finds the X server whatever happens next.
    with open(os.path.join(args.state, "state.json"), "w") as f:
        json.dump(state, f)
    env = wine_env(state)
    start_wineserver(env)
    # The first program of a session also starts wine's desktop process; pay
    # for that here rather than inside a timed case.
    # Its errors go to a file: wine's desktop processes inherit the stream and
    # outlive the program, so a pipe would not end.
    errors_path = os.path.join(args.state, "first-run.err")
    with open(errors_path, "w") as errors:
        subprocess.run([*runner, args.exe, "/p"], env=env, timeout=120, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=errors)
    with open(errors_path) as errors:
        route = re.search(r"32-bit route: (\w+)", errors.read())
    if route:
        state["route"] = route.group(1)
    with open(os.path.join(args.state, "state.json"), "w") as f:
        json.dump(state, f)
    print(f"route: {state['route']}")
    xdotool(state, "mousemove", *map(str, REST))


def cleanup(args):
    path = os.path.join(args.state, "state.json")
    if not os.path.exists(path):
        return
    with open(path) as f:
        state = json.load(f)
    subprocess.run([WINESERVER, "-k"], env=wine_env(state), stderr=subprocess.DEVNULL)
    for pid in state["server_pids"]:
        try:
            os.kill(pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    os.remove(path)


# ------------------------------------------------------------------ helpers

def xdotool(state, *args):
    result = subprocess.run(["xdotool", *args], env=wine_env(state), capture_output=True, text=True)
    return result.stdout.split()


class Pelmic:
    """One running pelmic.scr with its trace lines collected as they come."""

    def __init__(self, state, exe, *args):
        self.state = state
        self.process = subprocess.Popen([*state["runner"], exe, *args], env=wine_env(state),
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        self.trace = []
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for raw in self.process.stderr:
            line = raw.decode("utf-8", "replace").rstrip("\n")
            if line.startswith("pelmic-trace "):
                self.trace.append(line[len("pelmic-trace "):])

    def running(self):
        return self.process.poll() is None

    def wait_for_trace(self, line, timeout=10.0):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if line in self.trace:
                return
            check(self.running(), f"ended (status {self.process.returncode}) before showing {line!r}")
            time.sleep(0.02)
        raise Failure(f"no {line!r} within {timeout} s; trace: {self.trace}")

    def wait_exit(self, limit, since=None):
        """Waits for the end, at most `limit` seconds after `since` (default:
        now); returns the exit status and the time taken since then."""
        start = time.monotonic() if since is None else since
        try:
            status = self.process.wait(timeout=max(0.0, start + limit - time.monotonic()))
        except subprocess.TimeoutExpired:
            raise Failure(f"still running {limit} s after its input")
        took = time.monotonic() - start  # before the wait for the last trace lines
        self.reader.join(timeout=5)
        return status, took

    def stop(self):
        if self.running():
            self.process.kill()
            self.process.wait()


def visible_windows(state, name):
    return xdotool(state, "search", "--onlyvisible", "--name", f"^{name}$")


def wait_for_window(state, name, timeout=10.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = visible_windows(state, name)
        if found:
            return found[0]
        time.sleep(0.05)
    raise Failure(f"no visible window named {name!r} within {timeout} s")


def geometry(state, window):
    info = subprocess.run(["xwininfo", "-id", window], env=wine_env(state),
                          capture_output=True, text=True).stdout
    values = {}
    for line in info.splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
            int(values["Width"]), int(values["Height"]))


def screenshot(state):
    """The whole screen as bytes r, g, b per pixel."""
    return subprocess.run(["import", "-window", "root", "-depth", "8", "rgb:-"], env=wine_env(state),
                          capture_output=True, check=True).stdout


def count_colours(pixels):
    black = pale = 0
    for i in range(0, len(pixels), 3):
        r, g, b = pixels[i], pixels[i + 1], pixels[i + 2]
        if r == g == b == 0:
            black += 1
        elif r >= 122 and g >= 222 and b >= 222:
            pale += 1
    return black, pale


def focus(state, window):
    xdotool(state, "windowfocus", "--sync", window)


def rest_pointer(state):
    xdotool(state, "mousemove", *map(str, REST))


def start_saver(state, exe):
    rest_pointer(state)
    saver = Pelmic(state, exe, "/s")
    saver.wait_for_trace("saver: shown")
    return saver, wait_for_window(state, "Pelmic")


def expect_quick_clean_exit(program, what, since):
    status, took = program.wait_exit(EXIT_LIMIT, since)
    check(status == 0, f"exit status {status} after {what}")
    print(f"ended {took * 1000:.0f} ms after {what}")


# -------------------------------------------------------------------- cases

def start_allowance(state):
    return START_ALLOWANCE.get(state["route"], 0.0)


def case_preview_ends_at_once(state, exe):
    program = Pelmic(state, exe, "/p")
    status, took = program.wait_exit(EXIT_LIMIT + start_allowance(state))
    check(status == 0, f"exit status {status}")
    check(program.trace == [], f"showed something: {program.trace}")
    check(not visible_windows(state, "Pelmic"), "a Pelmic window is left on the screen")
    print(f"/p ended after {took * 1000:.0f} ms")


def wine_debuggers(state):
    """Pids of winedbg processes in the test prefix."""
    found, ours = [], f"WINEPREFIX={state['prefix']}".encode()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as cmdline:
                if b"winedbg" not in cmdline.read():
                    continue
            with open(f"/proc/{pid}/environ", "rb") as environ:
                if ours in environ.read().split(b"\0"):
                    found.append(int(pid))
        except OSError:
            continue
    return found


def case_crash_ends_at_once(state, exe):
    """A crash under the test prefix fails at once and leaves nothing running:
    no debugger starts and waits there. A breakpoint that nothing handles
    stands in for the crash."""
    limit = 10 + start_allowance(state)
    started = time.monotonic()
    try:
        crash = subprocess.run([*state["runner"], "rundll32.exe", "kernel32.dll,DebugBreak"], env=wine_env(state),
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               timeout=limit)
    except subprocess.TimeoutExpired:
        raise Failure(f"the crash still ran after {limit} s; debuggers in the prefix: {wine_debuggers(state)}")
    check(crash.returncode != 0, "the crash ended with status 0")
    check(not wine_debuggers(state), f"a debugger is left in the prefix: {wine_debuggers(state)}")
    print(f"the crash ended with status {crash.returncode} after {(time.monotonic() - started) * 1000:.0f} ms")


def case_saver_draws_pale_on_black(state, exe):
    started = time.monotonic()
    saver, window = start_saver(state, exe)
    try:
        check(geometry(state, window) == (0, 0, *SCREEN), f"window geometry {geometry(state, window)}")
        deadline = time.monotonic() + 15
        black = pale = 0
        while time.monotonic() < deadline and pale == 0:
            black, pale = count_colours(screenshot(state))
        check(pale > 0, "no pale pixel on the screen within 15 s")
        print(f"first pale pixels {time.monotonic() - started:.2f} s after start")
        # Thin lines and small text: the screen stays mostly black.
        check(black > SCREEN[0] * SCREEN[1] * 0.7, f"only {black} black pixels")
        check(saver.running(), "the saver ended by itself")
    finally:
        saver.stop()


def black_share(pixels, area):
    """The share of black pixels of a (left, top, width, height) area of a
    root screenshot."""
    left, top, width, height = area
    row_length = (SCREEN[0] + SECOND[2]) * 3
    black = 0
    for y in range(top, top + height):
        row = pixels[y * row_length + left * 3:y * row_length + (left + width) * 3]
        black += sum(1 for i in range(0, len(row), 3) if row[i] == row[i + 1] == row[i + 2] == 0)
    return black / (width * height)


def case_saver_covers_every_monitor(state, exe):
    monitors = probe(state, "monitors")["monitors"]
    check(monitors == [[0, 0, *SCREEN], list(SECOND)], f"wine reports the monitors {monitors}")
    saver, _ = start_saver(state, exe)
    try:
        windows = probe(state, "windows")["windows"]
        mine = [w for w in windows if w["text"] == "Pelmic"]
        check(len(mine) == 1 and mine[0]["rect"] == [0, 0, *SCREEN], f"saver windows: {windows}")
        covers = [w for w in windows if w["process"] == mine[0]["process"] and w is not mine[0]]
        check([w["rect"] for w in covers] == [list(SECOND)], f"cover windows: {covers}")
        deadline = time.monotonic() + 10
        while black_share(screenshot(state), SECOND) < 1.0:
            check(time.monotonic() < deadline, "the second monitor is not all black")
        time.sleep(0.5)
        check(saver.running(), "ended before any input")
        sent = time.monotonic()
        xdotool(state, "mousemove", str(SECOND[0] + SECOND[2] // 2), str(SECOND[1] + SECOND[3] // 2))
        expect_quick_clean_exit(saver, "a mouse move onto the second monitor", sent)
        left = [w for w in probe(state, "windows")["windows"] if w["process"] == mine[0]["process"]]
        check(not left, f"windows left after the end: {left}")
    finally:
        saver.stop()
        rest_pointer(state)


def case_key_ends_saver(state, exe):
    saver, window = start_saver(state, exe)
    try:
        time.sleep(0.5)
        check(saver.running(), "ended before any input")
        focus(state, window)
        sent = time.monotonic()
        xdotool(state, "key", "shift")  # a modifier alone counts as a key
        expect_quick_clean_exit(saver, "Shift", sent)
    finally:
        saver.stop()


def case_click_ends_saver(state, exe):
    saver, _ = start_saver(state, exe)
    try:
        time.sleep(0.5)
        check(saver.running(), "ended before any input")
        sent = time.monotonic()
        xdotool(state, "click", "3")
        expect_quick_clean_exit(saver, "a right click", sent)
    finally:
        saver.stop()


def case_mouse_move_ends_saver(state, exe):
    saver, _ = start_saver(state, exe)
    try:
        # The first move that wine reports only records the position.
        time.sleep(1.0)
        check(saver.running(), "ended without the mouse moving")
        sent = time.monotonic()
        xdotool(state, "mousemove", str(REST[0] + 2), str(REST[1] + 1))
        expect_quick_clean_exit(saver, "a mouse move of 2 pixels", sent)
    finally:
        saver.stop()
        rest_pointer(state)


def case_resting_mouse_keeps_saver(state, exe):
    saver, _ = start_saver(state, exe)
    try:
        # A move to where the pointer already is reports the recorded position.
        xdotool(state, "mousemove", *map(str, REST))
        time.sleep(2.0)
        check(saver.running(), "ended although the mouse did not move")
    finally:
        saver.stop()


def case_second_copy_ends_at_once(state, exe):
    first, _ = start_saver(state, exe)
    try:
        second = Pelmic(state, exe, "/s")
        status, took = second.wait_exit(EXIT_LIMIT + 1.0 + start_allowance(state))
        check(status == 0, f"second copy: exit status {status}")
        check(second.trace == [], f"second copy showed something: {second.trace}")
        check(first.running(), "the first copy ended too")
        print(f"second copy ended after {took * 1000:.0f} ms")
    finally:
        first.stop()


def case_password_message(state, exe):
    program = Pelmic(state, exe, "/a")
    try:
        program.wait_for_trace(f"message: {PASSWORD_MESSAGE}")
        box = wait_for_window(state, "Pelmic")
        time.sleep(0.3)
        check(program.running(), "the message closed by itself")
        focus(state, box)
        sent = time.monotonic()
        xdotool(state, "key", "Return")
        expect_quick_clean_exit(program, "Return in the message box", sent)
    finally:
        program.stop()


DIALOG_TRACE = [
    "dialog: 設定",
    "control: Button OK(&O)",
    "control: Button Cancel",
    "control: Static 設定はありません。",
    "control: Static Pelmic",
]


def open_dialog(state, exe):
    program = Pelmic(state, exe, "/c")
    program.wait_for_trace("control: Button プレビュー(&P)")
    window = wait_for_window(state, "設定")
    check(program.trace[:len(DIALOG_TRACE)] == DIALOG_TRACE, f"dialog contents: {program.trace}")
    x, y, width, height = geometry(state, window)
    # The client area is 436 x 246; the frame adds a little.
    check(436 <= width <= 436 + 20 and 246 <= height <= 246 + 50, f"dialog size {width} x {height}")
    focus(state, window)
    return program, window


# The dialog as designed, in twips (15 to a pixel at 96 dpi): client size,
# then every control in tab order as (class, text, left, top, width, height).
# The credit line's text is free; its label must hold it on one line.
DIALOG_CLIENT_TWIPS = (6540, 3690)
DIALOG_CONTROLS_TWIPS = [
    ("Button", "OK(&O)", 960, 2880, 1335, 375),
    ("Button", "Cancel", 2820, 2880, 1335, 375),
    ("Static", "設定はありません。", 1560, 1320, 2535, 375),
    ("Static", "Pelmic", 840, 120, 2775, 735),
    ("Static", None, 2160, 2040, 1815, 495),
    ("Button", "プレビュー(&P)", 4680, 2880, 1335, 375),
]


def probe(state, *args):
    """Runs window_probe in the test's wine session; its JSON answer."""
    result = subprocess.run([*state["runner"], state["probe"], *args], env=wine_env(state),
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
    check(result.returncode == 0, f"window_probe {' '.join(args)}: status {result.returncode}")
    return json.loads(result.stdout)


def case_dialog_layout_as_designed(state, exe):
    program, _ = open_dialog(state, exe)
    try:
        dialog = probe(state, "dialog", "PelmicSettingsDialog")
        check(dialog["dpi"] == 96, f"the test display is at {dialog['dpi']} dpi, not 96")
        check(dialog["caption"] == "設定", f"caption {dialog['caption']!r}")
        client = [t // 15 for t in DIALOG_CLIENT_TWIPS]
        check(dialog["client"] == [0, 0, *client], f"client area {dialog['client']}, designed {client}")
        controls = dialog["controls"]
        check(len(controls) == len(DIALOG_CONTROLS_TWIPS), f"{len(controls)} controls: {controls}")
        for tab, (control, designed) in enumerate(zip(controls, DIALOG_CONTROLS_TWIPS)):
            kind, text, *twips = designed
            pixels = [t // 15 for t in twips]
            where = f"control {tab} ({control['text']!r})"
            check(control["class"] == kind, f"{where}: class {control['class']}, designed {kind}")
            check(text is None or control["text"] == text, f"{where}: designed text {text!r}")
            check(control["rect"] == pixels, f"{where}: rectangle {control['rect']}, designed {pixels}")
            check(control["tabstop"] == (kind == "Button"), f"{where}: tab stop {control['tabstop']}")
            check(kind == "Button" or control["lines"] == 1,
                  f"{where}: the text takes {control['lines']} lines in its label")
        buttons = [text for kind, text, *_ in DIALOG_CONTROLS_TWIPS if kind == "Button"]
        check(dialog["tab_cycle"] == buttons, f"Tab goes {dialog['tab_cycle']}, designed {buttons}")
        print(f"credit line {controls[4]['text']!r} on {controls[4]['lines']} line(s)")
    finally:
        program.stop()


def case_dialog_cancel_by_keyboard(state, exe):
    program, _ = open_dialog(state, exe)
    try:
        xdotool(state, "key", "Escape")  # no cancel button: Esc does nothing
        time.sleep(0.5)
        check(program.running(), "Esc closed the dialog")
        sent = time.monotonic()
        xdotool(state, "key", "Tab", "space")  # OK has the focus; Tab goes to Cancel
        expect_quick_clean_exit(program, "Tab and Space on Cancel", sent)
        check(program.trace[-1] == "outcome: 1", f"outcome: {program.trace[-1:]}")
    finally:
        program.stop()


def case_dialog_enter_presses_focused_button(state, exe):
    program, _ = open_dialog(state, exe)
    try:
        xdotool(state, "key", "Tab")  # from OK to Cancel
        sent = time.monotonic()
        xdotool(state, "key", "Return")
        expect_quick_clean_exit(program, "Return on Cancel", sent)
        check(program.trace[-1] == "outcome: 1", f"Return did not press Cancel: {program.trace[-1:]}")
    finally:
        program.stop()


def case_dialog_ok_by_access_key(state, exe):
    program, _ = open_dialog(state, exe)
    try:
        sent = time.monotonic()
        xdotool(state, "key", "alt+o")
        expect_quick_clean_exit(program, "Alt+O", sent)
        check(program.trace[-1] == "outcome: 0", f"outcome: {program.trace[-1:]}")
    finally:
        program.stop()


def case_dialog_closed_by_system_menu_key(state, exe):
    program, _ = open_dialog(state, exe)
    try:
        sent = time.monotonic()
        xdotool(state, "key", "alt+F4")  # the close box's command
        expect_quick_clean_exit(program, "Alt+F4", sent)
        check(program.trace[-1] == "outcome: 2", f"outcome: {program.trace[-1:]}")
    finally:
        program.stop()


def case_dialog_preview_runs_saver(state, exe):
    program, _ = open_dialog(state, exe)
    try:
        xdotool(state, "key", "alt+p")
        program.wait_for_trace("saver: shown")
        saver = wait_for_window(state, "Pelmic")
        check(geometry(state, saver) == (0, 0, *SCREEN), "the preview does not cover the screen")
        check(visible_windows(state, "設定"), "the dialog went away under the preview")
        time.sleep(0.5)
        focus(state, saver)
        sent = time.monotonic()
        xdotool(state, "key", "a")
        expect_quick_clean_exit(program, "a key in the preview", sent)
    finally:
        program.stop()


CASES = {name[len("case_"):]: f for name, f in globals().items() if name.startswith("case_")}


def run_case(args):
    with open(os.path.join(args.state, "state.json")) as f:
        state = json.load(f)
    state["probe"] = args.probe
    print(f"route: {state['route']}")
    CASES[args.name](state, args.exe)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["setup", "cleanup", "case", "list"])
    parser.add_argument("name", nargs="?")
    parser.add_argument("--state")
    parser.add_argument("--exe")
    parser.add_argument("--wine-run")
    parser.add_argument("--arch", default="win64")
    parser.add_argument("--probe")
    args = parser.parse_args()
    if args.state:
        args.state = os.path.abspath(args.state)  # wine wants an absolute prefix
    try:
        if args.command == "setup":
            setup(args)
        elif args.command == "cleanup":
            cleanup(args)
        elif args.command == "list":
            print(";".join(CASES))
        else:
            run_case(args)
    except Failure as failure:
        print(f"FAILED: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
