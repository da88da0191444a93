// The simulated desktop's top-level windows: enumeration, class names and
// posted messages.
#include "toplevel.h"

#include <string.h>

namespace sim {
namespace {

struct Window {
    HWND handle;
    std::string className;
    bool unreadable;
};

struct Desktop {
    std::vector<Window> windows;  // in enumeration order
    std::vector<PostedMessage> posted;
    UINT_PTR nextHandle = 0x10010;
    int enumerating = 0;
};

Desktop g;

const Window *FindWindowOf(HWND handle)
{
    for (const Window &window : g.windows)
        if (window.handle == handle)
            return &window;
    return nullptr;
}

std::string MessageText(UINT message)
{
    if (message == WM_DESTROY)
        return "WM_DESTROY";
    if (message == WM_CLOSE)
        return "WM_CLOSE";
    return Hex(message);
}

void ResetDesktop() { g = Desktop(); }

void DesktopLeaks(std::vector<std::string> *out)
{
    if (g.enumerating != 0)
        out->push_back("EnumWindows still running");
}

bool registered = RegisterArea({"toplevel", ResetDesktop, DesktopLeaks});

}  // namespace

HWND AddTopLevelWindow(const std::string &className, bool unreadable)
{
    HWND handle = (HWND)g.nextHandle;
    g.nextHandle += 0x10;
    g.windows.push_back({handle, className, unreadable});
    return handle;
}

const std::vector<PostedMessage> &PostedMessages() { return g.posted; }

}  // namespace sim

using sim::g;

BOOL WINAPI EnumWindows(WNDENUMPROC callback, LPARAM lParam)
{
    sim::Record("EnumWindows", "%s, %lld", callback == nullptr ? "NULL" : "proc", (long long)lParam);
    if (callback == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The list as it stands when the enumeration starts.
    std::vector<HWND> handles;
    for (const sim::Window &window : g.windows)
        handles.push_back(window.handle);
    ++g.enumerating;
    BOOL result = TRUE;
    for (HWND handle : handles) {
        if (!callback(handle, lParam)) {
            result = FALSE;
            break;
        }
    }
    --g.enumerating;
    return result;
}

int WINAPI GetClassNameA(HWND window, LPSTR name, int size)
{
    sim::Record("GetClassNameA", "%s, buffer, %d", sim::Hex((UINT_PTR)window).c_str(), size);
    const sim::Window *found = sim::FindWindowOf(window);
    if (found == nullptr || found->unreadable) {
        sim::RecordResult("0");
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (name == nullptr || size <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    // A longer name is cut to the buffer, terminator included.
    size_t length = found->className.size() < (size_t)size - 1 ? found->className.size() : (size_t)size - 1;
    memcpy(name, found->className.data(), length);
    name[length] = '\0';
    sim::RecordResult("%s", sim::Quote(name).c_str());
    return (int)length;
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    sim::Record("PostMessageA", "%s, %s, %llu, %lld", sim::Hex((UINT_PTR)window).c_str(),
                sim::MessageText(message).c_str(), (unsigned long long)wParam, (long long)lParam);
    if (sim::FindWindowOf(window) == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    g.posted.push_back({sim::Now(), window, message, wParam, lParam});
    return TRUE;
}
