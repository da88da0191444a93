// Shell special folders, shortcut files and the SendTo shortcut of every
// local account and of the default profile.
#ifndef SETUPKIT_SHELL_H
#define SETUPKIT_SHELL_H

#include "platform.h"

// Resolves a special folder (CSIDL value) into `path` (MAX_PATH characters);
// 1 when the shell wrote the path, 0 otherwise, the buffer then untouched.
BOOL GetSpecialFolderPath(HWND owner, char *path, int csidl);

// Writes the shortcut file `linkPath`; the strings are passed to the shell
// link as given, null pointers included. Returns the result of the last COM
// call made: that of Save when the link object was created and queried.
HRESULT CreateShortcut(const char *linkPath, const char *targetPath, const char *description, const char *arguments,
                       const char *workingDirectory, const char *iconPath, int iconIndex, int showCommand);

// Writes (remove zero) or deletes (remove nonzero) the shortcut `linkFileName`
// in the SendTo folder of every local account and of the default profile.
// 1 when the account enumeration succeeded, 0 otherwise.
BOOL UpdateSendToShortcuts(HWND owner, const char *linkFileName, const char *targetPath, const char *description,
                           BOOL remove);
// UpdateSendToShortcuts writing the shortcuts.
BOOL AddSendToShortcuts(HWND owner, const char *linkFileName, const char *targetPath, const char *description);
// UpdateSendToShortcuts deleting them.
BOOL RemoveSendToShortcuts(HWND owner, const char *linkFileName);

#endif
