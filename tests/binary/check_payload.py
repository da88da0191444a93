#!/usr/bin/env python3
"""Reads the payload back out of the built installer with wrestool and checks
each resource's type, id and language and that its bytes are those of the
build input (the uninstaller: the built uninstaller).
Usage: check_payload.py INSTALLER TYPE:ID:FILE ..."""
import subprocess
import sys


def main(exe, entries):
    listing = subprocess.run(["wrestool", "-l", exe], check=True, capture_output=True, text=True).stdout
    problems = []
    for entry in entries:
        rtype, rid, path = entry.split(":", 2)
        entry = "--type='%s' --name=%s --language=1041" % (rtype, rid)
        if entry not in listing:
            problems.append("%s %s: not carried in language 1041" % (rtype, rid))
            continue
        carried = subprocess.run(["wrestool", "-x", "--raw", "--type=" + rtype, "--name=" + rid, exe],
                                 check=True, capture_output=True).stdout
        with open(path, "rb") as f:
            expected = f.read()
        if carried != expected:
            problems.append("%s %s: %d bytes differ from %s (%d bytes)" % (rtype, rid, len(carried), path,
                                                                          len(expected)))
        else:
            print("%s %s: %d bytes, identical to %s" % (rtype, rid, len(carried), path))
    for problem in problems:
        print("FAIL: " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2:]))
