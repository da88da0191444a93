// Modal dialogs, brushes and WinExec of the simulated machine.
#include "dialogs.h"

#include <string.h>

#include <deque>
#include <set>

namespace sim {
namespace {

struct Showing {
    bool fail = false;
    std::vector<DialogAction> actions;
};

struct DialogState {
    std::deque<Showing> scripts;
    std::vector<DialogShown> shown;
    std::vector<std::string> problems;
    std::set<UINT_PTR> brushes;
    UINT_PTR nextBrush = 0x3000;
    UINT_PTR nextWindow = 0x10000;
    std::vector<std::string> started;
    UINT winExecResult = 33;
    int current = -1;  // index in shown of the dialog being played
};

DialogState ds;

void ResetDialogs() { ds = DialogState(); }

void DialogLeaks(std::vector<std::string> *out)
{
    for (UINT_PTR brush : ds.brushes)
        out->push_back("GDI brush " + Hex(brush) + " never deleted");
    for (const std::string &problem : ds.problems)
        out->push_back(problem);
}

bool registered = RegisterArea({"dialogs", ResetDialogs, DialogLeaks});

DialogShown *Find(HWND window)
{
    for (DialogShown &dialog : ds.shown)
        if (dialog.window == window)
            return &dialog;
    return nullptr;
}

}  // namespace

DialogAction Command(int id, WORD code) { return {WM_COMMAND, MAKEWPARAM(id, code), 0, nullptr}; }
DialogAction Message(UINT message, WPARAM wParam, LPARAM lParam) { return {message, wParam, lParam, nullptr}; }
DialogAction Do(std::function<void()> callback) { return {0, 0, 0, callback}; }

void ScriptDialog(const std::vector<DialogAction> &actions)
{
    Showing showing;
    showing.actions = actions;
    ds.scripts.push_back(showing);
}

void FailDialog()
{
    Showing showing;
    showing.fail = true;
    ds.scripts.push_back(showing);
}

const std::vector<DialogShown> &Dialogs() { return ds.shown; }
int LiveBrushes() { return (int)ds.brushes.size(); }
const std::vector<std::string> &StartedPrograms() { return ds.started; }
void SetWinExecResult(UINT result) { ds.winExecResult = result; }

}  // namespace sim

using sim::ds;

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner, DLGPROC procedure, LPARAM param)
{
    WORD id = IS_INTRESOURCE(templateName) ? (WORD)(UINT_PTR)templateName : 0;
    sim::Record("DialogBoxParamA", "%s, #%u, %s, proc, %ld", sim::Hex((UINT_PTR)instance).c_str(), id,
                owner == nullptr ? "NULL" : sim::Hex((UINT_PTR)owner).c_str(), (long)param);
    sim::DialogShown shown;
    shown.time = sim::Now();
    shown.templateId = id;
    shown.window = (HWND)ds.nextWindow;
    ds.nextWindow += 0x10;
    shown.owner = owner;
    shown.param = param;
    shown.failed = false;
    shown.ended = false;
    shown.result = -1;
    if (ds.scripts.empty() || ds.scripts.front().fail || instance != sim::ModuleInstance()) {
        if (ds.scripts.empty())
            ds.problems.push_back("dialog #" + std::to_string(id) + " shown with no script for it");
        else
            ds.scripts.pop_front();
        shown.failed = true;
        ds.shown.push_back(shown);
        sim::RecordResult("-1");
        return -1;
    }
    std::vector<sim::DialogAction> actions = ds.scripts.front().actions;
    ds.scripts.pop_front();
    ds.shown.push_back(shown);
    int index = (int)ds.shown.size() - 1;
    HWND window = shown.window;

    ds.shown[index].returned.push_back(procedure(window, WM_INITDIALOG, 0, param));
    for (const sim::DialogAction &action : actions) {
        if (ds.shown[index].ended)
            break;
        if (action.callback) {
            action.callback();
            continue;
        }
        ds.shown[index].returned.push_back(procedure(window, action.message, action.wParam, action.lParam));
    }
    if (!ds.shown[index].ended) {
        ds.problems.push_back("dialog #" + std::to_string(id) + " still open when its script ran out");
        return 0;
    }
    return ds.shown[index].result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result)
{
    sim::Record("EndDialog", "%s, %ld", sim::Hex((UINT_PTR)dialog).c_str(), (long)result);
    sim::DialogShown *shown = sim::Find(dialog);
    if (shown == nullptr || shown->ended || shown->failed) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    shown->ended = true;
    shown->result = result;
    return TRUE;
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text)
{
    sim::Record("SetDlgItemTextA", "%s, %d, %s", sim::Hex((UINT_PTR)dialog).c_str(), id,
                text == nullptr ? "NULL" : ("[" + std::to_string(strlen(text)) + " bytes]").c_str());
    sim::DialogShown *shown = sim::Find(dialog);
    if (shown == nullptr)
        return FALSE;
    shown->itemTexts[id] = text != nullptr ? text : "";
    return TRUE;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    sim::Record("SendDlgItemMessageA", "%s, %d, 0x%X, %ld, %ld", sim::Hex((UINT_PTR)dialog).c_str(), id, message,
                (long)(LONG_PTR)wParam, (long)lParam);
    return 0;
}

HBRUSH WINAPI CreateSolidBrush(COLORREF color)
{
    sim::Record("CreateSolidBrush", "0x%06X", color);
    UINT_PTR brush = ds.nextBrush;
    ds.nextBrush += 4;
    ds.brushes.insert(brush);
    sim::RecordResult("%s", sim::Hex(brush).c_str());
    return (HBRUSH)brush;
}

BOOL WINAPI DeleteObject(HGDIOBJ object)
{
    sim::Record("DeleteObject", "%s", sim::Hex((UINT_PTR)object).c_str());
    return ds.brushes.erase((UINT_PTR)object) != 0;
}

UINT WINAPI WinExec(LPCSTR commandLine, UINT show)
{
    sim::Record("WinExec", "%s, %u", sim::Quote(commandLine).c_str(), show);
    ds.started.push_back(commandLine != nullptr ? commandLine : "");
    return ds.winExecResult;
}
