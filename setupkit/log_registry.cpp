#include "log_registry.h"

#include <stdarg.h>
#include <string.h>

FILE *g_setupLog = NULL;

// Day names indexed by SYSTEMTIME.wDayOfWeek (0 = Sunday). Tuesday and Thursday
// are spelled as earlier versions of the log spelled them; log readers expect it.
static const char *const kDayNames[7] = {"SUN", "MON", "TSU", "WED", "THR", "FRI", "SAT"};

void StartSetupLog(const char *path)
{
    g_setupLog = path != NULL ? fopen(path, "w+") : NULL;
    WriteSetupLog("LogStart: %X, %s\n", (unsigned)(UINT_PTR)g_setupLog, path);
}

// Length of text that was cut to fit: a double-byte character whose trail byte
// fell off the end is dropped whole.
static size_t WholeCharacterLength(const char *text)
{
    const char *p = text;
    while (*p != '\0') {
        const char *next = CharNextA(p);
        if (next == p + 1 && IsDBCSLeadByte((BYTE)*p) && p[1] == '\0')
            break;
        p = next;
    }
    return (size_t)(p - text);
}

void WriteSetupLog(const char *format, ...)
{
    char line[SETUP_LOG_LINE_SIZE];
    va_list args;
    int formatted;
    size_t length;

    if (g_setupLog == NULL)
        return;

    // _vsnprintf, as in FormatText; it leaves a cut line unterminated. A longer
    // line is kept to its first 4095 bytes, ending in a whole character.
    va_start(args, format);
    formatted = _vsnprintf(line, sizeof(line) - 1, format, args);
    va_end(args);
    line[sizeof(line) - 1] = '\0';
    length = formatted >= 0 ? (size_t)formatted : WholeCharacterLength(line);
    line[length] = '\0';

    fwrite(line, 1, length, g_setupLog);
    fflush(g_setupLog);
    // The echo prints the finished text; it is never used as a format again.
    fputs(line, stdout);
}

void WriteSetupLogTimestamp(void)
{
    SYSTEMTIME now;

    GetLocalTime(&now);
    WriteSetupLog("%04d/%02d/%02d(%s) %02d:%02d:%02d.%d\n", now.wYear, now.wMonth, now.wDay,
                  kDayNames[now.wDayOfWeek % 7], now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
}

BOOL IsPreVistaWindows(void)
{
    OSVERSIONINFOA version;

    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    // A system that does not report its version is taken for the current
    // generation (Vista and later), whose conventions every supported later
    // system shares.
    if (!GetVersionExA(&version))
        return FALSE;
    return version.dwMajorVersion < 6 ? TRUE : FALSE;
}

HKEY OpenRegistryKey(HKEY root, const char *subKey, REGSAM access)
{
    HKEY key = NULL;

    if (RegCreateKeyExA(root,    // root key
                        subKey,  // created with any missing parents
                        0,       // reserved
                        NULL,    // no class
                        0,       // non-volatile
                        access,  // the caller's access rights
                        NULL,    // default security
                        &key,    // receives the key
                        NULL)    // disposition not wanted
        != ERROR_SUCCESS)
        return NULL;
    return key;
}

HKEY OpenMachineRegistryKey(const char *subKey, REGSAM access)
{
    return OpenRegistryKey(HKEY_LOCAL_MACHINE, subKey, access);
}

void CloseRegistryKey(HKEY key)
{
    if (key != NULL)
        RegCloseKey(key);
}

LONG DeleteRegistryKey(HKEY root, const char *subKey)
{
    return RegDeleteKeyA(root, subKey);
}

LONG DeleteRegistryValue(HKEY key, const char *valueName)
{
    return RegDeleteValueA(key, valueName);
}

LONG SetRegistryString(HKEY key, const char *valueName, const char *value)
{
    return RegSetValueExA(key, valueName, 0, REG_SZ, (const BYTE *)value, (DWORD)(strlen(value) + 1));
}
