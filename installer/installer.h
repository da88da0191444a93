// The installer program: its entry function.
#ifndef INSTALLER_INSTALLER_H
#define INSTALLER_INSTALLER_H

#include "platform.h"

// The installer's whole run; returns the process exit code, 0 on every path.
int InstallerMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

#endif
