#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end tests of the `pelmic` program on a private Xvfb display.

    pelmic_e2e.py PATH_TO_PELMIC CASE

Each case starts its own display, so cases may run in parallel: the program
allows one copy per user and display.
"""

import os
import signal
import subprocess
import sys
import time
from functools import partial

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "harness"))
from harness import (Failure, XDisplay, check, finish, rss_kib, run_case, stop, wait_exit,  # noqa: E402
                     wait_for_handler, wait_until)

SCREEN = (1024, 768)
# Small screens for cases that need many screenshots a second.
CASE_SCREENS = {"saver_growth": (320, 240)}
# The saver must end within a second of the user's input. Elsewhere "at once"
# means "without waiting for anything": a hang shows just as well with a
# margin for a loaded machine or a sanitizer build.
EXIT_WITHIN_S = 1.0
PROMPTLY_S = 3.0


def start_saver(x, *args):
    """Starts pelmic (/S unless told) and waits until its full-screen window shows."""
    proc = x.start(PELMIC, *(args or ("/S",)))
    _, _, left, top, width, height = window_of(x, proc, "Pelmic", timeout=20)
    check((left, top, width, height) == (0, 0) + SCREEN,
          f"saver window is {width}x{height}+{left}+{top}, not the whole screen")
    return proc


def window_of(x, proc, title, timeout=10):
    """The window titled `title` once it shows; if it does not, a failure that
    tells what the screen and the process show."""
    window = x.wait_for_window(title, timeout)
    if window is None:
        raise Failure(f"no window titled {title}: {describe(x, proc)}")
    return window


def expect_exit(proc, what, within=EXIT_WITHIN_S, x=None):
    status = wait_exit(proc, within)
    if status is None:
        detail = describe(x, proc) if x else ""
        stop(proc)
        raise Failure(f"still running {within} s after {what}. {detail}")
    check(status == 0, f"exit status {status} after {what}; stderr: {proc.stderr.read().decode()}")


def expect_running(proc, what):
    check(wait_exit(proc, 0) is None, f"ended after {what} (status {proc.returncode})")


# --- the saver ----------------------------------------------------------------

def case_saver_picture(x):
    proc = start_saver(x)
    shot = x.wait_for_picture()
    check(shot.black_fraction() > 0.8, f"background is not black ({shot.black_fraction():.2f} black)")
    x.run("xdotool", "key", "space")
    expect_exit(proc, "a key")


def case_saver_growth(x):
    """The cells appear one after another: some screenshot shows all of the
    previous one's picture and more.

    A 49-site cycle is drawn in a few tens of milliseconds and a small one in
    well under one, so the screen is small (fast screenshots) and several
    cycles are watched: every cycle shows its set-up (scale bar, site circles)
    for at least one frame before its cells are added."""
    proc = start_saver(x)
    previous, grown = 0, False
    deadline = time.monotonic() + 90
    while not grown and time.monotonic() < deadline and proc.poll() is None:
        current = x.screenshot().pale_mask()
        count, before = current.bit_count(), previous.bit_count()
        lost = (previous & ~current).bit_count()
        grown = before > 0 and count >= before + 20 and lost <= before // 100
        previous = current
    stop(proc)
    check(grown, "no screenshot within 90 s showed the picture growing")


# Input that ends the saver: case: (what, xdotool arguments, whether it waits for
# the picture first, seconds it waits then).
SAVER_EXITS = {
    "saver_exit_key": ("the key a", ["key", "a"], True, 0),
    "saver_exit_modifier": ("Shift alone", ["key", "Shift_L"], False, 0),  # a key too, at once
    "saver_exit_click": ("a click", ["click", "1"], True, 0),
    # The pointer rests where the window appears: that first move event is
    # only recorded. A real move afterwards ends the saver. (On a fresh Xvfb
    # the pointer cannot be moved before a window exists, so it stays where
    # the server put it.)
    "saver_exit_move": ("a real mouse move", ["mousemove_relative", "40", "30"], True, 1.5),
}


def saver_exit(what, action, picture_first, rest, x):
    proc = start_saver(x)
    if picture_first:
        x.wait_for_picture()
    time.sleep(rest)
    expect_running(proc, "the window appeared under a resting pointer")
    x.run("xdotool", *action)
    expect_exit(proc, what)


def case_second_copy(x):
    first = start_saver(x)
    for args in (["/S"], ["/c"], []):
        status = finish(x.start(PELMIC, *args), PROMPTLY_S)
        check(status == 0, f"second copy with {args or 'no arguments'} did not end at once: {status}")
    check(sum(1 for w in x.top_windows() if w[1] in ("Pelmic", "設定")) == 1,
          "a second copy opened a window")
    expect_running(first, "a second copy started")
    x.run("xdotool", "key", "Escape")
    expect_exit(first, "a key")


# --- inside a daemon's window -------------------------------------------------

def foreign_window(x, geometry, title):
    """A window of another program (xlogo, all black) to draw into, as a
    daemon would hand one: (process, id of xlogo's drawing area, its bounds)."""
    proc = subprocess.Popen(["xlogo", "-geometry", geometry, "-title", title, "-bg", "black", "-fg", "black"],
                            env=x.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    top = x.wait_for_window(title)
    if top is None:
        stop(proc)
        raise Failure("xlogo did not open its window")
    child = x.run("xwininfo", "-id", top[0], "-children").split("child:")[-1].split()[0]
    return proc, child, x.geometry(child)


def start_embedded(x, *args, window=None):
    return x.start(PELMIC, *args, env=None if window is None else {"XSCREENSAVER_WINDOW": window})


def run_briefly(x, args, window):
    """Runs pelmic that should end at once: (status or None, stdout, stderr)."""
    proc = start_embedded(x, *args, window=window)
    status = finish(proc, PROMPTLY_S)
    return status, proc.stdout.read().decode(), proc.stderr.read().decode()


def case_embedded(x):
    """The daemon's way (--root, its window in XSCREENSAVER_WINDOW) in a
    preview-sized window, and a locker's way (-window-id) in a 1x1 window, at
    the same time: no single-instance lock, no window of our own, input left
    to the window's owner, SIGTERM a clean end."""
    logo, area, bounds = foreign_window(x, "200x150+0+0", "preview")
    tiny, tiny_area, tiny_bounds = foreign_window(x, "1x1+600+500", "tiny")
    try:
        daemon = start_embedded(x, "--root", window=area)
        locker = start_embedded(x, "-window-id", str(int(tiny_area, 16)))
        if not wait_until(lambda: x.screenshot().pale_count(bounds), 10):
            raise Failure(f"nothing pale in the daemon's window: {describe(x, daemon)}")
        shot = x.screenshot()
        check(shot.pale_count() == shot.pale_count(bounds) + shot.pale_count(tiny_bounds),
              "drawn outside the given windows")
        check(not [w for w in x.top_windows() if w[1] == "Pelmic"], "a window of its own opened")
        x.run("xdotool", "mousemove", "100", "75", "click", "1", "key", "a", "mousemove", "300", "300")
        time.sleep(1)
        for proc in (daemon, locker):
            expect_running(proc, "input in the daemon's window")
            proc.send_signal(signal.SIGTERM)
            expect_exit(proc, "SIGTERM")
        check(x.top_windows() and logo.poll() is None, "the daemon's window went away")
    finally:
        stop(logo)
        stop(tiny)


def case_embedded_bad_window(x):
    for args, window in ((["-window-id", "abc"], None), (["--window-id", "0x1fffffe"], None), (["-window-id"], None),
                         (["--root"], "junk"), ([], "0x1fffffe")):
        status, _, message = run_briefly(x, args, window)
        check(status == 2 and message.startswith("pelmic: "),
              f"{args} with XSCREENSAVER_WINDOW={window}: status {status}, stderr {message!r}")
    check(not x.top_windows(), "a bad window id opened a window")
    # Nowhere to show: status 1, not a saver that draws for no one.
    nowhere = x.start(PELMIC, "/S", env={"DISPLAY": "", "WAYLAND_DISPLAY": "", "XDG_RUNTIME_DIR": "/nonexistent"})
    check(finish(nowhere, PROMPTLY_S) == 1, "/S with no display did not end with status 1")


def case_embedded_window_lost(x):
    """The daemon destroys its window without a signal: before the saver
    starts drawing, the saver reports it with status 2 and a message; while the
    cycle draws, or in the pause (the picture has stopped changing), it ends at
    once with status 0."""
    for moment in ("start", "drawing", "pause"):
        logo, area, bounds = foreign_window(x, "200x150+0+0", "daemon")
        if moment == "start":
            # Held before it runs, so that the window is surely gone first.
            proc = x.start("sh", "-c", 'kill -STOP $$; exec "$0" "$@"', PELMIC, "--root",
                           env={"XSCREENSAVER_WINDOW": area})
            check(wait_until(lambda: open(f"/proc/{proc.pid}/stat").read().split()[2] == "T", 10),
                  "the held saver never stopped")
        else:
            proc = start_embedded(x, "--root", window=area)
            seen = []

            def reached():
                seen.append(x.screenshot().pale_count(bounds))
                settled = len(seen) > 1 and seen[-1] == seen[-2]
                return seen[-1] > 0 and (moment == "drawing" or settled)
            check(wait_until(reached, 10), f"the daemon's window never showed the {moment}")
        stop(logo)  # the server destroys the windows of a client that is gone
        if moment == "start" and wait_until(lambda: not x.run("xwininfo", "-id", area, check=False), 10):
            proc.send_signal(signal.SIGCONT)
        lost = time.monotonic()
        status = finish(proc, EXIT_WITHIN_S)
        print(f"window lost at {moment}: status {status} after {1e3 * (time.monotonic() - lost):.0f} ms")
        error = proc.stderr.read().decode()
        check(status == (2 if moment == "start" else 0) and error.startswith("pelmic: ") == (moment == "start"),
              f"window lost at {moment}: status {status}, stderr {error!r}")


# --- signals ------------------------------------------------------------------

def case_signal_any_moment(x):
    """SIGTERM or SIGINT at any moment from the start of main (nothing can
    catch a signal while the system is still loading the program): start-up,
    window creation, the cycle, a dialog, a daemon's window destroyed as the
    signal comes; a parent that blocked and ignored SIGTERM. The program ends
    with status 0 and leaves nothing behind."""
    deaf = (sys.executable, "-c", "import os, signal, sys; signal.pthread_sigmask(signal.SIG_BLOCK, [signal.SIGTERM]); "
            "signal.signal(signal.SIGTERM, signal.SIG_IGN); os.execv(sys.argv[1], sys.argv[1:])", PELMIC)
    for args, lost in ((["-root"], 0), (["/S"], 0), (["/c"], 0), (["/a"], 0), (["--root"], 1), (["/S"], "deaf")):
        for n, delay in enumerate((0.0, 0.005, 0.02, 0.2)):
            signum = (signal.SIGTERM, signal.SIGINT)[n % 2]
            what = f"{signum.name} {1e3 * delay:.0f} ms into {' '.join(args)}{' as its window goes' * (lost == 1)}{' (SIGTERM blocked)' * (lost == 'deaf')}"
            daemon = foreign_window(x, "200x150+0+0", "daemon") if lost == 1 else None
            proc = x.start(*deaf, *args) if lost == "deaf" else start_embedded(x, *args, window=daemon[1] if daemon else None)
            wait_for_handler(proc)
            time.sleep(delay)
            if daemon:
                stop(daemon[0])  # the server destroys a gone client's windows
            proc.send_signal(signum)
            expect_exit(proc, what, PROMPTLY_S, x)
            check(wait_until(lambda: not x.programs() and not x.top_windows(), PROMPTLY_S),
                  f"left behind after {what}: processes {x.programs()}, windows {x.top_windows()}")


# --- the other switches -------------------------------------------------------

def case_switches_end_at_once(x):
    """/p, whatever XSCREENSAVER_WINDOW holds, and --help, -h, --version:
    status 0 without a window."""
    root = x.run("xwininfo", "-root").split("Window id: ")[1].split()[0]
    for args, window, prints in ((["/p", "1234"], None, ""), (["/p"], root, ""), (["/P"], "junk", ""),
                                 (["--help"], None, "man 6 pelmic"), (["-h"], root, "-window-id ID"),
                                 (["--version"], None, "pelmic 1.")):
        status, out, _ = run_briefly(x, args, window)
        check(status == 0 and prints in out and (prints or not out),
              f"{args} with XSCREENSAVER_WINDOW={window}: status {status}, output {out!r}")
    check(not x.top_windows(), "a switch that ends at once opened a window")


BUTTON_FILL = (105, 102, 99)  # SDL's message box button colour


def buttons_drawn(x, wid):
    shot = x.screenshot(wid)
    return any(shot.runs_of(BUTTON_FILL, y) for y in range(shot.height // 2, shot.height, 4))


def settled(x, window):
    """The window once SDL has drawn it and moved it to its place: message
    boxes are created at the corner and centred a moment later."""
    wid, title = window[:2]
    previous, deadline = None, time.monotonic() + 5
    while time.monotonic() < deadline:
        current = next((w for w in x.top_windows() if w[0] == wid), None)
        if current is not None and current == previous and buttons_drawn(x, wid):
            return current
        previous = current
        time.sleep(0.1)
    raise Failure(f"window {title} never settled")


def focus_on(x, window):
    """Without a window manager the keyboard follows the pointer. Returns the
    window's settled geometry."""
    window = settled(x, window)
    _, _, left, top, width, height = window
    x.run("xdotool", "mousemove", str(left + width // 2), str(top + height // 4))
    return window


def case_password_message(x):
    proc = x.start(PELMIC, "/a")
    box = window_of(x, proc, "Pelmic")
    check(box[4] < SCREEN[0] and box[5] < SCREEN[1], "the message box covers the screen")
    expect_running(proc, "showing the message box")
    focus_on(x, box)
    x.run("xdotool", "key", "Return")
    expect_exit(proc, "Return in the message box", PROMPTLY_S)


def describe(x, proc):
    """What the screen and the process look like, for a failure message."""
    status = proc.poll()
    if status is None:
        stop(proc)
    return (f"process {'ran' if status is None else f'had ended with {status}'}; windows: {x.top_windows()}; "
            f"stderr: {proc.stderr.read().decode(errors='replace').strip()!r}")


def open_settings(x, *args):
    proc = x.start(PELMIC, *args)
    return proc, focus_on(x, window_of(x, proc, "設定"))


def case_settings_keys(x):
    # Escape is Cancel, Return is OK: both end the program without a saver.
    for args, key in ((["/c"], "Escape"), ([], "Return"), (["/C:1234"], "Escape")):
        proc, _ = open_settings(x, *args)
        x.run("xdotool", "key", key)
        expect_exit(proc, f"{key} in the settings dialog", PROMPTLY_S, x)
        check(not x.top_windows(), f"a window is left after {key}")


def preview_button_centre(x, dialog):
    """Screen position of the rightmost button: Preview comes after OK and Cancel."""
    wid, _, left, top, _, _ = dialog
    shot = x.screenshot(wid)
    rows = [y for y in range(shot.height) if len(
        [r for r in shot.runs_of(BUTTON_FILL, y) if r[1] - r[0] >= 40]) == 3]
    check(rows, "no row of three buttons in the settings dialog")
    y = rows[len(rows) // 2]
    start, end = [r for r in shot.runs_of(BUTTON_FILL, rows[0]) if r[1] - r[0] >= 40][-1]
    return left + (start + end) // 2, top + y


def case_settings_preview(x):
    proc, dialog = open_settings(x, "/c")
    px, py = preview_button_centre(x, dialog)
    x.run("xdotool", "mousemove", str(px), str(py), "click", "1")
    saver = window_of(x, proc, "Pelmic")
    check(saver[4:] == SCREEN, "the preview is not full screen")
    x.wait_for_picture()
    time.sleep(1)
    expect_running(proc, "Preview")
    x.run("xdotool", "key", "q")
    expect_exit(proc, "a key in the preview")


def case_soak(x):
    """A minute of cycles: the saver's memory stays flat."""
    proc = start_saver(x)
    time.sleep(10)
    expect_running(proc, "10 s")
    early = rss_kib(proc.pid)
    time.sleep(50)
    expect_running(proc, "60 s")
    late = rss_kib(proc.pid)
    print(f"RSS at 10 s: {early} KiB, at 60 s: {late} KiB")
    x.run("xdotool", "key", "space")
    expect_exit(proc, "a key after 60 s")
    check(abs(late - early) <= early / 10, f"RSS went from {early} KiB to {late} KiB")


CASES = {name[len("case_"):]: f for name, f in globals().items() if name.startswith("case_")}
CASES.update({name: partial(saver_exit, *row) for name, row in SAVER_EXITS.items()})


def main():
    global PELMIC, SCREEN
    PELMIC, name = sys.argv[1], sys.argv[2]
    SCREEN = CASE_SCREENS.get(name, SCREEN)
    return run_case(CASES[name], name, XDisplay.xvfb(*SCREEN))


if __name__ == "__main__":
    sys.exit(main())
