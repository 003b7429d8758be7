"""The X helpers that the SDL drivers used from here now live in the shared
harness (tests/harness/harness.py); kept under their old names for drivers
that still import them from here."""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "harness"))
from harness import (Image, XDisplay, finish, processes, rss_kib, stop, wait_exit,  # noqa: E402,F401
                     wait_for_handler, wait_until)


def XvfbDisplay(width=1024, height=768):
    """A context manager: a running Xvfb of width x height."""
    return XDisplay.xvfb(width, height)
