#!/usr/bin/env python3
"""Reads the two wizard pages back out of the built installer (wrestool
extracts them, this script decodes the dialog templates) and compares every
field with what the pages must be: styles, positions, sizes, ids, classes,
texts, fonts and language."""
import struct
import subprocess
import sys

BUTTON, EDIT, STATIC = 0x80, 0x81, 0x82
FONT = "ＭＳ Ｐゴシック"
WELCOME_TEXT = "\n".join([
    "「Velodar V.2.1.0.4」をダウンロードして頂きまして、",
    "ありがとうございました。",
    "",
    "「次へ」をクリックし、インストールを開始してください。",
    "",
    "",
    "Copyright (C) 2010 Osterlund Inc.",
    "https://www.osterlund.co.jp/",
    "support@osterlund.co.jp",
])

EXPECTED = {
    128: {
        "extended": False, "style": 0x80C808C0, "exstyle": 0, "rect": (0, 0, 311, 127),
        "caption": "Velodar 2.1 インストーラ/アップデータ", "font": (9, None, None, None, FONT),
        "controls": [
            # id, class, style, exstyle, rect, text
            (1, BUTTON, 0x50010001, 0, (250, 101, 50, 16), "次へ"),
            (2, BUTTON, 0x50010000, 0, (191, 101, 50, 16), "キャンセル"),
            (-1, STATIC, 0x50020000, 0, (143, 10, 157, 78), WELCOME_TEXT),
            (-1, STATIC, 0x5000080E, 0, (10, 10, 126, 107), 133),
        ],
    },
    131: {
        "extended": True, "style": 0x80C808C0, "exstyle": 0, "rect": (0, 0, 266, 249),
        "caption": "使用許諾契約", "font": (9, 0, 0, 1, FONT),
        "controls": [
            (2, BUTTON, 0x50010001, 0, (209, 228, 50, 14), "同意しない"),
            (1001, BUTTON, 0x50010000, 0, (97, 228, 50, 14), "< 戻る(&B)"),
            (1, BUTTON, 0x50010000, 0, (153, 228, 50, 14), "同意する >"),
            (1002, EDIT, 0x50A10804, 0x00020000, (7, 31, 252, 164), ""),
            (-1, STATIC, 0x50020000, 0, (7, 7, 252, 22),
             "以下のライセンス契約をお読み下さい。契約の残りの部分を読むには、Page Downキーを押してください。"),
            (-1, STATIC, 0x50020000, 0, (7, 201, 252, 18),
             "「同意する」をクリックすると使用許諾に同意したものとみなし、「Velodar 2.1」のセットアッププログラムを続行します。"),
        ],
    },
}


class Reader:
    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def align(self):
        self.pos = (self.pos + 3) & ~3

    def sz_or_ord(self):
        if self.take("H") == 0xFFFF:
            return self.take("H")
        self.pos -= 2
        chars = []
        while True:
            c = self.take("H")
            if c == 0:
                return b"".join(struct.pack("<H", unit) for unit in chars).decode("utf-16-le")
            chars.append(c)


def sz(reader):
    return reader.sz_or_ord()


def parse(data):
    r = Reader(data)
    extended = r.take("HH") == (1, 0xFFFF)
    help_ids = []
    if extended:
        help_id, exstyle, style = r.take("III")
        help_ids.append(help_id)
    else:
        r.pos = 0
        style, exstyle = r.take("II")
    count = r.take("H")
    rect = r.take("hhhh")
    menu, klass, caption = sz(r), sz(r), sz(r)
    font = None
    if style & 0x40:  # DS_SETFONT
        if extended:
            size, weight, italic, charset = r.take("HHBB")
            font = (size, weight, italic, charset, sz(r))
        else:
            font = (r.take("H"), None, None, None, sz(r))
    controls = []
    for _ in range(count):
        r.align()
        if extended:
            help_id, cex, cstyle = r.take("III")
            help_ids.append(help_id)
            crect = r.take("hhhh")
            cid = r.take("i")
        else:
            cstyle, cex = r.take("II")
            crect = r.take("hhhh")
            cid = r.take("h")
        cclass, text = sz(r), sz(r)
        extra = r.take("H")
        r.pos += extra
        controls.append((cid, cclass, cstyle, cex, crect, text))
    return {"extended": extended, "help_ids": help_ids, "style": style, "exstyle": exstyle, "rect": rect, "menu": menu,
            "class": klass, "caption": caption, "font": font, "controls": controls}


def main(exe):
    listing = subprocess.run(["wrestool", "-l", "--type=5", exe], check=True, capture_output=True,
                             text=True).stdout
    problems = []
    for dialog_id, want in EXPECTED.items():
        if "--name=%d --language=1041" % dialog_id not in listing:
            problems.append("dialog %d: not present in language 1041" % dialog_id)
            continue
        data = subprocess.run(["wrestool", "-x", "--raw", "--type=5", "--name=%d" % dialog_id, exe],
                              check=True, capture_output=True).stdout
        got = parse(data)
        for field in ("extended", "style", "exstyle", "rect", "caption", "font"):
            if got[field] != want[field]:
                problems.append("dialog %d %s: %r, want %r" % (dialog_id, field, got[field], want[field]))
        if any(got["help_ids"]):
            problems.append("dialog %d: help ids %s, want all 0" % (dialog_id, got["help_ids"]))
        if got["menu"] != "" or got["class"] != "":
            problems.append("dialog %d: has a menu or a window class of its own" % dialog_id)
        if len(got["controls"]) != len(want["controls"]):
            problems.append("dialog %d: %d controls, want %d" % (dialog_id, len(got["controls"]),
                                                                 len(want["controls"])))
        for index, (g, w) in enumerate(zip(got["controls"], want["controls"])):
            if g != w:
                problems.append("dialog %d control %d: %r, want %r" % (dialog_id, index + 1, g, w))
    for problem in problems:
        print("FAIL: " + problem)
    print("dialog templates: %s" % ("ok" if not problems else "%d problems" % len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
