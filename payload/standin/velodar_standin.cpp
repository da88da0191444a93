// velodar_standin.cpp - stand-in for the Velodar PC server (payload/Velodar.exe).
//
// This is NOT the product.  It exists so that the installer and uninstaller
// can be built and exercised before the real server is dropped into
// payload/Velodar.exe.  It only does the few things the setup programs rely on:
//
//   Velodar.exe /LocalService
//       Runs as the Windows service "Velodar Service" under the service control
//       dispatcher, reports SERVICE_RUNNING, serves TCP port 8899 on all
//       addresses (one greeting line per connection, then the connection is
//       closed) and stops at once on SERVICE_CONTROL_STOP.
//   Velodar.exe
//       Shows a small top-level window of class "Velodar" and ends as soon as
//       that window is destroyed (the uninstaller closes it with WM_CLOSE).
//   Either way, at start-up it appends a line to Velodar.ini and
//   startup_log.txt in the executable's own folder (failures are ignored;
//   the service and the desktop instance may start moments apart).
//   The exit code is always 0.
//
// Build (string literals reach the program in code page 932):
//   i686-w64-mingw32-g++ -Os -s -static -mwindows -finput-charset=UTF-8
//       -fexec-charset=CP932 -o Velodar.exe payload/standin/velodar_standin.cpp
//       -lws2_32 -ladvapi32

#include <winsock2.h>
#include <windows.h>
#include <stdio.h>
#include <string.h>

#define VELODAR_PORT          8899
#define VELODAR_SERVICE_NAME  "Velodar Service"
#define VELODAR_WINDOW_CLASS  "Velodar"
#define SERVICE_ARGUMENT      "/LocalService"
#define POLL_MILLISECONDS     50

static const char g_greeting[] = "Velodar stand-in server\r\n";
static const char g_windowText[] = "Velodar 代替プログラム(製品版の Velodar.exe に差し替えてください)";

static char g_folder[MAX_PATH];                 // executable's folder, ends with '\\'
static SERVICE_STATUS_HANDLE g_statusHandle = NULL;
static SERVICE_STATUS g_status;
static HANDLE g_stopEvent = NULL;

// ---------------------------------------------------------------------------
// Start-up notes next to the executable

// Fills g_folder with the folder of this executable, trailing backslash kept.
static BOOL FindOwnFolder(void)
{
    char path[MAX_PATH];
    DWORD len = GetModuleFileNameA(NULL, path, sizeof(path));
    if (len == 0 || len >= sizeof(path))
        return FALSE;
    path[len] = '\0';

    // Walk back one character at a time so that a trail byte equal to '\\'
    // inside a double-byte character is never taken for a separator.
    char *cut = NULL;
    char *p = path + len;
    while (p > path) {
        char *prev = CharPrevA(path, p);
        if (prev == p)
            break;
        if (*prev == '\\') {
            cut = CharNextA(prev);
            break;
        }
        p = prev;
    }
    if (cut == NULL)
        return FALSE;
    *cut = '\0';

    int n = snprintf(g_folder, sizeof(g_folder), "%s", path);
    if (n < 0 || n >= (int)sizeof(g_folder)) {
        g_folder[0] = '\0';
        return FALSE;
    }
    return TRUE;
}

// Appends text to a file in the executable's folder.  Both instances may
// have the file open at once, hence the sharing flags.
static BOOL AppendToOwnFile(const char *name, const char *text)
{
    BOOL ok = FALSE;
    HANDLE file = INVALID_HANDLE_VALUE;
    char path[MAX_PATH];
    DWORD written = 0;
    DWORD size = (DWORD)strlen(text);

    if (g_folder[0] == '\0')
        goto cleanup;
    {
        int n = snprintf(path, sizeof(path), "%s%s", g_folder, name);
        if (n < 0 || n >= (int)sizeof(path))
            goto cleanup;
    }
    file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        goto cleanup;
    if (!WriteFile(file, text, size, &written, NULL) || written != size)
        goto cleanup;
    ok = TRUE;

cleanup:
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    return ok;
}

static void NoteStartup(const char *mode)
{
    char line[160];
    SYSTEMTIME now;
    int n;

    if (!FindOwnFolder())
        return;
    GetLocalTime(&now);
    n = snprintf(line, sizeof(line),
                 "%04u-%02u-%02u %02u:%02u:%02u stand-in started as %s (process %lu)\r\n",
                 now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                 mode, (unsigned long)GetCurrentProcessId());
    if (n > 0 && n < (int)sizeof(line))
        AppendToOwnFile("startup_log.txt", line);

    n = snprintf(line, sizeof(line), "LastStart=%s\r\n", mode);
    if (n > 0 && n < (int)sizeof(line))
        AppendToOwnFile("Velodar.ini", line);
}

// ---------------------------------------------------------------------------
// Service

static void ReportStatus(DWORD state)
{
    if (g_statusHandle == NULL)
        return;
    g_status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    g_status.dwCurrentState = state;
    g_status.dwControlsAccepted =
        (state == SERVICE_RUNNING) ? (SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN) : 0;
    g_status.dwWin32ExitCode = NO_ERROR;
    g_status.dwServiceSpecificExitCode = 0;
    g_status.dwCheckPoint = (state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING)
                                ? g_status.dwCheckPoint + 1 : 0;
    g_status.dwWaitHint = (state == SERVICE_START_PENDING || state == SERVICE_STOP_PENDING)
                              ? 1000 : 0;
    SetServiceStatus(g_statusHandle, &g_status);
}

static void WINAPI ServiceControl(DWORD control)
{
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        ReportStatus(SERVICE_STOP_PENDING);
        if (g_stopEvent != NULL)
            SetEvent(g_stopEvent);
        return;
    }
    ReportStatus(g_status.dwCurrentState);      // SERVICE_CONTROL_INTERROGATE and others
}

static BOOL StopRequested(void)
{
    return WaitForSingleObject(g_stopEvent, 0) == WAIT_OBJECT_0;
}

static void GreetOne(SOCKET listener)
{
    SOCKET peer = accept(listener, NULL, NULL);
    if (peer == INVALID_SOCKET)
        return;
    send(peer, g_greeting, (int)(sizeof(g_greeting) - 1), 0);
    shutdown(peer, SD_SEND);
    closesocket(peer);
}

// Serves port 8899 until the stop event is set.  select() wakes every
// POLL_MILLISECONDS so a stop is seen at once.
static void ServeUntilStopped(void)
{
    WSADATA wsa;
    BOOL started = FALSE;
    SOCKET listener = INVALID_SOCKET;
    struct sockaddr_in addr;

    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        goto wait_only;
    started = TRUE;
    listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET)
        goto wait_only;
    memset(&addr, 0, sizeof(addr));
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_ANY);
    addr.sin_port = htons(VELODAR_PORT);
    if (bind(listener, (struct sockaddr *)&addr, sizeof(addr)) != 0)
        goto wait_only;
    if (listen(listener, SOMAXCONN) != 0)
        goto wait_only;

    while (!StopRequested()) {
        fd_set readable;
        struct timeval tv;
        FD_ZERO(&readable);
        FD_SET(listener, &readable);
        tv.tv_sec = 0;
        tv.tv_usec = POLL_MILLISECONDS * 1000;
        int ready = select(0, &readable, NULL, NULL, &tv);
        if (ready == SOCKET_ERROR) {
            Sleep(POLL_MILLISECONDS);
            continue;
        }
        if (ready > 0 && FD_ISSET(listener, &readable))
            GreetOne(listener);
    }
    goto cleanup;

wait_only:
    // No network: stay a well-behaved service that can still be stopped.
    AppendToOwnFile("startup_log.txt", "stand-in could not listen on TCP port 8899\r\n");
    WaitForSingleObject(g_stopEvent, INFINITE);

cleanup:
    if (listener != INVALID_SOCKET)
        closesocket(listener);
    if (started)
        WSACleanup();
}

static void WINAPI ServiceMain(DWORD argc, LPSTR *argv)
{
    (void)argc;
    (void)argv;
    memset(&g_status, 0, sizeof(g_status));
    g_statusHandle = RegisterServiceCtrlHandlerA(VELODAR_SERVICE_NAME, ServiceControl);
    if (g_statusHandle == NULL)
        return;
    ReportStatus(SERVICE_START_PENDING);
    g_stopEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (g_stopEvent == NULL) {
        ReportStatus(SERVICE_STOPPED);
        return;
    }
    ReportStatus(SERVICE_RUNNING);
    ServeUntilStopped();
    ReportStatus(SERVICE_STOP_PENDING);
    CloseHandle(g_stopEvent);
    g_stopEvent = NULL;
    ReportStatus(SERVICE_STOPPED);
}

static void RunService(void)
{
    static char name[] = VELODAR_SERVICE_NAME;
    SERVICE_TABLE_ENTRYA table[2];
    table[0].lpServiceName = name;
    table[0].lpServiceProc = ServiceMain;
    table[1].lpServiceName = NULL;
    table[1].lpServiceProc = NULL;
    StartServiceCtrlDispatcherA(table);         // returns when the service has stopped
}

// ---------------------------------------------------------------------------
// Desktop instance

static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        RECT rc;
        HDC dc = BeginPaint(wnd, &ps);
        GetClientRect(wnd, &rc);
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, g_windowText, -1, &rc, DT_CENTER | DT_VCENTER | DT_WORDBREAK);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

static void RunDesktop(HINSTANCE instance)
{
    WNDCLASSA wc;
    HWND wnd;
    MSG msg;

    memset(&wc, 0, sizeof(wc));
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = VELODAR_WINDOW_CLASS;
    if (!RegisterClassA(&wc))
        return;
    wnd = CreateWindowExA(0, VELODAR_WINDOW_CLASS, "Velodar", WS_OVERLAPPEDWINDOW,
                          CW_USEDEFAULT, CW_USEDEFAULT, 360, 140, NULL, NULL, instance, NULL);
    if (wnd == NULL)
        return;
    ShowWindow(wnd, SW_SHOWNORMAL);
    UpdateWindow(wnd);
    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// ---------------------------------------------------------------------------

// TRUE when the command line is exactly /LocalService (surrounding blanks allowed).
static BOOL IsServiceCommandLine(const char *cmd)
{
    char arg[32];
    size_t len;

    while (*cmd == ' ' || *cmd == '\t')
        cmd++;
    len = strlen(cmd);
    while (len > 0 && (cmd[len - 1] == ' ' || cmd[len - 1] == '\t'))
        len--;
    if (len == 0 || len >= sizeof(arg))
        return FALSE;
    memcpy(arg, cmd, len);
    arg[len] = '\0';
    return lstrcmpiA(arg, SERVICE_ARGUMENT) == 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE prev, LPSTR cmdLine, int show)
{
    (void)prev;
    (void)show;
    if (IsServiceCommandLine(cmdLine != NULL ? cmdLine : "")) {
        NoteStartup("service");
        RunService();
    } else {
        NoteStartup("desktop");
        RunDesktop(instance);
    }
    return 0;
}
