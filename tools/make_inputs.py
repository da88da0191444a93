#!/usr/bin/env python3
"""Regenerate the build inputs of the Velodar setup programs.

Writes, below the output root (default: the repository root):

    payload/licence.txt          terms of use shown by the installer (Shift-JIS, CR LF)
    payload/mov.dat              short RLE8 AVI played on the installer's progress page
    installer/res/welcome.bmp    picture of the welcome page (160 x 160, 24 bpp)
    installer/res/velodar.ico    program icon (16/32 px, 4 and 8 bpp)
    installer/res/velodar.manifest  application manifest (common controls 6)

Everything is drawn or written by this script with the Python standard
library only, so every run produces the same bytes.

    python3 tools/make_inputs.py [OUTPUT_ROOT] [--preview DIR]

--preview also writes scaled-up PNG renderings of the pictures into DIR.
"""

import os
import struct
import sys
import zlib


# One line of the terms per entry; joined with CR LF, no break after the last.
LICENCE_LINES = (
    'Velodar 2.0 使用許諾条件(PC用サーバープログラムおよびi-appli)',
    '提供者:Osterlund',
    '本使用許諾条件(以下「本条件」といいます)を、インストールの前によくお読みください。',
    'お客様が本条件に同意される場合に限り、本ソフトウェアをインストールできます。',
    '',
    '第1条(定義)',
    '本条件において「本ソフトウェア」とは、Osterlund(以下「当社」といいます)が',
    '提供するPC用サーバープログラム「Velodar」、その付属文書および関連する',
    '携帯電話用i-appliをいいます。「お客様」とは、本ソフトウェアを使用する方をいいます。',
    '第2条(使用許諾)',
    '当社はお客様に対し、本条件に従うことを条件として、お客様が所有または管理する',
    'パーソナルコンピュータに本ソフトウェアをインストールし、個人的な目的で使用する',
    '非独占的かつ譲渡不能の権利を許諾します。バックアップの目的に限り、一部の複製を作成できます。',
    '第3条(禁止事項)',
    'お客様は、本ソフトウェアの使用にあたり、次の各号の行為を行ってはなりません。',
    '(1) 本条件で認められる場合を除き、本ソフトウェアの全部または一部を複製、改変、翻案すること。',
    '(2) 本ソフトウェアを逆コンパイル、逆アセンブルその他の方法により解析すること。',
    '(3) 本ソフトウェアを第三者に譲渡、貸与、再使用許諾し、または公衆に配布すること。',
    '(4) 本ソフトウェアに付された著作権表示その他の権利表示を削除または変更すること。',
    '(5) 本ソフトウェアを用いて、法令もしくは公序良俗に反する行為、またはそのおそれのある行為を行うこと。',
    '(6) 権限なく第三者のコンピュータに接続し、またはその運用を妨げる行為を行うこと。',
    '第4条(i-appliとの接続)',
    '本ソフトウェアは、お客様の携帯電話上のi-appliからお客様のPCへ接続するためのサーバーです。',
    'PC側のサーバーは、すべてのネットワークアドレスのTCPポート8899番で接続を待ち受けます。',
    'i-appliの通信に要するパケット通信料その他の費用は、すべてお客様のご負担となります。',
    '接続に用いるパスワードは第三者に知られないよう、お客様ご自身の責任で管理し、定期的に変更することをお勧めします。',
    '携帯電話の機種、通信事業者のサービスまたは電波の状況により、接続できない場合があります。',
    '第5条(ファイアウォール)',
    'ファイアウォールまたはルーターをご使用の場合、TCPポート8899番への接続を許可する',
    '設定が必要となることがあります。設定の変更はお客様ご自身の責任において行ってください。',
    '必要以上の範囲にポートを開放すると、第三者から不正に接続されるおそれがあります。',
    '本ソフトウェアはWindowsのサービスとして常駐し、PCの起動時に自動的に開始されます。不要になった場合は、アンインストールによりサービスも削除されます。',
    '第6条(個人情報)',
    '本ソフトウェアは、お客様のPC内のデータを当社のサーバーへ送信することはありません。',
    '通信の内容は、お客様の携帯電話とお客様のPCとの間でのみやり取りされます。当社は、お客様の通信の内容を収集、保存または解析しません。',
    '第7条(権利の帰属)',
    '本ソフトウェアに関する著作権その他一切の知的財産権は、当社または当社に使用を許諾した',
    '権利者に帰属します。本条件は、お客様にこれらの権利を譲渡するものではありません。',
    '第8条(免責)',
    '本ソフトウェアは現状有姿で提供され、当社は、その正確性、有用性、特定目的への適合性',
    'および第三者の権利を侵害しないことについて、明示または黙示を問わず一切保証しません。',
    '当社は、本ソフトウェアの使用または使用不能により生じたデータの消失、通信障害、',
    '逸失利益その他の損害について、当社に故意または重大な過失がある場合を除き、',
    '一切の責任を負いません。当社が責任を負う場合も、その額は本ソフトウェアの代金を上限とします。',
    '第9条(サポートおよび変更)',
    '当社は、本ソフトウェアの不具合の修正、更新または技術的な支援を行う義務を負いません。',
    '当社は、お客様に予告することなく、本ソフトウェアの仕様を変更することがあります。更新版にも本条件が適用されます。',
    '第10条(輸出)',
    'お客様は、本ソフトウェアを輸出する場合、適用される輸出関連法規を遵守するものとします。',
    '本ソフトウェアには、各国の輸出管理に関する規制の対象となる技術が含まれる場合があります。',
    '第11条(契約の終了)',
    'お客様が本条件に違反した場合、当社は通知なく本条件による使用許諾を終了できます。',
    '使用許諾が終了したときは、お客様は本ソフトウェアを直ちにPCから削除してください。この場合、当社は既に受領した代金を返還しません。',
    '第12条(分離可能性)',
    '本条件のいずれかの規定が無効とされた場合でも、他の規定は引き続き効力を有します。無効とされた規定は、有効な範囲で本来の趣旨に最も近く解釈されます。',
    '第13条(準拠法および管轄)',
    '本条件は日本法に準拠し、日本法に従って解釈されるものとします。',
    '本条件に関して紛争が生じた場合は、東京地方裁判所を第一審の専属的合意管轄裁判所とします。',
    '本条件に関するお問い合わせは、本ソフトウェアに付属する文書に記載の窓口までお願いします。',
    'Copyright (C) Osterlund. All rights reserved.',
)

# ---------------------------------------------------------------------------
# Terms of use

LICENCE_MIN = 4150
LICENCE_MAX = 4600


def make_licence():
    if len(LICENCE_LINES) != 60:
        raise SystemExit("licence: %d lines, want 60" % len(LICENCE_LINES))
    data = "\r\n".join(LICENCE_LINES).encode("cp932")
    if not LICENCE_MIN <= len(data) <= LICENCE_MAX:
        raise SystemExit("licence: %d bytes, outside %d..%d"
                         % (len(data), LICENCE_MIN, LICENCE_MAX))
    return data


# ---------------------------------------------------------------------------
# Small raster helpers (supersampled shapes, painter's order)

def lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def in_round_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    dx = max(x0 + r - x, 0.0, x - (x1 - r))
    dy = max(y0 + r - y, 0.0, y - (y1 - r))
    return dx * dx + dy * dy <= r * r


def in_circle(x, y, cx, cy, r):
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_polygon(x, y, pts):
    inside = False
    n = len(pts)
    j = n - 1
    for i in range(n):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y):
            if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
        j = i
    return inside


def render(width, height, background, shapes, ss=4):
    """Rasterise shapes [(bbox, test, colour)] over background.

    Returns rows top-down, each a list of (r, g, b) ints.  bbox is
    (x0, y0, x1, y1) in pixels; test(x, y) gets sample coordinates.
    """
    rows = []
    step = 1.0 / ss
    for py in range(height):
        row = []
        for px in range(width):
            live = [s for s in shapes
                    if s[0][0] <= px + 1 and px <= s[0][2]
                    and s[0][1] <= py + 1 and py <= s[0][3]]
            if not live:
                row.append(tuple(background))
                continue
            acc = [0.0, 0.0, 0.0]
            for sy in range(ss):
                y = py + (sy + 0.5) * step
                for sx in range(ss):
                    x = px + (sx + 0.5) * step
                    c = background
                    for bbox, test, colour in live:
                        if test(x, y):
                            c = colour
                    acc[0] += c[0]
                    acc[1] += c[1]
                    acc[2] += c[2]
            n = ss * ss
            row.append(tuple(int(round(v / n)) for v in acc))
        rows.append(row)
    return rows


def png_bytes(rows, scale=1):
    """Encode top-down RGB rows as a PNG (for looking at the pictures)."""
    height = len(rows) * scale
    width = len(rows[0]) * scale
    raw = bytearray()
    for row in rows:
        line = bytearray([0])
        for c in row:
            line += bytes(c) * scale
        for _ in range(scale):
            raw += line

    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


# ---------------------------------------------------------------------------
# Welcome picture: a phone and a PC joined by a dotted arc

WHITE = (255, 255, 255)
NAVY = (36, 64, 112)
SKY = (150, 196, 236)
ORANGE = (240, 140, 40)


def rr(x0, y0, x1, y1, r, colour):
    return ((x0, y0, x1, y1),
            lambda x, y: in_round_rect(x, y, x0, y0, x1, y1, r), colour)


def dot(cx, cy, r, colour):
    return ((cx - r, cy - r, cx + r, cy + r),
            lambda x, y: in_circle(x, y, cx, cy, r), colour)


def welcome_shapes():
    shapes = []
    # mobile phone, lower left
    shapes.append(rr(40, 62, 43, 74, 1.5, NAVY))          # antenna
    shapes.append(rr(20, 70, 56, 140, 6, NAVY))           # body
    shapes.append(rr(25, 78, 51, 106, 2, SKY))            # screen
    for row in range(3):
        for col in range(3):
            shapes.append(dot(28.5 + col * 9.5, 114 + row * 8, 2.6, SKY))
    # PC, lower right
    shapes.append(rr(84, 78, 146, 124, 4, NAVY))          # monitor
    shapes.append(rr(89, 83, 141, 117, 1.5, SKY))         # screen
    shapes.append(rr(110, 123, 120, 134, 0.5, NAVY))      # neck
    shapes.append(rr(98, 133, 132, 139, 3, NAVY))         # foot
    # dotted arc from the phone's antenna to the top of the monitor
    p0, p1, p2 = (51.0, 56.0), (82.0, 4.0), (115.0, 70.0)
    samples = []
    for i in range(401):
        t = i / 400.0
        u = 1.0 - t
        samples.append((u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                        u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]))
    length = [0.0]
    for i in range(1, len(samples)):
        dx = samples[i][0] - samples[i - 1][0]
        dy = samples[i][1] - samples[i - 1][1]
        length.append(length[-1] + (dx * dx + dy * dy) ** 0.5)
    count = 9
    k = 0
    for n in range(count):
        want = length[-1] * n / (count - 1)
        while k < len(length) - 1 and length[k] < want:
            k += 1
        x, y = samples[k]
        shapes.append(dot(x, y, 3.2, ORANGE))
    # small signal marks beside the antenna
    for i, r in enumerate((5.0, 8.5)):
        cx, cy = 41.5, 62.0
        def arc(x, y, cx=cx, cy=cy, r=r):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            return abs(d - r) <= 1.0 and x < cx - 0.5 * abs(y - cy) - 1.0
        shapes.append(((cx - r - 2, cy - r - 2, cx, cy + r + 2), arc, ORANGE))
    return shapes


def bmp24(rows):
    """BITMAPFILEHEADER + BITMAPINFOHEADER + bottom-up BGR rows."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0,
                       len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + bytes(pixels)


def make_welcome():
    rows = render(160, 160, WHITE, welcome_shapes())
    return bmp24(rows), rows


# ---------------------------------------------------------------------------
# Program icon: a bold white V in a blue rounded square

ICON_BLUE = (28, 92, 168)
ICON_WHITE = (255, 255, 255)


def icon_coverage(size, ss=8):
    """Per pixel: (inside square?, share of the V) for one icon size."""
    s = float(size)
    radius = s * 0.22
    v = [(0.16, 0.20), (0.37, 0.20), (0.50, 0.60), (0.63, 0.20),
         (0.84, 0.20), (0.60, 0.84), (0.40, 0.84)]
    v = [(x * s, y * s) for x, y in v]
    result = []
    for py in range(size):
        row = []
        for px in range(size):
            sq = 0
            vv = 0
            for sy in range(ss):
                y = py + (sy + 0.5) / ss
                for sx in range(ss):
                    x = px + (sx + 0.5) / ss
                    if in_round_rect(x, y, 0.0, 0.0, s, s, radius):
                        sq += 1
                        if in_polygon(x, y, v):
                            vv += 1
            n = ss * ss
            row.append((sq * 2 >= n, vv / float(n)))
        result.append(row)
    return result


def icon_palette(bits):
    """Index 0 is black (used under transparent pixels); the rest run
    from the square's blue to white."""
    count = 1 << bits
    pal = [(0, 0, 0)]
    for i in range(1, count):
        t = (i - 1) / float(count - 2)
        pal.append(tuple(int(round(c)) for c in lerp(ICON_BLUE, ICON_WHITE, t)))
    return pal


def icon_image(size, bits):
    cov = icon_coverage(size)
    pal = icon_palette(bits)
    levels = len(pal) - 2
    index_rows = []
    for row in cov:
        line = []
        for opaque, share in row:
            line.append(1 + int(round(share * levels)) if opaque else 0)
        index_rows.append(line)
    stride = ((size * bits + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    andm = bytearray()
    for line, covrow in zip(reversed(index_rows), reversed(cov)):
        packed = bytearray()
        if bits == 8:
            packed += bytes(line)
        else:
            for i in range(0, size, 2):
                packed.append((line[i] << 4) | line[i + 1])
        packed += b"\0" * (stride - len(packed))
        xor += packed
        m = bytearray(mask_stride)
        for x, (opaque, share) in enumerate(covrow):
            if not opaque:
                m[x >> 3] |= 0x80 >> (x & 7)
        andm += m
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                       len(xor) + len(andm), 0, 0, 0, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in pal)
    preview = [[pal[i] if i else (200, 200, 200) for i in line]
               for line in index_rows]
    return info + table + bytes(xor) + bytes(andm), preview


ICON_IMAGES = ((16, 4), (16, 8), (32, 4), (32, 8))


def make_icon():
    images = [icon_image(size, bits) for size, bits in ICON_IMAGES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, bits), (data, _) in zip(ICON_IMAGES, images):
        colours = 16 if bits == 4 else 0
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    for data, _ in images:
        out += data
    return out, [p for _, p in images]


# ---------------------------------------------------------------------------
# Installer movie: four RLE8 frames of a ball crossing the picture

MOV_FILE_SIZE = 3072
MOV_W = 240
MOV_H = 240
MOV_FRAMES = 4
MOV_PALETTE = ((255, 255, 255), (36, 64, 112), (150, 196, 236), (240, 140, 40))


def chunk(fourcc, data):
    out = fourcc + struct.pack("<I", len(data)) + data
    if len(data) & 1:
        out += b"\0"
    return out


def riff_list(kind, fourcc, items):
    return chunk(kind, fourcc + b"".join(items))


def rle8_frame(n):
    """One frame: a ball with a light core moving left to right along a
    low arc, over a background left in colour 0.

    Rows are written bottom-up; rows without the ball are skipped with
    delta escapes, which leave them in the background colour."""
    cx = 50 + n * 46
    cy = 130 - (18 if n in (1, 2) else 0)
    r = 31
    core = 12
    spans = {}
    for y in range(MOV_H):
        dy = y + 0.5 - cy
        if abs(dy) >= r:
            continue
        half = int((r * r - dy * dy) ** 0.5)
        runs = []
        x0 = cx - half
        x1 = cx + half
        if abs(dy) < core:
            ch = int((core * core - dy * dy) ** 0.5)
            c0, c1 = cx - 8 - ch, cx - 8 + ch
            runs = [(x0, c0 - x0, 1), (c0, c1 - c0, 2), (c1, x1 - c1, 1)]
        else:
            runs = [(x0, x1 - x0, 1)]
        spans[y] = [run for run in runs if run[1] > 0]
    out = bytearray()
    line = 0                              # bottom-up line being written
    bottom_up = sorted(MOV_H - 1 - y for y in spans)
    for bl in bottom_up:
        runs = spans[MOV_H - 1 - bl]
        if bl > line:
            skip = bl - line
            while skip > 0:
                step = min(skip, 255)
                out += bytes((0, 2, 0, step))
                skip -= step
            line = bl
        x = 0
        for start, count, colour in runs:
            if start > x:
                out += bytes((0, 2, start - x, 0))
            out += bytes((count, colour))
            x = start + count
        out += b"\0\0"                     # end of line
        line += 1
    out += b"\0\1"                         # end of bitmap
    return bytes(out)


def make_movie():
    frames = [rle8_frame(n) for n in range(MOV_FRAMES)]
    biggest = max(len(f) for f in frames)
    avih = struct.pack("<IIIIIIIIII4I",
                       500000,            # dwMicroSecPerFrame: 2 frames per second
                       biggest * 2,       # dwMaxBytesPerSec
                       0,                 # dwPaddingGranularity
                       0x10,              # dwFlags: AVIF_HASINDEX
                       MOV_FRAMES,        # dwTotalFrames
                       0,                 # dwInitialFrames
                       1,                 # dwStreams
                       biggest,           # dwSuggestedBufferSize
                       MOV_W, MOV_H, 0, 0, 0, 0)
    strh = struct.pack("<4s4sIHHIIIIIIII4h",
                       b"vids", b"mrle", 0, 0, 0, 0,
                       1, 2,              # dwScale, dwRate: 2 frames per second
                       0, MOV_FRAMES,     # dwStart, dwLength
                       biggest, 0xFFFFFFFF, 0,
                       0, 0, MOV_W, MOV_H)
    strf = struct.pack("<IiiHHIIiiII", 40, MOV_W, MOV_H, 1, 8, 1,  # BI_RLE8
                       biggest, 0, 0, len(MOV_PALETTE), len(MOV_PALETTE))
    strf += b"".join(bytes((b, g, r, 0)) for r, g, b in MOV_PALETTE)
    hdrl = riff_list(b"LIST", b"hdrl", [
        chunk(b"avih", avih),
        riff_list(b"LIST", b"strl", [chunk(b"strh", strh), chunk(b"strf", strf)]),
    ])
    movi_items = []
    index = b""
    offset = 4                             # idx1 offsets count from the 'movi' tag
    for f in frames:
        c = chunk(b"00dc", f)
        index += struct.pack("<4sIII", b"00dc", 0x10, offset, len(f))
        offset += len(c)
        movi_items.append(c)
    movi = riff_list(b"LIST", b"movi", movi_items)
    riff = riff_list(b"RIFF", b"AVI ", [hdrl, movi, chunk(b"idx1", index)])
    if len(riff) >= MOV_FILE_SIZE:
        raise SystemExit("movie: RIFF data %d bytes, too big" % len(riff))
    return riff + b"\0" * (MOV_FILE_SIZE - len(riff)), len(riff), frames


def rle8_preview(data):
    """Decode one frame (for the preview only)."""
    pix = [[0] * MOV_W for _ in range(MOV_H)]
    x = y = i = 0
    while i < len(data):
        a, b = data[i], data[i + 1]
        i += 2
        if a:
            for _ in range(a):
                pix[y][x] = b
                x += 1
        elif b == 0:
            x, y = 0, y + 1
        elif b == 1:
            break
        elif b == 2:
            x += data[i]
            y += data[i + 1]
            i += 2
        else:
            for k in range(b):
                pix[y][x] = data[i + k]
                x += 1
            i += b + (b & 1)
    return [[MOV_PALETTE[c] for c in row] for row in reversed(pix)]


# ---------------------------------------------------------------------------
# Application manifest

MANIFEST_LINES = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>',
    '<assembly xmlns="urn:schemas-microsoft-com:asm.v1"',
    '    manifestVersion="1.0">',
    '    <assemblyIdentity version="1.0.0.0"',
    '        processorArchitecture="X86"',
    '        name="OsterlundInc.ProductName.Velodar"',
    '        type="win32"/>',
    '    <description>Velodar 2.0 Server</description>',
    '    <dependency>',
    '        <dependentAssembly>',
    '            <assemblyIdentity type="win32"',
    '                name="Microsoft.Windows.Common-Controls"',
    '                version="6.0.0.0"',
    '                processorArchitecture="X86"',
    '                publicKeyToken="6595b64144ccf1df"',
    '                language="*"/>',
    '        </dependentAssembly>',
    '    </dependency>',
    '</assembly>',
)


def make_manifest():
    return "".join(line + "\r\n" for line in MANIFEST_LINES).encode("utf-8")


# ---------------------------------------------------------------------------

def write(root, rel, data):
    path = os.path.join(root, *rel.split("/"))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)
    print("%-32s %6d bytes" % (rel, len(data)))


OUTPUTS = (
    "payload/licence.txt",
    "payload/mov.dat",
    "installer/res/welcome.bmp",
    "installer/res/velodar.ico",
    "installer/res/velodar.manifest",
)


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    preview = None
    args = list(argv)
    while args:
        a = args.pop(0)
        if a == "--preview" and args:
            preview = args.pop(0)
        elif a.startswith("-"):
            print(__doc__)
            return 2
        else:
            root = a
    licence = make_licence()
    movie, riff_size, frames = make_movie()
    welcome, welcome_rows = make_welcome()
    icon, icon_rows = make_icon()
    manifest = make_manifest()
    write(root, OUTPUTS[0], licence)
    write(root, OUTPUTS[1], movie)
    print("%-32s %6d bytes of RIFF data" % ("", riff_size))
    write(root, OUTPUTS[2], welcome)
    write(root, OUTPUTS[3], icon)
    write(root, OUTPUTS[4], manifest)
    if preview:
        os.makedirs(preview, exist_ok=True)
        with open(os.path.join(preview, "welcome.png"), "wb") as f:
            f.write(png_bytes(welcome_rows, 3))
        for (size, bits), rows in zip(ICON_IMAGES, icon_rows):
            name = "icon%d_%d.png" % (size, bits)
            with open(os.path.join(preview, name), "wb") as f:
                f.write(png_bytes(rows, 256 // size))
        for n, f in enumerate(frames):
            with open(os.path.join(preview, "frame%d.png" % n), "wb") as out:
                out.write(png_bytes(rle8_preview(f), 2))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
