// The simulated machine behind the simulated Windows layer: one in-memory
// Windows, reset for every test, with an ordered trace of every call, a virtual
// clock and a leak check. Each area of Windows (files, registry, user
// interface, ...) keeps its own state in its own file and registers itself here
// so that Reset and Leaks reach it.
#ifndef WINSIM_MACHINE_H
#define WINSIM_MACHINE_H

#include <functional>
#include <string>
#include <vector>

#include "api/winsim_api.h"

namespace sim {

// One call made by the product, with its arguments as text and the virtual
// time (milliseconds since the machine was reset) at which it was made.
struct Call {
    unsigned long long time;
    std::string name;  // the function's name
    std::string text;  // "Name(arg, arg, ...)"
    std::string result;  // what the call returned, where the area records it
};

// An area of the machine: how to bring it back to a fresh state, and what it
// still holds open (one line per leaked object).
struct Area {
    const char *name;
    void (*reset)();
    void (*leaks)(std::vector<std::string> *out);
};

// Registers an area; called from a static initialiser in each area's file.
bool RegisterArea(const Area &area);

// A fresh machine: Windows 7 SP1, an administrator, the module at
// C:\Users\user\Downloads\VelodarInstaller.exe, only the drive C:\ on disk.
void Reset();
// Everything every area still holds open; empty when nothing leaked.
std::vector<std::string> Leaks();

// The trace.
void Record(const char *name, const char *format, ...);
// Notes the result of the call recorded last.
void RecordResult(const char *format, ...);
const std::vector<Call> &Trace();
// The trace's texts, only of the calls whose function name is listed (all when empty).
std::vector<std::string> TraceOf(const std::vector<std::string> &names = {});
// Index of the first call at or after `from` whose text starts with `prefix`; -1 if none.
int FindCall(const std::string &prefix, int from = 0);

// The virtual clock that Sleep advances.
unsigned long long Now();
void Advance(unsigned long long milliseconds);

// The reported Windows version; a failing version query leaves the structure unfilled.
void SetWindowsVersion(DWORD major, DWORD minor, DWORD build = 0);
void FailVersionQuery(bool fail);
DWORD WindowsMajor();
DWORD WindowsMinor();
// Whether the process runs with administrator rights.
void SetAdministrator(bool administrator);
bool IsAdministrator();
// The running module's own path and instance handle.
void SetModulePath(const std::string &path);
HINSTANCE ModuleInstance();
// What GetLocalTime answers.
void SetLocalTime(const SYSTEMTIME &time);

// Message boxes shown so far, and the answers to give the next ones (a box with
// no scripted answer gets its first button: IDOK or IDYES).
struct MessageBoxShown {
    unsigned long long time;
    HWND owner;
    std::string text;
    std::string caption;  // "(null)" when no caption was passed
    bool nullCaption;
    UINT style;
    int answer;
};
void AnswerMessageBoxes(const std::vector<int> &answers);
// Runs while each message box is shown (before it is answered), e.g. to look
// at the machine at that moment or to change it as another program would.
void WhileMessageBoxShown(std::function<void(const MessageBoxShown &)> action);
const std::vector<MessageBoxShown> &MessageBoxes();

// Text helpers for tests: a handle or pointer as a short stable name.
std::string Quote(const char *text);
std::string Hex(unsigned long long value);

}  // namespace sim

#endif
