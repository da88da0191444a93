#include "install.h"

#include "firewall.h"
#include "log_registry.h"
#include "names.h"
#include "payload.h"
#include "resource.h"
#include "service.h"
#include "shell.h"
#include "text.h"

char g_appPath[MAX_PATH];
char g_uninstallerPath[MAX_PATH];

static const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
static const char kVirtualStoreKey[] = "Software\\Classes\\VirtualStore\\Machine\\Software\\Osterlund\\Velodar";
static const char kInstallFailedText[] = "インストールに失敗しました。";
static const char kInstallCompleteText[] = "インストールが完了しました。\n「Velodar」を起動します。";
static const char kServiceArgument[] = "/LocalService";

// Attempts at writing the application, each failure answered by a message and a pause.
#define APPLICATION_WRITE_ATTEMPTS 4
#define APPLICATION_RETRY_PAUSE_MS 2000
// A running application is given this long to close before its file is replaced.
#define CLOSE_APPLICATION_PAUSE_MS 2000

// Deletes the "Velodar" start-up value of an earlier version under root.
static void DeleteRunValue(HKEY root)
{
    HKEY key = OpenRegistryKey(root, kRunKey, KEY_ALL_ACCESS);

    if (key == NULL)
        return;
    DeleteRegistryValue(key, VELODAR_NAME);
    CloseRegistryKey(key);
}

// A special folder with a suffix appended; FALSE when it cannot be resolved or
// the result does not fit, so that no step acts on an unset or cut path.
static BOOL SpecialFolderWith(HWND owner, int csidl, const char *suffix, char *folder)
{
    char path[MAX_PATH];

    path[0] = '\0';
    if (!GetSpecialFolderPath(owner, path, csidl))
        return FALSE;
    return FormatText(folder, MAX_PATH, "%s%s", path, suffix);
}

// Writes a shortcut to the application named VELODAR_SHORTCUT_FILE with the
// given format ("%s%s" or "%s\%s") from a folder.
static void CreateServerShortcut(const char *format, const char *folder)
{
    char linkPath[MAX_PATH];

    if (FormatText(linkPath, sizeof(linkPath), format, folder, VELODAR_SHORTCUT_FILE))
        CreateShortcut(linkPath, g_appPath, VELODAR_SERVER_NAME, NULL, NULL, NULL, 0, SW_SHOWNORMAL);
}

BOOL RunInstall(HWND owner)
{
    char programFolder[MAX_PATH];
    char applicationPath[MAX_PATH];
    char windowsFolder[MAX_PATH];
    char folder[MAX_PATH];
    // The application path in quotation marks, a blank and the argument.
    char serviceCommandLine[MAX_PATH + sizeof(kServiceArgument) + 3];
    BOOL haveWindowsFolder;
    HKEY key;
    int attempt;

    // Looking the program folder up first changes nothing; without it nothing
    // can be installed, so nothing is changed.
    if (!SpecialFolderWith(owner, CSIDL_PROGRAM_FILES, VELODAR_FOLDER_SUFFIX, programFolder) ||
        !FormatText(applicationPath, sizeof(applicationPath), "%s%s", programFolder, VELODAR_APP_FILE)) {
        MessageBoxA(owner, kInstallFailedText, VELODAR_NAME, MB_OK);
        return FALSE;
    }

    // Clear what an earlier installation left running or registered.
    RemoveService(VELODAR_SERVICE_NAME);
    CloseRunningInstance(CLOSE_APPLICATION_PAUSE_MS);
    if (!IsPreVistaWindows()) {
        DeleteRunValue(HKEY_CURRENT_USER);
        DeleteRegistryKey(HKEY_CURRENT_USER, kVirtualStoreKey);
    }
    DeleteRunValue(HKEY_LOCAL_MACHINE);

    // The payload.
    CreateDirectoryA(programFolder, NULL);
    for (attempt = 1;; ++attempt) {
        if (ExtractPayload(IDR_APP_EXE, PAYLOAD_TYPE_APPLICATION, programFolder, VELODAR_APP_FILE))
            break;
        MessageBoxA(owner, kInstallFailedText, VELODAR_APP_FILE, MB_OK);
        Sleep(APPLICATION_RETRY_PAUSE_MS);
        if (attempt == APPLICATION_WRITE_ATTEMPTS)
            return FALSE;
    }
    if (!ExtractPayload(IDR_MOVIE_DATA, PAYLOAD_TYPE_MOVIE, programFolder, VELODAR_MOVIE_FILE)) {
        MessageBoxA(owner, kInstallFailedText, VELODAR_NAME, MB_OK);
        return FALSE;
    }
    ExtractPayload(IDR_TERMS_TEXT, PAYLOAD_TYPE_TEXT, programFolder, VELODAR_TERMS_FILE);
    // Without the Windows folder there is no uninstaller, and no entry names one.
    haveWindowsFolder = SpecialFolderWith(owner, CSIDL_WINDOWS, "\\", windowsFolder) &&
                        FormatText(g_uninstallerPath, MAX_PATH, "%s%s", windowsFolder, VELODAR_UNINSTALLER_FILE);
    if (haveWindowsFolder)
        ExtractPayload(IDR_UNINSTALLER_EXE, PAYLOAD_TYPE_APPLICATION, windowsFolder, VELODAR_UNINSTALLER_FILE);
    FormatText(g_appPath, MAX_PATH, "%s", applicationPath);

    // Shortcuts.
    if (SpecialFolderWith(owner, CSIDL_COMMON_PROGRAMS, VELODAR_FOLDER_SUFFIX, folder)) {
        CreateDirectoryA(folder, NULL);
        CreateServerShortcut("%s%s", folder);
    }
    if (SpecialFolderWith(owner, CSIDL_COMMON_DESKTOPDIRECTORY, "", folder))
        CreateServerShortcut("%s\\%s", folder);
    AddSendToShortcuts(owner, VELODAR_SENDTO_FILE, g_appPath, VELODAR_SENDTO_DESCRIPTION);

    // Registration.
    if (haveWindowsFolder) {
        key = OpenMachineRegistryKey(VELODAR_UNINSTALL_KEY, KEY_ALL_ACCESS);
        if (key != NULL) {
            SetRegistryString(key, "DisplayName", VELODAR_SERVER_NAME);
            SetRegistryString(key, "UninstallString", g_uninstallerPath);
            CloseRegistryKey(key);
        }
    }
    AddFirewallRules(g_appPath);

    // The service is installed only once the user has closed the message.
    MessageBoxA(owner, kInstallCompleteText, VELODAR_NAME, MB_OK);
    // Quoted: unquoted, the service manager would first try "C:\Program.exe".
    if (FormatText(serviceCommandLine, sizeof(serviceCommandLine), "\"%s\" %s", g_appPath, kServiceArgument))
        InstallService(VELODAR_SERVICE_NAME, serviceCommandLine, TRUE);
    StartServiceIfStopped(VELODAR_SERVICE_NAME);
    return TRUE;
}
