// A marker DLL for the DLL-search test: planted beside a program under a
// system DLL's name (uxtheme.dll), it leaves C:\dll_marker.txt when it is
// loaded, so the harness can tell whether the program took it.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        HANDLE marker = CreateFileA("C:\\dll_marker.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
        if (marker != INVALID_HANDLE_VALUE)
            CloseHandle(marker);
    }
    return TRUE;
}
