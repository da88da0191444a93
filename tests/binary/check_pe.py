#!/usr/bin/env python3
"""Checks a built executable's PE headers and imports with objdump: a 32-bit
(PE32, i386) Windows GUI program that imports no MinGW runtime DLL."""
import re
import subprocess
import sys

OBJDUMP = "i686-w64-mingw32-objdump"
MINGW_RUNTIME = re.compile(r"^(libgcc|libstdc\+\+|libwinpthread|mingwm|libssp)", re.I)


def check(path):
    out = subprocess.run([OBJDUMP, "-p", path], check=True, capture_output=True, text=True).stdout
    problems = []
    if "file format pei-i386" not in out:
        problems.append("not a PE32 i386 image")
    if not re.search(r"^Magic\s+010b\s+\(PE32\)", out, re.M):
        problems.append("optional header is not PE32")
    if not re.search(r"^Subsystem\s+00000002\s+\(Windows GUI\)", out, re.M):
        problems.append("subsystem is not Windows GUI")
    dlls = re.findall(r"^\s*DLL Name: (\S+)", out, re.M)
    for dll in dlls:
        if MINGW_RUNTIME.match(dll):
            problems.append("imports the MinGW runtime DLL " + dll)
    return problems, dlls


def main():
    failed = False
    for path in sys.argv[1:]:
        problems, dlls = check(path)
        print("%s: imports %s" % (path, ", ".join(dlls)))
        for problem in problems:
            print("  FAIL: " + problem)
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
