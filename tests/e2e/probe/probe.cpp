// Self-check program of the end-to-end harness: a message box with a chosen icon, or a two-page
// wizard (welcome, terms) that behaves like a setup program, so the driver can be proved under Wine.
//   probe.exe msgbox error|question|warning|information|none   exit code: the button pressed
//   probe.exe version   exit code: major * 100 + minor of GetVersionEx
//   probe.exe wizard TEXTFILE   exit code: 10 cancelled on welcome, 20 declined terms, 30 agreed
//   probe.exe link OUTFILE LNKFILE   reads a shortcut through IShellLinkA: OUTFILE gets its target
//                                   and description, one a line (code page 932); exit 0 when read
//   probe.exe hold FILE   holds FILE open for reading without write or delete sharing, as a running
//                         program's image is held, until it is ended; C:\probe\held.txt says it holds
//   probe.exe findclass NAME   exit code 1 (and C:\probe\found.txt) when a top-level window of class
//                              NAME exists, else 0
//   probe.exe loadlib NAME   LoadLibraryA(NAME) with the default search: exit 1 when it loaded
#include <windows.h>
#include <shlobj.h>
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

// The rest of a command line as one path: the blanks and quotation marks around it removed.
static BOOL path_arg(const char *rest, char *path, size_t size)
{
    size_t n;
    while (*rest == ' ' || *rest == '"') ++rest;
    n = strlen(rest);
    while (n > 0 && (rest[n - 1] == '"' || rest[n - 1] == ' ')) --n;
    if (n == 0 || n >= size) return FALSE;
    memcpy(path, rest, n);
    path[n] = 0;
    return TRUE;
}

// "OUTFILE LNKFILE": the output file first, then the rest of the line (quotes removed) as the link.
static int read_link(const char *args)
{
    char lnk[MAX_PATH], out[MAX_PATH], target[MAX_PATH] = "", description[MAX_PATH] = "";

    WCHAR wide[MAX_PATH];
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    int rc = 2;
    FILE *f;
    if (sscanf(args, "%259s", out) != 1) return 3;
    if (!path_arg(args + strlen(out), lnk, sizeof(lnk))) return 3;
    CoInitialize(NULL);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link)) &&
        SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
        MultiByteToWideChar(CP_ACP, 0, lnk, -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(link->GetPath(target, MAX_PATH, NULL, 0)) &&
            SUCCEEDED(link->GetDescription(description, MAX_PATH))) {
            f = fopen(out, "wb");
            if (f) { fprintf(f, "%s\n%s\n", target, description); fclose(f); rc = 0; }
        }
    }
    if (file) file->Release();
    if (link) link->Release();
    CoUninitialize();
    return rc;
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE prev, LPSTR cmd, int show)
{
    UINT icon = MB_ICONERROR;
    (void)inst; (void)prev; (void)show;
    if (strncmp(cmd, "wizard ", 7) == 0) return wizard(cmd + 7);
    if (strncmp(cmd, "link ", 5) == 0) return read_link(cmd + 5);
    if (strncmp(cmd, "hold ", 5) == 0) {
        char path[MAX_PATH];
        HANDLE h, held;
        if (!path_arg(cmd + 5, path, sizeof(path))) return 3;
        h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
        if (h == INVALID_HANDLE_VALUE) return 2;
        // Tells the harness that the file is held now.
        held = CreateFileA("C:\\probe\\held.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        Sleep(INFINITE);
        return 0;
    }
    if (strncmp(cmd, "findclass ", 10) == 0) {
        // Also as a file, for a run on a virtual desktop, whose exit code does not come back.
        HANDLE found;
        if (FindWindowA(cmd + 10, NULL) == NULL) return 0;
        found = CreateFileA("C:\\probe\\found.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (found != INVALID_HANDLE_VALUE) CloseHandle(found);
        return 1;
    }
    if (strncmp(cmd, "loadlib ", 8) == 0) return LoadLibraryA(cmd + 8) != NULL ? 1 : 0;
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
