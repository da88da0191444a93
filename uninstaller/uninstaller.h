// The uninstaller program: its entry function.
#ifndef UNINSTALLER_UNINSTALLER_H
#define UNINSTALLER_UNINSTALLER_H

#include "platform.h"

// The uninstaller's whole run; returns the process exit code, 0 on every path.
int UninstallerMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);

#endif
