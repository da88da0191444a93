// user32: the top-level windows of the desktop, their class names and posted
// messages, declared from their documented signatures.
#ifndef WINSIM_API_TOPLEVEL_H
#define WINSIM_API_TOPLEVEL_H

#include "base.h"

typedef BOOL(CALLBACK *WNDENUMPROC)(HWND hwnd, LPARAM lParam);

#ifndef WM_DESTROY
#define WM_DESTROY 0x0002
#endif
#ifndef WM_CLOSE
#define WM_CLOSE 0x0010
#endif

#define ERROR_INVALID_WINDOW_HANDLE 1400L

BOOL WINAPI EnumWindows(WNDENUMPROC lpEnumFunc, LPARAM lParam);
int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount);
BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

#endif
