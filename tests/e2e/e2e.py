#!/usr/bin/env python3
"""End-to-end scenarios: the real setup programs under Wine, driven as a user would.

Run through tests/e2e/run.sh, which installs what is missing and starts the X display.
Each scenario gets its own copy of a prefix template (one template per Windows version,
made once per run), the driver plays its steps, and the checks read the transcript, the
files under drive_c and the registry.
"""
import argparse
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))

WELCOME_CAPTION = "Velodar 2.1 インストーラ/アップデータ"
WELCOME_TEXT_START = "「Velodar V.2.1.0.4」をダウンロードして頂きまして、"
TERMS_CAPTION = "使用許諾契約"
REFUSAL_TEXT = ("申し訳ございませんが、このVelodar は、Windows 7/Vista/XP専用です。\n"
                "インストールすることができません。ご了承下さい。")
DEFAULT_MSGBOX_CAPTION = "エラー"  # what MessageBox shows for a null caption in a Japanese system
TERMS_BYTES = 5120
IDOK, IDCANCEL, IDC_BACK, IDC_TERMS = 1, 2, 1001, 1002
VERSION_CODES = {"win2k": 500, "winxp": 501, "vista": 600, "win7": 601}
STEP_TIMEOUT_MS = 20000
SCENARIO_TIMEOUT_S = 120

BASE_ENV = {
    "LANG": "ja_JP.UTF-8",
    "LC_ALL": "ja_JP.UTF-8",
    "WINEDEBUG": "-all",
    # netsh.exe=n: the recorder that stands in for the system's netsh is taken, not Wine's own.
    "WINEDLLOVERRIDES": "mscoree=;mshtml=;winemenubuilder.exe=d;netsh.exe=n",
}


class Failure(Exception):
    pass


def log(msg):
    print(msg, flush=True)


def pe_machine(path):
    """'i386' or 'amd64' from the PE header of an executable."""
    with open(path, "rb") as f:
        data = f.read(4096)
    if data[:2] != b"MZ":
        raise Failure("%s is not a Windows executable" % path)
    off = struct.unpack_from("<I", data, 0x3C)[0]
    machine = struct.unpack_from("<H", data, off + 4)[0]
    return {0x14C: "i386", 0x8664: "amd64"}.get(machine, hex(machine))


class Wine:
    """How to start Wine for one architecture of the programs under test."""

    def __init__(self, arch):
        self.arch = arch
        if arch == "i386":
            self.loader = "/usr/lib/wine/wine" if os.path.exists("/usr/lib/wine/wine") else "wine"
            self.winearch = "win32"
        else:
            self.loader = "/usr/lib/wine/wine64" if os.path.exists("/usr/lib/wine/wine64") else "wine64"
            self.winearch = "win64"
        self.servers = set()

    def usable(self):
        try:
            r = subprocess.run([self.loader, "--version"], capture_output=True, timeout=30)
            return r.returncode == 0
        except (OSError, subprocess.TimeoutExpired):
            return False

    def env(self, prefix):
        env = dict(os.environ)
        env.update(BASE_ENV)
        env["WINEPREFIX"] = prefix
        env["WINEARCH"] = self.winearch
        self.servers.add(prefix)
        return env

    def run(self, prefix, args, timeout=120, check=True):
        r = subprocess.run([self.loader] + args, env=self.env(prefix), capture_output=True, timeout=timeout)
        if check and r.returncode != 0:
            raise Failure("wine %s failed (%d): %s" % (" ".join(args), r.returncode, r.stderr.decode(errors="replace")[-2000:]))
        return r

    def wait_server(self, prefix, timeout=120):
        subprocess.run(["wineserver", "-w"], env=self.env(prefix), timeout=timeout)

    def kill_server(self, prefix):
        try:
            subprocess.run(["wineserver", "-k"], env=self.env(prefix), timeout=30, capture_output=True)
        except subprocess.TimeoutExpired:
            pass

    def kill_all(self):
        for prefix in sorted(self.servers):
            if os.path.isdir(prefix):
                self.kill_server(prefix)


# ---------------------------------------------------------------- prefixes

def drive_c(prefix, winpath=""):
    """Unix path of a C:\\ path inside a prefix."""
    rel = winpath[3:] if winpath[:3].upper() == "C:\\" else winpath
    return os.path.join(prefix, "drive_c", *[p for p in rel.split("\\") if p])


class Templates:
    """One booted prefix, then one copy per Windows version, made when first needed."""

    def __init__(self, wine, work, probe):
        self.wine, self.work, self.probe = wine, work, probe
        self.base = None
        self.made = {}
        self.timings = []

    def _base(self):
        if self.base:
            return self.base
        t0 = time.time()
        self.base = os.path.join(self.work, "template-base")
        self.wine.run(self.base, ["wineboot", "-i"], timeout=300)
        self.wine.wait_server(self.base, timeout=300)
        self.timings.append(("wineboot", time.time() - t0))
        return self.base

    def _version_code(self, prefix):
        dst = drive_c(prefix, "C:\\probe.exe")
        shutil.copyfile(self.probe, dst)
        r = self.wine.run(prefix, ["C:\\probe.exe", "version"], check=False)
        os.remove(dst)
        return r.returncode

    def get(self, version):
        if version in self.made:
            return self.made[version]
        base = self._base()
        t0 = time.time()
        path = os.path.join(self.work, "template-" + version)
        copy_tree(base, path)
        # winecfg -v is the way; a 64-bit prefix refuses versions older than XP x64 there, and then
        # the same registry value that winecfg writes is set directly.
        self.wine.run(path, ["winecfg", "-v", version], check=False)
        self.wine.wait_server(path)
        want = VERSION_CODES[version] % 256
        if self._version_code(path) != want:
            self.wine.run(path, ["reg", "add", "HKCU\\Software\\Wine", "/v", "Version", "/d", version, "/f"])
            self.wine.wait_server(path)
        got = self._version_code(path)
        self.wine.wait_server(path)
        if got != want:
            raise Failure("prefix for %s reports version code %d, not %d" % (version, got, want))
        self.timings.append(("template " + version, time.time() - t0))
        self.made[version] = path
        return path


def copy_tree(src, dst):
    subprocess.run(["cp", "-a", "--reflink=auto", src, dst], check=True)


# ---------------------------------------------------------------- running the driver

class Run:
    """One driver run in a scenario's prefix: the transcript and what it left behind."""

    def __init__(self, prefix, records, exit_code, transcript_path, shots):
        self.prefix = prefix
        self.records = records
        self.exit_code = exit_code
        self.transcript_path = transcript_path
        self.shots = shots

    def windows(self):
        return [r for r in self.records if r.get("event") in ("window", "snap")]

    def program_exit(self):
        for r in self.records:
            if r.get("event") == "exit":
                return r.get("code")
        return None

    def transcript(self):
        with open(self.transcript_path, encoding="utf-8", errors="replace") as f:
            return f.read()


def to_win(path):
    return "Z:" + path.replace("/", "\\")


def take_screenshot(png):
    display = os.environ.get("DISPLAY", "")
    xwd = subprocess.run(["xwd", "-root", "-silent", "-display", display], capture_output=True, timeout=30, check=True)
    subprocess.run(["convert", "xwd:-", "png:" + png], input=xwd.stdout, timeout=30, check=True)


def run_driver(ctx, prefix, program_win, steps, label, wait=True, extra_env=None):
    """Plays steps against program_win (a C:\\ path, or a list: path and arguments) in the prefix's
    virtual desktop. With wait, the prefix's processes must all have ended afterwards; without it
    (the installed service and application go on running) they are left running."""
    program = program_win if isinstance(program_win, list) else [program_win]
    rundir = os.path.join(ctx.scenario_dir, label)
    shots = os.path.join(rundir, "shots")
    os.makedirs(shots, exist_ok=True)
    script = os.path.join(rundir, "steps.txt")
    with open(script, "w", encoding="ascii") as f:
        f.write("\n".join(steps) + "\n")
    transcript = os.path.join(rundir, "transcript.jsonl")
    shutil.copyfile(ctx.driver, drive_c(prefix, "C:\\e2e_driver.exe"))
    args = [ctx.wine.loader, "explorer", "/desktop=velodar,800x600", "C:\\e2e_driver.exe",
            "--timeout", str(STEP_TIMEOUT_MS), "--cwd", "C:\\", "--shots", to_win(shots),
            to_win(script), to_win(transcript)] + program
    env = ctx.wine.env(prefix)
    env.update(extra_env or {})
    # Output to a file, not a pipe: programs started from here may outlive the run and must never
    # block on a pipe that nobody reads.
    output_path = os.path.join(rundir, "output.txt")
    output = open(output_path, "wb")
    proc = subprocess.Popen(args, env=env, stdout=output, stderr=subprocess.STDOUT)
    output.close()
    deadline = time.time() + SCENARIO_TIMEOUT_S
    taken = []
    timed_out = False
    # Without wait, explorer may end at once (the virtual desktop is already there, kept by the
    # installed application) or never (it keeps that desktop): the transcript's end record, not
    # explorer's end, says the driver is done.
    while proc.poll() is None or not wait:
        for name in sorted(os.listdir(shots)):
            if name.endswith(".req"):
                shot = name[:-4]
                png = os.path.join(ctx.out, "screenshots", "%s-%s.png" % (ctx.name, shot))
                os.makedirs(os.path.dirname(png), exist_ok=True)
                take_screenshot(png)
                taken.append(png)
                os.remove(os.path.join(shots, name))
                open(os.path.join(shots, shot + ".done"), "w").close()
        if not wait and os.path.exists(transcript):
            with open(transcript, encoding="utf-8", errors="replace") as f:
                if '"event":"end"' in f.read().replace(" ", ""):
                    # explorer stays: it keeps the desktop that the application's window is on,
                    # which later runs in this prefix share, as a user's session would. It ends
                    # with the prefix's server at the end of the scenario.
                    break
        if time.time() > deadline:
            timed_out = True
            ctx.wine.kill_server(prefix)
            proc.kill()
            break
        time.sleep(0.05)
    if wait or timed_out:
        proc.wait()
    with open(output_path, "rb") as f:
        out = f.read().decode(errors="replace")
    if wait:
        ctx.wine.wait_server(prefix, timeout=60)
    records = []
    if os.path.exists(transcript):
        with open(transcript, encoding="utf-8") as f:
            for line in f:
                line = line.strip()
                if line:
                    try:
                        records.append(json.loads(line))
                    except ValueError:
                        records.append({"event": "unparsed", "line": line})
    run = Run(prefix, records, None, transcript, taken)
    if timed_out:
        raise Failure("%s: the driver did not finish within %d s\n%s\n%s" % (label, SCENARIO_TIMEOUT_S, out[-2000:], dump(records)))
    end = [r for r in records if r.get("event") == "end"]
    if not end:
        raise Failure("%s: the driver ended without finishing its transcript\n%s\n%s" % (label, out[-2000:], dump(records)))
    if end[-1].get("rc") in (250, 251, 252):
        raise Failure("%s: the driver stopped (code %s)\n%s" % (label, end[-1].get("rc"), dump(records)))
    ctx.runs.append(run)
    return run


def dump(records):
    return "\n".join("    " + json.dumps(r, ensure_ascii=False)[:3000] for r in records)


# ---------------------------------------------------------------- checks

def expect(cond, what):
    if not cond:
        raise Failure(what)


def control(win, cid, cls=None):
    found = [c for c in win["controls"] if c["id"] == cid and (cls is None or c["class"].lower() == cls.lower())]
    expect(found, "%s: no control %s%s in %s" % (win.get("caption"), cid, " " + cls if cls else "", summary(win)))
    return found[0]


def summary(win):
    return json.dumps([(c["class"], c["id"], c["text"][:30]) for c in win["controls"]], ensure_ascii=False)


def read_bytes(prefix, winpath):
    path = drive_c(prefix, winpath)
    with open(path, "rb") as f:
        return f.read()


def file_exists(prefix, winpath):
    return os.path.exists(drive_c(prefix, winpath))


def reg_query(ctx, prefix, key, value, wait=True):
    """The data of a registry value as `reg query` prints it, or None. Without wait, the prefix's
    other programs (an installed service) may go on running."""
    r = ctx.wine.run(prefix, ["reg", "query", key, "/v", value], check=False)
    if wait:
        ctx.wine.wait_server(prefix)
    if r.returncode != 0:
        return None
    for line in r.stdout.decode("utf-8", errors="replace").splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3 and parts[0] == value:
            return parts[2]
    return None


def button_ids(win):
    return [c["id"] for c in win["controls"] if c["class"].lower() == "button"]


def check_welcome(win):
    expect(win["class"] == "#32770", "welcome page is not a dialog: %s" % win["class"])
    expect(win["caption"] == WELCOME_CAPTION, "welcome caption %r" % win["caption"])
    ids = [(c["class"].lower(), c["id"]) for c in win["controls"]]
    expect(ids[:4] == [("button", IDOK), ("button", IDCANCEL), ("static", -1), ("static", -1)],
           "welcome controls in order: %s" % summary(win))
    expect(control(win, IDOK)["text"] == "次へ", "welcome IDOK text %r" % control(win, IDOK)["text"])
    expect(control(win, IDCANCEL)["text"] == "キャンセル", "welcome IDCANCEL text %r" % control(win, IDCANCEL)["text"])
    expect(win["default_id"] == IDOK, "welcome default button %r" % win["default_id"])
    expect(int(control(win, IDOK)["style"], 16) & 0xF == 1, "次へ is not BS_DEFPUSHBUTTON")
    statics = [c for c in win["controls"] if c["class"].lower() == "static"]
    expect(statics[0]["text"].startswith(WELCOME_TEXT_START), "welcome text %r" % statics[0]["text"][:60])
    bmp = statics[1]
    expect(int(bmp["style"], 16) & 0x1F == 0x0E, "second static is not a bitmap (style %s)" % bmp["style"])


def check_terms(win, licence):
    expect(win["caption"] == TERMS_CAPTION, "terms caption %r" % win["caption"])
    order = [(c["class"].lower(), c["id"]) for c in win["controls"]][:4]
    expect(order == [("button", IDCANCEL), ("button", IDC_BACK), ("button", IDOK), ("edit", IDC_TERMS)],
           "terms controls in order: %s" % summary(win))
    expect(control(win, IDCANCEL)["text"] == "同意しない", "IDCANCEL text %r" % control(win, IDCANCEL)["text"])
    expect(control(win, IDC_BACK)["text"] == "< 戻る(&B)", "1001 text %r" % control(win, IDC_BACK)["text"])
    expect(control(win, IDOK)["text"] == "同意する >", "IDOK text %r" % control(win, IDOK)["text"])
    expect(win["default_id"] == IDCANCEL, "terms default button %r, want 同意しない" % win["default_id"])
    expect(win["focus_id"] == IDCANCEL, "terms focus on %r, want 同意しない" % win["focus_id"])
    edit = control(win, IDC_TERMS, "Edit")
    style = int(edit["style"], 16)
    expect(style & 0x4 and style & 0x800, "terms box is not multiline read-only (style %s)" % edit["style"])
    shown = bytes.fromhex(edit["bytes_hex"])
    want = licence[:TERMS_BYTES]
    expect(shown == want, "terms box holds %d bytes, differing from the first %d bytes of licence.txt at %s"
           % (len(shown), len(want), first_diff(shown, want)))
    statics = [c for c in win["controls"] if c["class"].lower() == "static"]
    expect(len(statics) >= 2, "terms page has %d static texts" % len(statics))


def first_diff(a, b):
    for i in range(min(len(a), len(b))):
        if a[i] != b[i]:
            return "byte %d" % i
    return "byte %d (length)" % min(len(a), len(b))


def check_nothing_installed(run):
    for d in ("C:\\Program Files\\Velodar", "C:\\Program Files (x86)\\Velodar"):
        expect(not file_exists(run.prefix, d), "%s exists after a run that installed nothing" % d)


def check_exit0(run):
    expect(run.program_exit() == 0, "the installer's exit code is %r, want 0" % run.program_exit())


# ---------------------------------------------------------------- scenarios

class Ctx:
    pass


def payload_licence(ctx):
    """The terms text the installer must stage: the repository's payload, or what the installer carries."""
    path = os.path.join(ROOT, "payload", "licence.txt")
    if os.path.exists(path):
        with open(path, "rb") as f:
            return f.read(), path
    return None, None


def staged_licence(ctx, run, folder):
    data = read_bytes(run.prefix, folder + "\\licence.txt")
    want, src = payload_licence(ctx)
    if want is not None:
        expect(data == want, "licence.txt beside the installer differs from %s (%d vs %d bytes, %s)"
               % (src, len(data), len(want), first_diff(data, want)))
    return data


def place(ctx, prefix, exe, folder, name):
    os.makedirs(drive_c(prefix, folder), exist_ok=True)
    shutil.copyfile(exe, drive_c(prefix, folder + "\\" + name))
    return folder + "\\" + name


INSTALLER_DIR = "C:\\dl"
INSTALLER_NAME = "VelodarInstaller.exe"


def sc_refusal(ctx, version):
    prefix = ctx.prefix(version)
    prog = place(ctx, prefix, ctx.installer, INSTALLER_DIR, INSTALLER_NAME)
    run = run_driver(ctx, prefix, prog, ["window", "click 1", "exit"], "refusal")
    wins = run.windows()
    expect(len(wins) == 1, "%d windows, want the one message box" % len(wins))
    box = wins[0]
    expect(box["caption"] == DEFAULT_MSGBOX_CAPTION, "message box caption %r, want the default %r" % (box["caption"], DEFAULT_MSGBOX_CAPTION))
    expect(box["owner"].strip("0") == "", "message box has an owner %s" % box["owner"])
    texts = [c["text"] for c in box["controls"] if c["class"].lower() == "static" and c["text"]]
    expect(REFUSAL_TEXT in texts, "message box text %r" % texts)
    icons = [c.get("icon") for c in box["controls"] if "icon" in c and c.get("visible")]
    expect(icons == ["error"], "message box icon %r, want error" % icons)
    buttons = [c["text"] for c in box["controls"] if c["class"].lower() == "button" and c["visible"]]
    expect(buttons == ["OK"], "message box buttons %r, want OK alone" % buttons)
    check_exit0(run)
    expect(not file_exists(prefix, INSTALLER_DIR + "\\licence.txt"), "licence.txt written on a refused system")
    check_nothing_installed(run)


def walk_steps(ending):
    """welcome -> terms, then the ending's steps; returns the steps for the driver."""
    return ["window", "key ENTER", "window"] + ending


# (name, steps, which windows the run must show: 'w' welcome, 't' terms)
ENDINGS = [
    ("walk-back-then-enter", ["shot welcome", "key ENTER", "window", "shot terms",
                              "key TAB", "key TAB", "key TAB", "snap focus=1002",
                              "key ALT+B", "window", "key ENTER", "window", "key ENTER", "exit"], None),
    ("terms-esc", walk_steps(["key ESC", "exit"]), "wt"),
    ("terms-close-box", walk_steps(["close", "exit"]), "wt"),
    ("terms-decline", walk_steps(["click 2", "exit"]), "wt"),
    ("terms-back-button", walk_steps(["click 1001", "window", "click 2", "exit"]), "wtw"),
    ("welcome-cancel", ["window", "click 2", "exit"], "w"),
    ("welcome-esc", ["window", "key ESC", "exit"], "w"),
    ("welcome-close-box", ["window", "close", "exit"], "w"),
]


def sc_walk_main(ctx, version):
    """Forward, Tab into the terms, back with Alt+B to a fresh welcome page, forward, Enter at once."""
    prefix = ctx.prefix(version)
    prog = place(ctx, prefix, ctx.installer, INSTALLER_DIR, INSTALLER_NAME)
    steps = ["window"] + ENDINGS[0][1]
    run = run_driver(ctx, prefix, prog, steps, "walk")
    licence = staged_licence(ctx, run, INSTALLER_DIR)
    w = [r for r in run.records if r.get("event") == "window"]
    snaps = [r for r in run.records if r.get("event") == "snap"]
    expect(len(w) == 4, "%d windows, want welcome, terms, welcome, terms" % len(w))
    check_welcome(w[0])
    check_terms(w[1], licence)
    edit = control(snaps[0], IDC_TERMS, "Edit")
    expect(snaps[0]["focus_id"] == IDC_TERMS, "Tab did not move into the terms box")
    expect(edit["sel"][0] == edit["sel"][1], "Tab into the terms box selected %r" % edit["sel"])
    check_welcome(w[2])
    expect(w[2]["hwnd"] != w[0]["hwnd"], "Alt+B showed the old welcome window again, not a fresh one")
    check_terms(w[3], licence)
    check_exit0(run)
    check_nothing_installed(run)
    expect(len(run.shots) == 2, "screenshots taken: %r" % run.shots)


def sc_ending(ctx, version, ending):
    name, steps, shape = ending
    prefix = ctx.prefix(version)
    prog = place(ctx, prefix, ctx.installer, INSTALLER_DIR, INSTALLER_NAME)
    run = run_driver(ctx, prefix, prog, steps, name)
    licence = staged_licence(ctx, run, INSTALLER_DIR)
    w = [r for r in run.records if r.get("event") == "window"]
    expect(len(w) == len(shape), "%d windows, want %d (%s)" % (len(w), len(shape), shape))
    for win, kind in zip(w, shape):
        check_welcome(win) if kind == "w" else check_terms(win, licence)
    check_exit0(run)
    check_nothing_installed(run)


def sc_endings(ctx, version):
    """Every way of leaving without installing, each in a fresh copy of the prefix."""
    problems = []
    for ending in ENDINGS[1:]:
        ctx.fresh()
        try:
            sc_ending(ctx, version, ending)
        except Failure as e:
            problems.append("%s: %s" % (ending[0], e))
    if problems:
        raise Failure("\n".join(problems))


def sc_accepts(ctx, version):
    """XP and Vista are supported: the welcome page shows, and キャンセル leaves."""
    prefix = ctx.prefix(version)
    prog = place(ctx, prefix, ctx.installer, INSTALLER_DIR, INSTALLER_NAME)
    run = run_driver(ctx, prefix, prog, ["window", "click 2", "exit"], "accepts")
    w = run.windows()
    expect(len(w) == 1, "%d windows, want the welcome page" % len(w))
    check_welcome(w[0])
    staged_licence(ctx, run, INSTALLER_DIR)
    check_exit0(run)


def sc_dbcs_folder(ctx, version):
    """表 and ソ end in 0x5C in code page 932: a byte-wise path scan cuts the folder name there."""
    folder = "C:\\ソフト表"
    prefix = ctx.prefix(version)
    prog = place(ctx, prefix, ctx.installer, folder, INSTALLER_NAME)
    run = run_driver(ctx, prefix, prog, ["window", "key ESC", "exit"], "dbcs")
    w = run.windows()
    expect(len(w) == 1, "%d windows, want the welcome page" % len(w))
    check_welcome(w[0])
    expect(file_exists(prefix, folder + "\\licence.txt"), "no licence.txt in %s" % folder)
    staged_licence(ctx, run, folder)
    strays = [p for p in os.listdir(drive_c(prefix)) if p.lower().endswith("licence.txt") or p.startswith("ソ")]
    expect(strays == ["ソフト表"], "files beside the folder: %r" % strays)
    check_exit0(run)


# ------------------------------------------------ self-check against the probe program

PROBE_TEXT = "プローブです。\n二行目：表示とソフト。"


def sc_probe_icons(ctx, version):
    """The driver tells the message box icons apart and clicks with real mouse input."""
    prefix = ctx.prefix(version)
    prog = place(ctx, prefix, ctx.probe, "C:\\probe", "probe.exe")
    problems = []
    for icon in ("error", "question", "warning", "information", "none"):
        steps = ["window", "click 1", "exit"] if icon != "question" else ["window", "key ENTER", "exit"]
        run = run_driver(ctx, prefix, [prog, "msgbox", icon], steps, "icon-" + icon)
        box = run.windows()[0]
        seen = [c.get("icon") for c in box["controls"] if "icon" in c and c.get("visible")] or ["none"]
        if seen != [icon]:
            problems.append("%s shown as %r" % (icon, seen))
        texts = [c["text"] for c in box["controls"] if c["class"].lower() == "static" and c["text"]]
        if PROBE_TEXT not in texts:
            problems.append("text %r" % texts)
        if run.program_exit() != 1:
            problems.append("%s: exit %r, want IDOK" % (icon, run.program_exit()))
    expect(not problems, "; ".join(problems))


def sc_probe_wizard(ctx, version):
    """Keys through SendInput reach the dialog manager: Enter, Tab, Alt+B, Esc, the close box."""
    prefix = ctx.prefix(version)
    prog = place(ctx, prefix, ctx.probe, "C:\\probe", "probe.exe")
    text = ("規約本文\r\n" * 40).encode("cp932")
    with open(drive_c(prefix, "C:\\probe\\terms.txt"), "wb") as f:
        f.write(text)
    steps = ["window", "key ENTER", "window", "key TAB", "key TAB", "key TAB", "snap focus=1002", "key ALT+B", "window",
             "key ENTER", "window", "key ESC", "exit"]
    run = run_driver(ctx, prefix, [prog, "wizard", "C:\\probe\\terms.txt"], steps, "wizard")
    w = [r for r in run.records if r.get("event") == "window"]
    expect([x["caption"] for x in w] == ["プローブ 歓迎", "プローブ 規約", "プローブ 歓迎", "プローブ 規約"],
           "captions %r" % [x["caption"] for x in w])
    expect(w[1]["focus_id"] == IDCANCEL and w[1]["default_id"] == IDCANCEL, "terms focus/default %r/%r" % (w[1]["focus_id"], w[1]["default_id"]))
    expect(bytes.fromhex(control(w[1], IDC_TERMS)["bytes_hex"]) == text, "edit bytes differ")
    snap = [r for r in run.records if r.get("event") == "snap"][0]
    sel = control(snap, IDC_TERMS)["sel"]
    expect(sel[0] == sel[1], "selection after Tab %r" % sel)
    expect(w[2]["hwnd"] != w[0]["hwnd"], "the second welcome page has the first one's handle")
    expect(run.program_exit() == 20, "exit %r, want 20 (declined)" % run.program_exit())
    run = run_driver(ctx, prefix, [prog, "wizard", "C:\\probe\\terms.txt"], ["window", "close", "exit"], "closebox")
    expect(run.program_exit() == 10, "close box: exit %r, want 10" % run.program_exit())


# ------------------------------------------------ installing and removing

COMPLETE_TEXT = "インストールが完了しました。\n「Velodar」を起動します。"
FAILED_TEXT = "インストールに失敗しました。"
CONFIRM_TEXT = "Velodarを完全に削除します。よろしいですか？"
REMOVED_TEXT = "完全に削除しました。\nVelodarのご利用ありがとうございました。"
FILES_LEFT_TEXT = ("Velodarを削除しましたが、使用中のファイルが残っています。\n"
                   "Windowsを再起動すると削除が完了します。\nVelodarのご利用ありがとうございました。")
PRODUCT = "C:\\Program Files\\Velodar"
APP = PRODUCT + "\\Velodar.exe"
START_MENU = "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\Velodar"
DESKTOP = "C:\\users\\Public\\Desktop"
UNINSTALLER = "C:\\windows\\uninstall_Velodar.exe"
SENDTO_FILE = "Velodar iアプリへ.lnk"
SERVICE_KEY = "HKLM\\System\\CurrentControlSet\\Services\\Velodar Service"
UNINSTALL_KEY = "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velodar"
RUN_KEY = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"
VIRTUAL_STORE = "HKCU\\Software\\Classes\\VirtualStore\\Machine\\Software\\Osterlund\\Velodar"
NETSH_LOG = "C:\\netsh_calls.txt"
ADD_RULES = {
    "new": ['advfirewall firewall add rule name="Velodar Server" dir=in action=allow program="%s" enable=yes' % APP,
            'advfirewall firewall add rule name="Velodar Server" dir=in action=allow protocol=TCP localport=8899'],
    "old": ['firewall add allowedprogram "%s" "Velodar Server" ENABLE' % APP,
            'firewall add portopening TCP 8899 "Velodar Server"'],
}
DELETE_RULES = {
    "new": ['advfirewall firewall delete rule name="Velodar Server" program="%s"' % APP,
            'advfirewall firewall delete rule name="Velodar Server" protocol=TCP localport=8899'],
    "old": ['firewall delete allowedprogram "%s"' % APP, "firewall delete portopening protocol=TCP port=8899"],
}


def generation(version):
    return "old" if version in ("winxp", "win2k") else "new"


def prepare_machine(ctx, prefix, version):
    """What Windows has and Wine's prefix lacks: the netsh recorder in place of the system's netsh, the
    SendTo compatibility link in each profile folder, and the default profile's folders."""
    tools = os.path.dirname(ctx.driver)
    shutil.copyfile(os.path.join(tools, "netsh.exe"), drive_c(prefix, "C:\\windows\\system32\\netsh.exe"))
    users = drive_c(prefix, "C:\\users")
    profiles = ["Default"] + (["Default User"] if version == "winxp" else [])
    for name in profiles:
        os.makedirs(os.path.join(users, name, "AppData", "Roaming", "Microsoft", "Windows", "SendTo"), exist_ok=True)
    for name in sorted(os.listdir(users)):
        real = os.path.join(users, name, "AppData", "Roaming", "Microsoft", "Windows", "SendTo")
        link = os.path.join(users, name, "SendTo")
        if os.path.isdir(real) and not os.path.lexists(link):
            os.symlink(os.path.join("AppData", "Roaming", "Microsoft", "Windows", "SendTo"), link)


def accounts(prefix):
    """The profile folders the SendTo fan-out reaches: Wine's NetUserEnum returns the account running it."""
    return [os.environ.get("USER") or "root"]


def sendto_links(prefix, version):
    names = accounts(prefix) + ["Default User" if version == "winxp" else "Default"]
    return ["C:\\users\\%s\\SendTo\\%s" % (n, SENDTO_FILE) for n in names]


def netsh_calls(prefix):
    """The recorded netsh commands, sorted: the two of one operation run at the same time."""
    if not file_exists(prefix, NETSH_LOG):
        return []
    return sorted(read_bytes(prefix, NETSH_LOG).decode("cp932").splitlines())


def wait_netsh(prefix, count, timeout=20):
    """The recorded netsh commands once `count` of them have come (they are not waited for)."""
    deadline = time.time() + timeout
    while len(netsh_calls(prefix)) < count and time.time() < deadline:
        time.sleep(0.2)
    return netsh_calls(prefix)


def probe(ctx, prefix, args, timeout=60):
    """Runs the probe program in the prefix; its exit code."""
    place(ctx, prefix, ctx.probe, "C:\\probe", "probe.exe")
    return ctx.wine.run(prefix, ["C:\\probe\\probe.exe"] + args, timeout=timeout, check=False).returncode


def window_of_class(ctx, prefix, name):
    """Whether a top-level window of that class is on the scenario's virtual desktop."""
    place(ctx, prefix, ctx.probe, "C:\\probe", "probe.exe")
    found = drive_c(prefix, "C:\\probe\\found.txt")
    if os.path.exists(found):
        os.remove(found)
    subprocess.run([ctx.wine.loader, "explorer", "/desktop=velodar,800x600", "C:\\probe\\probe.exe", "findclass", name],
                   env=ctx.wine.env(prefix), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
    return os.path.exists(found)


def wine_processes():
    """The command lines of the running Windows processes (Wine shows them as the processes' own)."""
    found = []
    for pid in os.listdir("/proc"):
        if pid.isdigit():
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f:
                    found.append(f.read().replace(b"\0", b" ").decode("utf-8", errors="replace").strip())
            except OSError:
                pass
    return found


def application_running():
    """The desktop instance of the installed application (not the service, started with /LocalService)."""
    return any(p.lower() == APP.lower() for p in wine_processes())


def probe_on_desktop(ctx, prefix, args, result, timeout=60):
    """Runs the probe on the scenario's virtual desktop (where the installed application's window is,
    and where a shell object can be created while that desktop is up) and waits for its result file."""
    place(ctx, prefix, ctx.probe, "C:\\probe", "probe.exe")
    path = drive_c(prefix, result)
    if os.path.exists(path):
        os.remove(path)
    subprocess.Popen([ctx.wine.loader, "explorer", "/desktop=velodar,800x600", "C:\\probe\\probe.exe"] + args,
                     env=ctx.wine.env(prefix), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.time() + timeout
    while time.time() < deadline:
        if os.path.exists(path):
            time.sleep(0.2)  # written and closed
            with open(path, "rb") as f:
                data = f.read()
            os.remove(path)
            return data
        time.sleep(0.1)
    return None


def hold_file(ctx, prefix, path):
    """Another program holds the file open without write or delete sharing, on the scenario's desktop."""
    data = probe_on_desktop(ctx, prefix, ["hold", path], "C:\\probe\\held.txt", timeout=30)
    expect(data is not None, "the helper could not hold %s open" % path)


def read_link(ctx, prefix, lnk):
    """A shortcut read back through IShellLinkA: (target, description), or None."""
    data = probe_on_desktop(ctx, prefix, ["link", "C:\\probe\\link.txt", lnk], "C:\\probe\\link.txt", timeout=30)
    if data is None:
        return None
    lines = data.decode("cp932").split("\n")
    return lines[0], lines[1]


def installed_programs(ctx, prefix):
    """The display names in the system's list of installed programs, as Wine's uninstaller reads them
    (its own `--list` does not come back while the scenario's desktop is up)."""
    r = ctx.wine.run(prefix, ["reg", "query", "HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "/s"],
                     check=False, timeout=60)
    names = []
    for line in r.stdout.decode("utf-8", errors="replace").splitlines():
        parts = line.split(None, 2)
        if len(parts) == 3 and parts[0] == "DisplayName":
            names.append(parts[2])
    return names


def greeting(port=8899, timeout=20):
    """The first line a connection to the port gets, or None."""
    import socket
    deadline = time.time() + timeout
    while time.time() < deadline:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=2) as c:
                return c.recv(256).decode(errors="replace").strip()
        except OSError:
            time.sleep(0.3)
    return None


def payload_file(ctx, name):
    """A payload file as the build took it: the vendor's in payload/, else the stand-in built beside the installer."""
    vendor = os.path.join(ROOT, "payload", name)
    if os.path.exists(vendor):
        return vendor
    return os.path.join(os.path.dirname(os.path.dirname(ctx.installer)), "payload", name)


def boxes(run):
    """The message boxes a run showed: (caption, text, icon) each."""
    out = []
    for w in run.windows():
        if w.get("event") != "window" or w["caption"] in (WELCOME_CAPTION, TERMS_CAPTION):
            continue
        texts = [c["text"] for c in w["controls"] if c["class"].lower() == "static" and c["text"]]
        icons = [c.get("icon") for c in w["controls"] if "icon" in c and c.get("visible") and c.get("icon") != "none"]
        out.append((w["caption"], texts[0] if texts else "", icons[0] if icons else None, w["t"]))
    return out


def install(ctx, prefix, label, failures=0):
    """Walks to the terms page, agrees, and closes the completion message (or `failures` failure
    messages); the installed service and application go on running."""
    steps = ["window", "click 1", "window", "click 1"]
    steps += ["window", "click 1"] * (failures or 1)
    steps += ["exit 60000"]
    return run_driver(ctx, prefix, INSTALLER_DIR + "\\" + INSTALLER_NAME, steps, label, wait=False)


def report_install_time(ctx, run, own_pauses_ms, label):
    clicks = [r for r in run.records if r.get("event") == "click"]
    done = [b for b in boxes(run) if b[1] == COMPLETE_TEXT]
    if len(clicks) >= 2 and done:
        took = done[0][3] - clicks[1]["t"]
        log("  benchmark %s: 同意する > to the completion message %d ms, %d ms without the sequence's own pauses"
            % (label, took, took - own_pauses_ms))


def check_installed(ctx, prefix, version, run):
    shown = boxes(run)
    expect([b[:3] for b in shown] == [("Velodar", COMPLETE_TEXT, None)], "messages %r" % shown)
    check_exit0(run)
    for name, source in (("Velodar.exe", payload_file(ctx, "Velodar.exe")),
                         ("mov.dat", os.path.join(ROOT, "payload", "mov.dat")),
                         ("licence.txt", os.path.join(ROOT, "payload", "licence.txt"))):
        with open(source, "rb") as f:
            expect(read_bytes(prefix, PRODUCT + "\\" + name) == f.read(), "%s differs from %s" % (name, source))
    with open(ctx.uninstaller, "rb") as f:
        expect(read_bytes(prefix, UNINSTALLER) == f.read(), "the installed uninstaller differs from the built one")
    links = [START_MENU + "\\Velodar Server.lnk", DESKTOP + "\\Velodar Server.lnk"]
    for lnk, description in [(l, "Velodar Server") for l in links] + [(l, "Velodar iアプリへ") for l in sendto_links(prefix, version)]:
        got = read_link(ctx, prefix, lnk)
        expect(got is not None, "no shortcut %s" % lnk)
        expect(got[0].lower() == APP.lower() and got[1] == description, "%s resolves to %r" % (lnk, got))
    expect(reg_query(ctx, prefix, UNINSTALL_KEY, "DisplayName", wait=False) == "Velodar Server", "DisplayName")
    expect((reg_query(ctx, prefix, UNINSTALL_KEY, "UninstallString", wait=False) or "").lower() == UNINSTALLER.lower(),
           "UninstallString %r" % reg_query(ctx, prefix, UNINSTALL_KEY, "UninstallString", wait=False))
    expect("Velodar Server" in installed_programs(ctx, prefix), "the list of installed programs lacks Velodar Server")
    image = reg_query(ctx, prefix, SERVICE_KEY, "ImagePath", wait=False) or ""
    expect(image == '"%s" /LocalService' % APP, "service command line %r" % image)
    expect(reg_query(ctx, prefix, SERVICE_KEY, "Start", wait=False) == "0x2", "service start %r" % reg_query(ctx, prefix, SERVICE_KEY, "Start", wait=False))
    expect(reg_query(ctx, prefix, SERVICE_KEY, "Type", wait=False) == "0x10", "service type %r" % reg_query(ctx, prefix, SERVICE_KEY, "Type", wait=False))
    depends = reg_query(ctx, prefix, SERVICE_KEY, "DependOnService", wait=False) or ""
    expect(depends.startswith("LanmanWorkstation"), "service dependencies %r" % depends)
    hello = greeting()
    expect(hello and "Velodar" in hello, "TCP 8899 answered %r" % hello)
    expect(application_running(), "the application did not start: %r" % [p for p in wine_processes() if "Velodar" in p])


def uninstall(ctx, prefix, label, answer="key ENTER"):
    string = reg_query(ctx, prefix, UNINSTALL_KEY, "UninstallString", wait=False)
    expect(string, "no UninstallString to start")
    steps = ["window", answer] + (["window", "click 1"] if answer != "click 7" else []) + ["exit 60000"]
    return run_driver(ctx, prefix, string, steps, label, wait=False)


def pending_operations(prefix):
    """The restart-time file operations as the prefix's system.reg holds them (read after Wine has ended)."""
    with open(os.path.join(prefix, "system.reg"), encoding="utf-8", errors="replace") as f:
        text = f.read()
    lines = text.splitlines()
    for i, line in enumerate(lines):
        if line.startswith('"PendingFileRenameOperations"='):
            kind, value = line.split("=", 1)[1].split(":", 1)
            if kind.startswith("str"):  # str(7):"\\??\\C:\\...\0\0": Wine's text form of a multi-string
                return value.strip('"').replace("\\0", "\0").replace("\\\\", "\\")
            parts = [value]
            while parts[-1].endswith("\\") and i + 1 < len(lines):
                i += 1
                parts.append(lines[i])
            hexes = "".join(ch for part in parts for ch in part if ch in "0123456789abcdef,")
            return bytes(int(h, 16) for h in hexes.split(",") if h).decode("utf-16-le", errors="replace")
    return ""


def restart(ctx, prefix):
    ctx.wine.kill_server(prefix)
    ctx.wine.run(prefix, ["wineboot", "-r"], timeout=120, check=False)
    ctx.wine.wait_server(prefix, timeout=120)


def sc_install(ctx, version):
    """A fresh installation, an installation over the running one, and the removal with Yes."""
    prefix = ctx.prefix(version)
    prepare_machine(ctx, prefix, version)
    for root in ("HKLM", "HKCU"):
        ctx.wine.run(prefix, ["reg", "add", root + "\\" + RUN_KEY, "/v", "Velodar", "/d", "C:\\old\\Velodar.exe", "/f"])
    ctx.wine.run(prefix, ["reg", "add", VIRTUAL_STORE, "/f"])
    place(ctx, prefix, ctx.installer, INSTALLER_DIR, INSTALLER_NAME)
    run = install(ctx, prefix, "install")
    check_installed(ctx, prefix, version, run)
    report_install_time(ctx, run, 0, "fresh " + version)
    calls = wait_netsh(prefix, 2)
    expect(calls == sorted(ADD_RULES[generation(version)]), "netsh started with %r" % calls)
    old = generation(version) == "old"
    expect((reg_query(ctx, prefix, "HKCU\\" + RUN_KEY, "Velodar", wait=False) is not None) == old, "per-user Run value")
    expect(reg_query(ctx, prefix, "HKLM\\" + RUN_KEY, "Velodar", wait=False) is None, "machine Run value left")
    store = ctx.wine.run(prefix, ["reg", "query", VIRTUAL_STORE], check=False).returncode == 0
    expect(store == old, "virtual-store key %s" % ("kept" if store else "deleted"))

    # Over the running installation: its window closes, its file is replaced, the service comes again.
    run = install(ctx, prefix, "reinstall")
    check_installed(ctx, prefix, version, run)
    report_install_time(ctx, run, 2500, "over a running installation " + version)
    calls = wait_netsh(prefix, 4)
    expect(calls == sorted(ADD_RULES[generation(version)] * 2), "netsh started with %r" % calls)

    run = uninstall(ctx, prefix, "uninstall")
    shown = boxes(run)
    expect([b[:3] for b in shown] == [("アンインストール", CONFIRM_TEXT, "question"), ("アンインストール", REMOVED_TEXT, "information")],
           "messages %r" % shown)
    check_exit0(run)
    ctx.wine.wait_server(prefix, timeout=60)  # the service and the application have ended
    pending = pending_operations(prefix)
    expect("uninstall_velodar.exe" in pending.lower(), "the uninstaller is not pending deletion: %r" % pending)
    for path in [APP, PRODUCT + "\\mov.dat", PRODUCT + "\\licence.txt", PRODUCT + "\\Velodar.ini",
                 PRODUCT + "\\startup_log.txt", PRODUCT, START_MENU] + sendto_links(prefix, version):
        expect(not file_exists(prefix, path), "%s is still there" % path)
    expect(file_exists(prefix, DESKTOP) and not file_exists(prefix, DESKTOP + "\\Velodar Server.lnk"), "desktop")
    calls = wait_netsh(prefix, 6)
    expect(calls == sorted(ADD_RULES[generation(version)] * 2 + DELETE_RULES[generation(version)]),
           "netsh started with %r" % calls)
    expect(ctx.wine.run(prefix, ["reg", "query", SERVICE_KEY], check=False).returncode != 0, "the service is still there")
    expect(ctx.wine.run(prefix, ["reg", "query", UNINSTALL_KEY], check=False).returncode != 0, "the uninstall entry is still there")
    expect("Velodar Server" not in installed_programs(ctx, prefix), "the list still shows Velodar Server")
    ctx.wine.wait_server(prefix, timeout=60)
    restart(ctx, prefix)
    expect(not file_exists(prefix, UNINSTALLER), "the uninstaller is still there after the restart")


def sc_install_held(ctx, version):
    """The application file held open without write sharing: four failures, about 2 s apart."""
    prefix = ctx.prefix(version)
    prepare_machine(ctx, prefix, version)
    place(ctx, prefix, ctx.installer, INSTALLER_DIR, INSTALLER_NAME)
    place(ctx, prefix, payload_file(ctx, "Velodar.exe"), PRODUCT, "Velodar.exe")
    hold_file(ctx, prefix, APP)
    run = install(ctx, prefix, "held", failures=4)
    ctx.wine.kill_server(prefix)
    shown = boxes(run)
    expect([b[:3] for b in shown] == [("Velodar.exe", FAILED_TEXT, None)] * 4, "messages %r" % shown)
    gaps = [b[3] - a[3] for a, b in zip(shown, shown[1:])]
    expect(all(g >= 1900 for g in gaps), "the failures are not about 2 s apart: %r ms" % gaps)
    expect(not file_exists(prefix, PRODUCT + "\\mov.dat"), "mov.dat written after the application failed")
    check_exit0(run)


def sc_uninstall_cases(ctx, version):
    """No changes nothing; a product file in use stays until the restart; the user's own file keeps the folder."""
    prefix = ctx.prefix(version)
    prepare_machine(ctx, prefix, version)
    place(ctx, prefix, ctx.installer, INSTALLER_DIR, INSTALLER_NAME)
    install(ctx, prefix, "install")
    run = uninstall(ctx, prefix, "no", answer="click 7")
    expect([b[:2] for b in boxes(run)] == [("アンインストール", CONFIRM_TEXT)], "messages %r" % boxes(run))
    expect(file_exists(prefix, APP) and reg_query(ctx, prefix, UNINSTALL_KEY, "DisplayName", wait=False), "No removed something")
    expect(greeting() is not None, "No stopped the service")

    # A product file held open: the truthful message, and the file and its folder wait for the restart.
    hold_file(ctx, prefix, PRODUCT + "\\licence.txt")
    run = uninstall(ctx, prefix, "held")
    expect([b[:3] for b in boxes(run)][1:] == [("アンインストール", FILES_LEFT_TEXT, "warning")], "messages %r" % boxes(run))
    ctx.wine.kill_server(prefix)
    ctx.wine.wait_server(prefix)
    pending = pending_operations(prefix).lower()
    expect("program files\\velodar\\licence.txt" in pending and "program files\\velodar\x00" in pending,
           "the held file and its folder are not pending: %r" % pending)
    restart(ctx, prefix)
    expect(not file_exists(prefix, PRODUCT), "the product folder is still there after the restart")

    # The user's own file in the product folder: that folder stays, and removal is complete.
    install(ctx, prefix, "install-again")
    with open(drive_c(prefix, PRODUCT + "\\memo.txt"), "w") as f:
        f.write("mine")
    run = uninstall(ctx, prefix, "extra")
    expect([b[:2] for b in boxes(run)][1:] == [("アンインストール", REMOVED_TEXT)], "messages %r" % boxes(run))
    expect(file_exists(prefix, PRODUCT + "\\memo.txt") and not file_exists(prefix, APP), "the product folder")


def sc_dll_search(ctx, version):
    """A uxtheme.dll planted beside the installer is not loaded; the same DLL does load into a program that
    restricts nothing, so the check can fail."""
    prefix = ctx.prefix(version)
    tools = os.path.dirname(ctx.driver)
    place(ctx, prefix, ctx.installer, INSTALLER_DIR, INSTALLER_NAME)
    place(ctx, prefix, os.path.join(tools, "uxtheme.dll"), INSTALLER_DIR, "uxtheme.dll")
    native = {"WINEDLLOVERRIDES": BASE_ENV["WINEDLLOVERRIDES"] + ";uxtheme=n,b"}
    run = run_driver(ctx, prefix, INSTALLER_DIR + "\\" + INSTALLER_NAME,
                     ["window", "key ENTER", "window", "key ESC", "exit"], "planted", extra_env=native)
    expect(len([r for r in run.records if r.get("event") == "window"]) == 2, "the pages did not work")
    check_exit0(run)
    expect(not file_exists(prefix, "C:\\dll_marker.txt"), "the installer loaded the uxtheme.dll planted beside it")
    place(ctx, prefix, ctx.probe, INSTALLER_DIR, "probe.exe")
    env = ctx.wine.env(prefix)
    env.update(native)
    r = subprocess.run([ctx.wine.loader, INSTALLER_DIR + "\\probe.exe", "loadlib", "uxtheme.dll"], env=env,
                       capture_output=True, timeout=60)
    ctx.wine.wait_server(prefix)
    expect(file_exists(prefix, "C:\\dll_marker.txt"), "negative control: the marker did not load into the probe "
           "either (exit %d), so the check above proves nothing" % r.returncode)


# name, Windows version, function, needs (probe | installer)
SCENARIOS = [
    ("probe-icons", "win7", sc_probe_icons, "probe"),
    ("probe-wizard", "win7", sc_probe_wizard, "probe"),
    ("refusal-win2k", "win2k", sc_refusal, "installer"),
    ("walk-win7", "win7", sc_walk_main, "installer"),
    ("endings-win7", "win7", sc_endings, "installer"),
    ("accepts-winxp", "winxp", sc_accepts, "installer"),
    ("accepts-vista", "vista", sc_accepts, "installer"),
    ("dbcs-folder-win7", "win7", sc_dbcs_folder, "installer"),
    ("dll-search-win7", "win7", sc_dll_search, "installer"),
    ("install-win7", "win7", sc_install, "installer"),
    ("install-winxp", "winxp", sc_install, "installer"),
    ("install-held-win7", "win7", sc_install_held, "installer"),
    ("uninstall-cases-win7", "win7", sc_uninstall_cases, "installer"),
]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--installer", default=os.environ.get("VELODAR_INSTALLER", ""))
    ap.add_argument("--uninstaller", default=os.environ.get("VELODAR_UNINSTALLER", ""))
    ap.add_argument("--driver", required=True)
    ap.add_argument("--probe", required=True)
    ap.add_argument("--out", required=True)
    ap.add_argument("--only", action="append", default=[], help="run only scenarios whose name starts with this")
    ap.add_argument("--keep", action="store_true", help="keep the temporary prefixes")
    args = ap.parse_args()

    t_start = time.time()
    os.makedirs(args.out, exist_ok=True)
    arch = pe_machine(args.driver)
    wine = Wine(arch)
    work = tempfile.mkdtemp(prefix="velodar-e2e-")
    results = []
    try:
        ctx = Ctx()
        ctx.wine, ctx.out, ctx.driver, ctx.probe = wine, os.path.abspath(args.out), args.driver, args.probe
        ctx.installer, ctx.uninstaller = args.installer, args.uninstaller
        # the uninstaller is checked by the scenarios that run it
        for exe in [e for e in (args.installer, args.probe) if e and os.path.exists(e)]:
            if pe_machine(exe) != arch:
                log("FAIL %s is %s but the driver is %s" % (exe, pe_machine(exe), arch))
                log("0 passed, 1 failed")
                return 1
        if not wine.usable():
            log("SKIP: this host cannot start %s Wine (%s)" % (arch, wine.loader))
            log("0 passed, 0 failed, %d skipped" % len(SCENARIOS))
            return 77
        templates = Templates(wine, work, args.probe)
        selected = [s for s in SCENARIOS if not args.only or any(s[0].startswith(o) for o in args.only)]
        for name, version, fn, needs in selected:
            t0 = time.time()
            if needs == "installer" and not (args.installer and os.path.exists(args.installer)):
                results.append((name, "failed", 0.0, "installer not found: %r (--installer or VELODAR_INSTALLER)" % args.installer))
                log("FAIL %s: installer not found: %r" % (name, args.installer))
                continue
            ctx.name = name
            ctx.runs = []
            count = [0]

            def fresh(version=version, name=name):
                count[0] += 1
                ctx.scenario_dir = os.path.join(work, "%s-%d" % (name, count[0]))
                ctx.current = os.path.join(ctx.scenario_dir, "prefix")
                os.makedirs(ctx.scenario_dir)
                ctx.current_ready = False

            def prefix(version):
                if not ctx.current_ready:
                    copy_tree(templates.get(version), ctx.current)
                    ctx.current_ready = True
                return ctx.current

            ctx.fresh, ctx.prefix = fresh, prefix
            fresh()
            try:
                fn(ctx, version)
                status, why = "passed", ""
            except Failure as e:
                status, why = "failed", str(e)
            except Exception as e:  # a harness fault is a failed scenario, with what happened
                status, why = "failed", "%s: %s" % (type(e).__name__, e)
            finally:
                for d in os.listdir(work):
                    p = os.path.join(work, d, "prefix")
                    if os.path.isdir(p) and not args.keep:
                        wine.kill_server(p)
                        shutil.rmtree(p, ignore_errors=True)
            dt = time.time() - t0
            results.append((name, status, dt, why))
            log("%s %s (%.1f s)%s" % ("PASS" if status == "passed" else "FAIL", name, dt, "" if status == "passed" else ""))
            if status != "passed":
                log("  " + why.replace("\n", "\n  "))
                for run in ctx.runs[-1:]:
                    log("  transcript %s:\n%s" % (run.transcript_path, run.transcript()[-6000:]))
        for what, dt in templates.timings:
            log("prefix %s: %.1f s" % (what, dt))
    finally:
        wine.kill_all()
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
        else:
            log("kept %s" % work)
    passed = sum(1 for r in results if r[1] == "passed")
    failed = len(results) - passed
    log("total %.1f s" % (time.time() - t_start))
    for name, status, dt, _ in results:
        log("  %-22s %-6s %6.1f s" % (name, status, dt))
    log("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
