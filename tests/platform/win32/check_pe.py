#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Checks a Windows executable with objdump -p: its format, the GUI subsystem,
and that it imports only DLLs that every Windows has (a statically linked
program: no libstdc++, libgcc or winpthread DLL to ship alongside).

  check_pe.py --objdump i686-w64-mingw32-objdump --expect-format pei-i386 pelmic.scr
"""
import argparse
import re
import subprocess
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll", "comctl32.dll", "advapi32.dll",
    "shell32.dll", "ole32.dll", "ntdll.dll",
}
# The subsystem field: 2 is the Windows GUI, 3 would open a console.
GUI_SUBSYSTEM = 2


def problems(dump, expected_format):
    found = []
    match = re.search(r"file format (\S+)", dump)
    if not match or match.group(1) != expected_format:
        found.append(f"file format {match.group(1) if match else '?'}, expected {expected_format}")
    match = re.search(r"^Subsystem\s+([0-9a-fA-F]+)", dump, re.MULTILINE)
    if not match or int(match.group(1), 16) != GUI_SUBSYSTEM:
        found.append(f"subsystem {match.group(1) if match else '?'}, expected {GUI_SUBSYSTEM} (Windows GUI)")
    dlls = [name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)]
    if not dlls:
        found.append("no DLL imports found")
    for dll in dlls:
        if dll not in SYSTEM_DLLS and not dll.startswith("api-ms-win-"):
            found.append(f"imports {dll}, which is not a system DLL")
    return found, dlls


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--expect-format", required=True)
    parser.add_argument("exe")
    args = parser.parse_args()
    dump = subprocess.run([args.objdump, "-p", args.exe], capture_output=True, text=True, check=True).stdout
    found, dlls = problems(dump, args.expect_format)
    print("imports:", ", ".join(dlls))
    for problem in found:
        print("FAILED:", problem, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
