// The payload the installer carries as resources, and the file operations that
// move bytes between resources, memory and files.
#ifndef INSTALLER_PAYLOAD_H
#define INSTALLER_PAYLOAD_H

#include "platform.h"

// Payload resource types (type names, not numbers).
#define PAYLOAD_TYPE_APPLICATION "APPL"
#define PAYLOAD_TYPE_MOVIE "MPEG"
#define PAYLOAD_TYPE_TEXT "TEXT"

// The installer's module, in which every resource is looked up.
extern HINSTANCE g_instance;

// Reads at most `capacity` bytes of a file into `buffer` (not terminated);
// returns the count read, 0 when the file cannot be opened.
int ReadFileToBuffer(const char *path, void *buffer, DWORD capacity);
// Creates or replaces a file with the bytes; returns what WriteFile returned.
BOOL WriteBufferToFile(const char *path, const void *data, DWORD size);
// Writes a payload resource, byte for byte, as folder + fileName (folder ends
// in a backslash). 0 when the resource is missing, the path does not fit or
// the file cannot be written.
BOOL ExtractPayload(WORD resourceId, const char *resourceType, const char *folder, const char *fileName);

#endif
