// The simulated shell: special folders, the task allocator and the item-ID
// lists it hands out, COM start-up and the shell link object whose Save writes
// a link file into the simulated file system, and the programs started with
// ShellExecuteA.
#ifndef WINSIM_COM_SHELL_H
#define WINSIM_COM_SHELL_H

#include <string>
#include <vector>

#include "machine.h"

namespace sim {

// Special folders. Without a setting, each folder resolves as on the running
// Windows generation (CSIDL_SENDTO to the SendTo folder of the account "user",
// CSIDL_PROGRAM_FILES to C:\Program Files, ...); CSIDL_DRIVES, CSIDL_CONTROLS
// and CSIDL_NETWORK resolve to item-ID lists without a file-system path; other
// values fail with E_INVALIDARG.
void SetSpecialFolder(int csidl, const std::string &path);
// The folder resolves to an item-ID list that has no file-system path.
void SetFolderWithoutPath(int csidl);
// SHGetSpecialFolderLocation fails for the folder with this result.
void FailSpecialFolder(int csidl, HRESULT result);
// The path the folder resolves to now; "" when it has none or fails.
std::string SpecialFolder(int csidl);
// The CSIDL value's name ("CSIDL_SENDTO"), or its number.
std::string CsidlName(int csidl);

// SHGetMalloc fails with this result (S_OK: it works again).
void FailShellMalloc(HRESULT result);

// How often COM is initialised on the thread now (CoInitialize minus CoUninitialize).
int ComInitializations();
// CoCreateInstance, or the link's QueryInterface, fails with this result (S_OK: it works again).
void FailCreateInstance(HRESULT result);
void FailQueryInterface(HRESULT result);

// A link file that the shell link object saved, read back. Each text is given
// as the link received it: quoted, "NULL" when it was set with a null pointer,
// "(unset)" when it was never set.
struct Shortcut {
    std::string target;
    std::string description;
    std::string arguments;
    std::string workingDirectory;
    std::string iconPath;
    int iconIndex = 0;
    int showCommand = 0;
};
// False when there is no such file or it is no link file.
bool ReadShortcut(const std::string &path, Shortcut *out);

// Programs started with ShellExecuteA.
struct ShellExecution {
    unsigned long long time;
    HWND owner;
    std::string verb;        // as Quote() gives it
    std::string file;        // as Quote() gives it
    std::string parameters;  // as Quote() gives it
    std::string directory;   // as Quote() gives it
    INT show;
    UINT_PTR result;
};
const std::vector<ShellExecution> &ShellExecutions();
// What the next ShellExecuteA calls return, one value each; after that 42 (started).
void ScriptShellExecute(const std::vector<UINT_PTR> &results);

}  // namespace sim

#endif
