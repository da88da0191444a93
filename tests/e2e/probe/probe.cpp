// Self-check program of the end-to-end harness: a message box with a chosen icon, or a two-page
// wizard (welcome, terms) that behaves like a setup program, so the driver can be proved under Wine.
//   probe.exe msgbox error|question|warning|information|none   exit code: the button pressed
//   probe.exe version   exit code: major * 100 + minor of GetVersionEx
//   probe.exe wizard TEXTFILE   exit code: 10 cancelled on welcome, 20 declined terms, 30 agreed
#include <windows.h>
#include <stdio.h>
#include <string.h>

#define IDC_BACK 1001
#define IDC_TERMS 1002

static char g_terms[8192];

static INT_PTR CALLBACK welcome_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)lp;
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) { EndDialog(dlg, LOWORD(wp)); return TRUE; }
    return FALSE;
}

static INT_PTR CALLBACK terms_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp)
{
    (void)lp;
    if (msg == WM_INITDIALOG) {
        SetDlgItemTextA(dlg, IDC_TERMS, g_terms);
        SetFocus(GetDlgItem(dlg, IDCANCEL));
        return FALSE;
    }
    if (msg == WM_COMMAND && HIWORD(wp) == EN_SETFOCUS && LOWORD(wp) == IDC_TERMS) {
        SendDlgItemMessageA(dlg, IDC_TERMS, EM_SETSEL, (WPARAM)-1, 0);
        return TRUE;
    }
    if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL || LOWORD(wp) == IDC_BACK)) {
        EndDialog(dlg, LOWORD(wp));
        return TRUE;
    }
    return FALSE;
}

static int wizard(const char *path)
{
    HINSTANCE inst = GetModuleHandleA(NULL);
    FILE *f = fopen(path, "rb");
    size_t n = 0;
    if (f) { n = fread(g_terms, 1, sizeof(g_terms) - 1, f); fclose(f); }
    g_terms[n] = 0;
    for (;;) {
        INT_PTR r = DialogBoxParamA(inst, MAKEINTRESOURCEA(101), NULL, welcome_proc, 0);
        if (r != IDOK) return 10;
        r = DialogBoxParamA(inst, MAKEINTRESOURCEA(102), NULL, terms_proc, 0);
        if (r == IDOK) return 30;
        if (r != IDC_BACK) return 20;
    }
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show)
{
    UINT icon = MB_ICONERROR;
    (void)inst; (void)prev; (void)show;
    if (strncmp(cmd, "wizard ", 7) == 0) return wizard(cmd + 7);
    if (strcmp(cmd, "version") == 0) {
        OSVERSIONINFOA vi;
        memset(&vi, 0, sizeof(vi));
        vi.dwOSVersionInfoSize = sizeof(vi);
        if (!GetVersionExA(&vi)) return 1;
        return (int)(vi.dwMajorVersion * 100 + vi.dwMinorVersion);
    }
    if (strstr(cmd, "question")) icon = MB_ICONQUESTION;
    else if (strstr(cmd, "warning")) icon = MB_ICONEXCLAMATION;
    else if (strstr(cmd, "information")) icon = MB_ICONINFORMATION;
    else if (strstr(cmd, "none")) icon = 0;
    return MessageBoxA(NULL, "プローブです。\n二行目：表示とソフト。", NULL, icon);
}
