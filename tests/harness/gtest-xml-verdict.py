#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""gtest-xml-verdict.py RUNNER... PROGRAM [ARGS...]

Runs a GoogleTest program through RUNNER (a wine wrapper) and judges it by its
XML report instead of its exit status, which cannot be trusted where 32-bit
wine runs under qemu-i386: a Windows exception raised while a second thread
lives can crash, hang or end the process with any status, 0 included.

Passes when the report exists, lists at least one test that ran, and shows no
failure and no error. A whole program that ends without a report is run
again one process per test, each judged by its own report. Listing the tests
(--gtest_list_tests) passes straight through. Used as the i686 build's
cross-compiling emulator.
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


def run_judged(argv):
    """Runs once with an XML report; (passed, reason, report written)."""
    with tempfile.TemporaryDirectory(prefix="gtest-xml-") as scratch:
        report = os.path.join(scratch, "report.xml")
        # The program is a Windows one: wine's drive Z: is the Unix root.
        status = subprocess.run([*argv, f"--gtest_output=xml:Z:{report}"]).returncode
        written = os.path.exists(report) and os.path.getsize(report) > 0
        passed, reason = verdict(report)
    print(f"gtest-xml-verdict: exit status {status}; {reason}", file=sys.stderr)
    return passed, written


def listed_tests(argv):
    """Suite.Name of every test the program has."""
    listing = subprocess.run([*argv, "--gtest_list_tests"], capture_output=True, text=True).stdout
    tests, suite = [], ""
    for line in listing.splitlines():
        name = line.split("#")[0].rstrip()
        if not name or name.startswith("Running main()"):
            continue
        if not name.startswith(" "):
            suite = name.strip()
        else:
            tests.append(suite + name.strip())
    return tests


def main(argv):
    if any(arg.startswith("--gtest_list_tests") for arg in argv):
        return subprocess.run(argv).returncode
    passed, written = run_judged(argv)
    if written or any(arg.startswith("--gtest_filter") for arg in argv):
        return 0 if passed else 1
    # No report from the whole program: one process per test.
    tests = listed_tests(argv)
    failed = [name for name in tests if not run_judged([*argv, f"--gtest_filter={name}"])[0]]
    print(f"gtest-xml-verdict: {len(tests) - len(failed)} of {len(tests)} tests passed one process each"
          + (f"; failed: {', '.join(failed)}" if failed else ""), file=sys.stderr)
    return 0 if tests and not failed else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
