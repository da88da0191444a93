// The simulated system folder and run-time module loading: the system folder's
// netapi32.dll, uxtheme.dll and dwmapi.dll can be loaded by full path; kernel32
// is always there and exports the DLL search functions of its generation.
#include "modules.h"

#include <string.h>

#include "accounts.h"
#include "codepage.h"

namespace sim {
namespace {

// The handle of the simulated netapi32 once loaded.
HMODULE const kNetapi32 = (HMODULE)(UINT_PTR)0x71C10000;
HMODULE const kUxtheme = (HMODULE)(UINT_PTR)0x5AD70000;
HMODULE const kDwmapi = (HMODULE)(UINT_PTR)0x6F0A0000;
HMODULE const kKernel32 = (HMODULE)(UINT_PTR)0x7C800000;

struct Modules {
    bool failSystemDirectory = false;
    bool netapi32Present = true;
    int netapi32References = 0;
    int uxthemeReferences = 0;
    int dwmapiReferences = 0;
    int setDefaultDllDirectories = -1;  // -1: as the generation has it
    int setDllDirectory = -1;
    std::vector<std::string> problems;
    std::vector<std::string> searchChanges;
};

Modules g;

std::string FlagsText(DWORD flags)
{
    if (flags == 0)
        return "0";
    if (flags == LOAD_WITH_ALTERED_SEARCH_PATH)
        return "LOAD_WITH_ALTERED_SEARCH_PATH";
    return Hex(flags);
}

void ResetModules() { g = Modules(); }

void ModuleLeaks(std::vector<std::string> *out)
{
    if (g.netapi32References != 0)
        out->push_back("netapi32.dll still loaded " + std::to_string(g.netapi32References) + " time(s)");
    if (g.uxthemeReferences != 0)
        out->push_back("uxtheme.dll still loaded " + std::to_string(g.uxthemeReferences) + " time(s)");
    if (g.dwmapiReferences != 0)
        out->push_back("dwmapi.dll still loaded " + std::to_string(g.dwmapiReferences) + " time(s)");
    for (const std::string &problem : g.problems)
        out->push_back(problem);
}

bool registered = RegisterArea({"modules", ResetModules, ModuleLeaks});

std::string ModuleText(HMODULE module)
{
    if (module == kNetapi32)
        return "netapi32";
    if (module == kUxtheme)
        return "uxtheme";
    if (module == kDwmapi)
        return "dwmapi";
    if (module == kKernel32)
        return "kernel32";
    return Hex((UINT_PTR)module);
}

int *References(HMODULE module)
{
    if (module == kNetapi32)
        return &g.netapi32References;
    if (module == kUxtheme)
        return &g.uxthemeReferences;
    if (module == kDwmapi)
        return &g.dwmapiReferences;
    return nullptr;
}

bool HasSetDefaultDllDirectories()
{
    return g.setDefaultDllDirectories < 0 ? WindowsMajor() >= 6 : g.setDefaultDllDirectories != 0;
}

bool HasSetDllDirectory() { return g.setDllDirectory < 0 ? true : g.setDllDirectory != 0; }

BOOL WINAPI SimSetDefaultDllDirectories(DWORD flags)
{
    Record("SetDefaultDllDirectories", "0x%X", flags);
    g.searchChanges.push_back("SetDefaultDllDirectories(" + Hex(flags) + ")");
    return TRUE;
}

BOOL WINAPI SimSetDllDirectoryA(LPCSTR path)
{
    Record("SetDllDirectoryA", "%s", Quote(path).c_str());
    g.searchChanges.push_back("SetDllDirectoryA(" + Quote(path) + ")");
    return TRUE;
}

}  // namespace

void SetDllSearchExports(bool setDefaultDllDirectories, bool setDllDirectory)
{
    g.setDefaultDllDirectories = setDefaultDllDirectories ? 1 : 0;
    g.setDllDirectory = setDllDirectory ? 1 : 0;
}
const std::vector<std::string> &DllSearchChanges() { return g.searchChanges; }
int LoadedModuleCount(const std::string &name)
{
    if (FoldCase(name) == "UXTHEME.DLL")
        return g.uxthemeReferences;
    if (FoldCase(name) == "DWMAPI.DLL")
        return g.dwmapiReferences;
    return g.netapi32References;
}

std::string SystemFolder() { return WindowsMajor() < 6 ? "C:\\WINDOWS\\system32" : "C:\\Windows\\system32"; }
void FailSystemDirectory(bool fail) { g.failSystemDirectory = fail; }
void SetNetapi32Present(bool present) { g.netapi32Present = present; }
int LoadedModuleReferences() { return g.netapi32References; }

}  // namespace sim

using sim::g;

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size)
{
    sim::Record("GetSystemDirectoryA", "buffer, %u", size);
    if (g.failSystemDirectory) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    std::string folder = sim::SystemFolder();
    if (buffer == nullptr || folder.size() + 1 > size)
        return (UINT)folder.size() + 1;
    memcpy(buffer, folder.c_str(), folder.size() + 1);
    return (UINT)folder.size();
}

// Only a full path is resolved: the product never relies on the search order.
HMODULE WINAPI LoadLibraryExA(LPCSTR name, HANDLE file, DWORD flags)
{
    sim::Record("LoadLibraryExA", "%s, %s, %s", sim::Quote(name).c_str(), file == nullptr ? "NULL" : "file",
                sim::FlagsText(flags).c_str());
    if (name == nullptr || file != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return NULL;
    }
    std::string folded = sim::FoldCase(name);
    std::string system = sim::FoldCase(sim::SystemFolder() + "\\");
    if (folded == system + "UXTHEME.DLL") {
        ++g.uxthemeReferences;
        return sim::kUxtheme;
    }
    if (folded == system + "DWMAPI.DLL" && sim::WindowsMajor() >= 6) {
        ++g.dwmapiReferences;
        return sim::kDwmapi;
    }
    if (!g.netapi32Present || folded != system + "NETAPI32.DLL") {
        sim::RecordResult("NULL");
        SetLastError(ERROR_MOD_NOT_FOUND);
        return NULL;
    }
    ++g.netapi32References;
    return sim::kNetapi32;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR name)
{
    sim::Record("GetModuleHandleA", "%s", sim::Quote(name).c_str());
    if (name != nullptr && sim::FoldCase(name) == "KERNEL32.DLL")
        return sim::kKernel32;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return NULL;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    bool byOrdinal = name != nullptr && IS_INTRESOURCE(name);
    sim::Record("GetProcAddress", "%s, %s", sim::ModuleText(module).c_str(),
                byOrdinal ? "#ordinal" : sim::Quote(name).c_str());
    if (module == sim::kKernel32 && name != nullptr && !byOrdinal) {
        FARPROC function = nullptr;
        if (strcmp(name, "SetDefaultDllDirectories") == 0 && sim::HasSetDefaultDllDirectories())
            function = (FARPROC)(void *)sim::SimSetDefaultDllDirectories;
        if (strcmp(name, "SetDllDirectoryA") == 0 && sim::HasSetDllDirectory())
            function = (FARPROC)(void *)sim::SimSetDllDirectoryA;
        if (function == nullptr) {
            sim::RecordResult("NULL");
            SetLastError(ERROR_PROC_NOT_FOUND);
        }
        return function;
    }
    if (module != sim::kNetapi32 || g.netapi32References == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return NULL;
    }
    FARPROC function = name == nullptr || byOrdinal ? nullptr : sim::NetApiExport(name);
    if (function == nullptr) {
        sim::RecordResult("NULL");
        SetLastError(ERROR_PROC_NOT_FOUND);
    }
    return function;
}

BOOL WINAPI FreeLibrary(HMODULE module)
{
    sim::Record("FreeLibrary", "%s", sim::ModuleText(module).c_str());
    int *references = sim::References(module);
    if (references == nullptr || *references == 0) {
        g.problems.push_back("FreeLibrary of a module that is not loaded");
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    --*references;
    return TRUE;
}
