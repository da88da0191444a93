#include <string.h>

#include "uninstaller.h"

#include "firewall.h"
#include "log_registry.h"
#include "names.h"
#include "service.h"
#include "shell.h"
#include "text.h"

static const char kCaption[] = "アンインストール";
static const char kConfirmText[] = "Velodarを完全に削除します。よろしいですか？";
static const char kCompleteText[] = "完全に削除しました。\nVelodarのご利用ありがとうございました。";
static const char kFilesLeftText[] =
    "Velodarを削除しましたが、使用中のファイルが残っています。\n"
    "Windowsを再起動すると削除が完了します。\n"
    "Velodarのご利用ありがとうございました。";

// The application gets this long to end after the close request, before its
// files are deleted.
#define CLOSE_APPLICATION_WAIT_MS 1500

// The files removed from special folders: two parallel arrays, the folder of
// each row and the null-ended list of its file names. The desktop row's files
// lie directly in that folder, which is never removed; every other row's lie
// in the product's own folder there, which is removed after them.
static const int kRemovalFolders[3] = {CSIDL_PROGRAM_FILES, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY};
static const char *const kProgramFiles[] = {VELODAR_APP_FILE,         VELODAR_TERMS_FILE, VELODAR_INI_FILE,
                                            VELODAR_STARTUP_LOG_FILE, VELODAR_MOVIE_FILE, NULL};
static const char *const kStartMenuFiles[] = {VELODAR_SHORTCUT_FILE, NULL};
static const char *const kDesktopFiles[] = {VELODAR_SHORTCUT_FILE, NULL};
static const char *const *const kRemovalFiles[3] = {kProgramFiles, kStartMenuFiles, kDesktopFiles};

// Deletes one file of the removal table and logs the result. A file that is
// still there afterwards (in use, access denied) is deleted at the next
// restart instead; returns FALSE for it.
static BOOL RemoveProductFile(const char *path)
{
    BOOL deleted;
    DWORD error;

    deleted = DeleteFileA(path);
    error = GetLastError();
    WriteSetupLog("DeleteFile: %s,%d,%d\t", path, deleted, error);
    WriteSetupLogTimestamp();
    if (deleted || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return TRUE;
    MoveFileExA(path, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
    return FALSE;
}

// Removes one row of the removal table; FALSE when a file of it stayed behind.
static BOOL RemoveRow(int row)
{
    char specialFolder[MAX_PATH];
    char folder[MAX_PATH];
    char path[MAX_PATH];
    int csidl = kRemovalFolders[row];
    BOOL removesFolder = csidl != CSIDL_COMMON_DESKTOPDIRECTORY;
    BOOL allGone = TRUE;
    const char *const *name;

    // A folder that cannot be resolved (or does not fit) is skipped whole:
    // nothing acts on the previous row's path.
    specialFolder[0] = '\0';
    if (!GetSpecialFolderPath(NULL, specialFolder, csidl) ||
        !FormatText(folder, sizeof(folder), "%s%s", specialFolder, removesFolder ? VELODAR_FOLDER_SUFFIX : "\\"))
        return TRUE;

    for (name = kRemovalFiles[row]; *name != NULL; ++name)
        if (FormatText(path, sizeof(path), "%s%s", folder, *name) && !RemoveProductFile(path))
            allGone = FALSE;

    if (removesFolder) {
        RemoveDirectoryA(folder);
        // At the restart, after the files scheduled above; Windows then removes
        // the folder if it is empty by then. The path goes without its final
        // backslash, which this function appended itself.
        if (!allGone) {
            folder[strlen(folder) - 1] = '\0';
            MoveFileExA(folder, NULL, MOVEFILE_DELAY_UNTIL_REBOOT);
        }
    }
    return allGone;
}

int UninstallerMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    char ownPath[MAX_PATH];
    DWORD length;
    BOOL allGone = TRUE;
    int row;

    (void)instance;
    (void)previousInstance;
    (void)commandLine;
    (void)showCommand;

    if (MessageBoxA(NULL, kConfirmText, kCaption, MB_YESNO | MB_ICONQUESTION) == IDNO)
        return 0;
    StartSetupLog(NULL);

    // The uninstaller's own file goes at the next restart. Windows accepts that
    // only from an administrator: without the rights the run ends here,
    // silently, with nothing changed. A path that does not fit is never cut.
    length = GetModuleFileNameA(NULL, ownPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 0;
    if (!MoveFileExA(ownPath, NULL, MOVEFILE_DELAY_UNTIL_REBOOT))
        return 0;

    RemoveService(VELODAR_SERVICE_NAME);
    CloseRunningInstance(0);
    Sleep(CLOSE_APPLICATION_WAIT_MS);

    for (row = 0; row < 3; ++row)
        if (!RemoveRow(row))
            allGone = FALSE;

    RemoveSendToShortcuts(NULL, VELODAR_SENDTO_FILE);
    RemoveFirewallRules(NULL);
    DeleteRegistryKey(HKEY_LOCAL_MACHINE, VELODAR_UNINSTALL_KEY);

    if (allGone)
        MessageBoxA(NULL, kCompleteText, kCaption, MB_OK | MB_ICONINFORMATION);
    else
        MessageBoxA(NULL, kFilesLeftText, kCaption, MB_OK | MB_ICONEXCLAMATION);
    return 0;
}
