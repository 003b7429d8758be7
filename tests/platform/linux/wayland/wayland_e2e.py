#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end tests of `pelmic` on a Wayland desktop with no X server: a
private headless sway.

    wayland_e2e.py PATH_TO_PELMIC CASE

Each case starts its own sway in a runtime folder of its own, so cases may run
in parallel. Keys come from wtype; moves and clicks from a virtual pointer,
which GTK's message boxes (zenity) answer as well; wtype's keys never reach
them here.
"""

import json
import os
import shutil
import signal
import socket
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))  # pelmic_e2e
from pelmic_e2e import EXIT_WITHIN_S, PROMPTLY_S, Failure, check, describe, expect_exit, expect_running  # noqa: E402
from waysession import SwayDisplay, image_from_ppm  # noqa: E402
from wayland_pointer import VirtualPointer  # noqa: E402
from harness import finish, run_case, stop, wait_exit, wait_for_handler, wait_for_picture, wait_until  # noqa: E402

SCREEN = (1280, 720)
SECOND = (800, 600)  # a second output, right of the first


def start_saver(way, *args, count=1):
    """Starts pelmic (/S unless told); its process once its `count` windows show."""
    proc = way.start(PELMIC, *(args or ("/S",)))
    if not way.wait_for_window("Pelmic", timeout=20, count=count):
        raise Failure(f"no {count} windows titled Pelmic appeared: {describe(way, proc)}")
    return proc


def pointer(way):
    return VirtualPointer(way.env["WAYLAND_DISPLAY"])


# --- the saver ----------------------------------------------------------------

def case_saver_outputs(way):
    """At each pair of scales, the diagram full screen on the first output,
    the second black, and a key ends it. Then an output connected while the
    saver runs is covered in black."""
    for scales in (("1", "1"), ("1", "1.5"), ("1.5", "1"), ("2", "1.5")):
        for name, left in zip(way.outputs, (0, int(SCREEN[0] / float(scales[0])))):
            way.run("swaymsg", "output", name, "scale", scales[1 if left else 0], "pos", str(left), "0")
        proc = start_saver(way, count=2)
        layout = json.loads(way.run("swaymsg", "-t", "get_outputs", "-r"))
        areas = [(o["name"], True, tuple(o["rect"][k] for k in ("x", "y", "width", "height"))) for o in layout]
        placed = sorted((w[0], w[3], w[4]) for w in way.windows() if w[1] == "Pelmic")
        check(placed == sorted(areas), f"at scales {scales} windows are {placed}, not full screen on {areas}")
        shot = wait_for_picture(way)
        check(shot.black_fraction() > 0.8, f"at scales {scales} background is {shot.black_fraction():.2f} black")
        cover = way.screenshot("HEADLESS-2")
        check(cover.black_fraction() == 1.0, f"at scales {scales} second output is {cover.black_fraction():.3f} black")
        way.type_key("a")
        expect_exit(proc, f"the key a at scales {scales}", EXIT_WITHIN_S + 0.6, way)
    proc = start_saver(way, count=2)
    way.run("swaymsg", "create_output")
    covered = lambda: way.run("grim", "-o", "HEADLESS-3", "-t", "ppm", "-", check=False)
    check(wait_until(lambda: (shot := covered()) and image_from_ppm(shot).black_fraction() == 1.0, PROMPTLY_S),
          f"an output connected while the saver runs is not black: {way.windows()}")
    expect_running(proc, "an output connected")
    stop(proc)


def case_saver_input(way):
    """Each kind of input on its own saver: what ends it, and what only
    records the pointer's first position. wtype and the virtual pointer need
    a moment before their device exists."""
    enter = lambda p: p.move(0, 0)  # the pointer appears where it rests: recorded only
    total = (SCREEN[0] + SECOND[0], max(SCREEN[1], SECOND[1]))  # the layout both outputs make
    cases = (
        ("the key a", lambda p: way.type_key("a"), True),
        ("Shift alone", lambda p: way.type_key("Shift_L"), True),
        ("the pointer appearing at rest", enter, False),
        ("a real move", lambda p: (enter(p), p.move(40, 30)), True),
        ("a move on the second output", lambda p: (enter(p), p.move_to(SCREEN[0] + 100, 100, total)), True),
        ("a click", lambda p: (enter(p), p.click()), True),
    )
    for what, act, ends in cases:
        proc = start_saver(way, count=2)
        wait_for_picture(way)
        with pointer(way) as device:
            act(device)
            time.sleep(1.0 if not ends else 0)
            if ends:
                expect_exit(proc, what, EXIT_WITHIN_S + 0.6, way)
            else:
                expect_running(proc, what)
        stop(proc)
        check(wait_until(lambda: not way.windows(), PROMPTLY_S), f"windows left after {what}: {way.windows()}")


def case_signals(way):
    """SIGTERM and SIGINT at start-up, in the cycle, and while a silent compositor
    keeps the saver waiting: status 0, no window left; unsignalled, status 1."""
    silent = dict(way.env, WAYLAND_DISPLAY=os.path.join(way.runtime, "silent-0"))
    listener = socket.socket(socket.AF_UNIX)  # takes connections, never answers
    listener.bind(silent["WAYLAND_DISPLAY"])
    listener.listen()
    os.chmod(silent["WAYLAND_DISPLAY"], 0o777)
    for signum in (signal.SIGTERM, signal.SIGINT):
        for delay, env in ((0.0, None), (0.02, None), (1.0, None), (0.0, silent), (1.0, silent)):
            what = f"{signum.name} {1e3 * delay:.0f} ms into /S{' on a silent compositor' if env else ''}"
            proc = way.start(PELMIC, "/S", env=env)
            wait_for_handler(proc)
            time.sleep(delay)
            proc.send_signal(signum)
            expect_exit(proc, what, PROMPTLY_S, way)
            check(wait_until(lambda: not way.windows(), PROMPTLY_S), f"windows left after {what}: {way.windows()}")
    proc = way.start(PELMIC, "/S", env=silent)
    status = finish(proc, 30)
    check(status == 1, f"status {status} on a silent compositor: {proc.stderr.read().decode()!r}")


def case_second_copy(way):
    first = start_saver(way)
    for args in (["/S"], ["/c"], []):
        second = way.start(PELMIC, *args)
        status = wait_exit(second, PROMPTLY_S)
        if status is None:
            stop(second)
        check(status == 0, f"second copy with {args or 'no arguments'} did not end at once: {status}")
    check(len(way.windows()) == 1, f"a second copy opened a window: {way.windows()}")
    expect_running(first, "a second copy started")
    way.type_key("Escape")
    expect_exit(first, "a key", EXIT_WITHIN_S + 0.6, way)


def case_idle_daemon(way):
    """swayidle starts the saver once the seat is idle (a headless seat has
    no devices: idle at once), and a typed key ends the saver with 0."""
    status_file = os.path.join(way.runtime, "status")
    command = f"{PELMIC} /S; echo $? > {status_file}"
    daemon = way.start("swayidle", "-w", "timeout", "1", command)
    try:
        if not way.wait_for_window("Pelmic", timeout=20):
            raise Failure(f"swayidle did not start the saver: {describe(way, daemon)}")
        wait_for_picture(way)
        way.type_key("a")
        check(wait_until(lambda: os.path.exists(status_file) and open(status_file).read().strip(), 5),
              "the saver did not end after a key")
        status = open(status_file).read().strip()
        check(status == "0", f"the saver ended with status {status}")
    finally:
        stop(daemon)


# --- message boxes (zenity) ---------------------------------------------------

def click_button(way, window, which):
    """Clicks a message box's button: "left", "middle" or "right" of its row
    (one button sits at the right)."""
    x, y, width, height = window[4]
    column = {"left": x + 40, "middle": x + width // 2, "right": x + width - 40}[which]
    with pointer(way) as device:
        device.move_to(column, y + height - 20, SCREEN)
        device.click()


def case_message_boxes(way):
    """/A's box, and the settings dialog's OK, Cancel and Preview: the
    preview is the saver, full screen, and a key ends it."""
    for args, title, button, saver in ((["/a"], "Pelmic", "right", False), (["/c"], "設定", "left", False),
                                       ([], "設定", "middle", False), (["/C"], "設定", "right", True)):
        what = f"{button} button of {' '.join(args) or 'no arguments'}"
        proc = way.start(PELMIC, *args)
        box = way.wait_for_window(title)
        if not box:
            raise Failure(f"no box titled {title} for {args}: {describe(way, proc)}")
        check(box[0][2] == "zenity" and not box[0][3], f"the box is {box[0]}")
        time.sleep(0.5)  # drawn and placed
        click_button(way, box[0], button)
        if saver:
            if not way.wait_for_window("Pelmic", timeout=10):
                raise Failure(f"Preview did not start the saver: {describe(way, proc)}")
            check([w[:2] for w in way.windows()] == [("HEADLESS-1", "Pelmic")], f"windows: {way.windows()}")
            wait_for_picture(way)
            way.type_key("q")
        expect_exit(proc, what, PROMPTLY_S, way)
        check(wait_until(lambda: not way.windows(), PROMPTLY_S), f"windows left after {what}: {way.windows()}")


CASE_OUTPUTS = {"saver_outputs": [SECOND], "saver_input": [SECOND]}


def main():
    global PELMIC
    program, name = sys.argv[1], sys.argv[2]
    # As root, sway and its clients run as nobody, who may not reach the build
    # (a clone in root's 0700 home): a copy in a folder anyone may pass through.
    with tempfile.TemporaryDirectory() as folder:
        os.chmod(folder, 0o711)
        PELMIC = shutil.copy(program, folder)
        os.chmod(PELMIC, 0o755)
        return run_case(globals()[f"case_{name}"], name, SwayDisplay(SCREEN, CASE_OUTPUTS.get(name, [])))


if __name__ == "__main__":
    sys.exit(main())
