// The system folder: paths of its files, and its DLLs loaded by full path.
#ifndef SETUPKIT_SYSTEM_H
#define SETUPKIT_SYSTEM_H

#include "platform.h"

// Puts "<system folder>\fileName" into path (MAX_PATH characters); FALSE when
// the folder is unknown or the path does not fit.
BOOL GetSystemFilePath(const char *fileName, char *path);
// Loads a DLL of the system folder by its full path, so that neither it nor
// the DLLs it loads are taken from the program's own folder; NULL on failure.
HMODULE LoadSystemLibrary(const char *fileName);

#endif
