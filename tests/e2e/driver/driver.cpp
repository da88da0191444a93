// Velodar end-to-end driver: starts a program under test, waits for the windows it shows, records
// what a user would see (JSON lines, UTF-8) and acts on them as a user would.
//
// driver.exe [--timeout MS] [--cwd DIR] [--shots DIR] SCENARIO TRANSCRIPT PROGRAM [ARGS...]
//
// Scenario file: one step per line, '#' starts a comment.
//   window [MS]          wait for a NEW visible top-level window of the program (or a child process of it)
//   snap [focus=ID] [MS] record the current window again (optionally once the focus is on control ID)
//   key NAME             ENTER, ESC, TAB, SPACE or ALT+<letter>, sent through SendInput to the foreground window
//   click ID             left click with SendInput at the centre of control ID of the current window
//   bmclick ID           BM_CLICK to control ID (fallback when real input cannot be used)
//   close                WM_SYSCOMMAND SC_CLOSE posted to the current window, as its frame would
//   shot NAME            ask the harness for a screenshot (writes NAME.req into --shots, waits for NAME.done)
//   gone [MS]            wait until the current window is destroyed
//   exit [MS]            wait for the program to end and record its exit code
//
// Exit code: the program's exit code after "exit"; 250 on a timeout; 251 when a step cannot be done
// (no such control, the program ended while a window was expected); 252 on a usage or start error.

#include <windows.h>
#include <tlhelp32.h>
#include <stdio.h>
#include <string.h>
#include <stdlib.h>

#define EXIT_TIMEOUT 250
#define EXIT_STEP 251
#define EXIT_USAGE 252

#define MAX_PIDS 64
#define MAX_SEEN 256
#define MAX_CANDIDATES 64
#define TEXT_MAX 65536

static FILE *g_out = NULL;
static DWORD g_start = 0;
static DWORD g_timeout = 15000;
static char g_shots[MAX_PATH] = "";
static HANDLE g_process = NULL;
static DWORD g_pids[MAX_PIDS];
static int g_npids = 0;
static HWND g_seen[MAX_SEEN];
static int g_nseen = 0;
static HWND g_current = NULL;
static HWND g_candidates[MAX_CANDIDATES];
static int g_ncandidates = 0;
static char g_text[TEXT_MAX];
static wchar_t g_wide[TEXT_MAX];
static char g_utf8[TEXT_MAX * 3];
static char g_json[TEXT_MAX * 6];
static char g_line[TEXT_MAX * 16];

static DWORD now_ms(void) { return GetTickCount() - g_start; }

// Appends s to g_line, returns FALSE when it does not fit.
static BOOL line_add(const char *s)
{
    size_t have = strlen(g_line);
    size_t add = strlen(s);
    if (have + add + 1 > sizeof(g_line)) return FALSE;
    memcpy(g_line + have, s, add + 1);
    return TRUE;
}

static BOOL line_addf(const char *fmt, ...)
{
    char buf[512];
    va_list ap;
    int n;
    va_start(ap, fmt);
    n = vsnprintf(buf, sizeof(buf), fmt, ap);
    va_end(ap);
    if (n < 0 || n >= (int)sizeof(buf)) return FALSE;
    return line_add(buf);
}

// ANSI (code page of the program, CP_ACP) text to a JSON string literal in UTF-8.
static const char *json_ansi(const char *ansi, int len)
{
    int nw, nu, i, o = 0;
    if (len < 0) len = (int)strlen(ansi);
    nw = len ? MultiByteToWideChar(CP_ACP, 0, ansi, len, g_wide, TEXT_MAX - 1) : 0;
    nu = nw ? WideCharToMultiByte(CP_UTF8, 0, g_wide, nw, g_utf8, (int)sizeof(g_utf8) - 1, NULL, NULL) : 0;
    g_utf8[nu] = 0;
    g_json[o++] = '"';
    for (i = 0; i < nu && o < (int)sizeof(g_json) - 8; i++) {
        unsigned char c = (unsigned char)g_utf8[i];
        if (c == '"' || c == '\\') { g_json[o++] = '\\'; g_json[o++] = (char)c; }
        else if (c == '\n') { g_json[o++] = '\\'; g_json[o++] = 'n'; }
        else if (c == '\r') { g_json[o++] = '\\'; g_json[o++] = 'r'; }
        else if (c == '\t') { g_json[o++] = '\\'; g_json[o++] = 't'; }
        else if (c < 0x20) { o += snprintf(g_json + o, 8, "\\u%04x", c); }
        else g_json[o++] = (char)c;
    }
    g_json[o++] = '"';
    g_json[o] = 0;
    return g_json;
}

static void emit(void)
{
    if (!g_out) return;
    fputs(g_line, g_out);
    fputc('\n', g_out);
    fflush(g_out);
}

static void note(const char *event, const char *detail)
{
    g_line[0] = 0;
    line_addf("{\"t\":%lu,\"event\":\"%s\",\"detail\":", (unsigned long)now_ms(), event);
    line_add(json_ansi(detail, -1));
    line_add("}");
    emit();
}

static BOOL pid_known(DWORD pid)
{
    int i;
    for (i = 0; i < g_npids; i++)
        if (g_pids[i] == pid) return TRUE;
    return FALSE;
}

// The program may start further processes (a copy of itself, a helper): their windows count too.
static void refresh_pids(void)
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 pe;
    BOOL added = TRUE;
    if (snap == INVALID_HANDLE_VALUE) return;
    while (added) {
        added = FALSE;
        pe.dwSize = sizeof(pe);
        if (!Process32First(snap, &pe)) break;
        do {
            if (!pid_known(pe.th32ProcessID) && pid_known(pe.th32ParentProcessID) && g_npids < MAX_PIDS) {
                g_pids[g_npids++] = pe.th32ProcessID;
                added = TRUE;
            }
        } while (Process32Next(snap, &pe));
    }
    CloseHandle(snap);
}

static BOOL CALLBACK collect_proc(HWND hwnd, LPARAM lp)
{
    DWORD pid = 0;
    (void)lp;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid_known(pid) && IsWindowVisible(hwnd) && g_ncandidates < MAX_CANDIDATES)
        g_candidates[g_ncandidates++] = hwnd;
    return TRUE;
}

static BOOL seen(HWND hwnd)
{
    int i;
    for (i = 0; i < g_nseen; i++)
        if (g_seen[i] == hwnd) return TRUE;
    return FALSE;
}

static BOOL process_ended(void)
{
    return WaitForSingleObject(g_process, 0) == WAIT_OBJECT_0;
}

static LRESULT send_to(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, BOOL *ok)
{
    DWORD_PTR result = 0;
    LRESULT r = SendMessageTimeoutA(hwnd, msg, wp, lp, SMTO_ABORTIFHUNG, 5000, &result);
    if (ok) *ok = r != 0;
    return (LRESULT)result;
}

static const char *class_of(HWND hwnd)
{
    static char cls[256];
    if (!GetClassNameA(hwnd, cls, sizeof(cls))) cls[0] = 0;
    return cls;
}

// Full text through WM_GETTEXT (marshalled across processes; GetWindowText would not ask the control).
static int text_of(HWND hwnd)
{
    BOOL ok = FALSE;
    LRESULT n;
    g_text[0] = 0;
    n = send_to(hwnd, WM_GETTEXT, (WPARAM)sizeof(g_text), (LPARAM)g_text, &ok);
    if (!ok || n < 0) n = 0;
    if (n >= (LRESULT)sizeof(g_text)) n = sizeof(g_text) - 1;
    g_text[n] = 0;
    return (int)n;
}

// Which standard icon an icon static shows. The handle is compared first (Windows shares the system
// icons between processes); Wine keeps icons per process, and another process's window DC cannot be
// read there, so the screen under the static is compared with each standard icon drawn here.
static int g_icon_score = -1;

static const char *icon_name(HWND stat)
{
    static const struct { LPCSTR id; const char *name; } k[] = {
        { IDI_HAND, "error" }, { IDI_QUESTION, "question" },
        { IDI_EXCLAMATION, "warning" }, { IDI_ASTERISK, "information" } };
    HICON shown = (HICON)send_to(stat, STM_GETICON, 0, 0, NULL);
    const char *best = "unknown";
    int cx = GetSystemMetrics(SM_CXICON), cy = GetSystemMetrics(SM_CYICON);
    RECT r;
    HDC screen = NULL, mem = NULL;
    HBITMAP shot = NULL, old = NULL;
    BITMAPINFO bi;
    DWORD *pix_shot = NULL, *pix_icon = NULL;
    int bestscore = -1, attempt;
    size_t i;
    int y;

    if (!shown) return "none";
    for (i = 0; i < sizeof(k) / sizeof(k[0]); i++)
        if (LoadIconA(NULL, k[i].id) == shown) return k[i].name;
    if (!IsWindowVisible(stat)) return "hidden";
    GetWindowRect(stat, &r);
    memset(&bi, 0, sizeof(bi));
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = -cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    screen = GetDC(NULL);
    mem = CreateCompatibleDC(screen);
    if (!screen || !mem) goto cleanup;
    shot = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, (void **)&pix_shot, NULL, 0);
    if (!shot) goto cleanup;
    old = (HBITMAP)SelectObject(mem, shot);
    pix_icon = (DWORD *)malloc((size_t)cx * cy * 4);
    if (!pix_icon) goto cleanup;
    // the icon may not be painted yet when the window has just appeared: look again for a while
    for (attempt = 0; attempt < 50 && bestscore < cx * cy * 90 / 100; attempt++) {
    if (attempt) Sleep(40);
    bestscore = -1;
    BitBlt(mem, 0, 0, cx, cy, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    memcpy(pix_icon, pix_shot, (size_t)cx * cy * 4);
    for (i = 0; i < sizeof(k) / sizeof(k[0]); i++) {
        int score = 0;
        HBRUSH bg = CreateSolidBrush(RGB((pix_icon[0] >> 16) & 255, (pix_icon[0] >> 8) & 255, pix_icon[0] & 255));
        RECT all = { 0, 0, cx, cy };
        // the candidate drawn here on the background of the captured corner (transparent in every
        // standard icon), compared with the capture pixel by pixel, a little tolerance for blending
        FillRect(mem, &all, bg);
        DeleteObject(bg);
        DrawIconEx(mem, 0, 0, LoadIconA(NULL, k[i].id), cx, cy, 0, NULL, DI_NORMAL);
        GdiFlush();
        for (y = 0; y < cy * cx; y++) {
            DWORD a = pix_shot[y], b = pix_icon[y];
            int dr = (int)((a >> 16) & 255) - (int)((b >> 16) & 255);
            int dg = (int)((a >> 8) & 255) - (int)((b >> 8) & 255);
            int db = (int)(a & 255) - (int)(b & 255);
            if (abs(dr) <= 24 && abs(dg) <= 24 && abs(db) <= 24) score++;
        }
        if (score > bestscore) { bestscore = score; best = k[i].name; }
    }
    }
    g_icon_score = bestscore * 100 / (cx * cy);
    if (bestscore < cx * cy * 90 / 100) best = "unknown";
cleanup:
    if (mem && old) SelectObject(mem, old);
    if (shot) DeleteObject(shot);
    if (mem) DeleteDC(mem);
    if (screen) ReleaseDC(NULL, screen);
    free(pix_icon);
    return best;
}

static HWND focus_of(HWND top)
{
    GUITHREADINFO gi;
    DWORD tid = GetWindowThreadProcessId(top, NULL);
    memset(&gi, 0, sizeof(gi));
    gi.cbSize = sizeof(gi);
    if (!GetGUIThreadInfo(tid, &gi)) return NULL;
    return gi.hwndFocus;
}

struct child_walk { HWND top; BOOL first; };

static BOOL CALLBACK child_proc(HWND c, LPARAM lp)
{
    struct child_walk *w = (struct child_walk *)lp;
    const char *cls;
    char clsbuf[256];
    LONG style;
    RECT r;
    int n;
    if (GetAncestor(c, GA_PARENT) != w->top) return TRUE;
    cls = class_of(c);
    snprintf(clsbuf, sizeof(clsbuf), "%s", cls);
    style = (LONG)GetWindowLongPtrA(c, GWL_STYLE);
    GetWindowRect(c, &r);
    MapWindowPoints(NULL, w->top, (POINT *)&r, 2);
    n = text_of(c);
    if (!w->first) line_add(",");
    w->first = FALSE;
    line_addf("{\"class\":\"%s\",\"id\":%d,\"style\":\"0x%08lx\",\"visible\":%s,\"enabled\":%s,"
              "\"rect\":[%ld,%ld,%ld,%ld],\"text\":",
              clsbuf, (int)(short)GetDlgCtrlID(c), (unsigned long)style,
              IsWindowVisible(c) ? "true" : "false", IsWindowEnabled(c) ? "true" : "false",
              r.left, r.top, r.right, r.bottom);
    line_add(json_ansi(g_text, n));
    if (lstrcmpiA(clsbuf, "Edit") == 0) {
        DWORD sel = (DWORD)send_to(c, EM_GETSEL, 0, 0, NULL);
        int i;
        line_addf(",\"sel\":[%u,%u],\"bytes_hex\":\"", (unsigned)LOWORD(sel), (unsigned)HIWORD(sel));
        for (i = 0; i < n; i++) line_addf("%02x", (unsigned char)g_text[i]);
        line_add("\"");
    }
    if (lstrcmpiA(clsbuf, "Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
    {
        const char *nm;
        g_icon_score = -1;
        nm = icon_name(c);
        line_addf(",\"icon\":\"%s\",\"icon_match\":%d", nm, g_icon_score);
    }
    line_add("}");
    return TRUE;
}

static void record(HWND hwnd, const char *event, BOOL fresh)
{
    struct child_walk w;
    HWND focus = focus_of(hwnd);
    BOOL ok = FALSE;
    LRESULT defid = send_to(hwnd, DM_GETDEFID, 0, 0, &ok);
    DWORD pid = 0;
    RECT r;
    char cls[256];
    int n;
    snprintf(cls, sizeof(cls), "%s", class_of(hwnd));
    GetWindowThreadProcessId(hwnd, &pid);
    GetWindowRect(hwnd, &r);
    g_line[0] = 0;
    line_addf("{\"t\":%lu,\"event\":\"%s\",\"hwnd\":\"%p\",\"new\":%s,\"pid\":%lu,\"class\":\"%s\","
              "\"style\":\"0x%08lx\",\"exstyle\":\"0x%08lx\",\"rect\":[%ld,%ld,%ld,%ld],\"owner\":\"%p\",",
              (unsigned long)now_ms(), event, (void *)hwnd, fresh ? "true" : "false", (unsigned long)pid, cls,
              (unsigned long)GetWindowLongPtrA(hwnd, GWL_STYLE), (unsigned long)GetWindowLongPtrA(hwnd, GWL_EXSTYLE),
              r.left, r.top, r.right, r.bottom, (void *)GetWindow(hwnd, GW_OWNER));
    n = text_of(hwnd);
    line_add("\"caption\":");
    line_add(json_ansi(g_text, n));
    line_addf(",\"foreground\":%s", GetForegroundWindow() == hwnd ? "true" : "false");
    if (ok && HIWORD(defid) == DC_HASDEFID) line_addf(",\"default_id\":%d", (int)(short)LOWORD(defid));
    else line_add(",\"default_id\":null");
    if (focus && focus != hwnd && IsChild(hwnd, focus))
        line_addf(",\"focus_id\":%d,\"focus_class\":\"%s\"", (int)(short)GetDlgCtrlID(focus), class_of(focus));
    else line_addf(",\"focus_id\":null,\"focus_hwnd\":\"%p\"", (void *)focus);
    line_add(",\"controls\":[");
    w.top = hwnd;
    w.first = TRUE;
    EnumChildWindows(hwnd, child_proc, (LPARAM)&w);
    line_add("]}");
    emit();
}

// Waits for a visible top-level window of the program that was not recorded before.
static int step_window(DWORD timeout)
{
    DWORD t0 = GetTickCount();
    for (;;) {
        int i;
        refresh_pids();
        g_ncandidates = 0;
        EnumWindows(collect_proc, 0);
        for (i = 0; i < g_ncandidates; i++) {
            HWND h = g_candidates[i];
            if (!seen(h)) {
                // let the dialog finish WM_INITDIALOG and its first messages before looking at it
                send_to(h, WM_NULL, 0, 0, NULL);
                if (!IsWindow(h) || !IsWindowVisible(h)) continue;
                if (g_nseen < MAX_SEEN) g_seen[g_nseen++] = h;
                g_current = h;
                record(h, "window", TRUE);
                return 0;
            }
        }
        if (process_ended()) { note("error", "the program ended while a window was expected"); return EXIT_STEP; }
        if (GetTickCount() - t0 > timeout) { note("timeout", "no new window"); return EXIT_TIMEOUT; }
        Sleep(20);
    }
}

static int need_current(void)
{
    if (g_current && IsWindow(g_current)) return 0;
    note("error", "no current window");
    return EXIT_STEP;
}

static int step_snap(int want_focus, BOOL check_focus, DWORD timeout)
{
    DWORD t0 = GetTickCount();
    int rc = need_current();
    if (rc) return rc;
    while (check_focus) {
        HWND f = focus_of(g_current);
        if (f && IsChild(g_current, f) && (int)(short)GetDlgCtrlID(f) == want_focus) break;
        if (GetTickCount() - t0 > timeout) { record(g_current, "snap", FALSE); note("timeout", "focus did not move"); return EXIT_TIMEOUT; }
        Sleep(20);
    }
    send_to(g_current, WM_NULL, 0, 0, NULL);
    record(g_current, "snap", FALSE);
    return 0;
}

// The window must be in the foreground before input is sent, or the input goes elsewhere.
static int bring_forward(HWND hwnd, DWORD timeout)
{
    DWORD t0 = GetTickCount();
    while (GetForegroundWindow() != hwnd) {
        SetForegroundWindow(hwnd);
        if (GetForegroundWindow() == hwnd) break;
        if (GetTickCount() - t0 > timeout) { note("timeout", "the window did not come to the foreground"); return EXIT_TIMEOUT; }
        Sleep(20);
    }
    send_to(hwnd, WM_NULL, 0, 0, NULL);
    return 0;
}

static void key_input(INPUT *in, WORD vk, BOOL up)
{
    memset(in, 0, sizeof(*in));
    in->type = INPUT_KEYBOARD;
    in->ki.wVk = vk;
    in->ki.wScan = (WORD)MapVirtualKeyA(vk, 0);
    in->ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
}

static int step_key(const char *name)
{
    INPUT in[4];
    UINT n = 0;
    WORD vk = 0;
    BOOL alt = FALSE;
    int rc = need_current();
    if (rc) return rc;
    if (_strnicmp(name, "ALT+", 4) == 0 && name[4] && !name[5]) { alt = TRUE; vk = (WORD)(unsigned char)name[4]; if (vk >= 'a' && vk <= 'z') vk = (WORD)(vk - 'a' + 'A'); }
    else if (lstrcmpiA(name, "ENTER") == 0) vk = VK_RETURN;
    else if (lstrcmpiA(name, "ESC") == 0) vk = VK_ESCAPE;
    else if (lstrcmpiA(name, "TAB") == 0) vk = VK_TAB;
    else if (lstrcmpiA(name, "SPACE") == 0) vk = VK_SPACE;
    else { note("error", "unknown key"); return EXIT_USAGE; }
    rc = bring_forward(g_current, g_timeout);
    if (rc) return rc;
    if (alt) key_input(&in[n++], VK_MENU, FALSE);
    key_input(&in[n++], vk, FALSE);
    key_input(&in[n++], vk, TRUE);
    if (alt) key_input(&in[n++], VK_MENU, TRUE);
    if (SendInput(n, in, sizeof(INPUT)) != n) { note("error", "SendInput failed"); return EXIT_STEP; }
    g_line[0] = 0;
    line_addf("{\"t\":%lu,\"event\":\"key\",\"key\":\"%s\",\"hwnd\":\"%p\",\"via\":\"SendInput\"}",
              (unsigned long)now_ms(), name, (void *)g_current);
    emit();
    return 0;
}

static int step_click(int id, BOOL real)
{
    HWND c;
    RECT r;
    INPUT in[3];
    int sx, sy, x = -1, y = -1;
    int rc = need_current();
    if (rc) return rc;
    c = GetDlgItem(g_current, id);
    if (!c) { note("error", "no control with that id"); return EXIT_STEP; }
    if (real) {
        DWORD t0 = GetTickCount();
        POINT pt, cur;
        rc = bring_forward(g_current, g_timeout);
        if (rc) return rc;
        sx = GetSystemMetrics(SM_CXSCREEN);
        sy = GetSystemMetrics(SM_CYSCREEN);
        // the button must be the window under its centre (the dialog may still be moving into place),
        // and the pointer must be there before the button goes down
        for (;;) {
            GetWindowRect(c, &r);
            pt.x = x = (r.left + r.right) / 2;
            pt.y = y = (r.top + r.bottom) / 2;
            memset(in, 0, sizeof(in));
            in[0].type = INPUT_MOUSE;
            in[0].mi.dx = (x * 65535 + sx / 2) / (sx - 1);
            in[0].mi.dy = (y * 65535 + sy / 2) / (sy - 1);
            in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
            SendInput(1, in, sizeof(INPUT));
            Sleep(20);
            GetCursorPos(&cur);
            if (WindowFromPoint(pt) == c && cur.x == x && cur.y == y) break;
            if (GetTickCount() - t0 > g_timeout) { note("timeout", "the button is not under the pointer"); return EXIT_TIMEOUT; }
        }
        memset(in, 0, sizeof(in));
        in[0].type = in[1].type = INPUT_MOUSE;
        in[0].mi.dx = in[1].mi.dx = (x * 65535 + sx / 2) / (sx - 1);
        in[0].mi.dy = in[1].mi.dy = (y * 65535 + sy / 2) / (sy - 1);
        in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
        in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
        if (SendInput(2, in, sizeof(INPUT)) != 2) { note("error", "SendInput failed"); return EXIT_STEP; }
    } else {
        PostMessageA(c, BM_CLICK, 0, 0);
    }
    g_line[0] = 0;
    line_addf("{\"t\":%lu,\"event\":\"click\",\"id\":%d,\"hwnd\":\"%p\",\"via\":\"%s\",\"at\":[%d,%d]}",
              (unsigned long)now_ms(), id, (void *)g_current, real ? "SendInput" : "BM_CLICK", x, y);
    emit();
    return 0;
}

static int step_close(void)
{
    int rc = need_current();
    if (rc) return rc;
    PostMessageA(g_current, WM_SYSCOMMAND, SC_CLOSE, 0);
    g_line[0] = 0;
    line_addf("{\"t\":%lu,\"event\":\"close\",\"hwnd\":\"%p\",\"via\":\"WM_SYSCOMMAND SC_CLOSE\"}",
              (unsigned long)now_ms(), (void *)g_current);
    emit();
    return 0;
}

static int step_gone(DWORD timeout)
{
    DWORD t0 = GetTickCount();
    while (g_current && IsWindow(g_current) && IsWindowVisible(g_current)) {
        if (GetTickCount() - t0 > timeout) { note("timeout", "the window stayed"); return EXIT_TIMEOUT; }
        Sleep(20);
    }
    note("gone", "the window is gone");
    return 0;
}

static int step_shot(const char *name)
{
    char req[MAX_PATH], done[MAX_PATH];
    DWORD t0 = GetTickCount();
    HANDLE f;
    if (!g_shots[0]) { note("shot-skipped", name); return 0; }
    if (snprintf(req, sizeof(req), "%s\\%s.req", g_shots, name) >= (int)sizeof(req)) return EXIT_USAGE;
    if (snprintf(done, sizeof(done), "%s\\%s.done", g_shots, name) >= (int)sizeof(done)) return EXIT_USAGE;
    if (g_current && IsWindow(g_current)) {
        RedrawWindow(g_current, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        send_to(g_current, WM_NULL, 0, 0, NULL);
    }
    f = CreateFileA(req, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (f == INVALID_HANDLE_VALUE) { note("error", "cannot write the screenshot request"); return EXIT_STEP; }
    CloseHandle(f);
    while (GetFileAttributesA(done) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - t0 > g_timeout) { note("timeout", "no screenshot taken"); return EXIT_TIMEOUT; }
        Sleep(20);
    }
    note("shot", name);
    return 0;
}

static int step_exit(DWORD timeout)
{
    DWORD code = 0;
    if (WaitForSingleObject(g_process, timeout) != WAIT_OBJECT_0) { note("timeout", "the program did not end"); return EXIT_TIMEOUT; }
    GetExitCodeProcess(g_process, &code);
    g_line[0] = 0;
    line_addf("{\"t\":%lu,\"event\":\"exit\",\"code\":%lu}", (unsigned long)now_ms(), (unsigned long)code);
    emit();
    return (int)code;
}

// Appends one argument to a command line, quoted when it holds a space or is empty.
static BOOL cmd_add(char *cmd, size_t size, const char *arg, BOOL force_quote)
{
    size_t have = strlen(cmd);
    BOOL quote = force_quote || !arg[0] || strchr(arg, ' ') || strchr(arg, '\t');
    int n = snprintf(cmd + have, size - have, quote ? "%s\"%s\"" : "%s%s", have ? " " : "", arg);
    return n >= 0 && (size_t)n < size - have;
}

static int run_scenario(const char *path)
{
    char line[1024];
    FILE *f = fopen(path, "r");
    int rc = 0;
    if (!f) { note("error", "cannot open the scenario"); return EXIT_USAGE; }
    while (rc == 0 && fgets(line, sizeof(line), f)) {
        char verb[32] = "", arg[256] = "", arg2[64] = "";
        char *hash = strchr(line, '#');
        int n;
        DWORD t;
        if (hash) *hash = 0;
        n = sscanf(line, "%31s %255s %63s", verb, arg, arg2);
        if (n < 1) continue;
        t = g_timeout;
        if (!lstrcmpiA(verb, "window")) { if (n >= 2) t = (DWORD)atol(arg); rc = step_window(t); }
        else if (!lstrcmpiA(verb, "snap")) {
            if (n >= 2 && !_strnicmp(arg, "focus=", 6)) { if (n >= 3) t = (DWORD)atol(arg2); rc = step_snap(atoi(arg + 6), TRUE, t); }
            else { rc = step_snap(0, FALSE, t); }
        }
        else if (!lstrcmpiA(verb, "key") && n >= 2) rc = step_key(arg);
        else if (!lstrcmpiA(verb, "click") && n >= 2) rc = step_click(atoi(arg), TRUE);
        else if (!lstrcmpiA(verb, "bmclick") && n >= 2) rc = step_click(atoi(arg), FALSE);
        else if (!lstrcmpiA(verb, "close")) rc = step_close();
        else if (!lstrcmpiA(verb, "shot") && n >= 2) rc = step_shot(arg);
        else if (!lstrcmpiA(verb, "gone")) { if (n >= 2) t = (DWORD)atol(arg); rc = step_gone(t); }
        else if (!lstrcmpiA(verb, "exit")) { if (n >= 2) t = (DWORD)atol(arg); rc = step_exit(t); fclose(f); return rc; }
        else { note("error", line); rc = EXIT_USAGE; }
    }
    fclose(f);
    return rc;
}

int main(int argc, char **argv)
{
    static char cmd[8192];
    const char *cwd = NULL;
    STARTUPINFOA si;
    PROCESS_INFORMATION pi;
    int i = 1, rc;
    g_start = GetTickCount();
    while (i + 1 < argc && argv[i][0] == '-' && argv[i][1] == '-') {
        if (!strcmp(argv[i], "--timeout")) g_timeout = (DWORD)atol(argv[i + 1]);
        else if (!strcmp(argv[i], "--cwd")) cwd = argv[i + 1];
        else if (!strcmp(argv[i], "--shots")) snprintf(g_shots, sizeof(g_shots), "%s", argv[i + 1]);
        else break;
        i += 2;
    }
    if (argc - i < 3) {
        fprintf(stderr, "usage: driver [--timeout MS] [--cwd DIR] [--shots DIR] SCENARIO TRANSCRIPT PROGRAM [ARGS...]\n");
        return EXIT_USAGE;
    }
    g_out = fopen(argv[i + 1], "wb");
    if (!g_out) { fprintf(stderr, "driver: cannot write %s\n", argv[i + 1]); return EXIT_USAGE; }
    cmd[0] = 0;
    if (!cmd_add(cmd, sizeof(cmd), argv[i + 2], TRUE)) return EXIT_USAGE;
    for (int a = i + 3; a < argc; a++)
        if (!cmd_add(cmd, sizeof(cmd), argv[a], FALSE)) return EXIT_USAGE;
    memset(&si, 0, sizeof(si));
    si.cb = sizeof(si);
    if (!CreateProcessA(NULL, cmd, NULL, NULL, FALSE, 0, NULL, cwd, &si, &pi)) {
        char msg[64];
        snprintf(msg, sizeof(msg), "CreateProcess failed: %lu", (unsigned long)GetLastError());
        note("error", msg);
        fclose(g_out);
        return EXIT_USAGE;
    }
    g_process = pi.hProcess;
    g_pids[g_npids++] = pi.dwProcessId;
    CloseHandle(pi.hThread);
    g_line[0] = 0;
    line_addf("{\"t\":%lu,\"event\":\"start\",\"pid\":%lu,\"cmdline\":", (unsigned long)now_ms(), (unsigned long)pi.dwProcessId);
    line_add(json_ansi(cmd, -1));
    line_add("}");
    emit();
    rc = run_scenario(argv[i]);
    if (rc == EXIT_TIMEOUT || rc == EXIT_STEP || rc == EXIT_USAGE) {
        if (!process_ended()) TerminateProcess(g_process, 1);
    }
    g_line[0] = 0;
    line_addf("{\"t\":%lu,\"event\":\"end\",\"rc\":%d}", (unsigned long)now_ms(), rc);
    emit();
    fclose(g_out);
    CloseHandle(g_process);
    return rc;
}
