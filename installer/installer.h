// The installer's entry and its two wizard pages.
#ifndef INSTALLER_INSTALLER_H
#define INSTALLER_INSTALLER_H

#include "platform.h"

// Capacity of the terms text that the terms page shows, in bytes.
#define TERMS_TEXT_CAPACITY 5120

// Folder of the running installer, up to and including its last backslash.
extern char g_installerDir[MAX_PATH];
// The terms text as last read from the staged file, always NUL-terminated.
extern char g_termsText[TERMS_TEXT_CAPACITY + 1];
// White brushes of the two pages, alive while the page is shown.
extern HBRUSH g_welcomeBrush;
extern HBRUSH g_termsBrush;

// The installer's whole run: version gate, staged terms text, the wizard.
// Returns the process exit code, 0 on every path.
int InstallerMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

INT_PTR ShowWelcomeDialog(void);
INT_PTR CALLBACK WelcomeDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR ShowTermsDialog(void);
INT_PTR CALLBACK TermsDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Reads fileName from the installer's folder into g_termsText; returns the
// byte count, 0 to 5120.
int LoadTermsText(const char *fileName);
// Starts the installed application as the user who runs the installer.
UINT LaunchApplication(void);

#endif
