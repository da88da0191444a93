#include "firewall.h"

#include <string.h>

#include "log_registry.h"
#include "names.h"
#include "shell.h"
#include "system.h"
#include "text.h"

// The application's TCP port.
#define FIREWALL_PORT "8899"

// Puts the full path of the system's netsh into `path` (MAX_PATH characters).
// A bare "netsh" would be looked for in the installer's own folder first,
// where a planted copy would run with administrator rights.
static BOOL GetNetshPath(char *path)
{
    return GetSystemFilePath("netsh.exe", path);
}

// Starts netsh hidden with `parameters`, without waiting for it, and gives
// what ShellExecuteA returned (above 32: started). FALSE when the tool's path
// could not be formed, and nothing was started.
static BOOL StartNetsh(const char *parameters, HINSTANCE *started)
{
    char netsh[MAX_PATH];

    *started = NULL;
    if (!GetNetshPath(netsh))
        return FALSE;
    *started = ShellExecuteA(NULL,        // no owner window
                             "open",      // run it
                             netsh,       // the system's tool, by full path
                             parameters,  // the netsh command
                             NULL,        // no working folder
                             SW_HIDE);    // no console window
    return TRUE;
}

// Forms the program-rule text for `applicationPath` into `text` (MAX_PATH
// characters); FALSE when there is no path or the text does not fit.
static BOOL FormatProgramRule(char *text, const char *applicationPath, BOOL add)
{
    if (applicationPath == NULL)
        return FALSE;
    if (add)
        return FormatText(text, MAX_PATH,
                          IsPreVistaWindows() ? "firewall add allowedprogram \"%s\" \"" VELODAR_SERVER_NAME "\" ENABLE"
                                              : "advfirewall firewall add rule name=\"" VELODAR_SERVER_NAME
                                                "\" dir=in action=allow program=\"%s\" enable=yes",
                          applicationPath);
    return FormatText(text, MAX_PATH,
                      IsPreVistaWindows() ? "firewall delete allowedprogram \"%s\""
                                          : "advfirewall firewall delete rule name=\"" VELODAR_SERVER_NAME
                                            "\" program=\"%s\"",
                      applicationPath);
}

// Forms the port-rule text into `text` (MAX_PATH characters).
static BOOL FormatPortRule(char *text, BOOL add)
{
    const char *rule;

    if (add)
        rule = IsPreVistaWindows() ? "firewall add portopening TCP " FIREWALL_PORT " \"" VELODAR_SERVER_NAME "\""
                                   : "advfirewall firewall add rule name=\"" VELODAR_SERVER_NAME
                                     "\" dir=in action=allow protocol=TCP localport=" FIREWALL_PORT;
    else
        rule = IsPreVistaWindows() ? "firewall delete portopening protocol=TCP port=" FIREWALL_PORT
                                   : "advfirewall firewall delete rule name=\"" VELODAR_SERVER_NAME
                                     "\" protocol=TCP localport=" FIREWALL_PORT;
    return FormatText(text, MAX_PATH, "%s", rule);
}

void AddFirewallRules(const char *applicationPath)
{
    char parameters[MAX_PATH];
    HINSTANCE started;

    // A text that does not fit is not started: netsh would get a cut path.
    if (FormatProgramRule(parameters, applicationPath, TRUE))
        StartNetsh(parameters, &started);
    if (FormatPortRule(parameters, TRUE))
        StartNetsh(parameters, &started);
}

void RemoveFirewallRules(HWND owner)
{
    char programFiles[MAX_PATH];
    char applicationPath[MAX_PATH];
    char parameters[MAX_PATH];
    BOOL havePath = FALSE;
    HINSTANCE started;

    // The installer formed the rule's path the same way; without the
    // program-files folder only the port rule can be found again.
    programFiles[0] = '\0';
    if (GetSpecialFolderPath(owner, programFiles, CSIDL_PROGRAM_FILES))
        havePath = FormatText(applicationPath, sizeof(applicationPath), "%s%s%s", programFiles,
                              VELODAR_FOLDER_SUFFIX, VELODAR_APP_FILE);
    else
        programFiles[0] = '\0';
    if (havePath && FormatProgramRule(parameters, applicationPath, FALSE)) {
        if (StartNetsh(parameters, &started))
            WriteSetupLog("ShellExecute %X, %s\n", (unsigned)(UINT_PTR)started, parameters);
    }
    if (FormatPortRule(parameters, FALSE)) {
        if (StartNetsh(parameters, &started))
            WriteSetupLog("ShellExecute %X, %s\n", (unsigned)(UINT_PTR)started, parameters);
    }
}

BOOL CALLBACK CloseInstanceWindowProc(HWND window, LPARAM lParam)
{
    char className[MAX_PATH];
    DWORD pause = (DWORD)lParam;

    if (GetClassNameA(window, className, sizeof(className)) <= 0)
        return TRUE;
    if (strcmp(className, VELODAR_NAME) != 0)
        return TRUE;
    // Posted, not sent: the application ends in its own time, and only the
    // pause gives it that time before files are replaced.
    PostMessageA(window, WM_DESTROY, 0, 0);
    if (pause != 0)
        Sleep(pause);
    return FALSE;
}

void CloseRunningInstance(DWORD pauseAfterCloseMs)
{
    EnumWindows(CloseInstanceWindowProc, (LPARAM)pauseAfterCloseMs);
}
