#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end tests of pelmic.scr: a build runs under wine on a private X
display with two monitors and is driven with xdotool like a user would. The
x86_64 build runs under wine64, the shipped i686 one under 32-bit wine,
natively or emulated (tests/harness/wine-run.sh picks the route; setup and
every case say which ran).

  e2e.py setup   --state DIR --wine-run WRAPPER --arch win64|win32 --exe PELMIC   (ctest fixture)
  e2e.py case NAME --state DIR --exe PELMIC --probe WINDOW_PROBE
  e2e.py cleanup --state DIR

setup creates (or reuses) a wine prefix under DIR, starts the display
(tests/harness/harness.py) and a persistent wineserver, and writes
DIR/state.json; every case reads it. The program's PELMIC_TRACE output tells
which texts it showed; window_probe reads its windows through the Win32
window tree.
"""
import argparse
import json
import os
import re
import subprocess
import sys
import threading
import time
from functools import partial

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "harness"))
from harness import Failure, XDisplay, check, processes, stop, wait_until  # noqa: E402

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


class Session:
    """What setup leaves for the cases (DIR/state.json): the wine prefix, the
    display with its two monitors, the runner and the 32-bit route it took."""

    def __init__(self, state, exe=None, probe=None):
        self.state, self.exe, self.probe_exe = state, exe, probe
        self.runner, self.route = state["runner"], state["route"]
        self.x = XDisplay(state["display"], state["server_pids"])
        self.env = dict(self.x.env, WINEPREFIX=state["prefix"], WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml=", PELMIC_TRACE="1")

    def save(self, directory):
        with open(os.path.join(directory, "state.json"), "w") as f:
            json.dump(self.state, f)

    @staticmethod
    def load(directory, **programs):
        with open(os.path.join(directory, "state.json")) as f:
            return Session(json.load(f), **programs)


# ---------------------------------------------------------------- the fixture

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
    x = XDisplay.xinerama([SCREEN, SECOND[2:]])
    s = Session({"prefix": prefix, "display": x.number, "server_pids": x.pids, "runner": runner,
                 "route": "wine64"})
    # Written at once, so that cleanup finds the X server whatever happens next.
    s.save(args.state)
    start_wineserver(s.env)
    # The first program of a session also starts wine's desktop process; pay
    # for that here rather than inside a timed case.
    # Its errors go to a file: wine's desktop processes inherit the stream and
    # outlive the program, so a pipe would not end.
    errors_path = os.path.join(args.state, "first-run.err")
    with open(errors_path, "w") as errors:
        subprocess.run([*runner, args.exe, "/p"], env=s.env, timeout=120, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=errors)
    with open(errors_path) as errors:
        route = re.search(r"32-bit route: (\w+)", errors.read())
    if route:
        s.state["route"] = route.group(1)
    s.save(args.state)
    print(f"route: {s.state['route']}")
    rest_pointer(s)


def cleanup(args):
    if not os.path.exists(os.path.join(args.state, "state.json")):
        return
    s = Session.load(args.state)
    subprocess.run([WINESERVER, "-k"], env=s.env, stderr=subprocess.DEVNULL)
    s.x.close()
    os.remove(os.path.join(args.state, "state.json"))


# ------------------------------------------------------------------ helpers

def xdotool(s, *args):
    return s.x.run("xdotool", *args, check=False).split()


class Pelmic:
    """One running pelmic.scr with its trace lines collected as they come."""

    def __init__(self, s, *args):
        self.process = subprocess.Popen([*s.runner, s.exe, *args], env=s.env,
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
        stop(self.process)


def wait_for_window(s, name, timeout=10.0):
    """(id, title, left, top, width, height) of the visible window called `name`."""
    window = s.x.wait_for_window(name, timeout)
    check(window, f"no visible window named {name!r} within {timeout} s")
    return window


def focus(s, window):
    xdotool(s, "windowfocus", "--sync", window[0])


def rest_pointer(s):
    xdotool(s, "mousemove", *map(str, REST))


def start_saver(s):
    rest_pointer(s)
    saver = Pelmic(s, "/s")
    saver.wait_for_trace("saver: shown")
    return saver, wait_for_window(s, "Pelmic")


def expect_end_by(s, program, action, what, window=None):
    """Sends input (xdotool arguments), to `window` if given, and expects the
    program to end with status 0 within EXIT_LIMIT of it."""
    if window:
        focus(s, window)
    sent = time.monotonic()
    xdotool(s, *action)
    status, took = program.wait_exit(EXIT_LIMIT, sent)
    check(status == 0, f"exit status {status} after {what}")
    print(f"ended {took * 1000:.0f} ms after {what}")


# -------------------------------------------------------------------- cases

def start_allowance(s):
    return START_ALLOWANCE.get(s.route, 0.0)


def case_preview_ends_at_once(s):
    program = Pelmic(s, "/p")
    status, took = program.wait_exit(EXIT_LIMIT + start_allowance(s))
    check(status == 0, f"exit status {status}")
    check(program.trace == [], f"showed something: {program.trace}")
    check(not s.x.top_windows("Pelmic"), "a Pelmic window is left on the screen")
    print(f"/p ended after {took * 1000:.0f} ms")


def wine_debuggers(s):
    """Pids of winedbg processes in the test prefix."""
    return processes([f"WINEPREFIX={s.state['prefix']}"], command_part=b"winedbg")


def case_crash_ends_at_once(s):
    """A crash under the test prefix fails at once and leaves nothing running:
    no debugger starts and waits there. A breakpoint that nothing handles
    stands in for the crash."""
    limit = 10 + start_allowance(s)
    started = time.monotonic()
    try:
        crash = subprocess.run([*s.runner, "rundll32.exe", "kernel32.dll,DebugBreak"], env=s.env,
                               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                               timeout=limit)
    except subprocess.TimeoutExpired:
        raise Failure(f"the crash still ran after {limit} s; debuggers in the prefix: {wine_debuggers(s)}")
    check(crash.returncode != 0, "the crash ended with status 0")
    check(not wine_debuggers(s), f"a debugger is left in the prefix: {wine_debuggers(s)}")
    print(f"the crash ended with status {crash.returncode} after {(time.monotonic() - started) * 1000:.0f} ms")


def case_saver_draws_pale_on_black(s):
    started = time.monotonic()
    saver, window = start_saver(s)
    try:
        check(window[2:] == (0, 0, *SCREEN), f"window geometry {window[2:]}")
        shot = s.x.wait_for_picture(15)
        print(f"first pale pixels {time.monotonic() - started:.2f} s after start")
        # Thin lines and small text: the screen stays mostly black.
        check(shot.black_count() > SCREEN[0] * SCREEN[1] * 0.7, f"only {shot.black_count()} black pixels")
        check(saver.running(), "the saver ended by itself")
    finally:
        saver.stop()


def case_saver_covers_every_monitor(s):
    monitors = probe(s, "monitors")["monitors"]
    check(monitors == [[0, 0, *SCREEN], list(SECOND)], f"wine reports the monitors {monitors}")
    saver, _ = start_saver(s)
    try:
        windows = probe(s, "windows")["windows"]
        mine = [w for w in windows if w["text"] == "Pelmic"]
        check(len(mine) == 1 and mine[0]["rect"] == [0, 0, *SCREEN], f"saver windows: {windows}")
        covers = [w for w in windows if w["process"] == mine[0]["process"] and w is not mine[0]]
        check([w["rect"] for w in covers] == [list(SECOND)], f"cover windows: {covers}")
        check(wait_until(lambda: s.x.screenshot().black_fraction(SECOND) == 1.0, 10),
              "the second monitor is not all black")
        time.sleep(0.5)
        check(saver.running(), "ended before any input")
        expect_end_by(s, saver, ["mousemove", str(SECOND[0] + SECOND[2] // 2), str(SECOND[1] + SECOND[3] // 2)],
                      "a mouse move onto the second monitor")
        left = [w for w in probe(s, "windows")["windows"] if w["process"] == mine[0]["process"]]
        check(not left, f"windows left after the end: {left}")
    finally:
        saver.stop()
        rest_pointer(s)


# Input to a running saver, by case: (seconds it runs first, whether its window
# takes the focus first, the input as xdotool arguments, what it is, whether
# it ends the saver).
SAVER_INPUT = {
    "key_ends_saver": (0.5, True, ["key", "shift"], "Shift", True),  # a modifier alone counts as a key
    "click_ends_saver": (0.5, False, ["click", "3"], "a right click", True),
    # The first move that wine reports only records the position.
    "mouse_move_ends_saver": (1.0, False, ["mousemove", str(REST[0] + 2), str(REST[1] + 1)],
                              "a mouse move of 2 pixels", True),
    # A move to where the pointer already is reports the recorded position.
    "resting_mouse_keeps_saver": (0.0, False, ["mousemove", *map(str, REST)], "a move to the resting place", False),
}


def saver_input(runs_first, focus_first, action, what, ends, s):
    saver, window = start_saver(s)
    try:
        time.sleep(runs_first)
        check(saver.running(), "ended before any input")
        if ends:
            expect_end_by(s, saver, action, what, window if focus_first else None)
        else:
            xdotool(s, *action)
            time.sleep(2.0)
            check(saver.running(), f"ended after {what}")
    finally:
        saver.stop()
        rest_pointer(s)


def case_second_copy_ends_at_once(s):
    first, _ = start_saver(s)
    try:
        second = Pelmic(s, "/s")
        status, took = second.wait_exit(EXIT_LIMIT + 1.0 + start_allowance(s))
        check(status == 0, f"second copy: exit status {status}")
        check(second.trace == [], f"second copy showed something: {second.trace}")
        check(first.running(), "the first copy ended too")
        print(f"second copy ended after {took * 1000:.0f} ms")
    finally:
        first.stop()


def case_password_message(s):
    program = Pelmic(s, "/a")
    try:
        program.wait_for_trace(f"message: {PASSWORD_MESSAGE}")
        box = wait_for_window(s, "Pelmic")
        time.sleep(0.3)
        check(program.running(), "the message closed by itself")
        expect_end_by(s, program, ["key", "Return"], "Return in the message box", box)
    finally:
        program.stop()


DIALOG_TRACE = [
    "dialog: 設定",
    "control: Button OK(&O)",
    "control: Button Cancel",
    "control: Static 設定はありません。",
    "control: Static Pelmic",
]


def open_dialog(s):
    program = Pelmic(s, "/c")
    program.wait_for_trace("control: Button プレビュー(&P)")
    window = wait_for_window(s, "設定")
    check(program.trace[:len(DIALOG_TRACE)] == DIALOG_TRACE, f"dialog contents: {program.trace}")
    width, height = window[4:]
    # The client area is 436 x 246; the frame adds a little.
    check(436 <= width <= 436 + 20 and 246 <= height <= 246 + 50, f"dialog size {width} x {height}")
    focus(s, window)
    return program


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


def probe(s, *args):
    """Runs window_probe in the test's wine session; its JSON answer."""
    result = subprocess.run([*s.runner, s.probe_exe, *args], env=s.env,
                            stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=60)
    check(result.returncode == 0, f"window_probe {' '.join(args)}: status {result.returncode}")
    return json.loads(result.stdout)


def case_dialog_layout_as_designed(s):
    program = open_dialog(s)
    try:
        dialog = probe(s, "dialog", "PelmicSettingsDialog")
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


# Keys that close the settings dialog, by case: (keys that must not, the keys,
# what they are, the dialog's outcome: 0 OK, 1 Cancel, 2 closed). OK has the
# focus at first; Tab moves it to Cancel.
DIALOG_KEYS = {
    "dialog_cancel_by_keyboard": (["Escape"], ["Tab", "space"], "Tab and Space on Cancel", 1),  # no cancel button
    "dialog_enter_presses_focused_button": ([], ["Tab", "Return"], "Return on Cancel", 1),
    "dialog_ok_by_access_key": ([], ["alt+o"], "Alt+O", 0),
    "dialog_closed_by_system_menu_key": ([], ["alt+F4"], "Alt+F4", 2),  # the close box's command
}


def dialog_keys(harmless, keys, what, outcome, s):
    program = open_dialog(s)
    try:
        if harmless:
            xdotool(s, "key", *harmless)
            time.sleep(0.5)
            check(program.running(), f"{' '.join(harmless)} closed the dialog")
        expect_end_by(s, program, ["key", *keys], what)
        check(program.trace[-1] == f"outcome: {outcome}", f"outcome after {what}: {program.trace[-1:]}")
    finally:
        program.stop()


def case_dialog_preview_runs_saver(s):
    program = open_dialog(s)
    try:
        xdotool(s, "key", "alt+p")
        program.wait_for_trace("saver: shown")
        saver = wait_for_window(s, "Pelmic")
        check(saver[2:] == (0, 0, *SCREEN), "the preview does not cover the screen")
        check(s.x.top_windows("設定"), "the dialog went away under the preview")
        time.sleep(0.5)
        expect_end_by(s, program, ["key", "a"], "a key in the preview", saver)
    finally:
        program.stop()


CASES = {name[len("case_"):]: f for name, f in globals().items() if name.startswith("case_")}
CASES.update({name: partial(saver_input, *row) for name, row in SAVER_INPUT.items()})
CASES.update({name: partial(dialog_keys, *row) for name, row in DIALOG_KEYS.items()})


def run_case(args):
    s = Session.load(args.state, exe=args.exe, probe=args.probe)
    print(f"route: {s.route}")
    CASES[args.name](s)


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
