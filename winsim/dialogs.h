// Modal dialogs, GDI brushes and started programs in the simulated machine.
// DialogBoxParamA creates a dialog window, sends WM_INITDIALOG to the
// procedure, then plays the test's scripted user actions for that showing
// until the procedure calls EndDialog. Keyboard and focus rules belong to the
// real dialog manager and are checked under Wine, not modelled here.
#ifndef WINSIM_DIALOGS_H
#define WINSIM_DIALOGS_H

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "machine.h"

namespace sim {

// One step of a scripted showing: a message delivered to the dialog
// procedure, or something the test does while the page is shown.
struct DialogAction {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::function<void()> callback;  // set for a test action; no message then
};
// WM_COMMAND as a control sends it: its id and notification code.
DialogAction Command(int id, WORD code = BN_CLICKED);
DialogAction Message(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
DialogAction Do(std::function<void()> callback);

// Scripts the next showing of a dialog (showings are taken in order).
void ScriptDialog(const std::vector<DialogAction> &actions);
// The next showing fails to show: DialogBoxParamA returns -1.
void FailDialog();

struct DialogShown {
    unsigned long long time;
    WORD templateId;
    HWND window;
    HWND owner;
    LPARAM param;
    bool failed;
    bool ended;
    INT_PTR result;
    std::vector<INT_PTR> returned;          // what the procedure returned, message by message
    std::map<int, std::string> itemTexts;   // SetDlgItemTextA by control id
};
const std::vector<DialogShown> &Dialogs();

// Brushes created and not yet deleted.
int LiveBrushes();

// Programs started with WinExec, and what WinExec answers (default 33).
const std::vector<std::string> &StartedPrograms();
void SetWinExecResult(UINT result);

}  // namespace sim

#endif
