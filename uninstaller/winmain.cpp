// The uninstaller's Windows entry point; everything happens in UninstallerMain.
#include "uninstaller.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand)
{
    return UninstallerMain(instance, previousInstance, commandLine, showCommand);
}
