#!/usr/bin/env python3
"""Check the committed setup inputs.

    python3 tests/inputs/check_inputs.py

Checks the terms text, the welcome bitmap, the icon and the manifest for
the facts the installer's resources and pages rely on, and that
tools/make_inputs.py reproduces every committed input byte for byte.
Exits 0 when all checks pass, 1 otherwise (each failure is printed).
"""

import os
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
GENERATED = (
    "payload/licence.txt",
    "payload/mov.dat",
    "installer/res/welcome.bmp",
    "installer/res/velodar.ico",
    "installer/res/velodar.manifest",
)

failures = []


def expect(name, cond, detail=""):
    if not cond:
        if detail != "":
            name = "%s: %s" % (name, detail)
        failures.append(name)


def read(rel):
    with open(os.path.join(ROOT, *rel.split("/")), "rb") as f:
        return f.read()


def check_text_file(rel, data):
    expect(rel + " has no byte-order mark",
           not data.startswith((b"\xef\xbb\xbf", b"\xff\xfe", b"\xfe\xff")))
    stripped = data.replace(b"\r\n", b"")
    expect(rel + " uses CR LF only", b"\r" not in stripped and b"\n" not in stripped)


def check_licence():
    rel = "payload/licence.txt"
    data = read(rel)
    check_text_file(rel, data)
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError as e:
        expect(rel + " decodes as cp932", False, str(e))
        return
    cases = (
        ("size is 4,150..4,600 bytes", 4150 <= len(data) <= 4600, len(data)),
        ("size is under 5,120 bytes", len(data) < 5120, len(data)),
        ("has 60 lines", len(text.split("\r\n")) == 60, len(text.split("\r\n"))),
        ("has no line break after the last line", not data.endswith(b"\n"), ""),
        ("names the port", "8899" in text, ""),
        ("names the maker", "Osterlund" in text, ""),
    )
    for what, ok, got in cases:
        expect("%s %s" % (rel, what), ok, "got %s" % got if got != "" else "")


def check_bitmap():
    rel = "installer/res/welcome.bmp"
    data = read(rel)
    if len(data) < 54:
        expect(rel + " has complete headers", False)
        return
    magic, fsize, _r1, _r2, off = struct.unpack_from("<2sIHHI", data, 0)
    (bsize, w, h, planes, bits, comp, image, _xr, _yr, used, _imp) = \
        struct.unpack_from("<IiiHHIIiiII", data, 14)
    stride = (w * bits // 8 + 3) & ~3
    cases = (
        ("signature BM", magic == b"BM", magic),
        ("file size field matches", fsize == len(data), fsize),
        ("BITMAPINFOHEADER (40)", bsize == 40, bsize),
        ("160 wide", w == 160, w),
        ("160 high, bottom-up", h == 160, h),
        ("1 plane", planes == 1, planes),
        ("24 bpp", bits == 24, bits),
        ("BI_RGB", comp == 0, comp),
        ("no colour table", used == 0 and off == 54, (used, off)),
        ("pixels fill the file", len(data) == off + stride * abs(h), len(data)),
        ("image size field", image in (0, stride * abs(h)), image),
    )
    for what, ok, got in cases:
        expect("%s: %s" % (rel, what), ok, "got %r" % (got,))
    if len(data) == 54 + 480 * 160:
        corners = [data[54:57], data[54 + 477:54 + 480],
                   data[-480:-477], data[-3:]]
        expect(rel + ": white corners (white page)",
               all(c == b"\xff\xff\xff" for c in corners))


ICON_EXPECT = (  # size, bits, directory colour count, bytes
    (16, 4, 16, 296),
    (16, 8, 0, 1384),
    (32, 4, 16, 744),
    (32, 8, 0, 2216),
)


def check_icon():
    rel = "installer/res/velodar.ico"
    data = read(rel)
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    expect(rel + ": icon directory header", (reserved, kind) == (0, 1), (reserved, kind))
    expect(rel + ": four images", count == 4, "got %d" % count)
    if count != 4:
        return
    end = 6 + 16 * count
    for n, (size, bits, colours, nbytes) in enumerate(ICON_EXPECT):
        w, h, cc, res, planes, bc, length, offset = struct.unpack_from(
            "<BBBBHHII", data, 6 + 16 * n)
        name = "%s image %d (%dx%d %d bpp)" % (rel, n + 1, size, size, bits)
        cases = (
            ("directory size", (w, h) == (size, size), (w, h)),
            ("directory colour count", cc == colours, cc),
            ("directory reserved byte", res == 0, res),
            ("directory planes", planes == 1, planes),
            ("directory bit count", bc == bits, bc),
            ("byte count", length == nbytes, length),
            ("images follow each other", offset == end, offset),
        )
        for what, ok, got in cases:
            expect("%s: %s" % (name, what), ok, "got %r" % (got,))
        end = offset + length
        if offset + 40 > len(data):
            expect(name + ": header inside the file", False)
            continue
        (bsize, bw, bh, bplanes, bbits, comp) = struct.unpack_from("<IiiHHI", data, offset)
        table = (1 << bits) * 4
        xor = ((size * bits + 31) // 32) * 4 * size
        andm = ((size + 31) // 32) * 4 * size
        cases = (
            ("BITMAPINFOHEADER (40)", bsize == 40, bsize),
            ("DIB width", bw == size, bw),
            ("DIB height is twice the icon's", bh == 2 * size, bh),
            ("DIB planes", bplanes == 1, bplanes),
            ("DIB bit count", bbits == bits, bbits),
            ("uncompressed", comp == 0, comp),
            ("header + table + colour + mask", length == 40 + table + xor + andm,
             40 + table + xor + andm),
        )
        for what, ok, got in cases:
            expect("%s: %s" % (name, what), ok, "got %r" % (got,))
    expect(rel + ": nothing after the last image", end == len(data),
           "file %d, images end at %d" % (len(data), end))


MANIFEST_ORDER = (  # (tag, ((attribute, value), ...), text)
    ("assembly", (("xmlns", None), ("manifestVersion", "1.0")), None),
    ("assemblyIdentity", (("version", "1.0.0.0"), ("processorArchitecture", "X86"),
                          ("name", "OsterlundInc.ProductName.Velodar"),
                          ("type", "win32")), None),
    ("description", (), "Velodar 2.0 Server"),
    ("dependency", (), None),
    ("dependentAssembly", (), None),
    ("assemblyIdentity", (("type", "win32"),
                          ("name", "Microsoft.Windows.Common-Controls"),
                          ("version", "6.0.0.0"), ("processorArchitecture", "X86"),
                          ("publicKeyToken", "6595b64144ccf1df"), ("language", "*")),
     None),
)
NS = "{urn:schemas-microsoft-com:asm.v1}"


def attribute_order(data, tag_count):
    """Attribute names in source order for each start tag (ElementTree keeps
    order in dicts, but say it plainly by scanning the text)."""
    import re
    tags = re.findall(rb"<([A-Za-z][\w.-]*)((?:\s+[\w:.-]+\s*=\s*\"[^\"]*\")*)\s*/?>", data)
    return [(t.decode(), [a.decode() for a in re.findall(rb"([\w:.-]+)\s*=", attrs)])
            for t, attrs in tags][:tag_count]


def check_manifest():
    rel = "installer/res/velodar.manifest"
    data = read(rel)
    check_text_file(rel, data)
    first = data.split(b"\r\n", 1)[0]
    expect(rel + ": XML declaration",
           first == b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>', first)
    try:
        root = ET.fromstring(data)
    except ET.ParseError as e:
        expect(rel + ": well-formed XML", False, str(e))
        return
    elements = list(root.iter())
    expect(rel + ": element count", len(elements) == len(MANIFEST_ORDER),
           "got %d" % len(elements))
    for el, (tag, attrs, text) in zip(elements, MANIFEST_ORDER):
        expect(rel + ": element " + tag, el.tag == NS + tag, el.tag)
        want = dict((k, v) for k, v in attrs if k != "xmlns")
        expect(rel + ": attributes of " + tag, dict(el.attrib) == want, el.attrib)
        if text is not None:
            expect(rel + ": text of " + tag, (el.text or "") == text, el.text)
    expect(rel + ": namespace", root.tag == NS + "assembly", root.tag)
    order = attribute_order(data, len(MANIFEST_ORDER))
    for (tag, names), (want_tag, attrs, _) in zip(order, MANIFEST_ORDER):
        expect(rel + ": attribute order of " + want_tag,
               tag == want_tag and names == [k for k, _ in attrs], (tag, names))
    for line in data.split(b"\r\n"):
        indent = len(line) - len(line.lstrip(b" "))
        expect(rel + ": indented with spaces in steps of 4",
               not line.startswith(b"\t") and indent % 4 == 0, line)
        expect(rel + ": one attribute per line", line.count(b'="') <= 1
               or line.startswith(b"<?xml"), line)


def check_reproducible():
    with tempfile.TemporaryDirectory() as tmp:
        run = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "make_inputs.py"), tmp],
                             stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        expect("make_inputs.py runs", run.returncode == 0, run.stdout.decode(errors="replace"))
        for rel in GENERATED:
            path = os.path.join(tmp, *rel.split("/"))
            if not os.path.exists(path):
                expect(rel + " is regenerated", False)
                continue
            with open(path, "rb") as f:
                expect(rel + " is reproduced byte for byte", f.read() == read(rel))


def main():
    for check in (check_licence, check_bitmap, check_icon, check_manifest, check_reproducible):
        try:
            check()
        except (OSError, struct.error) as e:
            failures.append("%s: %s" % (check.__name__, e))
    avi = subprocess.run([sys.executable, os.path.join(ROOT, "tools", "check_avi.py"),
                          os.path.join(ROOT, "payload", "mov.dat")],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    expect("payload/mov.dat passes check_avi.py", avi.returncode == 0,
           avi.stdout.decode(errors="replace"))
    for f in failures:
        print("FAIL " + f)
    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all input checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
