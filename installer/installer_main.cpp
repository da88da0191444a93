#include <string.h>

#include "installer.h"
#include "log_registry.h"
#include "names.h"
#include "payload.h"
#include "resource.h"
#include "system.h"
#include "text.h"

typedef BOOL(WINAPI *SetDefaultDllDirectoriesFunction)(DWORD directoryFlags);
typedef BOOL(WINAPI *SetDllDirectoryFunction)(LPCSTR pathName);

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

// DLLs that the themed pages load, taken from the system folder before the
// first page while the DLL search cannot be restricted; freed after the last.
static HMODULE g_preloaded[2];

// The installer runs with administrator rights from wherever it was saved,
// typically a downloads folder that web pages can drop files into, and
// Windows looks for a DLL that is not a known DLL in the program's own folder
// first. So the search is restricted to the system folder before anything is
// shown: with SetDefaultDllDirectories where kernel32 has it (not on XP, and
// not importable there); otherwise the program's folder is taken out of the
// search with SetDllDirectoryA("") (XP SP1 and later) and the DLLs that the
// themed controls load are loaded first, by full path.
static void RestrictDllSearch(void)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    SetDefaultDllDirectoriesFunction setDefaultDllDirectories = NULL;
    SetDllDirectoryFunction setDllDirectory = NULL;

    if (kernel != NULL) {
        // Through void (*)(void): the function-pointer type any function converts to.
        setDefaultDllDirectories = (SetDefaultDllDirectoriesFunction)(void (*)(void))GetProcAddress(
            kernel, "SetDefaultDllDirectories");
        setDllDirectory = (SetDllDirectoryFunction)(void (*)(void))GetProcAddress(kernel, "SetDllDirectoryA");
    }
    if (setDefaultDllDirectories != NULL && setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32))
        return;
    if (setDllDirectory != NULL)
        setDllDirectory("");
    g_preloaded[0] = LoadSystemLibrary("uxtheme.dll");
    if (!IsPreVistaWindows())
        g_preloaded[1] = LoadSystemLibrary("dwmapi.dll");
}

static void FreePreloadedLibraries(void)
{
    size_t i;

    for (i = 0; i < sizeof(g_preloaded) / sizeof(g_preloaded[0]); ++i) {
        if (g_preloaded[i] != NULL)
            FreeLibrary(g_preloaded[i]);
        g_preloaded[i] = NULL;
    }
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
    RestrictDllSearch();

    memset(&version, 0, sizeof(version));
    version.dwOSVersionInfoSize = sizeof(version);
    GetVersionExA(&version);
    if (!IsSupportedWindows(&version)) {
        MessageBoxA(NULL, kUnsupportedWindowsText, NULL, MB_ICONERROR);
        goto out;
    }

    // An installer whose own path does not fit cannot show its terms: it ends
    // before it writes anything.
    if (!FindInstallerFolder())
        goto out;
    ExtractPayload(IDR_TERMS_TEXT, PAYLOAD_TYPE_TEXT, g_installerDir, VELODAR_TERMS_FILE);

    RunWizard();

out:
    FreePreloadedLibraries();
    return 0;
}
