#!/usr/bin/env python3
"""Check the installer movie (payload/mov.dat).

    python3 tools/check_avi.py PATH

Walks the RIFF chunks (hdrl/avih/strl, movi, idx1) and checks what the
installer's progress page relies on: a 3,072-byte file holding a RIFF
"AVI " form with one 240 x 240 video stream of 4 frames at 2 frames per
second, followed only by zero bytes.  Prints what it found; exits 0 when
everything holds, 1 with the reasons otherwise.
"""

import struct
import sys

FILE_SIZE = 3072
WIDTH = 240
HEIGHT = 240
FRAMES = 4
FPS = 2


class Bad(Exception):
    pass


def chunks(data, start, end):
    """Yield (fourcc, data_start, size) for the chunks in data[start:end]."""
    pos = start
    while pos < end:
        if pos + 8 > end:
            raise Bad("truncated chunk header at offset %d" % pos)
        fourcc = data[pos:pos + 4]
        size = struct.unpack_from("<I", data, pos + 4)[0]
        if pos + 8 + size > end:
            raise Bad("chunk %r at offset %d runs past its parent (%d bytes)"
                      % (fourcc, pos, size))
        yield fourcc, pos + 8, size
        pos += 8 + size + (size & 1)


def list_items(data, start, size):
    return list(chunks(data, start + 4, start + size))


def check(data):
    found = []
    problems = []

    def need(cond, msg):
        if not cond:
            problems.append(msg)

    found.append("file size %d" % len(data))
    need(len(data) == FILE_SIZE, "file is %d bytes, want %d" % (len(data), FILE_SIZE))
    if len(data) < 12 or data[:4] != b"RIFF":
        raise Bad("no RIFF header")
    riff_size = struct.unpack_from("<I", data, 4)[0]
    riff_end = 8 + riff_size
    if riff_end > len(data):
        raise Bad("RIFF size %d runs past the end of the file" % riff_size)
    form = data[8:12]
    found.append("RIFF form %r, %d bytes of RIFF data" % (form.decode("latin-1"), riff_end))
    need(form == b"AVI ", "RIFF form is %r, want 'AVI '" % form)
    tail = data[riff_end + (riff_size & 1):]
    need(tail.count(0) == len(tail),
         "%d bytes after the RIFF chunk are not all zero" % len(tail))
    found.append("%d padding bytes after RIFF" % len(tail))

    top = list(chunks(data, 12, riff_end))
    lists = {}
    idx1 = None
    for fourcc, start, size in top:
        if fourcc == b"LIST":
            lists.setdefault(data[start:start + 4], (start, size))
        elif fourcc == b"idx1":
            idx1 = (start, size)
    if b"hdrl" not in lists:
        raise Bad("no LIST hdrl")
    if b"movi" not in lists:
        raise Bad("no LIST movi")

    # --- hdrl: avih and the stream headers
    hdrl = list_items(data, *lists[b"hdrl"])
    avih = [c for c in hdrl if c[0] == b"avih"]
    if not avih or avih[0][2] < 56:
        raise Bad("no complete avih chunk")
    (usec, _maxbps, _pad, flags, total, _init, streams, _buf,
     width, height) = struct.unpack_from("<10I", data, avih[0][1])
    found.append("avih: %d us/frame, %d frames, %d streams, %d x %d, flags 0x%x"
                 % (usec, total, streams, width, height, flags))
    need(usec * FPS == 1000000, "avih: %d us per frame is not %d fps" % (usec, FPS))
    need(total == FRAMES, "avih: %d frames, want %d" % (total, FRAMES))
    need(streams == 1, "avih: %d streams, want 1" % streams)
    need((width, height) == (WIDTH, HEIGHT),
         "avih: %d x %d, want %d x %d" % (width, height, WIDTH, HEIGHT))

    strls = [c for c in hdrl if c[0] == b"LIST" and data[c[1]:c[1] + 4] == b"strl"]
    found.append("%d strl list(s)" % len(strls))
    need(len(strls) == 1, "%d strl lists, want 1" % len(strls))
    if strls:
        items = list_items(data, strls[0][1], strls[0][2])
        strh = [c for c in items if c[0] == b"strh"]
        strf = [c for c in items if c[0] == b"strf"]
        if not strh or strh[0][2] < 48:
            raise Bad("strl without a complete strh")
        if not strf or strf[0][2] < 40:
            raise Bad("strl without a BITMAPINFOHEADER in strf")
        s = strh[0][1]
        fcc, handler = data[s:s + 4], data[s + 4:s + 8]
        scale, rate, _start, length = struct.unpack_from("<4I", data, s + 20)
        found.append("strh: %r/%r, rate %d/%d, length %d"
                     % (fcc.decode("latin-1"), handler.decode("latin-1"),
                        rate, scale, length))
        need(fcc == b"vids", "strh: stream type %r, want 'vids'" % fcc)
        need(scale != 0 and rate == FPS * scale,
             "strh: rate %d / scale %d is not %d fps" % (rate, scale, FPS))
        need(length == FRAMES, "strh: length %d, want %d" % (length, FRAMES))
        (bsize, bw, bh, planes, bits, comp) = struct.unpack_from("<IiiHHI", data, strf[0][1])
        found.append("strf: %d x %d, %d bpp, compression %d" % (bw, bh, bits, comp))
        need((bw, abs(bh)) == (WIDTH, HEIGHT),
             "strf: %d x %d, want %d x %d" % (bw, bh, WIDTH, HEIGHT))

    # --- movi: frames of stream 00
    movi_start, movi_size = lists[b"movi"]
    frames = []
    for fourcc, start, size in list_items(data, movi_start, movi_size):
        if fourcc == b"LIST" and data[start:start + 4] == b"rec ":
            items = list_items(data, start, size)
        else:
            items = [(fourcc, start, size)]
        for f, st, sz in items:
            if f[:2] == b"00" and f[2:] in (b"dc", b"db"):
                frames.append((st, sz))
    found.append("movi: %d frame chunk(s)" % len(frames))
    need(len(frames) == FRAMES, "movi holds %d frames, want %d" % (len(frames), FRAMES))

    # --- idx1
    if idx1 is None:
        problems.append("no idx1 chunk")
    else:
        start, size = idx1
        entries = [struct.unpack_from("<4sIII", data, start + i * 16)
                   for i in range(size // 16)]
        video = [e for e in entries if e[0][:2] == b"00"]
        found.append("idx1: %d entr%s" % (len(entries), "y" if len(entries) == 1 else "ies"))
        need(len(video) == FRAMES, "idx1 lists %d frames, want %d" % (len(video), FRAMES))
        for n, (fcc, flags, off, sz) in enumerate(video):
            pos = movi_start + off     # offsets count from the 'movi' tag
            ok = (pos + 8 <= len(data) and data[pos:pos + 4] == fcc
                  and struct.unpack_from("<I", data, pos + 4)[0] == sz)
            need(ok, "idx1 entry %d does not point at its frame chunk" % n)
    return found, problems


def main(argv):
    if len(argv) != 1:
        print("usage: check_avi.py PATH", file=sys.stderr)
        return 2
    try:
        with open(argv[0], "rb") as f:
            data = f.read()
    except OSError as e:
        print("check_avi: cannot read %s: %s" % (argv[0], e), file=sys.stderr)
        return 1
    try:
        found, problems = check(data)
    except Bad as e:
        print("check_avi: %s: %s" % (argv[0], e), file=sys.stderr)
        return 1
    for line in found:
        print("  " + line)
    if problems:
        for p in problems:
            print("check_avi: %s: %s" % (argv[0], p), file=sys.stderr)
        return 1
    print("check_avi: %s is fine" % argv[0])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
