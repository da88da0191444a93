#include "shell.h"

#include <string.h>

#include "log_registry.h"
#include "system.h"
#include "text.h"

// Buffer sizes of the SendTo fan-out, in characters, terminator included.
#define SENDTO_TEXT_SIZE 2048
#define ACCOUNT_NAME_SIZE 1024
// The link path handed to IPersistFile::Save, in wide characters.
#define LINK_PATH_WIDE_SIZE MAX_PATH

// The two netapi32 functions, resolved at run time (netapi32 is not imported).
typedef NET_API_STATUS(WINAPI *NetUserEnumFunction)(LPCWSTR serverName, DWORD level, DWORD filter, LPBYTE *buffer,
                                                     DWORD preferredMaximumLength, LPDWORD entriesRead,
                                                     LPDWORD totalEntries, LPDWORD resumeHandle);
typedef NET_API_STATUS(WINAPI *NetApiBufferFreeFunction)(LPVOID buffer);

BOOL GetSpecialFolderPath(HWND owner, char *path, int csidl)
{
    IMalloc *allocator = NULL;
    LPITEMIDLIST idList = NULL;
    BOOL result = FALSE;

    if (FAILED(SHGetMalloc(&allocator))) {
        allocator = NULL;
        goto out;
    }
    if (FAILED(SHGetSpecialFolderLocation(owner, csidl, &idList))) {
        idList = NULL;
        goto out;
    }
    result = SHGetPathFromIDListA(idList, path) ? TRUE : FALSE;

out:
    // The item-ID list belongs to the shell's allocator, whatever the conversion gave.
    if (idList != NULL)
        allocator->Free(idList);
    if (allocator != NULL)
        allocator->Release();
    return result;
}

HRESULT CreateShortcut(const char *linkPath, const char *targetPath, const char *description, const char *arguments,
                       const char *workingDirectory, const char *iconPath, int iconIndex, int showCommand)
{
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    WCHAR widePath[LINK_PATH_WIDE_SIZE];
    HRESULT result;

    // Each shortcut brackets itself with COM; no other code initialises it.
    CoInitialize(NULL);
    result = CoCreateInstance(CLSID_ShellLink,       // the shell link object
                              NULL,                  // not aggregated
                              CLSCTX_INPROC_SERVER,  // in this process
                              IID_IShellLinkA,       // ANSI setters
                              (LPVOID *)&link);     // receives the interface
    if (FAILED(result)) {
        link = NULL;
        goto out;
    }
    result = link->QueryInterface(IID_IPersistFile, (void **)&file);
    if (FAILED(result)) {
        file = NULL;
        goto out;
    }

    // The caller's values go through as given; a failed setting does not stop the save.
    link->SetPath(targetPath);
    link->SetDescription(description);
    link->SetArguments(arguments);
    link->SetWorkingDirectory(workingDirectory);
    link->SetIconLocation(iconPath, iconIndex);
    link->SetShowCmd(showCommand);

    // Save takes a wide path; one that does not fit the buffer is not saved at all.
    if (linkPath == NULL ||
        MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, LINK_PATH_WIDE_SIZE) == 0) {
        result = HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        goto out;
    }
    result = file->Save(widePath, TRUE);

out:
    if (file != NULL)
        file->Release();
    if (link != NULL)
        link->Release();
    CoUninitialize();
    return result;
}

// Writes or deletes one profile's shortcut, root\profile\folder\file; with
// `logIt` the link path goes to the setup log first. A link path that does not
// fit its buffer is left alone.
static void UpdateProfileShortcut(const char *profileRoot, const char *profileName, const char *folderName,
                                  const char *linkFileName, const char *targetPath, const char *description,
                                  BOOL remove, BOOL logIt)
{
    char linkPath[SENDTO_TEXT_SIZE];

    if (!FormatText(linkPath, sizeof(linkPath), "%s\\%s\\%s\\%s", profileRoot, profileName, folderName,
                    linkFileName))
        return;
    if (logIt)
        WriteSetupLog("SendToShortcuts %s\n", linkPath);
    if (remove)
        DeleteFileA(linkPath);
    else
        CreateShortcut(linkPath, targetPath, description, NULL, NULL, NULL, 0, SW_SHOWNORMAL);
}

// Loads the system folder's netapi32.dll by full path, so that neither it nor
// the DLLs it forwards to are taken from the installer's own folder, and
// resolves the two functions of the account enumeration. NULL on failure.
static HMODULE LoadNetApi(NetUserEnumFunction *userEnum, NetApiBufferFreeFunction *bufferFree)
{
    HMODULE module = NULL;

    *userEnum = NULL;
    *bufferFree = NULL;
    module = LoadSystemLibrary("netapi32.dll");
    if (module == NULL)
        goto out;
    // Through void (*)(void): the function-pointer type any function converts to.
    *userEnum = (NetUserEnumFunction)(void (*)(void))GetProcAddress(module, "NetUserEnum");
    *bufferFree = (NetApiBufferFreeFunction)(void (*)(void))GetProcAddress(module, "NetApiBufferFree");
    if (*userEnum == NULL || *bufferFree == NULL) {
        FreeLibrary(module);
        module = NULL;
        *userEnum = NULL;
        *bufferFree = NULL;
    }

out:
    return module;
}

BOOL UpdateSendToShortcuts(HWND owner, const char *linkFileName, const char *targetPath, const char *description,
                           BOOL remove)
{
    char profileRoot[SENDTO_TEXT_SIZE];
    char folderName[SENDTO_TEXT_SIZE];
    char accountName[ACCOUNT_NAME_SIZE];
    HMODULE netApi = NULL;
    NetUserEnumFunction userEnum = NULL;
    NetApiBufferFreeFunction bufferFree = NULL;
    const char *firstSeparator = NULL;
    char *secondSeparator = NULL;
    const char *lastSeparator = NULL;
    char *p;
    DWORD resumeHandle = 0;
    NET_API_STATUS status;
    BOOL result = 0;
    int length;

    profileRoot[0] = '\0';
    if (!GetSpecialFolderPath(owner, profileRoot, CSIDL_SENDTO))
        profileRoot[0] = '\0';

    // Whole characters only: a Shift-JIS trail byte can be 0x5C.
    for (p = profileRoot; *p != '\0'; p = CharNextA(p)) {
        if (*p != '\\')
            continue;
        if (firstSeparator == NULL)
            firstSeparator = p;
        else if (secondSeparator == NULL)
            secondSeparator = p;
        lastSeparator = p;
    }
    // Without a separator, or with nothing after the last one, there is no
    // profile layout to follow: no file is touched.
    if (lastSeparator == NULL || lastSeparator[1] == '\0')
        goto out;
    if (!FormatText(folderName, sizeof(folderName), "%s", lastSeparator + 1))
        goto out;
    if (secondSeparator != NULL)
        *secondSeparator = '\0';

    result = 1;
    netApi = LoadNetApi(&userEnum, &bufferFree);
    if (netApi == NULL) {
        result = 0;
    } else {
        do {
            LPBYTE buffer = NULL;
            DWORD entriesRead = 0;
            DWORD totalEntries = 0;
            DWORD i;

            status = userEnum(NULL,                   // the local computer
                              0,                      // USER_INFO_0: the names
                              FILTER_NORMAL_ACCOUNT,  // user accounts only
                              &buffer,                // allocated by netapi32
                              MAX_PREFERRED_LENGTH,   // all at once where it can
                              &entriesRead,           // entries in this batch
                              &totalEntries,          // not used
                              &resumeHandle);         // where the next batch starts
            if (status != NERR_Success && status != ERROR_MORE_DATA) {
                result = 0;
                if (buffer != NULL)
                    bufferFree(buffer);
                break;
            }
            if (buffer != NULL) {
                USER_INFO_0 *entries = (USER_INFO_0 *)buffer;
                for (i = 0; i < entriesRead; ++i) {
                    if (entries[i].usri0_name == NULL)
                        continue;
                    // wsprintfA stops at 1024 characters; a name that may have
                    // been cut would name another profile.
                    length = wsprintfA(accountName, "%ls", entries[i].usri0_name);
                    if (length <= 0 || length >= ACCOUNT_NAME_SIZE - 1)
                        continue;
                    UpdateProfileShortcut(profileRoot, accountName, folderName, linkFileName, targetPath,
                                          description, remove, TRUE);
                }
                bufferFree(buffer);
            }
        } while (status == ERROR_MORE_DATA);
    }

    // The default profile, from which new accounts are made, in every case.
    UpdateProfileShortcut(profileRoot, IsPreVistaWindows() ? "Default User" : "Default", folderName, linkFileName,
                          targetPath, description, remove, FALSE);

out:
    if (netApi != NULL)
        FreeLibrary(netApi);
    return result;
}

BOOL AddSendToShortcuts(HWND owner, const char *linkFileName, const char *targetPath, const char *description)
{
    return UpdateSendToShortcuts(owner, linkFileName, targetPath, description, FALSE);
}

BOOL RemoveSendToShortcuts(HWND owner, const char *linkFileName)
{
    return UpdateSendToShortcuts(owner, linkFileName, NULL, NULL, TRUE);
}
