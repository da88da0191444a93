// The install sequence that agreeing to the terms runs.
#ifndef INSTALLER_INSTALL_H
#define INSTALLER_INSTALL_H

#include "platform.h"

// Full paths of the installed application and uninstaller, set by the install sequence.
extern char g_appPath[MAX_PATH];
extern char g_uninstallerPath[MAX_PATH];

// Installs everything, owned by the terms page: 1 when the sequence ran to its
// end, 0 when the application or the movie data could not be written (or the
// program-files folder is unknown); the user has been told then.
BOOL RunInstall(HWND owner);

#endif
