#include <string.h>

#include "installer.h"
#include "log_registry.h"
#include "names.h"
#include "payload.h"
#include "resource.h"
#include "text.h"

static const char kUnsupportedWindowsText[] =
    "申し訳ございませんが、このVelodar は、Windows 7/Vista/XP専用です。\n"
    "インストールすることができません。ご了承下さい。";

// Windows XP (5.1) to the last 6.x are supported; 5.0 and older, and newer
// major versions, are not.
static BOOL IsSupportedWindows(const OSVERSIONINFOA *version)
{
    if (version->dwMajorVersion < 5 || version->dwMajorVersion > 6)
        return FALSE;
    return !(version->dwMajorVersion == 5 && version->dwMinorVersion == 0);
}

// Puts the installer's own folder, with its last backslash, into
// g_installerDir. FALSE (and an empty folder) when the path does not fit or
// the folder cannot hold the staged terms text's name.
static BOOL FindInstallerFolder(void)
{
    char stagedPath[MAX_PATH];
    DWORD length;
    char *lastBackslash;

    length = GetModuleFileNameA(NULL, g_installerDir, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        goto fail;
    lastBackslash = FindLastBackslash(g_installerDir);
    if (lastBackslash == NULL)
        goto fail;
    lastBackslash[1] = '\0';
    if (!FormatText(stagedPath, sizeof(stagedPath), "%s%s", g_installerDir, VELODAR_TERMS_FILE))
        goto fail;
    return TRUE;

fail:
    g_installerDir[0] = '\0';
    return FALSE;
}

// Moves between the two pages until the user cancels, declines or agrees. A
// page that cannot be shown ends the installer, so two failing pages never
// alternate.
static void RunWizard(void)
{
    INT_PTR result;

    for (;;) {
        result = ShowWelcomeDialog();
        if (result == IDCANCEL || result == -1)
            return;
        result = ShowTermsDialog();
        if (result == IDOK || result == IDCANCEL || result == -1)
            return;
    }
}

int InstallerMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    OSVERSIONINFOA version;

    (void)previousInstance;
    (void)commandLine;
    (void)showCommand;

    StartSetupLog(NULL);
    g_instance = instance;

    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    if (!IsSupportedWindows(&version)) {
        MessageBoxA(NULL, kUnsupportedWindowsText, NULL, MB_ICONERROR);
        return 0;
    }

    // An installer whose own path does not fit cannot show its terms: it ends
    // before it writes anything.
    if (!FindInstallerFolder())
        return 0;
    ExtractPayload(IDR_TERMS_TEXT, PAYLOAD_TYPE_TEXT, g_installerDir, VELODAR_TERMS_FILE);

    RunWizard();
    return 0;
}
