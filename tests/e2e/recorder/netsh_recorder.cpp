// Stands in for the system's netsh.exe in the end-to-end prefixes: appends its
// command line's arguments, one line per start, to C:\netsh_calls.txt, so that
// the firewall commands the setup programs start can be read back exactly.
#include <windows.h>
#include <string.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int)
{
    HANDLE log = CreateFileA("C:\\netsh_calls.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    char line[4096];
    DWORD written = 0;
    int length = lstrlenA(arguments);

    if (log == INVALID_HANDLE_VALUE || length > (int)sizeof(line) - 3)
        return 1;
    // One write a line: the two netsh commands of one operation run at the same time.
    memcpy(line, arguments, length);
    memcpy(line + length, "\r\n", 2);
    WriteFile(log, line, length + 2, &written, NULL);
    CloseHandle(log);
    return 0;
}
