#!/usr/bin/env python3
"""gtest-xml-verdict.py RUNNER... PROGRAM [ARGS...]

Runs a GoogleTest program through RUNNER (a wine wrapper) and judges it by its
XML report instead of its exit status, which cannot be trusted where 32-bit
wine runs under qemu-i386: a Windows exception raised while a second thread
lives can crash, hang or end the process with any status, 0 included.

Passes when the report exists, lists at least one test that ran, and shows no
failure and no error. Listing the tests (--gtest_list_tests) passes straight
through. Used as the i686 build's cross-compiling emulator.
"""
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree


def verdict(report_path):
    """(passed, reason) from a GoogleTest XML report."""
    if not os.path.exists(report_path) or os.path.getsize(report_path) == 0:
        return False, "no XML report: the program ended before writing it"
    try:
        root = ElementTree.parse(report_path).getroot()
    except ElementTree.ParseError as error:
        return False, f"broken XML report: {error}"
    cases = root.findall(".//testcase")
    ran = [c for c in cases if c.get("status", "run") == "run" and c.get("result", "completed") != "skipped"]
    broken = [c for c in cases if c.find("failure") is not None or c.find("error") is not None]
    if broken:
        names = ", ".join(f"{c.get('classname')}.{c.get('name')}" for c in broken)
        return False, f"failed by the XML report: {names}"
    if int(root.get("failures", "0")) or int(root.get("errors", "0")):
        return False, "the XML report counts failures or errors"
    if not ran:
        return False, "the XML report shows no test that ran"
    return True, f"{len(ran)} test(s) passed by the XML report"


def main(argv):
    if any(arg.startswith("--gtest_list_tests") for arg in argv):
        return subprocess.run(argv).returncode
    with tempfile.TemporaryDirectory(prefix="gtest-xml-") as scratch:
        report = os.path.join(scratch, "report.xml")
        # The program is a Windows one: wine's drive Z: is the Unix root.
        status = subprocess.run([*argv, f"--gtest_output=xml:Z:{report}"]).returncode
        passed, reason = verdict(report)
    print(f"gtest-xml-verdict: exit status {status}; {reason}", file=sys.stderr)
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
