// The welcome page and the terms page.
#include "install.h"
#include "installer.h"
#include "names.h"
#include "payload.h"
#include "resource.h"
#include "text.h"

char g_installerDir[MAX_PATH];
char g_termsText[TERMS_TEXT_CAPACITY + 1];
HBRUSH g_welcomeBrush = NULL;
HBRUSH g_termsBrush = NULL;

#define WHITE RGB(255, 255, 255)

INT_PTR ShowWelcomeDialog(void)
{
    return DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_WELCOME), NULL, WelcomeDialogProc, 0);
}

INT_PTR CALLBACK WelcomeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        g_welcomeBrush = CreateSolidBrush(WHITE);
        return FALSE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        return (INT_PTR)g_welcomeBrush;
    case WM_COMMAND:
        // "次へ" and Enter end the page with 1; "キャンセル", Esc and the close box with 2.
        if (HIWORD(wParam) == 0) {
            DeleteObject(g_welcomeBrush);
            g_welcomeBrush = NULL;
            EndDialog(window, LOWORD(wParam));
        }
        return 0;
    }
    return FALSE;
}

INT_PTR ShowTermsDialog(void)
{
    return DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_TERMS), NULL, TermsDialogProc, 0);
}

INT_PTR CALLBACK TermsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        g_termsBrush = CreateSolidBrush(WHITE);
        LoadTermsText(VELODAR_TERMS_FILE);
        SetDlgItemTextA(window, IDC_TERMS_TEXT, g_termsText);
        // TRUE: the system focuses the first tab stop, "同意しない".
        return TRUE;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
        // The read-only terms box asks with WM_CTLCOLORSTATIC, so it is white too.
        return (INT_PTR)g_termsBrush;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0) {
            // "同意する >" installs inside this handler; the page stays up and
            // owns the sequence's messages. Whatever it gives, the page ends.
            if (LOWORD(wParam) == IDOK && RunInstall(window))
                LaunchApplication();
            DeleteObject(g_termsBrush);
            g_termsBrush = NULL;
            EndDialog(window, LOWORD(wParam));
        } else if (HIWORD(wParam) == EN_SETFOCUS) {
            // Entering the terms box selects nothing.
            SendDlgItemMessageA(window, IDC_TERMS_TEXT, EM_SETSEL, (WPARAM)-1, -1);
        }
        return 0;
    }
    return FALSE;
}

int LoadTermsText(const char *fileName)
{
    char path[MAX_PATH];
    int count = 0;

    if (FormatText(path, sizeof(path), "%s%s", g_installerDir, fileName))
        count = ReadFileToBuffer(path, g_termsText, TERMS_TEXT_CAPACITY);
    g_termsText[count] = '\0';
    return count;
}

UINT LaunchApplication(void)
{
    // The path in quotation marks: unquoted, "C:\Program Files\..." would first
    // start a planted "C:\Program.exe" with the installer's rights.
    char commandLine[MAX_PATH + 3];

    if (!FormatText(commandLine, sizeof(commandLine), "\"%s\"", g_appPath))
        return 0;
    return WinExec(commandLine, SW_SHOW);
}
