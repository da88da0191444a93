#include "payload.h"

#include "text.h"

HINSTANCE g_instance = NULL;

int ReadFileToBuffer(const char *path, void *buffer, DWORD capacity)
{
    HANDLE file;
    DWORD size;
    DWORD count;
    DWORD read = 0;

    file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    size = SetFilePointer(file, 0, NULL, FILE_END);
    SetFilePointer(file, 0, NULL, FILE_BEGIN);
    count = size < capacity ? size : capacity;
    ReadFile(file, buffer, count, &read, NULL);
    CloseHandle(file);
    return (int)read;
}

BOOL WriteBufferToFile(const char *path, const void *data, DWORD size)
{
    HANDLE file;
    DWORD written = 0;
    BOOL result;

    // No sharing while the file is written; CREATE_ALWAYS cuts an older, longer file.
    file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    SetFilePointer(file, 0, NULL, FILE_BEGIN);
    result = WriteFile(file, data, size, &written, NULL);
    CloseHandle(file);
    return result;
}

BOOL ExtractPayload(WORD resourceId, const char *resourceType, const char *folder, const char *fileName)
{
    char path[MAX_PATH];
    HRSRC found;
    HGLOBAL loaded;
    DWORD size;
    const void *bytes;

    found = FindResourceA(g_instance, MAKEINTRESOURCEA(resourceId), resourceType);
    if (found == NULL)
        return FALSE;
    // A resource of the running program is always there to load and lock; the
    // file is written straight from it, without a copy.
    loaded = LoadResource(g_instance, found);
    size = SizeofResource(g_instance, found);
    bytes = LockResource(loaded);
    if (!FormatText(path, sizeof(path), "%s%s", folder, fileName))
        return FALSE;
    return WriteBufferToFile(path, bytes, size);
}
