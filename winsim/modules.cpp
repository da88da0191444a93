// The simulated system folder and run-time module loading: only the system
// folder's netapi32.dll can be loaded, by its full path.
#include "modules.h"

#include <string.h>

#include "accounts.h"
#include "codepage.h"

namespace sim {
namespace {

// The handle of the simulated netapi32 once loaded.
HMODULE const kNetapi32 = (HMODULE)(UINT_PTR)0x71C10000;

struct Modules {
    bool failSystemDirectory = false;
    bool netapi32Present = true;
    int netapi32References = 0;
    std::vector<std::string> problems;
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
    for (const std::string &problem : g.problems)
        out->push_back(problem);
}

bool registered = RegisterArea({"modules", ResetModules, ModuleLeaks});

}  // namespace

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
    if (!g.netapi32Present || sim::FoldCase(name) != sim::FoldCase(sim::SystemFolder() + "\\netapi32.dll")) {
        sim::RecordResult("NULL");
        SetLastError(ERROR_MOD_NOT_FOUND);
        return NULL;
    }
    ++g.netapi32References;
    return sim::kNetapi32;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name)
{
    bool byOrdinal = name != nullptr && IS_INTRESOURCE(name);
    sim::Record("GetProcAddress", "%s, %s", module == sim::kNetapi32 ? "netapi32" : sim::Hex((UINT_PTR)module).c_str(),
                byOrdinal ? "#ordinal" : sim::Quote(name).c_str());
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
    sim::Record("FreeLibrary", "%s", module == sim::kNetapi32 ? "netapi32" : sim::Hex((UINT_PTR)module).c_str());
    if (module != sim::kNetapi32 || g.netapi32References == 0) {
        g.problems.push_back("FreeLibrary of a module that is not loaded");
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    --g.netapi32References;
    return TRUE;
}
