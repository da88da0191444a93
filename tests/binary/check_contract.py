#!/usr/bin/env python3
"""The executables' contract with Windows, read back from the built files:
resource inventory, shared manifest and icon, version blocks, PE header
(i386, GUI, loadable by Windows XP, DEP and ASLR marked, relocations kept) and
imports (only DLLs that Windows loads from the system folder, every function
listed in imports.allow).
Usage: check_contract.py INSTALLER UNINSTALLER"""
import os
import re
import struct
import subprocess
import sys

OBJDUMP = "i686-w64-mingw32-objdump"
HERE = os.path.dirname(os.path.abspath(__file__))
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll", "ole32.dll", "msvcrt.dll"}
OLD_ENOUGH = {"Windows NT 3.1", "Windows NT 3.5", "Windows NT 4.0", "Windows 2000", "Windows XP"}

ICONS_AND_MANIFEST = [("3", "1", "1033"), ("3", "2", "1033"), ("3", "3", "1033"), ("3", "4", "1033"),
                      ("14", "128", "1033"), ("24", "1", "1041")]
INVENTORY = {
    "installer": sorted([("APPL", "129", "1041"), ("APPL", "130", "1041"), ("MPEG", "136", "1041"),
                         ("TEXT", "132", "1041"), ("2", "133", "1041"), ("5", "128", "1041"),
                         ("5", "131", "1041"), ("16", "1", "1041")] + ICONS_AND_MANIFEST),
    "uninstaller": sorted([("16", "1", "1041")] + ICONS_AND_MANIFEST),
}
VERSIONS = {
    "installer": ((2, 1, 0, 4), "2, 1, 0, 4", "Velodar Installer"),
    "uninstaller": ((2, 1, 0, 2), "2, 1, 0, 2", "Velodar Uninstaller"),
}
KEYS = ["Comments", "CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
        "LegalTrademarks", "OriginalFilename", "PrivateBuild", "ProductName", "ProductVersion", "SpecialBuild"]
ICON_IMAGES = [(16, 16, 16, 4, 296), (16, 16, 0, 8, 1384), (32, 32, 16, 4, 744), (32, 32, 0, 8, 2216)]


def run(*args, text=True):
    return subprocess.run(list(args), check=True, capture_output=True, text=text).stdout


def resources(exe):
    found = []
    for line in run("wrestool", "-l", exe).splitlines():
        m = re.match(r"--type='?([^' ]+)'? --name='?([^' ]+)'? --language=(\d+)", line)
        if m:
            found.append(m.groups())
    return sorted(found)


def raw(exe, rtype, name):
    return run("wrestool", "-x", "--raw", "--type=" + rtype, "--name=" + name, exe, text=False)


def version_nodes(data, pos=0):
    """One VS_VERSIONINFO-style node: (key, value bytes, value length field, type, children)."""
    length, value_length, vtype = struct.unpack_from("<HHH", data, pos)
    end = pos + length
    key_start = pos + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    value_pos = (key_end + 2 + 3) & ~3
    value_size = value_length * 2 if vtype == 1 else value_length
    value = data[value_pos:value_pos + value_size]
    children = []
    child = (value_pos + value_size + 3) & ~3
    while child < end:
        node, child_end = version_nodes(data, child)
        children.append(node)
        child = (child_end + 3) & ~3
    return (key, value, value_length, vtype, children), end


def check_version(exe, which, problems):
    numbers, text, title = VERSIONS[which]
    root, _ = version_nodes(raw(exe, "16", "1"))
    key, fixed, _, _, children = root
    if key != "VS_VERSION_INFO" or len(fixed) != 52:
        problems.append(which + ": no VS_FIXEDFILEINFO")
        return
    f = struct.unpack("<13I", fixed)
    want_ms = (numbers[0] << 16) | numbers[1]
    want_ls = (numbers[2] << 16) | numbers[3]
    want = (0xFEEF04BD, 0x00010000, want_ms, want_ls, want_ms, want_ls, 0x3F, 0, 0x00040004, 1, 0, 0, 0)
    if f != want:
        problems.append("%s: fixed version info %s, want %s" % (which, [hex(x) for x in f], [hex(x) for x in want]))
    names = [c[0] for c in children]
    if names != ["StringFileInfo", "VarFileInfo"]:
        problems.append("%s: version blocks %s" % (which, names))
        return
    tables = children[0][4]
    if [t[0] for t in tables] != ["041104b0"]:
        problems.append("%s: string tables %s, want one 041104b0" % (which, [t[0] for t in tables]))
        return
    strings = [(c[0], c[1].decode("utf-16-le").rstrip("\0")) for c in tables[0][4]]
    if [k for k, _ in strings] != KEYS:
        problems.append("%s: string keys %s" % (which, [k for k, _ in strings]))
    values = dict(strings)
    for k, v in (("FileVersion", text), ("ProductVersion", text), ("FileDescription", title),
                 ("InternalName", title), ("ProductName", title)):
        if values.get(k) != v:
            problems.append("%s: %s is %r, want %r" % (which, k, values.get(k), v))
    for k in ("Comments", "LegalTrademarks", "OriginalFilename", "PrivateBuild", "SpecialBuild"):
        if values.get(k) != "":
            problems.append("%s: %s is %r, want empty" % (which, k, values.get(k)))
    if "Osterlund" not in values.get("LegalCopyright", "") or not values.get("CompanyName"):
        problems.append("%s: maker missing from CompanyName or LegalCopyright" % which)
    var = children[1][4]
    if [(v[0], v[1]) for v in var] != [("Translation", struct.pack("<HH", 0x0411, 0x04B0))]:
        problems.append("%s: Translation is not 0x0411, 0x04B0" % which)


def check_icon(exe, which, problems):
    group = raw(exe, "14", "128")
    reserved, kind, count = struct.unpack_from("<HHH", group, 0)
    entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
    got = [(w, h, colours, bits, size) for w, h, colours, _, _, bits, size, _ in entries]
    if (reserved, kind) != (0, 1) or got != ICON_IMAGES or [e[7] for e in entries] != [1, 2, 3, 4]:
        problems.append("%s: icon directory %s" % (which, entries))
    for (w, h, colours, bits, size), image_id in zip(ICON_IMAGES, range(1, 5)):
        image = raw(exe, "3", str(image_id))
        header = struct.unpack_from("<IiiHHI", image, 0)
        if len(image) != size or header != (40, w, 2 * h, 1, bits, 0):
            problems.append("%s: icon image %d header %s, %d bytes" % (which, image_id, header, len(image)))


def check_pe(exe, which, problems):
    out = run(OBJDUMP, "-p", exe)
    head = run(OBJDUMP, "-h", exe)

    def field(name):
        m = re.search(r"^%s\s+([0-9a-fA-F]+)" % name, out, re.M)
        return m.group(1) if m else None

    if "file format pei-i386" not in out or field("Subsystem") != "00000002":
        problems.append(which + ": not an i386 Windows GUI executable")
    os_version = (int(field("MajorOSystemVersion")), int(field("MinorOSystemVersion")))
    sub_version = (int(field("MajorSubsystemVersion")), int(field("MinorSubsystemVersion")))
    if os_version > (5, 1) or sub_version > (5, 1):
        problems.append("%s: OS %s / subsystem %s versions above 5.1: Windows XP would refuse it"
                        % (which, os_version, sub_version))
    characteristics = int(field("DllCharacteristics"), 16)
    if not characteristics & 0x0040 or not characteristics & 0x0100:
        problems.append("%s: DllCharacteristics 0x%04X lacks DYNAMIC_BASE or NX_COMPAT" % (which, characteristics))
    if ".reloc" not in head:
        problems.append(which + ": relocations stripped, so ASLR cannot move it")
    imports = []
    dll = None
    for line in out.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        m = re.match(r"\s*[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if m and dll:
            imports.append((dll, m.group(1)))
    return imports


def read_allow_list(problems):
    allowed = {}
    with open(os.path.join(HERE, "imports.allow"), encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            parts = line.split(None, 2)
            if len(parts) != 3:
                problems.append("imports.allow:%d: want DLL FUNCTION WHY" % number)
                continue
            dll, function, why = parts
            dll = dll.lower()
            if dll == "msvcrt.dll":
                if not (why == "C runtime start-up" or why.startswith("C function")):
                    problems.append("imports.allow:%d: msvcrt entry must say 'C runtime start-up' or 'C function'"
                                    % number)
            elif why not in OLD_ENOUGH:
                problems.append("imports.allow:%d: %s %s is documented since %r, not XP or older"
                                % (number, dll, function, why))
            allowed[(dll, function)] = why
    return allowed


def main(installer, uninstaller):
    problems = []
    exes = {"installer": installer, "uninstaller": uninstaller}
    for which, exe in exes.items():
        got = resources(exe)
        if got != INVENTORY[which]:
            extra = sorted(set(got) - set(INVENTORY[which]))
            missing = sorted(set(INVENTORY[which]) - set(got))
            problems.append("%s: resources differ: extra %s, missing %s" % (which, extra, missing))
        check_version(exe, which, problems)
        check_icon(exe, which, problems)
    for rtype, name, _ in ICONS_AND_MANIFEST:
        if raw(installer, rtype, name) != raw(uninstaller, rtype, name):
            problems.append("resource type %s id %s differs between the two programs" % (rtype, name))
    if raw(installer, "APPL", "130") != open(uninstaller, "rb").read():
        problems.append("the installer's uninstaller is not the built uninstaller")

    allowed = read_allow_list(problems)
    for which, exe in exes.items():
        imports = check_pe(exe, which, problems)
        for dll, function in imports:
            if dll not in SYSTEM_DLLS:
                problems.append("%s imports %s, which is not a system DLL it may rely on" % (which, dll))
            elif (dll, function) not in allowed:
                problems.append("%s imports %s!%s, which imports.allow does not list" % (which, dll, function))
        print("%s: %d imports from %s" % (which, len(imports), ", ".join(sorted({d for d, _ in imports}))))
    for problem in problems:
        print("FAIL: " + problem)
    print("binary contract: %s" % ("ok" if not problems else "%d problems" % len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
