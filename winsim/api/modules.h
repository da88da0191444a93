// kernel32: the system folder and run-time loading of modules, declared from
// their documented signatures.
#ifndef WINSIM_API_MODULES_H
#define WINSIM_API_MODULES_H

#include "base.h"

typedef INT_PTR(WINAPI *FARPROC)(void);

#define DONT_RESOLVE_DLL_REFERENCES 0x00000001u
#define LOAD_LIBRARY_AS_DATAFILE 0x00000002u
#define LOAD_WITH_ALTERED_SEARCH_PATH 0x00000008u

// Length of the path without terminator; the size needed, terminator included,
// when the buffer is too small; 0 on failure.
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800u

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
UINT WINAPI GetSystemDirectoryA(LPSTR lpBuffer, UINT uSize);
HMODULE WINAPI LoadLibraryExA(LPCSTR lpLibFileName, HANDLE hFile, DWORD dwFlags);
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL WINAPI FreeLibrary(HMODULE hLibModule);

#endif
