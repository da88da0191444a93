// Core of the simulated machine: area registration, trace, clock, version,
// rights, module path, local time, last error and message boxes.
#include "machine.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace sim {
namespace {

std::vector<Area> &Areas()
{
    static std::vector<Area> areas;
    return areas;
}

struct Core {
    std::vector<Call> trace;
    unsigned long long now = 0;
    DWORD major = 6, minor = 1, build = 7601;
    bool failVersion = false;
    bool administrator = true;
    std::string modulePath = "C:\\Users\\user\\Downloads\\VelodarInstaller.exe";
    SYSTEMTIME localTime = {2010, 3, 2, 2, 9, 5, 7, 42};
    DWORD lastError = 0;
    std::vector<int> answers;
    std::vector<MessageBoxShown> boxes;
    std::function<void(const MessageBoxShown &)> whileShown;
};

Core g;

void ResetCore() { g = Core(); }

bool registered = RegisterArea({"core", ResetCore, nullptr});

}  // namespace

bool RegisterArea(const Area &area)
{
    Areas().push_back(area);
    return true;
}

void Reset()
{
    for (const Area &area : Areas())
        if (area.reset != nullptr)
            area.reset();
}

std::vector<std::string> Leaks()
{
    std::vector<std::string> out;
    for (const Area &area : Areas())
        if (area.leaks != nullptr)
            area.leaks(&out);
    return out;
}

void Record(const char *name, const char *format, ...)
{
    char args[4096];
    va_list list;
    va_start(list, format);
    vsnprintf(args, sizeof(args), format, list);
    va_end(list);
    g.trace.push_back({g.now, name, std::string(name) + "(" + args + ")", ""});
}

void RecordResult(const char *format, ...)
{
    char text[256];
    va_list list;
    va_start(list, format);
    vsnprintf(text, sizeof(text), format, list);
    va_end(list);
    if (!g.trace.empty())
        g.trace.back().result = text;
}

const std::vector<Call> &Trace() { return g.trace; }

std::vector<std::string> TraceOf(const std::vector<std::string> &names)
{
    std::vector<std::string> out;
    for (const Call &call : g.trace) {
        bool wanted = names.empty();
        for (const std::string &name : names)
            wanted = wanted || call.name == name;
        if (wanted)
            out.push_back(call.text);
    }
    return out;
}

int FindCall(const std::string &prefix, int from)
{
    for (size_t i = from < 0 ? 0 : (size_t)from; i < g.trace.size(); ++i)
        if (g.trace[i].text.compare(0, prefix.size(), prefix) == 0)
            return (int)i;
    return -1;
}

unsigned long long Now() { return g.now; }
void Advance(unsigned long long milliseconds) { g.now += milliseconds; }

void SetWindowsVersion(DWORD major, DWORD minor, DWORD build)
{
    g.major = major;
    g.minor = minor;
    g.build = build;
}
void FailVersionQuery(bool fail) { g.failVersion = fail; }
DWORD WindowsMajor() { return g.major; }
DWORD WindowsMinor() { return g.minor; }
void SetAdministrator(bool administrator) { g.administrator = administrator; }
bool IsAdministrator() { return g.administrator; }
void SetModulePath(const std::string &path) { g.modulePath = path; }
HINSTANCE ModuleInstance() { return (HINSTANCE)(UINT_PTR)0x00400000; }
void SetLocalTime(const SYSTEMTIME &time) { g.localTime = time; }

void AnswerMessageBoxes(const std::vector<int> &answers) { g.answers = answers; }
const std::vector<MessageBoxShown> &MessageBoxes() { return g.boxes; }
void WhileMessageBoxShown(std::function<void(const MessageBoxShown &)> action) { g.whileShown = action; }

std::string Quote(const char *text)
{
    if (text == nullptr)
        return "NULL";
    return std::string("\"") + text + "\"";
}

std::string Hex(unsigned long long value)
{
    char text[32];
    snprintf(text, sizeof(text), "0x%llX", value);
    return text;
}

}  // namespace sim

using sim::g;

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info)
{
    sim::Record("GetVersionExA", "size=%u", info != nullptr ? info->dwOSVersionInfoSize : 0);
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) || g.failVersion) {
        g.lastError = ERROR_INVALID_PARAMETER;
        return FALSE;
    }
    info->dwMajorVersion = g.major;
    info->dwMinorVersion = g.minor;
    info->dwBuildNumber = g.build;
    info->dwPlatformId = 2;  // VER_PLATFORM_WIN32_NT
    memset(info->szCSDVersion, 0, sizeof(info->szCSDVersion));
    return TRUE;
}

// Before Vista a path that does not fit is cut without a terminator; from Vista
// on it is cut, terminated and reported with ERROR_INSUFFICIENT_BUFFER. Both
// return the buffer size.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size)
{
    sim::Record("GetModuleFileNameA", "%s, size=%u", module == nullptr ? "NULL" : sim::Hex((UINT_PTR)module).c_str(),
                size);
    const std::string &path = g.modulePath;
    if (size == 0)
        return 0;
    if (path.size() < size) {
        memcpy(buffer, path.c_str(), path.size() + 1);
        g.lastError = ERROR_SUCCESS;
        return (DWORD)path.size();
    }
    if (g.major < 6) {
        memcpy(buffer, path.data(), size);
    } else {
        memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
    }
    g.lastError = ERROR_INSUFFICIENT_BUFFER;
    return size;
}

void WINAPI GetLocalTime(LPSYSTEMTIME time)
{
    sim::Record("GetLocalTime", "");
    *time = g.localTime;
}

DWORD WINAPI GetLastError(void) { return g.lastError; }
void WINAPI SetLastError(DWORD code) { g.lastError = code; }

void WINAPI Sleep(DWORD milliseconds)
{
    sim::Record("Sleep", "%u", milliseconds);
    g.now += milliseconds;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    sim::Record("MessageBoxA", "%s, %s, %s, 0x%X", owner == nullptr ? "NULL" : sim::Hex((UINT_PTR)owner).c_str(),
                sim::Quote(text).c_str(), sim::Quote(caption).c_str(), style);
    int answer;
    if (!g.answers.empty()) {
        answer = g.answers.front();
        g.answers.erase(g.answers.begin());
    } else {
        answer = (style & 0xF) == MB_YESNO ? IDYES : IDOK;
    }
    sim::MessageBoxShown shown;
    shown.time = g.now;
    shown.owner = owner;
    shown.text = text != nullptr ? text : "";
    shown.caption = caption != nullptr ? caption : "(null)";
    shown.nullCaption = caption == nullptr;
    shown.style = style;
    shown.answer = answer;
    if (g.whileShown)
        g.whileShown(shown);
    g.boxes.push_back(shown);
    return answer;
}
