// The install sequence.
#ifndef INSTALLER_INSTALL_H
#define INSTALLER_INSTALL_H

#include "platform.h"

// Full paths of the installed application and uninstaller, set by the install sequence.
extern char g_appPath[MAX_PATH];
extern char g_uninstallerPath[MAX_PATH];

#endif
