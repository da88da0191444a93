// The simulated modules: the system folder, the system's netapi32.dll (which a
// test can remove), run-time loading by path with reference counts, and
// GetProcAddress into the simulated netapi32.
#ifndef WINSIM_MODULES_H
#define WINSIM_MODULES_H

#include <string>

#include "machine.h"

namespace sim {

// C:\WINDOWS\system32 before Vista, C:\Windows\system32 from Vista on.
std::string SystemFolder();
// GetSystemDirectoryA fails (returns 0).
void FailSystemDirectory(bool fail);
// Whether the system folder holds netapi32.dll (it does by default).
void SetNetapi32Present(bool present);
// How many references to modules loaded by the product are held now.
int LoadedModuleReferences();
// How many references the product holds to a system DLL ("uxtheme.dll").
int LoadedModuleCount(const std::string &name);
// Which DLL search functions kernel32 exports (by default: SetDllDirectoryA
// always, SetDefaultDllDirectories from Vista on), and the calls made to them.
void SetDllSearchExports(bool setDefaultDllDirectories, bool setDllDirectory);
const std::vector<std::string> &DllSearchChanges();

}  // namespace sim

#endif
