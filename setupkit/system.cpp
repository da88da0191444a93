#include "system.h"

#include "text.h"

BOOL GetSystemFilePath(const char *fileName, char *path)
{
    char systemFolder[MAX_PATH];
    UINT length;

    length = GetSystemDirectoryA(systemFolder, sizeof(systemFolder));
    if (length == 0 || length >= sizeof(systemFolder)) {
        path[0] = '\0';
        return FALSE;
    }
    return FormatText(path, MAX_PATH, "%s\\%s", systemFolder, fileName);
}

HMODULE LoadSystemLibrary(const char *fileName)
{
    char path[MAX_PATH];

    if (!GetSystemFilePath(fileName, path))
        return NULL;
    return LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}
